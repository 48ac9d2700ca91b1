#include "net/http_client.h"

#include "platform/platform.h"

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <pthread.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultTimeLimitMs = 10000;
std::atomic<int> gTimeLimitMs{kDefaultTimeLimitMs};

constexpr const char* kFallbackAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; en)";

// A socket that closes itself.
struct Socket {
    int fd = -1;
    Socket() = default;
    explicit Socket(int handle) : fd(handle) {}
    Socket(Socket&& other) noexcept : fd(other.fd) { other.fd = -1; }
    Socket& operator=(Socket&& other) noexcept {
        if (this != &other) {
            Close();
            fd = other.fd;
            other.fd = -1;
        }
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() { Close(); }
    void Close() {
        if (fd >= 0) close(fd);
        fd = -1;
    }
    explicit operator bool() const { return fd >= 0; }
};

// Milliseconds left until the deadline, 0 when it has passed.
int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until the socket is ready for the events or the deadline passes.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    while (true) {
        const int left = MillisecondsLeft(deadline);
        if (left <= 0) return false;
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, left);
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

struct Address {
    sockaddr_storage storage{};
    socklen_t length = 0;
    int family = AF_UNSPEC;
};

std::vector<Address> CopyAddresses(const addrinfo* list) {
    std::vector<Address> out;
    for (const addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_addrlen > sizeof(sockaddr_storage)) continue;
        Address address;
        std::memcpy(&address.storage, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        address.family = a->ai_family;
        out.push_back(address);
    }
    return out;
}

// A name lookup that runs on a thread of its own, so that the caller can stop waiting
// for it. The thread keeps the record alive until it has finished.
struct Lookup {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    std::vector<Address> addresses;
};

struct LookupTask {
    std::shared_ptr<Lookup> lookup;
    std::string host;
    std::string service;
};

void* RunLookup(void* argument) {
    std::unique_ptr<LookupTask> task(static_cast<LookupTask*>(argument));
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    std::vector<Address> result;
    if (getaddrinfo(task->host.c_str(), task->service.c_str(), &hints, &found) == 0) {
        result = CopyAddresses(found);
        freeaddrinfo(found);
    }
    std::lock_guard<std::mutex> guard(task->lookup->lock);
    task->lookup->addresses = std::move(result);
    task->lookup->done = true;
    task->lookup->finished.notify_all();
    return nullptr;
}

bool LookUp(const std::string& host, int port, Clock::time_point deadline,
            std::vector<Address>& addresses) {
    const std::string service = std::to_string(port);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    // A numeric address needs no lookup.
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), service.c_str(), &hints, &list) == 0) {
        addresses = CopyAddresses(list);
        freeaddrinfo(list);
        return !addresses.empty();
    }

    auto lookup = std::make_shared<Lookup>();
    auto* task = new LookupTask{lookup, host, service};
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) {
        delete task;
        return false;
    }
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const bool started = pthread_create(&thread, &attributes, RunLookup, task) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        delete task;
        return false;
    }
    std::unique_lock<std::mutex> guard(lookup->lock);
    if (!lookup->finished.wait_until(guard, deadline, [&] { return lookup->done; })) return false;
    addresses = std::move(lookup->addresses);
    return !addresses.empty();
}

// Connects to the first address that accepts before the deadline.
Socket Connect(const std::vector<Address>& addresses, Clock::time_point deadline) {
    for (const Address& address : addresses) {
        Socket socket(::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!socket) continue;
        if (connect(socket.fd, reinterpret_cast<const sockaddr*>(&address.storage),
                    address.length) == 0)
            return socket;
        if (errno != EINPROGRESS) continue;
        if (!WaitFor(socket.fd, POLLOUT, deadline)) return Socket{};
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
            return socket;
    }
    return Socket{};
}

