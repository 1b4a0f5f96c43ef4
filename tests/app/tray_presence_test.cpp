#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "app/main_form.h"
#include "app/tray_animation.h"
#include "eraser/tracks_eraser.h"
#include "main_window_fixture.h"
#include "netopt/profiles.h"
#include "progress/prg_wnd.h"
#include "support/registry_sandbox.h"
#include "support/seam_recorder.h"
#include "support/temp_folder.h"
#include "support/ui_fixture.h"
#include "tray/tray_icon.h"
#include "ui/menu.h"
#include "widgets/bar_popup_menu.h"
#include "widgets/bmp_button.h"

// Rectangles compare and print in test messages; RECT lives in the global namespace.
inline bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b); }
inline std::ostream& operator<<(std::ostream& os, const RECT& r) {
  return os << r.left << "," << r.top << "," << r.right << "," << r.bottom;
}

namespace velotune {
namespace {

TrayPlaces Places(std::optional<RECT> notify, std::optional<std::pair<RECT, UINT>> bar,
                  std::optional<RECT> tray, std::optional<RECT> work) {
  TrayPlaces p;
  p.notifyWindow = [notify](RECT& r) { return notify ? (r = *notify, true) : false; };
  p.appBar = [bar](RECT& r, UINT& edge) {
    if (!bar) return false;
    r = bar->first;
    edge = bar->second;
    return true;
  };
  p.trayWindow = [tray](RECT& r) { return tray ? (r = *tray, true) : false; };
  p.workArea = [work](RECT& r) { return work ? (r = *work, true) : false; };
  return p;
}

TEST(AnimationSettingTest, ComesFromTheSystem) {
  ANIMATIONINFO info = {sizeof info, 0};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof info, &info, 0));
  EXPECT_EQ(AnimationsEnabled(), info.iMinAnimate != 0);
}

TEST(TrayAnimationTargetTest, TheLastSourceThatAnswersDecides) {
  const RECT start = {100, 100, 650, 474};
  const RECT bottomBar = {0, 738, 1024, 768};
  const RECT work = {0, 0, 1024, 738};
  const struct {
    const char* what;
    TrayPlaces places;
    RECT expected;
  } cases[] = {
      {"everything",
       Places(RECT{900, 740, 1020, 766}, std::pair{bottomBar, UINT{ABE_BOTTOM}}, bottomBar, work),
       {874, 708, 1024, 738}},
      {"no work area",
       Places(std::nullopt, std::pair{bottomBar, UINT{ABE_BOTTOM}}, bottomBar, std::nullopt),
       {874, 738, 1024, 768}},
      {"task bar position only, bottom",
       Places(std::nullopt, std::pair{bottomBar, UINT{ABE_BOTTOM}}, std::nullopt, std::nullopt),
       {858, 738, 1008, 768}},
      {"task bar position only, left",
       Places(std::nullopt, std::pair{RECT{0, 0, 60, 768}, UINT{ABE_LEFT}}, std::nullopt,
              std::nullopt),
       {-90, 722, 60, 752}},
      {"notification window only",
       Places(RECT{900, 740, 1020, 766}, std::nullopt, std::nullopt, std::nullopt),
       {870, 736, 1020, 766}},
      {"nothing at all",
       Places(std::nullopt, std::nullopt, std::nullopt, std::nullopt),
       {500, 444, 650, 474}},
  };
  for (const auto& c : cases) EXPECT_EQ(TrayAnimationTarget(start, c.places), c.expected) << c.what;
}

// The main window with its tray icon and menu, shown as at start-up.
class TrayPresenceTest : public test::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    Create();
    SetAnimations(true);
  }
  void TearDown() override {
    AnimationSetting() = saved;
    MainWindowTest::TearDown();
  }
  static void SetAnimations(bool on) {
    AnimationSetting() = [on] { return on; };
  }
  bool Shown() { return IsWindowVisible(form->Handle()) != FALSE; }
  bool TaskbarButton() { return IsWindowVisible(app->Handle()) != FALSE; }
  void RunItem(const char* name) {
    ui::MenuItem* item = form->PopupMenu1().Find(name);
    ASSERT_NE(item, nullptr) << name;
    item->Click();
  }
  void SendIcon(UINT mouse) {
    SendMessageA(form->TrayIcon1().NotifyData().hWnd, 0x800, form->TrayIcon1().Identity(), mouse);
  }

  std::function<bool()> saved = AnimationSetting();
};

