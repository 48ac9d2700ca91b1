// Windows and services that the commands of the main window open. Until their own
// code is part of the module these do nothing.
#pragma once

void OpenPreferences();     // the Preferences dialog on the job's start page
void ShowConverterSearch(); // the converter search
void ShowAbout();           // the About box
void CheckForUpdates();     // the update check asked for by the user
void PeriodicUpdateCheck(); // the automatic update check at start
