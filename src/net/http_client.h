// A minimal HTTP/1.0 client over a plain TCP connection: one request, one reply of at
// most kReceiveLimit bytes, the first characters of its body. The update check is its
// only user.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The host, port and path of an http:// address.
struct UrlParts {
    std::string host; // as written, without the port ("[::1]" keeps its brackets)
    std::string path; // begins with "/"
    int port = 80;
};

// Splits "http://host/path" or "http://host:port/path" (the scheme may be left out).
// False when there is no host or the port is not a number from 1 to 65535.
bool SplitHttpUrl(const std::string& url, UrlParts& parts);

// The request for a path: six lines ended by CR LF, the last one empty.
std::string HttpRequestText(const std::string& host, const std::string& path,
                            const std::string& agent);

// The most bytes of a reply that are received; the rest is never read.
inline constexpr size_t kReceiveLimit = 2048;

// At most the first three characters of the body of a reply, trimmed of spaces: the text
// between the end of the header and the next empty line. "" for a reply whose status is
// not 200 or that has no header end. The reply is taken up to its first zero byte.
std::string ReplyBody(std::string_view reply);

// Fetches the address and returns ReplyBody of the reply, or "" on any failure (no
// address, no connection, refused, no reply in time). An empty agent is sent as a
// browser's. The whole exchange (looking up the host, connecting, sending, receiving)
// ends when the time limit has passed.
std::string HttpGetBody(const std::string& url, const std::string& agent);

// The time limit of one exchange, 10000 ms unless a test sets another; 0 or less restores it.
void SetHttpTimeLimit(int milliseconds);
int HttpTimeLimit();
