#include "ui/bound_window.h"

#include <commctrl.h>

namespace velotune::ui {

BoundWindow::~BoundWindow() { DestroyBound(); }

void BoundWindow::RegisterBoundClass(const char* className, UINT style, HICON icon) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = BoundProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.lpszClassName = className;
  RegisterClassExA(&wc);  // fails harmlessly when the class exists
}

bool BoundWindow::CreateBound(DWORD exStyle, const char* className, const char* text, DWORD style,
                              int x, int y, int width, int height, HWND parent) {
  HWND hwnd = CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent, nullptr,
                              GetModuleHandleA(nullptr), this);
  if (!hwnd) return false;
  if (hwnd_ == hwnd) return true;  // one of ours: bound at WM_NCCREATE
  // A system class ignores the creation parameter: subclass it instead.
  if (!SetWindowSubclass(hwnd, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this))) {
    DestroyWindow(hwnd);
    return false;
  }
  hwnd_ = hwnd;
  subclassed_ = true;
  return true;
}

void BoundWindow::Unbind() {
  if (!hwnd_) return;
  if (subclassed_)
    RemoveWindowSubclass(hwnd_, SubclassProc, 0);
  else
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  subclassed_ = false;
}

void BoundWindow::DestroyBound() {
  HWND hwnd = hwnd_;
  Unbind();
  if (hwnd) DestroyWindow(hwnd);
}

LRESULT BoundWindow::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = subclassed_ ? DefSubclassProc(hwnd_, msg, wParam, lParam)
                                     : DefWindowProcA(hwnd_, msg, wParam, lParam);
  // The window is going, from outside too (with its parent, say): letting go
  // is part of the default handling, so the object keeps no dead handle and
  // comctl32 no subclass of a dead window.
  if (msg == WM_NCDESTROY) Unbind();
  return result;
}

LRESULT CALLBACK BoundWindow::BoundProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<BoundWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (self) {
      self->hwnd_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
  }
  auto* self = reinterpret_cast<BoundWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return self->WndProc(msg, wParam, lParam);
}

LRESULT CALLBACK BoundWindow::SubclassProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR ref) {
  return reinterpret_cast<BoundWindow*>(ref)->WndProc(msg, wParam, lParam);
}

}  // namespace velotune::ui
