// The main window by keyboard and to a screen reader: the tab order of every
// page, the page keys, Esc, Alt+F4, F1, keys on boxes and buttons, and the
// names, roles and states of every control.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "main_window_fixture.h"
#include "platform/settings.h"
#include "support/keys.h"
#include "support/temp_folder.h"
#include "widgets/bmp_button.h"

namespace velotune {
namespace {

using test::Accessible;
using test::PressKey;

constexpr const char* kSettingsKey = "Software\\Quorvane\\Velotune";

// What the shell was asked to open, parameters included.
struct Launch {
  std::wstring verb, file, params;
};
std::vector<Launch> launches;
HINSTANCE WINAPI RecordLaunch(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR params, LPCWSTR, INT) {
  launches.push_back({verb ? verb : L"", file ? file : L"", params ? params : L""});
  return reinterpret_cast<HINSTANCE>(33);
}

class MainKeysTest : public test::MainWindowTest {
 protected:
  TForm1& Start() {
    TForm1& f = Create(true);  // as the program makes it: later pages made when first shown
    SetForegroundWindow(f.Handle());
    f.Activate();
    test::Pump();
    return f;
  }
  // The name of the control whose window has the focus.
  std::string Focused() {
    const HWND focus = GetFocus();
    std::vector<std::string> names = {"BmpButton1", "BmpButton2", "BmpButton3",
                                      "BmpButton4", "BmpButton5", "BmpButton6"};
    for (int n = 1; n <= 4; ++n) names.push_back("But" + std::to_string(n));
    for (int n = 1; n <= 4; ++n) names.push_back("RB" + std::to_string(n));
    for (int n = 1; n <= 9; ++n) names.push_back("IE_BOX" + std::to_string(n));
    for (int n = 1; n <= 11; ++n) names.push_back("EN_BOX" + std::to_string(n));
    for (const char* link : {"Label21", "Label22", "Label23"}) names.push_back(link);
    for (const auto& name : names)
      if (auto* c = dynamic_cast<ui::WinControl*>(F().Find(name)); c && c->Handle() == focus)
        return name;
    return focus == F().Handle() ? "the window" : "elsewhere";
  }
  // Tab from the window itself until the focus comes round again.
  std::vector<std::string> TabCycle(std::initializer_list<int> held = {}) {
    SetFocus(F().Handle());
    std::vector<std::string> order;
    for (int i = 0; i < 40; ++i) {
      PressKey(VK_TAB, held);
      const std::string now = Focused();
      if (!order.empty() && now == order.front()) break;
      order.push_back(now);
    }
    return order;
  }
};

std::vector<std::string> Numbered(const std::string& stem, int count) {
  std::vector<std::string> names;
  for (int n = 1; n <= count; ++n) names.push_back(stem + std::to_string(n));
  return names;
}

TEST_F(MainKeysTest, TabVisitsThePageThenTheSideAndWindowButtonsAndWraps) {
  Start();
  const std::vector<std::string> tail = {"But1", "But2",       "But3",
                                         "But4", "BmpButton6", "BmpButton5"};
  auto with = [&](std::vector<std::string> page) {
    page.insert(page.end(), tail.begin(), tail.end());
    return page;
  };
  std::vector<std::string> eraser = Numbered("IE_BOX", 9), enhancements = Numbered("EN_BOX", 11);
  eraser.push_back("BmpButton2");
  enhancements.push_back("BmpButton3");
  const std::vector<std::string> pages[] = {with({"RB1", "BmpButton1"}), with(eraser),
                                            with(enhancements),
                                            // e-mail, web site, licence, OK
                                            with({"Label22", "Label23", "Label21", "BmpButton4"})};
  for (int page = 1; page <= kPageCount; ++page) {
    SCOPED_TRACE(kPages[page - 1].name);
    F().SelectPage(page);
    EXPECT_EQ(TabCycle(), pages[page - 1]);
    std::vector<std::string> back(pages[page - 1].rbegin(), pages[page - 1].rend());
    EXPECT_EQ(TabCycle({VK_SHIFT}), back);
  }
  // The radio group is one stop, at the selected profile.
  F().ProfileButton(3).SetChecked(true);
  F().SelectPage(1);
  EXPECT_EQ(TabCycle().front(), "RB3");
}

TEST_F(MainKeysTest, PageKeysSwitchPagesAsTheSideButtonsDo) {
  Start();
  const struct {
    WPARAM key;
    std::initializer_list<int> held;
    int page;
  } steps[] = {{VK_TAB, {VK_CONTROL}, 2},
               {VK_TAB, {VK_CONTROL}, 3},
               {VK_TAB, {VK_CONTROL}, 4},
               {VK_TAB, {VK_CONTROL}, 1},
               {VK_TAB, {VK_CONTROL, VK_SHIFT}, 4},
               {VK_TAB, {VK_CONTROL, VK_SHIFT}, 3},
               {'1', {VK_CONTROL}, 1},
               {'4', {VK_CONTROL}, 4},
               {'2', {VK_CONTROL}, 2},
               {'5', {VK_CONTROL}, 2}};
  SetFocus(Hwnd("But1"));
  for (const auto& step : steps) {
    PressKey(step.key, step.held);
    EXPECT_EQ(F().Pages().ActivePageIndex(), step.page - 1) << step.key;
    for (int n = 1; n <= kPageCount; ++n) EXPECT_EQ(F().NavButton(n).Down(), n == step.page);
    EXPECT_EQ(F().Get<ui::Label>("Label1").Text(), kPages[step.page - 1].Header());
  }
}

TEST_F(MainKeysTest, APageKeyTakesTheFocusFromTheOldPageToTheNewOne) {
  Start();
  F().SelectPage(2);
  SetFocus(Hwnd("IE_BOX4"));
  PressKey(VK_TAB, {VK_CONTROL});
  EXPECT_EQ(Focused(), "EN_BOX1");
  PressKey('4', {VK_CONTROL});
  EXPECT_EQ(Focused(), "Label22");
  // OK on the About page goes to page 1, and the focus with it.
  SetFocus(Hwnd("BmpButton4"));
  PressKey(VK_RETURN);
  EXPECT_EQ(F().Pages().ActivePageIndex(), 0);
  EXPECT_EQ(Focused(), "RB1");
}

TEST_F(MainKeysTest, SpaceOnABoxStoresItAndOnASideButtonSwitchesThePage) {
  Start();
  F().SelectPage(2);
  ASSERT_TRUE(F().EraseBox(3).Checked());
  SetFocus(Hwnd("IE_BOX3"));
  PressKey(VK_SPACE);
  test::Pump();
  EXPECT_FALSE(F().EraseBox(3).Checked());
  const auto stored = test::ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "ie_box3");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->Number(), 0u);
  SetFocus(Hwnd("But3"));
  PressKey(VK_SPACE);
  EXPECT_EQ(F().Pages().ActivePageIndex(), 2);
  EXPECT_TRUE(F().NavButton(3).Down());
}

