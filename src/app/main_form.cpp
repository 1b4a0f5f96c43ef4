#include "app/main_form.h"

#include <algorithm>

#include "app/elevation.h"
#include "app/erase_questions.h"
#include "app/main_form_layout.h"
#include "app/tray_animation.h"
#include "app/version.h"
#include "app/window_region.h"
#include "enhance/apply.h"
#include "enhance/catalogue.h"
#include "eraser/tracks_eraser.h"
#include "netopt/optimization_run.h"
#include "netopt/profiles.h"
#include "netopt/shutdown.h"
#include "platform/folders.h"
#include "platform/original_values.h"
#include "platform/settings.h"
#include "platform/startup_trace.h"
#include "platform/system_seam.h"
#include "platform/text.h"
#include "progress/prg_wnd.h"
#include "tray/tray_icon.h"
#include "ui/application.h"
#include "ui/dpi.h"
#include "widgets/bar_popup_menu.h"
#include "widgets/bmp_button.h"

namespace velotune {

TForm1::TForm1() : ui::Form("Form1"), elevated_(ProcessIsElevated()) {
  trace::Scope phase(trace::Phase::Controls);
  SetText("Form1");
  SetColor(ui::clWhite);
  SetFont(ui::FontSpec{});
  SetBounds(0, 0, 550, 374);
  Build(MainFormLayout(*this));
  NavButton(1).SetDown(true);
  Pages().SetActivePageIndex(0);
  BuildTray();
  SetUpKeysAndNames();
  OnCreate = [this](ui::Control& sender) { FormCreate(sender); };
}

TForm1::~TForm1() = default;

TBmpButton& TForm1::NavButton(int n) const { return Get<TBmpButton>("But" + std::to_string(n)); }

ui::PageControl& TForm1::Pages() const { return Get<ui::PageControl>("PageControl1"); }

void TForm1::FormCreate(ui::Control&) {
  {
    trace::Scope phase(trace::Phase::Registry);
    OpenSettingsKey();
  }
  {
    trace::Scope phase(trace::Phase::Outline);
    // From here on the system owns the region.
    SetWindowRgn(Handle(),
                 BuildWindowRegion(Get<ui::Image>("Image1").GetPicture(), ui::Rgb(255, 0, 255)),
                 TRUE);
  }
  trace::Scope phase(trace::Phase::Registry);
  RestoreProfile();
  RestoreEraseBoxes();
  ReadEnhancementsBack();
  UpdateShields();
  // A command-line run started with other rights may tell this window too.
  ChangeWindowMessageFilterEx(Handle(), StateChangedMessage(), MSGFLT_ALLOW, nullptr);
}

LRESULT TForm1::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == StateChangedMessage() && msg != 0) {
    RefreshState();
    return 0;
  }
  return ui::Form::WndProc(msg, wParam, lParam);
}

void TForm1::RefreshState() {
  const int applied = ReadAppliedProfile(0);
  if (applied >= 1 && applied <= kProfileCount) ProfileButton(applied).SetChecked(true);
  for (int n = 1; n <= kProfileCount; ++n)
    if (ProfileButton(n).Checked()) RBClick(n);
  ReadEnhancementsBack();
  UpdateShields();
}

void TForm1::UpdateShields() {
  Get<ShieldMark>("Shield1").SetVisible(!elevated_);
  Get<ShieldMark>("Shield3").SetVisible(
      !elevated_ && EntryOf(Command::ApplyEnhancements)
                        .needsAdministrator({.command = Command::ApplyEnhancements,
                                             .ticks = EnhancementTicksShown()}));
}

TForm1::RunResult TForm1::RunCommand(const CommandRequest& request) {
  RunResult result;
  if (busy_) return result;
  const CommandEntry& entry = EntryOf(request.command);
  if (!elevated_ && entry.needsAdministrator(request)) {
    busy_ = true;
    const ElevatedRun copy = RunElevatedCopy(Handle(), SwitchOf(request));
    busy_ = false;
    if (copy.outcome == ElevatedRun::Declined) {
      Sys().MessageBoxA(Handle(), kDeclinedText, "Velotune", MB_OK | MB_ICONINFORMATION);
      return result;
    }
    result.ran = true;
    result.held = copy.outcome == ElevatedRun::Exited && copy.exitCode == kExitDone;
    return result;
  }
  RunInProgressWindow(*progress_, entry.title, entry.titleFirst, [&](RunReport& report) {
    const CommandResult ended = entry.run(request, report);
    result.held = ended.done;
    result.whatStayed = ended.whatStayed;
  });
  result.ran = true;
  return result;
}

