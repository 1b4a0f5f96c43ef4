// Runs that need administrator rights, from a window whose token has none:
// Wine gives every process a full administrator token, so the token and the
// elevation prompt are answered through the seam here.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/main_form.h"
#include "enhance/catalogue.h"
#include "main_window_fixture.h"
#include "netopt/optimization_run.h"
#include "platform/folders.h"
#include "platform/original_values.h"
#include "platform/settings.h"
#include "progress/screen.h"
#include "support/registry_sandbox.h"
#include "support/run_fixture.h"
#include "support/ui_fixture.h"
#include "widgets/bar_popup_menu.h"

namespace velotune {
namespace {

using test::ReadRaw;

constexpr const char* kSettingsKey = "Software\\Quorvane\\Velotune";
constexpr const char* kTcpip = "System\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const char* kMessengerKey = "SOFTWARE\\Microsoft\\Outlook Express";

class ElevationTest : public test::MainWindowTest {
 protected:
  TForm1& CreateLimited() {
    seam.elevated = false;
    return Create();
  }
  // The elevated copy as it behaves for real: the run in this registry (the
  // sandbox stands for the machine's), then a process that ends with `code`.
  void CopyRunsAndExits(DWORD code) {
    seam.onElevation = [this, code](const test::ElevationCall& call) {
      const CommandLine line = ParseCommandLine({call.params});
      EXPECT_EQ(line.kind, CommandLine::Run) << call.params;
      test::RecordingReport report;
      ranInCopy = EntryOf(line.request.command).run(line.request, report).done;
      return test::ProcessExitingWith(code);
    };
  }
  // The strip of a page's action button, as painted now.
  std::unique_ptr<ui::Surface> Strip(const char* panel) {
    auto& strip = F().Get<ui::WinControl>(panel);
    return test::RenderNow(strip, {0, 0, strip.Width(), strip.Height()});
  }
  bool ranInCopy = false;
};

TEST_F(ElevationTest, EachCommandAsksForRunasWithTheProgramsOwnPathAndSwitch) {
  CreateLimited();
  const struct {
    const char* what;
    std::function<void()> act;
    std::string params;
  } cases[] = {
      {"Optimize Now! with the second profile",
       [&] {
         F().ProfileButton(2).SetChecked(true);
         Click(Hwnd("BmpButton1"), 60, 17);
       },
       "--apply-profile=2"},
      {"the tray's fourth profile", [&] { F().ApplyProfileFromTray(4); }, "--apply-profile=4"},
      {"Apply Settings with the machine-wide tweak ticked",
       [&] {
         F().SelectPage(3);
         F().EnhancementBox(1).SetChecked(true);
         F().EnhancementBox(5).SetChecked(true);
         Click(Hwnd("BmpButton3"), 60, 17);
       },
       "--apply-enhancements=10001000000"},
  };
  for (const auto& c : cases) {
    seam.elevations.clear();
    seam.boxes.clear();
    c.act();
    ASSERT_EQ(seam.elevations.size(), 1u) << c.what;
    EXPECT_EQ(seam.elevations[0].verb, "runas") << c.what;
    EXPECT_EQ(seam.elevations[0].file, ProgramFilePath()) << c.what;
    EXPECT_EQ(seam.elevations[0].params, c.params) << c.what;
    EXPECT_EQ(seam.elevations[0].owner, F().Handle()) << c.what;
  }
}

TEST_F(ElevationTest, ADeclinedPromptWritesNothingStoresNothingAndAsksNothing) {
  CreateLimited();
  const auto before = test::SnapshotValues(HKEY_LOCAL_MACHINE);
  seam.elevationError = ERROR_CANCELLED;
  F().ApplyProfileFromTray(3);
  ASSERT_EQ(seam.elevations.size(), 1u);
  EXPECT_EQ(test::SnapshotValues(HKEY_LOCAL_MACHINE), before);
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset"));
  ASSERT_EQ(seam.boxes.size(), 1u) << "no restart question, no warning";
  EXPECT_EQ(seam.boxes[0].text, kDeclinedText);
  EXPECT_EQ(seam.boxes[0].caption, "Velotune");
  EXPECT_FALSE(progress->IsVisible());
  EXPECT_TRUE(seam.pauses.empty()) << "nothing ran here either";
}

TEST_F(ElevationTest, TheCopysEndDecidesBetweenRestartQuestionAndWarning) {
  CreateLimited();
  seam.boxAnswer = IDNO;

  // Ended 3: whatever it says, the warning, no mark and no restart question.
  seam.onElevation = [](const test::ElevationCall&) { return test::ProcessExitingWith(3); };
  F().ApplyProfileFromTray(3);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kNotAdministratorText);
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset"));
  EXPECT_EQ(F().Get<ui::Shape>("Shape1").BrushColor(), kNotApplied);

