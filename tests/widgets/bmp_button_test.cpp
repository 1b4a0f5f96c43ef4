#include "widgets/bmp_button.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "support/keys.h"
#include "support/ui_fixture.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "widgets/artwork.h"
#include "widgets/picture_panel.h"

namespace velotune {
namespace {

using test::CaptureClient;
using test::Pump;
using test::TestApplication;
using ui::Control;
using ui::ControlSpec;
using ui::Make;
using ui::MouseButton;

constexpr COLORREF kOlive = RGB(128, 128, 0);
constexpr COLORREF kFormColour = RGB(30, 60, 90);
constexpr COLORREF kUp = RGB(200, 40, 40);
constexpr COLORREF kHot = RGB(40, 200, 40);
constexpr COLORREF kDown = RGB(40, 40, 200);
constexpr COLORREF kStayDown = RGB(200, 200, 40);
constexpr COLORREF kDisabled = RGB(90, 90, 90);
constexpr COLORREF kFocused = RGB(200, 40, 200);

// A 24 x 16 picture of one colour whose four left columns are olive.
constexpr int kCardW = 24, kCardH = 16;
ui::Picture Card(COLORREF colour, int w = kCardW, int h = kCardH) {
  std::vector<uint8_t> bgra;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const COLORREF c = x < 4 ? kOlive : colour;
      bgra.insert(bgra.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 255});
    }
  return ui::Picture::FromBgra(w, h, bgra);
}

// What the button shows in its picture's coloured part, and in its olive part.
COLORREF Face(const TBmpButton& b) { return CaptureClient(b.Handle())->PixelRgb(12, 8); }
COLORREF Hole(const TBmpButton& b) { return CaptureClient(b.Handle())->PixelRgb(1, 8); }

void Mouse(const TBmpButton& b, UINT msg, int x, int y, WPARAM keys) {
  SendMessageA(b.Handle(), msg, keys, MAKELPARAM(x, y));
}
void Key(const TBmpButton& b, UINT msg, WPARAM key) { SendMessageA(b.Handle(), msg, key, 0); }

