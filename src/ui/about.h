// The About box and the converter search: two small windows that keep the main window
// disabled while they are open.
#pragma once

#include <string>

class wxDialog;

// What the About box can be asked to do.
enum class AboutAction { OpenWebSite, OpenMail, Close };
// The About box's events: the two links, and OK, Return, Escape and the close box.
void AboutEvent(AboutAction action);
// The About box while it is open, else nullptr.
wxDialog* AboutBox();
// The web-site address ("http://" + server, no path) and the support mail target.
std::string AboutWebSite();
std::string SupportMailTarget();

enum class SearchAction { Search, Close };
// The converter search's events: Search (the button or Return), Escape and the close box.
void ConverterSearchEvent(SearchAction action);
// The converter search while it is open, else nullptr.
wxDialog* ConverterSearchBox();
// A typed extension as the search sends it: its first 12 characters, in lower case,
// without every character that is not an ASCII letter or digit ("JP-G" gives "jpg").
std::string SearchExtension(const std::string& typed);
// The search page for converters from one extension to another.
std::string ConverterSearchUrl(const std::string& from, const std::string& to);
