#include "tray/interval_timer.h"

namespace velotune {

TIntervalTimer::TIntervalTimer(UINT interval)
    : claim_(WM_TIMER, Identity(), [this](LPARAM) { Expired(); }), interval_(interval) {}

TIntervalTimer::~TIntervalTimer() { Stop(true); }

bool TIntervalTimer::Start() {
  if (interval_ == 0) return false;
  if (enabled_) Stop(true);
  const bool started = SetTimer(Window(), Identity(), interval_, nullptr) != 0;
  if (started) {
    enabled_ = true;
    ++running_;
  }
  return started;
}

bool TIntervalTimer::Stop(bool disable) {
  if (disable) enabled_ = false;
  const bool killed = KillTimer(Window(), Identity()) != 0;
  if (killed && running_ > 0) --running_;
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
