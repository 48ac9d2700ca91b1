// The update check as the window shows it, against a server on 127.0.0.1 that each test
// starts: the box each reply gives, the product page on Yes, the busy cursor, the
// question at start and the date it leaves in config.ini.
#include "app/identity.h"
#include "formats/formats.h"
#include "http_test_server.h"
#include "net/http_client.h"
#include "net/update_check.h"
#include "platform/platform.h"
#include "settings/settings.h"
#include "text/text_table.h"
#include "ui/dialogs.h"
#include "ui/later_parts.h"
#include "ui/main_window.h"
#include "ui/start_modes.h"
#include "ui/window_mode.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>
#include <wx/utils.h>
#include <wx/wx.h>

#include <chrono>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

std::string Ok(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
}

struct Box {
    MessageKind kind;
    std::string title, text;
};
const Box kNewVersion{MessageKind::Question, "New Update",
                      "A new version of Vextara BMP to PCX is available! Are you ready to "
                      "download it right now?"};
const Box kUpToDate{MessageKind::Information, "No Update",
                    "There is no update of Vextara BMP to PCX yet. You're using the most recent "
                    "version."};
const Box kFailure{MessageKind::Error, "Error", "Internet connection problems!"};
const Box kAsk{MessageKind::Question, "Check for Updates", "Do you want to check for updates?"};

void ExpectBox(const SeenMessage& seen, const Box& box) {
    EXPECT_EQ(seen.kind, static_cast<int>(box.kind));
    EXPECT_EQ(seen.title, box.title);
    EXPECT_EQ(seen.text, box.text);
}

// Points the update check at a server for as long as it lives.
struct UpdateServerScope {
    explicit UpdateServerScope(const std::string& authority) {
        setenv("BRELVIX_UPDATE_SERVER", authority.c_str(), 1);
    }
    ~UpdateServerScope() { RestoreUpdateServer(); }
};

class UpdateCheckWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { SetHttpTimeLimit(2000); }
    void TearDown() override {
        if (Main().frame) FinishWindowMode();
        SetHttpTimeLimit(0);
        RestoreUpdateServer();
    }
    void Start() {
        StartWindowMode();
        ASSERT_TRUE(RunUntil([] { return Main().frame && Main().frame->IsShownOnScreen(); }));
    }
    // A settings file with these two values, read by the next start.
    void WriteUpdateSettings(int32_t range, int32_t date) {
        MakeFolders(FolderPart(folders.ConfigPath()));
        WriteFile(folders.ConfigPath(), "[General]\nUpdate Range=" + std::to_string(range) +
                                            "\nUpdate Date=" + std::to_string(date) + "\n");
    }
    SessionFolders folders;
    DialogRecorder dialogs;
};

} // namespace

