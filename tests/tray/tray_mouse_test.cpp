#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tray/tray_fixture.h"
#include "tray/tray_icon.h"

namespace velotune {
namespace {

using test::EventLog;
using test::Pump;
using test::PumpFor;
using test::PumpUntil;
using test::SendTray;
using Events = std::vector<std::string>;

using TrayMouseTest = test::TrayTest;

// Shows the double click through its overridable notification, so that no
// OnDblClick is assigned and no click timer runs.
class NotingIcon : public TTrayIcon {
 public:
  NotingIcon(EventLog& log) : TTrayIcon(nullptr, "Noting"), log_(log) {}

 protected:
  void DblClick() override {
    log_.events.push_back("DblClick");
    TTrayIcon::DblClick();
  }

 private:
  EventLog& log_;
};

struct MouseCase {
  const char* name;
  std::vector<LPARAM> messages;
  Events classic;  // behaviour version 0
  Events newer;    // behaviour version 1
};

const std::string kAt = "300,300";

std::vector<MouseCase> MouseCases() {
  const Events leftDown = {"MouseDown Left 8 " + kAt};
  const Events rightUp = {"MouseUp Right 16 " + kAt};
  auto both = [](const char* name, std::vector<LPARAM> m, Events e) {
    return MouseCase{name, m, e, e};
  };
  return {
      both("move", {WM_MOUSEMOVE}, {"MouseMove 0 " + kAt}),
      both("left down", {WM_LBUTTONDOWN}, leftDown),
      both("left click", {WM_LBUTTONDOWN, WM_LBUTTONUP},
           {leftDown[0], "Click", "MouseUp Left 8 " + kAt}),
      both("left up alone", {WM_LBUTTONUP}, {"MouseUp Left 8 " + kAt}),
      both("left double click", {WM_LBUTTONDBLCLK}, {"DblClick"}),
      both("right down", {WM_RBUTTONDOWN}, {"MouseDown Right 16 " + kAt}),
      {"right up", {WM_RBUTTONUP}, rightUp, {}},
      both("middle down", {WM_MBUTTONDOWN}, {"MouseDown Middle 32 " + kAt}),
      both("middle up", {WM_MBUTTONUP}, {"MouseUp Middle 32 " + kAt}),
      {"context menu", {WM_CONTEXTMENU}, {}, rightUp},
      {"select", {NIN_SELECT}, {}, rightUp},
      {"key select", {NIN_KEYSELECT}, {}, rightUp},
      both("balloon show", {NIN_BALLOONSHOW}, {"BalloonShow"}),
      both("balloon hide", {NIN_BALLOONHIDE}, {"BalloonHide"}),
      both("balloon timeout", {NIN_BALLOONTIMEOUT}, {"BalloonTimeout"}),
      both("balloon click", {NIN_BALLOONUSERCLICK}, {"BalloonClick"}),
      both("right double click", {WM_RBUTTONDBLCLK}, {}),
      both("middle double click", {WM_MBUTTONDBLCLK}, {}),
      both("something else", {0x1234}, {}),
  };
}

bool IsBalloon(LPARAM m) { return m >= NIN_BALLOONSHOW && m <= NIN_BALLOONUSERCLICK; }

TEST_F(TrayMouseTest, EachShellMessageRaisesItsEvents) {
  for (int version : {0, 1}) {
    for (bool enabled : {true, false}) {
      for (const MouseCase& c : MouseCases()) {
        SCOPED_TRACE(testing::Message()
                     << c.name << ", version " << version << (enabled ? "" : ", disabled"));
        EventLog log;
        NotingIcon icon(log);
        log.Attach(icon, false);
        icon.SetBehaviourVersion(version);
        icon.SetEnabled(enabled);
        for (LPARAM m : c.messages) EXPECT_EQ(SendTray(icon, m), 0);
        Events expected = version == 0 ? c.classic : c.newer;
        // A disabled icon still hears about its balloon.
        if (!enabled && !IsBalloon(c.messages.front())) expected.clear();
        EXPECT_EQ(log.events, expected);
        EXPECT_FALSE(icon.ClickTimer().Enabled());
      }
    }
  }
}

TEST_F(TrayMouseTest, TheShiftStateComesFromTheKeyboardAtThatMoment) {
  EventLog log;
  NotingIcon icon(log);
  log.Attach(icon, false);
  auto key = [](WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
  };
  key(VK_SHIFT, false);
  key(VK_CONTROL, false);
  Pump();
  SendTray(icon, WM_MBUTTONDOWN);
  key(VK_CONTROL, true);
  key(VK_SHIFT, true);
  Pump();
  SendTray(icon, WM_MBUTTONUP);
  const unsigned shiftCtrlMiddle = ui::ssShift | ui::ssCtrl | ui::ssMiddle;
  EXPECT_EQ(log.events, (Events{"MouseDown Middle " + std::to_string(shiftCtrlMiddle) + " " + kAt,
                                "MouseUp Middle 32 " + kAt}));
}

TEST_F(TrayMouseTest, PositionIsTheCursorsWhereverTheShellSaysItIs) {
  EventLog log;
  NotingIcon icon(log);
  log.Attach(icon, false);
  SetCursorPos(517, 433);
  SendTray(icon, WM_RBUTTONDOWN);
  EXPECT_EQ(log.events, (Events{"MouseDown Right 16 517,433"}));
}

TEST_F(TrayMouseTest, WithADoubleClickHandlerTheClickWaitsForTheClickTimer) {
  EventLog log;
  TTrayIcon icon(nullptr, "Clicks");
  log.Attach(icon, true);
  SendTray(icon, WM_LBUTTONDOWN);
  EXPECT_TRUE(icon.ClickTimer().Enabled());
  EXPECT_EQ(icon.ClickTimer().Interval(), GetDoubleClickTime());
  SendTray(icon, WM_LBUTTONUP);
  EXPECT_EQ(log.events, (Events{"MouseDown Left 8 " + kAt, "MouseUp Left 8 " + kAt}));
  // The click comes when the double-click time has passed without a second press.
  EXPECT_TRUE(PumpUntil([&] { return log.events.size() == 3; }, 5000));
  EXPECT_EQ(log.events.back(), "Click");
  EXPECT_FALSE(icon.ClickTimer().Enabled());

  // A double click is no click.
  log.events.clear();
  SendTray(icon, WM_LBUTTONDOWN);
  SendTray(icon, WM_LBUTTONUP);
  SendTray(icon, WM_LBUTTONDBLCLK);
  SendTray(icon, WM_LBUTTONUP);
  PumpUntil([&] { return !icon.ClickTimer().Enabled(); }, 5000);
  PumpFor(50);
  EXPECT_EQ(log.events, (Events{"MouseDown Left 8 " + kAt, "MouseUp Left 8 " + kAt, "DblClick",
                                "MouseUp Left 8 " + kAt}));

  // A press that is never released is no click either.
  log.events.clear();
  SendTray(icon, WM_LBUTTONDOWN);
  PumpUntil([&] { return !icon.ClickTimer().Enabled(); }, 5000);
  PumpFor(50);
  EXPECT_EQ(log.events, (Events{"MouseDown Left 8 " + kAt}));
}

TEST_F(TrayMouseTest, EnterOnTheFirstMoveAndExitWhenTheCursorLeaves) {
  EventLog log;
  TTrayIcon icon(nullptr, "Hover");
  log.Attach(icon, false);
  SendTray(icon, WM_MOUSEMOVE);
  EXPECT_EQ(log.events, (Events{"MouseMove 0 " + kAt})) << "not wanted yet";
  icon.SetWantEnterExitEvents(true);
  EXPECT_TRUE(icon.ExitTimer().Enabled());
  EXPECT_EQ(icon.ExitTimer().Interval(), 20u);
  log.events.clear();
  SendTray(icon, WM_MOUSEMOVE);
  SendTray(icon, WM_MOUSEMOVE);
  EXPECT_EQ(log.events, (Events{"MouseEnter", "MouseMove 0 " + kAt, "MouseMove 0 " + kAt}));
  PumpFor(150);
  EXPECT_EQ(log.events.size(), 3u) << "the cursor has not moved";
  SetCursorPos(310, 300);
  EXPECT_TRUE(PumpUntil([&] { return log.events.size() == 4; }, 3000));
  EXPECT_EQ(log.events.back(), "MouseExit");
  PumpFor(100);
  EXPECT_EQ(log.events.size(), 4u) << "one exit";
  SendTray(icon, WM_MOUSEMOVE);
  EXPECT_EQ(log.events[4], "MouseEnter");
  icon.SetWantEnterExitEvents(false);
  EXPECT_FALSE(icon.ExitTimer().Enabled());
}

TEST_F(TrayMouseTest, CyclingWalksTheImageListAndWrapsAround) {
  const COLORREF colours[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  TImageList images;
  for (COLORREF c : colours) images.push_back(test::SolidIcon(c));
  {
    EventLog log;
    TTrayIcon icon(nullptr, "Cycle");
    std::vector<int> indexAtCycle;
    log.Attach(icon, false);
    icon.OnCycle = [&](TTrayIcon& sender, int next) {
      log.events.push_back("Cycle " + std::to_string(next));
      indexAtCycle.push_back(sender.IconIndex());
    };

    // Without an image list the index stays 0 and cycling shows nothing.
    icon.SetIconIndex(2);
    EXPECT_EQ(icon.IconIndex(), 0);
    icon.SetIconList(images);
    struct IndexCase {
      int set, index;
    };
    for (const IndexCase c :
         {IndexCase{1, 1}, IndexCase{2, 2}, IndexCase{7, 2}, IndexCase{-3, 0}}) {
      SCOPED_TRACE(c.set);
      shell.Clear();
      icon.SetIconIndex(c.set);
      EXPECT_EQ(icon.IconIndex(), c.index);
      EXPECT_EQ(test::IconPixel(icon.Icon(), 8, 8), colours[c.index]);
      EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY}));
    }

