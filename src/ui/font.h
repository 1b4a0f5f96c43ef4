#pragma once
// Fonts by face, character height in pixels and style; created once and shared.
#include <windows.h>

#include <string>

#include "ui/color.h"

namespace velotune::ui {

struct FontSpec {
  std::string face = "Tahoma";
  int height = 11;  // character height in pixels
  bool bold = false;
  bool italic = false;
  bool underline = false;
  Color color = clWindowText;

  bool operator==(const FontSpec&) const = default;
};

// The shared font for a style; lives until the process ends.
HFONT FontHandle(const FontSpec& style);

}  // namespace velotune::ui
