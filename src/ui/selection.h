// The input file, the output folder and the output format of the main window.
#pragma once

#include <string>

class wxBitmapComboBox;

void AddDroppedFiles(const std::string& dropText);
bool SelectInputFile();
void SelectOutputFolder();
bool PushRecentOutFolder(const std::string& folder);
void FillOutFolderList();
void FillOutputFormatList(wxBitmapComboBox* list, bool descriptions);
// The filter of the Select Input File dialog.
std::string InputFileFilter();
// Installs the window side of AddInputFile (input field and output folder).
void InstallInputFileHook();
