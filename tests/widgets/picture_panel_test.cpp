#include "widgets/picture_panel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "support/ui_fixture.h"
#include "ui/form.h"

namespace velotune {
namespace {

using test::CaptureClient;
using test::TestApplication;
using ui::Control;
using ui::ControlSpec;
using ui::Make;

// The platform's multiply-divide: rounded to nearest, halves away from zero.
int RoundDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(p >= 0 ? (p + half) / c : (p - half) / c);
}

// The colour of band i of n from a to b.
COLORREF BandColor(COLORREF a, COLORREF b, int i, int n) {
  return RGB(GetRValue(a) + RoundDiv(i, GetRValue(b) - GetRValue(a), n - 1),
             GetGValue(a) + RoundDiv(i, GetGValue(b) - GetGValue(a), n - 1),
             GetBValue(a) + RoundDiv(i, GetBValue(b) - GetBValue(a), n - 1));
}

// The colour a 255-band gradient along `length` pixels gives pixel `at`.
COLORREF ExpectedBandAt(COLORREF a, COLORREF b, int length, int at) {
  for (int i = 0; i < 255; ++i)
    if (RoundDiv(i, length, 255) <= at && at < RoundDiv(i + 1, length, 255))
      return BandColor(a, b, i, 255);
  ADD_FAILURE() << "no band covers " << at;
  return CLR_INVALID;
}

std::string Hex(COLORREF c) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X,%02X,%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

class PicturePanelTest : public testing::Test {
 protected:
  void SetUp() override {
    TestApplication();
    form = std::make_unique<ui::Form>("PanelForm");
    form->SetBounds(20, 20, 400, 200);
    form->SetColor(ui::Rgb(10, 90, 170));
  }

  TPicturePanel& Panel(const std::string& name) { return form->Get<TPicturePanel>(name); }

  // The panel's client area as it stands on screen.
  std::unique_ptr<ui::Surface> Shot(const std::string& name) {
    return CaptureClient(Panel(name).Handle());
  }

  void Show(std::span<const ControlSpec> layout) {
    form->Build(layout);
    form->CreateForm();
    form->Show();
  }

