#pragma once
// Forms built from a layout table of named controls.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ui/control.h"

namespace velotune::ui {

class Form;

// A non-visual part of a form (a tray icon, a popup menu...).
class Component {
 public:
  explicit Component(std::string name) : name_(std::move(name)) {}
  virtual ~Component() = default;
  const std::string& Name() const { return name_; }
  Form* Owner() const { return owner_; }
  // Runs once every control of the owner's layout exists.
  virtual void Loaded() {}

 private:
  friend class Form;
  std::string name_;
  Form* owner_ = nullptr;
};

template <typename T>
std::unique_ptr<Control> Make(std::string name) {
  return std::make_unique<T>(std::move(name));
}

// One row of a form's layout. Parents come before their children. The row
// carries its handlers themselves, so the compiler checks the wiring.
struct ControlSpec {
  std::string name;
  std::unique_ptr<Control> (*create)(std::string name);
  const char* parent = nullptr;  // null: the form itself
  int left = 0, top = 0, width = 0, height = 0;
  std::string text = "";
  std::optional<FontSpec> font = std::nullopt;
  std::optional<Color> color = std::nullopt;
  NotifyEvent onClick = nullptr;
  MouseEvent onMouseDown = nullptr;
  bool visible = true;
  // Properties of the control's own kind (pictures, colours, groups...).
  std::function<void(Control&)> setup = nullptr;
};

class Form : public WinControl {
 public:
  explicit Form(std::string name);
  ~Form() override;

  // Builds the controls of a layout table; fails loudly on an unknown parent.
  void Build(std::span<const ControlSpec> layout);
  // Adds a control made in code.
  Control& Add(std::unique_ptr<Control> control, WinControl* parent);
  Component& AddComponent(std::unique_ptr<Component> component);

  Control* Find(const std::string& name) const;
  template <typename T>
  T& Get(const std::string& name) const {
    auto* c = dynamic_cast<T*>(Find(name));
    if (!c) FailMissing(name);
    return *c;
  }
  Component* FindComponent(const std::string& name) const;

  // Creates the windows, runs every component's Loaded, then OnCreate.
  void CreateForm();
  // Leaves the windows of hidden controls (the pages not shown) to be made when
  // they are first shown: less work before the form can first be seen. Set
  // before CreateForm.
  void SetDeferHiddenWindows(bool on) { deferHidden_ = on; }
  bool DefersHiddenWindows() const { return deferHidden_; }
  NotifyEvent OnCreate;

  void Show();
  void Hide();
  // In front with the keyboard focus, which goes back to the control that had it.
  void Activate();

  // Sees the form's key messages before anything else; true takes the message.
  std::function<bool(const MSG&)> OnKeyPreview;
  // A key message for this form: the key preview, then the dialog keys (Tab
  // and Shift+Tab through the tab stops, arrows in groups), which also show
  // the focus marks. True when the message needs nothing more.
  bool DialogMessage(MSG& msg);
  // The control the focus goes back to, or null.
  HWND SavedFocus() const { return savedFocus_; }
  // Closing the main form ends the program.
  void Close();
  bool IsVisible() const;

  // The DPI the form is laid out for; the layout table is for 96.
  int Dpi() const { return dpi_; }
  // Lays the form out again for `dpi`: its size and font, and every control.
  // The position stays. CreateForm scales to the system's DPI, and the form
  // follows WM_DPICHANGED to its suggested rectangle.
  void ScaleTo(int dpi);

  // Client size; the window has no frame.
  void SetClientSize(int width, int height) { SetBounds(Left(), Top(), width, height); }

 protected:
  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  [[noreturn]] static void FailMissing(const std::string& what);
  void SaveFocus();
  bool RestoreFocus();
  HWND savedFocus_ = nullptr;
  std::vector<std::unique_ptr<Control>> controls_;
  std::vector<std::unique_ptr<Component>> components_;
  std::map<std::string, Control*> byName_;
  bool deferHidden_ = false;
  int dpi_ = 96;
};

}  // namespace velotune::ui
