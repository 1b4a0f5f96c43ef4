#pragma once
// Keys as the message loop sees them, and accessible objects as a screen
// reader reads them.
#include <oleacc.h>
#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <string>

#include "support/ui_fixture.h"

namespace velotune::test {

// A key posted to the focused window (or `to`) and handled by the
// application's loop, with the modifiers held in the thread's key state meanwhile.
inline void PressKey(WPARAM key, std::initializer_list<int> held = {}, HWND to = nullptr) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  BYTE down[256];
  std::copy(std::begin(state), std::end(state), std::begin(down));
  for (int k : held) down[k] = 0x80;
  SetKeyboardState(down);
  const HWND target = to ? to : GetFocus();
  const bool alt = std::find(held.begin(), held.end(), VK_MENU) != held.end();
  // With Alt held a key comes as a system key, with the context bit set.
  const UINT downMsg = alt ? WM_SYSKEYDOWN : WM_KEYDOWN, upMsg = alt ? WM_SYSKEYUP : WM_KEYUP;
  const LPARAM context = alt ? (1 << 29) : 0;
  PostMessageA(target, downMsg, key, 1 | context);
  PostMessageA(target, upMsg, key, 0xC0000001 | context);
  TestApplication().ProcessMessages();
  SetKeyboardState(state);
}

// The system's usual setting for a while: focus marks hidden until the
// keyboard is used (Wine starts with them always shown). Only for this session.
class HiddenFocusCues {
 public:
  HiddenFocusCues() {
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &before_, 0);
    SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, nullptr, 0);
  }
  ~HiddenFocusCues() {
    SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(INT_PTR{before_}), 0);
  }
  HiddenFocusCues(const HiddenFocusCues&) = delete;
  HiddenFocusCues& operator=(const HiddenFocusCues&) = delete;
  // Whether the setting took: the marks are hidden now.
  static bool Hidden() {
    BOOL always = TRUE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &always, 0);
    return !always;
  }

 private:
  BOOL before_ = TRUE;
};

// One window's accessible object, read as a screen reader reads it.
struct Accessible {
  IAccessible* object = nullptr;
  explicit Accessible(HWND hwnd, LONG id = OBJID_CLIENT) {
    // IID_IAccessible, named here: libuuid and liboleacc both define it.
    static constexpr IID kAccessible = {
        0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(id), kAccessible,
                               reinterpret_cast<void**>(&object));
  }
  ~Accessible() {
    if (object) object->Release();
  }
  Accessible(const Accessible&) = delete;
  Accessible& operator=(const Accessible&) = delete;

  static VARIANT Child(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
  }
  std::string Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*),
                   LONG child = CHILDID_SELF) const {
    BSTR b = nullptr;
    if ((object->*get)(Child(child), &b) != S_OK || !b) return "<none>";
    std::string out;
    for (const wchar_t* p = b; *p; ++p) out += static_cast<char>(*p);
    SysFreeString(b);
    return out;
  }
  std::string Name(LONG child = CHILDID_SELF) const {
    return Text(&IAccessible::get_accName, child);
  }
  std::string Value(LONG child = CHILDID_SELF) const {
    return Text(&IAccessible::get_accValue, child);
  }
  std::string DefaultAction(LONG child = CHILDID_SELF) const {
    return Text(&IAccessible::get_accDefaultAction, child);
  }
  LONG Role(LONG child = CHILDID_SELF) const {
    VARIANT v;
    VariantInit(&v);
    if (object->get_accRole(Child(child), &v) != S_OK || v.vt != VT_I4) return -1;
    return v.lVal;
  }
  LONG State(LONG child = CHILDID_SELF) const {
    VARIANT v;
    VariantInit(&v);
    if (object->get_accState(Child(child), &v) != S_OK || v.vt != VT_I4) return -1;
    return v.lVal;
  }
  LONG Children() const {
    LONG n = -1;
    object->get_accChildCount(&n);
    return n;
  }
};

}  // namespace velotune::test