void TForm1::TrayIcon1Startup(ui::Control*, bool& showMainForm) {
  if (HCURSOR hand = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)))
    if (auto* app = ui::Application::Instance()) app->SetCursor(ui::crHandPoint, hand);
  webSite_ = kWebSiteAddress;
  // Each halving truncates on its own.
  SetBounds(GetSystemMetrics(SM_CXSCREEN) / 2 - Width() / 2,
            GetSystemMetrics(SM_CYSCREEN) / 2 - Height() / 2, Width(), Height());
  std::string first = CommandLineArgument(1);
  if (!first.empty()) CharLowerBuffA(first.data(), static_cast<DWORD>(first.size()));
  if (first == "-s") showMainForm = false;
}

void TForm1::SelectPage(int n) {
  if (n < 1 || n > kPageCount) return;
  NavButton(n).SetDown(true);
  Pages().SetActivePageIndex(n - 1);
  PageControl1Change(*this);
}

void TForm1::PageControl1Change(ui::Control&) {
  const int index = Pages().ActivePageIndex();
  if (index >= 0 && index < kPageCount) Get<ui::Label>("Label1").SetText(kPages[index].Header());
}

void TForm1::Image1MouseDown(ui::Control&, ui::MouseButton, ui::Shift shift, int, int) {
  // Only the left button alone: no keys, no other button, not a double click.
  if (shift != ui::ssLeft) return;
  ReleaseCapture();
  SendMessageA(Handle(), WM_SYSCOMMAND, 0xF012, 0);
}

void TForm1::BmpButton4Click(ui::Control&) { SelectPage(1); }

// Not while an elevated copy runs for this window: it waits for the copy's end.
void TForm1::BmpButton5Click(ui::Control&) {
  if (!busy_) Close();
}

void TForm1::Exit1Click() {
  if (!busy_) Close();
}

void TForm1::OpenBesideProgram(const char* fileName, const char* missingText) {
  const std::string path = FilesFolder() + fileName;
  if (FileExists(path))
    Sys().ShellExecuteW(Handle(), L"open", Widen(path).c_str(), nullptr, nullptr, SW_SHOW);
  else
    Sys().MessageBoxA(Handle(), missingText, "Velotune", MB_OK | MB_ICONWARNING);
}

void TForm1::Label21Click(ui::Control&) {
  OpenBesideProgram("license.txt", "The Velotune License File does not exist.");
}

void TForm1::HelpContents1Click() {
  OpenBesideProgram("velotunehelp.chm", "The Velotune Help File does not exist.");
}

