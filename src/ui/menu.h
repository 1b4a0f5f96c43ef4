#pragma once
// Popup menus: items, separators, submenus, a default item and shortcut text.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velotune::ui {

class PopupMenu;

class MenuItem {
 public:
  MenuItem(std::string name, std::string caption);
  const std::string& Name() const { return name_; }
  const std::string& Caption() const { return caption_; }
  bool IsSeparator() const { return caption_ == "-"; }
  bool IsDefault() const { return default_; }
  void SetDefault(bool on) { default_ = on; }
  const std::string& ShortcutText() const { return shortcut_; }
  void SetShortcutText(std::string text) { shortcut_ = std::move(text); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { enabled_ = on; }
  // Drawn before the caption by menus that draw their own items; the caller
  // keeps it alive while the menu can show.
  HICON Icon() const { return icon_; }
  void SetIcon(HICON icon) { icon_ = icon; }

  // Adds a child, making this item a submenu.
  MenuItem& Add(std::string name, std::string caption,
                std::function<void(MenuItem&)> onClick = nullptr);
  const std::vector<std::unique_ptr<MenuItem>>& Items() const { return items_; }
  MenuItem* Find(const std::string& name);
  MenuItem* ParentItem() const { return parent_; }
  PopupMenu* Menu() const;

  std::function<void(MenuItem&)> OnClick;
  void Click();

 private:
  friend class PopupMenu;
  std::string name_, caption_, shortcut_;
  bool default_ = false;
  bool enabled_ = true;
  HICON icon_ = nullptr;
  MenuItem* parent_ = nullptr;
  PopupMenu* menu_ = nullptr;
  std::vector<std::unique_ptr<MenuItem>> items_;
};

class PopupMenu {
 public:
  explicit PopupMenu(std::string name);
  virtual ~PopupMenu();
  const std::string& Name() const { return name_; }

  MenuItem& Items() { return root_; }
  MenuItem* Find(const std::string& name) { return root_.Find(name); }
  // The first top-level item marked default.
  MenuItem* DefaultItem();

  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool on) { autoPopup_ = on; }
  void* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(void* component) { popupComponent_ = component; }

  // Shows the menu at a screen point and returns when it closes; the chosen
  // item's click runs afterwards from the message loop.
  void Popup(int x, int y);
  // The open menu while Popup runs, else null.
  HMENU OpenMenu() const { return open_; }

  // Owner-drawn menus override these three.
  virtual bool OwnerDraw() const { return false; }
  virtual void MeasureItem(MenuItem& item, HDC dc, UINT& width, UINT& height);
  virtual void DrawItem(MenuItem& item, const DRAWITEMSTRUCT& draw);

 protected:
  // Called before the menu opens, for owner-drawn layouts.
  virtual void BeforePopup() {}

 private:
  HMENU BuildMenu(const MenuItem& parent, std::vector<MenuItem*>& byId);
  std::string name_;
  MenuItem root_;
  bool autoPopup_ = true;
  void* popupComponent_ = nullptr;
  HMENU open_ = nullptr;
};

// The character after the first single '&' of a caption, or 0.
char AcceleratorKey(const std::string& caption);

// Owner-draw messages of the application window for menus (measure, draw and
// the '&' keys of owner-drawn items); true when handled.
bool HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace velotune::ui