bool SendAll(const Socket& socket, std::string_view data, Clock::time_point deadline) {
    while (!data.empty()) {
        const ssize_t sent = send(socket.fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<size_t>(sent));
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            if (!WaitFor(socket.fd, POLLOUT, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// Receives until the peer closes, an error, a full buffer or the deadline; returns the
// number of bytes received.
size_t Receive(const Socket& socket, char* buffer, size_t capacity, Clock::time_point deadline) {
    size_t received = 0;
    while (received < capacity) {
        if (!WaitFor(socket.fd, POLLIN, deadline)) break;
        const ssize_t n = recv(socket.fd, buffer + received, capacity - received, 0);
        if (n > 0) {
            received += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
            continue;
        } else {
            break; // closed by the peer, or an error
        }
    }
    return received;
}

// True when the status line of the reply says 200.
bool StatusIsOk(std::string_view reply) {
    const size_t end = reply.find("\r\n");
    std::string_view line = reply.substr(0, end);
    if (line.substr(0, 5) != "HTTP/") return false;
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    line.remove_prefix(space);
    while (!line.empty() && line.front() == ' ')
        line.remove_prefix(1);
    if (line.substr(0, 3) != "200") return false;
    return line.size() == 3 || line[3] == ' ';
}

} // namespace

bool SplitHttpUrl(const std::string& url, UrlParts& parts) {
    std::string_view rest(url);
    const std::string_view scheme = "http://";
    if (rest.size() >= scheme.size() && EqualsNoCase(rest.substr(0, scheme.size()), scheme))
        rest.remove_prefix(scheme.size());
    const size_t slash = rest.find('/');
    std::string_view authority = rest.substr(0, slash);
    parts.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
    parts.port = 80;
    size_t colon = std::string_view::npos;
    if (!authority.empty() && authority.front() == '[') {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos) return false;
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':') return false;
            colon = close + 1;
        }
    } else {
        colon = authority.find(':');
    }
    if (colon != std::string_view::npos) {
        const std::string_view digits = authority.substr(colon + 1);
        if (digits.empty() || digits.size() > 5) return false;
        int port = 0;
        for (char c : digits) {
            if (c < '0' || c > '9') return false;
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535) return false;
        parts.port = port;
        authority = authority.substr(0, colon);
    }
    parts.host = std::string(authority);
    return !parts.host.empty();
}

std::string HttpRequestText(const std::string& host, const std::string& path,
                            const std::string& agent) {
    return "GET " + path + " HTTP/1.0\r\n" + "Host: " + host + "\r\n" + "Accept: */*\r\n" +
           "User-Agent: " + agent + "\r\n" + "Connection: close\r\n" + "\r\n";
}

std::string ReplyBody(std::string_view reply) {
    const size_t zero = reply.find('\0');
    if (zero != std::string_view::npos) reply = reply.substr(0, zero);
    if (!StatusIsOk(reply)) return "";
    const size_t headerEnd = reply.find("\r\n\r\n");
    if (headerEnd == std::string_view::npos) return "";
    std::string_view body = reply.substr(headerEnd + 4);
    body = body.substr(0, body.find("\r\n\r\n"));
    return TrimSpaces(body).substr(0, 3);
}

std::string HttpGetBody(const std::string& url, const std::string& agent) {
    if (url.empty()) return "";
    UrlParts parts;
    if (!SplitHttpUrl(url, parts)) return "";
    const auto deadline = Clock::now() + std::chrono::milliseconds(HttpTimeLimit());

    std::string host = parts.host;
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    std::vector<Address> addresses;
    if (!LookUp(host, parts.port, deadline, addresses)) return "";
    const Socket socket = Connect(addresses, deadline);
    if (!socket) return "";
    const std::string request =
        HttpRequestText(parts.host, parts.path, agent.empty() ? kFallbackAgent : agent);
    if (!SendAll(socket, request, deadline)) return "";

    std::vector<char> buffer(kReceiveLimit, '\0');
    const size_t received = Receive(socket, buffer.data(), buffer.size(), deadline);
    return ReplyBody(std::string_view(buffer.data(), received));
}

void SetHttpTimeLimit(int milliseconds) {
    gTimeLimitMs = milliseconds > 0 ? milliseconds : kDefaultTimeLimitMs;
}

int HttpTimeLimit() {
    return gTimeLimitMs;
}
