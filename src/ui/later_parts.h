// Windows and services that the commands of the main window open.
#pragma once

#include <string>

void OpenPreferences();     // the Preferences dialog on the job's start page
void ShowConverterSearch(); // the converter search
void ShowAbout();           // the About box
void CheckForUpdates();     // the update check asked for by the user
void PeriodicUpdateCheck(); // the automatic update check at start

// The help document that the Manual command opens: "brelvix.chm", else the HTML manual's
// first page "manual/index.html", the first found in the current folder, beside the
// program and in the installed documentation folder (as a full path). When there is
// none, the bare name "brelvix.chm".
std::string HelpDocument();
