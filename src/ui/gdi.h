#pragma once
// Small owners for GDI objects and an off-screen 32-bit surface.
#include <windows.h>

#include <cstdint>

#include "platform/unique_handle.h"

namespace velotune::ui {

inline void DeleteGdiObject(HGDIOBJ object) { ::DeleteObject(object); }
inline void DeleteMemoryDc(HDC dc) { ::DeleteDC(dc); }

template <typename T>
using UniqueGdi = UniqueHandle<T, DeleteGdiObject>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueRegion = UniqueGdi<HRGN>;
using UniqueMemoryDc = UniqueHandle<HDC, DeleteMemoryDc>;

// The header of a 32-bit DIB with rows from the top: the layout of a surface's
// and a picture's pixels.
BITMAPINFO TopDown32(int width, int height);

// Selects an object into a DC for a scope and puts the previous one back.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~Selected() { ::SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// Saves the DC state for a scope (viewport origin, clipping, selections).
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), id_(::SaveDC(dc)) {}
  ~SavedDc() { ::RestoreDC(dc_, id_); }
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;

 private:
  HDC dc_;
  int id_;
};

// A top-down 32 bits-a-pixel DIB selected into its own memory DC.
class Surface {
 public:
  Surface(int width, int height, HDC compatible = nullptr);
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  ~Surface();

  HDC dc() const { return dc_.get(); }
  HBITMAP bitmap() const { return bitmap_.get(); }
  int width() const { return width_; }
  int height() const { return height_; }
  // Pixels as 0xAARRGGBB words, row by row from the top.
  uint32_t* bits() const { return bits_; }
  uint32_t Pixel(int x, int y) const {
    ::GdiFlush();  // drawing may still be queued
    return bits_[y * width_ + x] & 0xFFFFFF;
  }
  COLORREF PixelRgb(int x, int y) const;

 private:
  int width_, height_;
  uint32_t* bits_ = nullptr;
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace velotune::ui
