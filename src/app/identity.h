// Product identity and the per-user settings folder.
#pragma once

#include <string>

inline constexpr const char* kProductName = "Vextara BMP to PCX";
inline constexpr int kProductVersion = 250;

// Display form of a three-digit version: 250 gives 2.5, 251 gives 2.5.1.
std::string VersionText(int version);
// Product name, a space and the version text.
std::string ProductTitle();
// The per-user folder of the settings file, created when missing, ending in "/".
std::string UserSettingsFolder(const std::string& brand, const std::string& product);
// The maker's web server (host or host:port); BRELVIX_WEB_SERVER in the environment overrides it.
std::string WebServer();
std::string WebSiteAddress(); // "http://" + server + "/"
std::string SupportEmail();
