#pragma once
// Panels with a painted background: a two-colour gradient or a picture.
#include <windows.h>

#include <functional>
#include <string>

#include "ui/controls.h"
#include "ui/picture.h"

namespace velotune {

enum TBackgroundKind { bkPicture = 0, bkGradient = 1 };
enum TGradientDirection { gdVertical = 0, gdHorizontal = 1, gdCentral = 2 };
enum TBackgroundStyle { bsTile, bsStretch, bsZigzag, bsCenter, bsAlignLeft, bsAlignRight };

// Fills r with 255 bands (or, for gdCentral, ellipses) from colour a to b,
// the far end first; gdCentral first fills r with `fill`.
void GradientFill(HDC dc, const RECT& r, ui::Color a, TGradientDirection direction, ui::Color fill,
                  ui::Color b);

class TPanelBackground {
 public:
  explicit TPanelBackground(std::function<void()> changed) : changed_(std::move(changed)) {}

  bool Active() const { return active_; }
  void SetActive(bool on) { Set(active_, on); }
  TBackgroundKind Kind() const { return kind_; }
  void SetKind(TBackgroundKind kind) { Set(kind_, kind); }
  ui::Color GradientColor1() const { return color1_; }
  void SetGradientColor1(ui::Color c) { Set(color1_, c); }
  ui::Color GradientColor2() const { return color2_; }
  void SetGradientColor2(ui::Color c) { Set(color2_, c); }
  TGradientDirection GradientDirection() const { return direction_; }
  void SetGradientDirection(TGradientDirection d) { Set(direction_, d); }
  const ui::Picture& Picture() const { return picture_; }
  void SetPicture(ui::Picture picture);
  TBackgroundStyle PictureStyle() const { return style_; }
  void SetPictureStyle(TBackgroundStyle s) { Set(style_, s); }

  // True when it covered r; false when the caller must fill it.
  bool PaintBackground(HDC dc, const RECT& r, ui::Color panelColor) const;

 private:
  template <typename T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    if (changed_) changed_();
  }
  std::function<void()> changed_;
  bool active_ = false;
  TBackgroundKind kind_ = bkGradient;
  ui::Color color1_ = 0xFF0000;  // blue
  ui::Color color2_ = 0;         // black
  TGradientDirection direction_ = gdHorizontal;
  ui::Picture picture_;
  TBackgroundStyle style_ = bsTile;
};

enum TBevelCut { bvNone, bvLowered, bvRaised };

class TCustomSkinPanel : public ui::Panel {
 public:
  explicit TCustomSkinPanel(std::string name);
  TPanelBackground& Background() { return background_; }
  const TPanelBackground& Background() const { return background_; }
  ui::Alignment Alignment() const { return alignment_; }
  void SetAlignment(ui::Alignment a) { alignment_ = a; }
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut b);
  bool Locked() const { return locked_; }
  void SetLocked(bool on) { locked_ = on; }
  const std::string& Caption() const { return Text(); }

  void PaintBackground(HDC dc, const RECT& client) override;
  ui::NotifyEvent OnPaint;

 protected:
  // The kind-specific drawing over the background.
  virtual void PaintOver(HDC, const RECT&) {}

 private:
  TPanelBackground background_;
  ui::Alignment alignment_ = ui::Alignment::Left;
  TBevelCut bevelOuter_ = bvNone;
  bool locked_ = false;
};

enum TImageAlignment { iaLeft, iaRight };

class TSkinPanel : public TCustomSkinPanel {
 public:
  explicit TSkinPanel(std::string name);
  const ui::Picture& Image() const { return image_; }
  void SetImage(ui::Picture picture);
  TImageAlignment ImageAlignment() const { return imageAlignment_; }
  void SetImageAlignment(TImageAlignment a) { imageAlignment_ = a; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int i) { imageIndex_ = i; }
  bool ImageTransparent() const { return imageTransparent_; }
  void SetImageTransparent(bool on) { imageTransparent_ = on; }

 private:
  ui::Picture image_;
  TImageAlignment imageAlignment_ = iaLeft;
  int imageIndex_ = -1;
  bool imageTransparent_ = true;
};

class TPicturePanel : public TSkinPanel {
 public:
  explicit TPicturePanel(std::string name);
  int Margin() const { return margin_; }
  void SetMargin(int m) { margin_ = m; }
  int ImageMargin() const { return imageMargin_; }
  void SetImageMargin(int m) { imageMargin_ = m; }
  bool ShowBevel() const { return showBevel_; }
  void SetShowBevel(bool on);
  const std::string& PanelText() const { return text_; }
  void SetPanelText(std::string text);
  bool XPTabSheetBackground() const { return xpTabSheet_; }
  void SetXPTabSheetBackground(bool on) { xpTabSheet_ = on; }

  // The gradient the program's panels use: active, colour a to white, no bevel.
  void UseGradient(ui::Color a, TGradientDirection direction);

 protected:
  void PaintOver(HDC dc, const RECT& client) override;

 private:
  int margin_ = 10;
  int imageMargin_ = 6;
  bool showBevel_ = true;
  std::string text_;
  bool xpTabSheet_ = false;
};

}  // namespace velotune
