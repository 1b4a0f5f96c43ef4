#pragma once
// What screen readers are told about our controls: the system's standard
// object for the window, with the name, role, state and value our control
// gives in its place, and the graphic children (labels, gauges) as simple
// elements. oleacc.dll is loaded on the first question, never at start-up.
#include <windows.h>

namespace velotune::ui {

class WinControl;

// The answer to WM_GETOBJECT for the control's window, or 0 for the default
// handling (an object id we do not answer, or no oleacc).
LRESULT AnswerGetObject(WinControl& control, WPARAM wParam, LPARAM lParam);

// Whether oleacc.dll has been loaded by AnswerGetObject (for the start-up test).
bool AccessibilityLoaded();

}  // namespace velotune::ui
