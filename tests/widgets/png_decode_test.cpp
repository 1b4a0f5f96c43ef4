#include "widgets/png_decode.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/allocation_watch.h"

namespace velotune {
namespace {

using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------
// Small PNG toolkit for crafting inputs byte by byte.

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

void PutU32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void SetU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

uint32_t GetU32(const Bytes& b, size_t at) {
  return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
         b[at + 3];
}

struct Chunk {
  std::string type;
  Bytes data;
};

Bytes ChunkBytes(const Chunk& c) {
  Bytes out;
  PutU32(out, static_cast<uint32_t>(c.data.size()));
  out.insert(out.end(), c.type.begin(), c.type.end());
  out.insert(out.end(), c.data.begin(), c.data.end());
  // Over the bytes just written: zlib treats a null buffer (empty data) as a reset.
  const uLong crc = crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4));
  PutU32(out, static_cast<uint32_t>(crc));
  return out;
}

// Signature plus chunks, each with a freshly computed CRC.
Bytes JoinChunks(const std::vector<Chunk>& chunks) {
  Bytes out(std::begin(kSignature), std::end(kSignature));
  for (const Chunk& c : chunks) {
    Bytes b = ChunkBytes(c);
    out.insert(out.end(), b.begin(), b.end());
  }
  return out;
}

// Only for well-formed files made by this test or the fixture script.
std::vector<Chunk> SplitChunks(const Bytes& file) {
  std::vector<Chunk> chunks;
  size_t pos = 8;
  while (pos + 12 <= file.size()) {
    const uint32_t n = GetU32(file, pos);
    if (file.size() - pos - 12 < n) break;
    Chunk c;
    c.type.assign(file.begin() + pos + 4, file.begin() + pos + 8);
    c.data.assign(file.begin() + pos + 8, file.begin() + pos + 8 + n);
    chunks.push_back(std::move(c));
    pos += 12 + n;
  }
  return chunks;
}

// Offset of the length field of the first chunk of `type`.
size_t ChunkOffset(const Bytes& file, const std::string& type) {
  size_t pos = 8;
  while (pos + 12 <= file.size()) {
    if (std::string(file.begin() + pos + 4, file.begin() + pos + 8) == type) return pos;
    pos += 12 + GetU32(file, pos);
  }
  throw std::runtime_error("no " + type + " chunk");
}

size_t IndexOf(const std::vector<Chunk>& chunks, const std::string& type) {
  for (size_t i = 0; i < chunks.size(); ++i)
    if (chunks[i].type == type) return i;
  throw std::runtime_error("no " + type + " chunk");
}

Bytes Zlib(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9), Z_OK);
  out.resize(size);
  return out;
}

Bytes Unzlib(const Bytes& z, size_t expected) {
  Bytes out(expected);
  uLongf size = static_cast<uLongf>(expected);
  EXPECT_EQ(uncompress(out.data(), &size, z.data(), static_cast<uLong>(z.size())), Z_OK);
  out.resize(size);
  return out;
}

Bytes Ihdr(uint32_t w, uint32_t h, uint8_t depth, uint8_t colour_type, uint8_t interlace) {
  Bytes b;
  PutU32(b, w);
  PutU32(b, h);
  b.insert(b.end(), {depth, colour_type, 0, 0, interlace});
  return b;
}

unsigned Channels(uint8_t colour_type) {
  switch (colour_type) {
    case 2:
      return 3;
    case 4:
      return 2;
    case 6:
      return 4;
    default:
      return 1;
  }
}

// An image as the encoder sees it: raw samples at the file's bit depth.
struct Image {
  uint32_t width = 0, height = 0;
  uint8_t colour_type = 0, depth = 8;
  std::vector<uint16_t> samples;  // row-major, Channels() per pixel
  Bytes palette;                  // RGB triples (colour type 3)
  Bytes trns;                     // tRNS chunk body, empty for none
};

struct PassGeometry {
  uint32_t x0, y0, dx, dy;
};
const PassGeometry kPasses[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};

uint8_t PaethPredict(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<uint8_t>(a);
  return static_cast<uint8_t>(pb <= pc ? b : c);
}

constexpr int kCycleFilters = -1;  // row n uses filter n % 5

// Packs and filters the image into the byte stream that goes into zlib.
Bytes Scanlines(const Image& img, bool interlaced, int filter) {
  const unsigned ch = Channels(img.colour_type);
  const size_t bpp = std::max<size_t>(1, ch * img.depth / 8);
  Bytes out;
  int row_number = 0;
  const PassGeometry whole{0, 0, 1, 1};
  const int pass_count = interlaced ? 7 : 1;
  for (int p = 0; p < pass_count; ++p) {
    const PassGeometry g = interlaced ? kPasses[p] : whole;
    if (g.x0 >= img.width || g.y0 >= img.height) continue;  // empty pass: no bytes at all
    Bytes prior;
    for (uint32_t y = g.y0; y < img.height; y += g.dy) {
      Bytes raw;
      unsigned bits = 0;
      for (uint32_t x = g.x0; x < img.width; x += g.dx) {
        for (unsigned c = 0; c < ch; ++c) {
          const uint16_t v = img.samples[(size_t{y} * img.width + x) * ch + c];
          if (img.depth == 16) {
            raw.push_back(static_cast<uint8_t>(v >> 8));
            raw.push_back(static_cast<uint8_t>(v));
          } else if (img.depth == 8) {
            raw.push_back(static_cast<uint8_t>(v));
          } else {
            if (bits % 8 == 0) raw.push_back(0);
            raw.back() |= static_cast<uint8_t>(v << (8 - img.depth - bits % 8));
            bits += img.depth;
          }
        }
      }
      if (prior.empty()) prior.assign(raw.size(), 0);
      const int f = filter == kCycleFilters ? row_number % 5 : filter;
      out.push_back(static_cast<uint8_t>(f));
      for (size_t i = 0; i < raw.size(); ++i) {
        const int a = i >= bpp ? raw[i - bpp] : 0;
        const int b = prior[i];
        const int c = i >= bpp ? prior[i - bpp] : 0;
        int predicted = 0;
        switch (f) {
          case 1:
            predicted = a;
            break;
          case 2:
            predicted = b;
            break;
          case 3:
            predicted = (a + b) / 2;
            break;
          case 4:
            predicted = PaethPredict(a, b, c);
            break;
        }
        out.push_back(static_cast<uint8_t>(raw[i] - predicted));
      }
      prior = raw;
      ++row_number;
    }
  }
  return out;
}

