// A picture named on the command line as the only argument, as the desktop's
// "Open With" passes it.
#pragma once

// When the only argument is a path (it does not begin with "-") of an existing file,
// puts it into the main window as choosing it in the Select Input File dialog would:
// the input field, and its folder as the output folder. Any other arguments change nothing.
void OpenStartFile(int argc, char** argv);