TEST_F(TrayPresenceTest, TrayIconIsConfiguredAsTheProgramNeeds) {
  auto& tray = form->TrayIcon1();
  EXPECT_EQ(tray.Hint(), "Velotune");
  EXPECT_TRUE(tray.IconVisible());
  EXPECT_TRUE(tray.MinimizeToTray());
  EXPECT_EQ(tray.PopupMenu(), &form->PopupMenu1());
  EXPECT_NE(tray.Icon(), nullptr);
  auto& menu = form->PopupMenu1();
  ASSERT_NE(menu.DefaultItem(), nullptr);
  EXPECT_EQ(menu.DefaultItem()->Caption(), "&Open Velotune");
  EXPECT_EQ(menu.Find("HelpContents1")->ShortcutText(), "F1");
  std::vector<std::string> captions;
  for (const auto& item : menu.Items().Items()) captions.push_back(item->Caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"&Open Velotune", "-", "Network Optimizations",
                                                "Erase Tracks", "-", "&Quick Jump", "-",
                                                "&Help Contents", "-", "E&xit"}));
  EXPECT_EQ(menu.Find("jjj")->Caption(), "T1, Satellite or Corporate LAN");
  captions.clear();
  for (const auto& item : menu.Find("QuickJump1")->Items()) captions.push_back(item->Caption());
  EXPECT_EQ(captions, (std::vector<std::string>{"&1. Network Optimizations", "&2. Tracks Eraser",
                                                "&3. Enhancements", "&4. About"}));
}

