#pragma once
// Pictures from the program's resources by name: PNG pictures, or bitmaps.
#include "ui/picture.h"

namespace velotune {

// The named BITMAP or PNG resource of the executable; empty when it is
// missing or its data is malformed.
ui::Picture LoadArtwork(const char* name);

}  // namespace velotune
