// The framework by keyboard and to screen readers: Tab through nested
// containers, the radio group's arrows, focus marks, focus kept across hiding,
// and the accessible objects read back through oleacc.
#include <oleacc.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/keys.h"
#include "support/ui_fixture.h"
#include "ui/accessible.h"
#include "ui/controls.h"
#include "ui/font.h"
#include "ui/form.h"

namespace velotune::ui {
namespace {

using test::Accessible;
using test::PressKey;
using test::TestApplication;

std::string NameOf(HWND hwnd) {
  char text[64] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

class KeyboardTest : public testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    form = std::make_unique<Form>("KeyForm");
    form->SetBounds(40, 40, 300, 200);
    form->SetColor(clWhite);
  }
  void Show(std::span<const ControlSpec> layout) {
    form->Build(layout);
    form->CreateForm();
    form->Show();
    SetForegroundWindow(form->Handle());
    test::Pump();
  }
  HWND Hwnd(const char* name) { return form->Get<WinControl>(name).Handle(); }
  NotifyEvent Clicked() {
    return [this](Control& c) { clicks.push_back(c.Name()); };
  }

  // Two radio buttons and a box in a panel inside a panel, then a box outside:
  // Tab must find them through both containers.
  void ShowNested() {
    const ControlSpec layout[] = {
        {.name = "Outer", .create = Make<Panel>, .left = 0, .top = 0, .width = 300, .height = 150},
        {.name = "Inner",
         .create = Make<Panel>,
         .parent = "Outer",
         .left = 0,
         .top = 0,
         .width = 300,
         .height = 120},
        {.name = "RB1",
         .create = Make<RadioButton>,
         .parent = "Inner",
         .left = 5,
         .top = 5,
         .width = 120,
         .height = 17,
         .text = "First",
         .onClick = Clicked(),
         .setup = [](Control& c) { static_cast<RadioButton&>(c).SetChecked(true); }},
        {.name = "RB2",
         .create = Make<RadioButton>,
         .parent = "Inner",
         .left = 5,
         .top = 25,
         .width = 120,
         .height = 17,
         .text = "Second",
         .onClick = Clicked()},
        {.name = "RB3",
         .create = Make<RadioButton>,
         .parent = "Inner",
         .left = 5,
         .top = 45,
         .width = 120,
         .height = 17,
         .text = "Third",
         .onClick = Clicked()},
        {.name = "Box1",
         .create = Make<CheckBox>,
         .parent = "Inner",
         .left = 5,
         .top = 65,
         .width = 120,
         .height = 17,
         .text = "Box one",
         .onClick = Clicked()},
        {.name = "Box2",
         .create = Make<CheckBox>,
         .left = 5,
         .top = 160,
         .width = 120,
         .height = 17,
         .text = "Box two",
         .onClick = Clicked()},
    };
    Show(layout);
  }

