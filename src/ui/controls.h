#pragma once
// The framework's stock controls.
#include <windows.h>

#include <vector>

#include "ui/control.h"
#include "ui/gdi.h"
#include "ui/picture.h"

namespace velotune::ui {

enum class Alignment { Left, Right, Center };

class Label : public GraphicControl {
 public:
  explicit Label(std::string name);
  void Paint(HDC dc) override;
  void SetTransparent(bool on);
  bool Transparent() const { return transparent_; }
  void SetAlignment(Alignment a);
  void SetWordWrap(bool on);
  // Paints the label's parent now, with every area marked since its last paint.
  void Update();
  // Static text named by what it shows.
  long AccessibleRole() const override;

 private:
  bool transparent_ = true;
  Alignment alignment_ = Alignment::Left;
  bool wordWrap_ = false;
};

class Image : public GraphicControl {
 public:
  using GraphicControl::GraphicControl;
  void Paint(HDC dc) override;
  const Picture& GetPicture() const { return picture_; }
  void SetPicture(Picture picture);

 private:
  Picture picture_;
};

class Shape : public GraphicControl {
 public:
  enum class Kind { Rectangle, RoundRect };
  using GraphicControl::GraphicControl;
  void Paint(HDC dc) override;
  void SetKind(Kind kind);
  Color PenColor() const { return pen_; }
  Color BrushColor() const { return brush_; }
  void SetPenColor(Color c);
  void SetBrushColor(Color c);
  int PenWidth() const { return penWidth_; }
  void ChangeScale(int dpi, int oldDpi) override;

 private:
  int penWidth_ = 1;
  Kind kind_ = Kind::Rectangle;
  Color pen_ = clBlack;
  Color brush_ = clWhite;
};

// A link: text that opens something when clicked. Unlike a label it is a
// window, so Tab reaches it (Enter or Space opens it), and a screen reader
// sees a link. It shows what lies behind it, as a transparent label does.
class LinkLabel : public WinControl {
 public:
  explicit LinkLabel(std::string name);
  long AccessibleRole() const override;
  const char* AccessibleAction() const override { return "Jump"; }

 protected:
  bool ClicksOnRelease() const override { return true; }
  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override;
  void PaintBackground(HDC dc, const RECT& client) override;
  void KeyDown(WPARAM key, Shift shift) override;
  void FocusChanged(bool focused) override;
  LRESULT DialogCode(LRESULT standard, const MSG* msg) override;
};

class Panel : public WinControl {
 public:
  explicit Panel(std::string name);

 protected:
  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override;
};

// A native check box that raises its click on every change of its state.
class CheckBox : public WinControl {
 public:
  explicit CheckBox(std::string name);
  bool Checked() const { return checked_; }
  virtual void SetChecked(bool checked);
  void Command(WORD code) override;
  HBRUSH CtlColor(HDC dc) override;
  long AccessibleRole() const override;
  long AccessibleState() const override;

 protected:
  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override;
  void HandleCreated() override;
  void ColorChanged() override;

 private:
  bool checked_ = false;
  UniqueBrush brush_;
  COLORREF brushColor_ = CLR_INVALID;
};

// A native radio button; the radio buttons of one parent form one group.
// Selecting one from code raises its click only when it was not selected.
// The arrow keys move through the group and select; Tab stops only at the
// selected one (the first when none is).
class RadioButton : public CheckBox {
 public:
  explicit RadioButton(std::string name);
  void SetChecked(bool checked) override;
  void Command(WORD code) override;
  long AccessibleRole() const override;

 protected:
  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override;
  LRESULT DialogCode(LRESULT standard, const MSG* msg) override;
  void KeyDown(WPARAM key, Shift shift) override;

 private:
  std::vector<RadioButton*> Group() const;
  // The group's one tab stop: the checked button, or the first while none is.
  bool IsTabStop() const;
  void UpdateTabStops() const;
};

class TabSheet : public WinControl {
 public:
  explicit TabSheet(std::string name);

 protected:
  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override;
};

// Pages without visible tabs; the active page is set from code.
class PageControl : public WinControl {
 public:
  explicit PageControl(std::string name);
  int PageCount() const;
  TabSheet* Page(int index) const;
  int ActivePageIndex() const { return active_; }
  // Raises no change event. Focus inside the page that goes moves to the
  // first stop of the page that comes.
  void SetActivePageIndex(int index);
  NotifyEvent OnChange;
  void Loaded() override;

 protected:
  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override;

 private:
  int active_ = 0;
};

}  // namespace velotune::ui
