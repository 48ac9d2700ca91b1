#include "ui/uri_text.h"

#include "platform/platform.h"

namespace {

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string PercentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (Unreserved(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string PathFromFileUri(std::string_view text) {
    constexpr std::string_view kScheme = "file://";
    if (text.size() <= kScheme.size() || !EqualsNoCase(text.substr(0, kScheme.size()), kScheme))
        return std::string(text);
    std::string_view rest = text.substr(kScheme.size());
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return std::string(text);
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && !EqualsNoCase(host, "localhost")) return std::string(text);
    std::string path;
    const std::string_view encoded = rest.substr(slash);
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] == '%' && i + 2 < encoded.size()) {
            const int high = HexValue(encoded[i + 1]), low = HexValue(encoded[i + 2]);
            if (high >= 0 && low >= 0) {
                const char c = static_cast<char>(high * 16 + low);
                if (c == '\0') return std::string(text);
                path += c;
                i += 2;
                continue;
            }
        }
        path += encoded[i];
    }
    return path;
}
