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
  // Top-down rows of 0xAARRGGBB words, straight (not premultiplied) alpha,
  // opaque = 255: the layout ui::Picture keeps, so it takes them over uncopied.
  std::vector<uint32_t> pixels;
};

struct PngResult {
  bool ok = false;
  std::string error;   // a short English reason when !ok
  DecodedImage image;  // empty when !ok
};

// Largest image we agree to decode, checked before any pixel memory is
// allocated: deflate packs up to 1032 bytes into one, so a file of a few
// kilobytes can claim hundreds of megabytes. 64 MiB of output (4096 x 4096)
// is eighty times our largest artwork; the side cap bounds the row buffers.
inline constexpr uint32_t kPngMaxSide = 16384;
inline constexpr uint64_t kPngMaxOutputBytes = 64ull * 1024 * 1024;

// The width and height a PNG file's header gives, read without decoding;
// false when the file does not start with a well-formed header of a size we
// would decode. The rest of the file is not looked at.
bool PngSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height);

// Decodes a complete PNG file held in memory. Grey, RGB, palette, grey+alpha
// and RGBA at every legal bit depth are supported, interlaced or not;
// 16-bit samples are reduced to their high byte.
PngResult DecodePng(const uint8_t* data, size_t size);

}  // namespace velotune
