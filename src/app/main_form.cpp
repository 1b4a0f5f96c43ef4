#include "app/main_form.h"

#include <algorithm>

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
#include "platform/settings.h"
#include "platform/startup_trace.h"
#include "platform/system_seam.h"
#include "platform/text.h"
#include "progress/prg_wnd.h"
#include "tray/tray_icon.h"
#include "ui/application.h"
#include "widgets/bar_popup_menu.h"
#include "widgets/bmp_button.h"

namespace velotune {

TForm1::TForm1() : ui::Form("Form1") {
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
  ArrangeTabOrder();
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

void TForm1::BmpButton5Click(ui::Control&) { Close(); }

void TForm1::Exit1Click() { Close(); }

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
  bar.SetTop(kProfileRowTop[n - 1]);
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
  RunInProgressWindow(*progress_, "Network Optimization", TitleFirst::After,
                      [&](RunReport& report) {
                        for (int n = 1; n <= kProfileCount; ++n) {
                          if (!ProfileButton(n).Checked()) continue;
                          report.SetDetail(std::string(LookupProfile(n).name));
                          ApplyConnectionProfile(n, report);
                          // A profile only counts as applied when the registry holds all of it.
                          if (ProfileHeld(n))
                            WriteAppliedProfile(n);
                          else
                            allHeld = false;
                          RBClick(n);
                        }
                      });
  if (!allHeld) {
    WarnNotAdministrator();
    return;
  }
  if (Sys().MessageBoxA(Handle(), kRestartQuestion, "Velotune", MB_YESNO | MB_ICONQUESTION) ==
      IDYES)
    ShutdownWindows("", false, true);
}

void TForm1::ApplyProfileFromTray(int n) {
  ProfileButton(n).SetChecked(true);
  BmpButton1Click(*this);
}

void TForm1::IE_BOXClick(int box) { WriteEraseBox(box, EraseBox(box).Checked()); }

void TForm1::RestoreEraseBoxes() {
  // Ticking an unticked box raises its click, which stores 1 for it.
  for (int box = 1; box <= kEraseBoxes; ++box) EraseBox(box).SetChecked(ReadEraseBox(box, 1) != 0);
}

void TForm1::BmpButton2Click(ui::Control&) {
  EraseChoices boxes{};
  for (int box = 1; box <= kEraseBoxes; ++box) boxes[box - 1] = EraseBox(box).Checked();
  if (std::none_of(boxes.begin(), boxes.end(), [](bool b) { return b; })) {
    Sys().MessageBoxA(Handle(), "No items are selected.", "Velotune", MB_OK | MB_ICONINFORMATION);
    return;
  }
  RunInProgressWindow(*progress_, "Erasing Tracks", TitleFirst::Before,
                      [&](RunReport& report) { RunTracksEraser(report, boxes); });
}

void TForm1::ReadEnhancementsBack() {
  const std::string identity = ReadIdentity();
  for (size_t row = 0; row < kEnhancements.size(); ++row)
    EnhancementBox(static_cast<int>(row) + 1)
        .SetChecked(ReadEnhancementState(kEnhancements[row], identity));
}

void TForm1::BmpButton3Click(ui::Control&) {
  EnhancementTicks ticks{};
  for (size_t row = 0; row < ticks.size(); ++row)
    ticks[row] = EnhancementBox(static_cast<int>(row) + 1).Checked();
  RunInProgressWindow(*progress_, "Applying Enhancements", TitleFirst::Before,
                      [&](RunReport& report) { ApplyEnhancements(report, ticks); });
  // Warn only when the registry does not hold what the user asked for: a
  // refused rewrite of a value that is already right takes nothing away.
  if (!EnhancementsHeld(ticks)) WarnNotAdministrator();
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
  for (int n = 1; n <= kProfileCount; ++n)
    profiles.Add(profileItems[n - 1], std::string(LookupProfile(n).name),
                 [this, n](ui::MenuItem&) { ApplyProfileFromTray(n); });
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
  HICON icon =
      static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "TRAYICON", IMAGE_ICON, 16, 16, 0));
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
