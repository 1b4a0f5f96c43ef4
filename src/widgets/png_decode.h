// PNG decoding for bundled and user-supplied images. Pure C++ (no Win32),
// hardened against malformed input: every failure is reported as an error
// string, never as a crash or an out-of-bounds access.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velotune {

struct DecodedImage {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> bgra;  // top-down rows, 4 bytes a pixel: B, G, R, A; straight (not
                              // premultiplied) alpha; opaque = 255
};

struct PngResult {
  bool ok = false;
  std::string error;   // a short English reason when !ok
  DecodedImage image;  // empty when !ok
};

// Largest image we agree to decode; checked before any pixel memory is
// allocated, so a tiny file cannot make us reserve gigabytes.
inline constexpr uint32_t kPngMaxSide = 16384;
inline constexpr uint64_t kPngMaxPixels = 64ull * 1024 * 1024;

// The width and height a PNG file's header gives, read without decoding;
// false when the file does not start with a well-formed header of a size we
// would decode. The rest of the file is not looked at.
bool PngSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height);

// Decodes a complete PNG file held in memory. Grey, RGB, palette, grey+alpha
// and RGBA at every legal bit depth are supported, interlaced or not;
// 16-bit samples are reduced to their high byte.
PngResult DecodePng(const uint8_t* data, size_t size);

}  // namespace velotune
