// A small HTTP server for the tests of the update check: it listens on 127.0.0.1 on a
// port of the system's choice, serves one connection at a time on its own thread,
// records each request and answers with the reply it was given. Every wait it makes
// is bounded, and it stops when the object goes.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HttpTestServer {
    enum class Behaviour {
        Reply,       // read the request, send the reply, close
        Silent,      // accept, read the request, send nothing, keep the connection open
        CloseAtOnce, // accept and close without reading or sending
    };
    explicit HttpTestServer(std::string reply, Behaviour behaviour = Behaviour::Reply);
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port = 0;
    // "127.0.0.1:" + port, for BRELVIX_UPDATE_SERVER and addresses.
    std::string Authority() const;
    // The requests received so far, each as its bytes up to the empty line.
    std::vector<std::string> Requests();
    // Waits (bounded) until n requests have arrived.
    bool WaitForRequests(size_t n, int timeoutMs = 10000);
    // Runs on the server's thread when a request has been read, before the reply.
    std::function<void()> onRequest;

  private:
    void Serve();
    std::string reply_;
    Behaviour behaviour_;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens (a connection is refused).
int RefusedPort();

// Gives BRELVIX_UPDATE_SERVER back the value the test program started with.
void RestoreUpdateServer();
