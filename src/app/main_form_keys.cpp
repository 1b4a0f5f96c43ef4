// The main window by keyboard and to screen readers: the page keys, Esc, F1,
// Alt+F4, and the names of the picture buttons.
#include <windows.h>

#include "app/main_form.h"
#include "platform/folders.h"
#include "platform/system_seam.h"
#include "platform/text.h"
#include "widgets/bmp_button.h"

namespace velotune {
namespace {

// What each picture button's artwork reads.
constexpr const char* kActionNames[] = {"Optimize Now!", "Erase Now!", "Apply Settings", "OK"};

}  // namespace

std::string TForm1::FilesFolder() const {
  return filesFolder_.empty() ? ProgramFolder() : filesFolder_;
}

void TForm1::SetUpKeysAndNames() {
  // The window's text stays the layout's; Alt+Tab and the task bar show the
  // application's title, and so does a screen reader.
  SetAccessibleName("Velotune");
  for (int n = 1; n <= kPageCount; ++n) {
    // A mouse press switches the page before the button goes down, so only a
    // press by keyboard (Space, Enter) or a screen reader's action clicks it.
    NavButton(n).OnClick = [this, n](ui::Control&) { SelectPage(n); };
    NavButton(n).SetAccessibleName(kPages[n - 1].name);
    Get<TBmpButton>("BmpButton" + std::to_string(n)).SetAccessibleName(kActionNames[n - 1]);
  }
  Get<TBmpButton>("BmpButton5").SetAccessibleName("Close");
  Get<TBmpButton>("BmpButton6").SetAccessibleName("Minimize to notification area");
  OnKeyPreview = [this](const MSG& msg) { return PageKey(msg); };
}

bool TForm1::PageKey(const MSG& msg) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4 && (HIWORD(msg.lParam) & KF_ALTDOWN)) {
    BmpButton5Click(*this);
    return true;
  }
  if (msg.message != WM_KEYDOWN) return false;
  // Ctrl with Alt is AltGr on many keyboards: a character, not a page key.
  const bool alt = GetKeyState(VK_MENU) < 0;
  if (ctrl && !alt) {
    const int active = Pages().ActivePageIndex();
    int page = 0;
    if (msg.wParam == VK_TAB) page = (active + (shift ? kPageCount - 1 : 1)) % kPageCount + 1;
    if (msg.wParam >= '1' && msg.wParam < '1' + kPageCount && !shift)
      page = static_cast<int>(msg.wParam - '0');
    if (page == 0) return false;
    SendMessageA(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    SelectPage(page);
    return true;
  }
  if (ctrl || alt || shift) return false;
  if (msg.wParam == VK_ESCAPE) {
    BmpButton6Click(*this);
    return true;
  }
  if (msg.wParam == VK_F1) {
    PageHelpClick();
    return true;
  }
  return false;
}

void TForm1::PageHelpClick() {
  const std::string chm = FilesFolder() + "velotunehelp.chm";
  if (!FileExists(chm)) {
    HelpContents1Click();  // its warning, word for word
    return;
  }
  // hh.exe opens a topic inside the file: "<file>::/<topic>", quoted for blanks.
  const int page = Pages().ActivePageIndex();
  const std::wstring topic =
      L"\"" + Widen(chm) + L"::/" + Widen(kHelpTopics[page < 0 ? 0 : page]) + L"\"";
  Sys().ShellExecuteW(Handle(), L"open", L"hh.exe", topic.c_str(), nullptr, SW_SHOW);
}

}  // namespace velotune
