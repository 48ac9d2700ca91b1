#include "net/update_check.h"

#include "app/identity.h"
#include "net/http_client.h"

#include <cstdlib>

std::string UpdateServer() {
    const char* env = std::getenv("BRELVIX_UPDATE_SERVER");
    return env && *env ? env : WebServer();
}

std::string VersionFileUrl() {
    return "http://" + UpdateServer() + "/files/brelvix.dat";
}

std::string ProductPageUrl() {
    return WebSiteAddress() + "brelvix/";
}

UpdateAnswer UpdateAnswerFor(const std::string& body) {
    size_t i = 0;
    bool negative = false;
    if (i < body.size() && (body[i] == '+' || body[i] == '-')) negative = body[i++] == '-';
    long value = 0;
    for (; i < body.size() && body[i] >= '0' && body[i] <= '9' && value < 1000000; ++i)
        value = value * 10 + (body[i] - '0');
    if (negative) value = -value;
    if (value == 0) return UpdateAnswer::ConnectionProblem;
    if (value <= kProductVersion) return UpdateAnswer::UpToDate;
    return UpdateAnswer::NewVersion;
}

UpdateAnswer QueryUpdate() {
    return UpdateAnswerFor(HttpGetBody(VersionFileUrl(), ProductTitle()));
}

int UpdateIntervalDays(int32_t updateRange) {
    switch (updateRange) {
    case 0:
        return 1;
    case 1:
        return 7;
    case 2:
        return 30;
    case 3:
        return 90;
    case 4:
        return 180;
    case 5:
        return 0;
    default:
        return 30;
    }
}

bool UpdateCheckDue(int32_t updateRange, int32_t updateDate, int32_t now) {
    const int days = UpdateIntervalDays(updateRange);
    if (days == 0) return false;
    return static_cast<int64_t>(updateDate) + static_cast<int64_t>(days) * 86400 <
           static_cast<int64_t>(now);
}
