#pragma once
// The application object: a hidden window that carries the task bar button and
// the title, the main form, the message loop and the cursor table.
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/bound_window.h"

namespace velotune::ui {

class Form;

class Application : public BoundWindow {
 public:
  Application(HINSTANCE instance, int showCommand);
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The one application object, or null before it exists.
  static Application* Instance();

  HINSTANCE InstanceHandle() const { return instance_; }
  int ShowCommand() const { return showCommand_; }

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);

  // The first form created; closing it ends the program.
  Form* MainForm() const { return mainForm_; }
  void FormCreated(Form* form);
  void FormDestroyed(Form* form);

  // Whether Run shows the main form before the loop starts.
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool show) { showMainForm_ = show; }

  void Minimize();
  void Restore();
  bool Minimized() const;

  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  // Keys for a form go to it first (its key preview, then the dialog keys:
  // Tab, the arrows); true when the message needs nothing more.
  bool PreTranslate(MSG& msg);

  // Sees the application window's messages before their default handling; a
  // hook that answers true has handled the message with `result`.
  using Hook = std::function<bool(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
  int HookMainWindow(Hook hook);
  void UnhookMainWindow(int id);

  // Runs a callable later, from the message loop.
  void Post(std::function<void()> work);

  // Shows the main form (unless switched off) and runs the loop until it ends.
  int Run();
  void Terminate();
  bool Terminated() const { return terminated_; }

  HCURSOR Cursor(int index) const;
  void SetCursor(int index, HCURSOR cursor);

 private:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void RunPosted();

  HINSTANCE instance_;
  int showCommand_;
  std::string title_;
  Form* mainForm_ = nullptr;
  std::vector<Form*> forms_;
  bool showMainForm_ = true;
  bool terminated_ = false;
  int nextHookId_ = 1;
  std::vector<std::pair<int, Hook>> hooks_;
  std::deque<std::function<void()>> posted_;
  std::map<int, HCURSOR> cursors_;
};

}  // namespace velotune::ui
