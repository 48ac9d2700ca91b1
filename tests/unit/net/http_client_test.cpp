// The update check's HTTP client against a server on 127.0.0.1 that each test starts.
#include "app/identity.h"
#include "http_test_server.h"
#include "net/http_client.h"
#include "net/update_check.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

std::string Ok(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
}

// A host name that cannot be looked up: a label longer than 63 characters cannot be put
// into a name-server query, so the lookup fails here without sending anything.
std::string UnresolvableHost() {
    return std::string(64, 'a') + ".invalid";
}

// Every test keeps its exchanges short, except where it says otherwise.
class HttpClientTest : public ::testing::Test {
  protected:
    void SetUp() override { SetHttpTimeLimit(2000); }
    void TearDown() override {
        SetHttpTimeLimit(0);
        RestoreUpdateServer();
    }
};

} // namespace

TEST_F(HttpClientTest, SendsTheSixLinesOfTheRequest) {
    HttpTestServer server(Ok("251"));
    ASSERT_GT(server.port, 0);
    EXPECT_EQ(HttpGetBody("http://" + server.Authority() + "/files/brelvix.dat",
                          "Vextara BMP to PCX 2.5"),
              "251");
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_EQ(server.Requests().at(0), "GET /files/brelvix.dat HTTP/1.0\r\n"
                                       "Host: 127.0.0.1\r\n"
                                       "Accept: */*\r\n"
                                       "User-Agent: Vextara BMP to PCX 2.5\r\n"
                                       "Connection: close\r\n"
                                       "\r\n");
}

TEST_F(HttpClientTest, TheUpdateCheckAsksForTheVersionFileAsTheProduct) {
    HttpTestServer server(Ok("250"));
    setenv("BRELVIX_UPDATE_SERVER", server.Authority().c_str(), 1);
    EXPECT_EQ(VersionFileUrl(), "http://" + server.Authority() + "/files/brelvix.dat");
    EXPECT_EQ(QueryUpdate(), UpdateAnswer::UpToDate);
    ASSERT_TRUE(server.WaitForRequests(1));
    const std::string request = server.Requests().at(0);
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "GET /files/brelvix.dat HTTP/1.0");
    EXPECT_NE(request.find("\r\nUser-Agent: " + ProductTitle() + "\r\n"), std::string::npos);
}

TEST_F(HttpClientTest, AnEmptyAgentIsSentAsABrowsers) {
    HttpTestServer server(Ok("251"));
    HttpGetBody("http://" + server.Authority() + "/x", "");
    ASSERT_TRUE(server.WaitForRequests(1));
    EXPECT_NE(server.Requests().at(0).find(
                  "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; en)\r\n"),
              std::string::npos);
}

