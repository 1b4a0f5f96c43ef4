#include "widgets/artwork.h"

#include <windows.h>

#include <optional>

#include "platform/startup_trace.h"
#include "ui/gdi.h"
#include "widgets/png_decode.h"

namespace velotune {

ui::Picture LoadArtwork(const char* name) {
  std::optional<trace::Scope> phase(std::in_place, trace::Phase::Resources);
  HMODULE module = GetModuleHandleA(nullptr);
  if (HRSRC resource = FindResourceA(module, name, "PNG")) {
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return {};
    phase.emplace(trace::Phase::Decoding);
    const PngResult png =
        DecodePng(static_cast<const uint8_t*>(data), SizeofResource(module, resource));
    if (!png.ok) return {};
    return ui::Picture::FromBgra(static_cast<int>(png.image.width),
                                 static_cast<int>(png.image.height), png.image.bgra);
  }
  if (!FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_BITMAP))) return {};
  ui::UniqueBitmap bitmap(
      static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  phase.emplace(trace::Phase::Decoding);
  return ui::Picture::FromBitmap(bitmap);
}

}  // namespace velotune
