// Helpers of the window tests: a toolkit that runs under Xvfb, waiting on the event
// loop, answering dialogs, recording what would have been opened.
#pragma once

#include "test_support.h"

#include <functional>
#include <string>
#include <vector>

class wxWindow;

// Runs the event loop until pred() holds or the time runs out; true when it held.
bool RunUntil(const std::function<bool()>& pred, int timeoutMs = 10000);
// Runs the event loop for a while.
void RunFor(int ms);

// Calls step() every 15 ms from the event loop (also inside modal dialogs) until it
// returns true.
struct Agent {
    explicit Agent(std::function<bool()> step);
    ~Agent();
    Agent(const Agent&) = delete;
    Agent& operator=(const Agent&) = delete;
    bool Done() const;
    struct Impl;
    Impl* impl;
};

// A message box as the tests saw it.
struct SeenMessage {
    int kind;
    std::string title;
    std::string text;
};

// Answers every dialog through the seam and records the requests; the opener of
// documents and links records its targets. Both are restored when it goes.
struct DialogRecorder {
    DialogRecorder();
    ~DialogRecorder();
    std::vector<SeenMessage> messages;
    std::vector<std::string> opened;
    std::vector<std::string> fileFilters;
    bool answerYes = true;
    std::string fileAnswer;
    std::string folderAnswer;
    std::function<void()> onQuestion; // runs while a question is open
};

// A window-mode session in folders of its own: the settings folder, the lock folder
// and a program folder holding the default theme.
struct SessionFolders {
    SessionFolders();
    ~SessionFolders();
    TempFolder config;
    TempFolder files;
    std::string ConfigPath() const { return config.path + "Vextara/brelvix/config.ini"; }
    std::string savedHome;
};

// Writes a small 24-bit BMP file.
void WriteSampleBmp(const std::string& path, int width, int height);

// A value of the settings file as it is stored ("" when missing).
std::string StoredValue(const std::string& path, const std::string& group, const std::string& key);

// Saves a picture of the whole screen as PNG (for looking at the windows).
bool CaptureScreen(const std::string& path);

// The window's name, searched among all windows.
wxWindow* FindNamed(const char* name);

// Runs a program while the event loop goes on (so that the windows can answer it) and
// returns its status and output. A program that outlives the bound is killed.
CommandResult RunWhileLooping(const std::vector<std::string>& argv, int timeoutMs = 20000);

// A window manager (openbox) on the test's display while this lives.
struct WindowManager {
    WindowManager();
    ~WindowManager();
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    bool Running() const { return running; }
    int pid = -1;
    bool running = false;
};

// What a real XDND drag from another X client did.
struct DragResult {
    bool targetFound = false;
    bool accepted = false;
    bool finished = false;
    std::vector<std::string> requested; // the data types the window asked for
    std::string output;
};
// Drags data of the given types (type, data; offered in this order) onto the window
// under a point of the screen and drops it there.
DragResult DragOnto(int screenX, int screenY,
                    const std::vector<std::pair<std::string, std::string>>& offers);

// The X window of a top-level window (0 when it has none yet).
unsigned long XWindowOf(wxWindow* window);
// True when a window manager has put its frame around the window (it has told the
// window the size of that frame).
bool FramedByWindowManager(wxWindow* window);
