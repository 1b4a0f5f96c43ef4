#pragma once
// The small modeless window every run reports through: a title, a detail line,
// a gauge and a percentage line on a shaded panel. It has no behaviour of its own.
#include <windows.h>

#include "progress/gauge.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "widgets/picture_panel.h"

namespace velotune {

class TPrgWnd : public ui::Form {
 public:
  // Built and created, hidden. With `windowWhenShown` its window is made only
  // when a run first shows it: at start-up nothing of it is seen, and making it
  // then would only hold up the main window.
  explicit TPrgWnd(bool windowWhenShown = false);

  ui::Shape& Shape1() const { return *shape1_; }
  TPicturePanel& PicturePanel1() const { return *picturePanel1_; }
  ui::Label& Label1() const { return *label1_; }  // title
  ui::Label& Label2() const { return *label2_; }  // detail
  TGauge& Gauge1() const { return *gauge1_; }
  ui::Label& Label3() const { return *label3_; }  // percentage

  // Visible, in front and painted at once. The first time it is centred over the
  // main window (or the screen); afterwards it stays where it is.
  void ShowInFront();

 private:
  void PlaceOverMainWindow();

  ui::Shape* shape1_ = nullptr;
  TPicturePanel* picturePanel1_ = nullptr;
  ui::Label* label1_ = nullptr;
  ui::Label* label2_ = nullptr;
  TGauge* gauge1_ = nullptr;
  ui::Label* label3_ = nullptr;
  bool placed_ = false;
};

}  // namespace velotune