  std::unique_ptr<Form> form;
  std::vector<std::string> clicks;
};

TEST_F(KeyboardTest, TabCyclesThroughNestedContainersAndWraps) {
  ShowNested();
  SetFocus(Hwnd("RB1"));
  ASSERT_EQ(GetFocus(), Hwnd("RB1"));
  // The radio group is one stop, at its selected button.
  const char* forward[] = {"Box one", "Box two", "First", "Box one"};
  for (const char* expected : forward) {
    PressKey(VK_TAB);
    EXPECT_EQ(NameOf(GetFocus()), expected);
  }
  const char* backward[] = {"First", "Box two", "Box one"};
  for (const char* expected : backward) {
    PressKey(VK_TAB, {VK_SHIFT});
    EXPECT_EQ(NameOf(GetFocus()), expected);
  }
  EXPECT_TRUE(clicks.empty()) << "moving the focus clicks nothing";
}

TEST_F(KeyboardTest, ArrowsMoveThroughTheRadioGroupSelectingAndWrapping) {
  ShowNested();
  SetFocus(Hwnd("RB1"));
  const struct {
    WPARAM key;
    const char* focused;
  } steps[] = {
      {VK_DOWN, "RB2"}, {VK_RIGHT, "RB3"}, {VK_DOWN, "RB1"}, {VK_UP, "RB3"}, {VK_LEFT, "RB2"}};
  for (const auto& step : steps) {
    PressKey(step.key);
    EXPECT_EQ(GetFocus(), Hwnd(step.focused)) << step.focused;
    for (const char* name : {"RB1", "RB2", "RB3"})
      EXPECT_EQ(form->Get<RadioButton>(name).Checked(), std::string(name) == step.focused) << name;
  }
  EXPECT_EQ(clicks, (std::vector<std::string>{"RB2", "RB3", "RB1", "RB3", "RB2"}));
  // Tab now stops at the newly selected button only.
  EXPECT_TRUE(GetWindowLongA(Hwnd("RB2"), GWL_STYLE) & WS_TABSTOP);
  EXPECT_FALSE(GetWindowLongA(Hwnd("RB1"), GWL_STYLE) & WS_TABSTOP);
  EXPECT_FALSE(form->Get<CheckBox>("Box1").Checked()) << "the arrows stay in the group";
}

TEST_F(KeyboardTest, SpaceTogglesAFocusedBox) {
  ShowNested();
  SetFocus(Hwnd("Box1"));
  PressKey(VK_SPACE);
  // The native button clicks on the key's release, through the parent's WM_COMMAND.
  test::Pump();
  EXPECT_TRUE(form->Get<CheckBox>("Box1").Checked());
  EXPECT_EQ(clicks, std::vector<std::string>{"Box1"});
  PressKey(VK_SPACE);
  test::Pump();
  EXPECT_FALSE(form->Get<CheckBox>("Box1").Checked());
}

TEST_F(KeyboardTest, FocusMarksHiddenUntilTheKeyboardIsUsed) {
  test::HiddenFocusCues usual;
  ASSERT_TRUE(usual.Hidden());
  ShowNested();
  SetFocus(Hwnd("Box1"));
  auto hidden = [&](const char* name) {
    return (SendMessageA(Hwnd(name), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
  };
  EXPECT_TRUE(hidden("Box1"));
  EXPECT_TRUE(hidden("Box2"));
  EXPECT_FALSE(form->Get<CheckBox>("Box1").ShowsFocusCues());
  PressKey(VK_TAB);
  EXPECT_FALSE(hidden("Box1"));
  EXPECT_FALSE(hidden("Box2"));
  EXPECT_TRUE(form->Get<CheckBox>("Box2").ShowsFocusCues());
}

TEST_F(KeyboardTest, FocusMarksShownFromTheStartWhenTheUserAsksForThemAlways) {
  test::HiddenFocusCues usual;
  SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(INT_PTR{TRUE}), 0);
  ShowNested();
  EXPECT_FALSE(SendMessageA(Hwnd("Box1"), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

TEST_F(KeyboardTest, AWindowMadeLaterHidesItsMarksAsTheFormDoes) {
  const ControlSpec layout[] = {
      {.name = "Pages", .create = Make<PageControl>, .width = 300, .height = 150},
      {.name = "Page1", .create = Make<TabSheet>, .parent = "Pages"},
      {.name = "Page2", .create = Make<TabSheet>, .parent = "Pages"},
      {.name = "A",
       .create = Make<CheckBox>,
       .parent = "Page1",
       .left = 5,
       .top = 5,
       .width = 100,
       .height = 17,
       .text = "A"},
      {.name = "B",
       .create = Make<CheckBox>,
       .parent = "Page2",
       .left = 5,
       .top = 5,
       .width = 100,
       .height = 17,
       .text = "B"},
  };
  test::HiddenFocusCues usual;
  form->SetDeferHiddenWindows(true);
  Show(layout);
  ASSERT_EQ(Hwnd("B"), nullptr);
  SetFocus(Hwnd("A"));
  // Page 2 appears while the focus is on page 1: the focus follows to it.
  form->Get<PageControl>("Pages").SetActivePageIndex(1);
  ASSERT_NE(Hwnd("B"), nullptr);
  EXPECT_EQ(GetFocus(), Hwnd("B"));
  EXPECT_TRUE(SendMessageA(form->Handle(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
  EXPECT_TRUE(SendMessageA(Hwnd("B"), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS);
}

// A link looks exactly like a transparent label over its parent's colour; Tab
// reaches it, its focus mark frames its text once the keyboard is used, and
// Enter, Space and a click each open it once.
TEST_F(KeyboardTest, ALinkLooksLikeItsLabelTakesTheFocusAndOpensByKeyOrClick) {
  test::HiddenFocusCues usual;
  const FontSpec link{.underline = true, .color = clHotLight};
  const ControlSpec layout[] = {
      {.name = "Back",
       .create = Make<Panel>,
       .width = 300,
       .height = 150,
       .color = Rgb(255, 240, 200)},
      {.name = "Label",
       .create = Make<Label>,
       .parent = "Back",
       .left = 10,
       .top = 10,
       .width = 200,
       .height = 14,
       .text = "support@quorvane.example",
       .font = link},
      {.name = "Link",
       .create = Make<LinkLabel>,
       .parent = "Back",
       .left = 10,
       .top = 40,
       .width = 200,
       .height = 14,
       .text = "support@quorvane.example",
       .font = link,
       .onClick = Clicked()},
      {.name = "Box",
       .create = Make<CheckBox>,
       .left = 5,
       .top = 160,
       .width = 120,
       .height = 17,
       .text = "Box"},
  };
  Show(layout);
  // Row by row, the link's rectangle against the label's.
  auto differing = [&] {
    test::Pump();
    const auto shot = test::CaptureClient(Hwnd("Back"));
    int n = 0;
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 200; ++x) n += shot->Pixel(10 + x, 10 + y) != shot->Pixel(10 + x, 40 + y);
    return n;
  };
  EXPECT_EQ(differing(), 0);
  SetFocus(Hwnd("Link"));
  EXPECT_EQ(differing(), 0) << "no mark before the keyboard is used";
  PressKey(VK_TAB);
  ASSERT_EQ(GetFocus(), Hwnd("Box"));
  PressKey(VK_TAB, {VK_SHIFT});
  ASSERT_EQ(GetFocus(), Hwnd("Link"));
  const int marked = differing();
  EXPECT_GT(marked, 40);
  // The mark frames the text: nothing changes beyond the text's width.
  {
    const auto shot = test::CaptureClient(Hwnd("Back"));
    SIZE text{};
    HDC dc = GetDC(Hwnd("Link"));
    SelectObject(dc, FontHandle(link));
    GetTextExtentPoint32A(dc, "support@quorvane.example", 24, &text);
    ReleaseDC(Hwnd("Link"), dc);
    for (int y = 0; y < 14; ++y)
      for (int x = text.cx + 1; x < 200; ++x)
        ASSERT_EQ(shot->Pixel(10 + x, 10 + y), shot->Pixel(10 + x, 40 + y)) << x << "," << y;
  }

  PressKey(VK_RETURN);
  PressKey(VK_SPACE);
  const LPARAM at = MAKELPARAM(10, 7);  // inside the link
  SendMessageA(Hwnd("Link"), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageA(Hwnd("Link"), WM_LBUTTONUP, 0, at);
  test::Pump();
  EXPECT_EQ(clicks, (std::vector<std::string>{"Link", "Link", "Link"}));

  Accessible a(Hwnd("Link"));
  ASSERT_NE(a.object, nullptr);
  EXPECT_EQ(a.Name(), "support@quorvane.example");
  EXPECT_EQ(a.Role(), ROLE_SYSTEM_LINK);
}

TEST_F(KeyboardTest, FocusComesBackToTheControlThatHadItWhenShownAgain) {
  ShowNested();
  SetFocus(Hwnd("Box2"));
  form->Hide();
  EXPECT_NE(GetFocus(), Hwnd("Box2"));
  EXPECT_EQ(form->SavedFocus(), Hwnd("Box2"));
  form->Show();
  form->Activate();
  test::Pump();
  EXPECT_EQ(GetFocus(), Hwnd("Box2"));
}

TEST_F(KeyboardTest, KeyPreviewSeesKeysFirstAndCanTakeThem) {
  ShowNested();
  SetFocus(Hwnd("Box1"));
  std::vector<WPARAM> seen;
  form->OnKeyPreview = [&](const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    seen.push_back(msg.wParam);
    return msg.wParam == VK_TAB;  // taken: the focus must not move
  };
  PressKey(VK_TAB);
  EXPECT_EQ(GetFocus(), Hwnd("Box1"));
  PressKey(VK_SPACE);
  test::Pump();
  EXPECT_TRUE(form->Get<CheckBox>("Box1").Checked()) << "a key not taken goes on";
  EXPECT_EQ(seen, (std::vector<WPARAM>{VK_TAB, VK_SPACE}));
}

// ---- Accessibility

TEST_F(KeyboardTest, BoxesAndRadiosReportTheirRoleAndCheckedState) {
  ShowNested();
  form->Get<CheckBox>("Box2").SetChecked(true);
  const struct {
    const char* control;
    const char* name;
    LONG role;
    bool checked;
  } cases[] = {{"RB1", "First", ROLE_SYSTEM_RADIOBUTTON, true},
               {"RB2", "Second", ROLE_SYSTEM_RADIOBUTTON, false},
               {"Box1", "Box one", ROLE_SYSTEM_CHECKBUTTON, false},
               {"Box2", "Box two", ROLE_SYSTEM_CHECKBUTTON, true}};
  for (const auto& c : cases) {
    Accessible a(Hwnd(c.control));
    ASSERT_NE(a.object, nullptr) << c.control;
    EXPECT_EQ(a.Name(), c.name);
    EXPECT_EQ(a.Role(), c.role) << c.control;
    EXPECT_EQ((a.State() & STATE_SYSTEM_CHECKED) != 0, c.checked) << c.control;
  }
}

TEST_F(KeyboardTest, LabelsOfAWindowAreElementsNamedByTheirTextAndAnnounced) {
  const ControlSpec layout[] = {
      {.name = "Panel1", .create = Make<Panel>, .width = 300, .height = 100},
      {.name = "Title",
       .create = Make<Label>,
       .parent = "Panel1",
       .left = 5,
       .top = 5,
       .width = 200,
       .height = 16,
       .text = "Working"},
      {.name = "Picture", .create = Make<Image>, .parent = "Panel1", .width = 4, .height = 4},
      {.name = "Status",
       .create = Make<Label>,
       .parent = "Panel1",
       .left = 5,
       .top = 40,
       .width = 200,
       .height = 16,
       .text = "Completed: 0%"},
      {.name = "Named",
       .create = Make<Label>,
       .parent = "Panel1",
       .left = 5,
       .top = 60,
       .width = 200,
       .height = 16,
       .text = "x",
       .setup = [](Control& c) { c.SetAccessibleName("Given"); }},
  };
  Show(layout);
  Accessible a(Hwnd("Panel1"));
  ASSERT_NE(a.object, nullptr);
  ASSERT_EQ(a.Children(), 3) << "the picture has no role and is left out";
  const char* names[] = {"Working", "Completed: 0%", "Given"};
  for (LONG id = 1; id <= 3; ++id) {
    EXPECT_EQ(a.Name(id), names[id - 1]);
    EXPECT_EQ(a.Role(id), ROLE_SYSTEM_STATICTEXT);
    EXPECT_TRUE(a.State(id) & STATE_SYSTEM_READONLY);
  }
  LONG x = 0, y = 0, w = 0, h = 0;
  ASSERT_EQ(a.object->accLocation(&x, &y, &w, &h, Accessible::Child(2)), S_OK);
  POINT origin = {5, 40};
  ClientToScreen(Hwnd("Panel1"), &origin);
  EXPECT_EQ(x, origin.x);
  EXPECT_EQ(y, origin.y);
  EXPECT_EQ(w, 200);

  // A new text is the element's new name, and listeners hear of it.
  static std::vector<std::pair<DWORD, LONG>> events;
  events.clear();
  HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr,
      [](HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
        if (object == OBJID_CLIENT) events.emplace_back(event, child);
      },
      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  form->Get<Label>("Status").SetText("Completed: 40%");
  test::Pump();
  UnhookWinEvent(hook);
  EXPECT_EQ(a.Name(2), "Completed: 40%");
  EXPECT_EQ(events, (std::vector<std::pair<DWORD, LONG>>{{EVENT_OBJECT_NAMECHANGE, 2}}));
}

TEST_F(KeyboardTest, AFormsGivenNameIsItsWindowsAndClientsName) {
  ShowNested();
  form->SetText("KeyForm");
  form->SetAccessibleName("Velotune");
  for (LONG id : {OBJID_CLIENT, OBJID_WINDOW}) {
    Accessible a(form->Handle(), id);
    ASSERT_NE(a.object, nullptr);
    EXPECT_EQ(a.Name(), "Velotune") << id;
  }
  EXPECT_TRUE(AccessibilityLoaded());
}

}  // namespace
}  // namespace velotune::ui
