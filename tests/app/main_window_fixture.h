#pragma once
// The main window made as at start-up, over a registry sandbox, with the
// system seam recording.
#include <gtest/gtest.h>

#include <memory>

#include "app/main_form.h"
#include "progress/prg_wnd.h"
#include "support/keys.h"
#include "support/registry_sandbox.h"
#include "support/seam_recorder.h"
#include "support/ui_fixture.h"

namespace velotune::test {

class MainWindowTest : public RegistryTest {
 protected:
  void SetUp() override { app = &TestApplication(); }
  void TearDown() override {
    form.reset();
    progress.reset();
    RegistryTest::TearDown();
  }
  // deferHidden: as the program makes it, the pages not shown without windows.
  TForm1& Create(bool deferHidden = false) {
    form = std::make_unique<TForm1>();
    form->SetDeferHiddenWindows(deferHidden);
    form->CreateForm();
    progress = std::make_unique<TPrgWnd>();
    form->SetProgressWindow(progress.get());
    form->Show();
    Pump();
    return *form;
  }
  TForm1& F() { return *form; }
  HWND Hwnd(const char* name) { return F().Get<ui::WinControl>(name).Handle(); }
  void Click(HWND hwnd, int x = 5, int y = 5) {
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }

  SeamRecorder seam;
  // Windows' usual setting: focus marks only once the keyboard is used.
  HiddenFocusCues usualCues;
  ui::Application* app = nullptr;
  std::unique_ptr<TForm1> form;
  std::unique_ptr<TPrgWnd> progress;
};

}  // namespace velotune::test