// Builds a file around already-made scan lines, splitting the zlib stream
// into `idat_pieces` IDAT chunks.
Bytes PngFromScanlines(const Image& img, bool interlaced, const Bytes& lines,
                       size_t idat_pieces = 1) {
  std::vector<Chunk> chunks{
      {"IHDR", Ihdr(img.width, img.height, img.depth, img.colour_type, interlaced)}};
  if (!img.palette.empty()) chunks.push_back({"PLTE", img.palette});
  if (!img.trns.empty()) chunks.push_back({"tRNS", img.trns});
  const Bytes z = Zlib(lines);
  const size_t piece = (z.size() + idat_pieces - 1) / idat_pieces;
  for (size_t at = 0; at < z.size(); at += piece)
    chunks.push_back({"IDAT", Bytes(z.begin() + at, z.begin() + std::min(z.size(), at + piece))});
  chunks.push_back({"IEND", {}});
  return JoinChunks(chunks);
}

Bytes EncodePng(const Image& img, bool interlaced, int filter, size_t idat_pieces = 1) {
  return PngFromScanlines(img, interlaced, Scanlines(img, interlaced, filter), idat_pieces);
}

struct Rgba {
  uint8_t r, g, b, a;
};

// The conversion DecodePng promises, written out plainly per pixel.
Rgba ExpectedPixel(const Image& img, uint32_t x, uint32_t y) {
  const unsigned ch = Channels(img.colour_type);
  const uint16_t* s = &img.samples[(size_t{y} * img.width + x) * ch];
  auto to8 = [&](unsigned v) -> uint8_t {
    if (img.depth == 16) return static_cast<uint8_t>(v >> 8);
    return static_cast<uint8_t>(v * 255 / ((1u << img.depth) - 1));
  };
  auto key = [&](size_t i) {
    return static_cast<unsigned>((img.trns[2 * i] << 8) | img.trns[2 * i + 1]);
  };
  switch (img.colour_type) {
    case 0: {
      const bool clear = !img.trns.empty() && s[0] == key(0);
      return {to8(s[0]), to8(s[0]), to8(s[0]), static_cast<uint8_t>(clear ? 0 : 255)};
    }
    case 2: {
      const bool clear = !img.trns.empty() && s[0] == key(0) && s[1] == key(1) && s[2] == key(2);
      return {to8(s[0]), to8(s[1]), to8(s[2]), static_cast<uint8_t>(clear ? 0 : 255)};
    }
    case 3: {
      const uint8_t* c = &img.palette[3 * size_t{s[0]}];
      return {c[0], c[1], c[2], s[0] < img.trns.size() ? img.trns[s[0]] : uint8_t{255}};
    }
    case 4:
      return {to8(s[0]), to8(s[0]), to8(s[0]), to8(s[1])};
    default:
      return {to8(s[0]), to8(s[1]), to8(s[2]), to8(s[3])};
  }
}

Rgba PixelAt(const DecodedImage& img, uint32_t x, uint32_t y) {
  const uint32_t p = img.pixels[size_t{y} * img.width + x];
  return {static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p),
          static_cast<uint8_t>(p >> 24)};
}

std::string Describe(Rgba c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + "," +
         std::to_string(c.a) + ")";
}

PngResult Decode(const Bytes& b) { return DecodePng(b.data(), b.size()); }

