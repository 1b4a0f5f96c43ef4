#include "app/main_form.h"

#include <gtest/gtest.h>

#include "app/window_region.h"
#include "eraser/tracks_eraser.h"
#include "main_window_fixture.h"
#include "platform/settings.h"
#include "progress/prg_wnd.h"
#include "progress/screen.h"
#include "support/registry_sandbox.h"
#include "support/seam_recorder.h"
#include "support/temp_folder.h"
#include "support/ui_fixture.h"
#include "widgets/bmp_button.h"

namespace velotune {
namespace {

using test::PutNumber;
using test::PutText;
using test::ReadRaw;

constexpr const char* kSettingsKey = "Software\\Quorvane\\Velotune";

class MainFormTest : public test::MainWindowTest {
 protected:
  ui::Shape& Bar() { return F().Get<ui::Shape>("Shape1"); }
};

// ---- Window, outline and navigation

TEST_F(MainFormTest, BorderlessWindowCutFromItsBackground) {
  Create();
  RECT client;
  GetClientRect(F().Handle(), &client);
  EXPECT_EQ(client.right, 550);
  EXPECT_EQ(client.bottom, 374);
  EXPECT_EQ(GetWindowLongA(F().Handle(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
  ui::UniqueRegion region(CreateRectRgn(0, 0, 0, 0));
  ASSERT_EQ(GetWindowRgn(F().Handle(), region), COMPLEXREGION);
  ui::UniqueRegion expected(
      BuildWindowRegion(F().Get<ui::Image>("Image1").GetPicture(), ui::Rgb(255, 0, 255)));
  EXPECT_TRUE(EqualRgn(region, expected));
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_TRUE(PtInRegion(region, 2, 0));
  // The header and page 1 at start.
  EXPECT_EQ(F().Get<ui::Label>("Label1").Text(), "Network Optimizations");
  EXPECT_EQ(F().Pages().ActivePageIndex(), 0);
  EXPECT_TRUE(F().NavButton(1).Down());
}

TEST_F(MainFormTest, NavigationButtonsSwitchPagesOnAnyPress) {
  Create();
  const struct {
    int button;
    UINT down, up;
    WPARAM keys;
    const char* header;
  } cases[] = {
      {3, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, "Enhancements"},
      {2, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, "Tracks Eraser"},
      {4, WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, "About Velotune"},
      {1, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, "Network Optimizations"},
  };
  for (const auto& c : cases) {
    HWND button = F().NavButton(c.button).Handle();
    SendMessageA(button, c.down, c.keys, MAKELPARAM(10, 10));
    SendMessageA(button, c.up, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(F().Pages().ActivePageIndex(), c.button - 1);
    EXPECT_EQ(F().Get<ui::Label>("Label1").Text(), c.header);
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(F().NavButton(n).Down(), n == c.button) << n;
    EXPECT_TRUE(IsWindowVisible(F().Pages().Page(c.button - 1)->Handle()));
  }
}

TEST_F(MainFormTest, OkOnTheAboutPageGoesBackToPageOne) {
  Create();
  F().SelectPage(4);
  ASSERT_EQ(F().Get<ui::Label>("Label1").Text(), "About Velotune");
  Click(Hwnd("BmpButton4"));
  EXPECT_EQ(F().Pages().ActivePageIndex(), 0);
  EXPECT_TRUE(F().NavButton(1).Down());
  EXPECT_FALSE(F().NavButton(4).Down());
  EXPECT_EQ(F().Get<ui::Label>("Label1").Text(), "Network Optimizations");
}

// Catches the system move the background starts, instead of running it.
int moves = 0;
WNDPROC formProc = nullptr;
LRESULT CALLBACK CatchMove(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SYSCOMMAND && wParam == 0xF012) {
    ++moves;
    return 0;
  }
  return CallWindowProcA(formProc, hwnd, msg, wParam, lParam);
}

TEST_F(MainFormTest, DraggingStartsOnlyForTheLeftButtonAloneOnTheBackgroundControls) {
  Create();
  formProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(F().Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CatchMove)));
  auto pageSheet = [&](int n) { return F().Pages().Page(n - 1)->Handle(); };
  const struct {
    const char* what;
    std::function<HWND()> window;
    int x, y;
    UINT msg;
    WPARAM keys;
    int moves;
  } cases[] = {
      {"background", [&] { return F().Handle(); }, 60, 320, WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"header", [&] { return F().Handle(); }, 450, 40, WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"with Shift", [&] { return F().Handle(); }, 60, 320, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT,
       0},
      {"with Ctrl", [&] { return F().Handle(); }, 60, 320, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL,
       0},
      {"right button", [&] { return F().Handle(); }, 60, 320, WM_RBUTTONDOWN, MK_RBUTTON, 0},
      {"double click", [&] { return F().Handle(); }, 60, 320, WM_LBUTTONDBLCLK, MK_LBUTTON, 0},
      {"both buttons", [&] { return F().Handle(); }, 60, 320, WM_LBUTTONDOWN,
       MK_LBUTTON | MK_RBUTTON, 0},
      {"page 1", [&] { return pageSheet(1); }, 370, 250, WM_LBUTTONDOWN, MK_LBUTTON, 1},
      {"page 1 strip", [&] { return Hwnd("PicturePanel1"); }, 250, 20, WM_LBUTTONDOWN, MK_LBUTTON,
       1},
      {"page 1 strip label", [&] { return Hwnd("PicturePanel1"); }, 20, 15, WM_LBUTTONDOWN,
       MK_LBUTTON, 1},
      {"page 2", [&] { return pageSheet(2); }, 370, 255, WM_LBUTTONDOWN, MK_LBUTTON, 0},
      {"page 2 strip", [&] { return Hwnd("PicturePanel2"); }, 250, 20, WM_LBUTTONDOWN, MK_LBUTTON,
       0},
      {"page 4", [&] { return pageSheet(4); }, 370, 200, WM_LBUTTONDOWN, MK_LBUTTON, 0},
  };
  for (const auto& c : cases) {
    moves = 0;
    if (std::string(c.what).starts_with("page 2")) F().SelectPage(2);
    if (std::string(c.what).starts_with("page 4")) F().SelectPage(4);
    if (std::string(c.what).starts_with("page 1")) F().SelectPage(1);
    SendMessageA(c.window(), c.msg, c.keys, MAKELPARAM(c.x, c.y));
    SendMessageA(c.window(), WM_LBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    SendMessageA(c.window(), WM_RBUTTONUP, 0, MAKELPARAM(c.x, c.y));
    EXPECT_EQ(moves, c.moves) << c.what;
  }
  SetWindowLongPtrA(F().Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(formProc));
}

TEST_F(MainFormTest, LicenceAndHelpFilesOpenOrWarn) {
  Create();
  test::TempFolder folder;
  F().SetFilesFolder(folder.path());
  folder.MakeFolder("license.txt");  // a folder of that name counts as missing
  F().Label21Click(F());
  F().HelpContents1Click();
  ASSERT_EQ(seam.boxes.size(), 2u);
  EXPECT_EQ(seam.boxes[0].text, "The Velotune License File does not exist.");
  EXPECT_EQ(seam.boxes[1].text, "The Velotune Help File does not exist.");
  for (const auto& box : seam.boxes) {
    EXPECT_EQ(box.caption, "Velotune");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(box.owner, F().Handle());
  }
  EXPECT_TRUE(seam.launches.empty());

  folder.MakeFile("velotunehelp.chm");
  F().HelpContents1Click();
  ASSERT_EQ(seam.launches.size(), 1u);
  EXPECT_EQ(seam.launches[0].verb, "open");
  EXPECT_EQ(seam.launches[0].file, folder / "velotunehelp.chm");
  EXPECT_EQ(seam.launches[0].show, SW_SHOW);
  EXPECT_FALSE(seam.launches[0].hasParams);
  EXPECT_FALSE(seam.launches[0].hasDir);
}

TEST_F(MainFormTest, MailAndWebLinks) {
  Create();
  bool show = true;
  F().TrayIcon1Startup(nullptr, show);  // assigns the web site address
  F().SelectPage(4);
  F().Label22Click(F());
  F().Label23Click(F());
  ASSERT_EQ(seam.launches.size(), 2u);
  EXPECT_EQ(seam.launches[0].file, "mailto:support@quorvane.example?subject=Velotune%202.0");
  EXPECT_EQ(seam.launches[1].file, "http://www.quorvane.example/");
  for (const auto& l : seam.launches) {
    EXPECT_EQ(l.verb, "open");
    EXPECT_EQ(l.show, SW_SHOWNORMAL);
  }
  EXPECT_EQ(F().Get<ui::LinkLabel>("Label22").Cursor(), ui::crHandPoint);
  EXPECT_EQ(ui::Application::Instance()->Cursor(ui::crHandPoint),
            LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
}

TEST_F(MainFormTest, AboutPageShowsTheVersion) {
  Create();
  EXPECT_EQ(F().Get<ui::Label>("Label17").Text(), "Version 2.0");
}

TEST_F(MainFormTest, StartupCentresWithTruncatingHalves) {
  Create();
  bool show = true;
  F().TrayIcon1Startup(nullptr, show);
  EXPECT_EQ(F().Left(), GetSystemMetrics(SM_CXSCREEN) / 2 - 275);
  EXPECT_EQ(F().Top(), GetSystemMetrics(SM_CYSCREEN) / 2 - 187);
  EXPECT_TRUE(show);  // the test program has no "-s"
}

// The program leaves the pages not shown without windows until they are first
// shown; every page must still look exactly as when everything is made at once.
TEST_F(MainFormTest, WindowAsTheProgramMakesItLooksTheSameOnEveryPage) {
  auto everyPage = [&] {
    std::vector<std::unique_ptr<ui::Surface>> shots;
    for (int n = 1; n <= 4; ++n) {
      F().SelectPage(n);
      shots.push_back(test::CaptureClient(F().Handle()));
    }
    return shots;
  };
  Create();
  const auto allAtOnce = everyPage();
  form.reset();
  progress.reset();
  Create(true);
  EXPECT_EQ(F().Pages().Page(1)->Handle(), nullptr);
  EXPECT_EQ(F().EraseBox(1).Handle(), nullptr);
  const auto deferred = everyPage();
  EXPECT_NE(F().EraseBox(1).Handle(), nullptr);
  for (int n = 0; n < 4; ++n)
    EXPECT_EQ(test::DifferentPixels(*allAtOnce[n], *deferred[n]), 0) << "page " << n + 1;
}

// The rows the pages build from the profile, eraser and enhancement tables:
// where each stands and what it says, trailing blanks included.
TEST_F(MainFormTest, TableRowsStandInTheirPlacesWithTheirTexts) {
  Create();
  const struct {
    const char* name;
    int left, top, width, height;
    const char* text;
  } rows[] = {
      {"But1", 4, 67, 142, 41, ""},
      {"But2", 4, 129, 142, 41, ""},
      {"But3", 4, 192, 142, 41, ""},
      {"But4", 4, 255, 142, 41, ""},
      {"Shape1", 0, 0, 383, 56, ""},
      {"Image2", 0, 0, 32, 32, ""},
      {"RB1", 39, 0, 290, 17, "Internet Dialup"},
      {"Label3", 57, 22, 298, 29,
       "For the systems which connected with Interned via Modem or ISDN."},
      {"Image3", 0, 67, 32, 32, ""},
      {"RB2", 39, 67, 290, 17, "ADSL, DSL, Cable Modem"},
      {"Label4", 57, 89, 298, 29,
       "For the systems which connected directly to the Internet. Permanent connections, cable "
       "modem or DSL."},
      {"Image4", 0, 134, 32, 32, ""},
      {"RB3", 39, 134, 290, 17, "Home, Office LAN"},
      {"Label5", 57, 156, 298, 29, "Small networks contains of less than 50 workstations."},
      {"Image5", 0, 201, 32, 32, ""},
      {"RB4", 39, 201, 290, 17, "T1, Satellite or Corporate LAN"},
      {"Label6", 57, 223, 298, 29,
       "For the great networks containing from 50-2000 workstations which include routers."},
      {"Label9", 0, 0, 88, 14, "Mozilla Firefox"},
      {"PicturePanel5", 88, 7, 296, 1, ""},
      {"Image6", 0, 19, 48, 38, ""},
      {"Image7", 9, 19, 32, 32, ""},
      {"IE_BOX1", 56, 19, 290, 17, "Erase Firefox Cookie Files"},
      {"IE_BOX2", 56, 39, 290, 17, "Erase Firefox Cache Information"},
      {"Label10", 0, 59, 103, 14, "Internet Explorer"},
      {"PicturePanel6", 103, 66, 281, 1, ""},
      {"Image8", 0, 78, 48, 38, ""},
      {"Image9", 9, 78, 32, 32, ""},
      {"IE_BOX3", 56, 78, 290, 17, "Erase Internet Explorer Cookie Files"},
      {"IE_BOX4", 56, 98, 290, 17, "Erase Internet Explorer Cache Information"},
      {"IE_BOX5", 56, 118, 290, 17, "Erase Recently Typed URL List from Browser"},
      {"Label8", 0, 138, 39, 14, "Opera"},
      {"PicturePanel7", 39, 145, 345, 1, ""},
      {"Image10", 0, 158, 48, 38, ""},
      {"Image11", 9, 158, 32, 32, ""},
      {"IE_BOX6", 56, 158, 290, 17, "Erase Opera Cookie Files"},
      {"IE_BOX7", 56, 178, 290, 17, "Erase Opera Cache Information"},
      {"Label7", 0, 198, 27, 14, "AOL"},
      {"PicturePanel8", 27, 205, 357, 1, ""},
      {"Image12", 0, 218, 48, 38, ""},
      {"Image13", 9, 218, 32, 32, ""},
      {"IE_BOX8", 56, 218, 290, 17, "Erase America Online Cache Files"},
      {"IE_BOX9", 56, 238, 290, 17, "Erase America Online Recently Typed Keywords"},
      {"Label11", 0, 0, 96, 14, "Outlook Express"},
      {"PicturePanel9", 96, 7, 288, 1, ""},
      {"Image14", 0, 19, 32, 32, ""},
      {"EN_BOX1", 56, 19, 290, 17, "Remove Windows Messenger from Outlook Express"},
      {"EN_BOX2", 56, 39, 290, 17, "Remove the Outlook Express Splash Screen"},
      {"EN_BOX3", 56, 59, 290, 17, "Use Smooth Scrolling in Outlook Express "},
      {"Label12", 0, 79, 103, 14, "Internet Explorer"},
      {"PicturePanel10", 103, 86, 281, 1, ""},
      {"Image15", 0, 98, 32, 32, ""},
      {"EN_BOX4", 56, 98, 290, 17, "Control the Auto Complete Mode"},
      {"EN_BOX5", 56, 118, 290, 17, "Increase the Max Number of HTTP Sessions Allowed"},
      {"EN_BOX6", 56, 138, 290, 17, "Use Personalized Favorites Menu"},
      {"EN_BOX7", 56, 158, 290, 17, "Show Friendly HTTP Error Messages"},
      {"EN_BOX8", 56, 178, 290, 17, "Disable Expanding Internet Explorer New Menu "},
      {"EN_BOX9", 56, 198, 290, 17, "Internet Explorer FTP Mode"},
      {"EN_BOX10", 56, 218, 290, 17, "Check for Internet Explorer Updates"},
      {"EN_BOX11", 56, 238, 290, 17, "Disable Internet Explorer Download Notification"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const ui::Control* c = F().Find(row.name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Left(), row.left);
    EXPECT_EQ(c->Top(), row.top);
    EXPECT_EQ(c->Width(), row.width);
    EXPECT_EQ(c->Height(), row.height);
    EXPECT_EQ(c->Text(), row.text);
  }
}

TEST_F(MainFormTest, ClosingButtonEndsTheProgram) {
  Create();
  auto* app = ui::Application::Instance();
  ASSERT_EQ(app->MainForm(), form.get());
  Click(Hwnd("BmpButton5"), 8, 7);
  EXPECT_TRUE(app->Terminated());
  EXPECT_FALSE(IsWindowVisible(F().Handle()));
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// ---- Restored choices

TEST_F(MainFormTest, FirstStartSelectsProfileOneUnappliedAndTicksEveryBox) {
  Create();
  EXPECT_TRUE(F().ProfileButton(1).Checked());
  EXPECT_EQ(Bar().BrushColor(), kNotApplied);
  EXPECT_EQ(Bar().Top(), 0);
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset"));
  for (int box = 1; box <= 9; ++box) {
    EXPECT_TRUE(F().EraseBox(box).Checked()) << box;
    EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "ie_box" + std::to_string(box))->Number(),
              1u);
  }
  for (int row = 1; row <= 11; ++row) EXPECT_FALSE(F().EnhancementBox(row).Checked()) << row;
  EXPECT_TRUE(test::KeyExists(HKEY_CURRENT_USER, "Identities"));
}

TEST_F(MainFormTest, AppliedProfileShowsGreenAndOtherSelectionsPink) {
  PutNumber(HKEY_CURRENT_USER, kSettingsKey, "noset", 3);
  Create();
  EXPECT_TRUE(F().ProfileButton(3).Checked());
  EXPECT_FALSE(F().ProfileButton(1).Checked());
  EXPECT_EQ(Bar().BrushColor(), kApplied);
  EXPECT_EQ(Bar().PenColor(), kApplied);
  EXPECT_EQ(Bar().Top(), 134);
  EXPECT_EQ(F().ProfileButton(3).GetColor(), kApplied);
  SendMessageA(F().ProfileButton(2).Handle(), BM_CLICK, 0, 0);  // the user picks row 2
  EXPECT_EQ(Bar().Top(), 67);
  EXPECT_EQ(Bar().BrushColor(), kNotApplied);
  EXPECT_EQ(F().ProfileButton(2).GetColor(), kNotApplied);
  EXPECT_EQ(F().ProfileButton(3).GetColor(), ui::clWhite);
  SendMessageA(F().ProfileButton(3).Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(Bar().BrushColor(), kApplied);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset")->Number(), 3u);
}

TEST_F(MainFormTest, UnknownOrTextProfileLeavesRowOneUnapplied) {
  for (int variant = 0; variant < 3; ++variant) {
    SCOPED_TRACE(variant);
    test::RegistrySandbox fresh;
    if (variant == 0) PutNumber(HKEY_CURRENT_USER, kSettingsKey, "noset", 7);
    if (variant == 1) PutNumber(HKEY_CURRENT_USER, kSettingsKey, "noset", 0);
    if (variant == 2) PutText(HKEY_CURRENT_USER, kSettingsKey, "noset", "3");
    Create();
    EXPECT_TRUE(F().ProfileButton(1).Checked());
    EXPECT_EQ(Bar().BrushColor(), kNotApplied);
    EXPECT_EQ(F().ProfileButton(1).GetColor(), kNotApplied);
    EXPECT_EQ(Bar().Top(), 0);
    form.reset();
    if (SettingsKey) RegCloseKey(SettingsKey);
    SettingsKey = nullptr;
  }
}

TEST_F(MainFormTest, EraseBoxesRestoreAndStoreEveryChange) {
  PutNumber(HKEY_CURRENT_USER, kSettingsKey, "ie_box4", 0);
  PutNumber(HKEY_CURRENT_USER, kSettingsKey, "ie_box5", 7);
  test::RegistryFaults counter;
  Create();
  EXPECT_FALSE(F().EraseBox(4).Checked());
  EXPECT_TRUE(F().EraseBox(5).Checked());
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "ie_box4")->Number(), 0u);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "ie_box5")->Number(), 1u);
  EXPECT_EQ(counter.writes, 8);  // every box but the unticked one
  SendMessageA(F().EraseBox(2).Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "ie_box2")->Number(), 0u);
}

TEST_F(MainFormTest, EnhancementBoxesShowTheStoredState) {
  PutText(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete",
          "Append Completion", "yes");
  PutNumber(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main", "NoUpdateCheck", 1);
  Create();
  for (int row = 1; row <= 11; ++row)
    EXPECT_EQ(F().EnhancementBox(row).Checked(), row == 4 || row == 10) << row;
}

// ---- The runs from the buttons

TEST_F(MainFormTest, ApplyingAProfileMarksItAppliedAndAsksToRestart) {
  Create();
  seam.boxAnswer = IDNO;
  bool progressShownAtBox = true;
  seam.onBox = [&](const test::MessageBoxCall&) { progressShownAtBox = progress->IsVisible(); };
  Click(Hwnd("BmpButton1"), 60, 17);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset")->Number(), 1u);
  EXPECT_EQ(Bar().BrushColor(), kApplied);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kRestartQuestion);
  EXPECT_EQ(seam.boxes[0].caption, "Velotune");
  EXPECT_EQ(seam.boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(seam.boxes[0].owner, F().Handle());
  EXPECT_FALSE(progressShownAtBox);
  EXPECT_EQ(progress->Label1().Text(), "Network Optimization");
  EXPECT_EQ(progress->Label2().Text(), "Internet Dialup");
  EXPECT_EQ(progress->Label3().Text(), "Completed.");
  EXPECT_EQ(
      ReadRaw(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Tcpip\\Parameters", "MTU")
          ->Number(),
      576u);
}

int restarts = 0;
TEST_F(MainFormTest, YesRestartsThroughTheSystem) {
  Create();
  restarts = 0;
  Sys().GetVersion = [] { return DWORD{0x80000000}; };  // the short branch
  Sys().ExitWindowsEx = [](UINT flags, DWORD) {
    EXPECT_EQ(flags, static_cast<UINT>(EWX_SHUTDOWN | EWX_REBOOT));
    ++restarts;
    return TRUE;
  };
  seam.boxAnswer = IDYES;
  F().BmpButton1Click(F());
  EXPECT_EQ(restarts, 1);
}

TEST_F(MainFormTest, RefusedProfileWritesWarnInsteadOfClaimingSuccess) {
  Create();
  test::RegistryFaults faults;
  faults.refuseCreateOf = "CurrentControlSet";
  F().ApplyProfileFromTray(3);
  EXPECT_TRUE(F().ProfileButton(3).Checked());
  EXPECT_EQ(Bar().Top(), 134);
  EXPECT_EQ(Bar().BrushColor(), kNotApplied);
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset"));
  ASSERT_EQ(seam.boxes.size(), 1u);  // the warning, and no restart question
  EXPECT_EQ(seam.boxes[0].text, kNotAdministratorText);
  EXPECT_EQ(seam.boxes[0].caption, "Velotune");
  EXPECT_EQ(seam.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
  EXPECT_EQ(seam.boxes[0].owner, F().Handle());
  EXPECT_EQ(progress->Label3().Text(), "Completed.");  // the run itself went its way
}

// A standard user re-applying the profile an administrator applied: every
// write is refused, yet the registry holds the profile, so it counts.
TEST_F(MainFormTest, RefusedWritesOfAProfileAlreadyHeldStillCount) {
  Create();
  seam.boxAnswer = IDNO;
  F().ApplyProfileFromTray(3);
  ASSERT_EQ(seam.boxes.size(), 1u);
  WriteAppliedProfile(1);  // as if another profile had been stored since
  seam.boxes.clear();
  test::RegistryFaults faults;
  faults.refuseCreateOf = "CurrentControlSet";  // no key under it opens for writing
  F().ApplyProfileFromTray(3);
  EXPECT_GT(faults.refusedCreates, 0);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset")->Number(), 3u);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kRestartQuestion);
  EXPECT_EQ(Bar().BrushColor(), kApplied);
}

TEST_F(MainFormTest, TrayProfileItemSelectsAndApplies) {
  Create();
  seam.boxAnswer = IDNO;
  F().ApplyProfileFromTray(3);
  EXPECT_TRUE(F().ProfileButton(3).Checked());
  EXPECT_FALSE(F().ProfileButton(1).Checked());
  EXPECT_EQ(Bar().Top(), 134);
  EXPECT_EQ(Bar().BrushColor(), kApplied);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset")->Number(), 3u);
  EXPECT_EQ(progress->Label2().Text(), "Home, Office LAN");
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kRestartQuestion);
}

TEST_F(MainFormTest, EraseWithNothingTickedSaysSo) {
  Create();
  for (int box = 1; box <= 9; ++box) F().EraseBox(box).SetChecked(false);
  bool shown = false;
  seam.onPause = [&](DWORD) { shown = true; };
  F().BmpButton2Click(F());
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, "No items are selected.");
  EXPECT_EQ(seam.boxes[0].caption, "Velotune");
  EXPECT_EQ(seam.boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_FALSE(shown);
  EXPECT_FALSE(progress->IsVisible());
}

std::vector<std::wstring> firefoxRuns;
std::vector<std::wstring> FakeProcesses() { return firefoxRuns; }

// Firefox runs while its cookie box and the Internet Explorer cookie box are
// ticked (Internet Explorer's location is empty in the sandbox, so nothing
// of this machine is touched).
TEST_F(MainFormTest, RunningBrowsersAreAskedAboutBeforeTheRun) {
  const std::string question = RunningBrowsersQuestion({true, false, false, false});
  const UINT asked = MB_CANCELTRYCONTINUE | MB_ICONWARNING;
  const struct {
    const char* name;
    std::vector<int> answers;  // one per question
    std::vector<std::string> texts;
    bool runs;
  } cases[] = {
      {"cancel does nothing", {IDCANCEL}, {question}, false},
      {"try again looks again", {IDTRYAGAIN, IDCANCEL}, {question, question}, false},
      {"closed meanwhile: the run goes on", {IDTRYAGAIN}, {question}, true},
      {"continue goes without it and says so",
       {IDCONTINUE},
       {question,
        "Not all tracks could be erased.\n\nErase Firefox Cookie Files: skipped because Firefox "
        "was running. Close Firefox and erase again."},
       true},
  };
  // Firefox's folders in a folder of the test's own, for the runs that reach them.
  test::TempFolder dir;
  for (const char* folder : {"AppData", "Local AppData"})
    PutText(HKEY_CURRENT_USER,
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders", folder,
            dir / folder);
  Create();
  Sys().UserProcessImages = FakeProcesses;
  for (int box = 1; box <= 9; ++box) F().EraseBox(box).SetChecked(box == 1 || box == 3);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    firefoxRuns = {L"firefox.exe"};
    seam.boxes.clear();
    size_t asks = 0;
    seam.onBox = [&](const test::MessageBoxCall& box) {
      if (box.type != asked) return;
      seam.boxAnswer = c.answers[asks++];
      // Closed while the question was up, unless asked again.
      if (asks == c.answers.size()) firefoxRuns.clear();
    };
    bool ran = false;
    seam.onPause = [&](DWORD) { ran = true; };
    F().BmpButton2Click(F());
    std::vector<std::string> texts;
    for (const auto& box : seam.boxes) {
      texts.push_back(box.text);
      EXPECT_EQ(box.caption, "Velotune");
      EXPECT_EQ(box.owner, F().Handle());
    }
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(ran, c.runs);
    for (const auto& box : seam.boxes)
      EXPECT_EQ(box.type, box.text == question ? asked : static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_FALSE(progress->IsVisible());
  }
}

TEST_F(MainFormTest, ApplyingEnhancementsWritesTheTicksAndWarnsWhenRefused) {
  Create();
  F().EnhancementBox(4).SetChecked(true);
  F().BmpButton3Click(F());
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete",
                    "Append Completion")
                ->Text(),
            "yes");
  EXPECT_EQ(progress->Label1().Text(), "Applying Enhancements");
  EXPECT_TRUE(seam.boxes.empty());
  EXPECT_FALSE(progress->IsVisible());
  EXPECT_TRUE(F().EnhancementBox(4).Checked());
  // Refused rewrites of rows that already hold the ticks take nothing away.
  test::RegistryFaults faults;
  faults.refuseCreateOf = "Outlook Express";
  F().BmpButton3Click(F());
  EXPECT_TRUE(seam.boxes.empty());
  // A tick the registry then does not hold is what the warning is for.
  F().EnhancementBox(2).SetChecked(true);
  F().BmpButton3Click(F());
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kNotAdministratorText);
  EXPECT_EQ(seam.boxes[0].owner, F().Handle());
}

}  // namespace
}  // namespace velotune