    icon.SetIconIndex(2);
    icon.SetCycleInterval(30);
    icon.SetCycleIcons(true);
    EXPECT_EQ(icon.IconIndex(), 0) << "cycling starts from the first image";
    EXPECT_EQ(test::IconPixel(icon.Icon(), 8, 8), colours[0]);
    EXPECT_TRUE(icon.CycleTimer().Enabled());
    EXPECT_EQ(icon.CycleTimer().Interval(), 30u);
    EXPECT_TRUE(PumpUntil([&] { return log.events.size() >= 4; }, 5000));
    icon.SetCycleIcons(false);
    EXPECT_FALSE(icon.CycleTimer().Enabled());
    log.events.resize(4);
    indexAtCycle.resize(4);
    EXPECT_EQ(log.events, (Events{"Cycle 1", "Cycle 2", "Cycle 0", "Cycle 1"}));
    EXPECT_EQ(indexAtCycle, (std::vector<int>{0, 1, 2, 0}));
    const int index = icon.IconIndex();
    EXPECT_EQ(test::IconPixel(icon.Icon(), 8, 8), colours[index]);
    PumpFor(100);
    EXPECT_EQ(icon.IconIndex(), index) << "stopped";
  }
  for (HICON i : images) DestroyIcon(i);
}

// --- the program's configuration -------------------------------------------