  std::unique_ptr<ui::Form> form;
};

TEST_F(PicturePanelTest, BottomStripShadesHorizontallyFromItsColourToWhite) {
  const COLORREF a = RGB(232, 241, 254), white = RGB(255, 255, 255);
  const ControlSpec layout[] = {
      {.name = "PicturePanel1",
       .create = Make<TPicturePanel>,
       .left = 0,
       .top = 20,
       .width = 263,
       .height = 32,
       .setup =
           [](Control& c) {
             static_cast<TPicturePanel&>(c).UseGradient(ui::Rgb(232, 241, 254), gdHorizontal);
           }},
  };
  Show(layout);
  auto shot = Shot("PicturePanel1");
  ASSERT_EQ(shot->width(), 263);
  for (int y = 0; y < 32; ++y) {
    EXPECT_EQ(shot->PixelRgb(0, y), a) << "row " << y;
    EXPECT_EQ(shot->PixelRgb(262, y), white) << "row " << y;
  }
  // Every column carries its band's colour, the same down the whole height.
  int wrong = 0;
  for (int x = 0; x < 263; ++x)
    for (int y = 0; y < 32; y += 7)
      if (shot->PixelRgb(x, y) != ExpectedBandAt(a, white, 263, x) && wrong++ < 5)
        ADD_FAILURE() << "column " << x << " row " << y << ": " << Hex(shot->PixelRgb(x, y));
  EXPECT_EQ(wrong, 0);
}

TEST_F(PicturePanelTest, ProgressBackgroundShadesVerticallyToAWhiteBottomRow) {
  const COLORREF a = RGB(240, 247, 242), white = RGB(255, 255, 255);
  const ControlSpec layout[] = {
      {.name = "Back",
       .create = Make<TPicturePanel>,
       .left = 5,
       .top = 5,
       .width = 312,
       .height = 101,
       .setup =
           [](Control& c) {
             static_cast<TPicturePanel&>(c).UseGradient(ui::Rgb(240, 247, 242), gdVertical);
           }},
  };
  Show(layout);
  auto shot = Shot("Back");
  ASSERT_EQ(shot->height(), 101);
  for (int x = 0; x < 312; ++x) {
    EXPECT_EQ(shot->PixelRgb(x, 0), a) << "column " << x;
    EXPECT_EQ(shot->PixelRgb(x, 100), white) << "column " << x;
  }
  // 101 rows for 255 bands: many bands are empty, each row still gets exactly its band.
  for (int y = 0; y < 101; ++y)
    EXPECT_EQ(shot->PixelRgb(150, y), ExpectedBandAt(a, white, 101, y)) << "row " << y;
}

// Without a background of its own the panel shows its colour: the parent's by default.
struct FillCase {
  const char* name;
  bool active;
  TBackgroundKind kind;
  bool ownColour;
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << c.name; }

class PanelFillTest : public PicturePanelTest, public testing::WithParamInterface<FillCase> {};

TEST_P(PanelFillTest, FillsWithThePanelsColour) {
  const FillCase& c = GetParam();
  const ui::Color own = ui::Rgb(200, 30, 60);
  const ControlSpec layout[] = {
      {.name = "P",
       .create = Make<TPicturePanel>,
       .left = 10,
       .top = 10,
       .width = 60,
       .height = 40,
       .setup =
           [&](Control& control) {
             auto& panel = static_cast<TPicturePanel&>(control);
             panel.Background().SetGradientColor1(ui::Rgb(0, 255, 0));
             panel.Background().SetGradientColor2(ui::Rgb(255, 0, 255));
             panel.Background().SetKind(c.kind);
             panel.Background().SetActive(c.active);
             if (c.ownColour) panel.SetColor(own);
           }},
  };
  Show(layout);
  const COLORREF expected = c.ownColour ? RGB(200, 30, 60) : RGB(10, 90, 170);
  auto shot = Shot("P");
  for (int y = 0; y < 40; y += 3)
    for (int x = 0; x < 60; x += 3) ASSERT_EQ(shot->PixelRgb(x, y), expected) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Backgrounds, PanelFillTest,
                         testing::Values(FillCase{"InactiveGradient", false, bkGradient, false},
                                         FillCase{"InactiveOwnColour", false, bkGradient, true},
                                         FillCase{"PictureWithoutPicture", true, bkPicture, false},
                                         FillCase{"PictureWithoutPictureOwn", true, bkPicture,
                                                  true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PicturePanelTest, ChangingTheBackgroundRepaintsThePanel) {
  const ControlSpec layout[] = {
      {.name = "P", .create = Make<TPicturePanel>, .left = 0, .top = 0, .width = 40, .height = 20},
  };
  Show(layout);
  EXPECT_EQ(Shot("P")->PixelRgb(20, 10), RGB(10, 90, 170));
  Panel("P").UseGradient(ui::Rgb(0, 0, 0), gdHorizontal);
  // 40 columns for 255 bands: the first column belongs to the first band that is not empty.
  EXPECT_EQ(Shot("P")->PixelRgb(0, 10), ExpectedBandAt(RGB(0, 0, 0), RGB(255, 255, 255), 40, 0));
  Panel("P").Background().SetActive(false);
  EXPECT_EQ(Shot("P")->PixelRgb(0, 10), RGB(10, 90, 170));
}

TEST_F(PicturePanelTest, PictureBackgroundTilesFromTheTopLeft) {
  // 2 x 1 picture: red then blue.
  const ui::Picture tile = ui::Picture::FromBgra(2, 1, {0, 0, 255, 255, 255, 0, 0, 255});
  const ControlSpec layout[] = {
      {.name = "P",
       .create = Make<TPicturePanel>,
       .left = 0,
       .top = 0,
       .width = 7,
       .height = 3,
       .setup =
           [&](Control& control) {
             auto& panel = static_cast<TPicturePanel&>(control);
             panel.Background().SetKind(bkPicture);
             panel.Background().SetPicture(tile);
             panel.Background().SetActive(true);
           }},
  };
  Show(layout);
  auto shot = Shot("P");
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x)
      EXPECT_EQ(shot->PixelRgb(x, y), x % 2 ? RGB(0, 0, 255) : RGB(255, 0, 0)) << x << "," << y;
}

// ---- The gradient routine, recorded into an enhanced metafile so every call shows.

struct Recorded {
  struct Ellipse {
    RECT box;
    COLORREF brush;
    UINT penStyle;
  };
  std::vector<Ellipse> ellipses;
  int brushesCreated = 0;
  int pensCreated = 0;
  int objectsDeleted = 0;
};

Recorded Record(const RECT& r, ui::Color a, TGradientDirection direction, ui::Color fill,
                ui::Color b) {
  HDC meta = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(meta, nullptr);
  GradientFill(meta, r, a, direction, fill, b);
  HENHMETAFILE file = CloseEnhMetaFile(meta);
  const UINT size = GetEnhMetaFileBits(file, 0, nullptr);
  std::vector<uint8_t> bytes(size);
  GetEnhMetaFileBits(file, size, bytes.data());
  DeleteEnhMetaFile(file);

  // Objects by their metafile index; stock objects carry the high bit.
  std::map<DWORD, COLORREF> brushes;
  std::map<DWORD, UINT> pens;
  COLORREF brush = CLR_INVALID;
  UINT pen = ~0u;
  Recorded out;
  for (size_t at = 0; at + sizeof(EMR) <= bytes.size();) {
    const auto* record = reinterpret_cast<const EMR*>(bytes.data() + at);
    if (record->nSize == 0) break;
    switch (record->iType) {
      case EMR_CREATEBRUSHINDIRECT: {
        const auto* create = reinterpret_cast<const EMRCREATEBRUSHINDIRECT*>(record);
        ++out.brushesCreated;
        brushes[create->ihBrush] = create->lb.lbColor;
        break;
      }
      case EMR_CREATEPEN: {
        const auto* create = reinterpret_cast<const EMRCREATEPEN*>(record);
        ++out.pensCreated;
        pens[create->ihPen] = create->lopn.lopnStyle;
        break;
      }
      case EMR_SELECTOBJECT: {
        const DWORD index = reinterpret_cast<const EMRSELECTOBJECT*>(record)->ihObject;
        const DWORD stock = index & ~0x80000000u;
        if (index & 0x80000000u) {
          if (stock == NULL_PEN) pen = PS_NULL;
          if (stock == WHITE_PEN || stock == BLACK_PEN || stock == DC_PEN) pen = PS_SOLID;
        }
        if (brushes.count(index)) brush = brushes[index];
        if (pens.count(index)) pen = pens[index];
        break;
      }
      case EMR_DELETEOBJECT:
        ++out.objectsDeleted;
        break;
      case EMR_ELLIPSE: {
        // The recorded box includes its right and bottom edges.
        const RECTL& box = reinterpret_cast<const EMRELLIPSE*>(record)->rclBox;
        out.ellipses.push_back({{box.left, box.top, box.right + 1, box.bottom + 1}, brush, pen});
        break;
      }
    }
    at += record->nSize;
  }
  return out;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

TEST(GradientFillTest, CentralPaintsOneEllipsePerBandFarthestFirst) {
  // 10 x 100: N = 5 (half the width); half-axes i + 1 and 10 (i + 1) around (5, 50).
  const Recorded tall =
      Record({0, 0, 10, 100}, ui::Rgb(0, 0, 0), gdCentral, ui::Rgb(9, 9, 9), ui::Rgb(200, 100, 40));
  const std::vector<Recorded::Ellipse> expected = {
      {{0, 0, 10, 100}, RGB(200, 100, 40), PS_NULL}, {{1, 10, 9, 90}, RGB(150, 75, 30), PS_NULL},
      {{2, 20, 8, 80}, RGB(100, 50, 20), PS_NULL},   {{3, 30, 7, 70}, RGB(50, 25, 10), PS_NULL},
      {{4, 40, 6, 60}, RGB(0, 0, 0), PS_NULL},
  };
  ASSERT_EQ(tall.ellipses.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_TRUE(SameRect(tall.ellipses[i].box, expected[i].box)) << "ellipse " << i;
    EXPECT_EQ(tall.ellipses[i].brush, expected[i].brush) << "ellipse " << i;
    EXPECT_EQ(tall.ellipses[i].penStyle, UINT{PS_NULL}) << "ellipse " << i;
  }
  // A brush per band and the fill brush, all deleted again (a null pen may be a stock one).
  EXPECT_EQ(tall.brushesCreated, 6);
  EXPECT_EQ(tall.objectsDeleted, tall.pensCreated + tall.brushesCreated);

  // 2 x 2: half the size is 1, raised to N = 2; both half-axes round to 1.
  const Recorded tiny =
      Record({0, 0, 2, 2}, ui::Rgb(0, 0, 0), gdCentral, ui::Rgb(9, 9, 9), ui::Rgb(200, 100, 40));
  ASSERT_EQ(tiny.ellipses.size(), 2u);
  EXPECT_TRUE(SameRect(tiny.ellipses[0].box, {0, 0, 2, 2}));
  EXPECT_EQ(tiny.ellipses[0].brush, RGB(200, 100, 40));
  EXPECT_EQ(tiny.ellipses[1].brush, RGB(0, 0, 0));

  // Big areas stop at 255 bands.
  EXPECT_EQ(Record({0, 0, 1000, 800}, 0, gdCentral, 0, ui::clWhite).ellipses.size(), 255u);
}

TEST(GradientFillTest, CentralLeavesTheFillColourInTheCornersAndTheFirstColourInTheMiddle) {
  ui::Surface s(40, 20);
  GradientFill(s.dc(), {0, 0, 40, 20}, ui::Rgb(255, 0, 0), gdCentral, ui::Rgb(0, 255, 0),
               ui::Rgb(0, 0, 255));
  for (POINT p : {POINT{0, 0}, POINT{39, 0}, POINT{0, 19}, POINT{39, 19}})
    EXPECT_EQ(s.PixelRgb(p.x, p.y), RGB(0, 255, 0)) << p.x << "," << p.y;
  EXPECT_EQ(s.PixelRgb(19, 9), RGB(255, 0, 0));
  // N = 10 bands, each a colour of its own: they all show along the middle row.
  std::set<COLORREF> ring;
  for (int x = 0; x < 20; ++x) ring.insert(s.PixelRgb(x, 9));
  ring.erase(RGB(0, 255, 0));
  EXPECT_EQ(ring.size(), 10u);
}

TEST(GradientFillTest, StraightGradientsWorkInsideAnOffsetRectangleAndRestoreTheDc) {
  ui::Surface s(30, 300);
  const RECT all = {0, 0, 30, 300};
  FillRect(s.dc(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HGDIOBJ brushBefore = GetCurrentObject(s.dc(), OBJ_BRUSH);
  HGDIOBJ penBefore = GetCurrentObject(s.dc(), OBJ_PEN);
  // Taller than 255: every band is at least one row.
  const RECT r = {5, 10, 25, 290};
  GradientFill(s.dc(), r, ui::Rgb(0, 0, 255), gdVertical, ui::Rgb(1, 2, 3), ui::Rgb(255, 0, 0));
  EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_BRUSH), brushBefore);
  EXPECT_EQ(GetCurrentObject(s.dc(), OBJ_PEN), penBefore);
  EXPECT_EQ(s.PixelRgb(5, 10), RGB(0, 0, 255));
  EXPECT_EQ(s.PixelRgb(24, 289), RGB(255, 0, 0));
  for (int y = 10; y < 290; ++y)
    ASSERT_EQ(s.PixelRgb(15, y), ExpectedBandAt(RGB(0, 0, 255), RGB(255, 0, 0), 280, y - 10))
        << "row " << y;
  // Nothing outside the rectangle.
  EXPECT_EQ(s.PixelRgb(4, 100), RGB(0, 0, 0));
  EXPECT_EQ(s.PixelRgb(25, 100), RGB(0, 0, 0));
  EXPECT_EQ(s.PixelRgb(15, 9), RGB(0, 0, 0));
  EXPECT_EQ(s.PixelRgb(15, 290), RGB(0, 0, 0));
}

TEST(GradientFillTest, SystemColoursAreResolvedFirst) {
  ui::Surface s(255, 1);
  GradientFill(s.dc(), {0, 0, 255, 1}, ui::clBtnFace, gdHorizontal, 0, ui::clWindow);
  EXPECT_EQ(s.PixelRgb(0, 0), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(s.PixelRgb(254, 0), GetSysColor(COLOR_WINDOW));
}

}  // namespace
}  // namespace velotune
