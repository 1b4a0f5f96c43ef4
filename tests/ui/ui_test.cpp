#include <gtest/gtest.h>

#include "support/ui_fixture.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/menu.h"
#include "ui/picture.h"

namespace velotune::ui {
namespace {

using test::CaptureClient;
using test::TestApplication;

class FormTest : public testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    form = std::make_unique<Form>("TestForm");
    form->SetBounds(10, 10, 200, 120);
    form->SetColor(clWhite);
  }
  // The handlers the layout rows carry.
  NotifyEvent Clicked() {
    return [this](Control& c) { clicks.push_back(c.Name()); };
  }
  MouseEvent Pressed() {
    return [this](Control& c, MouseButton b, Shift s, int x, int y) {
      presses.push_back({c.Name(), b, s, x, y});
    };
  }
  struct Press {
    std::string name;
    MouseButton button;
    Shift shift;
    int x, y;
  };
  std::unique_ptr<Form> form;
  std::vector<std::string> clicks;
  std::vector<Press> presses;
};

TEST_F(FormTest, BuildsFromLayoutAndPaintsGraphicChildrenOnTheirParent) {
  const ControlSpec layout[] = {
      {.name = "Panel1",
       .create = Make<Panel>,
       .left = 0,
       .top = 60,
       .width = 200,
       .height = 60,
       .color = Rgb(0, 0, 255)},
      {.name = "Shape1",
       .create = Make<Shape>,
       .left = 10,
       .top = 10,
       .width = 50,
       .height = 40,
       .setup =
           [](Control& c) {
             auto& s = static_cast<Shape&>(c);
             s.SetPenColor(Rgb(255, 0, 0));
             s.SetBrushColor(Rgb(0, 255, 0));
           }},
      {.name = "Label1",
       .create = Make<Label>,
       .parent = "Panel1",
       .left = 5,
       .top = 5,
       .width = 100,
       .height = 20,
       .text = "Hello",
       .font = FontSpec{.face = "Arial", .height = 16, .bold = true, .color = Rgb(255, 255, 0)}},
  };
  form->Build(layout);
  form->CreateForm();
  form->Show();
  auto pixels = CaptureClient(form->Handle());
  EXPECT_EQ(pixels->PixelRgb(100, 5), RGB(255, 255, 255));  // form colour
  EXPECT_EQ(pixels->PixelRgb(10, 10), RGB(255, 0, 0));      // shape pen
  EXPECT_EQ(pixels->PixelRgb(30, 30), RGB(0, 255, 0));      // shape brush
  EXPECT_EQ(pixels->PixelRgb(150, 110), RGB(0, 0, 255));    // panel
  // The label's text is yellow on the panel's blue, with no box of its own.
  int yellow = 0;
  for (int y = 65; y < 85; ++y)
    for (int x = 5; x < 105; ++x) yellow += pixels->PixelRgb(x, y) == RGB(255, 255, 0);
  EXPECT_GT(yellow, 10);
  EXPECT_EQ(pixels->PixelRgb(104, 84), RGB(0, 0, 255));
  EXPECT_EQ(&form->Get<Label>("Label1"), form->Find("Label1"));
  EXPECT_EQ(form->Get<Label>("Label1").Font().face, "Arial");
}

// Windows without a frame skip the frame painting; one with a border keeps it.
struct BorderedPanel : Panel {
  using Panel::Panel;
  void CreateParams(DWORD& style, DWORD& exStyle, const char*& className) override {
    Panel::CreateParams(style, exStyle, className);
    style |= WS_BORDER;
  }
};

