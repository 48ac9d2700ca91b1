// Pictures of the image slots as toolkit bitmaps.
#pragma once

#include "app/image_slots.h"

#include <wx/bitmap.h>
#include <wx/image.h>

wxImage ToWxImage(const RgbaImage& picture);
// The slot's picture at side x side pixels (scaled when it has another size);
// side 0 keeps its size.
wxBitmap SlotBitmap(SlotSet set, const char* name, int side = 0);
