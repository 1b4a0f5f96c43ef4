#pragma once
// The control tree: graphic controls paint on their parent, windowed controls
// own a window. Events are plain callables run on the GUI thread.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/bound_window.h"
#include "ui/color.h"
#include "ui/font.h"

namespace velotune::ui {

class WinControl;
class Form;

enum class MouseButton { Left, Right, Middle };

// Shift state bits, as mouse and key events report them.
enum ShiftState : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64,
};
using Shift = unsigned;

// The application's cursor table entry the link labels use.
inline constexpr int crHandPoint = -21;
inline constexpr int crDefault = 0;

using NotifyEvent = std::function<void(class Control& sender)>;
using MouseEvent = std::function<void(Control& sender, MouseButton, Shift, int x, int y)>;
using MouseMoveEvent = std::function<void(Control& sender, Shift, int x, int y)>;

// The handle for an entry of the application's cursor table; null for none.
HCURSOR LookupCursor(int index);

// Shift state from a mouse message's word parameter and the keyboard.
Shift ShiftFromMouse(WPARAM wParam, bool doubleClick);
Shift ShiftFromKeyboard();

class Control {
 public:
  explicit Control(std::string name);
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& Name() const { return name_; }
  WinControl* Parent() const { return parent_; }
  void SetParent(WinControl* parent);
  Form* ParentForm() const;

  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.right - bounds_.left; }
  int Height() const { return bounds_.bottom - bounds_.top; }
  RECT BoundsRect() const { return bounds_; }
  void SetBounds(int left, int top, int width, int height);
  void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
  void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
  // Position in the client area of the nearest windowed ancestor that paints it.
  POINT ClientOrigin() const;

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  // Visible itself and every parent up to a shown window.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  const std::string& Text() const { return text_; }
  virtual void SetText(const std::string& text);

  // Own font, or the parent's when none was set.
  const FontSpec& Font() const;
  void SetFont(const FontSpec& font);
  bool HasOwnFont() const { return font_.has_value(); }

  // Own colour, or the parent's while ParentColor is on.
  Color GetColor() const;
  virtual void SetColor(Color color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool on);

  int Cursor() const { return cursor_; }
  void SetCursor(int cursor) { cursor_ = cursor; }

  virtual bool IsWindowed() const { return false; }
  virtual void Invalidate() = 0;
  // Marks and paints at once.
  virtual void Repaint() = 0;

  NotifyEvent OnClick;
  MouseEvent OnMouseDown;
  MouseEvent OnMouseUp;
  MouseMoveEvent OnMouseMove;
  NotifyEvent OnMouseEnter;
  NotifyEvent OnMouseLeave;

  // Raises OnClick.
  virtual void Click();

  // Called by the framework with coordinates relative to this control.
  virtual void MouseDown(MouseButton button, Shift shift, int x, int y);
  virtual void MouseUp(MouseButton button, Shift shift, int x, int y);
  virtual void MouseMove(Shift shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();

  // Moves the control from `oldDpi` to `dpi`: bounds, own font, then OnScale.
  virtual void ChangeScale(int dpi, int oldDpi);
  // Runs once the control is scaled to a new DPI; picks what is drawn for it.
  std::function<void(Control& sender, int dpi)> OnScale;

  // Set while a stored layout is being applied.
  bool Loading() const { return loading_; }
  void SetLoading(bool on) { loading_ = on; }
  virtual void Loaded() {}

  // What a screen reader is told. The name is the one set, or for a graphic
  // control its text; none leaves the window's own (its text). A role of 0
  // leaves the system's; the state is added to the system's.
  void SetAccessibleName(std::string name);
  bool AccessibleNameSet() const { return accessibleName_.has_value(); }
  virtual std::optional<std::string> AccessibleName() const { return accessibleName_; }
  virtual long AccessibleRole() const { return 0; }
  virtual long AccessibleState() const { return 0; }
  virtual std::optional<std::string> AccessibleValue() const { return std::nullopt; }
  // The default action's name ("Press"), which raises Click; null for none.
  virtual const char* AccessibleAction() const { return nullptr; }
  // Tells listening screen readers that the name or value changed.
  void NotifyAccessible(DWORD event);
  // Goes null when the control goes: what an accessible object holds it by.
  std::shared_ptr<Control*> AccessToken();

 protected:
  virtual void BoundsChanged(const RECT& old);
  // Takes bounds the system gave the window (a drag, say), without moving it.
  void TrackBounds(const RECT& now) { bounds_ = now; }
  virtual void ColorChanged() { Invalidate(); }
  virtual void FontChanged() { Invalidate(); }
  // Whether a left press, then a left release inside the control, is a click
  // (graphic controls, links); other windows click in their own way.
  virtual bool ClicksOnRelease() const { return false; }

 private:
  friend class WinControl;
  std::string name_;
  WinControl* parent_ = nullptr;
  RECT bounds_ = {0, 0, 0, 0};
  bool visible_ = true;
  bool enabled_ = true;
  bool pressed_ = false;
  std::string text_;
  std::optional<FontSpec> font_;
  Color color_ = clBtnFace;
  bool parentColor_ = false;
  int cursor_ = crDefault;
  bool loading_ = false;
  std::optional<std::string> accessibleName_;
  std::shared_ptr<Control*> accessToken_;
};

