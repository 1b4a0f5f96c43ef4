#include "png_decode.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <utility>

#define ZLIB_CONST
#include <zlib.h>

namespace velotune {
namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFFu;

enum ColourType : uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

uint32_t ReadU32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

struct Header {
  uint32_t width = 0, height = 0;
  uint8_t depth = 0;
  uint8_t colour_type = 0;
  bool interlaced = false;
  unsigned pixel_bits = 0;  // samples a pixel times bit depth
};

struct Palette {
  uint8_t rgba[256][4] = {};
  unsigned size = 0;
};

// tRNS for grey and RGB images: the one sample value drawn fully transparent.
// Compared at the file's bit depth, so 16-bit keys need all 16 bits to match.
struct ColourKey {
  bool present = false;
  uint16_t grey = 0, r = 0, g = 0, b = 0;
};

struct Pass {
  uint32_t x0, y0, dx, dy;
};
constexpr Pass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                            {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWholeImage = {0, 0, 1, 1};

uint32_t PassExtent(uint32_t size, uint32_t start, uint32_t step) {
  return size > start ? (size - start + step - 1) / step : 0;
}

size_t RowBytes(uint32_t pixels, unsigned pixel_bits) {
  return (size_t{pixels} * pixel_bits + 7) / 8;
}

// Filtered bytes the zlib stream must inflate to: one filter byte a row plus
// the packed samples, for each non-empty pass.
uint64_t ScanlineBytes(uint32_t width, uint32_t height, unsigned pixel_bits, bool interlaced) {
  if (!interlaced) return uint64_t{height} * (1 + RowBytes(width, pixel_bits));
  uint64_t total = 0;
  for (const Pass& p : kAdam7) {
    const uint32_t w = PassExtent(width, p.x0, p.dx), h = PassExtent(height, p.y0, p.dy);
    if (w != 0) total += uint64_t{h} * (1 + RowBytes(w, pixel_bits));
  }
  return total;
}

// Deflate data never inflates to more than this many times its size
// (a 258-byte match coded in 2 bits).
constexpr uint64_t kMaxDeflateRatio = 1032;

// The distances of p = a + b - c to a, b and c, written so that the compiler
// can choose without branches.
uint8_t Paeth(int a, int b, int c) {
  const int pa = std::abs(b - c);
  const int pb = std::abs(a - c);
  const int pc = std::abs(a + b - 2 * c);
  const int nearer = pb <= pc ? b : c;
  return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : nearer);
}

// Reverses the scan-line filter in place. `prior` is the previous unfiltered
// row of the same pass (all zero for a pass's first row). `stride` is the
// byte distance to the corresponding byte of the pixel on the left.
bool Unfilter(uint8_t type, uint8_t* row, const uint8_t* prior, size_t n, size_t stride) {
  switch (type) {
    case 0:
      return true;
    case 1:
      for (size_t i = stride; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + row[i - stride]);
      return true;
    case 2:
      for (size_t i = 0; i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
      return true;
    case 3:
      for (size_t i = 0; i < stride && i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + (prior[i] >> 1));
      for (size_t i = stride; i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - stride] + prior[i]) >> 1));
      return true;
    case 4:
      // With no left neighbour the predictor degenerates to the byte above.
      for (size_t i = 0; i < stride && i < n; ++i) row[i] = static_cast<uint8_t>(row[i] + prior[i]);
      for (size_t i = stride; i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - stride], prior[i], prior[i - stride]));
      return true;
    default:
      return false;
  }
}

// Sample `index` of an unfiltered row, at its stored precision.
template <unsigned kDepth>
inline unsigned Sample(const uint8_t* row, size_t index) {
  if constexpr (kDepth == 8) {
    return row[index];
  } else if constexpr (kDepth == 16) {
    return (unsigned{row[2 * index]} << 8) | row[2 * index + 1];
  } else {
    // Sub-byte samples are packed from the most significant bit down.
    size_t bit = index * kDepth;
    unsigned shift = 8 - kDepth - static_cast<unsigned>(bit & 7);
    return (row[bit >> 3] >> shift) & ((1u << kDepth) - 1);
  }
}

