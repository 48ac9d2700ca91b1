// The names of the image slots: the button set, and the icon sets of the menu and the
// toolbar (which share their names).
#pragma once

inline constexpr const char* kButtonSlots[] = {"Convert", "InFiles", "InFolder"};
inline constexpr const char* kIconSlots[] = {"New",
                                             "Add",
                                             "InFiles",
                                             "InFolder",
                                             "OutFolder",
                                             "OutFormat",
                                             "FavFolder",
                                             "ImportFiles",
                                             "ExportFiles",
                                             "Exit",
                                             "Copy",
                                             "Delete",
                                             "SelectAll",
                                             "Convert",
                                             "Error",
                                             "Preferences",
                                             "CustomConverter",
                                             "Help",
                                             "Email",
                                             "Web",
                                             "Updates",
                                             "About"};
