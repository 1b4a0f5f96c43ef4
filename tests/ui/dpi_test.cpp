#include "ui/dpi.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/ui_fixture.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/picture.h"

namespace velotune::ui {
namespace {

using test::CaptureClient;
using test::TestApplication;

TEST(Dpi, LengthsScaleFromTheLayoutAndComeBackUnchanged) {
  struct Case {
    int value, dpi, scaled;
  };
  const Case cases[] = {{550, 96, 550},  {550, 120, 688}, {550, 144, 825}, {550, 192, 1100},
                        {374, 120, 468}, {374, 144, 561}, {11, 120, 14},   {11, 144, 17},
                        {1, 120, 1},     {1, 144, 2},     {67, 192, 134},  {-5, 192, -10}};
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.scaled) << c.value << " at " << c.dpi;
    // Up and back down again: where it started, also through another DPI.
    EXPECT_EQ(RescaleDpi(c.scaled, 96, c.dpi), c.value) << c.value << " at " << c.dpi;
    EXPECT_EQ(RescaleDpi(RescaleDpi(c.scaled, 192, c.dpi), c.dpi, 192), c.scaled);
  }
  EXPECT_EQ(RescaleDpi(688, 192, 120), 1100);
}

TEST(Dpi, SystemAndWindowDpiAreTheScreensAndIconsFollowIt) {
  TestApplication();
  HDC screen = GetDC(nullptr);
  const int logPixels = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(SystemDpi(), logPixels);
  EXPECT_EQ(WindowDpi(TestApplication().Handle()), logPixels);
  EXPECT_EQ(SmallIconSize(SystemDpi()), GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(SmallIconSize(96), 16);
  EXPECT_EQ(SmallIconSize(192), 32);
}

// Builds a picture from 0xAARRGGBB words given row by row.
Picture Words(int width, int height, std::vector<uint32_t> words) {
  return Picture::FromPixels(width, height, std::move(words));
}

TEST(Resampled, KeyColourNeitherBleedsIntoThePictureNorIsLost) {
  constexpr uint32_t K = 0xFF808000, R = 0xFFFF0000, B = 0xFF0000FF;
  // Key on the left, red and blue columns on the right.
  const Picture p = Words(4, 2, {K, K, R, B, K, K, R, B});
  const Picture half = Resampled(p, 2, 1, RGB(128, 128, 0));
  ASSERT_EQ(half.Width(), 2);
  EXPECT_EQ(half.Pixels()[0], K);           // all key: key
  EXPECT_EQ(half.Pixels()[1], 0xFF800080);  // red and blue averaged
  // 5 to 3: the middle pixel is a third key, two thirds red: red, never
  // olive-tinted; the first is all key.
  const Picture three = Resampled(Words(5, 1, {K, K, R, R, R}), 3, 1, RGB(128, 128, 0));
  EXPECT_EQ(three.Pixels(), (std::vector<uint32_t>{K, R, R}));
  // Without a key the same picture blends.
  const Picture blended = Resampled(Words(4, 1, {K, K, R, R}), 2, 1);
  EXPECT_EQ(blended.Pixels()[0], K);
  EXPECT_EQ(blended.Pixels()[1], R);
  EXPECT_EQ(Resampled(Words(2, 1, {K, R}), 1, 1).Pixels()[0], 0xFFC04000);
}

TEST(Resampled, ColourWeighsByAlphaAndTheSameSizeIsTheSamePicture) {
  // A clear pixel's colour does not tint its opaque neighbour.
  const Picture p = Words(2, 1, {0x00FFFFFF, 0xFF0000FF});
  const Picture one = Resampled(p, 1, 1);
  EXPECT_EQ(one.Pixels()[0] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(one.Pixels()[0] >> 24, 128u);
  EXPECT_EQ(Resampled(p, 2, 1).Pixels(), p.Pixels());
  // Growing repeats each pixel over the area it covers.
  const Picture grown = Resampled(Words(2, 1, {0xFF000000, 0xFFFFFFFF}), 4, 2);
  EXPECT_EQ(grown.Pixels(),
            (std::vector<uint32_t>{0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000,
                                   0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}));
}

class ScaledFormTest : public testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    form = std::make_unique<Form>("ScaledForm");
    form->SetBounds(30, 40, 200, 120);
    form->SetColor(clWhite);
    form->SetFont(FontSpec{.height = 11});
    const ControlSpec layout[] = {
        {.name = "Panel", .create = Make<Panel>, .left = 10, .top = 20, .width = 100, .height = 50},
        {.name = "Box",
         .create = Make<CheckBox>,
         .parent = "Panel",
         .left = 5,
         .top = 6,
         .width = 90,
         .height = 17,
         .text = "Box"},
        {.name = "Title",
         .create = Make<Label>,
         .left = 3,
         .top = 90,
         .width = 150,
         .height = 19,
         .text = "Title",
         .font = FontSpec{.face = "Arial", .height = 16, .bold = true}},
        {.name = "Frame",
         .create = Make<Shape>,
         .left = 120,
         .top = 10,
         .width = 40,
         .height = 30,
         .setup =
             [this](Control& c) {
               static_cast<Shape&>(c).SetPenColor(clBlack);
               c.OnScale = [this](Control&, int dpi) { scaledTo.push_back(dpi); };
             }},
    };
    form->Build(layout);
  }
  void TearDown() override { form.reset(); }
  RECT Bounds(const char* name) { return form->Find(name)->BoundsRect(); }
  std::unique_ptr<Form> form;
  std::vector<int> scaledTo;
};

