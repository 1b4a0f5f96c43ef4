#pragma once
// Pictures from the program's resources by name: PNG pictures, or bitmaps.
#include <optional>

#include "ui/color.h"
#include "ui/picture.h"

namespace velotune {

// The named PNG or BITMAP resource of the executable; empty when it is
// missing or its header is malformed. A PNG picture is decoded when its pixels
// are first needed; should its data then turn out malformed, it is drawn fully
// transparent.
ui::Picture LoadArtwork(const char* name);

// Which drawing of the artwork serves a DPI: the nearest drawn scale at or
// above it (1x for 96, 1.5x for 144, 2x for 192), 2x above that. The resource
// of a scale is the 1x name after "X15_" or "X2_": named so, the resource
// compiler stores the 1x pictures together, and a start at 96 DPI reads
// fewer pages of the program's file.
const char* ArtworkScalePrefix(int dpi);

// The named artwork at the size of its 1x picture scaled to `dpi`, from the
// drawing that serves the DPI; shrunk from it only when the DPI lies between
// two drawn scales (or grown above 2x). `key` is the colour the picture's
// unpainted pixels carry, kept clean when shrinking. Empty when the 1x picture
// is missing.
ui::Picture LoadArtworkForDpi(const char* name, int dpi, std::optional<ui::Color> key = {});

}  // namespace velotune
