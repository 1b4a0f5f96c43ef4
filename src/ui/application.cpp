#include "ui/application.h"

#include <algorithm>

#include "platform/startup_trace.h"

#include "ui/control.h"
#include "ui/form.h"
#include "ui/menu.h"

namespace velotune::ui {
namespace {

Application* instance = nullptr;
constexpr UINT kRunPosted = WM_APP + 0x101;
constexpr const char* kClassName = "VelotuneApplication";

}  // namespace

HCURSOR LookupCursor(int index) {
  if (instance) return instance->Cursor(index);
  return index == crDefault ? LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)) : nullptr;
}

Application::Application(HINSTANCE instanceHandle, int showCommand)
    : instance_(instanceHandle), showCommand_(showCommand) {
  trace::Scope phase(trace::Phase::Application);
  instance = this;
  RegisterBoundClass(kClassName, 0, LoadIconA(instance_, MAKEINTRESOURCEA(1)));
  // Zero-sized, so only its task bar button is ever seen.
  CreateBound(0, kClassName, "",
              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr);
  cursors_[crDefault] = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
}

Application::~Application() {
  DestroyBound();
  instance = nullptr;
}

Application* Application::Instance() { return instance; }

void Application::SetTitle(const std::string& title) {
  title_ = title;
  SetWindowTextA(Handle(), title.c_str());
}

void Application::FormCreated(Form* form) {
  if (!mainForm_) mainForm_ = form;
  if (std::find(forms_.begin(), forms_.end(), form) == forms_.end()) forms_.push_back(form);
}

void Application::FormDestroyed(Form* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
  std::erase(forms_, form);
}

bool Application::PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
  const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  for (Form* form : forms_)
    if (form->Handle() == root) return form->DialogMessage(msg);
  return false;
}

void Application::Minimize() {
  if (!IsIconic(Handle())) ShowWindow(Handle(), SW_MINIMIZE);
}

void Application::Restore() {
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
}

bool Application::Minimized() const { return IsIconic(Handle()); }

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      terminated_ = true;
      PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the loop
      break;
    }
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int Application::HookMainWindow(Hook hook) {
  hooks_.emplace_back(nextHookId_, std::move(hook));
  return nextHookId_++;
}

void Application::UnhookMainWindow(int id) {
  std::erase_if(hooks_, [id](const auto& h) { return h.first == id; });
}

void Application::Post(std::function<void()> work) {
  posted_.push_back(std::move(work));
  PostMessageA(Handle(), kRunPosted, 0, 0);
}

void Application::RunPosted() {
  if (posted_.empty()) return;
  auto work = std::move(posted_.front());
  posted_.pop_front();
  work();
}

int Application::Run() {
  if (mainForm_ && showMainForm_) {
    trace::Scope phase(trace::Phase::Show);
    // Asked to start minimized: only the application is minimized; the main
    // form never flashes up.
    if (showCommand_ == SW_SHOWMINNOACTIVE || showCommand_ == SW_SHOWMINIMIZED ||
        showCommand_ == SW_MINIMIZE)
      Minimize();
    else
      mainForm_->Show();
  }
  trace::Report();
  MSG msg;
  while (!terminated_ && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  terminated_ = true;
  return 0;
}

void Application::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

HCURSOR Application::Cursor(int index) const {
  const auto it = cursors_.find(index);
  return it == cursors_.end() ? nullptr : it->second;
}

void Application::SetCursor(int index, HCURSOR cursor) { cursors_[index] = cursor; }

LRESULT Application::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // A copy: a hook may add or remove hooks.
  const auto hooks = hooks_;
  for (const auto& [id, hook] : hooks) {
    LRESULT result = 0;
    if (hook(msg, wParam, lParam, result)) return result;
  }
  LRESULT menuResult = 0;
  if (HandleMenuMessage(msg, wParam, lParam, menuResult)) return menuResult;
  switch (msg) {
    case kRunPosted:
      RunPosted();
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
          Minimize();
          return 0;
        case SC_RESTORE:
          Restore();
          return 0;
        case SC_CLOSE:
          if (mainForm_) mainForm_->Close();
          return 0;
      }
      break;
    case WM_CLOSE:
      if (mainForm_) mainForm_->Close();
      return 0;
    case WM_SETFOCUS:
      // Activated through its task bar button: the keys belong to the main form.
      if (mainForm_ && mainForm_->IsVisible() && IsWindowEnabled(mainForm_->Handle())) {
        mainForm_->Activate();
        return 0;
      }
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

}  // namespace velotune::ui