bool Same(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

TEST_F(ScaledFormTest, ScalingMovesEveryControlSizesTheFontsAndComesBack) {
  form->CreateForm();
  form->Show();
  ASSERT_EQ(form->Dpi(), 96);  // the test prefix's screen
  const auto before = CaptureClient(form->Handle());
  form->ScaleTo(192);
  EXPECT_EQ(form->Dpi(), 192);
  EXPECT_TRUE(Same(form->BoundsRect(), RECT{30, 40, 430, 280}));  // the position stays
  EXPECT_TRUE(Same(Bounds("Panel"), RECT{20, 40, 220, 140}));
  EXPECT_TRUE(Same(Bounds("Box"), RECT{10, 12, 190, 46}));
  EXPECT_TRUE(Same(Bounds("Title"), RECT{6, 180, 306, 218}));
  EXPECT_EQ(form->Find("Title")->Font().height, 32);
  EXPECT_EQ(form->Font().height, 22);
  EXPECT_EQ(form->Find("Box")->Font().height, 22);  // inherited
  EXPECT_EQ(scaledTo, std::vector<int>{192});
  // The windows moved with their controls, and the check box took the new font.
  RECT box;
  GetWindowRect(form->Get<WinControl>("Box").Handle(), &box);
  EXPECT_EQ(box.right - box.left, 180);
  EXPECT_EQ(reinterpret_cast<HFONT>(
                SendMessageA(form->Get<WinControl>("Box").Handle(), WM_GETFONT, 0, 0)),
            FontHandle(form->Find("Box")->Font()));
  // The shape's one-pixel frame is two pixels wide now.
  EXPECT_EQ(form->Get<Shape>("Frame").PenWidth(), 2);
  const auto big = CaptureClient(form->Handle());
  EXPECT_EQ(big->PixelRgb(240, 30), RGB(0, 0, 0));
  EXPECT_EQ(big->PixelRgb(241, 30), RGB(0, 0, 0));
  EXPECT_EQ(big->PixelRgb(242, 30), RGB(255, 255, 255));
  form->ScaleTo(96);
  EXPECT_TRUE(Same(form->BoundsRect(), RECT{30, 40, 230, 160}));
  EXPECT_TRUE(Same(Bounds("Box"), RECT{5, 6, 95, 23}));
  EXPECT_EQ(form->Find("Title")->Font().height, 16);
  const auto after = CaptureClient(form->Handle());
  ASSERT_EQ(after->width(), before->width());
  int different = 0;
  for (int y = 0; y < after->height(); ++y)
    for (int x = 0; x < after->width(); ++x) different += after->Pixel(x, y) != before->Pixel(x, y);
  EXPECT_EQ(different, 0);
}

TEST_F(ScaledFormTest, DpiChangedLaysOutAgainInTheSuggestedRectangle) {
  form->CreateForm();
  form->Show();
  // Windows may suggest a little more than the scaled size: that is what the window takes.
  RECT suggested = {50, 60, 50 + 251, 60 + 152};
  SendMessageA(form->Handle(), kWmDpiChanged, MAKEWPARAM(120, 120),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form->Dpi(), 120);
  RECT window;
  GetWindowRect(form->Handle(), &window);
  EXPECT_TRUE(Same(window, suggested));
  EXPECT_TRUE(Same(form->BoundsRect(), suggested));
  EXPECT_TRUE(Same(Bounds("Panel"), RECT{13, 25, 138, 88}));
  EXPECT_EQ(form->Find("Title")->Font().height, 20);
  EXPECT_EQ(scaledTo, std::vector<int>{120});
  // The same DPI again changes nothing.
  SendMessageA(form->Handle(), kWmDpiChanged, MAKEWPARAM(120, 120),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(scaledTo, std::vector<int>{120});
}

}  // namespace
}  // namespace velotune::ui
