#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tray/tray_fixture.h"
#include "tray/tray_icon.h"

namespace velotune {
namespace {

using test::IconInShell;
using test::Pump;
using test::SendTray;

using StartupTest = test::TrayTest;

TEST_F(StartupTest, FalseWithoutAMainWindowOnlySwitchesOffTheFirstShowing) {
  ui::Form owner("Owner");  // never created: the application has no main window
  owner.SetBounds(420, 320, 100, 100);
  ShowWindow(app->Handle(), SW_SHOWNOACTIVATE);
  ASSERT_TRUE(AppWindowVisible());
  TTrayIcon icon(&owner, "Startup");
  EXPECT_TRUE(icon.Loading());
  std::vector<bool> showOnEntry;
  icon.OnStartup = [&](TTrayIcon& sender, bool& show) {
    EXPECT_EQ(&sender, &icon);
    showOnEntry.push_back(show);
    show = false;
  };
  icon.Loaded();
  EXPECT_FALSE(icon.Loading());
  EXPECT_EQ(showOnEntry, (std::vector<bool>{true}));
  EXPECT_FALSE(app->ShowMainForm());
  EXPECT_TRUE(AppWindowVisible()) << "no main window, so the task bar button stays";
  EXPECT_FALSE(owner.IsVisible());
}

TEST_F(StartupTest, TheProgramDecidesWhileTheWindowLoadsAndTheIconIsThereBeforeFormCreate) {
  for (bool shown : {true, false}) {
    SCOPED_TRACE(shown ? "shown" : "hidden");
    test::ProgramTray program;
    program.startShown = shown;
    EXPECT_TRUE(program.tray->Loading());
    EXPECT_FALSE(IconInShell(*program.tray)) << "stored with the layout, added by Loaded";
    shell.Clear();
    program.Start();
    EXPECT_EQ(program.startups, 1);
    EXPECT_EQ(app->ShowMainForm(), shown);
    EXPECT_EQ(program.form->IsVisible(), shown);
    EXPECT_EQ(AppWindowVisible(), shown);
    // The update before the icon exists fails; then the icon is added.
    ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_ADD, NIM_SETVERSION}));
    EXPECT_FALSE(shell.Calls()[0].result);
    EXPECT_TRUE(shell.Calls()[1].result);
    EXPECT_EQ(test::TipOf(shell.Calls()[1].data), "Velotune");
    EXPECT_TRUE(program.iconInShellAtCreate);
    // The window's later moves raise no second startup event.
    SetWindowPos(app->Handle(), nullptr, 10, 10, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    Pump();
    EXPECT_FALSE(program.tray->StartupCheckPending());
    EXPECT_EQ(program.startups, 1);
    app->SetShowMainForm(true);
  }
}

// Reports when it is painted.
class PaintProbe : public ui::GraphicControl {
 public:
  explicit PaintProbe(std::function<void()> painted)
      : ui::GraphicControl("Probe"), painted_(std::move(painted)) {}
  void Paint(HDC) override { painted_(); }

 private:
  std::function<void()> painted_;
};

// Deferred, the shell hears of the icon only once the shown window has
// painted, in the usual order; a hidden start, with no window to wait for,
// is not deferred; an icon destroyed before the loop runs leaves no call behind.
TEST_F(StartupTest, DeferredShellCallsWaitForTheShownWindowsPaint) {
  const std::vector<DWORD> introduction{NIM_MODIFY, NIM_ADD, NIM_SETVERSION};
  for (bool shown : {true, false}) {
    SCOPED_TRACE(shown ? "shown" : "hidden");
    test::ProgramTray program;
    program.startShown = shown;
    program.tray->SetDeferShellUntilShown(true);
    bool paintedBeforeShell = false;
    PaintProbe probe([&] { paintedBeforeShell = shell.Messages().empty(); });
    probe.SetParent(program.form.get());
    probe.SetBounds(0, 0, 20, 20);
    shell.Clear();
    program.form->CreateForm();
    EXPECT_EQ(program.iconInShellAtCreate, !shown);
    EXPECT_EQ(shell.Messages().empty(), shown);
    if (shown) {
      program.form->Show();
      EXPECT_TRUE(paintedBeforeShell);
      EXPECT_TRUE(shell.Messages().empty());
    }
    Pump();
    EXPECT_EQ(shell.Messages(), introduction);
    EXPECT_TRUE(IconInShell(*program.tray));
    app->SetShowMainForm(true);
  }
  auto gone = std::make_unique<test::ProgramTray>();
  gone->tray->SetDeferShellUntilShown(true);
  gone->form->CreateForm();
  gone->form->Show();
  shell.Clear();
  gone.reset();  // the icon goes before the loop runs
  Pump();
  EXPECT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_DELETE}));
}