Bytes ReadFile(const std::string& name) {
  const std::string path = std::string(VELOTUNE_TEST_DATA_DIR) + "/widgets/data/" + name;
  std::ifstream in(path, std::ios::binary);
  // Thrown rather than returned empty: callers index into the bytes, and
  // GoogleTest reports the exception as a test failure.
  if (!in) throw std::runtime_error("cannot open " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---------------------------------------------------------------------------
// Fixtures made by data/make_fixtures.sh from known formulas.

enum class Pattern {
  kRgb,
  kRgba,
  kGrey8,
  kGreyAlpha8,
  kGreyLevels,
  kRgb16,
  kRgba16,
  kPalette40,
  kPalette11
};

// Mirrors the formulas in make_fixtures.sh.
Rgba FormulaPixel(Pattern p, unsigned depth, uint32_t x, uint32_t y) {
  auto u8 = [](unsigned v) { return static_cast<uint8_t>(v); };
  const uint8_t alpha = u8(1 + (17 * x + 29 * y) % 255);
  const Rgba rgb{u8((40 * x + 7 * y) % 256), u8((3 * x + 45 * y) % 256), u8((9 * x * y + 60) % 256),
                 255};
  switch (p) {
    case Pattern::kRgb:
      return rgb;
    case Pattern::kRgba:
      return {rgb.r, rgb.g, rgb.b, alpha};
    case Pattern::kGrey8:
    case Pattern::kGreyAlpha8: {
      const uint8_t v = u8((19 * x + 23 * y) % 256);
      return {v, v, v, p == Pattern::kGrey8 ? uint8_t{255} : alpha};
    }
    case Pattern::kGreyLevels: {
      const unsigned top = (1u << depth) - 1;
      const uint8_t v = u8((x + 3 * y) % (top + 1) * 255 / top);
      return {v, v, v, 255};
    }
    case Pattern::kRgb16:
    case Pattern::kRgba16: {
      const uint8_t a16 = u8((1 + (2311 * x + 3203 * y + 1000) % 65535) >> 8);
      return {u8(((4099 * x + 1237 * y) % 65536) >> 8),
              u8(((751 * x + 9001 * y + 300) % 65536) >> 8),
              u8(((517 * x * y + 12345) % 65536) >> 8), p == Pattern::kRgb16 ? uint8_t{255} : a16};
    }
    case Pattern::kPalette40: {
      const unsigned k = (3 * x + 5 * y) % 40;
      return {u8(6 * k), u8(255 - 6 * k), u8(37 * k % 256), u8(k % 9 == 0 ? 0 : 255)};
    }
    case Pattern::kPalette11: {
      const unsigned k = (x + 2 * y) % 11;
      return {u8(23 * k), u8(255 - 23 * k), u8((90 + 50 * k) % 256), 255};
    }
  }
  return {};
}

struct Fixture {
  const char* file;
  uint32_t width, height;
  uint8_t colour_type, depth;
  bool interlaced;
  Pattern pattern;
};
// Names the case in failure output instead of dumping the struct's bytes.
void PrintTo(const Fixture& f, std::ostream* os) { *os << f.file; }

const Fixture kFixtures[] = {
    {"rgb8.png", 13, 11, 2, 8, false, Pattern::kRgb},
    {"rgb8_interlaced.png", 13, 11, 2, 8, true, Pattern::kRgb},
    {"rgba8.png", 13, 11, 6, 8, false, Pattern::kRgba},
    {"rgba8_interlaced.png", 13, 11, 6, 8, true, Pattern::kRgba},
    {"rgba8_3x2.png", 3, 2, 6, 8, false, Pattern::kRgba},
    {"rgba8_3x2_interlaced.png", 3, 2, 6, 8, true, Pattern::kRgba},
    {"palette8.png", 13, 11, 3, 8, false, Pattern::kPalette40},
    {"palette8_interlaced.png", 13, 11, 3, 8, true, Pattern::kPalette40},
    {"palette4.png", 7, 5, 3, 4, false, Pattern::kPalette11},
    {"grey8.png", 13, 11, 0, 8, false, Pattern::kGrey8},
    {"greyalpha8.png", 13, 11, 4, 8, false, Pattern::kGreyAlpha8},
    {"grey1.png", 13, 11, 0, 1, false, Pattern::kGreyLevels},
    {"grey1_interlaced.png", 13, 11, 0, 1, true, Pattern::kGreyLevels},
    {"grey2.png", 7, 5, 0, 2, false, Pattern::kGreyLevels},
    {"grey4.png", 13, 11, 0, 4, false, Pattern::kGreyLevels},
    {"rgb16.png", 7, 5, 2, 16, false, Pattern::kRgb16},
    {"rgba16.png", 7, 5, 6, 16, false, Pattern::kRgba16},
    {"rgba16_interlaced.png", 7, 5, 6, 16, true, Pattern::kRgba16},
};

class FixtureTest : public testing::TestWithParam<Fixture> {};

TEST_P(FixtureTest, DecodesToFormulaPixels) {
  const Fixture& f = GetParam();
  const Bytes file = ReadFile(f.file);
  ASSERT_GT(file.size(), 33u);

  // Guard against the fixture script silently producing another format.
  EXPECT_EQ(GetU32(file, 16), f.width);
  EXPECT_EQ(GetU32(file, 20), f.height);
  EXPECT_EQ(file[24], f.depth);
  EXPECT_EQ(file[25], f.colour_type);
  EXPECT_EQ(file[28], f.interlaced ? 1 : 0);

  const PngResult r = Decode(file);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_TRUE(r.error.empty());
  ASSERT_EQ(r.image.width, f.width);
  ASSERT_EQ(r.image.height, f.height);
  ASSERT_EQ(r.image.pixels.size(), size_t{f.width} * f.height);
  for (uint32_t y = 0; y < f.height; ++y) {
    for (uint32_t x = 0; x < f.width; ++x) {
      const Rgba want = FormulaPixel(f.pattern, f.depth, x, y);
      const Rgba got = PixelAt(r.image, x, y);
      // A fully transparent pixel's colour is not meaningful; the encoder may rewrite it.
      const bool same =
          want.a == 0 ? got.a == 0
                      : want.r == got.r && want.g == got.g && want.b == got.b && want.a == got.a;
      ASSERT_TRUE(same) << "pixel " << x << "," << y << " want " << Describe(want) << " got "
                        << Describe(got);
    }
  }
}

TEST_P(FixtureTest, SizeIsReadFromTheHeaderAlone) {
  const Fixture& f = GetParam();
  Bytes file = ReadFile(f.file);
  file.resize(8 + 25);  // signature and IHDR chunk: nothing else is looked at
  uint32_t width = 0, height = 0;
  ASSERT_TRUE(PngSize(file.data(), file.size(), width, height));
  EXPECT_EQ(width, f.width);
  EXPECT_EQ(height, f.height);
}

INSTANTIATE_TEST_SUITE_P(Files, FixtureTest, testing::ValuesIn(kFixtures),
                         [](const testing::TestParamInfo<Fixture>& info) {
                           std::string name = info.param.file;
                           name = name.substr(0, name.find('.'));
                           return name;
                         });

TEST(PngDecodeTest, InterlacedMatchesProgressivePixelForPixel) {
  const char* kBases[] = {"rgb8", "rgba8", "rgba8_3x2", "palette8", "grey1", "rgba16"};
  for (const char* base : kBases) {
    SCOPED_TRACE(base);
    const PngResult plain = Decode(ReadFile(std::string(base) + ".png"));
    const PngResult laced = Decode(ReadFile(std::string(base) + "_interlaced.png"));
    ASSERT_TRUE(plain.ok) << plain.error;
    ASSERT_TRUE(laced.ok) << laced.error;
    EXPECT_EQ(plain.image.width, laced.image.width);
    EXPECT_EQ(plain.image.height, laced.image.height);
    EXPECT_EQ(plain.image.pixels, laced.image.pixels);
  }
}

// ---------------------------------------------------------------------------
// Every colour type and bit depth, encoded here with each filter type,
// interlaced or not, at sizes that leave some Adam7 passes empty.

struct Format {
  uint8_t colour_type, depth;
  bool with_trns;
};
void PrintTo(const Format& f, std::ostream* os) {
  *os << "colour type " << int{f.colour_type} << ", depth " << int{f.depth}
      << (f.with_trns ? ", tRNS" : "");
}

Image RandomImage(const Format& f, uint32_t w, uint32_t h, uint32_t seed) {
  std::mt19937 rng(seed);
  Image img;
  img.width = w;
  img.height = h;
  img.colour_type = f.colour_type;
  img.depth = f.depth;
  const unsigned ch = Channels(f.colour_type);
  unsigned limit = 1u << f.depth;  // exclusive bound on a sample
  if (f.colour_type == 3) {
    const unsigned entries = std::min(limit, 200u);
    for (unsigned i = 0; i < 3 * entries; ++i) img.palette.push_back(static_cast<uint8_t>(rng()));
    limit = entries;
    // A tRNS shorter than the palette leaves the remaining entries opaque.
    if (f.with_trns)
      for (unsigned i = 0; i < entries / 2 + 1; ++i)
        img.trns.push_back(static_cast<uint8_t>(rng()));
  }
  img.samples.resize(size_t{w} * h * ch);
  for (uint16_t& s : img.samples) s = static_cast<uint16_t>(rng() % limit);

  if (f.with_trns && (f.colour_type == 0 || f.colour_type == 2)) {
    // Key on pixel 0. Pixels 1 and 2 are near misses that must stay opaque:
    // pixel 1 differs in the lowest bit of its last sample, pixel 2 in the
    // highest bit of its first sample.
    for (unsigned c = 0; c < ch; ++c) {
      img.trns.push_back(static_cast<uint8_t>(img.samples[c] >> 8));
      img.trns.push_back(static_cast<uint8_t>(img.samples[c]));
    }
    if (img.samples.size() >= 3 * ch) {
      std::copy_n(img.samples.begin(), ch, img.samples.begin() + ch);
      std::copy_n(img.samples.begin(), ch, img.samples.begin() + 2 * ch);
      img.samples[2 * ch - 1] ^= 1;
      img.samples[2 * ch] ^= static_cast<uint16_t>(1u << (f.depth - 1));
    }
  }
  return img;
}

void ExpectDecodesTo(const PngResult& r, const Image& img) {
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.image.width, img.width);
  ASSERT_EQ(r.image.height, img.height);
  ASSERT_EQ(r.image.pixels.size(), size_t{img.width} * img.height);
  for (uint32_t y = 0; y < img.height; ++y)
    for (uint32_t x = 0; x < img.width; ++x) {
      const Rgba want = ExpectedPixel(img, x, y);
      const Rgba got = PixelAt(r.image, x, y);
      ASSERT_TRUE(want.r == got.r && want.g == got.g && want.b == got.b && want.a == got.a)
          << "pixel " << x << "," << y << " want " << Describe(want) << " got " << Describe(got);
    }
}

class FormatTest : public testing::TestWithParam<Format> {};

TEST_P(FormatTest, RoundTripsEveryFilterAndLayout) {
  const Format& f = GetParam();
  struct Size {
    uint32_t w, h;
  };
  const Size kSizes[] = {{1, 1}, {3, 2}, {2, 7}, {5, 9}, {13, 11}, {33, 3}};
  const int kFilters[] = {0, 1, 2, 3, 4, kCycleFilters};
  uint32_t seed = 1;
  for (const Size& s : kSizes) {
    const Image img = RandomImage(f, s.w, s.h, seed++);
    for (bool interlaced : {false, true}) {
      for (int filter : kFilters) {
        SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h) +
                     (interlaced ? " interlaced" : "") + " filter " + std::to_string(filter));
        ExpectDecodesTo(Decode(EncodePng(img, interlaced, filter)), img);
      }
    }
  }
}

