#include "ui/picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace velotune {
namespace {

// A decoded image can be as large as the decoder allows: the picture keeps
// the very buffer it is given.
TEST(Picture, FromPixelsTakesTheBufferOverUncopied) {
  std::vector<uint32_t> pixels = {0xFF102030u, 0xFF405060u, 0x80FFFFFFu,
                                  0xFF000000u, 0xFF010203u, 0xFF040506u};
  const uint32_t* buffer = pixels.data();
  const ui::Picture picture = ui::Picture::FromPixels(3, 2, std::move(pixels));
  ASSERT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Pixels().data(), buffer);
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(picture.Height(), 2);
  EXPECT_TRUE(picture.HasAlpha());
  EXPECT_EQ(picture.PixelRgb(1, 0), RGB(0x40, 0x50, 0x60));
  EXPECT_EQ(picture.PixelRgb(2, 1), RGB(0x04, 0x05, 0x06));
}

TEST(Picture, FromPixelsAndFromBgraAgree) {
  const std::vector<uint8_t> bgra = {0x30, 0x20, 0x10, 0xFF, 0x60, 0x50, 0x40, 0xFF};
  const ui::Picture fromBytes = ui::Picture::FromBgra(2, 1, bgra);
  const ui::Picture fromWords = ui::Picture::FromPixels(2, 1, {0xFF102030u, 0xFF405060u});
  EXPECT_EQ(fromBytes.Pixels(), fromWords.Pixels());
  EXPECT_FALSE(fromWords.HasAlpha());
}

TEST(Picture, TooFewPixelsOrNoSizeGiveAnEmptyPicture) {
  EXPECT_TRUE(ui::Picture::FromPixels(2, 2, {1, 2, 3}).Empty());
  EXPECT_TRUE(ui::Picture::FromPixels(0, 2, {1, 2, 3}).Empty());
  EXPECT_TRUE(ui::Picture::FromPixels(2, -1, {1, 2, 3}).Empty());
  EXPECT_TRUE(ui::Picture::FromBgra(1, 1, {1, 2, 3}).Empty());
  // More than enough: the rest is not part of the picture.
  const ui::Picture extra = ui::Picture::FromPixels(1, 1, {0xFF0000FFu, 0x00000000u});
  EXPECT_EQ(extra.Pixels().size(), 1u);
  EXPECT_FALSE(extra.HasAlpha());
}

}  // namespace
}  // namespace velotune