TEST_F(FormTest, OnlyWindowsWithAFrameGetItPainted) {
  const ControlSpec layout[] = {
      {.name = "Bordered",
       .create = Make<BorderedPanel>,
       .left = 20,
       .top = 20,
       .width = 60,
       .height = 40,
       .color = Rgb(0, 0, 255)},
      {.name = "Plain",
       .create = Make<Panel>,
       .left = 110,
       .top = 20,
       .width = 60,
       .height = 40,
       .color = Rgb(255, 0, 0)},
  };
  form->Build(layout);
  form->CreateForm();
  form->Show();
  auto pixels = CaptureClient(form->Handle());
  const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
  ASSERT_NE(frame, RGB(0, 0, 255));
  for (const POINT p : {POINT{20, 20}, POINT{79, 59}, POINT{50, 20}, POINT{20, 40}})
    EXPECT_EQ(pixels->PixelRgb(p.x, p.y), frame) << p.x << "," << p.y;
  EXPECT_EQ(pixels->PixelRgb(21, 21), RGB(0, 0, 255));
  EXPECT_EQ(pixels->PixelRgb(110, 20), RGB(255, 0, 0));
  EXPECT_EQ(pixels->PixelRgb(169, 59), RGB(255, 0, 0));
  EXPECT_EQ(pixels->PixelRgb(100, 40), RGB(255, 255, 255));
}

TEST_F(FormTest, MouseGoesToTheGraphicControlUnderItWithItsShiftState) {
  const ControlSpec layout[] = {
      {.name = "Back",
       .create = Make<Label>,
       .left = 0,
       .top = 0,
       .width = 200,
       .height = 120,
       .onClick = Clicked(),
       .onMouseDown = Pressed()},
      {.name = "Front",
       .create = Make<Label>,
       .left = 50,
       .top = 50,
       .width = 20,
       .height = 20,
       .onClick = Clicked(),
       .onMouseDown = Pressed()},
  };
  form->Build(layout);
  form->CreateForm();
  form->Show();
  HWND h = form->Handle();
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(55, 56));
  SendMessageA(h, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(56, 57));
  SendMessageA(h, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 6));
  SendMessageA(h, WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
  SendMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 60));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));  // released outside: no click
  SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(1, 1));
  SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  ASSERT_EQ(presses.size(), 4u);
  EXPECT_EQ(presses[0].name, "Front");
  EXPECT_EQ(presses[0].shift, ssShift | ssLeft);
  EXPECT_EQ(presses[0].x, 5);
  EXPECT_EQ(presses[0].y, 6);
  EXPECT_EQ(presses[1].name, "Back");
  EXPECT_EQ(presses[1].button, MouseButton::Right);
  EXPECT_EQ(presses[1].shift, Shift{ssRight});
  EXPECT_EQ(presses[3].shift, ssLeft | ssDouble);
  EXPECT_EQ(clicks, (std::vector<std::string>{"Front", "Back"}));
}

