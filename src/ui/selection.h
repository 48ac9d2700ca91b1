// The input file, the output folder and the output format of the main window.
#pragma once

#include <string>
#include <string_view>

class wxBitmapComboBox;

void AddDroppedFiles(const std::string& dropText);
bool SelectInputFile();
void SelectOutputFolder();
bool PushRecentOutFolder(const std::string& folder);
void FillOutFolderList();
// Rewrites Recent Out Folders in the one form: every entry with its trailing "/", no
// empty entries and no entry twice.
void KeepRecentOutFoldersInOneForm();
void FillOutputFormatList(wxBitmapComboBox* list, bool descriptions);
// The filter of the Select Input File dialog.
std::string InputFileFilter();
// The filter of the Select Watermark Image dialog.
std::string WatermarkImageFilter();
// The dialog pattern of an extension that matches it in either case ("*.[bB][mM][pP]"):
// the file dialog compares patterns with the case of the names.
std::string FilePattern(std::string_view extension);
// The one form in which output folders are compared and kept: with a trailing "/".
std::string FolderForm(std::string_view folder);
// Installs the window side of AddInputFile (input field and output folder).
void InstallInputFileHook();
