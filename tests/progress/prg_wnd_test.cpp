#include "progress/prg_wnd.h"

#include <gtest/gtest.h>

#include "progress/prg_wnd.h"
#include "progress/screen.h"
#include "support/ui_fixture.h"

namespace velotune {
namespace {

using test::CaptureClient;
using test::RgbText;

constexpr COLORREF kGray = RGB(128, 128, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kShade = RGB(240, 247, 242);

RECT WindowRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r;
}

TEST(PrgWndTest, IsCreatedHiddenAndBorderless) {
  test::TestApplication();
  TPrgWnd window;
  ASSERT_TRUE(window.HandleAllocated());
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  const LONG style = GetWindowLongA(window.Handle(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_DLGFRAME), 0);
  RECT client;
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, 314);
  EXPECT_EQ(client.bottom, 108);
  const RECT outer = WindowRect(window.Handle());
  EXPECT_EQ(outer.right - outer.left, 314);
  EXPECT_EQ(outer.bottom - outer.top, 108);
}

// The program makes the window only when a run first shows it; the run sets
// its texts and gauge before that. It must look and stand as one made at once.
TEST(PrgWndTest, WindowMadeWhenFirstShownLooksTheSame) {
  test::TestApplication();
  auto prepare = [](TPrgWnd& window) {
    window.SetTitle("Erasing Tracks");
    window.SetDetail("Home, Office LAN");
    window.SetProgress(42);
  };
  TPrgWnd late(true);
  EXPECT_FALSE(late.HandleAllocated());
  prepare(late);
  late.ShowInFront();
  ASSERT_TRUE(late.HandleAllocated());
  EXPECT_TRUE(IsWindowVisible(late.Handle()));
  const auto lateShot = CaptureClient(late.Handle());
  const RECT lateRect = WindowRect(late.Handle());
  late.Hide();

  TPrgWnd atOnce;
  prepare(atOnce);
  atOnce.ShowInFront();
  EXPECT_EQ(test::DifferentPixels(*CaptureClient(atOnce.Handle()), *lateShot), 0);
  const RECT rect = WindowRect(atOnce.Handle());
  EXPECT_TRUE(EqualRect(&rect, &lateRect));
}

TEST(PrgWndTest, ControlsStandWhereTheLayoutPutsThem) {
  test::TestApplication();
  TPrgWnd window;
  const struct {
    const char* name;
    ui::Control* parent;
    int left, top, width, height;  // width and height 0: fitted to the text
  } cases[] = {
      {"Shape1", &window, 0, 0, 314, 108},
      {"PicturePanel1", &window, 1, 1, 312, 101},
      {"Label1", &window.PicturePanel1(), 6, 4, 0, 0},
      {"Label2", &window.PicturePanel1(), 6, 25, 0, 0},
      {"Gauge1", &window.PicturePanel1(), 6, 56, 299, 18},
      {"Label3", &window.PicturePanel1(), 8, 83, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ui::Control* control = window.Find(c.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Parent(), c.parent);
    EXPECT_EQ(control->Left(), c.left);
    EXPECT_EQ(control->Top(), c.top);
    if (c.width) {
      EXPECT_EQ(control->Width(), c.width);
      EXPECT_EQ(control->Height(), c.height);
    } else {
      // Inside the panel, clear of the frame, and tall enough for the font.
      EXPECT_LE(control->BoundsRect().right, 312 - 6);
      EXPECT_GT(control->Width(), 200);
      EXPECT_LE(control->BoundsRect().bottom, 101);
      EXPECT_GE(control->Height(), control->Font().height);
    }
  }
  // The labels do not run into each other or into the gauge.
  EXPECT_LE(window.Label1().BoundsRect().bottom, window.Label2().Top());
  EXPECT_LE(window.Label2().BoundsRect().bottom, window.Gauge1().Top());
  EXPECT_LE(window.Gauge1().BoundsRect().bottom, window.Label3().Top());
}

TEST(PrgWndTest, LabelsStartWithTheirTextsAndFonts) {
  test::TestApplication();
  TPrgWnd window;
  EXPECT_EQ(window.Font().face, "MS Sans Serif");
  EXPECT_EQ(window.Font().height, 11);
  const struct {
    ui::Label* label;
    const char* text;
    ui::FontSpec font;
  } cases[] = {
      {&window.Label1(),
       "Network Optimization",
       {.face = "Arial", .height = 16, .bold = true, .color = ui::Rgb(0, 157, 0)}},
      {&window.Label2(),
       "Internet Dialup",
       {.face = "Tahoma", .height = 11, .bold = true, .color = ui::clWindowText}},
      {&window.Label3(),
       "Completed 0%",
       {.face = "Tahoma", .height = 11, .color = ui::clWindowText}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label->Name());
    EXPECT_EQ(c.label->Text(), c.text);
    EXPECT_EQ(c.label->Font(), c.font);
    EXPECT_TRUE(c.label->Transparent());
  }
  const TGauge& gauge = window.Gauge1();
  EXPECT_EQ(gauge.MinValue(), 0);
  EXPECT_EQ(gauge.MaxValue(), 100);
  EXPECT_EQ(gauge.Progress(), 0);
  EXPECT_EQ(gauge.Kind(), gkHorizontalBar);
  EXPECT_FALSE(gauge.ShowText());
  EXPECT_EQ(gauge.BorderStyle(), TGaugeBorderStyle::Single);
  EXPECT_EQ(gauge.ForeColor(), ui::Rgb(0, 128, 192));
  EXPECT_EQ(gauge.BackColor(), ui::Rgb(236, 249, 255));
  EXPECT_EQ(gauge.GetColor(), ui::clWhite);
}

TEST(PrgWndTest, ShowsAGrayFrameAShadedPanelAndAWhiteStrip) {
  test::TestApplication();
  TPrgWnd window;
  window.ShowInFront();
  const auto shot = CaptureClient(window.Handle());
  // Every pixel from (x0,y0) to (x1,y1), both included, is `want`.
  auto expectLine = [&](int x0, int y0, int x1, int y1, COLORREF want, const char* what) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (shot->PixelRgb(x, y) != want) {
          ADD_FAILURE() << what << ": (" << x << "," << y << ") is "
                        << RgbText(shot->PixelRgb(x, y)) << ", not " << RgbText(want);
          return;
        }
  };
  auto expectRow = [&](int y, int from, int to, COLORREF want, const char* what) {
    expectLine(from, y, to, y, want, what);
  };
  expectRow(0, 0, 313, kGray, "top frame");
  expectRow(107, 0, 313, kGray, "bottom frame");
  expectLine(0, 0, 0, 107, kGray, "left frame");
  expectLine(313, 0, 313, 107, kGray, "right frame");
  expectRow(1, 1, 312, kShade, "panel's top row");
  expectRow(101, 1, 312, kWhite, "panel's bottom row");
  expectLine(1, 102, 312, 106, kWhite, "strip under the panel");
  // The gauge at progress 0: black frame round its BackColor, at panel (6,56).
  expectRow(57, 7, 305, RGB(0, 0, 0), "gauge frame");
  expectRow(65, 8, 304, RGB(236, 249, 255), "empty gauge");
  // The title in its green.
  int green = 0;
  for (int y = 5; y < 5 + window.Label1().Height(); ++y)
    for (int x = 7; x < 307; ++x) green += shot->PixelRgb(x, y) == RGB(0, 157, 0);
  EXPECT_GT(green, 20);
}

class PrgWndPlacementTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(test::TestApplication().MainForm(), nullptr); }
};