// What each reply gives: the body text and the answer of the update check.
TEST_F(HttpClientTest, RepliesAndTheirAnswers) {
    // A reply of exactly the buffer's size, its body in the last three bytes.
    std::string full = "HTTP/1.0 200 OK\r\nX-Padding: ";
    full += std::string(kReceiveLimit - full.size() - 7, 'p') + "\r\n\r\n251";
    ASSERT_EQ(full.size(), kReceiveLimit);
    struct Case {
        const char* name;
        std::string reply;
        std::string body;
        UpdateAnswer answer;
    } cases[] = {
        {"newer", Ok("251"), "251", UpdateAnswer::NewVersion},
        {"same", Ok("250"), "250", UpdateAnswer::UpToDate},
        {"leading zeros", Ok("007"), "007", UpdateAnswer::UpToDate},
        {"decimal point", Ok("2.6"), "2.6", UpdateAnswer::UpToDate},
        {"no number", Ok("abc"), "abc", UpdateAnswer::ConnectionProblem},
        {"four digits", Ok("1000"), "100", UpdateAnswer::UpToDate},
        {"leading blank", Ok(" 251"), "251", UpdateAnswer::NewVersion},
        {"line end after the number", Ok("251\r\n"), "251", UpdateAnswer::NewVersion},
        {"empty body", Ok(""), "", UpdateAnswer::ConnectionProblem},
        {"body up to an empty line", Ok("\r\n\r\n251"), "", UpdateAnswer::ConnectionProblem},
        {"no header end", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n251", "",
         UpdateAnswer::ConnectionProblem},
        {"longer than the buffer", Ok("251" + std::string(5000, '9')), "251",
         UpdateAnswer::NewVersion},
        {"filling the buffer exactly", full, "251", UpdateAnswer::NewVersion},
        {"header longer than the buffer",
         "HTTP/1.0 200 OK\r\nX-Padding: " + std::string(3000, 'p') + "\r\n\r\n251", "",
         UpdateAnswer::ConnectionProblem},
        {"not found page", "HTTP/1.0 404 Not Found\r\n\r\n404 Not Found", "",
         UpdateAnswer::ConnectionProblem},
        {"moved", "HTTP/1.1 301 Moved Permanently\r\nLocation: http://elsewhere/\r\n\r\n301", "",
         UpdateAnswer::ConnectionProblem},
        {"proxy error", "HTTP/1.1 502 Bad Gateway\r\n\r\n502 Bad Gateway", "",
         UpdateAnswer::ConnectionProblem},
        {"status 2000", "HTTP/1.0 2000 Odd\r\n\r\n251", "", UpdateAnswer::ConnectionProblem},
        {"no status line", "251\r\n\r\n251", "", UpdateAnswer::ConnectionProblem},
        {"HTTP/1.1 200", "HTTP/1.1 200 OK\r\n\r\n260", "260", UpdateAnswer::NewVersion},
        {"zero byte in the body",
         Ok(std::string("25\0"
                        "1",
                        4)),
         "25", UpdateAnswer::UpToDate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpTestServer server(c.reply);
        const std::string body = HttpGetBody("http://" + server.Authority() + "/v", "agent");
        EXPECT_EQ(body, c.body);
        EXPECT_EQ(UpdateAnswerFor(body), c.answer);
        EXPECT_EQ(ReplyBody(c.reply.substr(0, kReceiveLimit)), c.body);
    }
}

TEST_F(HttpClientTest, ConnectionFailuresGiveNoBody) {
    HttpTestServer closing("", HttpTestServer::Behaviour::CloseAtOnce);
    struct Case {
        const char* name;
        std::string url;
    } cases[] = {
        {"refused port", "http://127.0.0.1:" + std::to_string(RefusedPort()) + "/v"},
        {"closed without a reply", "http://" + closing.Authority() + "/v"},
        {"unresolvable host", "http://" + UnresolvableHost() + "/files/brelvix.dat"},
        {"empty address", ""},
        {"no host", "http:///files/brelvix.dat"},
        {"port not a number", "http://127.0.0.1:http/v"},
        {"port out of range", "http://127.0.0.1:70000/v"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto start = Clock::now();
        EXPECT_EQ(HttpGetBody(c.url, "agent"), "");
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1900));
    }
}

TEST_F(HttpClientTest, ASilentServerEndsTheWaitAtTheTimeLimit) {
    SetHttpTimeLimit(400);
    HttpTestServer server("", HttpTestServer::Behaviour::Silent);
    const auto start = Clock::now();
    EXPECT_EQ(HttpGetBody("http://" + server.Authority() + "/v", "agent"), "");
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(390));
    EXPECT_LT(waited, std::chrono::milliseconds(1900));
    EXPECT_TRUE(server.WaitForRequests(1));
}

// A listener that never accepts, its queue filled: the next connection is neither accepted
// nor refused, so connecting waits until the time limit ends it.
TEST_F(HttpClientTest, AConnectionThatIsNeverAcceptedEndsAtTheTimeLimit) {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::vector<int> queued;
    for (int i = 0; i < 4; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        queued.push_back(fd);
    }
    SetHttpTimeLimit(500);
    const auto start = Clock::now();
    EXPECT_EQ(
        HttpGetBody("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/v", "agent"),
        "");
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(490));
    EXPECT_LT(waited, std::chrono::milliseconds(1900));
    for (int fd : queued)
        close(fd);
    close(listener);
}

