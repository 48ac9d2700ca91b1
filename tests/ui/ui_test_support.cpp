#include "ui_test_support.h"

#include "bmp_writer.h"

#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/dialogs.h"

#include <wx/evtloop.h>
#include <wx/timer.h>
#include <wx/wx.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <chrono>
#include <csignal>
#include <dlfcn.h>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

bool RunUntil(const std::function<bool()>& pred, int timeoutMs) {
    if (pred()) return true;
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    const auto start = std::chrono::steady_clock::now();
    bool held = false;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        // Never end a loop from inside a modal dialog's own loop.
        if (wxEventLoopBase::GetActive() != &loop) return;
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (pred()) {
            held = true;
            loop.ScheduleExit();
        } else if (elapsed > std::chrono::milliseconds(timeoutMs)) {
            loop.ScheduleExit();
        }
    });
    timer.Start(10);
    loop.Run();
    timer.Stop();
    return held;
}

void RunFor(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    RunUntil([end] { return std::chrono::steady_clock::now() >= end; }, ms + 1000);
}

struct Agent::Impl {
    wxTimer timer;
    std::function<bool()> step;
    bool done = false;
};

Agent::Agent(std::function<bool()> step) : impl(new Impl) {
    impl->step = std::move(step);
    impl->timer.Bind(wxEVT_TIMER, [this](wxTimerEvent&) {
        if (impl->done) return;
        if (impl->step()) {
            impl->done = true;
            impl->timer.Stop();
        }
    });
    impl->timer.Start(15);
}

Agent::~Agent() {
    impl->timer.Stop();
    delete impl;
}

bool Agent::Done() const {
    return impl->done;
}

DialogRecorder::DialogRecorder() {
    DialogSeam seam;
    seam.message = [this](MessageKind kind, const std::string& title, const std::string& text) {
        messages.push_back({static_cast<int>(kind), title, text});
        if (kind == MessageKind::Question && onQuestion) onQuestion();
        return kind == MessageKind::Question ? answerYes : true;
    };
    seam.openFile = [this](const std::string&, const std::string&, const std::string& filter) {
        fileFilters.push_back(filter);
        return fileAnswer;
    };
    seam.folder = [this](const std::string&, const std::string&) { return folderAnswer; };
    seam.colour = [](std::string&) { return false; };
    seam.font = [](FontChoice&) { return false; };
    SetDialogSeam(seam);
    SetExternalOpener([this](const std::string& target) { opened.push_back(target); });
}

DialogRecorder::~DialogRecorder() {
    SetDialogSeam({});
    SetExternalOpener({});
}

SessionFolders::SessionFolders() {
    setenv("XDG_CONFIG_HOME", config.path.c_str(), 1);
    ResetSettings(false);
    ResetJob();
    gJob.mode.clear();
    // The build tree holds the default theme beside the executable.
    gJob.programFolder = FolderPart(BrelvixPath());
}

SessionFolders::~SessionFolders() {
    unsetenv("XDG_CONFIG_HOME");
}

void WriteSampleBmp(const std::string& path, int width, int height) {
    RgbImage picture{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = picture.At(x, y);
            p[0] = 200;                                                                    // red
            p[1] = static_cast<uint8_t>((height - 1 - y) * 255 / std::max(1, height - 1)); // green
            p[2] = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));                 // blue
        }
    WriteBmpFile(path, picture, BmpLayout{});
}

std::string StoredValue(const std::string& path, const std::string& group, const std::string& key) {
    IniFile ini;
    if (!ReadIniFile(path, ini)) return "";
    const std::string* value = FindValue(FindGroup(ini, group), key);
    return value ? *value : "";
}

bool CaptureScreen(const std::string& path) {
    const char* display = std::getenv("DISPLAY");
    if (!display) return false;
    return RunCommand("import -display " + ShellQuote(display) + " -window root " +
                      ShellQuote(path))
               .status == 0;
}

wxWindow* FindNamed(const char* name) {
    return wxWindow::FindWindowByName(name);
}

