#pragma once
// A progress gauge that paints on its parent through an off-screen image, so it
// never flickers, and repaints at once without waiting for the message loop.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "ui/control.h"

namespace velotune {

enum TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
enum class TGaugeBorderStyle { None, Single };

// Why a MinValue or MaxValue was refused: the bounds the value had to keep to.
struct GaugeRangeError {
  int64_t low;
  int64_t high;
  // "Value must be between <low> and <high>"
  std::string Message() const;
};

class TGauge : public ui::GraphicControl {
 public:
  explicit TGauge(std::string name);

  int MinValue() const { return minValue_; }
  int MaxValue() const { return maxValue_; }
  // A refused value leaves the gauge as it was and comes back as the error; the
  // check is skipped while the layout loads. An accepted one pulls Progress in.
  std::optional<GaugeRangeError> SetMinValue(int value);
  std::optional<GaugeRangeError> SetMaxValue(int value);

  int Progress() const { return progress_; }
  // Clamped to MinValue..MaxValue; paints at once when the percentage changes.
  void SetProgress(int value);
  // Progress plus `by`, clamped like any new progress.
  void AddProgress(int by);
  int PercentDone() const;

  TGaugeKind Kind() const { return kind_; }
  void SetKind(TGaugeKind kind);
  bool ShowText() const { return showText_; }
  void SetShowText(bool on);
  TGaugeBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TGaugeBorderStyle style);
  ui::Color ForeColor() const { return foreColor_; }
  void SetForeColor(ui::Color color);
  ui::Color BackColor() const { return backColor_; }
  void SetBackColor(ui::Color color);
  // Color (the base's colour) is the background of the pie and needle kinds.

  // A progress bar to a screen reader, its value the percentage ("40%"),
  // announced as it changes.
  long AccessibleRole() const override;
  std::optional<std::string> AccessibleValue() const override;

  void Paint(HDC dc) override;
  // Draws straight onto the parent's window, not through its next paint.
  void Repaint() override;

 protected:
  void ColorChanged() override { Repaint(); }
  void FontChanged() override { Repaint(); }

 private:
  template <typename T>
  void Set(T& field, T value) {
    if (field == value) return;
    field = value;
    Repaint();
  }

  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
  TGaugeKind kind_ = gkHorizontalBar;
  bool showText_ = true;
  TGaugeBorderStyle borderStyle_ = TGaugeBorderStyle::Single;
  ui::Color foreColor_ = ui::clBlack;
  ui::Color backColor_ = ui::clWhite;
};

}  // namespace velotune