  // Ended 0 after writing the profile: marked applied, and the restart question.
  seam.boxes.clear();
  CopyRunsAndExits(0);
  F().ApplyProfileFromTray(3);
  EXPECT_TRUE(ranInCopy);
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL")->Number(), 64u);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset")->Number(), 3u);
  EXPECT_EQ(F().Get<ui::Shape>("Shape1").BrushColor(), kApplied);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kRestartQuestion);

  // Ended 0 but the registry does not hold the profile: read back, not believed.
  seam.boxes.clear();
  seam.onElevation = [](const test::ElevationCall&) { return test::ProcessExitingWith(0); };
  F().ApplyProfileFromTray(1);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kNotAdministratorText);
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset")->Number(), 3u);
}

TEST_F(ElevationTest, ApplySettingsAsksForRightsOnlyWhileTheMachineWideTweakMustChange) {
  test::PutNumber(HKEY_LOCAL_MACHINE, kMessengerKey, "Hide Messenger", 0);
  CreateLimited();
  F().SelectPage(3);
  F().EnhancementBox(4).SetChecked(true);
  EXPECT_FALSE(F().Get<ShieldMark>("Shield3").Visible());
  Click(Hwnd("BmpButton3"), 60, 17);
  EXPECT_TRUE(seam.elevations.empty());
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete",
                    "Append Completion")
                ->Text(),
            "yes");
  EXPECT_TRUE(seam.boxes.empty());

  // Ticking the machine-wide box brings the shield, and the copy does the run.
  F().EnhancementBox(1).SetChecked(true);
  EXPECT_TRUE(F().Get<ShieldMark>("Shield3").Visible());
  CopyRunsAndExits(0);
  Click(Hwnd("BmpButton3"), 60, 17);
  ASSERT_EQ(seam.elevations.size(), 1u);
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMessengerKey, "Hide Messenger")->Number(), 1u);
  EXPECT_TRUE(seam.boxes.empty());
  EXPECT_FALSE(F().Get<ShieldMark>("Shield3").Visible()) << "the registry now holds the tick";
}

TEST_F(ElevationTest, AnElevatedWindowRunsInItsOwnProcessAndShowsNoShield) {
  Create();  // elevated
  seam.boxAnswer = IDNO;
  F().EnhancementBox(1).SetChecked(true);
  EXPECT_FALSE(F().Get<ShieldMark>("Shield1").Visible());
  EXPECT_FALSE(F().Get<ShieldMark>("Shield3").Visible());
  F().ApplyProfileFromTray(2);
  F().BmpButton3Click(F());
  EXPECT_TRUE(seam.elevations.empty());
  EXPECT_EQ(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset")->Number(), 2u);
  EXPECT_EQ(ReadRaw(HKEY_LOCAL_MACHINE, kMessengerKey, "Hide Messenger")->Number(), 1u);
}

// The shield is painted beside the button while rights are missing, and the
// strip is exactly as before without it.
TEST_F(ElevationTest, ShieldIsDrawnBesideOptimizeNowOnlyWithoutRights) {
  Create();
  const auto plain = Strip("PicturePanel1");
  const RECT mark = F().Get<ShieldMark>("Shield1").BoundsRect();
  form.reset();
  progress.reset();
  CreateLimited();
  const auto shielded = Strip("PicturePanel1");
  int inside = 0, outside = 0;
  for (int y = 0; y < plain->height(); ++y)
    for (int x = 0; x < plain->width(); ++x) {
      const bool differs = plain->Pixel(x, y) != shielded->Pixel(x, y);
      const POINT p = {x, y};
      (PtInRect(&mark, p) ? inside : outside) += differs;
    }
  EXPECT_GT(inside, (mark.right - mark.left) * (mark.bottom - mark.top) / 4);
  EXPECT_EQ(outside, 0);
}

// The tray's profile items carry the shield in front of their captions.
TEST_F(ElevationTest, ShieldIsDrawnOnTheTrayProfileItemsOnlyWithoutRights) {
  auto drawItem = [&](const char* name) {
    auto& menu = F().PopupMenu1();
    ui::MenuItem& item = *menu.Items().Find(name);
    UINT w = 0, h = 0;
    HDC screen = GetDC(nullptr);
    menu.MeasureItem(item, screen, w, h);
    ReleaseDC(nullptr, screen);
    auto surface = std::make_unique<ui::Surface>(static_cast<int>(w), static_cast<int>(h));
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.hDC = surface->dc();
    draw.rcItem = {0, 0, static_cast<LONG>(w), static_cast<LONG>(h)};
    menu.DrawItem(item, draw);
    return surface;
  };
  const int size = GetSystemMetrics(SM_CXSMICON);
  const RECT icon = {TBarPopupMenu::kSubmenuTextIndent, (TBarPopupMenu::kItemHeight - size) / 2,
                     TBarPopupMenu::kSubmenuTextIndent + size,
                     (TBarPopupMenu::kItemHeight + size) / 2};
  auto iconPixels = [&](const ui::Surface& s) {
    int n = 0;
    for (int y = icon.top; y < icon.bottom; ++y)
      for (int x = icon.left; x < icon.right; ++x) n += s.PixelRgb(x, y) != GetSysColor(COLOR_MENU);
    return n;
  };
  Create();
  const auto plain = drawItem("HomeOfficeLAN1");
  form.reset();
  progress.reset();
  CreateLimited();
  for (const char* name : {"InternetDialup1", "ADSLDSLCableModem1", "HomeOfficeLAN1", "jjj"})
    EXPECT_GT(iconPixels(*drawItem(name)), size * size / 4) << name;
  // Where the icon now stands, the elevated item shows its caption's first letter at most.
  EXPECT_LT(iconPixels(*plain), size * size / 4);
  const auto shifted = drawItem("HomeOfficeLAN1");
  EXPECT_EQ(shifted->width(), plain->width() + size + TBarPopupMenu::kIconGap);
}

// ---- The way back from the tray

TEST_F(ElevationTest, RestoreWithNothingNotedSaysSoWithoutAskingForRights) {
  CreateLimited();
  F().RestoreOriginalSettings1Click();
  EXPECT_TRUE(seam.elevations.empty());
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kNothingToRestoreText);
}

