// Weak stand-ins: the definition of the Preferences dialog replaces it when it is
// linked in.
#include "ui/later_parts.h"

__attribute__((weak)) void OpenPreferences() {}
