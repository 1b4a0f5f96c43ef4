#include "progress/gauge.h"

#include <oleacc.h>

#include <algorithm>
#include <climits>
#include <cstdio>

#include "progress/gauge_fill.h"
#include "ui/font.h"
#include "ui/gdi.h"

namespace velotune {
namespace {

void Fill(HDC dc, const RECT& r, ui::Color color) {
  ui::UniqueBrush brush(CreateSolidBrush(ui::ResolveColor(color)));
  FillRect(dc, &r, brush);
}

// A window's DC for a scope.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

}  // namespace

std::string GaugeRangeError::Message() const {
  char text[80];
  std::snprintf(text, sizeof text, "Value must be between %lld and %lld",
                static_cast<long long>(low), static_cast<long long>(high));
  return text;
}

TGauge::TGauge(std::string name) : ui::GraphicControl(std::move(name)) {}

std::optional<GaugeRangeError> TGauge::SetMinValue(int value) {
  if (value == minValue_) return std::nullopt;
  if (value > maxValue_ && !Loading())
    return GaugeRangeError{-static_cast<int64_t>(INT_MAX), static_cast<int64_t>(maxValue_) - 1};
  minValue_ = value;
  if (progress_ < value) progress_ = value;
  Repaint();
  return std::nullopt;
}

std::optional<GaugeRangeError> TGauge::SetMaxValue(int value) {
  if (value == maxValue_) return std::nullopt;
  if (value < minValue_ && !Loading())
    return GaugeRangeError{static_cast<int64_t>(minValue_) + 1, INT_MAX};
  maxValue_ = value;
  if (progress_ > value) progress_ = value;
  Repaint();
  return std::nullopt;
}

void TGauge::SetProgress(int value) {
  // Not std::clamp: while a layout loads the range may stand inverted for a moment.
  if (value < minValue_) value = minValue_;
  if (value > maxValue_) value = maxValue_;
  if (value == progress_) return;
  const int before = PercentDone();
  progress_ = value;
  if (PercentDone() != before) {
    Repaint();
    NotifyAccessible(EVENT_OBJECT_VALUECHANGE);
  }
}

long TGauge::AccessibleRole() const { return ROLE_SYSTEM_PROGRESSBAR; }

std::optional<std::string> TGauge::AccessibleValue() const {
  return std::to_string(PercentDone()) + "%";
}

void TGauge::AddProgress(int by) {
  const int64_t sum = static_cast<int64_t>(progress_) + by;
  SetProgress(static_cast<int>(std::clamp<int64_t>(sum, INT_MIN, INT_MAX)));
}

int TGauge::PercentDone() const { return GaugePercentage(minValue_, maxValue_, progress_); }

void TGauge::SetKind(TGaugeKind kind) { Set(kind_, kind); }
void TGauge::SetShowText(bool on) { Set(showText_, on); }
void TGauge::SetBorderStyle(TGaugeBorderStyle style) { Set(borderStyle_, style); }
void TGauge::SetForeColor(ui::Color color) { Set(foreColor_, color); }
void TGauge::SetBackColor(ui::Color color) { Set(backColor_, color); }

void TGauge::Paint(HDC dc) {
  const int width = Width(), height = Height();
  if (width <= 0 || height <= 0) return;
  const RECT client = {0, 0, width, height};
  ui::Surface image(width, height, dc);
  Fill(image.dc(), client, ui::clBlack);
  RECT paintRect = client;
  if (borderStyle_ == TGaugeBorderStyle::Single) InflateRect(&paintRect, -1, -1);

  ui::Surface overlay(width, height, dc);
  Fill(overlay.dc(), client, ui::clBlack);
  Fill(overlay.dc(), paintRect, backColor_);
  // Only the horizontal bar is drawn; the program uses no other kind.
  if (kind_ == gkHorizontalBar) {
    const int span = paintRect.right - paintRect.left + 1;
    const int fillHeight = paintRect.bottom - paintRect.top + 1;
    const int length = GaugeFillLength(span, PercentDone());
    if (length > 0)
      Fill(overlay.dc(), {paintRect.left, paintRect.top, length, fillHeight}, foreColor_);
  }
  // The first image is black, so this copies the overlay and leaves the border black.
  BitBlt(image.dc(), 0, 0, width, height, overlay.dc(), 0, 0, SRCINVERT);

  if (showText_ || kind_ == gkText) {
    const std::string text = std::to_string(PercentDone()) + "%";
    ui::Selected font(image.dc(), ui::FontHandle(Font()));
    SetBkMode(image.dc(), TRANSPARENT);
    SetTextColor(image.dc(), ui::ResolveColor(Font().color));
    DrawTextA(image.dc(), text.c_str(), static_cast<int>(text.size()), &paintRect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
  BitBlt(dc, 0, 0, width, height, image.dc(), 0, 0, SRCCOPY);
}

void TGauge::Repaint() {
  ui::WinControl* parent = Parent();
  if (!Visible() || !parent || !parent->HandleAllocated() || !IsWindowVisible(parent->Handle()))
    return;
  WindowDc dc(parent->Handle());
  if (!dc.get()) return;
  ui::SavedDc saved(dc.get());
  SetViewportOrgEx(dc.get(), Left(), Top(), nullptr);
  IntersectClipRect(dc.get(), 0, 0, Width(), Height());
  Paint(dc.get());
}

}  // namespace velotune
