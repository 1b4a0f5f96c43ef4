#pragma once
// The small modeless window every run reports through: a title, a detail line,
// a gauge and a percentage line on a shaded panel. It has no behaviour of its own.
#include <windows.h>

#include <functional>
#include <string>

#include "progress/gauge.h"
#include "platform/run_report.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "widgets/picture_panel.h"

namespace velotune {

class TPrgWnd : public ui::Form, public RunReport {
 public:
  // Built and created, hidden. With `windowWhenShown` its window is made only
  // when a run first shows it: at start-up nothing of it is seen, and making it
  // then would only hold up the main window.
  explicit TPrgWnd(bool windowWhenShown = false);

  // What a run sees: Label1, Label2, Label3 and Gauge1. A label's new text
  // marks its area; painting it paints every marked area of the panel.
  void SetTitle(const std::string& text) override;
  void SetDetail(const std::string& text) override;
  void ShowDetail(const std::string& text) override;
  void ShowStatus(const std::string& text) override;
  int Progress() const override;
  void SetProgress(int progress) override;

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

// Whether a run's title is set before the window shows (and so is painted
// with it) or right after (and so shows with the run's first painted line).
enum class TitleFirst { Before, After };

// A run in the shown window: the gauge at 0, the title and the window in the
// given order, the run, and the window hidden again.
void RunInProgressWindow(TPrgWnd& window, const std::string& title, TitleFirst order,
                         const std::function<void(RunReport&)>& run);

}  // namespace velotune
