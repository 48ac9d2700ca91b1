// The Convert command of the main window and its progress dialog.
#pragma once

#include <string>

void StartConversion();
void ShowConvertProgress();
bool ConfirmBreakConversion();
void ShowWarning(const std::string& text);
std::string ShortenPath(const std::string& text, int budget);