TEST_F(HttpClientTest, UrlsSplitIntoHostPortAndPath) {
    struct Case {
        std::string url;
        bool ok;
        std::string host, path;
        int port;
    } cases[] = {
        {"http://www.example/files/brelvix.dat", true, "www.example", "/files/brelvix.dat", 80},
        {"http://www.example:8080/files/brelvix.dat", true, "www.example", "/files/brelvix.dat",
         8080},
        {"HTTP://host", true, "host", "/", 80},
        {"host:81/a/b", true, "host", "/a/b", 81},
        {"http://[::1]:8000/v", true, "[::1]", "/v", 8000},
        {"http://host:0/", false, "", "", 0},
        {"http://host:/", false, "", "", 0},
        {"http://:80/", false, "", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        UrlParts parts;
        ASSERT_EQ(SplitHttpUrl(c.url, parts), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(parts.host, c.host);
        EXPECT_EQ(parts.path, c.path);
        EXPECT_EQ(parts.port, c.port);
    }
}

TEST(UpdateCheck, ServerAndProductPage) {
    unsetenv("BRELVIX_UPDATE_SERVER");
    EXPECT_EQ(UpdateServer(), WebServer());
    EXPECT_EQ(VersionFileUrl(), "http://" + WebServer() + "/files/brelvix.dat");
    EXPECT_EQ(ProductPageUrl(), "http://" + WebServer() + "/brelvix/");
    setenv("BRELVIX_UPDATE_SERVER", "127.0.0.1:8123", 1);
    EXPECT_EQ(VersionFileUrl(), "http://127.0.0.1:8123/files/brelvix.dat");
    EXPECT_EQ(ProductPageUrl(), "http://" + WebServer() + "/brelvix/");
    RestoreUpdateServer();
}

TEST(UpdateCheck, WhenTheAutomaticCheckIsDue) {
    constexpr int32_t kDay = 86400;
    const int32_t last = 1700000000;
    struct Case {
        int32_t range;
        int32_t since; // seconds from the last check to now
        bool due;
    } cases[] = {
        {0, kDay - 1, false},      {0, kDay, false},         {0, kDay + 1, true},
        {1, 7 * kDay, false},      {1, 7 * kDay + 1, true},  {2, 30 * kDay, false},
        {2, 30 * kDay + 1, true},  {3, 90 * kDay + 1, true}, {3, 89 * kDay, false},
        {4, 180 * kDay + 1, true}, {4, 179 * kDay, false},   {5, 100000 * 1000, false},
        {6, 30 * kDay + 1, true},  {6, 29 * kDay, false},    {-1, 30 * kDay + 1, true},
        {-1, 29 * kDay, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("range " + std::to_string(c.range) + ", " + std::to_string(c.since) + " s");
        EXPECT_EQ(UpdateCheckDue(c.range, last, last + c.since), c.due);
    }
    // A date near the end of the 32-bit range does not wrap around into the past.
    EXPECT_FALSE(UpdateCheckDue(4, 2147483000, 2147483600));
    EXPECT_EQ(UpdateIntervalDays(5), 0);
    EXPECT_EQ(UpdateIntervalDays(42), 30);
}

TEST(UpdateCheck, AnswersOfTheVersionNumber) {
    struct Case {
        const char* body;
        UpdateAnswer answer;
    } cases[] = {
        {"251", UpdateAnswer::NewVersion},        {"999", UpdateAnswer::NewVersion},
        {"250", UpdateAnswer::UpToDate},          {"2", UpdateAnswer::UpToDate},
        {"+26", UpdateAnswer::UpToDate},          {"-1", UpdateAnswer::UpToDate},
        {"0", UpdateAnswer::ConnectionProblem},   {"", UpdateAnswer::ConnectionProblem},
        {"x25", UpdateAnswer::ConnectionProblem},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UpdateAnswerFor(c.body), c.answer) << c.body;
}