TEST_F(FormTest, CheckBoxClicksOnEveryChangeAndRadioOnlyWhenNewlySelected) {
  const ControlSpec layout[] = {
      {.name = "Box",
       .create = Make<CheckBox>,
       .left = 0,
       .top = 0,
       .width = 100,
       .height = 17,
       .text = "Box",
       .onClick = Clicked()},
      {.name = "R1",
       .create = Make<RadioButton>,
       .left = 0,
       .top = 20,
       .width = 100,
       .height = 17,
       .onClick = Clicked()},
      {.name = "R2",
       .create = Make<RadioButton>,
       .left = 0,
       .top = 40,
       .width = 100,
       .height = 17,
       .onClick = Clicked()},
  };
  form->Build(layout);
  form->CreateForm();
  form->Show();
  auto& box = form->Get<CheckBox>("Box");
  auto& r1 = form->Get<RadioButton>("R1");
  auto& r2 = form->Get<RadioButton>("R2");
  box.SetChecked(true);
  box.SetChecked(true);                        // no change, no click
  SendMessageA(box.Handle(), BM_CLICK, 0, 0);  // the user unticks it
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(SendMessageA(box.Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  r1.SetChecked(true);
  r1.SetChecked(true);
  SendMessageA(r2.Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(r2.Checked());
  EXPECT_FALSE(r1.Checked());
  SendMessageA(r2.Handle(), BM_CLICK, 0, 0);  // already selected
  EXPECT_EQ(clicks, (std::vector<std::string>{"Box", "Box", "R1", "R2"}));
}

TEST_F(FormTest, PageControlShowsOnlyTheActivePageWithoutAChangeEvent) {
  const ControlSpec layout[] = {
      {.name = "Pages",
       .create = Make<PageControl>,
       .left = 0,
       .top = 0,
       .width = 100,
       .height = 100,
       .setup = [this](Control& c) { static_cast<PageControl&>(c).OnChange = Clicked(); }},
      {.name = "Sheet1", .create = Make<TabSheet>, .parent = "Pages"},
      {.name = "Sheet2", .create = Make<TabSheet>, .parent = "Pages"},
  };
  form->Build(layout);
  form->CreateForm();
  form->Show();
  auto& pages = form->Get<PageControl>("Pages");
  EXPECT_EQ(pages.PageCount(), 2);
  EXPECT_TRUE(IsWindowVisible(form->Get<TabSheet>("Sheet1").Handle()));
  EXPECT_FALSE(IsWindowVisible(form->Get<TabSheet>("Sheet2").Handle()));
  pages.SetActivePageIndex(1);
  EXPECT_EQ(pages.ActivePageIndex(), 1);
  EXPECT_FALSE(IsWindowVisible(form->Get<TabSheet>("Sheet1").Handle()));
  EXPECT_TRUE(IsWindowVisible(form->Get<TabSheet>("Sheet2").Handle()));
  EXPECT_EQ(form->Get<TabSheet>("Sheet2").Width(), 100);
  EXPECT_TRUE(clicks.empty());
}

TEST(PopupMenuTest, ItemsSubmenusDefaultAndPostedClicks) {
  auto& app = TestApplication();
  PopupMenu menu("Menu");
  std::vector<std::string> ran;
  auto record = [&](MenuItem& item) { ran.push_back(item.Name()); };
  menu.Items().Add("Open", "&Open", record).SetDefault(true);
  menu.Items().Add("Sep", "-");
  auto& sub = menu.Items().Add("Sub", "Sub");
  sub.Add("Inner", "Inner", record);
  menu.Items().Add("Help", "&Help", record).SetShortcutText("F1");
  ASSERT_NE(menu.DefaultItem(), nullptr);
  EXPECT_EQ(menu.DefaultItem()->Name(), "Open");
  EXPECT_TRUE(menu.Items().Find("Sep")->IsSeparator());
  EXPECT_EQ(menu.Find("Inner")->Menu(), &menu);
  // The menu closes itself from a timer after choosing the default item.
  Form owner("Owner");
  owner.SetBounds(0, 0, 50, 50);
  owner.CreateForm();
  owner.Show();
  SetForegroundWindow(owner.Handle());
  SetTimer(app.Handle(), 77, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(Application::Instance()->Handle(), id);
    // The menu's own loop reads the thread's keyboard messages.
    HWND h = Application::Instance()->Handle();
    PostMessageA(h, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(h, WM_KEYDOWN, VK_RETURN, 0);
  });
  menu.Popup(100, 100);
  EXPECT_TRUE(ran.empty()) << "the click runs from the loop, after the menu closed";
  app.ProcessMessages();
  EXPECT_EQ(ran, (std::vector<std::string>{"Open"}));
}

// Pages not shown get their windows only when they are first shown, in
// layout order, with the state set on their controls before.
TEST_F(FormTest, DeferredHiddenPagesGetTheirWindowsWhenShown) {
  const ControlSpec layout[] = {
      {.name = "Pages", .create = Make<PageControl>, .width = 200, .height = 120},
      {.name = "Sheet1", .create = Make<TabSheet>, .parent = "Pages"},
      {.name = "Sheet2", .create = Make<TabSheet>, .parent = "Pages"},
      {.name = "Box1", .create = Make<CheckBox>, .parent = "Sheet1", .width = 90, .height = 17},
      {.name = "Box2", .create = Make<CheckBox>, .parent = "Sheet2", .width = 90, .height = 17},
      {.name = "Box3",
       .create = Make<CheckBox>,
       .parent = "Sheet2",
       .top = 20,
       .width = 90,
       .height = 17},
      {.name = "Inner",
       .create = Make<Panel>,
       .parent = "Sheet2",
       .top = 40,
       .width = 90,
       .height = 30},
      {.name = "Box4", .create = Make<CheckBox>, .parent = "Inner", .width = 90, .height = 17},
  };
  form->Build(layout);
  form->SetDeferHiddenWindows(true);
  form->CreateForm();
  form->Show();
  auto& pages = form->Get<PageControl>("Pages");
  auto handle = [&](const char* name) { return form->Get<WinControl>(name).Handle(); };
  EXPECT_NE(handle("Sheet1"), nullptr);
  EXPECT_NE(handle("Box1"), nullptr);
  for (const char* name : {"Sheet2", "Box2", "Box3", "Inner", "Box4"})
    EXPECT_EQ(handle(name), nullptr) << name;

  form->Get<CheckBox>("Box3").SetChecked(true);
  pages.SetActivePageIndex(1);
  for (const char* name : {"Sheet2", "Box2", "Box3", "Inner", "Box4"}) {
    ASSERT_NE(handle(name), nullptr) << name;
    EXPECT_TRUE(IsWindowVisible(handle(name))) << name;
  }
  EXPECT_FALSE(IsWindowVisible(handle("Sheet1")));
  EXPECT_EQ(SendMessageA(handle("Box3"), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(handle("Box2"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // Tab order is window order: still the layout's.
  EXPECT_EQ(GetWindow(handle("Sheet2"), GW_CHILD), handle("Box2"));
  EXPECT_EQ(GetWindow(handle("Box2"), GW_HWNDNEXT), handle("Box3"));
  EXPECT_EQ(GetWindow(handle("Box3"), GW_HWNDNEXT), handle("Inner"));
  EXPECT_EQ(GetParent(handle("Box4")), handle("Inner"));
  // Back and forth changes nothing more.
  const HWND box2 = handle("Box2");
  pages.SetActivePageIndex(0);
  pages.SetActivePageIndex(1);
  EXPECT_EQ(handle("Box2"), box2);
}

// Without the switch every window is made with the form, shown or not.
TEST_F(FormTest, HiddenControlsGetWindowsWithTheFormByDefault) {
  const ControlSpec layout[] = {
      {.name = "Shown", .create = Make<Panel>, .width = 50, .height = 50},
      {.name = "Hidden", .create = Make<Panel>, .width = 50, .height = 50, .visible = false},
  };
  form->Build(layout);
  form->CreateForm();
  EXPECT_NE(form->Get<WinControl>("Shown").Handle(), nullptr);
  EXPECT_NE(form->Get<WinControl>("Hidden").Handle(), nullptr);
}

// A window destroyed with its parent's, not by its own object: the object lets
// go of the dead handle, and the parent made again brings it back as it was.
TEST_F(FormTest, ChildWindowsDestroyedWithTheirParentComeBackWithIt) {
  const ControlSpec layout[] = {
      {.name = "Outer", .create = Make<Panel>, .width = 200, .height = 120},
      {.name = "Box",
       .create = Make<CheckBox>,
       .parent = "Outer",
       .width = 90,
       .height = 17,
       .text = "Box",
       .onClick = Clicked()},
      {.name = "Inner",
       .create = Make<Panel>,
       .parent = "Outer",
       .top = 40,
       .width = 90,
       .height = 30},
  };
  form->Build(layout);
  form->CreateForm();
  form->Show();
  auto& outer = form->Get<Panel>("Outer");
  auto& box = form->Get<CheckBox>("Box");
  auto& inner = form->Get<Panel>("Inner");
  const HWND oldBox = box.Handle();
  box.SetChecked(true);
  DestroyWindow(outer.Handle());
  EXPECT_FALSE(IsWindow(oldBox));
  for (const WinControl* c : {static_cast<WinControl*>(&outer), static_cast<WinControl*>(&box),
                              static_cast<WinControl*>(&inner)})
    EXPECT_EQ(c->Handle(), nullptr) << c->Name();
  box.SetText("Renamed");  // no dead window to reach

  outer.CreateHandle();
  ASSERT_NE(box.Handle(), nullptr);
  ASSERT_NE(inner.Handle(), nullptr);
  EXPECT_EQ(GetParent(box.Handle()), outer.Handle());
  EXPECT_EQ(SendMessageA(box.Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  char text[16] = {};
  GetWindowTextA(box.Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Renamed");
  SendMessageA(box.Handle(), BM_CLICK, 0, 0);  // the user's click still reaches the object
  EXPECT_FALSE(box.Checked());
  EXPECT_EQ(clicks, (std::vector<std::string>{"Box", "Box"}));
}

// Artwork is decoded when first drawn: the size is known before, the pixels
// are made once for every copy of the picture.
TEST(PictureTest, DeferredPixelsAreMadeOnceOnFirstUse) {
  int made = 0;
  const Picture picture = Picture::Deferred(2, 1, [&made] {
    ++made;
    return Picture::FromBgra(2, 1, {1, 2, 3, 255, 4, 5, 6, 128});
  });
  const Picture copy = picture;
  EXPECT_FALSE(picture.Empty());
  EXPECT_EQ(picture.Width(), 2);
  EXPECT_EQ(picture.Height(), 1);
  EXPECT_EQ(made, 0);
  EXPECT_TRUE(copy.HasAlpha());
  EXPECT_EQ(made, 1);
  ASSERT_EQ(picture.Pixels().size(), 2u);
  EXPECT_EQ(picture.Pixels()[0], 0xFF030201u);
  EXPECT_EQ(picture.PixelRgb(1, 0), RGB(6, 5, 4));
  EXPECT_NE(picture.Bitmap(), nullptr);
  EXPECT_EQ(made, 1);
}

// Opaque pictures are copied straight from their pixels, blended ones through
// a bitmap: both land where the DC's origin and clipping put them, rows from the top.
TEST(PictureTest, OpaqueAndBlendedPicturesLandInTheSamePlace) {
  const std::vector<uint32_t> pixels = {0xFF102030u, 0xFF405060u, 0xFF708090u,
                                        0xFFA0B0C0u, 0xFFD0E0F0u, 0xFF010203u};
  std::vector<uint32_t> withAlpha = pixels;
  withAlpha[5] = 0x00FFFFFFu;  // one clear pixel makes it a blended picture
  const Picture opaque = Picture::FromPixels(3, 2, pixels);
  const Picture blended = Picture::FromPixels(3, 2, withAlpha);
  ASSERT_FALSE(opaque.HasAlpha());
  ASSERT_TRUE(blended.HasAlpha());
  for (const Picture* picture : {&opaque, &blended}) {
    Surface surface(6, 5);
    const RECT all = {0, 0, 6, 5};
    UniqueBrush grey(CreateSolidBrush(RGB(7, 7, 7)));
    FillRect(surface.dc(), &all, grey);
    SetViewportOrgEx(surface.dc(), 1, 2, nullptr);
    IntersectClipRect(surface.dc(), 0, 0, 3, 3);  // the picture's last column is cut off
    picture->Draw(surface.dc(), 1, 0);
    const bool isBlended = picture == &blended;
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        const int px = x - 2, py = y - 2;
        const bool inside = px >= 0 && px < 2 && py >= 0 && py < 2;
        const COLORREF want = inside ? opaque.PixelRgb(px, py) : RGB(7, 7, 7);
        EXPECT_EQ(surface.PixelRgb(x, y), want)
            << (isBlended ? "blended " : "opaque ") << x << "," << y;
      }
  }
}

TEST(PictureTest, DeferredPictureThatCannotBeMadeIsTransparent) {
  const Picture failed[] = {
      Picture::Deferred(3, 2, [] { return Picture(); }),
      Picture::Deferred(3, 2,
                        [] {
                          return Picture::FromBgra(1, 1, {9, 9, 9, 255});
                        }),
  };
  for (const Picture& picture : failed) {
    EXPECT_EQ(picture.Width(), 3);
    ASSERT_EQ(picture.Pixels().size(), 6u);
    EXPECT_TRUE(picture.HasAlpha());
    Surface surface(3, 2);
    const RECT all = {0, 0, 3, 2};
    UniqueBrush red(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(surface.dc(), &all, red);
    picture.Draw(surface.dc(), 0, 0);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(surface.PixelRgb(x, y), RGB(255, 0, 0));
  }
  EXPECT_TRUE(Picture::Deferred(0, 2, [] { return Picture(); }).Empty());
}

}  // namespace
}  // namespace velotune::ui
