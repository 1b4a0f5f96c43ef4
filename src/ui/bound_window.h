#pragma once
// How an object meets its window, for every window the program makes. A
// window of a class registered here binds its object at WM_NCCREATE
// (GWLP_USERDATA), so the object sees its messages from the first; a window
// of a system class (BUTTON) is subclassed through comctl32 as soon as it
// exists. The object lets go when the window goes, however it goes.
#include <windows.h>

namespace velotune::ui {

class BoundWindow {
 public:
  BoundWindow() = default;
  virtual ~BoundWindow();
  BoundWindow(const BoundWindow&) = delete;
  BoundWindow& operator=(const BoundWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  bool HandleAllocated() const { return hwnd_ != nullptr; }

 protected:
  // Registers a window class whose windows bind to their object; the class's
  // procedure is ours. Registering a class again is harmless.
  static void RegisterBoundClass(const char* className, UINT style = 0, HICON icon = nullptr);
  // Creates the window and binds it to this object. False when no window was made.
  bool CreateBound(DWORD exStyle, const char* className, const char* text, DWORD style, int x,
                   int y, int width, int height, HWND parent);
  // Lets go of the window, then destroys it: its last messages get the default handling.
  void DestroyBound();
  // A window of a system class, whose own procedure comes after ours.
  bool Subclassed() const { return subclassed_; }

  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
  // What the window does without us; for WM_NCDESTROY that ends with letting
  // go of the window.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK BoundProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  void Unbind();

  HWND hwnd_ = nullptr;
  bool subclassed_ = false;
};

}  // namespace velotune::ui
