#include "ui/message_window.h"

namespace velotune::ui {
namespace {

constexpr const char* kClassName = "VelotuneMessageWindow";
MessageWindow* instance = nullptr;

}  // namespace

MessageWindow::MessageWindow() {
  RegisterBoundClass(kClassName);
  // A hidden top-level window rather than a message-only one: it also hears
  // the log-off broadcasts, which it must not hold up.
  CreateBound(0, kClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr);
}

MessageWindow* MessageWindow::Instance() { return instance; }

bool MessageWindow::Claimed(UINT msg, UINT_PTR identity) const {
  return claims_.contains({msg, identity});
}

MessageWindow::Claim::Claim(UINT msg, UINT_PTR identity, Handler handler)
    : msg_(msg), identity_(identity) {
  if (!instance) instance = new MessageWindow();
  instance->claims_[{msg, identity}] = std::move(handler);
}

MessageWindow::Claim::~Claim() {
  if (!instance) return;
  instance->claims_.erase({msg_, identity_});
  if (instance->claims_.empty()) {
    delete instance;
    instance = nullptr;
  }
}

HWND MessageWindow::Claim::Window() const { return instance ? instance->Handle() : nullptr; }

LRESULT MessageWindow::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    // Never close by itself, never hold up a log-off.
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_QUERYENDSESSION:
    case WM_QUIT:
    case WM_ENDSESSION:
    case WM_NCDESTROY:
      return 1;
  }
  const auto it = claims_.find({msg, wParam});
  if (it == claims_.end()) return DefaultProc(msg, wParam, lParam);
  // A copy: the handler may end its claim, and the last claim takes this window with it.
  const Handler handler = it->second;
  if (handler) handler(lParam);
  return 0;
}

}  // namespace velotune::ui