template <unsigned kDepth>
inline uint8_t ToByte(unsigned v) {
  if constexpr (kDepth == 16)
    return static_cast<uint8_t>(v >> 8);
  else
    return static_cast<uint8_t>(v * (255 / ((1u << kDepth) - 1)));
}

inline void Put(uint32_t* px, uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
  *px = (uint32_t{a} << 24) | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

// Decodes the zlib stream of the IDAT chunks one scan line at a time, so only
// two rows of filtered data are ever held besides the output image.
class ScanlineDecoder {
 public:
  ScanlineDecoder(const Header& h, const Palette& pal, const ColourKey& key, DecodedImage& out)
      : h_(h), pal_(pal), key_(key), out_(out) {}
  // zlib keeps a pointer back to z_, so the object must stay where it is.
  ScanlineDecoder(const ScanlineDecoder&) = delete;
  ScanlineDecoder& operator=(const ScanlineDecoder&) = delete;
  ~ScanlineDecoder() {
    if (zlib_ready_) inflateEnd(&z_);
  }

  const char* Init() {
    const size_t max_row = 1 + RowBytes(h_.width, h_.pixel_bits);
    try {
      out_.pixels.assign(size_t{h_.width} * h_.height, 0);
      rows_.assign(2 * max_row, 0);
    } catch (const std::bad_alloc&) {
      return "out of memory";
    }
    out_.width = h_.width;
    out_.height = h_.height;
    cur_ = rows_.data();
    prev_ = rows_.data() + max_row;
    stride_ = (h_.pixel_bits + 7) / 8;

    if (h_.interlaced) {
      for (const Pass& p : kAdam7)
        if (PassExtent(h_.width, p.x0, p.dx) && PassExtent(h_.height, p.y0, p.dy))
          passes_[pass_count_++] = p;
    } else {
      passes_[pass_count_++] = kWholeImage;
    }
    StartPass();

    if (inflateInit(&z_) != Z_OK) return "zlib initialisation failed";
    zlib_ready_ = true;
    return nullptr;
  }

  const char* Feed(const uint8_t* data, size_t size) {
    z_.next_in = data;
    z_.avail_in = static_cast<uInt>(size);  // chunk lengths are below 2^31
    return Pump();
  }

  // Called at IEND. Pump() already ran zlib as far as the input allowed, so
  // all that is left is to check that the image and the stream are complete.
  const char* Finish() const {
    if (pass_ < pass_count_) return "image data too short";
    if (!stream_end_) return "incomplete zlib stream";
    return nullptr;
  }

 private:
  const char* Pump() {
    while (!stream_end_) {
      const bool rows_left = pass_ < pass_count_;
      uint8_t spill;
      if (rows_left) {
        z_.next_out = cur_ + filled_;
        z_.avail_out = static_cast<uInt>(row_len_ - filled_);
      } else {
        // Every row is decoded; any further output means the stream is too long.
        z_.next_out = &spill;
        z_.avail_out = 1;
      }
      const uInt in_before = z_.avail_in, out_before = z_.avail_out;
      const int ret = inflate(&z_, Z_NO_FLUSH);
      if (ret != Z_OK && ret != Z_STREAM_END && ret != Z_BUF_ERROR) return "bad zlib stream";
      const bool progressed = z_.avail_in != in_before || z_.avail_out != out_before;

      if (!rows_left) {
        if (z_.avail_out == 0) return "too much image data";
      } else {
        filled_ = row_len_ - z_.avail_out;
        if (filled_ == row_len_) {
          if (const char* e = FinishRow()) return e;
        }
      }
      // Padding after the end of the zlib stream is tolerated and ignored.
      if (ret == Z_STREAM_END)
        stream_end_ = true;
      else if (!progressed)
        break;  // wants the next IDAT chunk
    }
    return nullptr;
  }

  void StartPass() {
    filled_ = 0;
    row_ = 0;
    if (pass_ >= pass_count_) return;
    const Pass& p = passes_[pass_];
    pass_width_ = PassExtent(h_.width, p.x0, p.dx);
    pass_height_ = PassExtent(h_.height, p.y0, p.dy);
    row_len_ = 1 + RowBytes(pass_width_, h_.pixel_bits);
    std::memset(prev_, 0, row_len_);  // the first row of a pass has nothing above it
  }

  const char* FinishRow() {
    uint8_t* line = cur_ + 1;
    if (!Unfilter(cur_[0], line, prev_ + 1, row_len_ - 1, stride_))
      return "bad filter type in scan line";
    if (!EmitRow(line)) return "palette index out of range";
    std::swap(cur_, prev_);
    filled_ = 0;
    if (++row_ == pass_height_) {
      ++pass_;
      StartPass();
    }
    return nullptr;
  }

  bool EmitRow(const uint8_t* line) {
    switch (h_.depth) {
      case 1:
        return EmitRowAt<1>(line);
      case 2:
        return EmitRowAt<2>(line);
      case 4:
        return EmitRowAt<4>(line);
      case 8:
        return EmitRowAt<8>(line);
      default:
        return EmitRowAt<16>(line);
    }
  }

  template <unsigned kDepth>
  bool EmitRowAt(const uint8_t* line) {
    const Pass& p = passes_[pass_];
    const size_t y = p.y0 + size_t{row_} * p.dy;
    uint32_t* px = out_.pixels.data() + y * h_.width + p.x0;
    const size_t step = p.dx;
    const uint32_t n = pass_width_;

    switch (h_.colour_type) {
      case kGrey:
        for (uint32_t i = 0; i < n; ++i, px += step) {
          const unsigned v = Sample<kDepth>(line, i);
          const uint8_t g = ToByte<kDepth>(v);
          Put(px, g, g, g, key_.present && v == key_.grey ? 0 : 255);
        }
        return true;
      case kRgb: {
        // Local copies: the pixel stores could alias the key for all the compiler knows.
        const ColourKey key = key_;
        if constexpr (kDepth == 8) {
          if (!key.present) {  // the usual case, the program's own artwork among it
            for (uint32_t i = 0; i < n; ++i, px += step, line += 3)
              Put(px, line[0], line[1], line[2], 255);
            return true;
          }
        }
        for (uint32_t i = 0; i < n; ++i, px += step) {
          const unsigned r = Sample<kDepth>(line, 3 * size_t{i});
          const unsigned g = Sample<kDepth>(line, 3 * size_t{i} + 1);
          const unsigned b = Sample<kDepth>(line, 3 * size_t{i} + 2);
          const bool clear = key.present && r == key.r && g == key.g && b == key.b;
          Put(px, ToByte<kDepth>(r), ToByte<kDepth>(g), ToByte<kDepth>(b), clear ? 0 : 255);
        }
        return true;
      }
      case kPalette:
        for (uint32_t i = 0; i < n; ++i, px += step) {
          const unsigned index = Sample<kDepth>(line, i);
          if (index >= pal_.size) return false;
          const uint8_t* c = pal_.rgba[index];
          Put(px, c[0], c[1], c[2], c[3]);
        }
        return true;
      case kGreyAlpha:
        for (uint32_t i = 0; i < n; ++i, px += step) {
          const uint8_t g = ToByte<kDepth>(Sample<kDepth>(line, 2 * size_t{i}));
          Put(px, g, g, g, ToByte<kDepth>(Sample<kDepth>(line, 2 * size_t{i} + 1)));
        }
        return true;
      default:  // kRgba
        for (uint32_t i = 0; i < n; ++i, px += step) {
          const size_t s = 4 * size_t{i};
          Put(px, ToByte<kDepth>(Sample<kDepth>(line, s)),
              ToByte<kDepth>(Sample<kDepth>(line, s + 1)),
              ToByte<kDepth>(Sample<kDepth>(line, s + 2)),
              ToByte<kDepth>(Sample<kDepth>(line, s + 3)));
        }
        return true;
    }
  }

  const Header& h_;
  const Palette& pal_;
  const ColourKey& key_;
  DecodedImage& out_;

  z_stream z_{};
  bool zlib_ready_ = false;
  bool stream_end_ = false;

  std::vector<uint8_t> rows_;
  uint8_t* cur_ = nullptr;   // row being inflated, filter byte first
  uint8_t* prev_ = nullptr;  // previous unfiltered row of the pass
  size_t stride_ = 1;

  Pass passes_[7] = {};
  unsigned pass_count_ = 0;
  unsigned pass_ = 0;
  uint32_t pass_width_ = 0, pass_height_ = 0;
  uint32_t row_ = 0;
  size_t row_len_ = 0;  // filter byte + packed samples
  size_t filled_ = 0;
};

const char* ParseHeader(const uint8_t* d, uint32_t length, Header& h) {
  if (length != 13) return "bad IHDR chunk length";
  h.width = ReadU32(d);
  h.height = ReadU32(d + 4);
  h.depth = d[8];
  h.colour_type = d[9];
  if (h.width == 0 || h.height == 0) return "zero image width or height";
  if (h.width > kPngMaxSide || h.height > kPngMaxSide ||
      uint64_t{h.width} * h.height * 4 > kPngMaxOutputBytes)
    return "image too large";

  unsigned channels = 0;
  bool depth_ok = false;
  const unsigned dp = h.depth;
  switch (h.colour_type) {
    case kGrey:
      channels = 1;
      depth_ok = dp == 1 || dp == 2 || dp == 4 || dp == 8 || dp == 16;
      break;
    case kPalette:
      channels = 1;
      depth_ok = dp == 1 || dp == 2 || dp == 4 || dp == 8;
      break;
    case kRgb:
    case kGreyAlpha:
    case kRgba:
      channels = h.colour_type == kRgb ? 3 : h.colour_type == kGreyAlpha ? 2 : 4;
      depth_ok = dp == 8 || dp == 16;
      break;
    default:
      return "invalid colour type";
  }
  if (!depth_ok) return "invalid bit depth for colour type";
  if (d[10] != 0) return "unknown compression method";
  if (d[11] != 0) return "unknown filter method";
  if (d[12] > 1) return "unknown interlace method";
  h.interlaced = d[12] == 1;
  h.pixel_bits = channels * dp;
  return nullptr;
}

bool IsValidChunkType(const uint8_t* t) {
  for (int i = 0; i < 4; ++i) {
    const uint8_t c = t[i] & ~0x20;  // fold case
    if (c < 'A' || c > 'Z') return false;
  }
  return true;
}

// A file must end with IEND: one that stops short is refused even when its
// image data happens to be complete, so every truncation is reported.
std::string Decode(const uint8_t* data, size_t size, DecodedImage& image) {
  if (data == nullptr || size < sizeof kSignature) return "file too short to be a PNG";
  if (std::memcmp(data, kSignature, sizeof kSignature) != 0)
    return "not a PNG file (bad signature)";

  Header header;
  bool have_header = false;
  Palette palette;
  bool have_palette = false;
  ColourKey key;
  bool have_trns = false;
  enum { kBeforeIdat, kInIdat, kAfterIdat } idat = kBeforeIdat;
  std::optional<ScanlineDecoder> decoder;

  size_t pos = sizeof kSignature;
  for (;;) {
    if (pos == size) return have_header ? "missing IEND chunk" : "missing IHDR chunk";
    if (size - pos < 12) return "truncated file";
    const uint32_t length = ReadU32(data + pos);
    if (length > kMaxChunkLength) return "chunk length too large";
    if (size - pos - 12 < length) return "truncated file";
    const uint8_t* type = data + pos + 4;
    const uint8_t* body = type + 4;
    if (!IsValidChunkType(type)) return "invalid chunk type";
    const std::string name(reinterpret_cast<const char*>(type), 4);
    const uLong crc = crc32(0, type, 4 + length);
    if (crc != ReadU32(body + length)) return "bad CRC in " + name + " chunk";
    pos += 12 + size_t{length};

    if (!have_header && name != "IHDR") return "missing IHDR chunk";
    const bool is_idat = name == "IDAT";
    if (idat == kInIdat && !is_idat) idat = kAfterIdat;

    if (name == "IHDR") {
      if (have_header) return "duplicate IHDR chunk";
      if (const char* e = ParseHeader(body, length, header)) return e;
      have_header = true;
    } else if (name == "PLTE") {
      if (header.colour_type == kGrey || header.colour_type == kGreyAlpha)
        return "PLTE chunk in greyscale image";
      if (have_palette) return "duplicate PLTE chunk";
      if (idat != kBeforeIdat) return "PLTE chunk after image data";
      if (length == 0 || length % 3 != 0 || length > 3 * 256) return "bad PLTE chunk length";
      palette.size = length / 3;
      for (unsigned i = 0; i < palette.size; ++i) {
        std::memcpy(palette.rgba[i], body + 3 * i, 3);
        palette.rgba[i][3] = 255;
      }
      have_palette = true;
    } else if (name == "tRNS") {
      if (have_trns) return "duplicate tRNS chunk";
      if (idat != kBeforeIdat) return "tRNS chunk after image data";
      switch (header.colour_type) {
        case kGrey:
          if (length != 2) return "bad tRNS chunk length";
          key.grey = ReadU16(body);
          key.present = true;
          break;
        case kRgb:
          if (length != 6) return "bad tRNS chunk length";
          key.r = ReadU16(body);
          key.g = ReadU16(body + 2);
          key.b = ReadU16(body + 4);
          key.present = true;
          break;
        case kPalette:
          if (!have_palette) return "tRNS chunk before PLTE";
          if (length > palette.size) return "bad tRNS chunk length";
          for (uint32_t i = 0; i < length; ++i) palette.rgba[i][3] = body[i];
          break;
        default:
          return "tRNS chunk in image with alpha channel";
      }
      have_trns = true;
    } else if (is_idat) {
      if (idat == kAfterIdat) return "IDAT chunks not consecutive";
      if (idat == kBeforeIdat) {
        if (header.colour_type == kPalette && !have_palette)
          return "missing PLTE chunk for palette image";
        // All compressed data lies in what is left of the file. If even the
        // best possible deflate ratio cannot fill the image, refuse now rather
        // than allocate the pixels for a file that only claims to be large.
        const uint64_t needed =
            ScanlineBytes(header.width, header.height, header.pixel_bits, header.interlaced);
        if (needed > uint64_t{size - (body - data)} * kMaxDeflateRatio)
          return "image data too short";
        decoder.emplace(header, palette, key, image);
        if (const char* e = decoder->Init()) return e;
        idat = kInIdat;
      }
      if (const char* e = decoder->Feed(body, length)) return e;
    } else if (name == "IEND") {
      if (!decoder) return "missing IDAT chunk";
      if (const char* e = decoder->Finish()) return e;
      return {};  // whatever follows IEND is not part of the image
    } else if ((type[0] & 0x20) == 0) {
      return "unknown critical chunk " + name;
    }
    // Other ancillary chunks (gAMA, text, ...) carry nothing we draw.
  }
}

}  // namespace

bool PngSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height) {
  const size_t headerEnd = sizeof kSignature + 8 + 13 + 4;
  if (data == nullptr || size < headerEnd) return false;
  if (std::memcmp(data, kSignature, sizeof kSignature) != 0) return false;
  const uint8_t* chunk = data + sizeof kSignature;
  if (ReadU32(chunk) != 13 || std::memcmp(chunk + 4, "IHDR", 4) != 0) return false;
  if (crc32(0, chunk + 4, 4 + 13) != ReadU32(chunk + 8 + 13)) return false;
  Header header;
  if (ParseHeader(chunk + 8, 13, header)) return false;
  width = header.width;
  height = header.height;
  return true;
}

PngResult DecodePng(const uint8_t* data, size_t size) {
  PngResult result;
  result.error = Decode(data, size, result.image);
  result.ok = result.error.empty();
  if (!result.ok) result.image = DecodedImage{};
  return result;
}

}  // namespace velotune
