// The program's drawn pictures at the resolution they are shown at.
#pragma once

#include <windows.h>

#include "controls/layout.h"

namespace tavik {

// The drawing of resource id100 (its 100 % version) that suits dpi, scaled when no drawing
// fits exactly; `size` gets the size it has. Null when the resource is missing.
HBITMAP LoadArt(int id100, StripSize cell, int cells, int dpi, StripSize& size);

}  // namespace tavik
