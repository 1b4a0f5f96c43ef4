#include "progress/gauge.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>

#include "progress/gauge_cases.h"
#include "progress/gauge_fill.h"
#include "progress/screen.h"
#include "support/ui_fixture.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace velotune {
namespace {

using test::CountColor;
using test::Daub;
using test::ReadScreen;
using test::RgbText;

constexpr COLORREF kPanel = RGB(200, 210, 220);
constexpr COLORREF kFore = RGB(0, 128, 192);
constexpr COLORREF kBack = RGB(236, 249, 255);
constexpr COLORREF kMark = RGB(255, 0, 255);

// A 299 x 18 gauge on a panel of a shown window, as in the progress window.
class GaugeTest : public testing::Test {
 protected:
  void SetUp() override {
    test::TestApplication();
    host_ = std::make_unique<ui::Form>("GaugeHost");
    host_->SetBounds(20, 20, 320, 90);
    const ui::ControlSpec layout[] = {
        {.name = "Panel1",
         .create = ui::Make<ui::Panel>,
         .width = 320,
         .height = 90,
         .color = kPanel},
        {.name = "Gauge1",
         .create = ui::Make<TGauge>,
         .parent = "Panel1",
         .left = 6,
         .top = 56,
         .width = 299,
         .height = 18,
         .setup =
             [](ui::Control& c) {
               auto& g = static_cast<TGauge&>(c);
               g.SetForeColor(kFore);
               g.SetBackColor(kBack);
               g.SetShowText(false);
             }},
    };
    host_->Build(layout);
    host_->CreateForm();
    host_->Show();
    test::Pump();
    gauge_ = &host_->Get<TGauge>("Gauge1");
    panel_ = host_->Get<ui::Panel>("Panel1").Handle();
  }

  RECT GaugeArea() const { return gauge_->BoundsRect(); }
  std::unique_ptr<ui::Surface> GaugeOnScreen() const { return ReadScreen(panel_, GaugeArea()); }
  void MarkGauge() const { Daub(panel_, GaugeArea(), kMark); }
  bool MarkCovered() const { return CountColor(*GaugeOnScreen(), kMark) == 0; }

  // Every pixel of the gauge as it is on screen now: a black 1-pixel frame, the
  // ForeColor bar over columns 1 .. barEnd - 1 and BackColor after it.
  void ExpectBar(int barEnd) const {
    const auto shot = GaugeOnScreen();
    const COLORREF fore = ui::ResolveColor(gauge_->ForeColor());
    const COLORREF back = ui::ResolveColor(gauge_->BackColor());
    int wrong = 0;
    std::string first;
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 299; ++x) {
        const bool frame = x == 0 || y == 0 || x == 298 || y == 17;
        const COLORREF want = frame ? RGB(0, 0, 0) : x < barEnd ? fore : back;
        const COLORREF got = shot->PixelRgb(x, y);
        if (got != want && wrong++ == 0) {
          char where[32];
          std::snprintf(where, sizeof where, "(%d,%d) is ", x, y);
          first = where + RgbText(got) + ", not " + RgbText(want);
        }
      }
    EXPECT_EQ(wrong, 0) << "first: " << first;
    // Nothing drawn outside the gauge.
    const auto around = ReadScreen(panel_, {5, 55, 306, 75});
    for (const POINT p : {POINT{0, 0}, POINT{300, 0}, POINT{0, 19}, POINT{300, 19}})
      EXPECT_EQ(around->PixelRgb(p.x, p.y), kPanel);
  }

  std::unique_ptr<ui::Form> host_;
  TGauge* gauge_ = nullptr;
  HWND panel_ = nullptr;
};

TEST_F(GaugeTest, BarEndsWhereThePercentageSaysAndIsDrawnAtOnce) {
  ExpectBar(1);  // progress 0: no bar
  // The paint rectangle spans 1..297; its width counts one more (298), so the
  // bar at 100 % reaches exactly the inner right edge.
  const struct {
    int progress;
    int barEnd;
  } cases[] = {{1, 2}, {40, 119}, {50, 149}, {99, 295}, {100, 298}, {0, 1}, {33, 98}};
  for (const auto& c : cases) {
    SCOPED_TRACE("progress " + std::to_string(c.progress));
    gauge_->SetProgress(c.progress);
    ExpectBar(c.barEnd);  // no message was handled in between
  }
}

TEST_F(GaugeTest, ProgressIsClampedToTheRange) {
  const struct {
    int set;
    int stored;
    int barEnd;
  } cases[] = {{150, 100, 298}, {-5, 0, 1}, {INT_MAX, 100, 298}, {INT_MIN, 0, 1}, {37, 37, 110}};
  for (const auto& c : cases) {
    SCOPED_TRACE("set " + std::to_string(c.set));
    gauge_->SetProgress(c.set);
    EXPECT_EQ(gauge_->Progress(), c.stored);
    ExpectBar(c.barEnd);
  }
}

