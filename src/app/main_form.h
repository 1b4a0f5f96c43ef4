#pragma once
// The main window: borderless, skinned, four pages switched by the buttons on
// the left, and the tray icon with its menu.
#include <windows.h>

#include <iterator>
#include <memory>
#include <string>

#include "app/commands.h"
#include "netopt/profiles.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "widgets/shield_mark.h"

namespace velotune {

class TBarPopupMenu;
class TBmpButton;
class TPrgWnd;
class TTrayIcon;

inline constexpr const char* kSupportAddress = "support@quorvane.example";
inline constexpr const char* kWebSiteAddress = "http://www.quorvane.example/";

inline constexpr const char* kRestartQuestion =
    "Windows must be restarted so that all changes can take effect. Would you like to reboot now?";
inline constexpr const char* kNotAdministratorText =
    "Some settings could not be written. Velotune must be run as an administrator to change "
    "them.";
inline constexpr const char* kNothingToRestoreText =
    "Velotune has not changed any settings yet, so there is nothing to restore.";
inline constexpr const char* kNotRestoredText =
    "Some settings could not be put back. Velotune must be run as an administrator to change "
    "them.";
inline constexpr const char* kDeclinedText =
    "Velotune was not given administrator rights. Nothing was changed.";

// The highlight bar behind the selected profile: green when it is the applied one.
inline constexpr ui::Color kApplied = ui::Rgb(240, 255, 240);
inline constexpr ui::Color kNotApplied = ui::Rgb(255, 240, 240);
// Where each profile's row starts on the first page, the bar's place when it is selected.
inline constexpr int kProfileRowTop[kProfileCount] = {0, 67, 134, 201};

// The four pages in navigation order: each one's name, as the tray's Quick
// Jump gives it after its number, and the header shown while it is active.
struct PageTitle {
  const char* name;
  const char* header = nullptr;  // only where it says more than the name
  constexpr const char* Header() const { return header ? header : name; }
};
inline constexpr PageTitle kPages[] = {
    {"Network Optimizations"}, {"Tracks Eraser"}, {"Enhancements"}, {"About", "About Velotune"}};
inline constexpr int kPageCount = static_cast<int>(std::size(kPages));
// Each page's topic in the help file, opened by F1.
inline constexpr const char* kHelpTopics[kPageCount] = {"network.htm", "eraser.htm",
                                                        "enhancements.htm", "about.htm"};

class TForm1 : public ui::Form {
 public:
  TForm1();
  ~TForm1() override;

  // The progress window the runs report through (created after this window).
  void SetProgressWindow(TPrgWnd* window) { progress_ = window; }
  TPrgWnd* ProgressWindow() const { return progress_; }

  const std::string& WebSite() const { return webSite_; }
  // Where the licence and help files are looked for: the program's folder.
  void SetFilesFolder(std::string folder) { filesFolder_ = std::move(folder); }

  // Creation and start-up
  void FormCreate(ui::Control& sender);
  void TrayIcon1Startup(ui::Control* sender, bool& showMainForm);

  // Navigation
  void SelectPage(int n);
  void Image1MouseDown(ui::Control& sender, ui::MouseButton button, ui::Shift shift, int x, int y);
  void PageControl1Change(ui::Control& sender);
  void BmpButton4Click(ui::Control& sender);
  void BmpButton5Click(ui::Control& sender);
  void Exit1Click();

  // Links and files
  void Label21Click(ui::Control& sender);
  void Label22Click(ui::Control& sender);
  void Label23Click(ui::Control& sender);
  void HelpContents1Click();

  // Network optimization: the selection handlers RB1Click to RB4Click, the
  // apply button, and the tray's profile items
  void RBClick(int profile);
  void BmpButton1Click(ui::Control& sender);
  void ApplyProfileFromTray(int profile);
  // The tray's way back to the settings from before Velotune changed them.
  void RestoreOriginalSettings1Click();
  // Tracks eraser: IE_BOX1Click to IE_BOX9Click and the erase button
  void IE_BOXClick(int box);
  void BmpButton2Click(ui::Control& sender);
  // Enhancements: the apply button, and EN_BOX1Click to EN_BOX11Click
  void BmpButton3Click(ui::Control& sender);
  void EN_BOXClick();

  // Reads back what a run of another copy may have changed.
  void RefreshState();

  ui::RadioButton& ProfileButton(int n) const;
  ui::CheckBox& EraseBox(int box) const;
  ui::CheckBox& EnhancementBox(int row) const;

  // Tray presence
  void BmpButton6Click(ui::Control& sender);
  void OpenNetworkClick();
  void EraseTracks1Click();
  void JumpClick(int page);  // Jump1Click to Jump4Click
  TTrayIcon& TrayIcon1() const { return *tray_; }
  TBarPopupMenu& PopupMenu1() const { return *popup_; }

  TBmpButton& NavButton(int n) const;
  ui::PageControl& Pages() const;

  // Keyboard: the page keys (Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+1 to Ctrl+4), Esc
  // to the tray, Alt+F4 to close, F1 for the page's help topic. True when the
  // message was one of them and is done with.
  bool PageKey(const MSG& msg);
  // F1: the help file at the showing page's topic, or Help Contents' warning.
  void PageHelpClick();

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct RunResult {
    bool ran = false;   // false: refused, or another run is going on
    bool held = false;  // the run's own verdict (an elevated copy's exit code)
    std::string whatStayed = {};
  };
  // A run from the table, here or, when it needs rights this process lacks,
  // in an elevated copy.
  RunResult RunCommand(const CommandRequest& request);
  // The shields on the commands that will ask for administrator rights.
  void UpdateShields();
  EnhancementTicks EnhancementTicksShown() const;
  // What screen readers call the window and its picture buttons, and the key preview.
  void SetUpKeysAndNames();
  std::string FilesFolder() const;
  void BuildTray();
  void RestoreProfile();
  void RestoreEraseBoxes();
  void ReadEnhancementsBack();
  void WarnNotAdministrator();
  void AskToRestart();
  void OpenBesideProgram(const char* fileName, const char* missingText);

  TPrgWnd* progress_ = nullptr;
  std::string webSite_;
  std::string filesFolder_;
  std::unique_ptr<TBarPopupMenu> popup_;
  TTrayIcon* tray_ = nullptr;
  const bool elevated_;  // may write machine-wide values; asked once, at creation
  bool busy_ = false;  // an elevated copy is running for this window
  UniqueIcon menuShield_;
};

}  // namespace velotune
