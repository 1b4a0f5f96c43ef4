#pragma once
// A small window timer. Every timer of the process shares one hidden window,
// which turns WM_TIMER back into the owning timer's handler.
#include <windows.h>

#include <functional>
#include <map>

namespace velotune {

class TIntervalTimer;

class TIntervalTimerHandler {
 public:
  // The shared handler while any timer exists, else null.
  static TIntervalTimerHandler* Instance() { return instance_; }

  HWND Handle() const { return hwnd_; }
  int RunningCount() const { return running_; }
  // The live timer with this identity, or null.
  TIntervalTimer* Find(UINT_PTR identity) const;

 private:
  friend class TIntervalTimer;
  TIntervalTimerHandler();
  ~TIntervalTimerHandler();
  TIntervalTimerHandler(const TIntervalTimerHandler&) = delete;
  TIntervalTimerHandler& operator=(const TIntervalTimerHandler&) = delete;

  static TIntervalTimerHandler& Acquire(TIntervalTimer* timer);
  static void Release(TIntervalTimer* timer);
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  static inline TIntervalTimerHandler* instance_ = nullptr;
  HWND hwnd_ = nullptr;
  int running_ = 0;
  std::map<UINT_PTR, TIntervalTimer*> timers_;
};

class TIntervalTimer {
 public:
  using Handler = std::function<void(TIntervalTimer& sender)>;

  explicit TIntervalTimer(UINT interval = 1000);
  ~TIntervalTimer();
  TIntervalTimer(const TIntervalTimer&) = delete;
  TIntervalTimer& operator=(const TIntervalTimer&) = delete;

  // The system timer id on the handler's window.
  UINT_PTR Identity() const { return reinterpret_cast<UINT_PTR>(this); }

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
  friend class TIntervalTimerHandler;
  void Expired();

  TIntervalTimerHandler& shared_;
  bool enabled_ = false;
  UINT interval_;
  bool autoDisable_ = false;
  Handler handler_;
};

}  // namespace velotune
