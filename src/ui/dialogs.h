// Message boxes and the common dialogs (open file, folder, colour, font). Every window
// shows them through these functions, so that tests can answer them: a seam that is
// set receives each request instead of the screen.
#pragma once

#include <functional>
#include <string>

class wxWindow;

enum class MessageKind { Warning, Error, Information, Question };

// A font as the font dialog chooses it.
struct FontChoice {
    std::string family;
    int points = 10;
    bool bold = false; // the weight is exactly bold
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

struct DialogSeam {
    // Returns true for OK or Yes.
    std::function<bool(MessageKind kind, const std::string& title, const std::string& text)>
        message;
    // Returns the chosen path, or "" for Cancel.
    std::function<std::string(const std::string& title, const std::string& start,
                              const std::string& filter)>
        openFile;
    std::function<std::string(const std::string& title, const std::string& start)> folder;
    // Colours are six hexadecimal digits; return false for Cancel.
    std::function<bool(std::string& colour)> colour;
    std::function<bool(FontChoice& font)> font;
};

// Replaces the dialogs by the seam's functions (an empty function shows the real one).
void SetDialogSeam(DialogSeam seam);

// A message box over parent (the active window when null); true for OK or Yes.
bool ShowMessage(MessageKind kind, const std::string& title, const std::string& text,
                 wxWindow* parent = nullptr);
// The open-file dialog for one existing file; the first filter entry is preselected.
std::string ChooseOpenFile(const std::string& title, const std::string& start,
                           const std::string& filter, wxWindow* parent = nullptr);
std::string ChooseFolder(const std::string& title, const std::string& start,
                         wxWindow* parent = nullptr);
bool ChooseColour(std::string& colour, wxWindow* parent = nullptr);
bool ChooseFont(FontChoice& font, wxWindow* parent = nullptr);
