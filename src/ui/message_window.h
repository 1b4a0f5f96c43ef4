#pragma once
// One hidden window for the whole process, for the parts that need a window
// only to be sent messages: the tray icons' shell callbacks and the interval
// timers. A part claims one message number together with its own identity,
// which the message carries as its word parameter; the window exists from the
// first claim to the last.
#include <windows.h>

#include <functional>
#include <map>
#include <utility>

#include "ui/bound_window.h"

namespace velotune::ui {

class MessageWindow : public BoundWindow {
 public:
  using Handler = std::function<void(LPARAM lParam)>;

  // The window while any claim lives, else null.
  static MessageWindow* Instance();
  bool Claimed(UINT msg, UINT_PTR identity) const;

  // While it lives, `msg` with the word parameter `identity` runs `handler`;
  // one that comes after it is gone (a late timer tick) is ignored. One claim
  // per message and identity.
  class Claim {
   public:
    Claim(UINT msg, UINT_PTR identity, Handler handler);
    ~Claim();
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;
    HWND Window() const;

   private:
    UINT msg_;
    UINT_PTR identity_;
  };

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  MessageWindow();
  std::map<std::pair<UINT, UINT_PTR>, Handler> claims_;
};

}  // namespace velotune::ui