TEST_F(MainKeysTest, ArrowsSelectTheProfileAndMoveTheBar) {
  Start();
  SetFocus(Hwnd("RB1"));
  PressKey(VK_DOWN);
  EXPECT_EQ(Focused(), "RB2");
  EXPECT_TRUE(F().ProfileButton(2).Checked());
  EXPECT_EQ(F().Get<ui::Shape>("Shape1").Top(), kProfileRowTop[1]);
  PressKey(VK_UP);
  PressKey(VK_UP);
  EXPECT_EQ(Focused(), "RB4");
  EXPECT_EQ(F().Get<ui::Shape>("Shape1").Top(), kProfileRowTop[3]);
}

TEST_F(MainKeysTest, EnterOnAnActionButtonStartsItsRun) {
  Start();
  F().SelectPage(3);
  SetFocus(Hwnd("BmpButton3"));
  PressKey(VK_RETURN);
  // The enhancements run: a paced step per tweak and the closing pauses.
  EXPECT_GE(seam.pauses.size(), 11u);
  EXPECT_FALSE(progress->IsVisible());

  F().SelectPage(1);
  seam.boxAnswer = IDNO;  // never the real restart
  SetFocus(Hwnd("BmpButton1"));
  PressKey(VK_RETURN);
  EXPECT_EQ(ReadAppliedProfile(0), 1);
  ASSERT_FALSE(seam.boxes.empty());
  EXPECT_EQ(seam.boxes.back().text, kRestartQuestion);
}