TEST_F(TrayPresenceTest, MinimizeButtonZoomsToTheTrayAndTheDefaultItemBack) {
  RECT before;
  GetWindowRect(form->Handle(), &before);
  SendMessageA(form->Get<TBmpButton>("BmpButton6").Handle(), WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(8, 7));
  SendMessageA(form->Get<TBmpButton>("BmpButton6").Handle(), WM_LBUTTONUP, 0, MAKELPARAM(8, 7));
  EXPECT_FALSE(Shown());
  EXPECT_FALSE(TaskbarButton());
  EXPECT_TRUE(form->TrayIcon1().IconVisible());
  ASSERT_EQ(seam.animations.size(), 1u);
  EXPECT_EQ(seam.animations[0].id, IDANI_CAPTION);
  EXPECT_EQ(seam.animations[0].from, before);
  EXPECT_EQ(seam.animations[0].to, TrayAnimationTarget(before));

  SendIcon(WM_LBUTTONDBLCLK);
  test::Pump();
  EXPECT_TRUE(Shown());
  EXPECT_TRUE(TaskbarButton());
  // Cleared; the system adds the edge of a captioned window back by itself.
  EXPECT_EQ(GetWindowLongA(app->Handle(), GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
  ASSERT_EQ(seam.animations.size(), 2u);
  EXPECT_EQ(seam.animations[1].from, TrayAnimationTarget(before));
  EXPECT_EQ(seam.animations[1].to, before);
  RECT after;
  GetWindowRect(form->Handle(), &after);
  EXPECT_EQ(after, before);  // back where it was

  SendIcon(WM_LBUTTONDBLCLK);  // while shown: nothing
  test::Pump();
  EXPECT_EQ(seam.animations.size(), 2u);
  EXPECT_TRUE(Shown());
}

// The system moves the window when it is dragged by its background; the
// form's bounds follow, so hiding, showing and resizing keep that place.
TEST_F(TrayPresenceTest, TheFormsBoundsFollowTheWindowWhereverItGoes) {
  auto windowRect = [&] {
    RECT r;
    GetWindowRect(form->Handle(), &r);
    return r;
  };
  auto bounds = [&] { return form->BoundsRect(); };
  // As the drag's own move loop places it.
  SetWindowPos(form->Handle(), nullptr, 100, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  const RECT dragged = {100, 120, 650, 494};
  EXPECT_EQ(windowRect(), dragged);
  EXPECT_EQ(bounds(), dragged);

  form->BmpButton6Click(*form);  // to the tray
  EXPECT_FALSE(Shown());
  EXPECT_EQ(bounds(), dragged);
  form->OpenNetworkClick();
  test::Pump();
  EXPECT_TRUE(Shown());
  EXPECT_EQ(windowRect(), dragged);
  EXPECT_EQ(seam.animations.back().to, dragged);  // the zoom comes back to it

  // A change of size starts from where the window is, not where it was built.
  form->SetBounds(form->Left(), form->Top(), 560, 380);
  EXPECT_EQ(windowRect(), (RECT{100, 120, 660, 500}));
  form->SetBounds(form->Left(), form->Top(), 550, 374);

  // Minimizing the application does not store the minimized place.
  ShowWindow(app->Handle(), SW_MINIMIZE);
  test::Pump();
  EXPECT_EQ(bounds(), dragged);
  form->OpenNetworkClick();
  test::Pump();
  EXPECT_EQ(windowRect(), dragged);
}

// However the window went to the tray, "Open Velotune" brings back the
// window and its task bar button.
TEST_F(TrayPresenceTest, OpenVelotuneBringsBackTheTaskbarButton) {
  const struct {
    const char* how;
    std::function<void()> hide;
  } cases[] = {
      {"the minimize glyph", [&] { form->BmpButton6Click(*form); }},
      {"the application minimized", [&] { ShowWindow(app->Handle(), SW_MINIMIZE); }},
      {"a start with -s", [&] { form->TrayIcon1().HideMainWindow(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    c.hide();
    test::Pump();
    ASSERT_FALSE(Shown());
    ASSERT_FALSE(TaskbarButton());
    form->OpenNetworkClick();
    test::Pump();
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(TaskbarButton());
    // Cleared; the system adds the edge of a captioned window back by itself.
    EXPECT_EQ(GetWindowLongA(app->Handle(), GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_FALSE(IsIconic(app->Handle()));
  }
}

TEST_F(TrayPresenceTest, WithoutSystemAnimationsNothingIsDrawn) {
  SetAnimations(false);
  ASSERT_FALSE(AnimationsEnabled());
  form->BmpButton6Click(*form);
  EXPECT_FALSE(Shown());
  RunItem("OpenNetwork");
  EXPECT_TRUE(Shown());
  EXPECT_TRUE(seam.animations.empty());
}

TEST_F(TrayPresenceTest, MinimizingTheApplicationGoesToTheTrayWithoutZoom) {
  app->Minimize();
  test::Pump();
  EXPECT_FALSE(Shown());
  EXPECT_FALSE(TaskbarButton());
  EXPECT_TRUE(seam.animations.empty());
  RunItem("OpenNetwork");
  EXPECT_TRUE(Shown());
  EXPECT_FALSE(app->Minimized());
}

TEST_F(TrayPresenceTest, ProfileFromTheTrayWhileHiddenStaysHidden) {
  form->BmpButton6Click(*form);
  seam.boxAnswer = IDNO;
  bool progressShown = false;
  seam.onPause = [&](DWORD) { progressShown = progressShown || progress->IsVisible(); };
  RunItem("ADSLDSLCableModem1");
  EXPECT_TRUE(form->ProfileButton(2).Checked());
  EXPECT_EQ(test::ReadRaw(HKEY_CURRENT_USER, "Software\\Quorvane\\Velotune", "noset")->Number(),
            2u);
  EXPECT_TRUE(progressShown);
  EXPECT_FALSE(Shown());
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kRestartQuestion);
}

TEST_F(TrayPresenceTest, QuickJumpShowsTheWindowOnThatPage) {
  form->BmpButton6Click(*form);
  RunItem("Jump3");
  EXPECT_TRUE(Shown());
  EXPECT_EQ(form->Pages().ActivePageIndex(), 2);
  EXPECT_TRUE(form->NavButton(3).Down());
  EXPECT_EQ(form->Get<ui::Label>("Label1").Text(), "Enhancements");
  RunItem("Jump1");  // already shown: just the page
  EXPECT_EQ(form->Pages().ActivePageIndex(), 0);
  EXPECT_EQ(seam.animations.size(), 2u);
}

TEST_F(TrayPresenceTest, EraseTracksFromTheTrayWithNothingTicked) {
  for (int box = 1; box <= 9; ++box) form->EraseBox(box).SetChecked(false);
  RunItem("EraseTracks1");
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, "No items are selected.");
}

std::vector<std::wstring> OperaRuns() { return {L"opera.exe"}; }

TEST_F(TrayPresenceTest, EraseTracksFromTheTrayAsksAboutRunningBrowsers) {
  for (int box = 1; box <= 9; ++box) form->EraseBox(box).SetChecked(box == 7);
  Sys().UserProcessImages = OperaRuns;
  seam.boxAnswer = IDCANCEL;
  RunItem("EraseTracks1");
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, RunningBrowsersQuestion({false, false, true, false}));
  EXPECT_EQ(seam.boxes[0].type, static_cast<UINT>(MB_CANCELTRYCONTINUE | MB_ICONWARNING));
}

// Keys typed into the open tray menu, one per tick of a timer, while the
// menu's own loop runs.
std::deque<WPARAM> menuKeys;
void CALLBACK TypeMenuKey(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  if (menuKeys.empty()) {
    KillTimer(hwnd, id);
    EndMenu();  // whatever happened, the menu must not stay open
    return;
  }
  PostMessageA(ui::Application::Instance()->Handle(), WM_KEYDOWN, menuKeys.front(), 0);
  menuKeys.pop_front();
}

// Every item of the tray menu, chosen with the keyboard in the menu the
// icon's right button opens, and what it does.
TEST_F(TrayPresenceTest, EveryTrayMenuItemThroughTheRealMenu) {
  test::TempFolder files;  // no help file in it
  form->SetFilesFolder(files.path());
  for (int box = 1; box <= 9; ++box) form->EraseBox(box).SetChecked(box == 5);
  const char* headers[] = {"Network Optimizations", "Tracks Eraser", "Enhancements",
                           "About Velotune"};
  auto noset = [] {
    const auto raw = test::ReadRaw(HKEY_CURRENT_USER, "Software\\Quorvane\\Velotune", "noset");
    return raw ? static_cast<int>(raw->Number()) : 0;
  };
  const WPARAM D = VK_DOWN, R = VK_RIGHT, E = VK_RETURN;
  const struct {
    const char* item;
    bool hiddenBefore;
    std::vector<WPARAM> keys;
    std::function<void()> check;
  } cases[] = {
      {"Open Velotune", true, {D, E}, [&] { EXPECT_TRUE(Shown()); }},
      {"Internet Dialup", false, {D, D, R, E}, [&] { EXPECT_EQ(noset(), 1); }},
      {"ADSL, DSL, Cable Modem", true, {D, D, R, D, E}, [&] { EXPECT_EQ(noset(), 2); }},
      {"Home, Office LAN", false, {D, D, R, D, D, E}, [&] { EXPECT_EQ(noset(), 3); }},
      {"T1, Satellite or Corporate LAN",
       false,
       {D, D, R, D, D, D, E},
       [&] { EXPECT_EQ(noset(), 4); }},
      {"Erase Tracks",
       true,
       {D, D, D, E},
       [&] {
         EXPECT_EQ(progress->Label1().Text(), "Erasing Tracks");
         EXPECT_EQ(progress->Label2().Text(), "Erasing Internet Explorer Typed URL List...");
         EXPECT_FALSE(test::KeyExists(HKEY_CURRENT_USER,
                                      "Software\\Microsoft\\Internet Explorer\\TypedURLs"));
       }},
      {"Quick Jump 1", true, {D, D, D, D, R, E}, nullptr},
      {"Quick Jump 2", false, {D, D, D, D, R, D, E}, nullptr},
      {"Quick Jump 3", true, {D, D, D, D, R, D, D, E}, nullptr},
      {"Quick Jump 4", false, {D, D, D, D, R, D, D, D, E}, nullptr},
      {"Help Contents",
       false,
       {D, D, D, D, D, E},
       [&] {
         ASSERT_EQ(seam.boxes.size(), 1u);
         EXPECT_EQ(seam.boxes[0].text, "The Velotune Help File does not exist.");
       }},
      {"Exit", false, {D, D, D, D, D, D, E}, [&] { EXPECT_TRUE(app->Terminated()); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    if (c.hiddenBefore && Shown()) form->BmpButton6Click(*form);
    if (!c.hiddenBefore && !Shown()) form->OpenNetworkClick();
    test::PutText(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1",
                  "http://example.com/");
    seam.boxes.clear();
    menuKeys.assign(c.keys.begin(), c.keys.end());
    SetTimer(app->Handle(), 91, 100, TypeMenuKey);
    SendIcon(WM_RBUTTONDOWN);  // returns once the menu has closed
    SendIcon(WM_RBUTTONUP);
    KillTimer(app->Handle(), 91);
    test::Pump();  // the chosen item runs from the loop
    if (std::string(c.item).rfind("Quick Jump ", 0) == 0) {
      const int page = c.item[11] - '0';
      EXPECT_TRUE(Shown());
      EXPECT_EQ(form->Pages().ActivePageIndex(), page - 1);
      EXPECT_TRUE(form->NavButton(page).Down());
      EXPECT_EQ(form->Get<ui::Label>("Label1").Text(), headers[page - 1]);
    }
    for (int n = 1; n <= 4; ++n)
      if (std::string(c.item) == LookupProfile(n).name) {
        EXPECT_TRUE(form->ProfileButton(n).Checked());
        EXPECT_EQ(Shown(), !c.hiddenBefore) << "the window stays as it was";
        ASSERT_FALSE(seam.boxes.empty());
        EXPECT_EQ(seam.boxes.back().text, kRestartQuestion);
      }
    if (c.check) c.check();
  }
}

TEST_F(TrayPresenceTest, ExitEndsTheProgram) {
  RunItem("Exit1");
  EXPECT_TRUE(app->Terminated());
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace velotune
