#include "ui/menu.h"

#include "ui/application.h"

namespace velotune::ui {

MenuItem::MenuItem(std::string name, std::string caption)
    : name_(std::move(name)), caption_(std::move(caption)) {}

MenuItem& MenuItem::Add(std::string name, std::string caption,
                        std::function<void(MenuItem&)> onClick) {
  auto item = std::make_unique<MenuItem>(std::move(name), std::move(caption));
  item->parent_ = this;
  item->menu_ = menu_;
  item->OnClick = std::move(onClick);
  items_.push_back(std::move(item));
  return *items_.back();
}

MenuItem* MenuItem::Find(const std::string& name) {
  for (auto& item : items_) {
    if (item->name_ == name) return item.get();
    if (MenuItem* found = item->Find(name)) return found;
  }
  return nullptr;
}

PopupMenu* MenuItem::Menu() const { return menu_; }

void MenuItem::Click() {
  if (enabled_ && OnClick) OnClick(*this);
}

PopupMenu::PopupMenu(std::string name) : name_(std::move(name)), root_("", "") {
  root_.menu_ = this;
}

PopupMenu::~PopupMenu() = default;

MenuItem* PopupMenu::DefaultItem() {
  for (auto& item : root_.items_)
    if (item->default_) return item.get();
  return nullptr;
}

HMENU PopupMenu::BuildMenu(const MenuItem& parent, std::vector<MenuItem*>& byId) {
  HMENU menu = CreatePopupMenu();
  for (const auto& item : parent.items_) {
    UINT flags = item->enabled_ ? MF_ENABLED : MF_GRAYED;
    const UINT_PTR id = byId.size() + 1;
    byId.push_back(item.get());
    const std::string text =
        item->shortcut_.empty() ? item->caption_ : item->caption_ + "\t" + item->shortcut_;
    const void* content = text.c_str();
    if (OwnerDraw()) {
      flags |= MF_OWNERDRAW;
      // Still a separator to the system: never highlighted, skipped by the arrow keys.
      if (item->IsSeparator()) flags |= MF_SEPARATOR;
      content = item.get();
    } else if (item->IsSeparator()) {
      flags |= MF_SEPARATOR;
    }
    if (!item->items_.empty()) {
      HMENU sub = BuildMenu(*item, byId);
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                  static_cast<LPCSTR>(content));
    } else {
      AppendMenuA(menu, flags, id, static_cast<LPCSTR>(content));
    }
    if (item->default_ && item->items_.empty())
      SetMenuDefaultItem(menu, static_cast<UINT>(id), FALSE);
  }
  return menu;
}

void PopupMenu::Popup(int x, int y) {
  auto* app = Application::Instance();
  if (!app) return;
  BeforePopup();
  std::vector<MenuItem*> byId;
  open_ = BuildMenu(root_, byId);
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(
      open_, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, app->Handle(), nullptr));
  DestroyMenu(open_);
  open_ = nullptr;
  if (chosen >= 1 && chosen <= byId.size()) {
    MenuItem* item = byId[chosen - 1];
    app->Post([item] { item->Click(); });
  }
}

void PopupMenu::MeasureItem(MenuItem&, HDC, UINT& width, UINT& height) {
  width = 100;
  height = 18;
}

void PopupMenu::DrawItem(MenuItem&, const DRAWITEMSTRUCT&) {}

char AcceleratorKey(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&') return caption[i + 1];
    ++i;  // "&&" is a literal ampersand
  }
  return 0;
}

namespace {

char UpperChar(char c) {
  CharUpperBuffA(&c, 1);
  return c;
}

// Owner-drawn items have no text the system could search for their '&' key.
bool FindMenuChar(HMENU menu, char key, LRESULT& result) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
    if (!(info.fType & MFT_OWNERDRAW) || !info.dwItemData) continue;
    const auto* item = reinterpret_cast<const MenuItem*>(info.dwItemData);
    const char accelerator = AcceleratorKey(item->Caption());
    if (!accelerator || item->IsSeparator() || !item->Enabled()) continue;
    if (UpperChar(accelerator) == UpperChar(key)) {
      result = MAKELRESULT(i, MNC_EXECUTE);
      return true;
    }
  }
  return false;
}

}  // namespace

bool HandleMenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_MENUCHAR) {
    return FindMenuChar(reinterpret_cast<HMENU>(lParam), static_cast<char>(LOWORD(wParam)), result);
  }
  if (msg == WM_MEASUREITEM) {
    auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (m->CtlType != ODT_MENU || !m->itemData) return false;
    auto* item = reinterpret_cast<MenuItem*>(m->itemData);
    HDC dc = GetDC(nullptr);
    item->Menu()->MeasureItem(*item, dc, m->itemWidth, m->itemHeight);
    ReleaseDC(nullptr, dc);
    result = TRUE;
    return true;
  }
  if (msg == WM_DRAWITEM) {
    auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (d->CtlType != ODT_MENU || !d->itemData) return false;
    auto* item = reinterpret_cast<MenuItem*>(d->itemData);
    item->Menu()->DrawItem(*item, *d);
    result = TRUE;
    return true;
  }
  return false;
}

}  // namespace velotune::ui