CommandResult RunWhileLooping(const std::vector<std::string>& argv, int timeoutMs) {
    CommandResult result;
    TempFolder folder;
    const std::string outPath = folder.File("out"), errPath = folder.File("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return result;
    int status = 0;
    const bool ended = RunUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeoutMs);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        result.status = -1;
    } else {
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

namespace {

// True when a window manager manages the screen: it owns the manager selection of
// screen 0 (a manager that has ended leaves it, unlike the properties it set).
bool WindowManagerAnnounced() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const Atom selection = XInternAtom(display, "WM_S0", False);
    const bool found = XGetSelectionOwner(display, selection) != None;
    XCloseDisplay(display);
    return found;
}

} // namespace

WindowManager::WindowManager() {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char name[] = "openbox", option[] = "--sm-disable";
    char* args[] = {name, option, nullptr};
    pid_t child = -1;
    if (posix_spawnp(&child, name, &actions, nullptr, args, environ) == 0) pid = child;
    posix_spawn_file_actions_destroy(&actions);
    if (pid <= 0 || !RunUntil([] { return WindowManagerAnnounced(); }, 10000)) return;
    // The manager has taken the screen; it is at work once it frames a new window. While
    // it is still starting it drops the requests to show one, so the probe asks again
    // every quarter second until it is framed.
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    const Window probe =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
    auto asked = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    running = RunUntil(
        [&] {
            Window root = None, parent = None, *children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(display, probe, &root, &parent, &children, &count)) return false;
            if (children) XFree(children);
            if (parent != root) return true;
            if (std::chrono::steady_clock::now() - asked > std::chrono::milliseconds(250)) {
                XMapWindow(display, probe);
                XFlush(display);
                asked = std::chrono::steady_clock::now();
            }
            return false;
        },
        20000);
    XDestroyWindow(display, probe);
    XCloseDisplay(display);
}

WindowManager::~WindowManager() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    if (!RunUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 5000)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    RunUntil([] { return !WindowManagerAnnounced(); }, 5000);
}

DragResult DragOnto(int screenX, int screenY,
                    const std::vector<std::pair<std::string, std::string>>& offers) {
    std::vector<std::string> argv = {XDND_DRAG, std::to_string(screenX), std::to_string(screenY)};
    for (const auto& [type, data] : offers) {
        argv.push_back(type);
        argv.push_back(data);
    }
    const CommandResult run = RunWhileLooping(argv);
    DragResult result;
    result.output = run.out + run.err + "status " + std::to_string(run.status);
    size_t start = 0;
    while (start < run.out.size()) {
        size_t end = run.out.find('\n', start);
        if (end == std::string::npos) end = run.out.size();
        const std::string line = run.out.substr(start, end - start);
        if (line.rfind("target 0x", 0) == 0) result.targetFound = true;
        if (line == "status accept=1") result.accepted = true;
        if (line == "finished accept=1") result.finished = true;
        if (line.rfind("requested ", 0) == 0) result.requested.push_back(line.substr(10));
        start = end + 1;
    }
    return result;
}

unsigned long XWindowOf(wxWindow* window) {
    using WidgetWindow = void* (*)(void*);
    using WindowXid = unsigned long (*)(void*);
    static const auto widgetWindow =
        reinterpret_cast<WidgetWindow>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
    static const auto windowXid =
        reinterpret_cast<WindowXid>(dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
    if (!window || !widgetWindow || !windowXid || !window->GetHandle()) return 0;
    void* gdkWindow = widgetWindow(window->GetHandle());
    return gdkWindow ? windowXid(gdkWindow) : 0;
}

bool FramedByWindowManager(wxWindow* window) {
    const unsigned long xid = XWindowOf(window);
    if (!xid) return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool found = XGetWindowProperty(display, xid, extents, 0, 4, False, XA_CARDINAL, &type,
                                          &format, &count, &after, &data) == Success &&
                       type == XA_CARDINAL && count == 4;
    if (data) XFree(data);
    XCloseDisplay(display);
    return found;
}
