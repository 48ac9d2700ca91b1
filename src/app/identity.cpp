#include "app/identity.h"

#include "platform/platform.h"

#include <cstdlib>

std::string VersionText(int version) {
    std::string text = std::to_string(version);
    if (text.size() >= 2) text.insert(1, 1, '.');
    if (text.size() >= 4) text.insert(3, 1, '.');
    if (!text.empty() && text.back() == '0') text = text.substr(0, 3);
    return text;
}

std::string ProductTitle() { return std::string(kProductName) + " " + VersionText(kProductVersion); }

std::string UserSettingsFolder(const std::string& brand, const std::string& product) {
    std::string path = ConfigHome();
    if (path.empty() || path.back() != '/') path += '/';
    for (const std::string& name : {brand, product}) {
        if (!PathExists(path + name + "/")) MakeFolders(path + name); // a failure is ignored
        path += name + "/";
    }
    return path;
}

std::string WebServer() {
    const char* env = std::getenv("BRELVIX_WEB_SERVER");
    return env && *env ? env : BRELVIX_WEB_SERVER;
}

std::string WebSiteAddress() { return "http://" + WebServer() + "/"; }

std::string SupportEmail() { return BRELVIX_SUPPORT_EMAIL; }