TEST_F(UpdateCheckWindowTest, EachReplyGivesItsBox) {
    Start();
    struct Case {
        const char* name;
        std::string reply;
        const Box& box;
    } cases[] = {
        {"251", Ok("251"), kNewVersion},
        {"250", Ok("250"), kUpToDate},
        {"007", Ok("007"), kUpToDate},
        {"2.6", Ok("2.6"), kUpToDate},
        {"abc", Ok("abc"), kFailure},
        {"1000", Ok("1000"), kUpToDate},
        {" 251", Ok(" 251"), kNewVersion},
        {"empty body", Ok(""), kFailure},
        {"no header end", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n251", kFailure},
        {"longer than the buffer", Ok("251" + std::string(4000, 'x')), kNewVersion},
        {"404 page", "HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n404 Not Found",
         kFailure},
        {"301", "HTTP/1.1 301 Moved Permanently\r\nLocation: http://other/\r\n\r\n301 Moved",
         kFailure},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpTestServer server(c.reply);
        UpdateServerScope scope(server.Authority());
        dialogs.messages.clear();
        dialogs.opened.clear();
        dialogs.answerYes = false;
        RunCommand(kCmdCheckForNewVersion);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        ExpectBox(dialogs.messages[0], c.box);
        EXPECT_TRUE(dialogs.opened.empty());
        EXPECT_EQ(server.Requests().size(), 1u);
    }
}

TEST_F(UpdateCheckWindowTest, YesOpensTheProductPageAndTheWindowWaitsBusy) {
    Start();
    HttpTestServer server(Ok("260"));
    bool busyWhileAsked = false;
    server.onRequest = [&] { busyWhileAsked = wxIsBusy(); };
    UpdateServerScope scope(server.Authority());
    dialogs.answerYes = true;
    RunCommand(kCmdCheckForNewVersion);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    ExpectBox(dialogs.messages[0], kNewVersion);
    EXPECT_EQ(dialogs.opened, std::vector<std::string>{WebSiteAddress() + "brelvix/"});
    EXPECT_TRUE(busyWhileAsked);
    EXPECT_FALSE(wxIsBusy());
}

TEST_F(UpdateCheckWindowTest, FailuresWithoutAReplyGiveTheFailureBox) {
    Start();
    HttpTestServer closing("", HttpTestServer::Behaviour::CloseAtOnce);
    const std::string unresolvable = std::string(64, 'a') + ".invalid"; // fails without a query
    for (const std::string& authority :
         {"127.0.0.1:" + std::to_string(RefusedPort()), closing.Authority(), unresolvable}) {
        SCOPED_TRACE(authority);
        UpdateServerScope scope(authority);
        dialogs.messages.clear();
        RunCommand(kCmdCheckForNewVersion);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        ExpectBox(dialogs.messages[0], kFailure);
    }
}

// The one case in real time: a server that accepts and never answers.
TEST_F(UpdateCheckWindowTest, ASilentServerGivesTheFailureBoxAfterTenSeconds) {
    Start();
    SetHttpTimeLimit(0);
    HttpTestServer server("", HttpTestServer::Behaviour::Silent);
    UpdateServerScope scope(server.Authority());
    const auto start = Clock::now();
    RunCommand(kCmdCheckForNewVersion);
    const auto waited = Clock::now() - start;
    ASSERT_EQ(dialogs.messages.size(), 1u);
    ExpectBox(dialogs.messages[0], kFailure);
    EXPECT_GE(waited, std::chrono::milliseconds(9900));
    EXPECT_LT(waited, std::chrono::milliseconds(13000));
}

TEST_F(UpdateCheckWindowTest, TheQuestionAtStartFollowsTheInterval) {
    constexpr int32_t kDay = 86400;
    HttpTestServer server(Ok("250"));
    UpdateServerScope scope(server.Authority());
    struct Case {
        const char* name;
        int32_t range;
        int32_t daysAgo; // of the last check, in seconds when negative
        bool asks;
    } cases[] = {
        {"never, for years", 5, 3000, false},
        {"every day, two days ago", 0, 2, true},
        {"every day, an hour ago", 0, -3600, false},
        {"every week, eight days ago", 1, 8, true},
        {"every week, six days ago", 1, 6, false},
        {"out of range acts as 30 days, 31 days ago", 9, 31, true},
        {"out of range acts as 30 days, 29 days ago", 9, 29, false},
        {"every 180 days, 181 days ago", 4, 181, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t ago = c.daysAgo < 0 ? -c.daysAgo : c.daysAgo * kDay;
        const int32_t last = LocalDateNow() - ago;
        WriteUpdateSettings(c.range, last);
        dialogs.messages.clear();
        dialogs.answerYes = false;
        Start();
        if (c.asks) {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            ExpectBox(dialogs.messages[0], kAsk);
            // No moves the date all the same, so the question is not asked again.
            EXPECT_GE(gSettings.updateDate, LocalDateNow() - 5);
            PeriodicUpdateCheck();
            EXPECT_EQ(dialogs.messages.size(), 1u);
        } else {
            EXPECT_TRUE(dialogs.messages.empty());
            EXPECT_EQ(gSettings.updateDate, last);
        }
        FinishWindowMode();
    }
    EXPECT_TRUE(server.Requests().empty()); // every answer was No
}

TEST_F(UpdateCheckWindowTest, YesChecksAndTheDateReachesTheSettingsFile) {
    HttpTestServer server(Ok("250"));
    UpdateServerScope scope(server.Authority());
    WriteUpdateSettings(2, LocalDateNow() - 40 * 86400);
    dialogs.answerYes = true;
    Start();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    ExpectBox(dialogs.messages[0], kAsk);
    ExpectBox(dialogs.messages[1], kUpToDate);
    EXPECT_EQ(server.Requests().size(), 1u);
    const int32_t moved = gSettings.updateDate;
    EXPECT_GE(moved, LocalDateNow() - 5);
    FinishWindowMode();
    EXPECT_EQ(StoredValue(folders.ConfigPath(), "General", "Update Date"), std::to_string(moved));
}

TEST_F(UpdateCheckWindowTest, TheScreenshotModeNeverAsks) {
    HttpTestServer server(Ok("251"));
    UpdateServerScope scope(server.Authority());
    BuildFormatTables();
    ResetJob();
    ResetSettings(true);
    BuildTextTable();
    gJob.programFolder = FolderPart(BrelvixPath());
    PrepareScreenshotMode();
    gSettings.updateRange = 0;
    gSettings.updateDate = 0;
    RunScreenshotMode(folders.files.path);
    gJob.mode.clear();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(IsFile(folders.files.File("brelvix1.jpg")));
}
