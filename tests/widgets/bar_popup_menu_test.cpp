#include "widgets/bar_popup_menu.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "ui/form.h"
#include "widgets/artwork.h"

namespace velotune {
namespace {

using test::CaptureClient;
using test::TestApplication;
using ui::MenuItem;

using M = TBarPopupMenu;

// The tray menu of the main window, every click recorded by item name.
class TrayMenu {
 public:
  TrayMenu() {
    auto record = [this](MenuItem& item) { ran.push_back(item.Name()); };
    auto& items = menu.Items();
    items.Add("OpenNetwork", "&Open Velotune", record).SetDefault(true);
    items.Add("MenuItem1", "-");
    auto& network = items.Add("NetworkOptimizations1", "Network Optimizations");
    network.Add("InternetDialup1", "Internet Dialup", record);
    network.Add("ADSLDSLCableModem1", "ADSL, DSL, Cable Modem", record);
    network.Add("HomeOfficeLAN1", "Home, Office LAN", record);
    network.Add("jjj", "T1, Satellite or Corporate LAN", record);
    items.Add("EraseTracks1", "Erase Tracks", record);
    items.Add("N3", "-");
    auto& jump = items.Add("QuickJump1", "&Quick Jump");
    jump.Add("Jump1", "&1. Network Optimizations", record);
    jump.Add("Jump2", "&2. Tracks Eraser", record);
    jump.Add("Jump3", "&3. Enhancements", record);
    jump.Add("Jump4", "&4. About", record);
    items.Add("N4", "-");
    items.Add("HelpContents1", "&Help Contents", record).SetShortcutText("F1");
    items.Add("N1", "-");
    items.Add("Exit1", "E&xit", record);
  }
  TrayMenu(const TrayMenu&) = delete;
  TrayMenu& operator=(const TrayMenu&) = delete;

  TBarPopupMenu menu{"PopupMenu1"};
  std::vector<std::string> ran;
};

// Top-level positions in the tray menu.
enum { kOpen, kSep1, kNetwork, kErase, kSep2, kQuickJump, kSep3, kHelp, kSep4, kExit, kCount };

// Steps run one per timer tick while the menu's own loop runs.
std::deque<std::function<void()>> steps;

void CALLBACK RunStep(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  if (steps.empty()) {
    KillTimer(hwnd, id);
    EndMenu();  // whatever happened, the menu must not stay open
    return;
  }
  auto step = std::move(steps.front());
  steps.pop_front();
  step();
}

void PostKeys(const std::vector<WPARAM>& keys) {
  HWND app = ui::Application::Instance()->Handle();
  for (WPARAM key : keys) PostMessageA(app, WM_KEYDOWN, key, 0);
}

void PostChars(const std::string& chars) {
  HWND app = ui::Application::Instance()->Handle();
  for (char c : chars) PostMessageA(app, WM_CHAR, static_cast<unsigned char>(c), 0);
}

// The visible popup window that shows `menu`.
HWND MenuWindow(HMENU menu) {
  for (HWND h = FindWindowExA(nullptr, nullptr, "#32768", nullptr); h;
       h = FindWindowExA(nullptr, h, "#32768", nullptr)) {
    if (IsWindowVisible(h) && reinterpret_cast<HMENU>(SendMessageA(h, MN_GETHMENU, 0, 0)) == menu)
      return h;
  }
  return nullptr;
}

// A menu window as it was on screen, with its items' rectangles in its client area.
struct Shot {
  RECT window = {};
  std::unique_ptr<ui::Surface> pixels;
  std::vector<RECT> items;
  COLORREF At(int x, int y) const { return pixels->PixelRgb(x, y); }
};

Shot Capture(HMENU menu) {
  Shot shot;
  HWND hwnd = MenuWindow(menu);
  if (!hwnd) return shot;
  GetWindowRect(hwnd, &shot.window);
  shot.pixels = CaptureClient(hwnd);
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    RECT r = {};
    GetMenuItemRect(hwnd, menu, static_cast<UINT>(i), &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    shot.items.push_back(r);
  }
  return shot;
}

COLORREF SysColor(int index) { return GetSysColor(index); }

// Pixels that differ between the shot at (x, y) and `text` drawn in a w x h box
// the way a menu item draws it.
int TextMismatches(const Shot& shot, int x, int y, int w, int h, const std::string& text, bool bold,
                   UINT align, COLORREF fore, COLORREF back) {
  ui::Surface ref(w, h);
  ui::UniqueBrush brush(CreateSolidBrush(back));
  RECT box = {0, 0, w, h};
  FillRect(ref.dc(), &box, brush);
  SelectObject(ref.dc(), M::ItemFont(bold));
  SetTextColor(ref.dc(), fore);
  SetBkMode(ref.dc(), TRANSPARENT);
  DrawTextA(ref.dc(), text.c_str(), -1, &box, DT_SINGLELINE | DT_VCENTER | align);
  int mismatches = 0;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) mismatches += shot.At(x + i, y + j) != ref.PixelRgb(i, j);
  return mismatches;
}

int CountColor(const Shot& shot, const RECT& r, COLORREF color) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += shot.At(x, y) == color;
  return n;
}

