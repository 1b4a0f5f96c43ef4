#pragma once
// Windows' shield, the mark of a command that asks for administrator rights.
#include <windows.h>

#include "platform/unique_handle.h"
#include "ui/control.h"

namespace velotune {

inline void DestroyIconHandle(HICON icon) { ::DestroyIcon(icon); }
using UniqueIcon = UniqueHandle<HICON, DestroyIconHandle>;

// The system's shield at the small-icon size; null where the system has none.
UniqueIcon LoadShieldIcon();

// The shield painted on its parent, at the control's size.
class ShieldMark : public ui::GraphicControl {
 public:
  using ui::GraphicControl::GraphicControl;
  void Paint(HDC dc) override;

 private:
  UniqueIcon icon_;
};

}  // namespace velotune
