#include "ui_test_support.h"

#include "bmp_writer.h"

#include "platform/platform.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "ui/dialogs.h"

#include <wx/evtloop.h>
#include <wx/timer.h>
#include <wx/wx.h>

#include <chrono>
#include <cstdlib>

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
