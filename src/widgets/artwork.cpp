#include "widgets/artwork.h"

#include <windows.h>

#include <utility>

#include "ui/gdi.h"
#include "widgets/png_decode.h"

namespace velotune {

ui::Picture LoadArtwork(const char* name) {
  HMODULE module = GetModuleHandleA(nullptr);
  if (FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_BITMAP))) {
    ui::UniqueBitmap bitmap(
        static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return ui::Picture::FromBitmap(bitmap);
  }
  HRSRC resource = FindResourceA(module, name, "PNG");
  if (!resource) return {};
  HGLOBAL loaded = LoadResource(module, resource);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  PngResult png = DecodePng(static_cast<const uint8_t*>(data), SizeofResource(module, resource));
  if (!png.ok) return {};
  return ui::Picture::FromPixels(static_cast<int>(png.image.width),
                                 static_cast<int>(png.image.height), std::move(png.image.pixels));
}

}  // namespace velotune