std::string Hex(COLORREF c) {
  char text[16];
  std::snprintf(text, sizeof text, "%d,%d,%d", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// Counts the paints of the button, so that a needless repaint shows.
class CountingButton : public TBmpButton {
 public:
  using TBmpButton::TBmpButton;
  int paints = 0;

 protected:
  void Paint(HDC dc) override {
    ++paints;
    TBmpButton::Paint(dc);
  }
};

class BmpButtonTest : public testing::Test {
 protected:
  // Windows' usual setting, which these pictures assume: focus marks only
  // once the keyboard is used (Wine shows them always).
  test::HiddenFocusCues usualCues;
  void SetUp() override {
    TestApplication();
    SetCursorPos(1020, 760);  // away from every test window
    form = std::make_unique<ui::Form>("ButtonForm");
    form->SetBounds(30, 30, 320, 240);
    form->SetColor(kFormColour);
  }
  // The handlers the layout rows carry.
  ui::NotifyEvent Clicked() {
    return [this](Control& c) { clicks.push_back(c.Name()); };
  }
  // Like the main window's page switch: the pressed navigation button goes down.
  ui::MouseEvent SelectPage() {
    return [this](Control& c, MouseButton, ui::Shift, int, int) {
      auto& b = static_cast<TBmpButton&>(c);
      pressSeen.push_back({c.Name(), b.Focused(), Face(b)});
      b.SetDown(true);
    };
  }

  void Show(std::span<const ControlSpec> layout) {
    form->Build(layout);
    form->CreateForm();
    form->Show();
    SetForegroundWindow(form->Handle());
    Pump();
  }

  TBmpButton& Button(const std::string& name) { return form->Get<TBmpButton>(name); }

  // Four navigation buttons in group 1, the first one down.
  void ShowNavigation() {
    std::vector<ControlSpec> layout;
    for (int i = 1; i <= 4; ++i)
      layout.push_back({.name = names[i - 1],
                        .create = Make<TBmpButton>,
                        .left = 10,
                        .top = 10 + 30 * (i - 1),
                        .width = 142,
                        .height = 41,
                        .onClick = Clicked(),
                        .onMouseDown = SelectPage(),
                        .setup = [i](Control& c) {
                          auto& b = static_cast<TBmpButton&>(c);
                          b.SetPictures(Card(kUp), Card(kHot), Card(kDown), Card(kStayDown));
                          b.SetGroupIndex(1);
                          if (i == 1) b.SetDown(true);
                        }});
    Show(layout);
  }

  // Which navigation buttons are down, and what each shows.
  void ExpectOnlyDown(int n) {
    for (int i = 1; i <= 4; ++i) {
      TBmpButton& b = Button(names[i - 1]);
      EXPECT_EQ(b.Down(), i == n) << b.Name();
      EXPECT_EQ(Hex(Face(b)), Hex(i == n ? kStayDown : kUp)) << b.Name();
    }
  }

  // One action button with up, hot and down pictures.
  TBmpButton& ShowAction(std::function<void(TBmpButton&)> more = nullptr) {
    const ControlSpec layout[] = {
        {.name = "BmpButton1",
         .create = Make<TBmpButton>,
         .left = 40,
         .top = 40,
         .width = 120,
         .height = 35,
         .onClick = Clicked(),
         .setup =
             [more](Control& c) {
               auto& b = static_cast<TBmpButton&>(c);
               b.SetPictures(Card(kUp), Card(kHot), Card(kDown));
               if (more) more(b);
             }},
        {.name = "Other",
         .create = Make<TBmpButton>,
         .left = 200,
         .top = 40,
         .setup = [](Control& c) { static_cast<TBmpButton&>(c).Bitmaps().SetUp(Card(kUp)); }},
    };
    Show(layout);
    return Button("BmpButton1");
  }

  struct PressSeen {
    std::string name;
    bool focused;
    COLORREF face;
  };
  const char* names[4] = {"But1", "But2", "But3", "But4"};
  std::unique_ptr<ui::Form> form;
  std::vector<std::string> clicks;
  std::vector<PressSeen> pressSeen;
};

// ---- Navigation group

TEST_F(BmpButtonTest, PressOnANavigationButtonPutsItDownWithoutTheDownPictureOrAClick) {
  ShowNavigation();
  ExpectOnlyDown(1);
  TBmpButton& but2 = Button("But2");
  Mouse(but2, WM_LBUTTONDOWN, 12, 8, MK_LBUTTON);
  // The handler ran first: before the focus and before any pressed look.
  ASSERT_EQ(pressSeen.size(), 1u);
  EXPECT_EQ(pressSeen[0].name, "But2");
  EXPECT_FALSE(pressSeen[0].focused);
  EXPECT_EQ(Hex(pressSeen[0].face), Hex(kUp));
  EXPECT_TRUE(but2.Focused());
  EXPECT_TRUE(but2.Pressing());
  EXPECT_EQ(GetCapture(), but2.Handle());
  EXPECT_EQ(but2.State(), bsExclusive);
  ExpectOnlyDown(2);
  Mouse(but2, WM_MOUSEMOVE, 14, 9, MK_LBUTTON);
  EXPECT_EQ(Hex(Face(but2)), Hex(kStayDown));
  Mouse(but2, WM_LBUTTONUP, 14, 9, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(but2.Pressing());
  EXPECT_TRUE(clicks.empty());
  ExpectOnlyDown(2);
}

TEST_F(BmpButtonTest, ClickOnTheButtonAlreadyDownChangesNothing) {
  ShowNavigation();
  TBmpButton& but1 = Button("But1");
  Mouse(but1, WM_LBUTTONDOWN, 12, 8, MK_LBUTTON);
  EXPECT_EQ(Hex(Face(but1)), Hex(kStayDown));
  Mouse(but1, WM_MOUSEMOVE, 50, 30, MK_LBUTTON);
  Mouse(but1, WM_MOUSEMOVE, 12, 8, MK_LBUTTON);
  Mouse(but1, WM_LBUTTONUP, 12, 8, 0);
  EXPECT_EQ(pressSeen.size(), 1u);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(but1.State(), bsExclusive);
  ExpectOnlyDown(1);
}

TEST_F(BmpButtonTest, RightPressSwitchesThroughTheHandlerButDoesNotPress) {
  ShowNavigation();
  TBmpButton& but3 = Button("But3");
  Mouse(but3, WM_RBUTTONDOWN, 12, 8, MK_RBUTTON);
  EXPECT_FALSE(but3.Pressing());
  Mouse(but3, WM_RBUTTONUP, 12, 8, 0);
  EXPECT_TRUE(clicks.empty());
  ExpectOnlyDown(3);
}

TEST_F(BmpButtonTest, PuttingOneDownFromCodeReleasesWhicheverWasDown) {
  ShowNavigation();
  for (int before : {1, 2, 4}) {
    SCOPED_TRACE(before);
    Button(names[before - 1]).SetDown(true);
    ExpectOnlyDown(before);
    Button("But3").SetDown(true);
    ExpectOnlyDown(3);
  }
  EXPECT_TRUE(clicks.empty());
  EXPECT_TRUE(pressSeen.empty());
}

TEST_F(BmpButtonTest, TheDownButtonOfAGroupStaysDownUnlessAllUpIsAllowed) {
  ShowNavigation();
  Button("But1").SetDown(false);
  ExpectOnlyDown(1);
  // The group takes over AllowAllUp from the button that broadcasts.
  Button("But2").SetAllowAllUp(true);
  for (const char* name : names) EXPECT_TRUE(Button(name).AllowAllUp()) << name;
  Button("But1").SetDown(false);
  for (const char* name : names) {
    EXPECT_FALSE(Button(name).Down()) << name;
    EXPECT_EQ(Hex(Face(Button(name))), Hex(kUp)) << name;
  }
  // Even then a click on a down button leaves it down.
  Button("But4").SetDown(true);
  Mouse(Button("But4"), WM_LBUTTONDOWN, 12, 8, MK_LBUTTON);
  Mouse(Button("But4"), WM_LBUTTONUP, 12, 8, 0);
  ExpectOnlyDown(4);
}

TEST_F(BmpButtonTest, OnlyAGroupedButtonCanBeDown) {
  TBmpButton& b = ShowAction();
  b.SetDown(true);
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(b.State(), bsUp);
  EXPECT_EQ(Hex(Face(b)), Hex(kUp));
  b.SetGroupIndex(7);
  b.SetDown(true);
  EXPECT_EQ(Hex(Face(b)), Hex(kDown));  // no StayDown picture: the Down one
  b.SetGroupIndex(0);
  EXPECT_FALSE(b.Down());
  EXPECT_EQ(Hex(Face(b)), Hex(kUp));
}

// ---- Action button: press, drag and release

enum class Act { Press, Move, Release };
struct Step {
  Act act;
  int x, y;
  COLORREF face;  // what the button shows afterwards
};
struct DragCase {
  const char* name;
  std::vector<Step> steps;
  int clicks;
};

void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }

class ActionDragTest : public BmpButtonTest, public testing::WithParamInterface<DragCase> {};

TEST_P(ActionDragTest, DownWhileHeldInsideAndOneClickOnlyOnAReleaseInside) {
  TBmpButton& b = ShowAction();
  ASSERT_EQ(b.Width(), kCardW);
  for (const Step& step : GetParam().steps) {
    SCOPED_TRACE(testing::Message()
                 << static_cast<int>(step.act) << " at " << step.x << "," << step.y);
    switch (step.act) {
      case Act::Press:
        Mouse(b, WM_LBUTTONDOWN, step.x, step.y, MK_LBUTTON);
        EXPECT_EQ(GetCapture(), b.Handle());
        EXPECT_TRUE(b.Pressing());
        break;
      case Act::Move:
        Mouse(b, WM_MOUSEMOVE, step.x, step.y, b.Pressing() ? MK_LBUTTON : 0);
        break;
      case Act::Release:
        Mouse(b, WM_LBUTTONUP, step.x, step.y, 0);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_FALSE(b.Pressing());
        break;
    }
    EXPECT_EQ(Hex(Face(b)), Hex(step.face));
    EXPECT_EQ(Hex(Hole(b)), Hex(kFormColour));
  }
  EXPECT_EQ(clicks.size(), static_cast<size_t>(GetParam().clicks));
  EXPECT_FALSE(b.Down());
}

// The first move sets the hot flag; nothing here lets the mouse leave.
INSTANTIATE_TEST_SUITE_P(
    Cases, ActionDragTest,
    testing::Values(
        DragCase{"ReleaseInside", {{Act::Press, 12, 8, kDown}, {Act::Release, 12, 8, kUp}}, 1},
        DragCase{"DragOutAndBack",
                 {{Act::Press, 12, 8, kDown},
                  {Act::Move, 100, 8, kHot},
                  {Act::Move, 12, 8, kDown},
                  {Act::Release, 12, 8, kHot}},
                 1},
        DragCase{
            "ReleaseOutside",
            {{Act::Press, 12, 8, kDown}, {Act::Move, -5, 8, kHot}, {Act::Release, -5, 8, kHot}},
            0},
        DragCase{"ReleaseOutsideWithoutAMove",
                 {{Act::Press, 12, 8, kDown}, {Act::Release, 12, 40, kUp}},
                 0},
        DragCase{"RightEdgeIsOutside",
                 {{Act::Press, 12, 8, kDown},
                  {Act::Move, kCardW, 8, kHot},
                  {Act::Release, kCardW, 8, kHot}},
                 0},
        DragCase{"BottomEdgeStillCountsInside",
                 {{Act::Press, 12, 8, kDown},
                  {Act::Move, 12, kCardH, kDown},
                  {Act::Release, 12, kCardH, kHot}},
                 1},
        DragCase{"ReleaseWithoutPress", {{Act::Move, 12, 8, kHot}, {Act::Release, 12, 8, kHot}}, 0},
        DragCase{"TwoClicks",
                 {{Act::Press, 3, 3, kDown},
                  {Act::Release, 3, 3, kUp},
                  {Act::Press, 20, 12, kDown},
                  {Act::Release, 20, 12, kUp}},
                 2}),
    [](const auto& info) { return std::string(info.param.name); });

// A grouped button that nothing puts down on the press: a release inside puts
// it down with its stay-down picture and clicks; a release outside, even with
// no move before it, leaves it up.
struct GroupCase {
  const char* name;
  std::vector<Step> steps;
  int clicks;
  bool down;
};

void PrintTo(const GroupCase& c, std::ostream* os) { *os << c.name; }

class GroupedDragTest : public BmpButtonTest, public testing::WithParamInterface<GroupCase> {};

TEST_P(GroupedDragTest, DownOnlyAfterAReleaseInside) {
  TBmpButton& b = ShowAction([](TBmpButton& button) {
    button.SetPictures(Card(kUp), Card(kHot), Card(kDown), Card(kStayDown));
    button.SetGroupIndex(2);
  });
  for (const Step& step : GetParam().steps) {
    SCOPED_TRACE(testing::Message()
                 << static_cast<int>(step.act) << " at " << step.x << "," << step.y);
    const UINT msg = step.act == Act::Press  ? WM_LBUTTONDOWN
                     : step.act == Act::Move ? WM_MOUSEMOVE
                                             : WM_LBUTTONUP;
    Mouse(b, msg, step.x, step.y, step.act == Act::Release ? 0 : MK_LBUTTON);
    EXPECT_EQ(Hex(Face(b)), Hex(step.face));
  }
  EXPECT_EQ(clicks.size(), static_cast<size_t>(GetParam().clicks));
  EXPECT_EQ(b.Down(), GetParam().down);
  EXPECT_EQ(b.State(), GetParam().down ? bsExclusive : bsUp);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupedDragTest,
    testing::Values(GroupCase{"ReleaseInside",
                              {{Act::Press, 12, 8, kDown}, {Act::Release, 12, 8, kStayDown}},
                              1,
                              true},
                    GroupCase{"ReleaseOutsideWithoutAMove",
                              {{Act::Press, 12, 8, kDown}, {Act::Release, 12, 40, kUp}},
                              0,
                              false},
                    GroupCase{"ReleaseOutsideAfterAMove",
                              {{Act::Press, 12, 8, kDown},
                               {Act::Move, -5, 8, kHot},
                               {Act::Release, -5, 8, kHot}},
                              0,
                              false},
                    GroupCase{"DragOutAndBack",
                              {{Act::Press, 12, 8, kDown},
                               {Act::Move, 100, 8, kHot},
                               {Act::Move, 12, 8, kDown},
                               {Act::Release, 12, 8, kStayDown}},
                              1,
                              true}),
    [](const auto& info) { return std::string(info.param.name); });

// Input from the mouse itself, so the window under it and the capture decide where it goes.
void RealMouse(DWORD buttons, const TBmpButton& b, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(b.Handle(), &p);
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  in.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  in.mi.dwFlags = buttons | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
  SendInput(1, &in, sizeof in);
  for (int i = 0; i < 10; ++i) {
    Sleep(10);
    Pump();
  }
}

TEST_F(BmpButtonTest, RealMouseKeepsTheButtonCapturedWhileDraggedAway) {
  TBmpButton& b = ShowAction();
  RealMouse(0, b, 12, 8);
  EXPECT_TRUE(b.IsHot());
  RealMouse(MOUSEEVENTF_LEFTDOWN, b, 12, 8);
  EXPECT_EQ(GetCapture(), b.Handle());
  EXPECT_EQ(Hex(Face(b)), Hex(kDown));
  // Over the form, off the button: the button still gets the moves and the release.
  RealMouse(0, b, 100, 60);
  EXPECT_EQ(b.State(), bsUp);
  EXPECT_TRUE(b.Pressing());
  RealMouse(MOUSEEVENTF_LEFTUP, b, 100, 60);
  EXPECT_FALSE(b.Pressing());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(clicks.empty());
  // Press and release on it: one click.
  RealMouse(0, b, 10, 10);
  RealMouse(MOUSEEVENTF_LEFTDOWN, b, 10, 10);
  RealMouse(MOUSEEVENTF_LEFTUP, b, 10, 10);
  EXPECT_EQ(clicks, std::vector<std::string>{"BmpButton1"});
  RealMouse(0, b, 500, 300);
  for (int i = 0; i < 100 && b.IsHot(); ++i) {
    Sleep(10);
    Pump();
  }
  EXPECT_FALSE(b.IsHot()) << "the mouse has left";
}

TEST_F(BmpButtonTest, DisabledButtonShowsItsDisabledLookAndCannotBePressed) {
  TBmpButton& b = ShowAction();
  b.SetEnabled(false);
  // No Disabled picture: a grey image of Up, with the same transparent pixels.
  const COLORREF grey = Face(b);
  EXPECT_NE(Hex(grey), Hex(kUp));
  EXPECT_TRUE(GetRValue(grey) == GetGValue(grey) && GetGValue(grey) == GetBValue(grey))
      << Hex(grey);
  EXPECT_EQ(Hex(Hole(b)), Hex(kFormColour));
  EXPECT_EQ(b.State(), bsDisabled);
  Mouse(b, WM_LBUTTONDOWN, 12, 8, MK_LBUTTON);
  Mouse(b, WM_LBUTTONUP, 12, 8, 0);
  Key(b, WM_KEYDOWN, VK_SPACE);
  Key(b, WM_KEYUP, VK_SPACE);
  EXPECT_TRUE(clicks.empty());
  EXPECT_FALSE(b.Focused());
  b.Bitmaps().SetDisabled(Card(kDisabled));
  EXPECT_EQ(Hex(Face(b)), Hex(kDisabled));
  b.SetEnabled(true);
  EXPECT_EQ(Hex(Face(b)), Hex(kUp));
  EXPECT_EQ(b.State(), bsUp);
}

TEST_F(BmpButtonTest, ReEnabledDownButtonShowsItsStayDownPictureAgain) {
  ShowNavigation();
  Button("But1").SetEnabled(false);
  const COLORREF greyed = Face(Button("But1"));  // no Disabled picture: Up, embossed
  EXPECT_NE(Hex(greyed), Hex(kUp));
  EXPECT_NE(Hex(greyed), Hex(kStayDown));
  Button("But1").SetEnabled(true);
  ExpectOnlyDown(1);
}

TEST(EmbossedImageTest, FlatAreasTurnMidGreyEdgesLightOrDarkAndHolesStay) {
  // Dark on the left, light on the right, an olive pixel at the top left.
  std::vector<uint8_t> bgra;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const COLORREF c = x == 0 && y == 0 ? kOlive : x < 2 ? RGB(0, 0, 0) : RGB(255, 255, 255);
      bgra.insert(bgra.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 255});
    }
  const ui::Picture grey = EmbossedImage(ui::Picture::FromBgra(4, 3, bgra), ui::clOlive);
  ASSERT_EQ(grey.Width(), 4);
  EXPECT_EQ(Hex(grey.PixelRgb(0, 0)), Hex(kOlive));
  const COLORREF flat = grey.PixelRgb(1, 1), rising = grey.PixelRgb(2, 1),
                 steady = grey.PixelRgb(3, 1);
  EXPECT_EQ(flat, steady);
  EXPECT_GT(GetRValue(rising), GetRValue(flat));
  for (COLORREF c : {flat, rising}) EXPECT_TRUE(GetRValue(c) == GetBValue(c)) << Hex(c);
}

