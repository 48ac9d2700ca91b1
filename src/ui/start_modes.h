// The two start modes that show a window and end: the screenshot pictures ("-T") and
// the uninstall page ("-U").
#pragma once

#include <string>

// Built-in images and the theme into all slot sets, and the job's mode "T".
void PrepareScreenshotMode();
// Shows the main window with sample contents, captures it and writes brelvix1.jpg and
// the thumbnail brelvix1x.jpg into the folder (the program folder when empty). A folder
// that does not exist makes nothing.
void RunScreenshotMode(std::string folder);
// Height of the thumbnail of a picture of width x height.
int ThumbnailHeight(int width, int height);
// The uninstall page: offers to open the product's uninstall page.
void ShowUninstallPage();
// The target folder of "-T": the second argument, after "=" in its long form.
std::string StartModeFolder(int argc, char** argv);
