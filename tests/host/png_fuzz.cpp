// libFuzzer target: any bytes given to the PNG decoder either decode to an
// image within the caps or are refused with a reason, with no sanitizer
// report on the way.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "widgets/png_decode.h"

namespace {

using velotune::DecodedImage;
using velotune::PngResult;

void Check(const PngResult& r) {
  const DecodedImage& image = r.image;
  if (r.ok) {
    const uint64_t pixels = uint64_t{image.width} * image.height;
    if (!r.error.empty() || image.width == 0 || image.height == 0 ||
        image.width > velotune::kPngMaxSide || image.height > velotune::kPngMaxSide ||
        pixels * 4 > velotune::kPngMaxOutputBytes || image.pixels.size() != pixels)
      __builtin_trap();
  } else if (r.error.empty() || image.width != 0 || image.height != 0 || !image.pixels.empty()) {
    __builtin_trap();
  }
}

uint32_t ReadU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// A mutation almost never leaves a chunk's CRC right, which would stop nearly
// every input at its first chunk; so a copy with every CRC put right is
// decoded as well. False when there was nothing to put right.
bool FixCrcs(std::vector<uint8_t>& file) {
  bool changed = false;
  size_t pos = 8;
  while (file.size() >= pos + 12) {
    const uint32_t length = ReadU32(&file[pos]);
    if (length > file.size() - pos - 12) break;
    uint8_t* crc = &file[pos + 8 + length];
    const uint32_t want = static_cast<uint32_t>(crc32(0, &file[pos + 4], 4 + length));
    if (ReadU32(crc) != want) {
      for (int i = 0; i < 4; ++i) crc[i] = static_cast<uint8_t>(want >> (24 - 8 * i));
      changed = true;
    }
    pos += 12 + size_t{length};
  }
  return changed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(velotune::DecodePng(data, size));
  std::vector<uint8_t> fixed(data, data + size);
  if (FixCrcs(fixed)) Check(velotune::DecodePng(fixed.data(), fixed.size()));
  return 0;
}
