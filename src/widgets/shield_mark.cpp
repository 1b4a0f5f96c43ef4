#include "widgets/shield_mark.h"

#include <commctrl.h>

#include <algorithm>

namespace velotune {

UniqueIcon LoadShieldIcon() {
  HICON icon = nullptr;
  // The system's small-icon size for the DPI, drawn by the system at that size.
  if (FAILED(LoadIconMetric(nullptr, MAKEINTRESOURCEW(32518) /* IDI_SHIELD */, LIM_SMALL, &icon)))
    return UniqueIcon();
  return UniqueIcon(icon);
}

void ShieldMark::Paint(HDC dc) {
  const int size = std::min(Width(), Height());
  if (size <= 0) return;
  if (!icon_) icon_ = LoadShieldIcon();
  if (icon_) DrawIconEx(dc, 0, 0, icon_, size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace velotune
