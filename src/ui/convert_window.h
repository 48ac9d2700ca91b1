// The Convert command of the main window and its progress dialog.
#pragma once

#include <functional>
#include <string>
#include <vector>

void StartConversion();
void ShowConvertProgress();
bool ConfirmBreakConversion();
void ShowWarning(const std::string& text);
std::string ShortenPath(const std::string& text, int budget);
// The lines of a text wrapped to a width (in the units of measure) at its blanks, and
// between the characters of a word that is wider than a line; "\n" starts a new line.
std::vector<std::string> WrapText(const std::string& text, int width,
                                  const std::function<int(const std::string&)>& measure);