TEST_P(FormatTest, AcceptsImageDataSplitAcrossManyIdatChunks) {
  const Image img = RandomImage(GetParam(), 13, 11, 77);
  for (size_t pieces : {2u, 7u, 1000u}) {  // 1000 gives many one-byte chunks
    SCOPED_TRACE(pieces);
    ExpectDecodesTo(Decode(EncodePng(img, true, kCycleFilters, pieces)), img);
  }
}

const Format kFormats[] = {
    {0, 1, false}, {0, 2, false}, {0, 4, false},  {0, 8, false}, {0, 16, false}, {0, 1, true},
    {0, 4, true},  {0, 8, true},  {0, 16, true},  {2, 8, false}, {2, 16, false}, {2, 8, true},
    {2, 16, true}, {3, 1, false}, {3, 2, false},  {3, 4, false}, {3, 8, false},  {3, 2, true},
    {3, 8, true},  {4, 8, false}, {4, 16, false}, {6, 8, false}, {6, 16, false},
};

INSTANTIATE_TEST_SUITE_P(AllFormats, FormatTest, testing::ValuesIn(kFormats),
                         [](const testing::TestParamInfo<Format>& info) {
                           return "type" + std::to_string(info.param.colour_type) + "_depth" +
                                  std::to_string(info.param.depth) +
                                  (info.param.with_trns ? "_trns" : "");
                         });

TEST(PngDecodeTest, WritesArgbWordsInTopDownOrder) {
  Image img;
  img.width = 2;
  img.height = 2;
  img.colour_type = 6;
  img.samples = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};
  const PngResult r = Decode(EncodePng(img, false, 0));
  ASSERT_TRUE(r.ok) << r.error;
  const std::vector<uint32_t> want = {0x280A141E, 0x50323C46, 0x785A646E, 0xA0828C96};
  EXPECT_EQ(r.image.pixels, want);
  // In memory that is B, G, R, A, as a 32-bit DIB section wants it.
  uint8_t bytes[4];
  std::memcpy(bytes, r.image.pixels.data(), 4);
  EXPECT_EQ(Bytes(bytes, bytes + 4), (Bytes{30, 20, 10, 40}));
}

// ---------------------------------------------------------------------------
// Inputs that decode despite oddities.

using Mutation = std::function<Bytes()>;

Bytes Edit(Bytes file, const std::function<void(std::vector<Chunk>&)>& change) {
  std::vector<Chunk> chunks = SplitChunks(file);
  change(chunks);
  return JoinChunks(chunks);
}

struct TolerantCase {
  const char* name;
  const char* fixture;
  std::function<void(std::vector<Chunk>&)> change;
};

TEST(PngDecodeTest, ToleratesHarmlessVariations) {
  const TolerantCase kCases[] = {
      {"unknown ancillary chunk before and after IDAT", "rgba8.png",
       [](std::vector<Chunk>& c) {
         c.insert(c.begin() + IndexOf(c, "IDAT"), {"vlTn", {1, 2, 3}});
         c.insert(c.begin() + IndexOf(c, "IEND"), {"zzZz", {}});
       }},
      {"empty IDAT chunks around the data", "palette8_interlaced.png",
       [](std::vector<Chunk>& c) {
         const size_t i = IndexOf(c, "IDAT");
         c.insert(c.begin() + i + 1, {"IDAT", {}});
         c.insert(c.begin() + i, {"IDAT", {}});
       }},
      {"junk after the zlib stream inside IDAT", "rgb8.png",
       [](std::vector<Chunk>& c) {
         Bytes& d = c[IndexOf(c, "IDAT")].data;
         d.insert(d.end(), {0xde, 0xad, 0xbe, 0xef});
       }},
      {"ancillary chunks removed", "rgb8_interlaced.png",
       [](std::vector<Chunk>& c) {
         std::erase_if(
             c, [](const Chunk& k) { return std::islower(static_cast<unsigned char>(k.type[0])); });
       }},
      {"chunk after IEND", "grey4.png",
       [](std::vector<Chunk>& c) {
         c.push_back({"JUNK", {9}});
       }},
  };
  for (const TolerantCase& tc : kCases) {
    SCOPED_TRACE(tc.name);
    const Bytes original = ReadFile(tc.fixture);
    const PngResult want = Decode(original);
    ASSERT_TRUE(want.ok) << want.error;
    const PngResult got = Decode(Edit(original, tc.change));
    ASSERT_TRUE(got.ok) << got.error;
    EXPECT_EQ(got.image.width, want.image.width);
    EXPECT_EQ(got.image.pixels, want.image.pixels);
  }
}