// ---- Keys and focus

struct KeyCase {
  const char* name;
  bool grouped;
  bool startDown;
  std::vector<std::pair<UINT, WPARAM>> keys;
  int clicks;
  COLORREF faceAfter;
  bool downAfter;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class ButtonKeyTest : public BmpButtonTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(ButtonKeyTest, EnterClicksAtOnceAndSpacePressesLikeTheMouse) {
  const KeyCase& c = GetParam();
  TBmpButton& b = ShowAction([&](TBmpButton& button) {
    button.Bitmaps().SetStayDown(Card(kStayDown));
    if (c.grouped) button.SetGroupIndex(3);
    if (c.startDown) button.SetDown(true);
  });
  b.SetFocus();
  ASSERT_TRUE(b.Focused());
  ASSERT_TRUE(b.HasFocusFlag());
  for (const auto& [msg, key] : c.keys) {
    Key(b, msg, key);
    if (msg == WM_KEYDOWN && key == VK_SPACE && !c.startDown) {
      EXPECT_EQ(Hex(Face(b)), Hex(kDown)) << "held by the space bar";
    }
  }
  EXPECT_EQ(clicks.size(), static_cast<size_t>(c.clicks));
  EXPECT_FALSE(b.Pressing());
  EXPECT_EQ(b.Down(), c.downAfter);
  EXPECT_EQ(Hex(Face(b)), Hex(c.faceAfter));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ButtonKeyTest,
    testing::Values(
        KeyCase{
            "Enter", false, false, {{WM_KEYDOWN, VK_RETURN}, {WM_KEYUP, VK_RETURN}}, 1, kUp, false},
        KeyCase{
            "Space", false, false, {{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}}, 1, kUp, false},
        KeyCase{"SpaceHeldFinishedByAnotherKey",
                false,
                false,
                {{WM_KEYDOWN, VK_SPACE}, {WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SHIFT}},
                1,
                kUp,
                false},
        KeyCase{"OtherKeysDoNothing",
                false,
                false,
                {{WM_KEYDOWN, 'A'}, {WM_KEYUP, 'A'}},
                0,
                kUp,
                false},
        KeyCase{"SpacePutsAGroupedButtonDown",
                true,
                false,
                {{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}},
                1,
                kStayDown,
                true},
        KeyCase{"SpaceOnTheDownButtonOfAGroup",
                true,
                true,
                {{WM_KEYDOWN, VK_SPACE}, {WM_KEYUP, VK_SPACE}},
                0,
                kStayDown,
                true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BmpButtonTest, FocusShowsTheFocusedPictureAndRepaints) {
  test::HiddenFocusCues usual;
  TBmpButton& b =
      ShowAction([](TBmpButton& button) { button.Bitmaps().SetUpAndFocused(Card(kFocused)); });
  EXPECT_EQ(Hex(Face(b)), Hex(kUp));
  b.SetFocus();
  // Focus marks wait for the keyboard to be used in the window...
  ASSERT_TRUE(usual.Hidden());
  EXPECT_EQ(Hex(Face(b)), Hex(kUp));
  // ...and show, repainted, as soon as it is.
  SendMessageA(form->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  EXPECT_EQ(Hex(Face(b)), Hex(kFocused));
  Button("Other").SetFocus();
  EXPECT_FALSE(b.HasFocusFlag());
  EXPECT_EQ(Hex(Face(b)), Hex(kUp));
  b.SetShowFocus(false);
  b.SetFocus();
  EXPECT_EQ(Hex(Face(b)), Hex(kUp));
}

TEST_F(BmpButtonTest, WithoutAFocusedPictureTheFocusIsTheDottedMark) {
  test::HiddenFocusCues usual;
  TBmpButton& b = ShowAction();
  // The top row of the picture's coloured part, where the mark runs one pixel in.
  auto row = [&] {
    auto shot = CaptureClient(b.Handle());
    std::vector<COLORREF> pixels;
    for (int x = 4; x < kCardW - 1; ++x) pixels.push_back(shot->PixelRgb(x, 1));
    return pixels;
  };
  const auto plain = row();
  b.SetFocus();
  EXPECT_EQ(row(), plain) << "no mark before the keyboard is used";
  SendMessageA(form->Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  const auto marked = row();
  int changed = 0;
  for (size_t i = 0; i < marked.size(); ++i) changed += marked[i] != plain[i];
  EXPECT_GT(changed, static_cast<int>(marked.size()) / 3) << "a dotted line";
  EXPECT_EQ(Hex(Face(b)), Hex(kUp)) << "inside the mark the picture is untouched";
  Button("Other").SetFocus();
  EXPECT_EQ(row(), plain);
}

TEST_F(BmpButtonTest, IsAPushButtonPressedWhileDownToAScreenReader) {
  ShowNavigation();
  for (int i = 1; i <= 4; ++i) {
    test::Accessible a(Button(names[i - 1]).Handle());
    ASSERT_NE(a.object, nullptr);
    EXPECT_EQ(a.Role(), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ((a.State() & STATE_SYSTEM_PRESSED) != 0, i == 1) << names[i - 1];
    EXPECT_EQ(a.DefaultAction(), "Press");
  }
  Button("But3").SetDown(true);
  EXPECT_TRUE(test::Accessible(Button("But3").Handle()).State() & STATE_SYSTEM_PRESSED);
  EXPECT_FALSE(test::Accessible(Button("But1").Handle()).State() & STATE_SYSTEM_PRESSED);
}

TEST_F(BmpButtonTest, EnterThroughTheLoopClicksOnceAndTabMovesOn) {
  TBmpButton& b = ShowAction();
  b.SetFocus();
  test::PressKey(VK_RETURN);
  EXPECT_EQ(clicks, std::vector<std::string>{"BmpButton1"});
  test::PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), Button("Other").Handle());
  test::PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), b.Handle()) << "round again";
  EXPECT_EQ(clicks.size(), 1u);
}

// ---- Hot tracking

class HotTest : public BmpButtonTest, public testing::WithParamInterface<bool> {};

TEST_P(HotTest, EnterAndLeaveRepaintOnlyWithAHotPicture) {
  const bool withHot = GetParam();
  const ControlSpec layout[] = {
      {.name = "B",
       .create = Make<CountingButton>,
       .left = 40,
       .top = 40,
       .setup =
           [withHot](Control& c) {
             auto& b = static_cast<TBmpButton&>(c);
             b.SetPictures(Card(kUp), withHot ? Card(kHot) : ui::Picture(), Card(kDown));
           }},
  };
  Show(layout);
  auto& b = static_cast<CountingButton&>(Button("B"));
  std::vector<std::string> events;
  b.OnMouseEnter = [&](Control&) { events.push_back("enter"); };
  b.OnMouseLeave = [&](Control&) { events.push_back("leave"); };
  UpdateWindow(b.Handle());
  ASSERT_GT(b.paints, 0) << "the counter must see paints at all";

  b.paints = 0;
  Mouse(b, WM_MOUSEMOVE, 12, 8, 0);
  UpdateWindow(b.Handle());  // anything merely marked is painted now
  EXPECT_TRUE(b.IsHot());
  EXPECT_EQ(b.paints > 0, withHot);
  EXPECT_EQ(Hex(Face(b)), Hex(withHot ? kHot : kUp));

  b.paints = 0;
  SendMessageA(b.Handle(), WM_MOUSELEAVE, 0, 0);
  UpdateWindow(b.Handle());
  EXPECT_FALSE(b.IsHot());
  EXPECT_EQ(b.paints > 0, withHot);
  EXPECT_EQ(Hex(Face(b)), Hex(kUp));
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
}

INSTANTIATE_TEST_SUITE_P(Pictures, HotTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "WithHot" : "WithoutHot"; });

// ---- Size and drawing

struct SizeCase {
  const char* name;
  TButtonBorder border;
  TButtonStyle style;
  TButtonSize size;
  int width, height;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class ButtonSizeTest : public BmpButtonTest, public testing::WithParamInterface<SizeCase> {};

TEST_P(ButtonSizeTest, SizedToTheUpPictureAndItsBorder) {
  const SizeCase& c = GetParam();
  const ControlSpec layout[] = {
      {.name = "B",
       .create = Make<TBmpButton>,
       .left = 5,
       .top = 5,
       .width = 80,
       .height = 30,
       .setup =
           [&](Control& control) {
             auto& b = static_cast<TBmpButton&>(control);
             b.SetButtonBorder(c.border);
             b.SetButtonStyle(c.style);
             b.SetButtonSize(c.size);
             b.Bitmaps().SetUp(Card(kUp));
             EXPECT_EQ(b.Width(), 80) << "nothing happens while the layout loads";
           }},
  };
  Show(layout);
  TBmpButton& b = Button("B");
  RECT client;
  GetClientRect(b.Handle(), &client);
  EXPECT_EQ(b.Width(), c.width);
  EXPECT_EQ(b.Height(), c.height);
  EXPECT_EQ(client.right, c.width);
  EXPECT_EQ(client.bottom, c.height);
  // A size change from outside snaps back, and a new Up picture resizes.
  b.SetBounds(5, 5, 50, 50);
  b.Bitmaps().SetUp(Card(kUp, 30, 20));
  const bool follows = c.size == bszButtonToBitmap;
  const int grow = c.width - kCardW;
  EXPECT_EQ(b.Width(), follows ? 30 + grow : 50);
  EXPECT_EQ(b.Height(), follows ? 20 + (c.height - kCardH) : 50);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ButtonSizeTest,
    testing::Values(SizeCase{"None", bbNone, bsAutoDetect, bszButtonToBitmap, 24, 16},
                    SizeCase{"Single", bbSingle, bsAutoDetect, bszButtonToBitmap, 26, 18},
                    SizeCase{"ButtonNewStyle", bbButton, bsNew, bszButtonToBitmap, 28, 20},
                    SizeCase{"ButtonAutoDetect", bbButton, bsAutoDetect, bszButtonToBitmap, 28, 20},
                    SizeCase{"ButtonWin31", bbButton, bsWin31, bszButtonToBitmap, 30, 22},
                    SizeCase{"Neither", bbNone, bsAutoDetect, bszNeither, 80, 30},
                    SizeCase{"Stretch", bbNone, bsAutoDetect, bszStretchToButton, 80, 30}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BmpButtonTest, SingleBorderFramesThePictureInBlack) {
  const ControlSpec layout[] = {
      {.name = "B",
       .create = Make<TBmpButton>,
       .left = 5,
       .top = 5,
       .color = ui::Rgb(0, 250, 0),
       .setup =
           [](Control& control) {
             auto& b = static_cast<TBmpButton&>(control);
             b.SetButtonBorder(bbSingle);
             b.Bitmaps().SetUp(Card(kUp));
           }},
  };
  Show(layout);
  auto shot = CaptureClient(Button("B").Handle());
  EXPECT_EQ(Hex(shot->PixelRgb(0, 0)), Hex(RGB(0, 0, 0)));
  EXPECT_EQ(Hex(shot->PixelRgb(25, 17)), Hex(RGB(0, 0, 0)));
  EXPECT_EQ(Hex(shot->PixelRgb(2, 9)), Hex(RGB(0, 250, 0)));  // the face through the olive
  EXPECT_EQ(Hex(shot->PixelRgb(13, 9)), Hex(kUp));
}

TEST_F(BmpButtonTest, CaptionMovesByItsDownOffsetWhilePressed) {
  const ControlSpec layout[] = {
      {.name = "B",
       .create = Make<TBmpButton>,
       .left = 5,
       .top = 5,
       .width = 80,
       .height = 30,
       .text = "Go",
       .font = ui::FontSpec{.face = "Arial", .height = 16, .bold = true, .color = ui::Rgb(0, 0, 0)},
       .color = ui::Rgb(255, 255, 255),
       .setup =
           [](Control& control) {
             auto& b = static_cast<TBmpButton&>(control);
             b.SetButtonBorder(bbSingle);
             b.SetButtonSize(bszNeither);
             b.SetCaptionDownOffset(3);
             b.SetShowFocus(false);
           }},
  };
  Show(layout);
  TBmpButton& b = Button("B");
  // The top-left corner of the caption's black pixels, inside the frame.
  auto corner = [&] {
    auto shot = CaptureClient(b.Handle());
    POINT p = {1000, 1000};
    for (int y = 1; y < 29; ++y)
      for (int x = 1; x < 79; ++x)
        if (shot->PixelRgb(x, y) == RGB(0, 0, 0)) {
          p.x = std::min<LONG>(p.x, x);
          p.y = std::min<LONG>(p.y, y);
        }
    return p;
  };
  const POINT up = corner();
  ASSERT_LT(up.x, 1000) << "no caption drawn";
  Mouse(b, WM_LBUTTONDOWN, 40, 15, MK_LBUTTON);
  const POINT down = corner();
  EXPECT_EQ(down.x - up.x, 3);
  EXPECT_EQ(down.y - up.y, 3);
  Mouse(b, WM_LBUTTONUP, 40, 15, 0);
  EXPECT_EQ(corner().x, up.x);
}

TEST_F(BmpButtonTest, StretchedAndTiledPicturesKeepTheirTransparentPixels) {
  // 2 x 2: olive, red / blue, green.
  const ui::Picture quad = ui::Picture::FromBgra(
      2, 2, {0, 128, 128, 255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0, 255});
  const ControlSpec layout[] = {
      {.name = "Stretch",
       .create = Make<TBmpButton>,
       .left = 0,
       .top = 0,
       .width = 8,
       .height = 6,
       .setup =
           [&](Control& c) {
             auto& b = static_cast<TBmpButton&>(c);
             b.SetButtonSize(bszStretchToButton);
             b.Bitmaps().SetUp(quad);
           }},
      {.name = "Tile",
       .create = Make<TBmpButton>,
       .left = 20,
       .top = 0,
       .width = 5,
       .height = 3,
       .setup =
           [&](Control& c) {
             auto& b = static_cast<TBmpButton&>(c);
             b.SetButtonSize(bszTileToButton);
             b.Bitmaps().SetUp(quad);
           }},
  };
  Show(layout);
  const COLORREF cells[2][2] = {{kFormColour, RGB(255, 0, 0)}, {RGB(0, 0, 255), RGB(0, 255, 0)}};
  auto stretch = CaptureClient(Button("Stretch").Handle());
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(Hex(stretch->PixelRgb(x, y)), Hex(cells[y / 3][x / 4])) << x << "," << y;
  auto tile = CaptureClient(Button("Tile").Handle());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(Hex(tile->PixelRgb(x, y)), Hex(cells[y % 2][x % 2])) << x << "," << y;
}

// ---- The parent shows through the olive pixels

// Compares every pixel of the button with its picture, or the background where it is olive.
int Mismatches(const ui::Surface& shot, int left, int top, const ui::Picture& picture,
               const std::function<COLORREF(int x, int y)>& background) {
  int wrong = 0;
  for (int y = 0; y < picture.Height(); ++y)
    for (int x = 0; x < picture.Width(); ++x) {
      const COLORREF p = picture.PixelRgb(x, y);
      const COLORREF expected = p == kOlive ? background(x, y) : p;
      const COLORREF actual = shot.PixelRgb(left + x, top + y);
      if (actual != expected && wrong++ < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << Hex(actual) << " instead of "
                      << Hex(expected);
    }
  return wrong;
}

TEST_F(BmpButtonTest, OlivePixelsShowTheParentsColourAndGraphicChildren) {
  const ui::Picture up = LoadArtwork("NAV_NETWORK_UP");
  ASSERT_EQ(up.Width(), 142);
  std::vector<uint8_t> red;
  for (int i = 0; i < 90 * 100; ++i) red.insert(red.end(), {0, 0, 255, 255});
  const ControlSpec layout[] = {
      // A picture under the left end of the button only.
      {.name = "Image1",
       .create = Make<ui::Image>,
       .left = 0,
       .top = 0,
       .width = 90,
       .height = 100,
       .setup =
           [&](Control& c) {
             static_cast<ui::Image&>(c).SetPicture(ui::Picture::FromBgra(90, 100, red));
           }},
      {.name = "But1",
       .create = Make<TBmpButton>,
       .left = 20,
       .top = 30,
       .setup = [&](Control& c) { static_cast<TBmpButton&>(c).Bitmaps().SetUp(up); }},
  };
  Show(layout);
  TBmpButton& b = Button("But1");
  ASSERT_EQ(b.Width(), 142);
  ASSERT_EQ(b.Height(), 41);
  auto shot = CaptureClient(b.Handle());
  EXPECT_EQ(Mismatches(*shot, 0, 0, up,
                       [](int x, int) { return x + 20 < 90 ? RGB(255, 0, 0) : kFormColour; }),
            0);
}

TEST_F(BmpButtonTest, OlivePixelsShowTheGradientOfAPanelParent) {
  const ui::Picture up = LoadArtwork("ACT_OK_UP"), down = LoadArtwork("ACT_OK_DOWN");
  ASSERT_FALSE(up.Empty());
  const ControlSpec layout[] = {
      {.name = "PicturePanel1",
       .create = Make<TPicturePanel>,
       .left = 0,
       .top = 0,
       .width = 263,
       .height = 60,
       .setup =
           [](Control& c) {
             static_cast<TPicturePanel&>(c).UseGradient(ui::Rgb(232, 241, 254), gdHorizontal);
           }},
      {.name = "BmpButton1",
       .create = Make<TBmpButton>,
       .parent = "PicturePanel1",
       .left = 100,
       .top = 10,
       .onClick = Clicked(),
       .setup =
           [&](Control& c) {
             static_cast<TBmpButton&>(c).SetPictures(up, LoadArtwork("ACT_OK_HOT"), down);
           }},
  };
  Show(layout);
  auto& panel = form->Get<TPicturePanel>("PicturePanel1");
  TBmpButton& b = Button("BmpButton1");
  // A horizontal gradient: row 0, above the button, has each column's colour.
  auto panelShot = CaptureClient(panel.Handle());
  auto column = [&](int x, int) { return panelShot->PixelRgb(100 + x, 0); };
  EXPECT_NE(column(0, 0), column(119, 0));
  EXPECT_EQ(Mismatches(*panelShot, 100, 10, up, column), 0);
  Mouse(b, WM_LBUTTONDOWN, 60, 17, MK_LBUTTON);
  EXPECT_EQ(Mismatches(*CaptureClient(b.Handle()), 0, 0, down, column), 0);
  Mouse(b, WM_LBUTTONUP, 60, 17, 0);
  EXPECT_EQ(clicks, std::vector<std::string>{"BmpButton1"});
}

// ---- The main window's buttons over the real artwork

TEST(BmpButtonPageTest, NavigationActionAndGlyphButtonsOverTheBackground) {
  test::HiddenFocusCues usualCues;  // the pictures as Windows shows them by default
  TestApplication();
  SetCursorPos(1020, 760);
  ui::Form form("Form1");
  form.SetBounds(10, 10, 550, 374);
  form.SetColor(ui::clWhite);
  std::vector<std::string> pages;
  const ui::MouseEvent selectPage = [&](Control& c, MouseButton, ui::Shift, int, int) {
    pages.push_back(c.Name());
    static_cast<TBmpButton&>(c).SetDown(true);
  };
  auto nav = [](const char* stem, bool down) {
    return [stem, down](Control& c) {
      auto& b = static_cast<TBmpButton&>(c);
      const std::string s = stem;
      b.SetPictures(LoadArtwork((s + "_UP").c_str()), LoadArtwork((s + "_HOT").c_str()),
                    LoadArtwork((s + "_DOWN").c_str()), LoadArtwork((s + "_STAYDOWN").c_str()));
      b.SetGroupIndex(1);
      if (down) b.SetDown(true);
    };
  };
  auto action = [](const char* stem) {
    return [stem](Control& c) {
      const std::string s = stem;
      static_cast<TBmpButton&>(c).SetPictures(LoadArtwork((s + "_UP").c_str()),
                                              LoadArtwork((s + "_HOT").c_str()),
                                              LoadArtwork((s + "_DOWN").c_str()));
    };
  };
  const ui::Picture background = LoadArtwork("BACKGROUND");
  ASSERT_EQ(background.Width(), 550);
  const ControlSpec layout[] = {
      {.name = "Image1",
       .create = Make<ui::Image>,
       .left = 0,
       .top = 0,
       .width = 550,
       .height = 374,
       .setup = [&](Control& c) { static_cast<ui::Image&>(c).SetPicture(background); }},
      {.name = "BmpButton5",
       .create = Make<TBmpButton>,
       .left = 528,
       .top = 7,
       .width = 16,
       .height = 15,
       .setup = action("BTN_CLOSE")},
      {.name = "BmpButton6",
       .create = Make<TBmpButton>,
       .left = 509,
       .top = 7,
       .width = 16,
       .height = 15,
       .setup = action("BTN_MIN")},
      {.name = "But1",
       .create = Make<TBmpButton>,
       .left = 4,
       .top = 67,
       .width = 142,
       .height = 41,
       .onMouseDown = selectPage,
       .setup = nav("NAV_NETWORK", true)},
      {.name = "But2",
       .create = Make<TBmpButton>,
       .left = 4,
       .top = 129,
       .width = 142,
       .height = 41,
       .onMouseDown = selectPage,
       .setup = nav("NAV_ERASER", false)},
      {.name = "But3",
       .create = Make<TBmpButton>,
       .left = 4,
       .top = 192,
       .width = 142,
       .height = 41,
       .onMouseDown = selectPage,
       .setup = nav("NAV_ENHANCE", false)},
      {.name = "But4",
       .create = Make<TBmpButton>,
       .left = 4,
       .top = 255,
       .width = 142,
       .height = 41,
       .onMouseDown = selectPage,
       .setup = nav("NAV_ABOUT", false)},
      // The page's bottom strip, and the four action buttons side by side above it.
      {.name = "PicturePanel1",
       .create = Make<TPicturePanel>,
       .left = 152,
       .top = 325,
       .width = 263,
       .height = 32,
       .setup =
           [](Control& c) {
             static_cast<TPicturePanel&>(c).UseGradient(ui::Rgb(232, 241, 254), gdHorizontal);
           }},
      {.name = "BmpButton1",
       .create = Make<TBmpButton>,
       .left = 415,
       .top = 323,
       .width = 120,
       .height = 35,
       .setup = action("ACT_OPTIMIZE")},
      {.name = "BmpButton2",
       .create = Make<TBmpButton>,
       .left = 160,
       .top = 270,
       .width = 120,
       .height = 35,
       .setup = action("ACT_ERASE")},
      {.name = "BmpButton3",
       .create = Make<TBmpButton>,
       .left = 290,
       .top = 270,
       .width = 120,
       .height = 35,
       .setup = action("ACT_APPLY")},
      {.name = "BmpButton4",
       .create = Make<TBmpButton>,
       .left = 420,
       .top = 270,
       .width = 120,
       .height = 35,
       .setup = action("ACT_OK")},
  };
  form.Build(layout);
  form.CreateForm();
  form.Show();
  SetForegroundWindow(form.Handle());
  Pump();

  // Switch to the third page with a real press, and hold an action button down.
  auto& but3 = form.Get<TBmpButton>("But3");
  Mouse(but3, WM_LBUTTONDOWN, 70, 20, MK_LBUTTON);
  Mouse(but3, WM_LBUTTONUP, 70, 20, 0);
  EXPECT_EQ(pages, std::vector<std::string>{"But3"});
  Mouse(form.Get<TBmpButton>("BmpButton3"), WM_LBUTTONDOWN, 60, 17, MK_LBUTTON);

  auto shot = CaptureClient(form.Handle());
  test::SaveScreenshot(*shot, "widgets_page");
  auto behind = [&](const char* name) {
    const Control* c = form.Find(name);
    return
        [&background, c](int x, int y) { return background.PixelRgb(c->Left() + x, c->Top() + y); };
  };
  struct Expect {
    const char* name;
    const char* art;
  };
  for (const Expect& e :
       {Expect{"But1", "NAV_NETWORK_UP"}, Expect{"But2", "NAV_ERASER_UP"},
        Expect{"But3", "NAV_ENHANCE_STAYDOWN"}, Expect{"But4", "NAV_ABOUT_UP"},
        Expect{"BmpButton5", "BTN_CLOSE_UP"}, Expect{"BmpButton6", "BTN_MIN_UP"},
        Expect{"BmpButton1", "ACT_OPTIMIZE_UP"}, Expect{"BmpButton3", "ACT_APPLY_DOWN"}}) {
    SCOPED_TRACE(e.name);
    const Control& c = *form.Find(e.name);
    EXPECT_EQ(Mismatches(*shot, c.Left(), c.Top(), LoadArtwork(e.art), behind(e.name)), 0);
  }
  Mouse(form.Get<TBmpButton>("BmpButton3"), WM_LBUTTONUP, 60, 17, 0);
}

}  // namespace
}  // namespace velotune
