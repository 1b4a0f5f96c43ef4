#include "ui/gdi.h"

namespace velotune::ui {

Surface::Surface(int width, int height, HDC compatible)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(compatible, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  bits_ = static_cast<uint32_t*>(bits);
  dc_.reset(CreateCompatibleDC(compatible));
  old_ = SelectObject(dc_.get(), bitmap_.get());
}

Surface::~Surface() { SelectObject(dc_.get(), old_); }

COLORREF Surface::PixelRgb(int x, int y) const {
  const uint32_t p = Pixel(x, y);
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

}  // namespace velotune::ui