TEST_F(MainKeysTest, EscapeSendsTheWindowToTheTrayAndTheFocusComesBack) {
  Start();
  F().SelectPage(3);
  SetFocus(Hwnd("EN_BOX5"));
  PressKey(VK_ESCAPE);
  EXPECT_FALSE(F().IsVisible());
  EXPECT_FALSE(IsWindowVisible(app->Handle())) << "no task bar button";
  EXPECT_EQ(F().Pages().ActivePageIndex(), 2);
  F().OpenNetworkClick();
  test::Pump();
  EXPECT_TRUE(F().IsVisible());
  EXPECT_EQ(Focused(), "EN_BOX5");
}

TEST_F(MainKeysTest, AltF4ClosesAsTheCloseButtonDoes) {
  Start();
  SetFocus(Hwnd("But2"));
  PressKey(VK_F4, {VK_MENU});
  EXPECT_TRUE(app->Terminated());
  EXPECT_FALSE(IsWindowVisible(F().Handle()));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainKeysTest, F1OpensTheShowingPagesHelpTopicOrWarnsAsHelpContentsDoes) {
  Start();
  test::TempFolder folder;
  F().SetFilesFolder(folder.path());
  SetFocus(Hwnd("But1"));
  PressKey(VK_F1);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, "The Velotune Help File does not exist.");
  EXPECT_EQ(seam.boxes[0].caption, "Velotune");
  EXPECT_EQ(seam.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
  EXPECT_TRUE(seam.launches.empty());

  folder.MakeFile("velotunehelp.chm");
  launches.clear();
  Sys().ShellExecuteW = RecordLaunch;
  const std::wstring chm =
      std::wstring(folder.path().begin(), folder.path().end()) + L"velotunehelp.chm";
  const wchar_t* topics[] = {L"network.htm", L"eraser.htm", L"enhancements.htm", L"about.htm"};
  for (int page = 1; page <= kPageCount; ++page) {
    F().SelectPage(page);
    PressKey(VK_F1);
    ASSERT_EQ(launches.size(), static_cast<size_t>(page));
    EXPECT_EQ(launches.back().verb, L"open");
    EXPECT_EQ(launches.back().file, L"hh.exe");
    EXPECT_EQ(launches.back().params, L"\"" + chm + L"::/" + topics[page - 1] + L"\"");
  }
  EXPECT_EQ(seam.boxes.size(), 1u);
}

TEST_F(MainKeysTest, EveryPageHasItsHelpTopicInTheHelpSources) {
  for (const char* topic : kHelpTopics) {
    const std::string path = std::string(VELOTUNE_TEST_DATA_DIR) + "/../help/" + topic;
    EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
  }
}