using ProgramMouseTest = test::TrayTest;

TEST_F(ProgramMouseTest, RightPressOpensTheMenuAtTheCursorAtOnce) {
  test::ProgramTray program;
  program.Start();
  TTrayIcon& tray = *program.tray;
  SendTray(tray, WM_RBUTTONDOWN);  // no release: the menu opens on the press
  EXPECT_EQ(program.menu->popups, 1);
  EXPECT_TRUE(program.menu->sawMenuWindow);
  EXPECT_EQ(program.menu->menuRect.left, test::kCursor.x);
  EXPECT_EQ(program.menu->menuRect.top, test::kCursor.y);
  EXPECT_EQ(program.menu->popupComponent, &tray);
  // The empty message to the owner that makes the menu close properly.
  bool nullToOwner = false;
  MSG msg;
  while (PeekMessageA(&msg, program.form->Handle(), 0, 0, PM_REMOVE)) {
    if (msg.message == WM_NULL) nullToOwner = true;
    DispatchMessageA(&msg);
  }
  EXPECT_TRUE(nullToOwner);
  SendTray(tray, WM_RBUTTONUP);
  Pump();
  EXPECT_EQ(program.menu->popups, 1) << "the release opens nothing";
  EXPECT_TRUE(program.ran.empty());

  // The same from the tray, with no window shown.
  tray.HideMainWindow();
  program.menu->sawMenuWindow = false;
  SendTray(tray, WM_RBUTTONDOWN);
  EXPECT_EQ(program.menu->popups, 2);
  EXPECT_TRUE(program.menu->sawMenuWindow);
  EXPECT_FALSE(program.form->IsVisible());
}

