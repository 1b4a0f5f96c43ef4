#include "ui/gdi.h"

namespace velotune::ui {

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return bi;
}

Surface::Surface(int width, int height, HDC compatible)
    : width_(width > 0 ? width : 1), height_(height > 0 ? height : 1) {
  BITMAPINFO info = TopDown32(width_, height_);
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
