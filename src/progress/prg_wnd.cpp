#include "progress/prg_wnd.h"

#include "ui/application.h"
#include "ui/gdi.h"

namespace velotune {
namespace {

using ui::ControlSpec;
using ui::FontSpec;
using ui::Make;

constexpr int kClientWidth = 314;
constexpr int kClientHeight = 108;
constexpr int kPanelWidth = 312;
constexpr int kPanelHeight = 101;
// The layout fixes where the labels start; they run to the panel's right edge
// less this margin, so a long detail text is cut there rather than at the frame.
constexpr int kLabelMargin = 6;

// Labels are as high as one line of their font, so descenders are not cut off.
void FitLabel(ui::Control& control) {
  auto& label = static_cast<ui::Label&>(control);
  label.SetTransparent(true);
  HDC screen = GetDC(nullptr);
  TEXTMETRICA metrics = {};
  {
    ui::Selected font(screen, ui::FontHandle(label.Font()));
    GetTextMetricsA(screen, &metrics);
  }
  ReleaseDC(nullptr, screen);
  label.SetBounds(label.Left(), label.Top(), kPanelWidth - kLabelMargin - label.Left(),
                  metrics.tmHeight);
}

const ControlSpec kLayout[] = {
    {.name = "Shape1",
     .create = Make<ui::Shape>,
     .left = 0,
     .top = 0,
     .width = kClientWidth,
     .height = kClientHeight,
     .setup =
         [](ui::Control& c) {
           auto& shape = static_cast<ui::Shape&>(c);
           shape.SetPenColor(ui::clGray);
           shape.SetBrushColor(ui::clWhite);
         }},
    {.name = "PicturePanel1",
     .create = Make<TPicturePanel>,
     .left = 1,
     .top = 1,
     .width = kPanelWidth,
     .height = kPanelHeight,
     .setup =
         [](ui::Control& c) {
           static_cast<TPicturePanel&>(c).UseGradient(ui::Rgb(240, 247, 242), gdVertical);
         }},
    {.name = "Label1",
     .create = Make<ui::Label>,
     .parent = "PicturePanel1",
     .left = 6,
     .top = 4,
     .text = "Network Optimization",
     .font = FontSpec{.face = "Arial", .height = 16, .bold = true, .color = ui::Rgb(0, 157, 0)},
     .setup = FitLabel},
    {.name = "Label2",
     .create = Make<ui::Label>,
     .parent = "PicturePanel1",
     .left = 6,
     .top = 25,
     .text = "Internet Dialup",
     .font = FontSpec{.face = "Tahoma", .height = 11, .bold = true, .color = ui::clWindowText},
     .setup = FitLabel},
    {.name = "Gauge1",
     .create = Make<TGauge>,
     .parent = "PicturePanel1",
     .left = 6,
     .top = 56,
     .width = 299,
     .height = 18,
     .color = ui::clWhite,
     .setup =
         [](ui::Control& c) {
           auto& gauge = static_cast<TGauge&>(c);
           gauge.SetForeColor(ui::Rgb(0, 128, 192));
           gauge.SetBackColor(ui::Rgb(236, 249, 255));
           gauge.SetShowText(false);
         }},
    {.name = "Label3",
     .create = Make<ui::Label>,
     .parent = "PicturePanel1",
     .left = 8,
     .top = 83,
     .text = "Completed 0%",
     .font = FontSpec{.face = "Tahoma", .height = 11, .color = ui::clWindowText},
     .setup = FitLabel},
};

}  // namespace

TPrgWnd::TPrgWnd(bool windowWhenShown) : ui::Form("PrgWnd") {
  SetBounds(0, 0, kClientWidth, kClientHeight);
  SetColor(ui::clWhite);
  SetFont(FontSpec{.face = "MS Sans Serif", .height = 11});
  Build(kLayout);
  shape1_ = &Get<ui::Shape>("Shape1");
  picturePanel1_ = &Get<TPicturePanel>("PicturePanel1");
  label1_ = &Get<ui::Label>("Label1");
  label2_ = &Get<ui::Label>("Label2");
  gauge1_ = &Get<TGauge>("Gauge1");
  label3_ = &Get<ui::Label>("Label3");
  // A screen reader names the gauge after the run it measures.
  gauge1_->SetAccessibleName(label1_->Text());
  if (!windowWhenShown) CreateForm();
}

void TPrgWnd::SetTitle(const std::string& text) {
  label1_->SetText(text);
  gauge1_->SetAccessibleName(text);
}

void TPrgWnd::SetDetail(const std::string& text) { label2_->SetText(text); }

void TPrgWnd::ShowDetail(const std::string& text) {
  label2_->SetText(text);
  label2_->Update();
}

void TPrgWnd::ShowStatus(const std::string& text) {
  label3_->SetText(text);
  label3_->Update();
}

int TPrgWnd::Progress() const { return gauge1_->Progress(); }

void TPrgWnd::SetProgress(int progress) { gauge1_->SetProgress(progress); }

void RunInProgressWindow(TPrgWnd& window, const std::string& title, TitleFirst order,
                         const std::function<void(RunReport&)>& run) {
  window.SetProgress(0);
  if (order == TitleFirst::Before) window.SetTitle(title);
  window.ShowInFront();
  if (order == TitleFirst::After) window.SetTitle(title);
  run(window);
  window.Hide();
}

void TPrgWnd::PlaceOverMainWindow() {
  RECT over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  auto* app = ui::Application::Instance();
  ui::Form* main = app ? app->MainForm() : nullptr;
  if (main && main != this) {
    // The window rectangle, since the user may have dragged it since it was built.
    over = main->BoundsRect();
    if (main->HandleAllocated()) GetWindowRect(main->Handle(), &over);
  }
  const int left = over.left + (over.right - over.left - Width()) / 2;
  const int top = over.top + (over.bottom - over.top - Height()) / 2;
  SetBounds(left, top, Width(), Height());
}

void TPrgWnd::ShowInFront() {
  if (!HandleAllocated()) CreateForm();  // hidden still
  if (!placed_) {
    PlaceOverMainWindow();
    placed_ = true;
  }
  ui::Control::SetVisible(true);
  if (!HandleAllocated()) return;
  ShowWindow(Handle(), SW_SHOWNORMAL);
  SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  UpdateWindow(Handle());
}

}  // namespace velotune
