#pragma once
// A focusable button that shows one of its pictures by state, lets its parent
// show through the pictures' transparent colour, and can form exclusive groups.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/control.h"
#include "ui/picture.h"

namespace velotune {

enum TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3 };
enum TButtonBorder { bbNone, bbSingle, bbButton };
enum TButtonSize { bszNeither, bszButtonToBitmap, bszStretchToButton, bszTileToButton };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The pictures of a TBmpButton; any change is reported to the owner.
class TButtonBitmaps {
 public:
  explicit TButtonBitmaps(std::function<void()> changed) : changed_(std::move(changed)) {}

  const ui::Picture& Up() const { return up_; }
  void SetUp(ui::Picture p) { Set(up_, std::move(p)); }
  const ui::Picture& UpAndFocused() const { return upAndFocused_; }
  void SetUpAndFocused(ui::Picture p) { Set(upAndFocused_, std::move(p)); }
  const ui::Picture& Disabled() const { return disabled_; }
  void SetDisabled(ui::Picture p) { Set(disabled_, std::move(p)); }
  const ui::Picture& Down() const { return down_; }
  void SetDown(ui::Picture p) { Set(down_, std::move(p)); }
  const ui::Picture& StayDown() const { return stayDown_; }
  void SetStayDown(ui::Picture p) { Set(stayDown_, std::move(p)); }
  const ui::Picture& Hot() const { return hot_; }
  void SetHot(ui::Picture p) { Set(hot_, std::move(p)); }
  ui::Color TransparentColor() const { return transparent_; }
  void SetTransparentColor(ui::Color c);

  // The four pictures the program's buttons use, reported as one change.
  void SetPictures(ui::Picture up, ui::Picture hot, ui::Picture down, ui::Picture stayDown = {});

  static bool Present(const ui::Picture& p) { return !p.Empty(); }

 private:
  void Set(ui::Picture& field, ui::Picture value);
  std::function<void()> changed_;
  ui::Picture up_, upAndFocused_, disabled_, down_, stayDown_, hot_;
  ui::Color transparent_ = ui::clOlive;
};

class TBmpButton : public ui::WinControl {
 public:
  explicit TBmpButton(std::string name);

  TButtonBitmaps& Bitmaps() { return bitmaps_; }
  const TButtonBitmaps& Bitmaps() const { return bitmaps_; }
  void SetPictures(ui::Picture up, ui::Picture hot, ui::Picture down, ui::Picture stayDown = {}) {
    bitmaps_.SetPictures(std::move(up), std::move(hot), std::move(down), std::move(stayDown));
  }

  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int index);
  bool Down() const { return down_; }
  void SetDown(bool value);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool value);

  TButtonBorder ButtonBorder() const { return border_; }
  void SetButtonBorder(TButtonBorder b);
  TButtonSize ButtonSize() const { return size_; }
  void SetButtonSize(TButtonSize s);
  TButtonStyle ButtonStyle() const { return style_; }
  void SetButtonStyle(TButtonStyle s);
  bool ShowFocus() const { return showFocus_; }
  void SetShowFocus(bool on);
  bool ShowDownPattern() const { return showDownPattern_; }
  void SetShowDownPattern(bool on);
  int CaptionDownOffset() const { return captionDownOffset_; }
  void SetCaptionDownOffset(int pixels);
  int TopOffset() const { return topOffset_; }
  void SetTopOffset(int pixels);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout l) { layout_ = l; }
  int Margin() const { return margin_; }
  void SetMargin(int m) { margin_ = m; }
  int Spacing() const { return spacing_; }
  void SetSpacing(int s) { spacing_ = s; }
  // Kept for forms that close modally; this program has none.
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int r) { modalResult_ = r; }

  TButtonState State() const { return state_; }
  bool Pressing() const { return pressing_; }
  bool IsHot() const { return hot_; }
  bool HasFocusFlag() const { return focused_; }

  // The border width the size rule adds on each side.
  int BorderWidth() const;

  void Click() override;
  // Any control of the parent receives it; only buttons of the group act on it.
  void GroupMessage(int groupIndex, TBmpButton& sender);

  void MouseDown(ui::MouseButton button, ui::Shift shift, int x, int y) override;
  void MouseMove(ui::Shift shift, int x, int y) override;
  void MouseUp(ui::MouseButton button, ui::Shift shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void SetEnabled(bool enabled) override;
  void Loaded() override;

  // A push button to a screen reader, pressed while down; its action clicks it.
  long AccessibleRole() const override;
  long AccessibleState() const override;
  const char* AccessibleAction() const override { return "Press"; }

 protected:
  // Draws the whole button into dc, whose origin is the button's top-left.
  virtual void Paint(HDC dc);

  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void KeyDown(WPARAM key, ui::Shift shift) override;
  void KeyUp(WPARAM key, ui::Shift shift) override;
  void FocusChanged(bool focused) override;
  void BoundsChanged(const RECT& old) override;
  // Enter is the button's own (it clicks), and the arrows do nothing here.
  LRESULT DialogCode(LRESULT standard, const MSG* msg) override;

 private:
  void PicturesChanged();
  void AdjustSize();
  void BroadcastGroup();
  // Steps of a release once the pressing flag is cleared and the group updated.
  void FinishRelease(bool inside);
  const ui::Picture* ChoosePicture(ui::Picture& disabledImage) const;
  void DrawPicture(HDC dc, const RECT& r, const ui::Picture& picture);
  void DrawCaption(HDC dc, const RECT& r);
  // Focused, showing focus, and the keyboard used in the window.
  bool FocusMarked() const;

  TButtonBitmaps bitmaps_;
  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  TButtonBorder border_ = bbNone;
  TButtonSize size_ = bszButtonToBitmap;
  TButtonStyle style_ = bsAutoDetect;
  bool showFocus_ = true;
  bool showDownPattern_ = true;
  int captionDownOffset_ = 1;
  int topOffset_ = 0;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  int modalResult_ = 0;

  TButtonState state_ = bsUp;
  bool pressing_ = false;
  bool focused_ = false;
  bool hot_ = false;
};

// A greyed, embossed copy of a picture; its transparent pixels stay as they are.
ui::Picture EmbossedImage(const ui::Picture& picture, ui::Color transparent);

}  // namespace velotune