void TForm1::Label22Click(ui::Control&) {
  const std::string mail =
      std::string("mailto:") + kSupportAddress + "?subject=Velotune%20" VELOTUNE_VERSION;
  Sys().ShellExecuteW(Handle(), L"open", Widen(mail).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TForm1::Label23Click(ui::Control&) {
  Sys().ShellExecuteW(Handle(), L"open", Widen(webSite_).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ui::RadioButton& TForm1::ProfileButton(int n) const {
  return Get<ui::RadioButton>("RB" + std::to_string(n));
}

ui::CheckBox& TForm1::EraseBox(int box) const {
  return Get<ui::CheckBox>("IE_BOX" + std::to_string(box));
}

ui::CheckBox& TForm1::EnhancementBox(int row) const {
  return Get<ui::CheckBox>(kEnhancements[row - 1].box);
}

void TForm1::RBClick(int n) {
  const ui::Color color = ReadAppliedProfile(0) == n ? kApplied : kNotApplied;
  auto& bar = Get<ui::Shape>("Shape1");
  bar.SetBrushColor(color);
  bar.SetPenColor(color);
  bar.SetTop(ui::ScaleToDpi(kProfileRowTop[n - 1], Dpi()));
  for (int other = 1; other <= kProfileCount; ++other)
    ProfileButton(other).SetColor(other == n ? color : ui::clWhite);
}

void TForm1::RestoreProfile() {
  const int applied = ReadAppliedProfile(1);
  if (applied < 1 || applied > kProfileCount) return;
  ProfileButton(applied).SetChecked(true);
  RBClick(applied);  // also for RB1, which is selected already
}

void TForm1::WarnNotAdministrator() {
  Sys().MessageBoxA(Handle(), kNotAdministratorText, "Velotune", MB_OK | MB_ICONWARNING);
}

void TForm1::BmpButton1Click(ui::Control&) {
  // Each button on its own, as a chain of tests rather than of alternatives.
  bool allHeld = true;
  for (int n = 1; n <= kProfileCount; ++n) {
    if (!ProfileButton(n).Checked()) continue;
    const RunResult run = RunCommand({.command = Command::ApplyProfile, .profile = n});
    if (!run.ran) return;
    // An elevated copy's word counts only as far as the registry holds the profile.
    if (run.held && ProfileHeld(n))
      WriteAppliedProfile(n);
    else
      allHeld = false;
    RBClick(n);
  }
  if (!allHeld) {
    WarnNotAdministrator();
    return;
  }
  AskToRestart();
}

void TForm1::ApplyProfileFromTray(int n) {
  ProfileButton(n).SetChecked(true);
  BmpButton1Click(*this);
}

void TForm1::AskToRestart() {
  if (Sys().MessageBoxA(Handle(), kRestartQuestion, "Velotune", MB_YESNO | MB_ICONQUESTION) ==
      IDYES)
    ShutdownWindows("", false, true);
}

void TForm1::RestoreOriginalSettings1Click() {
  // Known without rights: nothing to ask Windows for.
  if (!AnyOriginalRecorded()) {
    Sys().MessageBoxA(Handle(), kNothingToRestoreText, "Velotune", MB_OK | MB_ICONINFORMATION);
    return;
  }
  const RunResult run = RunCommand({.command = Command::Restore});
  if (!run.ran) return;
  RefreshState();
  if (!run.held) {
    Sys().MessageBoxA(Handle(), kNotRestoredText, "Velotune", MB_OK | MB_ICONWARNING);
    return;
  }
  AskToRestart();  // the network values take effect only then, as after a profile
}

void TForm1::IE_BOXClick(int box) { WriteEraseBox(box, EraseBox(box).Checked()); }

void TForm1::RestoreEraseBoxes() {
  // Ticking an unticked box raises its click, which stores 1 for it.
  for (int box = 1; box <= kEraseBoxes; ++box) EraseBox(box).SetChecked(ReadEraseBox(box, 1) != 0);
}

void TForm1::BmpButton2Click(ui::Control&) {
  if (busy_) return;  // from the tray, while an elevated copy runs: no questions either
  EraseChoices boxes{};
  for (int box = 1; box <= kEraseBoxes; ++box) boxes[box - 1] = EraseBox(box).Checked();
  if (std::none_of(boxes.begin(), boxes.end(), [](bool b) { return b; })) {
    Sys().MessageBoxA(Handle(), "No items are selected.", "Velotune", MB_OK | MB_ICONINFORMATION);
    return;
  }
  const std::optional<BrowserSet> skip = AskAboutRunningBrowsers(Handle(), boxes);
  if (!skip) return;
  const RunResult run = RunCommand({.command = Command::Erase, .boxes = boxes, .skipBrowsers = skip});
  if (run.ran && !run.whatStayed.empty())
    Sys().MessageBoxA(Handle(), run.whatStayed.c_str(), "Velotune", MB_OK | MB_ICONWARNING);
}

void TForm1::ReadEnhancementsBack() {
  const std::string identity = ReadIdentity();
  for (size_t row = 0; row < kEnhancements.size(); ++row)
    EnhancementBox(static_cast<int>(row) + 1)
        .SetChecked(ReadEnhancementState(kEnhancements[row], identity));
}

EnhancementTicks TForm1::EnhancementTicksShown() const {
  EnhancementTicks ticks{};
  for (size_t row = 0; row < ticks.size(); ++row)
    ticks[row] = EnhancementBox(static_cast<int>(row) + 1).Checked();
  return ticks;
}

void TForm1::EN_BOXClick() { UpdateShields(); }

void TForm1::BmpButton3Click(ui::Control&) {
  const EnhancementTicks ticks = EnhancementTicksShown();
  const RunResult run = RunCommand({.command = Command::ApplyEnhancements, .ticks = ticks});
  if (!run.ran) return;
  // Warn only when the registry does not hold what the user asked for: a
  // refused rewrite of a value that is already right takes nothing away.
  if (!run.held || !EnhancementsHeld(ticks)) WarnNotAdministrator();
  UpdateShields();
}

void TForm1::BuildTray() {
  trace::Scope phase(trace::Phase::Tray);
  popup_ = std::make_unique<TBarPopupMenu>("PopupMenu1");
  auto& items = popup_->Items();
  items.Add("OpenNetwork", "&Open Velotune", [this](ui::MenuItem&) { OpenNetworkClick(); })
      .SetDefault(true);
  items.Add("MenuItem1", "-");
  auto& profiles = items.Add("NetworkOptimizations1", kPages[0].name);
  const char* profileItems[] = {"InternetDialup1", "ADSLDSLCableModem1", "HomeOfficeLAN1", "jjj"};
  // Each profile will ask for administrator rights when this process has none.
  if (!elevated_) menuShield_ = LoadShieldIcon();
  for (int n = 1; n <= kProfileCount; ++n)
    profiles
        .Add(profileItems[n - 1], std::string(LookupProfile(n).name),
             [this, n](ui::MenuItem&) { ApplyProfileFromTray(n); })
        .SetIcon(menuShield_);
  profiles.Add("N5", "-");
  profiles
      .Add("RestoreOriginalSettings1", kRestoreTitle,
           [this](ui::MenuItem&) { RestoreOriginalSettings1Click(); })
      .SetIcon(menuShield_);
  items.Add("EraseTracks1", "Erase Tracks", [this](ui::MenuItem&) { EraseTracks1Click(); });
  items.Add("N3", "-");
  auto& jumps = items.Add("QuickJump1", "&Quick Jump");
  for (int n = 1; n <= kPageCount; ++n)
    jumps.Add("Jump" + std::to_string(n), "&" + std::to_string(n) + ". " + kPages[n - 1].name,
              [this, n](ui::MenuItem&) { JumpClick(n); });
  items.Add("N4", "-");
  items.Add("HelpContents1", "&Help Contents", [this](ui::MenuItem&) { HelpContents1Click(); })
      .SetShortcutText("F1");
  items.Add("N1", "-");
  items.Add("Exit1", "E&xit", [this](ui::MenuItem&) { Exit1Click(); });

  auto tray = std::make_unique<TTrayIcon>(this, "TrayIcon1");
  tray_ = tray.get();
  AddComponent(std::move(tray));
  // The notification area shows small icons of the system's DPI.
  const int iconSize = ui::SmallIconSize(ui::SystemDpi());
  HICON icon = static_cast<HICON>(
      LoadImageA(GetModuleHandleA(nullptr), "TRAYICON", IMAGE_ICON, iconSize, iconSize, 0));
  tray_->SetIcon(icon);  // keeps its own copy
  if (icon) DestroyIcon(icon);
  tray_->SetHint("Velotune");
  tray_->SetIconVisible(true);
  tray_->SetDeferShellUntilShown(true);
  tray_->SetPopupMenu(popup_.get());
  tray_->SetMinimizeToTray(true);
  tray_->OnStartup = [this](TTrayIcon&, bool& showMainForm) {
    TrayIcon1Startup(nullptr, showMainForm);
  };
}

void TForm1::OpenNetworkClick() {
  if (IsVisible()) return;
  AnimateFromTray(Handle());
  tray_->ShowMainWindow();
  // Brings back the task bar button.
  HWND app = ui::Application::Instance()->Handle();
  SetWindowLongA(app, GWL_EXSTYLE, 0);
  ShowWindow(app, SW_SHOW);
}

void TForm1::BmpButton6Click(ui::Control&) {
  AnimateToTray(Handle());
  tray_->HideMainWindow();
}

void TForm1::EraseTracks1Click() { BmpButton2Click(*this); }

void TForm1::JumpClick(int page) {
  OpenNetworkClick();
  SelectPage(page);
}

}  // namespace velotune
