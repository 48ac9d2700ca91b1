// Window mode: start-up, the command table, the event dispatch of the main window and
// shutdown.
#pragma once

#include <span>
#include <string>

// The command identifiers shared by the menu, the toolbar, the field buttons and the
// keyboard shortcuts.
enum Command : int {
    kCmdNew = 0,
    kCmdExit = 3,
    kCmdSelectInputFile = 5,
    kCmdSelectOutputFolder = 7,
    kCmdOutputFormatOptions = 8,
    kCmdConvert = 14,
    kCmdCustomConverter = 16,
    kCmdPreferences = 17,
    kCmdManual = 18,
    kCmdNothing = 20,
    kCmdSendFeedback = 21,
    kCmdVisitHomepage = 22,
    kCmdCheckForNewVersion = 23,
    kCmdAbout = 24,
};

// One row of the command table.
struct CommandRow {
    int command;
    const char* key;      // caption and tooltip in the "Menu" group; "" for none
    const char* icon;     // icon slot; "" for none
    const char* shortcut; // appended to the menu caption; "" for none
    char mnemonic;        // the letter of the caption that opens the entry; 0 for none
    int keyFlags;         // toolkit accelerator flags, and key code (0 for none)
    int keyCode;
    void (*action)();
};

std::span<const CommandRow> CommandTable();
const CommandRow* FindCommand(int command);
// Toolkit identifier of a command, and back (-1 for none).
int CommandWindowId(int command);
int CommandFromWindowId(int id);

// Runs a command as the main window's event loop does.
void RunCommand(int command);

// The main window's events, in the order the loop tells them apart.
enum class MainEvent { Close, DropFiles, Command, Control };
enum class Control { OutFolderList, OutFormatList, ConvertButton };
void DispatchMainWindowEvent(MainEvent kind, int command = -1, Control control = {},
                             const std::string& dropText = "");

// The quit flag.
bool QuitRequested();
void RequestQuit();

// Start-up steps 8 to 14 (settings, texts, pictures, themes, the main window).
void StartWindowMode();
// Runs the event loop until the quit flag is set.
void RunMainLoop();
// Shutdown: geometry, recent folders, settings; the main window is closed.
void FinishWindowMode();

// Toolkit start and end around a window-mode run.
bool StartToolkit(int argc, char** argv);
void EndToolkit();