// Icon and tip set while the window's layout loads are stored, not sent: no
// icon is in the area to update before Loaded adds it, with both.
TEST_F(StartupTest, IconAndTipSetWhileTheWindowLoadsReachTheShellWithTheAdd) {
  shell.Clear();
  test::ProgramTray program;
  EXPECT_TRUE(shell.Messages().empty());
  program.Start();
  ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY, NIM_ADD, NIM_SETVERSION}));
  const auto& add = shell.Calls()[1];
  EXPECT_TRUE(add.result);
  EXPECT_NE(add.data.hIcon, nullptr);
  EXPECT_EQ(add.data.hIcon, program.tray->Icon());
  EXPECT_EQ(test::TipOf(add.data), "Velotune");
  // Once loaded, a change goes to the shell at once.
  shell.Clear();
  program.tray->SetHint("Velotune 2.0");
  ASSERT_EQ(shell.Messages(), (std::vector<DWORD>{NIM_MODIFY}));
  EXPECT_TRUE(shell.Calls()[0].result);
  EXPECT_EQ(test::TipOf(shell.Calls()[0].data), "Velotune 2.0");
}

using MainWindowTest = test::TrayTest;

TEST_F(MainWindowTest, HideShowAndSendToTrayMoveTheWindowAndItsButton) {
  test::ProgramTray program;
  program.Start();
  TTrayIcon& tray = *program.tray;
  ui::Form& form = *program.form;
  ASSERT_TRUE(form.IsVisible());
  ASSERT_TRUE(AppWindowVisible());

  tray.HideMainWindow();
  EXPECT_FALSE(form.IsVisible());
  EXPECT_FALSE(AppWindowVisible());
  EXPECT_TRUE(IconInShell(tray));

  tray.ShowMainWindow();
  EXPECT_TRUE(form.IsVisible());
  EXPECT_FALSE(app->Minimized());
  // The application comes to the front and hands its activation on to the
  // main form, so that the keys reach the form's controls.
  EXPECT_EQ(GetForegroundWindow(), form.Handle());
  const HWND focus = GetFocus();
  EXPECT_TRUE(focus == form.Handle() || IsChild(form.Handle(), focus));

  tray.HideTaskbarButton();
  EXPECT_FALSE(AppWindowVisible());
  EXPECT_TRUE(form.IsVisible()) << "only the button";
  ShowWindow(app->Handle(), SW_SHOWNOACTIVATE);

  // Sending to the tray also puts back an icon that was taken away.
  tray.RemoveIcon();
  ASSERT_FALSE(IconInShell(tray));
  tray.SendToTray();
  EXPECT_FALSE(form.IsVisible());
  EXPECT_FALSE(AppWindowVisible());
  EXPECT_TRUE(tray.IconVisible());
  EXPECT_TRUE(IconInShell(tray));

  // A minimized main window comes back in its normal state.
  tray.ShowMainWindow();
  ShowWindow(form.Handle(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(form.Handle()));
  tray.ShowMainWindow();
  EXPECT_FALSE(IsIconic(form.Handle()));
  EXPECT_TRUE(form.IsVisible());
}

TEST_F(MainWindowTest, AnIconWithoutOwnerLeavesTheMainWindowAlone) {
  test::ProgramTray program;
  program.Start();
  TTrayIcon loose(nullptr, "Loose");
  loose.HideMainWindow();
  loose.SendToTray();
  loose.HideTaskbarButton();
  EXPECT_TRUE(program.form->IsVisible());
  EXPECT_TRUE(AppWindowVisible());
  EXPECT_FALSE(loose.IconVisible());
}

TEST_F(MainWindowTest, MinimizingTheApplicationGoesToTheTrayWhenAskedTo) {
  for (bool toTray : {true, false}) {
    SCOPED_TRACE(toTray ? "to the tray" : "minimized");
    test::ProgramTray program;
    program.Start();
    TTrayIcon& tray = *program.tray;
    tray.SetMinimizeToTray(toTray);  // and, as in the program, no OnMinimizeToTray
    app->Minimize();
    Pump();
    EXPECT_TRUE(app->Minimized());
    if (toTray) {
      EXPECT_FALSE(program.form->IsVisible());
      EXPECT_FALSE(AppWindowVisible()) << "no task bar button";
      EXPECT_TRUE(tray.IconVisible());
      EXPECT_TRUE(IconInShell(tray));
      tray.ShowMainWindow();
      EXPECT_FALSE(app->Minimized());
      EXPECT_TRUE(program.form->IsVisible());
    } else {
      EXPECT_TRUE(AppWindowVisible()) << "an ordinary minimized button";
      app->Restore();
    }
    EXPECT_TRUE(IconInShell(tray));
  }
}

// --- the owner's window procedure -------------------------------------------

using OwnerHookTest = test::TrayTest;

TEST_F(OwnerHookTest, ShowingTheOwnerBringsItToTheFront) {
  test::ProgramTray program;
  program.Start();
  ui::Form other("Other");
  other.SetBounds(600, 400, 80, 80);
  other.CreateForm();
  other.Show();
  SetForegroundWindow(other.Handle());
  ASSERT_EQ(GetForegroundWindow(), other.Handle());
  SendMessageA(program.form->Handle(), WM_SHOWWINDOW, TRUE, 0);
  EXPECT_EQ(GetForegroundWindow(), program.form->Handle());
  // Shown by the system for another reason: no switch.
  SetForegroundWindow(other.Handle());
  SendMessageA(program.form->Handle(), WM_SHOWWINDOW, TRUE, SW_PARENTOPENING);
  EXPECT_EQ(GetForegroundWindow(), other.Handle());
}

TEST_F(OwnerHookTest, MinimizeMessagesGoToTheTrayOnlyWithAMinimizeHandler) {
  struct Case {
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
  };
  const Case messages[] = {
      {"system minimize", WM_SYSCOMMAND, SC_MINIMIZE, 0},
      {"parent closing", WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING},
  };
  for (const Case& m : messages) {
    for (int config = 0; config < 3; ++config) {
      const bool toTray = config != 1;
      const bool handler = config != 2;
      SCOPED_TRACE(testing::Message()
                   << m.name << (toTray ? ", to tray" : "") << (handler ? ", handler" : ""));
      test::ProgramTray program;
      program.Start();
      TTrayIcon& tray = *program.tray;
      ui::Form& form = *program.form;
      tray.SetMinimizeToTray(toTray);
      int events = 0;
      if (handler) tray.OnMinimizeToTray = [&](TTrayIcon&) { ++events; };
      tray.RemoveIcon();
      const LRESULT answer = SendMessageA(form.Handle(), m.msg, m.wParam, m.lParam);
      if (toTray && handler) {
        EXPECT_EQ(answer, 1);
        EXPECT_EQ(events, 1);
        EXPECT_FALSE(form.IsVisible());
        EXPECT_FALSE(AppWindowVisible());
        EXPECT_TRUE(IconInShell(tray));
      } else {
        EXPECT_EQ(events, 0);
        EXPECT_FALSE(IconInShell(tray)) << "passed on, not sent to the tray";
        EXPECT_TRUE(AppWindowVisible());
        if (m.msg == WM_SYSCOMMAND) {
          EXPECT_TRUE(IsIconic(form.Handle())) << "the window's own handling ran";
          ShowWindow(form.Handle(), SW_RESTORE);
        }
      }
    }
  }
}

// An owner window of its own, shown.
void ShowOwner(ui::Form& form) {
  form.SetBounds(420, 320, 100, 100);
  form.CreateForm();
  form.Show();
}

// The form's own procedure still sees its messages.
void ExpectOwnProcedureRuns(ui::Form& form) {
  form.Show();
  EXPECT_TRUE(form.IsVisible());
  SendMessageA(form.Handle(), WM_SHOWWINDOW, FALSE, 0);
  EXPECT_FALSE(form.Visible()) << "the form's own procedure";
}

TEST_F(OwnerHookTest, FreeingTheIconsPutsTheWindowProcedureBack) {
  ui::Form form("Owner");
  ShowOwner(form);
  const LONG_PTR original = GetWindowLongPtrA(form.Handle(), GWLP_WNDPROC);

  auto first = std::make_unique<TTrayIcon>(&form, "First");
  EXPECT_FALSE(first->Loading()) << "the window already exists";
  EXPECT_NE(GetWindowLongPtrA(form.Handle(), GWLP_WNDPROC), original);
  auto second = std::make_unique<TTrayIcon>(&form, "Second");
  first->AddIcon();
  second->AddIcon();
  const HWND handler = first->NotifyData().hWnd;
  const UINT firstId = first->Identity();

  int secondEvents = 0;
  second->SetMinimizeToTray(true);
  second->OnMinimizeToTray = [&](TTrayIcon&) { ++secondEvents; };

  shell.Clear();
  first.reset();
  EXPECT_FALSE(IconInShell(handler, firstId));
  ASSERT_EQ(shell.Of(NIM_DELETE).size(), 1u);
  EXPECT_EQ(shell.Of(NIM_DELETE)[0].data.uID, firstId);
  EXPECT_NE(GetWindowLongPtrA(form.Handle(), GWLP_WNDPROC), original) << "still hooked by Second";
  EXPECT_EQ(SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 1);
  EXPECT_EQ(secondEvents, 1);

  second.reset();
  EXPECT_EQ(GetWindowLongPtrA(form.Handle(), GWLP_WNDPROC), original);
  ExpectOwnProcedureRuns(form);
}

// Another hook put on the owner after the icon, taken off before or after it:
// every hook and the window's own procedure keep working, and the window ends
// with its own procedure again.
int otherHookMessages = 0;
LRESULT CALLBACK OtherHook(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (msg == WM_SHOWWINDOW) ++otherHookMessages;
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

TEST_F(OwnerHookTest, AnotherHookOnTheOwnerMayComeAndGoInEitherOrder) {
  for (const bool iconFirst : {true, false}) {
    SCOPED_TRACE(iconFirst ? "icon off first" : "other hook off first");
    ui::Form form("Owner");
    ShowOwner(form);
    const LONG_PTR original = GetWindowLongPtrA(form.Handle(), GWLP_WNDPROC);
    auto icon = std::make_unique<TTrayIcon>(&form, "Icon");
    int minimized = 0;
    icon->SetMinimizeToTray(true);
    icon->OnMinimizeToTray = [&](TTrayIcon&) { ++minimized; };
    ASSERT_TRUE(SetWindowSubclass(form.Handle(), OtherHook, 1, 0));
    otherHookMessages = 0;

    if (iconFirst) {
      icon.reset();
      const int before = otherHookMessages;
      ExpectOwnProcedureRuns(form);
      EXPECT_GT(otherHookMessages, before) << "the other hook";
      EXPECT_EQ(SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 0);
      EXPECT_EQ(minimized, 0);
      ShowWindow(form.Handle(), SW_RESTORE);
      RemoveWindowSubclass(form.Handle(), OtherHook, 1);
    } else {
      RemoveWindowSubclass(form.Handle(), OtherHook, 1);
      EXPECT_EQ(SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 1) << "the icon";
      EXPECT_EQ(minimized, 1);
      icon.reset();
    }
    EXPECT_EQ(GetWindowLongPtrA(form.Handle(), GWLP_WNDPROC), original);
    ExpectOwnProcedureRuns(form);
  }
}

TEST_F(OwnerHookTest, TheFormMayGoFirstAndTakesItsIconWithIt) {
  auto program = std::make_unique<test::ProgramTray>();
  program->Start();
  const HWND handler = program->tray->NotifyData().hWnd;
  const UINT id = program->tray->Identity();
  ASSERT_TRUE(IconInShell(handler, id));
  program->form.reset();  // the window is destroyed before its components
  EXPECT_EQ(ui::MessageWindow::Instance(), nullptr);
  ASSERT_FALSE(shell.Of(NIM_DELETE).empty());
  EXPECT_EQ(shell.Of(NIM_DELETE).back().data.uID, id);
  EXPECT_TRUE(shell.Of(NIM_DELETE).back().result) << "removed from the shell";
}

}  // namespace
}  // namespace velotune
