#include "widgets/artwork.h"

#include <windows.h>

#include <string>
#include <utility>

#include "ui/dpi.h"

#include "platform/startup_trace.h"
#include "ui/gdi.h"
#include "widgets/png_decode.h"

namespace velotune {
namespace {

ui::Picture DecodeArtwork(const uint8_t* data, size_t size) {
  trace::Scope phase(trace::Phase::Decoding);
  PngResult png = DecodePng(data, size);
  if (!png.ok) return {};
  return ui::Picture::FromPixels(static_cast<int>(png.image.width),
                                 static_cast<int>(png.image.height), std::move(png.image.pixels));
}

}  // namespace

ui::Picture LoadArtwork(const char* name) {
  trace::Scope phase(trace::Phase::Resources);
  HMODULE module = GetModuleHandleA(nullptr);
  if (HRSRC resource = FindResourceA(module, name, "PNG")) {
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* data = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    const size_t size = SizeofResource(module, resource);
    uint32_t width = 0, height = 0;
    if (!data || !PngSize(data, size, width, height)) return {};
    // Decoded when first drawn: most pictures (other pages, hover and pressed
    // looks) are not needed to show the window. The data stays mapped with
    // the program.
    return ui::Picture::Deferred(static_cast<int>(width), static_cast<int>(height),
                                 [data, size] { return DecodeArtwork(data, size); });
  }
  if (!FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_BITMAP))) return {};
  ui::UniqueBitmap bitmap(
      static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  trace::Scope decoding(trace::Phase::Decoding);
  return ui::Picture::FromBitmap(bitmap);
}

const char* ArtworkScalePrefix(int dpi) {
  if (dpi <= ui::kDesignDpi) return "";
  if (dpi <= ui::kDesignDpi * 3 / 2) return "X15_";
  return "X2_";
}

ui::Picture LoadArtworkForDpi(const char* name, int dpi, std::optional<ui::Color> key) {
  ui::Picture base = LoadArtwork(name);
  if (base.Empty() || dpi == ui::kDesignDpi) return base;
  const int width = ui::ScaleToDpi(base.Width(), dpi), height = ui::ScaleToDpi(base.Height(), dpi);
  ui::Picture drawn = LoadArtwork((ArtworkScalePrefix(dpi) + std::string(name)).c_str());
  if (drawn.Empty()) drawn = base;  // no drawing for the scale: the 1x one, resized
  if (drawn.Width() == width && drawn.Height() == height) return drawn;
  const COLORREF keyRgb = key ? ui::ResolveColor(*key) : 0;
  const bool keyed = key.has_value();
  return ui::Picture::Deferred(width, height, [drawn, width, height, keyRgb, keyed] {
    return ui::Resampled(drawn, width, height,
                         keyed ? std::optional<COLORREF>(keyRgb) : std::nullopt);
  });
}

}  // namespace velotune