TEST_F(ElevationTest, RestorePutsTheProfileBackAndForgetsItWasApplied) {
  Create();  // elevated: both runs in this process
  seam.boxAnswer = IDNO;
  const auto before = test::SnapshotValues(HKEY_LOCAL_MACHINE);
  F().EnhancementBox(1).SetChecked(true);
  F().BmpButton3Click(F());
  F().ApplyProfileFromTray(3);
  ASSERT_EQ(F().Get<ui::Shape>("Shape1").BrushColor(), kApplied);
  seam.boxes.clear();
  F().RestoreOriginalSettings1Click();
  EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL"));
  EXPECT_FALSE(ReadRaw(HKEY_LOCAL_MACHINE, kMessengerKey, "Hide Messenger"));
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset"));
  EXPECT_EQ(F().Get<ui::Shape>("Shape1").BrushColor(), kNotApplied) << "no profile is applied";
  EXPECT_FALSE(F().EnhancementBox(1).Checked()) << "the boxes are read back";
  EXPECT_EQ(progress->Label1().Text(), kRestoreTitle);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kRestartQuestion);
  // Our notes aside, the machine is as it was.
  auto after = test::SnapshotValues(HKEY_LOCAL_MACHINE);
  std::erase_if(after, [](const test::StoredValue& v) { return v.key.starts_with(kOriginalsPath); });
  EXPECT_EQ(after, before);
}

TEST_F(ElevationTest, ALimitedWindowRestoresThroughAnElevatedCopy) {
  Create();
  seam.boxAnswer = IDNO;
  F().ApplyProfileFromTray(2);  // noted and written with full rights
  form.reset();
  progress.reset();
  CreateLimited();
  seam.boxes.clear();
  CopyRunsAndExits(0);
  F().RestoreOriginalSettings1Click();
  ASSERT_EQ(seam.elevations.size(), 1u);
  EXPECT_EQ(seam.elevations[0].params, "--restore");
  EXPECT_TRUE(ranInCopy);
  EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kSettingsKey, "noset"));
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kRestartQuestion);

  // A copy that could not put everything back: the warning, no restart question.
  F().ApplyProfileFromTray(1);  // limited: this one goes to a copy as well
  seam.boxes.clear();
  seam.elevations.clear();
  seam.onElevation = [](const test::ElevationCall&) { return test::ProcessExitingWith(3); };
  F().RestoreOriginalSettings1Click();
  ASSERT_EQ(seam.elevations.size(), 1u);
  ASSERT_EQ(seam.boxes.size(), 1u);
  EXPECT_EQ(seam.boxes[0].text, kNotRestoredText);
}

}  // namespace
}  // namespace velotune
