#include "tray/interval_timer.h"

namespace velotune {
namespace {

constexpr const char* kClassName = "VelotuneIntervalTimerHandler";

}  // namespace

TIntervalTimerHandler::TIntervalTimerHandler() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // fails harmlessly when a previous handler registered it
  // Message-only: timers need no broadcasts.
  hwnd_ =
      CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
}

TIntervalTimerHandler::~TIntervalTimerHandler() {
  if (hwnd_) DestroyWindow(hwnd_);
}

TIntervalTimerHandler& TIntervalTimerHandler::Acquire(TIntervalTimer* timer) {
  if (!instance_) instance_ = new TIntervalTimerHandler();
  instance_->timers_[timer->Identity()] = timer;
  return *instance_;
}

void TIntervalTimerHandler::Release(TIntervalTimer* timer) {
  if (!instance_) return;
  instance_->timers_.erase(timer->Identity());
  if (instance_->timers_.empty()) {
    delete instance_;
    instance_ = nullptr;
  }
}

TIntervalTimer* TIntervalTimerHandler::Find(UINT_PTR identity) const {
  const auto it = timers_.find(identity);
  return it == timers_.end() ? nullptr : it->second;
}

LRESULT CALLBACK TIntervalTimerHandler::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    // A timer that is already gone may still have a WM_TIMER queued.
    if (instance_ && instance_->hwnd_ == hwnd) {
      if (TIntervalTimer* timer = instance_->Find(wParam)) timer->Expired();
    }
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TIntervalTimer::TIntervalTimer(UINT interval)
    : shared_(TIntervalTimerHandler::Acquire(this)), interval_(interval) {}

TIntervalTimer::~TIntervalTimer() {
  Stop(true);
  TIntervalTimerHandler::Release(this);
}

bool TIntervalTimer::Start() {
  if (interval_ == 0) return false;
  if (enabled_) Stop(true);
  const bool started = SetTimer(shared_.hwnd_, Identity(), interval_, nullptr) != 0;
  if (started) {
    enabled_ = true;
    ++shared_.running_;
  }
  return started;
}

bool TIntervalTimer::Stop(bool disable) {
  if (disable) enabled_ = false;
  const bool killed = KillTimer(shared_.hwnd_, Identity()) != 0;
  if (killed && shared_.running_ > 0) --shared_.running_;
  return killed;
}

void TIntervalTimer::SetEnabled(bool on) {
  if (on)
    Start();
  else
    Stop(true);
}

void TIntervalTimer::SetInterval(UINT interval) {
  if (interval == interval_) return;
  interval_ = interval;
  if (!enabled_) return;
  if (interval_ == 0)
    Stop(false);
  else
    Start();
}

void TIntervalTimer::SetOnTimer(Handler handler) {
  handler_ = std::move(handler);
  if (!handler_ && enabled_) Stop(false);
}

void TIntervalTimer::Expired() {
  if (autoDisable_) Stop(true);
  // A copy: the handler may destroy this timer.
  if (Handler handler = handler_) handler(*this);
}

}  // namespace velotune