class BarPopupMenuTest : public testing::Test {
 protected:
  void SetUp() override {
    auto& app = TestApplication();
    // A menu stays open only while a window of ours is in the foreground.
    owner_ = std::make_unique<ui::Form>("Owner");
    owner_->SetBounds(700, 600, 50, 50);
    owner_->CreateForm();
    owner_->Show();
    SetForegroundWindow(owner_->Handle());
    SetCursorPos(1000, 740);  // away from the menu, so no item is hovered
    app.ProcessMessages();
  }
  void TearDown() override { steps.clear(); }

  // Opens the menu at (100, 100) and runs `script` from a timer while it is open.
  void Open(ui::PopupMenu& menu, std::deque<std::function<void()>> script) {
    steps = std::move(script);
    HWND app = TestApplication().Handle();
    const UINT_PTR timer = SetTimer(app, 0x5157, 150, RunStep);
    menu.Popup(100, 100);
    KillTimer(app, timer);
    steps.clear();
  }

  std::unique_ptr<ui::Form> owner_;
};

TEST(BarPopupMenuLayout, MeasuresItemsSeparatorsDefaultAndShortcuts) {
  TestApplication();
  TrayMenu tray;
  auto& menu = tray.menu;
  HDC dc = GetDC(nullptr);
  auto measure = [&](const std::string& name) {
    UINT w = 0, h = 0;
    menu.MeasureItem(*menu.Find(name), dc, w, h);
    return std::pair<int, int>(static_cast<int>(w), static_cast<int>(h));
  };
  auto textWidth = [&](const std::string& text, bool bold) {
    SelectObject(dc, M::ItemFont(bold));
    SIZE size;
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  for (const char* sep : {"MenuItem1", "N3", "N4", "N1"})
    EXPECT_EQ(measure(sep).second, M::kSeparatorHeight) << sep;
  for (const char* item : {"OpenNetwork", "NetworkOptimizations1", "jjj", "Jump4", "Exit1"})
    EXPECT_EQ(measure(item).second, M::kItemHeight) << item;

  // The '&' takes no room; the default item is measured in bold.
  const int topLeft = M::kBarWidth + M::kTextIndent;
  EXPECT_EQ(measure("OpenNetwork").first,
            topLeft + textWidth("Open Velotune", true) + M::kRightMargin);
  EXPECT_GT(textWidth("Open Velotune", true), textWidth("Open Velotune", false));
  EXPECT_EQ(measure("EraseTracks1").first,
            topLeft + textWidth("Erase Tracks", false) + M::kRightMargin);
  EXPECT_EQ(measure("HelpContents1").first, topLeft + textWidth("Help Contents", false) +
                                                M::kShortcutGap + textWidth("F1", false) +
                                                M::kRightMargin);
  // Submenu items have no bar.
  EXPECT_EQ(measure("Jump2").first,
            M::kSubmenuTextIndent + textWidth("2. Tracks Eraser", false) + M::kRightMargin);
  ReleaseDC(nullptr, dc);

  EXPECT_EQ(menu.TopLevelHeight(), 6 * M::kItemHeight + 4 * M::kSeparatorHeight);
  EXPECT_EQ(M::ItemOffset(*menu.Find("EraseTracks1")), 2 * M::kItemHeight + M::kSeparatorHeight);
  EXPECT_EQ(M::ItemOffset(*menu.Find("HomeOfficeLAN1")), 2 * M::kItemHeight);
  EXPECT_TRUE(menu.OnBar(*menu.Find("Exit1")));
  EXPECT_FALSE(menu.OnBar(*menu.Find("Jump1")));
  EXPECT_TRUE(M::ShownAsDefault(*menu.Find("OpenNetwork")));
  EXPECT_FALSE(M::ShownAsDefault(*menu.Find("Exit1")));
  // Of two items marked default only the first is shown so.
  menu.Find("Exit1")->SetDefault(true);
  EXPECT_FALSE(M::ShownAsDefault(*menu.Find("Exit1")));
}

TEST(BarPopupMenuLayout, AcceleratorKeys) {
  const struct {
    const char* caption;
    char key;
  } cases[] = {
      {"&Open Velotune", 'O'}, {"E&xit", 'x'},   {"&3. Enhancements", '3'}, {"Erase Tracks", 0},
      {"Fish && Chips", 0},    {"A&&B &C", 'C'}, {"Trailing&", 0},          {"-", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ui::AcceleratorKey(c.caption), c.key) << c.caption;
}

TEST_F(BarPopupMenuTest, DrawsTheSideBarTheItemsAndTheSubmenu) {
  TrayMenu tray;
  const ui::Picture picture = LoadArtwork("SIDEBAR");
  ASSERT_EQ(picture.Width(), 20);
  ASSERT_EQ(picture.Height(), 500);
  Shot closed, selected, top, sub;
  HMENU subMenu = nullptr;
  Open(tray.menu, {
                      [&] { closed = Capture(tray.menu.OpenMenu()); },
                      [&] { PostKeys({VK_DOWN}); },
                      [&] { selected = Capture(tray.menu.OpenMenu()); },
                      // The separator is skipped on the way to the submenu.
                      [&] {
                        PostKeys({VK_DOWN, VK_RIGHT});
                      },
                      [&] {
                        subMenu = GetSubMenu(tray.menu.OpenMenu(), kNetwork);
                        top = Capture(tray.menu.OpenMenu());
                        sub = Capture(subMenu);
                      },
                      [&] {
                        PostKeys({VK_ESCAPE, VK_ESCAPE});
                      },
                  });
  EXPECT_EQ(tray.menu.OpenMenu(), nullptr);
  TestApplication().ProcessMessages();
  EXPECT_TRUE(tray.ran.empty()) << "escape chooses nothing";
  ASSERT_TRUE(closed.pixels) << "the menu was not open";
  ASSERT_EQ(closed.items.size(), static_cast<size_t>(kCount));

  // The bar runs from the first item's top to the last item's bottom.
  const int barLeft = closed.items[kOpen].left, barTop = closed.items[kOpen].top;
  const int height = closed.items[kExit].bottom - barTop;
  ASSERT_EQ(height, tray.menu.TopLevelHeight());
  for (int i = 1; i < kCount; ++i) EXPECT_EQ(closed.items[i].left, barLeft);

  // Every row: the picture's white where it has white, else one shade of the
  // gradient; the picture's foot stands on the menu's foot.
  const int pictureTop = picture.Height() - height;
  const COLORREF olive = RGB(128, 128, 0), menuBack = SysColor(COLOR_MENU);
  std::vector<COLORREF> shade(height, CLR_INVALID);
  int whites = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < M::kBarWidth; ++x) {
      const COLORREF got = closed.At(barLeft + x, barTop + y);
      if (picture.PixelRgb(x, pictureTop + y) != olive) {
        EXPECT_EQ(got, picture.PixelRgb(x, pictureTop + y)) << x << "," << y;
        ++whites;
        continue;
      }
      if (shade[y] == CLR_INVALID) shade[y] = got;
      EXPECT_EQ(got, shade[y]) << "one shade per row at " << x << "," << y;
    }
    // Column 20 is the item's background again.
    EXPECT_EQ(closed.At(barLeft + M::kBarWidth, barTop + y), menuBack) << "row " << y;
  }
  EXPECT_GT(whites, 100) << "the picture's text shows";
  ASSERT_NE(shade.front(), CLR_INVALID);
  ASSERT_NE(shade.back(), CLR_INVALID);
  EXPECT_EQ(shade.front(), RGB(0, 69, 170));
  EXPECT_EQ(shade.back(), RGB(25, 99, 189));
  for (int y = 1; y < height; ++y) {
    if (shade[y] == CLR_INVALID || shade[y - 1] == CLR_INVALID) continue;
    EXPECT_GE(GetRValue(shade[y]), GetRValue(shade[y - 1])) << y;
    EXPECT_GE(GetGValue(shade[y]), GetGValue(shade[y - 1])) << y;
    EXPECT_GE(GetBValue(shade[y]), GetBValue(shade[y - 1])) << y;
  }

  // Text: Tahoma 11, the default item bold, the shortcut flush right.
  const COLORREF text = SysColor(COLOR_MENUTEXT);
  const RECT& open = closed.items[kOpen];
  const int textLeft = barLeft + M::kBarWidth + M::kTextIndent;
  const int textWidth = open.right - M::kRightMargin - textLeft;
  const int itemHeight = open.bottom - open.top;
  EXPECT_EQ(itemHeight, M::kItemHeight);
  EXPECT_EQ(TextMismatches(closed, textLeft, open.top, textWidth, itemHeight, "&Open Velotune",
                           true, DT_LEFT, text, menuBack),
            0);
  EXPECT_GT(TextMismatches(closed, textLeft, open.top, textWidth, itemHeight, "&Open Velotune",
                           false, DT_LEFT, text, menuBack),
            0)
      << "bold and normal must differ for this check to mean anything";
  EXPECT_EQ(TextMismatches(closed, textLeft, closed.items[kErase].top, textWidth, itemHeight,
                           "Erase Tracks", false, DT_LEFT, text, menuBack),
            0);
  const RECT& help = closed.items[kHelp];
  const int shortcutBox = 30;
  EXPECT_EQ(TextMismatches(closed, help.right - M::kRightMargin - shortcutBox, help.top,
                           shortcutBox, itemHeight, "F1", false, DT_RIGHT, text, menuBack),
            0);
  EXPECT_EQ(TextMismatches(closed, textLeft, help.top, 80, itemHeight, "&Help Contents", false,
                           DT_LEFT, text, menuBack),
            0);

  // Separators: an etched line, shadow over highlight, right of the bar.
  const RECT& sep = closed.items[kSep1];
  EXPECT_EQ(sep.bottom - sep.top, M::kSeparatorHeight);
  const int lineY = (sep.top + sep.bottom) / 2 - 1, midX = (textLeft + sep.right) / 2;
  EXPECT_EQ(closed.At(midX, lineY), SysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(closed.At(midX, lineY + 1), SysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(closed.At(midX, lineY - 1), menuBack);
  EXPECT_EQ(closed.At(midX, lineY + 2), menuBack);

  // The submenu arrows the system draws, in the item's text colour, and only there.
  auto rightMargin = [](const RECT& r) {
    return RECT{r.right - M::kRightMargin, r.top, r.right, r.bottom};
  };
  EXPECT_GT(CountColor(closed, rightMargin(closed.items[kNetwork]), text), 0);
  EXPECT_GT(CountColor(closed, rightMargin(closed.items[kQuickJump]), text), 0);
  EXPECT_EQ(CountColor(closed, rightMargin(closed.items[kErase]), text), 0);
  EXPECT_EQ(CountColor(closed, rightMargin(closed.items[kExit]), text), 0);

  // The highlighted item: system colours right of the bar; the bar stays.
  ASSERT_TRUE(selected.pixels);
  const COLORREF high = SysColor(COLOR_HIGHLIGHT), highText = SysColor(COLOR_HIGHLIGHTTEXT);
  for (int y = open.top; y < open.bottom; ++y) {
    EXPECT_EQ(selected.At(barLeft + M::kBarWidth, y), high) << y;
    EXPECT_EQ(selected.At(open.right - 1, y), high) << y;
    EXPECT_EQ(selected.At(barLeft + M::kBarWidth - 1, y), closed.At(barLeft + M::kBarWidth - 1, y));
  }
  EXPECT_EQ(TextMismatches(selected, textLeft, open.top, textWidth, itemHeight, "&Open Velotune",
                           true, DT_LEFT, highText, high),
            0);

  // With the submenu open its item stays highlighted, arrow included.
  ASSERT_TRUE(top.pixels);
  const RECT& network = top.items[kNetwork];
  EXPECT_EQ(top.At(barLeft + M::kBarWidth, network.top), high);
  EXPECT_GT(CountColor(top, rightMargin(network), highText), 0);
  EXPECT_EQ(top.At(barLeft + M::kBarWidth, closed.items[kOpen].top), menuBack);

  // The submenu: no bar, its first item selected, the same font.
  ASSERT_TRUE(sub.pixels) << "the submenu did not open";
  ASSERT_EQ(sub.items.size(), 4u);
  const RECT& dialup = sub.items[0];
  const RECT& dsl = sub.items[1];
  EXPECT_EQ(sub.At(dialup.left, dialup.top + 1), high);
  for (int y = dsl.top; y < dsl.bottom; ++y) EXPECT_EQ(sub.At(dsl.left, y), menuBack) << y;
  const int subTextLeft = dsl.left + M::kSubmenuTextIndent;
  EXPECT_EQ(TextMismatches(sub, subTextLeft, dsl.top, dsl.right - M::kRightMargin - subTextLeft,
                           dsl.bottom - dsl.top, "ADSL, DSL, Cable Modem", false, DT_LEFT, text,
                           menuBack),
            0);

  // For a person to look at: both menus where they were on screen.
  RECT both;
  UnionRect(&both, &top.window, &sub.window);
  InflateRect(&both, 8, 8);
  ui::Surface screen(both.right - both.left, both.bottom - both.top);
  ui::UniqueBrush desk(CreateSolidBrush(RGB(58, 110, 165)));
  RECT all = {0, 0, screen.width(), screen.height()};
  FillRect(screen.dc(), &all, desk);
  for (const Shot* s : {&top, &sub})
    BitBlt(screen.dc(), s->window.left - both.left, s->window.top - both.top, s->pixels->width(),
           s->pixels->height(), s->pixels->dc(), 0, 0, SRCCOPY);
  test::SaveScreenshot(screen, "tray_menu");
}

TEST_F(BarPopupMenuTest, KeyboardChoiceRunsTheItemsClickAfterTheMenuCloses) {
  const struct {
    std::vector<WPARAM> keys;
    std::string chars;
    const char* chosen;
  } cases[] = {
      {{VK_DOWN, VK_RETURN}, "", "OpenNetwork"},
      {{VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, "", "EraseTracks1"},
      {{VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}, "", "ADSLDSLCableModem1"},
      {{VK_UP, VK_RETURN}, "", "Exit1"},
      {{VK_UP, VK_UP, VK_RETURN}, "", "HelpContents1"},
      // The '&' keys of owner-drawn items, in menus and submenus.
      {{}, "x", "Exit1"},
      {{}, "H", "HelpContents1"},
      {{}, "q3", "Jump3"},
      {{}, "o", "OpenNetwork"},
  };
  for (const auto& c : cases) {
    TrayMenu tray;
    Open(tray.menu, {[&] {
                       PostKeys(c.keys);
                       PostChars(c.chars);
                     },
                     [] {
                       PostKeys({VK_ESCAPE, VK_ESCAPE});
                     }});
    EXPECT_TRUE(tray.ran.empty()) << c.chosen << ": the click runs from the loop, afterwards";
    TestApplication().ProcessMessages();
    EXPECT_EQ(tray.ran, std::vector<std::string>{c.chosen});
  }
}

TEST_F(BarPopupMenuTest, DisabledItemsAreGreyAndCannotBeChosen) {
  TBarPopupMenu menu("Menu");
  std::vector<std::string> ran;
  auto record = [&](MenuItem& item) { ran.push_back(item.Name()); };
  menu.Items().Add("On", "&Enabled", record);
  menu.Items().Add("Off", "&Disabled", record).SetEnabled(false);
  menu.Items().Add("Last", "&Last", record);
  Shot shot;
  bool openAfterKey = false;
  Open(menu, {[&] { shot = Capture(menu.OpenMenu()); }, [&] { PostChars("d"); },
              [&] { openAfterKey = MenuWindow(menu.OpenMenu()) != nullptr; },
              [&] {
                PostKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
              }});
  TestApplication().ProcessMessages();
  EXPECT_TRUE(openAfterKey) << "the disabled item's key neither runs nor closes";
  EXPECT_EQ(ran, std::vector<std::string>{"Last"});
  // Choosing it with the keyboard closes the menu with nothing run.
  Open(menu, {[&] { PostKeys({VK_DOWN, VK_DOWN, VK_RETURN}); }, [] { PostKeys({VK_ESCAPE}); }});
  TestApplication().ProcessMessages();
  EXPECT_EQ(ran, std::vector<std::string>{"Last"});
  ASSERT_TRUE(shot.pixels);
  ASSERT_EQ(shot.items.size(), 3u);
  const RECT& on = shot.items[0];
  const RECT& off = shot.items[1];
  const int left = on.left + M::kBarWidth + M::kTextIndent;
  const RECT onText = {left, on.top, on.right, on.bottom};
  const RECT offText = {left, off.top, off.right, off.bottom};
  EXPECT_GT(CountColor(shot, onText, SysColor(COLOR_MENUTEXT)), 20);
  EXPECT_EQ(CountColor(shot, offText, SysColor(COLOR_MENUTEXT)), 0);
  EXPECT_GT(CountColor(shot, offText, SysColor(COLOR_GRAYTEXT)), 20);
  // Engraved: a light copy one pixel down and right.
  EXPECT_GT(CountColor(shot, offText, SysColor(COLOR_BTNHIGHLIGHT)), 5);
}

}  // namespace
}  // namespace velotune
