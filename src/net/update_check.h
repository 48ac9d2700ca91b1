// The update check: the maker's web server holds the newest version number in a small
// text file. This side fetches and judges it and says when the automatic check is due;
// the window code shows the questions and the answer.
#pragma once

#include <cstdint>
#include <string>

// The server of the version file: BRELVIX_UPDATE_SERVER in the environment (host or
// host:port), else the maker's web server.
std::string UpdateServer();
// "http://" + the update server + "/files/brelvix.dat".
std::string VersionFileUrl();
// The product page on the maker's web server, offered when a newer version exists.
std::string ProductPageUrl();

enum class UpdateAnswer { ConnectionProblem, UpToDate, NewVersion };

// The answer a body of the version file gives: its leading integer (an optional sign
// and decimal digits; 0 when there are none) compared with the program's version.
UpdateAnswer UpdateAnswerFor(const std::string& body);
// Fetches the version file with the product title as agent and judges it.
UpdateAnswer QueryUpdate();

// Days between automatic checks for an Update Range value (0 every day, 1 every week,
// 2 every 30 days, 3 every 90 days, 4 every 180 days, 5 never, any other value 30 days);
// 0 means never.
int UpdateIntervalDays(int32_t updateRange);
// True when the automatic check is due: the interval has passed since updateDate.
bool UpdateCheckDue(int32_t updateRange, int32_t updateDate, int32_t now);
