// The forms of this program place their controls at fixed pixel positions, sized for
// compact controls. The toolkit's default theme draws text fields, drop-down lists and
// buttons with large paddings; this style brings them down to the sizes the forms use.
// Menu entries are also made to show their icons, which the toolkit hides by default.
#pragma once

class wxWindow;

// Gives the top-level window and everything in it the compact control style.
void UseCompactControls(wxWindow* window);