TEST_F(MainKeysTest, EveryControlTellsAScreenReaderWhatItShows) {
  Start();
  const struct {
    const char* control;
    const char* name;
    LONG role;
    LONG state;  // flags expected set
  } cases[] = {
      {"But1", "Network Optimizations", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_PRESSED},
      {"But2", "Tracks Eraser", ROLE_SYSTEM_PUSHBUTTON, 0},
      {"But3", "Enhancements", ROLE_SYSTEM_PUSHBUTTON, 0},
      {"But4", "About", ROLE_SYSTEM_PUSHBUTTON, 0},
      {"BmpButton1", "Optimize Now!", ROLE_SYSTEM_PUSHBUTTON, 0},
      {"BmpButton5", "Close", ROLE_SYSTEM_PUSHBUTTON, 0},
      {"BmpButton6", "Minimize to notification area", ROLE_SYSTEM_PUSHBUTTON, 0},
      {"RB1", "Internet Dialup", ROLE_SYSTEM_RADIOBUTTON, STATE_SYSTEM_CHECKED},
      {"RB4", "T1, Satellite or Corporate LAN", ROLE_SYSTEM_RADIOBUTTON, 0},
  };
  for (const auto& c : cases) {
    Accessible a(Hwnd(c.control));
    ASSERT_NE(a.object, nullptr) << c.control;
    EXPECT_EQ(a.Name(), c.name);
    EXPECT_EQ(a.Role(), c.role) << c.control;
    EXPECT_EQ(a.State() & (STATE_SYSTEM_PRESSED | STATE_SYSTEM_CHECKED), c.state) << c.control;
  }
  EXPECT_EQ(Accessible(Hwnd("BmpButton1")).DefaultAction(), "Press");
  // The later pages, once shown.
  const struct {
    int page;
    const char* control;
    const char* name;
    LONG role;
  } later[] = {{2, "BmpButton2", "Erase Now!", ROLE_SYSTEM_PUSHBUTTON},
               {2, "IE_BOX1", "Erase Firefox Cookie Files", ROLE_SYSTEM_CHECKBUTTON},
               {3, "BmpButton3", "Apply Settings", ROLE_SYSTEM_PUSHBUTTON},
               {3, "EN_BOX6", "Use Personalized Favorites Menu", ROLE_SYSTEM_CHECKBUTTON},
               {4, "BmpButton4", "OK", ROLE_SYSTEM_PUSHBUTTON},
               {4, "Label22", "support@quorvane.example", ROLE_SYSTEM_LINK},
               {4, "Label23", "http://www.quorvane.example/", ROLE_SYSTEM_LINK},
               {4, "Label21", "License Agreement", ROLE_SYSTEM_LINK}};
  for (const auto& c : later) {
    F().SelectPage(c.page);
    Accessible a(Hwnd(c.control));
    ASSERT_NE(a.object, nullptr) << c.control;
    EXPECT_EQ(a.Name(), c.name);
    EXPECT_EQ(a.Role(), c.role) << c.control;
  }
  // The pressed side button follows the page.
  EXPECT_TRUE(Accessible(Hwnd("But4")).State() & STATE_SYSTEM_PRESSED);
  EXPECT_FALSE(Accessible(Hwnd("But1")).State() & STATE_SYSTEM_PRESSED);
  // The window: its title, whatever its text.
  for (LONG id : {OBJID_CLIENT, OBJID_WINDOW}) {
    Accessible a(F().Handle(), id);
    ASSERT_NE(a.object, nullptr);
    EXPECT_EQ(a.Name(), "Velotune");
  }
  EXPECT_EQ(F().Text(), "Form1");
}

// The About page's links open what they show, by Enter, by Space and by a
// screen reader's action, as a click on them does.
TEST_F(MainKeysTest, TheAboutPagesLinksOpenByKeyAndByAScreenReader) {
  Start();
  test::TempFolder folder;
  F().SetFilesFolder(folder.path());
  Sys().ShellExecuteW = RecordLaunch;
  launches.clear();
  F().SelectPage(4);
  SetFocus(Hwnd("Label22"));
  PressKey(VK_RETURN);
  ASSERT_EQ(launches.size(), 1u);
  EXPECT_EQ(launches[0].file, L"mailto:support@quorvane.example?subject=Velotune%202.0");
  EXPECT_EQ(F().Pages().ActivePageIndex(), 3) << "Enter on a link is not the OK button's";
  PressKey(VK_TAB);
  EXPECT_EQ(Focused(), "Label23");
  PressKey(VK_SPACE);
  ASSERT_EQ(launches.size(), 2u);
  EXPECT_EQ(launches[1].file, L"http://www.quorvane.example/");

  PressKey(VK_TAB);
  EXPECT_EQ(Focused(), "Label21");
  PressKey(VK_RETURN);  // no licence file beside the program: its warning
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, "The Velotune License File does not exist.");

  Accessible a(Hwnd("Label23"));
  ASSERT_NE(a.object, nullptr);
  EXPECT_EQ(a.DefaultAction(), "Jump");
  EXPECT_EQ(a.object->accDoDefaultAction(Accessible::Child(CHILDID_SELF)), S_OK);
  test::Pump();
  ASSERT_EQ(launches.size(), 3u);
  EXPECT_EQ(launches[2].file, L"http://www.quorvane.example/");
}

TEST_F(MainKeysTest, APushButtonsDefaultActionClicksIt) {
  Start();
  Accessible a(Hwnd("But3"));
  ASSERT_NE(a.object, nullptr);
  EXPECT_EQ(a.object->accDoDefaultAction(Accessible::Child(CHILDID_SELF)), S_OK);
  test::Pump();
  EXPECT_EQ(F().Pages().ActivePageIndex(), 2);
}

}  // namespace
}  // namespace velotune