// The decoder refuses files too small to inflate to their claimed size; a real
// file compressed about as far as deflate allows must still get through.
TEST(PngDecodeTest, AcceptsMaximallyCompressedData) {
  Image img;
  img.width = kPngMaxSide;
  img.height = 64;
  img.colour_type = 0;
  img.samples.assign(size_t{img.width} * img.height, 0);
  const Bytes file = EncodePng(img, false, 0);
  ASSERT_GT(size_t{img.height} * (1 + img.width) / file.size(), 900u)
      << "zlib did not compress as expected";
  ExpectDecodesTo(Decode(file), img);
}

// A grey 1-bit file whose rows are all zero: deflate packs it about a
// thousand to one.
Bytes BlankOneBitPng(uint32_t width, uint32_t height) {
  Image img;
  img.width = width;
  img.height = height;
  img.depth = 1;
  const Bytes lines(size_t{height} * (1 + (width + 7) / 8), 0);
  return PngFromScanlines(img, false, lines);
}

// About 8 KiB that inflate to an image of 256 MiB: refused from the header,
// before any pixel memory is reserved.
TEST(PngDecodeTest, TinyFileClaimingAHugeImageIsRefusedBeforeAllocating) {
  const Bytes file = BlankOneBitPng(8192, 8192);
  ASSERT_LT(file.size(), 9u * 1024);
  const test::AllocationWatch watch;
  const PngResult r = Decode(file);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("image too large"), std::string::npos) << r.error;
  EXPECT_TRUE(r.image.pixels.empty());
  if (test::AllocationWatch::Works()) {
    EXPECT_LT(watch.Largest(), 64u * 1024);
  }
}

// An image of exactly the output cap decodes, and the decoder holds its
// output once: nothing else it allocates comes near that size.
TEST(PngDecodeTest, ImageOfExactlyTheCapDecodesWithOneOutputBuffer) {
  const uint32_t side = 4096;
  static_assert(uint64_t{4096} * 4096 * 4 == kPngMaxOutputBytes);
  const Bytes file = BlankOneBitPng(side, side);
  const test::AllocationWatch watch;
  const PngResult r = Decode(file);
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.image.pixels.size(), size_t{side} * side);
  EXPECT_EQ(std::count(r.image.pixels.begin(), r.image.pixels.end(), 0xFF000000u),
            std::ssize(r.image.pixels));
  if (test::AllocationWatch::Works()) {
    EXPECT_EQ(watch.Largest(), kPngMaxOutputBytes);
    EXPECT_LT(watch.Total(), kPngMaxOutputBytes + 1024 * 1024);
  }
}

TEST(PngDecodeTest, IgnoresBytesAfterIend) {
  Bytes file = ReadFile("grey8.png");
  const PngResult want = Decode(file);
  file.insert(file.end(), {0, 0, 0, 0xff, 'x', 'y'});
  const PngResult got = Decode(file);
  ASSERT_TRUE(got.ok) << got.error;
  EXPECT_EQ(got.image.pixels, want.image.pixels);
}

// ---------------------------------------------------------------------------
// Malformed inputs: each must be refused with a recognisable reason.

Bytes WithIhdr(const char* fixture, const std::function<void(Bytes&)>& change) {
  return Edit(ReadFile(fixture),
              [&](std::vector<Chunk>& c) { change(c[IndexOf(c, "IHDR")].data); });
}

// Header-only file: enough to exercise IHDR checks without pixel data.
Bytes HeaderOnly(uint32_t w, uint32_t h, uint8_t depth, uint8_t colour_type) {
  return JoinChunks({{"IHDR", Ihdr(w, h, depth, colour_type, 0)}, {"IEND", {}}});
}

Bytes FlipAt(Bytes file, size_t at) {
  if (at < file.size()) file[at] ^= 0x01;
  return file;
}

// A 4x3 8-bit palette image with four colours, for crafting bad pixel data.
Image SmallPaletteImage() {
  Image img;
  img.width = 4;
  img.height = 3;
  img.colour_type = 3;
  img.palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
  img.samples = {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 1, 1};
  return img;
}

Image SmallRgbImage(uint32_t w, uint32_t h) { return RandomImage({2, 8, false}, w, h, 5); }

struct BadCase {
  const char* name;
  Mutation make;
  const char* error;
};
void PrintTo(const BadCase& bc, std::ostream* os) { *os << bc.name; }