TEST_F(ProgramMouseTest, LeftDoubleClickRunsOpenVelotuneAndASingleClickNothing) {
  test::ProgramTray program;
  program.Start();
  TTrayIcon& tray = *program.tray;
  tray.HideMainWindow();
  ASSERT_FALSE(program.form->IsVisible());

  SendTray(tray, WM_LBUTTONDOWN);
  SendTray(tray, WM_LBUTTONUP);
  PumpFor(100);
  EXPECT_TRUE(program.ran.empty());
  EXPECT_EQ(program.menu->popups, 0);
  EXPECT_FALSE(program.form->IsVisible());
  EXPECT_FALSE(tray.ClickTimer().Enabled()) << "no double-click handler, no click timer";

  SendTray(tray, WM_LBUTTONDOWN);
  SendTray(tray, WM_LBUTTONUP);
  SendTray(tray, WM_LBUTTONDBLCLK);
  SendTray(tray, WM_LBUTTONUP);
  EXPECT_EQ(program.ran, (Events{"OpenNetwork"}));
  EXPECT_TRUE(program.form->IsVisible()) << "the default item brought the window back";
  EXPECT_EQ(program.menu->popups, 0);

  // Again while shown: the item runs and changes nothing.
  SendTray(tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(program.ran, (Events{"OpenNetwork", "OpenNetwork"}));
  EXPECT_TRUE(program.form->IsVisible());
}

TEST_F(ProgramMouseTest, TheFirstMarkedItemIsTheDefaultOne) {
  test::ProgramTray program;
  program.menu->Find("EraseTracks1")->SetDefault(true);  // later in the menu
  program.Start();
  SendTray(*program.tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(program.ran, (Events{"OpenNetwork"}));
  program.menu->Find("OpenNetwork")->SetDefault(false);
  SendTray(*program.tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(program.ran, (Events{"OpenNetwork", "EraseTracks1"}));
}

TEST_F(ProgramMouseTest, AutoPopupAndLeftPopupDecideWhichButtonUsesTheMenu) {
  test::ProgramTray program;
  program.Start();
  TTrayIcon& tray = *program.tray;

  program.menu->SetAutoPopup(false);
  SendTray(tray, WM_RBUTTONDOWN);
  SendTray(tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(program.menu->popups, 0);
  EXPECT_TRUE(program.ran.empty());

  program.menu->SetAutoPopup(true);
  tray.SetLeftPopup(true);
  SendTray(tray, WM_LBUTTONDOWN);
  EXPECT_EQ(program.menu->popups, 1);
  EXPECT_TRUE(program.menu->sawMenuWindow);
  SendTray(tray, WM_LBUTTONUP);
  SendTray(tray, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(program.ran.empty()) << "with the menu on the left button, no default item";

  tray.SetPopupMenu(nullptr);
  SendTray(tray, WM_RBUTTONDOWN);
  SendTray(tray, WM_LBUTTONDBLCLK);
  EXPECT_EQ(program.menu->popups, 1);
  EXPECT_TRUE(program.ran.empty());
}

}  // namespace
}  // namespace velotune