TEST_F(GaugeTest, PaintsOnlyWhenTheWholePercentageChanges) {
  const struct {
    int maxValue;
    int from;
    int to;
    int stored;
    bool paints;
  } cases[] = {
      {100, 40, 40, 40, false},     // its own value
      {100, 100, 150, 100, false},  // clamps to its own value
      {100, 0, -5, 0, false},        {100, 40, 41, 41, true},
      {1000, 10, 19, 19, false},                                // 1 % both
      {1000, 19, 10, 10, false},     {1000, 10, 20, 20, true},  // 1 % to 2 %
      {1000, 999, 1000, 1000, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("max " + std::to_string(c.maxValue) + ", " + std::to_string(c.from) + " to " +
                 std::to_string(c.to));
    ASSERT_FALSE(gauge_->SetMaxValue(c.maxValue).has_value());
    gauge_->SetProgress(c.from);
    MarkGauge();
    ASSERT_FALSE(MarkCovered());
    gauge_->SetProgress(c.to);
    EXPECT_EQ(gauge_->Progress(), c.stored);
    EXPECT_EQ(MarkCovered(), c.paints);
    if (c.paints) ExpectBar(GaugeFillLength(298, gauge_->PercentDone()));
  }
}

TEST_F(GaugeTest, OtherPropertiesRepaintAtOnceWhenTheyChange) {
  const COLORREF red = RGB(255, 0, 0);
  const struct {
    const char* what;
    std::function<void(TGauge&)> change;
    bool paints;
    int barEnd;  // checked when the picture is still a plain bar; 0 otherwise
  } cases[] = {
      {"new ForeColor", [&](TGauge& g) { g.SetForeColor(red); }, true, 149},
      {"same ForeColor", [](TGauge& g) { g.SetForeColor(kFore); }, false, 0},
      {"new BackColor", [&](TGauge& g) { g.SetBackColor(red); }, true, 149},
      {"same BackColor", [](TGauge& g) { g.SetBackColor(kBack); }, false, 0},
      {"MaxValue", [](TGauge& g) { (void)g.SetMaxValue(200); }, true, 74},
      {"same MaxValue", [](TGauge& g) { (void)g.SetMaxValue(100); }, false, 0},
      {"MinValue", [](TGauge& g) { (void)g.SetMinValue(-100); }, true, 223},
      {"refused MinValue", [](TGauge& g) { (void)g.SetMinValue(101); }, false, 0},
      {"ShowText", [](TGauge& g) { g.SetShowText(true); }, true, 0},
      {"same ShowText", [](TGauge& g) { g.SetShowText(false); }, false, 0},
      {"BorderStyle", [](TGauge& g) { g.SetBorderStyle(TGaugeBorderStyle::None); }, true, 0},
      {"Kind", [](TGauge& g) { g.SetKind(gkVerticalBar); }, true, 0},
      {"same Kind", [](TGauge& g) { g.SetKind(gkHorizontalBar); }, false, 0},
      {"Color", [](TGauge& g) { g.SetColor(ui::clWhite); }, true, 149},
      {"Font", [](TGauge& g) { g.SetFont(ui::FontSpec{.face = "Arial", .height = 12}); }, true,
       149},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    gauge_->SetForeColor(kFore);
    gauge_->SetBackColor(kBack);
    gauge_->SetShowText(false);
    gauge_->SetBorderStyle(TGaugeBorderStyle::Single);
    gauge_->SetKind(gkHorizontalBar);
    gauge_->SetColor(ui::clBtnFace);
    ASSERT_FALSE(gauge_->SetMinValue(0).has_value());
    ASSERT_FALSE(gauge_->SetMaxValue(100).has_value());
    gauge_->SetProgress(50);
    MarkGauge();
    c.change(*gauge_);
    EXPECT_EQ(MarkCovered(), c.paints);
    if (c.barEnd) ExpectBar(c.barEnd);
  }
}

TEST_F(GaugeTest, WithoutABorderTheBarStartsAtTheEdge) {
  gauge_->SetBorderStyle(TGaugeBorderStyle::None);
  // The paint rectangle is the whole 299 columns; its width counts 300.
  for (const auto& [progress, barEnd] : {std::pair{50, 150}, std::pair{100, 299}}) {
    SCOPED_TRACE(progress);
    gauge_->SetProgress(progress);
    const auto shot = GaugeOnScreen();
    for (int y : {0, 9, 17})
      for (int x = 0; x < 299; ++x)
        ASSERT_EQ(shot->PixelRgb(x, y), x < barEnd ? kFore : kBack) << x << "," << y;
  }
}

TEST_F(GaugeTest, ShowTextDrawsThePercentageInsideTheBar) {
  gauge_->SetProgress(50);
  auto pixelsOtherThanBar = [&] {
    const auto shot = GaugeOnScreen();
    int n = 0;
    for (int y = 1; y < 17; ++y)
      for (int x = 1; x < 298; ++x) n += shot->PixelRgb(x, y) != (x < 149 ? kFore : kBack);
    return n;
  };
  EXPECT_EQ(pixelsOtherThanBar(), 0);
  gauge_->SetShowText(true);
  EXPECT_GT(pixelsOtherThanBar(), 0);
}

TEST_F(GaugeTest, AWindowMessagePaintDrawsTheSamePicture) {
  gauge_->SetProgress(50);
  MarkGauge();
  InvalidateRect(panel_, nullptr, FALSE);
  UpdateWindow(panel_);
  ExpectBar(149);
}

TEST(GaugeRangeTest, RefusedRangesReportTheBoundsAndChangeNothing) {
  const struct {
    const char* what;
    std::function<void(TGauge&)> before;
    std::function<std::optional<GaugeRangeError>(TGauge&)> change;
    const char* error;  // null: accepted
    int minValue, maxValue, progress;
  } cases[] = {
      {"MinValue above MaxValue", nullptr, [](TGauge& g) { return g.SetMinValue(101); },
       "Value must be between -2147483647 and 99", 0, 100, 0},
      {"MaxValue below MinValue", nullptr, [](TGauge& g) { return g.SetMaxValue(-1); },
       "Value must be between 1 and 2147483647", 0, 100, 0},
      {"MaxValue below a raised MinValue", [](TGauge& g) { (void)g.SetMinValue(10); },
       [](TGauge& g) { return g.SetMaxValue(5); }, "Value must be between 11 and 2147483647", 10,
       100, 10},
      {"bounds past the 32-bit range do not wrap",
       [](TGauge& g) {
         (void)g.SetMinValue(INT_MIN);
         (void)g.SetMaxValue(INT_MIN);
       },
       [](TGauge& g) { return g.SetMinValue(0); },
       "Value must be between -2147483647 and -2147483649", INT_MIN, INT_MIN, INT_MIN},
      {"MinValue equal to MaxValue", [](TGauge& g) { g.SetProgress(40); },
       [](TGauge& g) { return g.SetMinValue(100); }, nullptr, 100, 100, 100},
      {"MaxValue pulls the progress down", [](TGauge& g) { g.SetProgress(50); },
       [](TGauge& g) { return g.SetMaxValue(30); }, nullptr, 0, 30, 30},
      {"MinValue pulls the progress up", [](TGauge& g) { g.SetProgress(10); },
       [](TGauge& g) { return g.SetMinValue(20); }, nullptr, 20, 100, 20},
      {"a progress in range stays", [](TGauge& g) { g.SetProgress(50); },
       [](TGauge& g) { return g.SetMaxValue(1000); }, nullptr, 0, 1000, 50},
      {"no check while loading", [](TGauge& g) { g.SetLoading(true); },
       [](TGauge& g) {
         auto first = g.SetMinValue(150);
         auto second = g.SetMaxValue(300);
         g.SetLoading(false);
         return first ? first : second;
       },
       nullptr, 150, 300, 150},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TGauge gauge("Gauge1");
    if (c.before) c.before(gauge);
    const auto error = c.change(gauge);
    if (c.error) {
      ASSERT_TRUE(error.has_value());
      EXPECT_EQ(error->Message(), c.error);
    } else {
      EXPECT_FALSE(error.has_value()) << error->Message();
    }
    EXPECT_EQ(gauge.MinValue(), c.minValue);
    EXPECT_EQ(gauge.MaxValue(), c.maxValue);
    EXPECT_EQ(gauge.Progress(), c.progress);
  }
}

TEST(GaugeRangeTest, PercentDoneIsTheGaugePercentage) {
  for (const auto& c : test::kPercentageCases) {
    SCOPED_TRACE(std::to_string(c.minValue) + ".." + std::to_string(c.maxValue) + " at " +
                 std::to_string(c.progress));
    TGauge gauge("Gauge1");
    gauge.SetLoading(true);  // any order of the two bounds
    (void)gauge.SetMinValue(c.minValue);
    (void)gauge.SetMaxValue(c.maxValue);
    gauge.SetLoading(false);
    gauge.SetProgress(c.progress);
    EXPECT_EQ(gauge.PercentDone(), c.percent);
  }
}

TEST(GaugeRangeTest, AddingToTheProgressStopsAtTheRange) {
  TGauge gauge("Gauge1");
  gauge.AddProgress(6);
  EXPECT_EQ(gauge.Progress(), 6);
  gauge.SetProgress(96);
  gauge.AddProgress(12);
  EXPECT_EQ(gauge.Progress(), 100);
  (void)gauge.SetMaxValue(INT_MAX);
  gauge.SetProgress(INT_MAX - 1);
  gauge.AddProgress(INT_MAX);  // no wrap to a negative sum
  EXPECT_EQ(gauge.Progress(), INT_MAX);
  gauge.AddProgress(-5);
  EXPECT_EQ(gauge.Progress(), INT_MAX - 5);
}

}  // namespace
}  // namespace velotune