// No window of its own: painted by its parent, which also routes its mouse input.
class GraphicControl : public Control {
 public:
  using Control::Control;
  void Invalidate() override;
  void Repaint() override;
  // Paints with the DC's origin at this control's top-left corner.
  virtual void Paint(HDC dc) = 0;
  std::optional<std::string> AccessibleName() const override;

 protected:
  bool ClicksOnRelease() const override { return true; }
};

class WinControl : public Control, public BoundWindow {
 public:
  explicit WinControl(std::string name);
  ~WinControl() override;

  bool IsWindowed() const override { return true; }
  // Creates the window and those of the windowed children, parents first.
  // In a form that defers hidden windows, a hidden windowed child (a page not
  // shown) is left without one until it is shown.
  void CreateHandle();
  void DestroyHandle();

  const std::vector<Control*>& Children() const { return children_; }

  void Invalidate() override;
  void Repaint() override;
  void Update();  // paints pending areas now
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetText(const std::string& text) override;
  void SetFocus();
  bool Focused() const;
  // Whether focus marks are to be drawn: the keyboard has been used in the window.
  bool ShowsFocusCues() const;

  // Paints the background and the graphic children (not windowed ones) into dc,
  // whose origin stands at this control's client top-left.
  void PaintContent(HDC dc);
  virtual void PaintBackground(HDC dc, const RECT& client);
  // Paints what the parent shows behind this control into dc, whose origin
  // stands at this control's top-left: the look of a transparent window.
  void PaintParentContent(HDC dc);

  // The graphic child under a point, topmost first.
  Control* GraphicChildAt(int x, int y) const;

  // The windowed child whose window this is, or null.
  WinControl* ChildWithHandle(HWND hwnd) const;

  // The graphic children a screen reader sees as simple elements of this
  // window (those with a role), in order; none when it has windowed children.
  std::vector<Control*> AccessibleElements() const;

  // A notification of this native control (BN_CLICKED...), passed on by its parent.
  virtual void Command(WORD) {}
  // The brush for this native control's background; null for the default.
  virtual HBRUSH CtlColor(HDC) { return nullptr; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  virtual void CreateParams(DWORD& style, DWORD& exStyle, const char*& className);
  virtual void HandleCreated() {}
  virtual void KeyDown(WPARAM key, Shift shift);
  virtual void KeyUp(WPARAM key, Shift shift);
  virtual void FocusChanged(bool focused);
  // The answer to WM_GETDLGCODE: the window's own, which a control may widen
  // (arrows for a radio group, Enter for a button). `msg` may be null.
  virtual LRESULT DialogCode(LRESULT standard, const MSG* msg);
  void BoundsChanged(const RECT& old) override;
  void FontChanged() override;

 private:
  friend class Control;
  void AddChild(Control* child);
  void RemoveChild(Control* child);
  bool HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam);
  void HandlePaint();
  bool HasFrame() const;  // anything outside the client area

  bool handleDeferred_ = false;
  std::vector<Control*> children_;
  Control* captured_ = nullptr;  // the control a press went to
  Control* hover_ = nullptr;     // the graphic child under the mouse
  bool tracking_ = false;
  bool mouseInside_ = false;
  WORD uiState_ = 0;  // UISF_HIDEFOCUS, UISF_HIDEACCEL
};

}  // namespace velotune::ui