std::vector<BadCase> BadCases() {
  return {
      // Framing.
      {"EmptyFile", [] { return Bytes{}; }, "too short"},
      {"ShorterThanSignature",
       [] {
         Bytes f = ReadFile("rgb8.png");
         f.resize(7);
         return f;
       },
       "too short"},
      {"WrongSignature", [] { return FlipAt(ReadFile("rgb8.png"), 1); }, "bad signature"},
      {"SignatureOnly",
       [] {
         Bytes f = ReadFile("rgb8.png");
         f.resize(8);
         return f;
       },
       "missing IHDR"},
      {"CutInChunkHeader",
       [] {
         Bytes f = ReadFile("rgb8.png");
         f.resize(ChunkOffset(f, "IDAT") + 6);
         return f;
       },
       "truncated file"},
      {"CutInIdatData",
       [] {
         Bytes f = ReadFile("rgb8.png");
         f.resize(ChunkOffset(f, "IDAT") + 40);
         return f;
       },
       "truncated file"},
      {"CutInIdatCrc",
       [] {
         Bytes f = ReadFile("rgb8.png");
         f.resize(ChunkOffset(f, "IEND") - 2);
         return f;
       },
       "truncated file"},
      {"CutBeforeIend",
       [] {
         Bytes f = ReadFile("rgb8.png");
         f.resize(ChunkOffset(f, "IEND"));
         return f;
       },
       "missing IEND"},
      {"LengthJustOverLimit",
       [] {
         Bytes f = ReadFile("rgb8.png");
         SetU32(f, ChunkOffset(f, "IDAT"), 0x80000000u);
         return f;
       },
       "chunk length too large"},
      {"LengthAllOnes",
       [] {
         Bytes f = ReadFile("rgb8.png");
         SetU32(f, ChunkOffset(f, "IHDR"), 0xFFFFFFFFu);
         return f;
       },
       "chunk length too large"},
      {"LengthPastEndOfFile",
       [] {
         Bytes f = ReadFile("rgb8.png");
         SetU32(f, ChunkOffset(f, "IDAT"), 5000);
         return f;
       },
       "truncated file"},
      {"InvalidChunkTypeByte",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) { c[IndexOf(c, "gAMA")].type = "gA1A"; });
       },
       "invalid chunk type"},

      // CRCs, on critical and ancillary chunks alike.
      {"BadCrcIhdr",
       [] {
         Bytes f = ReadFile("rgb8.png");
         return FlipAt(f, ChunkOffset(f, "IHDR") + 8 + 13);
       },
       "bad CRC in IHDR chunk"},
      {"BadCrcIdat",
       [] {
         Bytes f = ReadFile("rgba8.png");
         return FlipAt(f, ChunkOffset(f, "IEND") - 1);
       },
       "bad CRC in IDAT chunk"},
      {"IdatDataFlippedCrcStale",
       [] {
         Bytes f = ReadFile("rgba8.png");
         return FlipAt(f, ChunkOffset(f, "IDAT") + 20);
       },
       "bad CRC in IDAT chunk"},
      {"BadCrcAncillary",
       [] {
         Bytes f = ReadFile("rgb8.png");
         return FlipAt(f, ChunkOffset(f, "gAMA") + 9);
       },
       "bad CRC in gAMA chunk"},
      {"BadCrcIend",
       [] {
         Bytes f = ReadFile("rgb8.png");
         return FlipAt(f, f.size() - 1);
       },
       "bad CRC in IEND chunk"},

      // IHDR placement and fields.
      {"NoIhdr", [] { return Edit(ReadFile("rgb8.png"), [](auto& c) { c.erase(c.begin()); }); },
       "missing IHDR"},
      {"IhdrNotFirst",
       [] { return Edit(ReadFile("rgb8.png"), [](auto& c) { std::swap(c[0], c[1]); }); },
       "missing IHDR"},
      {"DuplicateIhdr",
       [] { return Edit(ReadFile("rgb8.png"), [](auto& c) { c.insert(c.begin() + 1, c[0]); }); },
       "duplicate IHDR"},
      {"IhdrTooShort", [] { return WithIhdr("rgb8.png", [](Bytes& d) { d.pop_back(); }); },
       "bad IHDR chunk length"},
      {"ZeroWidth", [] { return WithIhdr("rgb8.png", [](Bytes& d) { SetU32(d, 0, 0); }); },
       "zero image width"},
      {"ZeroHeight", [] { return WithIhdr("rgb8.png", [](Bytes& d) { SetU32(d, 4, 0); }); },
       "zero image width"},
      {"Width100000", [] { return WithIhdr("rgb8.png", [](Bytes& d) { SetU32(d, 0, 100000); }); },
       "image too large"},
      {"Height100000", [] { return WithIhdr("rgb8.png", [](Bytes& d) { SetU32(d, 4, 100000); }); },
       "image too large"},
      {"WidthOneOverSideLimit", [] { return HeaderOnly(kPngMaxSide + 1, 1, 8, 0); },
       "image too large"},
      {"WidthTopBitSet", [] { return HeaderOnly(0x80000000u, 1, 8, 0); }, "image too large"},
      // The output cap counts 4 bytes a pixel whatever the file's depth.
      {"OutputOneRowOverCap", [] { return HeaderOnly(16384, 1025, 8, 0); }, "image too large"},
      {"OutputOverCapAt1Bit", [] { return HeaderOnly(8192, 8192, 1, 0); }, "image too large"},
      {"OutputOverCapSquare", [] { return HeaderOnly(4097, 4096, 1, 3); }, "image too large"},
      // At exactly the limits the header is accepted; the file then fails for lack of data.
      {"LargestAllowedWide", [] { return HeaderOnly(16384, 1024, 8, 0); }, "missing IDAT"},
      {"LargestAllowedTall", [] { return HeaderOnly(1024, 16384, 16, 6); }, "missing IDAT"},
      {"LargestAllowedSquare", [] { return HeaderOnly(4096, 4096, 1, 0); }, "missing IDAT"},
      {"HugeHeaderTinyData",
       [] {
         return WithIhdr("grey8.png", [](Bytes& d) {
           SetU32(d, 0, 16384);
           SetU32(d, 4, 1024);
         });
       },
       "image data too short"},
      {"ColourType1", [] { return HeaderOnly(4, 4, 8, 1); }, "invalid colour type"},
      {"ColourType5", [] { return HeaderOnly(4, 4, 8, 5); }, "invalid colour type"},
      {"ColourType7", [] { return HeaderOnly(4, 4, 8, 7); }, "invalid colour type"},
      {"GreyDepth3", [] { return HeaderOnly(4, 4, 3, 0); }, "invalid bit depth"},
      {"GreyDepth0", [] { return HeaderOnly(4, 4, 0, 0); }, "invalid bit depth"},
      {"RgbDepth4", [] { return HeaderOnly(4, 4, 4, 2); }, "invalid bit depth"},
      {"PaletteDepth16", [] { return HeaderOnly(4, 4, 16, 3); }, "invalid bit depth"},
      {"GreyAlphaDepth2", [] { return HeaderOnly(4, 4, 2, 4); }, "invalid bit depth"},
      {"RgbaDepth1", [] { return HeaderOnly(4, 4, 1, 6); }, "invalid bit depth"},
      {"CompressionMethod1", [] { return WithIhdr("rgb8.png", [](Bytes& d) { d[10] = 1; }); },
       "compression method"},
      {"FilterMethod1", [] { return WithIhdr("rgb8.png", [](Bytes& d) { d[11] = 1; }); },
       "filter method"},
      {"InterlaceMethod2", [] { return WithIhdr("rgb8.png", [](Bytes& d) { d[12] = 2; }); },
       "interlace method"},

      // Chunk order and unknown chunks.
      {"NoIdat",
       [] {
         return Edit(ReadFile("rgb8.png"),
                     [](auto& c) { c.erase(c.begin() + IndexOf(c, "IDAT")); });
       },
       "missing IDAT"},
      {"IdatSplitByOtherChunk",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) {
           const size_t i = IndexOf(c, "IDAT");
           Bytes& d = c[i].data;
           Chunk tail{"IDAT", Bytes(d.begin() + d.size() / 2, d.end())};
           d.resize(d.size() / 2);
           c.insert(c.begin() + i + 1, {{"tEXt", {'a', 0, 'b'}}, tail});
         });
       },
       "IDAT chunks not consecutive"},
      {"UnknownCriticalChunk",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) { c.insert(c.begin() + 1, {"CRIT", {0}}); });
       },
       "unknown critical chunk CRIT"},

      // PLTE.
      {"PaletteImageWithoutPlte",
       [] {
         return Edit(ReadFile("palette8.png"), [](auto& c) {
           std::erase_if(c, [](const Chunk& k) { return k.type == "PLTE" || k.type == "tRNS"; });
         });
       },
       "missing PLTE"},
      {"PlteLengthNotMultipleOf3",
       [] {
         return Edit(ReadFile("palette4.png"),
                     [](auto& c) { c[IndexOf(c, "PLTE")].data.pop_back(); });
       },
       "bad PLTE chunk length"},
      {"EmptyPlte",
       [] {
         return Edit(ReadFile("palette4.png"), [](auto& c) { c[IndexOf(c, "PLTE")].data.clear(); });
       },
       "bad PLTE chunk length"},
      {"Plte257Entries",
       [] {
         return Edit(ReadFile("palette8.png"),
                     [](auto& c) { c[IndexOf(c, "PLTE")].data.resize(3 * 257, 7); });
       },
       "bad PLTE chunk length"},
      {"DuplicatePlte",
       [] {
         return Edit(ReadFile("palette4.png"), [](auto& c) {
           const size_t i = IndexOf(c, "PLTE");
           c.insert(c.begin() + i, c[i]);
         });
       },
       "duplicate PLTE"},
      {"PlteAfterIdat",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) {
           c.insert(c.begin() + IndexOf(c, "IEND"), {"PLTE", {1, 2, 3}});
         });
       },
       "PLTE chunk after image data"},
      {"PlteInGreyImage",
       [] {
         return Edit(ReadFile("grey8.png"), [](auto& c) {
           c.insert(c.begin() + 1, {"PLTE", {1, 2, 3}});
         });
       },
       "PLTE chunk in greyscale image"},
      {"FixturePaletteTooShortForIndices",
       [] {
         // palette4.png uses indices 0..10; drop the last entry.
         return Edit(ReadFile("palette4.png"),
                     [](auto& c) { c[IndexOf(c, "PLTE")].data.resize(30); });
       },
       "palette index out of range"},
      {"IndexBeyondPalette",
       [] {
         Image img = SmallPaletteImage();
         img.samples[6] = 4;  // one past the last entry
         return EncodePng(img, false, kCycleFilters);
       },
       "palette index out of range"},
      {"IndexBeyondPaletteInterlaced",
       [] {
         Image img = SmallPaletteImage();
         img.samples.back() = 255;
         return EncodePng(img, true, 0);
       },
       "palette index out of range"},

      // tRNS.
      {"TrnsBeforePlte",
       [] {
         return Edit(ReadFile("palette8.png"),
                     [](auto& c) { std::swap(c[IndexOf(c, "PLTE")], c[IndexOf(c, "tRNS")]); });
       },
       "tRNS chunk before PLTE"},
      {"TrnsLongerThanPalette",
       [] {
         return Edit(ReadFile("palette4.png"), [](auto& c) {
           c.insert(c.begin() + IndexOf(c, "IDAT"), {"tRNS", Bytes(12, 0)});
         });
       },
       "bad tRNS chunk length"},
      {"TrnsWrongSizeGrey",
       [] {
         return Edit(ReadFile("grey8.png"), [](auto& c) {
           c.insert(c.begin() + 1, {"tRNS", {0, 1, 2}});
         });
       },
       "bad tRNS chunk length"},
      {"TrnsWrongSizeRgb",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) {
           c.insert(c.begin() + 1, {"tRNS", {0, 1}});
         });
       },
       "bad tRNS chunk length"},
      {"TrnsWithAlphaChannel",
       [] {
         return Edit(ReadFile("rgba8.png"), [](auto& c) {
           c.insert(c.begin() + 1, {"tRNS", {0, 1}});
         });
       },
       "tRNS chunk in image with alpha channel"},
      {"TrnsAfterIdat",
       [] {
         return Edit(ReadFile("grey8.png"), [](auto& c) {
           c.insert(c.begin() + IndexOf(c, "IEND"), {"tRNS", {0, 1}});
         });
       },
       "tRNS chunk after image data"},
      {"DuplicateTrns",
       [] {
         return Edit(ReadFile("palette8.png"), [](auto& c) {
           const size_t i = IndexOf(c, "tRNS");
           c.insert(c.begin() + i, c[i]);
         });
       },
       "duplicate tRNS"},

      // zlib stream; each with a correct CRC so only the compressed data is wrong.
      {"ZlibHeaderCorrupt",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) { c[IndexOf(c, "IDAT")].data[0] = 0x00; });
       },
       "bad zlib stream"},
      {"ZlibChecksumCorrupt",
       [] {
         return Edit(ReadFile("rgba8.png"),
                     [](auto& c) { c[IndexOf(c, "IDAT")].data.back() ^= 0x55; });
       },
       "bad zlib stream"},
      {"ZlibReservedBlockType",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) {
           c[IndexOf(c, "IDAT")].data = {0x78, 0x9c, 0x07, 0, 0};
         });
       },
       "bad zlib stream"},
      {"ZlibPresetDictionary",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) {
           c[IndexOf(c, "IDAT")].data = {0x78, 0xbb, 0, 0, 0, 1, 0x03, 0x00};
         });
       },
       "bad zlib stream"},
      {"ZlibStreamCutShort",
       [] {
         return Edit(ReadFile("rgb8_interlaced.png"), [](auto& c) {
           Bytes& d = c[IndexOf(c, "IDAT")].data;
           d.resize(d.size() / 2);
         });
       },
       "image data too short"},
      {"ZlibChecksumMissing",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) {
           Bytes& d = c[IndexOf(c, "IDAT")].data;
           d.resize(d.size() - 4);
         });
       },
       "incomplete zlib stream"},
      {"EmptyIdat",
       [] {
         return Edit(ReadFile("rgb8.png"), [](auto& c) { c[IndexOf(c, "IDAT")].data.clear(); });
       },
       "image data too short"},

      // Inflated data of the wrong size or content.
      {"ShortScanLinesMissingRow",
       [] {
         const Image img = SmallRgbImage(5, 4);
         Bytes lines = Scanlines(img, false, 1);
         lines.resize(lines.size() - (1 + 5 * 3));
         return PngFromScanlines(img, false, lines);
       },
       "image data too short"},
      {"ShortScanLinesOneByte",
       [] {
         const Image img = SmallRgbImage(6, 6);
         Bytes lines = Scanlines(img, true, 4);
         lines.pop_back();
         return PngFromScanlines(img, true, lines);
       },
       "image data too short"},
      {"ExcessDataOneByte",
       [] {
         const Image img = SmallRgbImage(5, 4);
         Bytes lines = Scanlines(img, false, 2);
         lines.push_back(0);
         return PngFromScanlines(img, false, lines);
       },
       "too much image data"},
      {"ExcessDataWholeRow",
       [] {
         const Image img = SmallRgbImage(3, 3);
         Bytes lines = Scanlines(img, true, 0);
         lines.insert(lines.end(), 10, 0);
         return PngFromScanlines(img, true, lines);
       },
       "too much image data"},
      {"FilterByte5",
       [] {
         const Image img = SmallRgbImage(5, 4);
         Bytes lines = Scanlines(img, false, 0);
         lines[2 * (1 + 5 * 3)] = 5;  // third row
         return PngFromScanlines(img, false, lines);
       },
       "bad filter type"},
      {"FilterByte255LastRowInterlaced",
       [] {
         const Image img = SmallRgbImage(5, 4);
         Bytes lines = Scanlines(img, true, 3);
         lines[lines.size() - (1 + 5 * 3)] = 255;  // last row of pass 7
         return PngFromScanlines(img, true, lines);
       },
       "bad filter type"},
      {"FixtureFilterByteReplaced",
       [] {
         return Edit(ReadFile("grey8.png"), [](auto& c) {
           Bytes& d = c[IndexOf(c, "IDAT")].data;
           Bytes lines = Unzlib(d, 11 * (1 + 13));
           lines[0] = 9;
           d = Zlib(lines);
         });
       },
       "bad filter type"},
  };
}