TEST_F(PrgWndPlacementTest, FirstShowingCentresOverTheMainWindowThenItStays) {
  ui::Form main("Main");
  main.SetBounds(100, 60, 550, 374);
  main.CreateForm();
  main.Show();
  // Dragged since it was built: the window, not the layout, counts.
  SetWindowPos(main.Handle(), nullptr, 120, 90, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  TPrgWnd window;
  ASSERT_EQ(test::TestApplication().MainForm(), &main);
  window.ShowInFront();
  RECT r = WindowRect(window.Handle());
  EXPECT_EQ(r.left, 120 + (550 - 314) / 2);
  EXPECT_EQ(r.top, 90 + (374 - 108) / 2);
  // In front of the main window it lies over.
  const POINT middle = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  EXPECT_EQ(GetAncestor(WindowFromPoint(middle), GA_ROOT), window.Handle());

  // The main window moves: the progress window stays.
  window.Hide();
  EXPECT_FALSE(IsWindowVisible(window.Handle()));
  main.SetBounds(300, 300, 550, 374);
  window.ShowInFront();
  r = WindowRect(window.Handle());
  EXPECT_EQ(r.left, 120 + (550 - 314) / 2);
  EXPECT_EQ(r.top, 90 + (374 - 108) / 2);

  // Moved elsewhere, it is shown there again.
  window.Hide();
  SetWindowPos(window.Handle(), nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  window.ShowInFront();
  r = WindowRect(window.Handle());
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 50);
  EXPECT_TRUE(IsWindowVisible(window.Handle()));
}

TEST_F(PrgWndPlacementTest, WithoutAMainWindowItCentresOnTheScreen) {
  TPrgWnd window;
  window.ShowInFront();
  const RECT r = WindowRect(window.Handle());
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 314) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 108) / 2);
}

}  // namespace
}  // namespace velotune
