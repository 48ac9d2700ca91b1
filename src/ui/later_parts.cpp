// Weak stand-ins: the definitions of the Preferences dialog, the About box, the
// converter search and the update check replace them when they are linked in.
#include "ui/later_parts.h"

__attribute__((weak)) void OpenPreferences() {}
__attribute__((weak)) void ShowConverterSearch() {}
__attribute__((weak)) void ShowAbout() {}
__attribute__((weak)) void CheckForUpdates() {}
__attribute__((weak)) void PeriodicUpdateCheck() {}