class MalformedTest : public testing::TestWithParam<BadCase> {};

TEST_P(MalformedTest, IsRefusedWithReason) {
  const BadCase& bc = GetParam();
  const Bytes file = bc.make();
  const PngResult r = Decode(file);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(bc.error), std::string::npos) << "error was: \"" << r.error << "\"";
  EXPECT_EQ(r.image.width, 0u);
  EXPECT_EQ(r.image.height, 0u);
  EXPECT_TRUE(r.image.pixels.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, MalformedTest, testing::ValuesIn(BadCases()),
                         [](const testing::TestParamInfo<BadCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(PngDecodeTest, NullPointerIsRefused) {
  const PngResult r = DecodePng(nullptr, 0);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("too short"), std::string::npos) << r.error;
}

// Every prefix of a valid file is refused (the decoder insists on IEND), with
// a reason that says the file ended early.
TEST(PngDecodeTest, EveryTruncationIsRefused) {
  for (const char* name : {"rgb8.png", "palette8_interlaced.png", "grey1.png"}) {
    const Bytes file = ReadFile(name);
    ASSERT_TRUE(Decode(file).ok) << name;
    for (size_t n = 0; n < file.size(); ++n) {
      const PngResult r = DecodePng(file.data(), n);  // exact-size reads: ASan sees any overrun
      ASSERT_FALSE(r.ok) << name << " cut to " << n;
      const bool early = r.error.find("too short") != std::string::npos ||
                         r.error.find("truncated file") != std::string::npos ||
                         r.error.find("missing IEND") != std::string::npos ||
                         r.error.find("missing IHDR") != std::string::npos;
      ASSERT_TRUE(early) << name << " cut to " << n << ": " << r.error;
    }
  }
}

// CRCs cover everything but the signature and length fields, and those break
// framing, so any single flipped bit must be caught.
// The size read without decoding must not come from a damaged or unusable
// header: any flipped bit of the signature or the IHDR chunk, a header cut
// short, or a size the decoder would refuse.
TEST(PngDecodeTest, SizeIsRefusedForABadHeader) {
  const Bytes file = ReadFile("rgb8.png");
  uint32_t width = 0, height = 0;
  ASSERT_TRUE(PngSize(file.data(), file.size(), width, height));
  for (size_t bit = 0; bit < (8 + 25) * 8; ++bit) {
    Bytes copy = file;
    copy[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    EXPECT_FALSE(PngSize(copy.data(), copy.size(), width, height)) << "bit " << bit;
  }
  for (size_t n = 0; n < 8 + 25; ++n)
    EXPECT_FALSE(PngSize(file.data(), n, width, height)) << "cut to " << n;
  EXPECT_FALSE(PngSize(nullptr, 0, width, height));
  const struct {
    const char* what;
    Bytes file;
  } refused[] = {
      {"wider than the limit", HeaderOnly(kPngMaxSide + 1, 1, 8, 2)},
      {"no width", HeaderOnly(0, 5, 8, 2)},
      {"bad depth for its colour type", HeaderOnly(5, 5, 4, 2)},
  };
  for (const auto& r : refused)
    EXPECT_FALSE(PngSize(r.file.data(), r.file.size(), width, height)) << r.what;
}

TEST(PngDecodeTest, EverySingleBitFlipIsRefused) {
  for (const char* name : {"rgba8.png", "grey1_interlaced.png"}) {
    const Bytes file = ReadFile(name);
    for (size_t bit = 0; bit < file.size() * 8; ++bit) {
      Bytes copy = file;
      copy[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
      const PngResult r = Decode(copy);
      ASSERT_FALSE(r.ok) << name << " bit " << bit;
      ASSERT_FALSE(r.error.empty());
    }
  }
}

}  // namespace
}  // namespace velotune
