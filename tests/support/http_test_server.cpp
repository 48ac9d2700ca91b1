#include "http_test_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// BRELVIX_UPDATE_SERVER as the test program found it.
const bool kHadUpdateServer = std::getenv("BRELVIX_UPDATE_SERVER") != nullptr;
const std::string kStartUpdateServer = kHadUpdateServer ? std::getenv("BRELVIX_UPDATE_SERVER") : "";

constexpr int kServerWaitMs = 30000; // longest wait for a client, a request or the end

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until fd is readable or the wake pipe is; false on the wake pipe or time-out.
bool Readable(int fd, int wake, Clock::time_point end) {
    while (true) {
        const int left = Remaining(end);
        if (left <= 0) return false;
        pollfd p[2] = {{fd, POLLIN, 0}, {wake, POLLIN, 0}};
        const int n = poll(p, 2, left);
        if (n < 0) continue;
        if (p[1].revents) return false;
        if (p[0].revents) return true;
    }
}

int ListenOnLoopback(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

HttpTestServer::HttpTestServer(std::string reply, Behaviour behaviour)
    : reply_(std::move(reply)), behaviour_(behaviour) {
    listener_ = ListenOnLoopback(port);
    if (pipe2(wake_, O_CLOEXEC) != 0) wake_[0] = wake_[1] = -1;
    if (listener_ >= 0 && wake_[0] >= 0) thread_ = std::thread([this] { Serve(); });
}

HttpTestServer::~HttpTestServer() {
    if (wake_[1] >= 0) {
        const char stop = 's';
        (void)!write(wake_[1], &stop, 1);
    }
    if (thread_.joinable()) thread_.join();
    for (int fd : {listener_, wake_[0], wake_[1]})
        if (fd >= 0) close(fd);
}

std::string HttpTestServer::Authority() const {
    return "127.0.0.1:" + std::to_string(port);
}

std::vector<std::string> HttpTestServer::Requests() {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

bool HttpTestServer::WaitForRequests(size_t n, int timeoutMs) {
    std::unique_lock<std::mutex> guard(lock_);
    return arrived_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                             [&] { return requests_.size() >= n; });
}

void HttpTestServer::Serve() {
    const auto end = Clock::now() + std::chrono::milliseconds(kServerWaitMs);
    while (Readable(listener_, wake_[0], end)) {
        const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        if (behaviour_ == Behaviour::CloseAtOnce) {
            close(client);
            continue;
        }
        // The request ends with an empty line.
        std::string request;
        char chunk[512];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 &&
               Readable(client, wake_[0], end)) {
            const ssize_t n = recv(client, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            request.append(chunk, static_cast<size_t>(n));
        }
        if (onRequest) onRequest();
        {
            std::lock_guard<std::mutex> guard(lock_);
            requests_.push_back(request);
        }
        arrived_.notify_all();
        if (behaviour_ == Behaviour::Silent) {
            // Holds the connection until the client gives up or the server stops.
            while (Readable(client, wake_[0], end)) {
                if (recv(client, chunk, sizeof chunk, 0) <= 0) break;
            }
        } else {
            size_t sent = 0;
            while (sent < reply_.size()) {
                const ssize_t n =
                    send(client, reply_.data() + sent, reply_.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
        }
        close(client);
    }
}

int RefusedPort() {
    // A port the system handed out and that is closed again at once.
    int port = 0;
    const int fd = ListenOnLoopback(port);
    if (fd >= 0) close(fd);
    return port;
}

void RestoreUpdateServer() {
    if (kHadUpdateServer)
        setenv("BRELVIX_UPDATE_SERVER", kStartUpdateServer.c_str(), 1);
    else
        unsetenv("BRELVIX_UPDATE_SERVER");
}
