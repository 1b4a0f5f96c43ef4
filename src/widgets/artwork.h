#pragma once
// Pictures from the program's resources by name: PNG pictures, or bitmaps.
#include "ui/picture.h"

namespace velotune {

// The named PNG or BITMAP resource of the executable; empty when it is
// missing or its header is malformed. A PNG picture is decoded when its pixels
// are first needed; should its data then turn out malformed, it is drawn fully
// transparent.
ui::Picture LoadArtwork(const char* name);

}  // namespace velotune
