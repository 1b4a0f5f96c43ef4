#include "widgets/artwork.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace velotune {
namespace {

// FNV-1a over the pixels, top row first, each pixel as its blue, green and red bytes.
uint64_t PixelDigest(const ui::Picture& picture) {
  uint64_t digest = 0xcbf29ce484222325ull;
  for (uint32_t px : picture.Pixels())
    for (int shift = 0; shift < 24; shift += 8) {
      digest ^= (px >> shift) & 0xFF;
      digest *= 0x100000001b3ull;
    }
  return digest;
}

// The keyed pictures were uncompressed 24-bit bitmaps before they became PNG
// resources. These digests were taken from those bitmaps' own pixels, with the
// same formula, so the window built from the PNGs is the window built from the
// bitmaps: the background with its magenta outline pixels, every button with
// its olive mask, the tray menu's side bar.
struct Keyed {
  const char* name;
  int width, height;
  uint64_t digest;
};
constexpr Keyed kBitmapsReplaced[] = {
    {"ACT_APPLY_DOWN", 120, 35, 0x585AF77C951F1927ull},
    {"ACT_APPLY_HOT", 120, 35, 0x490F2EB852664056ull},
    {"ACT_APPLY_UP", 120, 35, 0xC3043113F6EC6F22ull},
    {"ACT_ERASE_DOWN", 120, 35, 0xBC22E7CCBC54023Cull},
    {"ACT_ERASE_HOT", 120, 35, 0x18D86E6EE544893Dull},
    {"ACT_ERASE_UP", 120, 35, 0xA5622C260D0FB44Aull},
    {"ACT_OK_DOWN", 120, 35, 0x6F5C09D4DBC6E99Eull},
    {"ACT_OK_HOT", 120, 35, 0x0368A8BB186ADC90ull},
    {"ACT_OK_UP", 120, 35, 0xBA544FB340C3B453ull},
    {"ACT_OPTIMIZE_DOWN", 120, 35, 0xDAB0B6CCB0C39B37ull},
    {"ACT_OPTIMIZE_HOT", 120, 35, 0x18A1996363181A71ull},
    {"ACT_OPTIMIZE_UP", 120, 35, 0x8B5524F603695B00ull},
    {"BACKGROUND", 550, 374, 0xE97A06A831D5E3F9ull},
    {"BTN_CLOSE_DOWN", 16, 15, 0x7E57BFD7B52E1BA1ull},
    {"BTN_CLOSE_HOT", 16, 15, 0x230A0F7FE7816701ull},
    {"BTN_CLOSE_UP", 16, 15, 0xD701868D04EF18A9ull},
    {"BTN_MIN_DOWN", 16, 15, 0xE899E0E2284547D1ull},
    {"BTN_MIN_HOT", 16, 15, 0xFE0E8236F2CD6945ull},
    {"BTN_MIN_UP", 16, 15, 0x0CFE422CCA8E2353ull},
    {"NAV_ABOUT_DOWN", 142, 41, 0x72AF773B7369BA22ull},
    {"NAV_ABOUT_HOT", 142, 41, 0x0D439F5A07C7C04Full},
    {"NAV_ABOUT_STAYDOWN", 142, 41, 0x6E55293C4FC67D87ull},
    {"NAV_ABOUT_UP", 142, 41, 0xCA52298918228AF3ull},
    {"NAV_ENHANCE_DOWN", 142, 41, 0xDA692C7BC5E5DAEBull},
    {"NAV_ENHANCE_HOT", 142, 41, 0x351FF9EE65E3D0A1ull},
    {"NAV_ENHANCE_STAYDOWN", 142, 41, 0xAE0BF1077AE95678ull},
    {"NAV_ENHANCE_UP", 142, 41, 0x04FBC1A8843E7A06ull},
    {"NAV_ERASER_DOWN", 142, 41, 0x2E648992D72B17A4ull},
    {"NAV_ERASER_HOT", 142, 41, 0x7F68A7B351D09E58ull},
    {"NAV_ERASER_STAYDOWN", 142, 41, 0xEE131DF3395F12DAull},
    {"NAV_ERASER_UP", 142, 41, 0xF593784D36C687FEull},
    {"NAV_NETWORK_DOWN", 142, 41, 0x25A3EFA6B8A53922ull},
    {"NAV_NETWORK_HOT", 142, 41, 0x81CA9E934D0789D1ull},
    {"NAV_NETWORK_STAYDOWN", 142, 41, 0x8C9156B2D3F5E698ull},
    {"NAV_NETWORK_UP", 142, 41, 0x1773E33DD36A9CAAull},
    {"SIDEBAR", 20, 500, 0x92C26CD52E92093Eull},
};

TEST(Artwork, KeyedPicturesHaveExactlyThePixelsOfTheBitmapsTheyReplaced) {
  for (const Keyed& k : kBitmapsReplaced) {
    SCOPED_TRACE(k.name);
    const ui::Picture picture = LoadArtwork(k.name);
    ASSERT_FALSE(picture.Empty());
    EXPECT_EQ(picture.Width(), k.width);
    EXPECT_EQ(picture.Height(), k.height);
    // Opaque, as the bitmaps were: drawn by copying, keys compared exactly.
    EXPECT_FALSE(picture.HasAlpha());
    EXPECT_EQ(PixelDigest(picture), k.digest);
  }
}

// The digest is only a proof if one step of one colour in one pixel changes it.
TEST(Artwork, DigestSeesOnePixelOneStepOff) {
  const ui::Picture background = LoadArtwork("BACKGROUND");
  ASSERT_EQ(background.Width(), 550);
  std::vector<uint8_t> bgra(background.Pixels().size() * 4);
  std::memcpy(bgra.data(), background.Pixels().data(), bgra.size());
  bgra[(200 * 550 + 300) * 4 + 1] ^= 1;  // green of one pixel in the middle
  EXPECT_NE(PixelDigest(ui::Picture::FromBgra(550, 374, bgra)), PixelDigest(background));
}

TEST(Artwork, MissingNameGivesAnEmptyPicture) {
  EXPECT_TRUE(LoadArtwork("NO_SUCH_PICTURE").Empty());
}

}  // namespace
}  // namespace velotune
