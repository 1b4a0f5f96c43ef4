#pragma once
// A small window timer on the process's shared message window, which turns
// WM_TIMER back into the owning timer's handler.
#include <windows.h>

#include <functional>

#include "ui/message_window.h"

namespace velotune {

class TIntervalTimer {
 public:
  using Handler = std::function<void(TIntervalTimer& sender)>;

  explicit TIntervalTimer(UINT interval = 1000);
  ~TIntervalTimer();
  TIntervalTimer(const TIntervalTimer&) = delete;
  TIntervalTimer& operator=(const TIntervalTimer&) = delete;

  // The system timer id on the shared window.
  UINT_PTR Identity() const { return reinterpret_cast<UINT_PTR>(this); }
  HWND Window() const { return claim_.Window(); }
  // How many timers of the process run now.
  static int RunningCount() { return running_; }

  // False with interval 0 or when the system refuses a timer.
  bool Start();
  // Kills the system timer; `disable` also clears the enabled flag.
  bool Stop(bool disable = true);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on);
  UINT Interval() const { return interval_; }
  void SetInterval(UINT interval);
  bool AutoDisable() const { return autoDisable_; }
  void SetAutoDisable(bool on) { autoDisable_ = on; }
  const Handler& OnTimer() const { return handler_; }
  void SetOnTimer(Handler handler);

 private:
  void Expired();

  static inline int running_ = 0;
  ui::MessageWindow::Claim claim_;
  bool enabled_ = false;
  UINT interval_;
  bool autoDisable_ = false;
  Handler handler_;
};

}  // namespace velotune
