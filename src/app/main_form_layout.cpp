// The main window's controls, page by page. Texts come from the tables the
// runs use; what is typed here is where things stand and how they look.
#include "app/main_form_layout.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "app/main_form.h"
#include "app/version.h"
#include "app/window_region.h"
#include "enhance/catalogue.h"
#include "eraser/tracks_eraser.h"
#include "netopt/profiles.h"
#include "ui/dpi.h"
#include "widgets/artwork.h"
#include "widgets/bmp_button.h"
#include "widgets/picture_panel.h"

namespace velotune {
namespace {

using ui::Color;
using ui::ControlSpec;
using ui::FontSpec;
using ui::Make;
using ui::Rgb;
using Setup = std::function<void(ui::Control&)>;

const FontSpec kBold{.bold = true};
const FontSpec kHeader{.face = "Arial", .height = 16, .bold = true, .color = Rgb(0, 157, 0)};
const FontSpec kLink{.underline = true, .color = ui::clHotLight};

constexpr Color kStripColor = Rgb(232, 241, 254);
constexpr Color kRuleColor = Rgb(132, 151, 177);

// Handlers of the form, bound: the compiler checks the wiring.
auto On(TForm1& form, auto handler) { return std::bind_front(handler, &form); }

// The colour keys of the keyed artwork: the window outline and the buttons.
constexpr Color kOutlineKey = Rgb(255, 0, 255);

// Pictures are drawn for the form's DPI, and drawn again when it changes.
Setup Picture(const char* name) {
  return [name](ui::Control& c) {
    c.OnScale = [name](ui::Control& image, int dpi) {
      static_cast<ui::Image&>(image).SetPicture(LoadArtworkForDpi(name, dpi));
    };
    c.OnScale(c, ui::kDesignDpi);
  };
}

// The background, whose picture is also the window's outline: cut again at a new DPI.
Setup Background(TForm1& form) {
  return [&form](ui::Control& c) {
    c.OnScale = [&form](ui::Control& image, int dpi) {
      auto& picture = static_cast<ui::Image&>(image);
      picture.SetPicture(LoadArtworkForDpi("BACKGROUND", dpi, kOutlineKey));
      if (form.HandleAllocated())
        SetWindowRgn(form.Handle(), BuildWindowRegion(picture.GetPicture(), kOutlineKey), TRUE);
    };
    c.OnScale(c, ui::kDesignDpi);
  };
}

Setup Buttons(const char* stem, int group = 0) {
  return [stem, group](ui::Control& c) {
    c.OnScale = [stem, group](ui::Control& button, int dpi) {
      auto& b = static_cast<TBmpButton&>(button);
      const std::string s = stem;
      const ui::Color key = b.Bitmaps().TransparentColor();
      auto load = [&](const char* state) {
        return LoadArtworkForDpi((s + state).c_str(), dpi, key);
      };
      b.SetPictures(load("_UP"), load("_HOT"), load("_DOWN"),
                    group ? load("_STAYDOWN") : ui::Picture());
    };
    c.OnScale(c, ui::kDesignDpi);
    static_cast<TBmpButton&>(c).SetGroupIndex(group);
  };
}

Setup Gradient(Color from) {
  return [from](ui::Control& c) { static_cast<TPicturePanel&>(c).UseGradient(from, gdHorizontal); };
}

void Transparent(ui::Control& c) { static_cast<ui::Label&>(c).SetTransparent(true); }

void Wrapped(ui::Control& c) { static_cast<ui::Label&>(c).SetWordWrap(true); }

void Hand(ui::Control& c) { c.SetCursor(ui::crHandPoint); }

void AddImage(std::vector<ControlSpec>& rows, const char* page, std::string name, int left, int top,
              int width, int height, const char* artwork) {
  rows.push_back({.name = std::move(name),
                  .create = Make<ui::Image>,
                  .parent = page,
                  .left = left,
                  .top = top,
                  .width = width,
                  .height = height,
                  .setup = Picture(artwork)});
}

void AddLabel(std::vector<ControlSpec>& rows, const char* page, std::string name, int left, int top,
              int width, int height, std::string text, std::optional<FontSpec> font = std::nullopt,
              Setup setup = nullptr) {
  rows.push_back({.name = std::move(name),
                  .create = Make<ui::Label>,
                  .parent = page,
                  .left = left,
                  .top = top,
                  .width = width,
                  .height = height,
                  .text = std::move(text),
                  .font = std::move(font),
                  .setup = std::move(setup)});
}

// Text that opens something: a link, which Tab reaches and a screen reader knows.
void AddLink(std::vector<ControlSpec>& rows, const char* page, std::string name, int top,
             std::string text, ui::NotifyEvent onClick) {
  rows.push_back({.name = std::move(name),
                  .create = Make<ui::LinkLabel>,
                  .parent = page,
                  .left = 152,
                  .top = top,
                  .width = 200,
                  .height = 14,
                  .text = std::move(text),
                  .font = kLink,
                  .onClick = std::move(onClick),
                  .setup = Hand});
}

// The bottom strip every page has: a shaded panel with a label, and the page's action button.
void AddStrip(std::vector<ControlSpec>& rows, const char* page, const char* panel,
              const char* label, const char* text, const char* button, const char* artwork,
              ui::NotifyEvent onClick, ui::MouseEvent onMouseDown = nullptr,
              Setup labelSetup = Transparent, ui::NotifyEvent onLabelClick = nullptr) {
  rows.push_back({.name = panel,
                  .create = Make<TPicturePanel>,
                  .parent = page,
                  .left = 0,
                  .top = 271,
                  .width = 263,
                  .height = 32,
                  .onMouseDown = onMouseDown,
                  .setup = Gradient(kStripColor)});
  // A strip's text that opens something is a link.
  rows.push_back({.name = label,
                  .create = onLabelClick ? Make<ui::LinkLabel> : Make<ui::Label>,
                  .parent = panel,
                  .left = 9,
                  .top = 9,
                  .width = 250,
                  .height = 14,
                  .text = text,
                  .font = kBold,
                  .onClick = std::move(onLabelClick),
                  .onMouseDown = std::move(onMouseDown),
                  .setup = std::move(labelSetup)});
  rows.push_back({.name = button,
                  .create = Make<TBmpButton>,
                  .parent = page,
                  .left = 263,
                  .top = 269,
                  .width = 120,
                  .height = 35,
                  .onClick = std::move(onClick),
                  .setup = Buttons(artwork)});
}

// The shield of a command that asks for administrator rights: at the strip's
// right end, beside its button, since the button's own picture has no room
// for it. Shown only while this process lacks those rights.
void AddShield(std::vector<ControlSpec>& rows, const char* panel, const char* name) {
  constexpr int kSize = 16;  // the small-icon size at 96 DPI
  rows.push_back({.name = name,
                  .create = Make<ShieldMark>,
                  .parent = panel,
                  .left = 263 - kSize - 6,
                  .top = (32 - kSize) / 2,
                  .width = kSize,
                  .height = kSize,
                  .visible = false});
}

// A bold heading followed by a one-pixel rule from the end of its text to x = 384.
struct Heading {
  const char* label;
  const char* text;
  int top;
  const char* rule;
  int ruleLeft;  // where the text ends
};

// Check boxes in groups, each under its heading, beside the group's picture.
struct BoxGroup {
  Heading heading;
  struct {
    const char* tile;     // a browser tile behind the picture, if any
    const char* picture;  // the picture's control and artwork
    const char* artwork;
    int top;    // of the picture and the first box; the others follow 20 apart
    int count;  // how many of the page's boxes, in order
  } boxes;
};

struct Box {
  std::string name;
  const char* caption;
  ui::NotifyEvent onClick;
};

void AddBoxGroups(std::vector<ControlSpec>& rows, const char* page,
                  std::span<const BoxGroup> groups, std::vector<Box> boxes) {
  auto box = boxes.begin();
  for (const BoxGroup& group : groups) {
    const Heading& h = group.heading;
    rows.push_back({.name = h.label,
                    .create = Make<ui::Label>,
                    .parent = page,
                    .left = 0,
                    .top = h.top,
                    .width = h.ruleLeft,
                    .height = 14,
                    .text = h.text,
                    .font = kBold,
                    .setup = Transparent});
    rows.push_back({.name = h.rule,
                    .create = Make<TPicturePanel>,
                    .parent = page,
                    .left = h.ruleLeft,
                    .top = h.top + 7,
                    .width = 384 - h.ruleLeft,
                    .height = 1,
                    .setup = Gradient(kRuleColor)});
    const auto& g = group.boxes;
    int top = g.top;
    if (g.tile) AddImage(rows, page, g.tile, 0, top, 48, 38, "TILE_BROWSER");
    AddImage(rows, page, g.picture, g.tile ? 9 : 0, top, 32, 32, g.artwork);
    for (int i = 0; i < g.count; ++i, ++box, top += 20)
      rows.push_back({.name = box->name,
                      .create = Make<ui::CheckBox>,
                      .parent = page,
                      .left = 56,
                      .top = top,
                      .width = 290,
                      .height = 17,
                      .text = box->caption,
                      .onClick = box->onClick});
  }
}

constexpr BoxGroup kBrowsers[] = {
    {{"Label9", "Mozilla Firefox", 0, "PicturePanel5", 88},
     {"Image6", "Image7", "ICON_FIREFOX", 19, 2}},
    {{"Label10", "Internet Explorer", 59, "PicturePanel6", 103},
     {"Image8", "Image9", "ICON_IE", 78, 3}},
    {{"Label8", "Opera", 138, "PicturePanel7", 39}, {"Image10", "Image11", "ICON_OPERA", 158, 2}},
    {{"Label7", "AOL", 198, "PicturePanel8", 27}, {"Image12", "Image13", "ICON_AOL", 218, 2}},
};

constexpr BoxGroup kEnhancementGroups[] = {
    {{"Label11", "Outlook Express", 0, "PicturePanel9", 96},
     {nullptr, "Image14", "PIC_OUTLOOK", 19, 3}},
    {{"Label12", "Internet Explorer", 79, "PicturePanel10", 103},
     {nullptr, "Image15", "PIC_IE", 98, 8}},
};

constexpr int BoxCount(std::span<const BoxGroup> groups) {
  int count = 0;
  for (const BoxGroup& group : groups) count += group.boxes.count;
  return count;
}
static_assert(BoxCount(kBrowsers) == kEraseBoxes);
static_assert(BoxCount(kEnhancementGroups) ==
              std::tuple_size_v<std::remove_cvref_t<decltype(kEnhancements)>>);

struct NavButton {
  const char* artwork;
  int top;
};
constexpr NavButton kNavButtons[kPageCount] = {
    {"NAV_NETWORK", 67}, {"NAV_ERASER", 129}, {"NAV_ENHANCE", 192}, {"NAV_ABOUT", 255}};

constexpr const char* kProfilePictures[kProfileCount] = {"PROFILE_DIALUP", "PROFILE_DSL",
                                                         "PROFILE_LAN", "PROFILE_T1"};

}  // namespace

std::vector<ControlSpec> MainFormLayout(TForm1& form) {
  const auto drag = On(form, &TForm1::Image1MouseDown);
  std::vector<ControlSpec> rows = {
      {.name = "Image1",
       .create = Make<ui::Image>,
       .left = 0,
       .top = 0,
       .width = 550,
       .height = 374,
       .onMouseDown = drag,
       .setup = Background(form)},
      {.name = "Label1",
       .create = Make<ui::Label>,
       .left = 371,
       .top = 34,
       .width = 173,
       .height = 19,
       .text = kPages[0].Header(),
       .font = kHeader,
       .onMouseDown = drag,
       .setup =
           [](ui::Control& c) {
             auto& l = static_cast<ui::Label&>(c);
             l.SetTransparent(true);
             l.SetAlignment(ui::Alignment::Right);
           }},
      {.name = "PageControl1",
       .create = Make<ui::PageControl>,
       .left = 152,
       .top = 54,
       .width = 392,
       .height = 315,
       .onMouseDown = drag,
       .setup =
           [&form](ui::Control& c) {
             static_cast<ui::PageControl&>(c).OnChange = On(form, &TForm1::PageControl1Change);
           }},
      {.name = "TabSheet1",
       .create = Make<ui::TabSheet>,
       .parent = "PageControl1",
       .onMouseDown = drag},
      {.name = "TabSheet2", .create = Make<ui::TabSheet>, .parent = "PageControl1"},
      {.name = "TabSheet3", .create = Make<ui::TabSheet>, .parent = "PageControl1"},
      {.name = "TabSheet4", .create = Make<ui::TabSheet>, .parent = "PageControl1"},
  };
  // But1MouseDown to But4MouseDown: any button switches the page.
  for (int n = 1; n <= kPageCount; ++n)
    rows.push_back({.name = "But" + std::to_string(n),
                    .create = Make<TBmpButton>,
                    .left = 4,
                    .top = kNavButtons[n - 1].top,
                    .width = 142,
                    .height = 41,
                    .onMouseDown = [&form, n](ui::Control&, ui::MouseButton, ui::Shift, int,
                                              int) { form.SelectPage(n); },
                    .setup = Buttons(kNavButtons[n - 1].artwork, 1)});
  // Windows are made in this order, which is also the order Tab goes round:
  // the page, the side buttons, then minimize and close.
  const struct {
    const char* name;
    int left;
    const char* artwork;
    void (TForm1::*click)(ui::Control&);
  } windowButtons[] = {{"BmpButton6", 509, "BTN_MIN", &TForm1::BmpButton6Click},
                       {"BmpButton5", 528, "BTN_CLOSE", &TForm1::BmpButton5Click}};
  for (const auto& b : windowButtons)
    rows.push_back({.name = b.name,
                    .create = Make<TBmpButton>,
                    .left = b.left,
                    .top = 7,
                    .width = 16,
                    .height = 15,
                    .onClick = On(form, b.click),
                    .setup = Buttons(b.artwork)});

  // Page 1: Network Optimizations
  rows.push_back({.name = "Shape1",
                  .create = Make<ui::Shape>,
                  .parent = "TabSheet1",
                  .left = 0,
                  .top = kProfileRowTop[0],
                  .width = 383,
                  .height = 56,
                  .setup = [](ui::Control& c) {
                    auto& s = static_cast<ui::Shape&>(c);
                    s.SetKind(ui::Shape::Kind::RoundRect);
                    s.SetPenColor(kNotApplied);
                    s.SetBrushColor(kNotApplied);
                  }});
  for (int n = 1; n <= kProfileCount; ++n) {
    const ConnectionProfile& profile = LookupProfile(n);
    const int top = kProfileRowTop[n - 1];
    AddImage(rows, "TabSheet1", "Image" + std::to_string(n + 1), 0, top, 32, 32,
             kProfilePictures[n - 1]);
    rows.push_back({.name = "RB" + std::to_string(n),
                    .create = Make<ui::RadioButton>,
                    .parent = "TabSheet1",
                    .left = 39,
                    .top = top,
                    .width = 290,
                    .height = 17,
                    .text = std::string(profile.name),
                    .font = kBold,
                    .color = n == 1 ? kNotApplied : ui::clWhite,
                    .onClick = [&form, n](ui::Control&) { form.RBClick(n); },
                    .setup =
                        [n](ui::Control& c) {
                          // The layout selects the first profile; loading raises no click.
                          if (n == 1) static_cast<ui::RadioButton&>(c).SetChecked(true);
                        }});
    AddLabel(rows, "TabSheet1", "Label" + std::to_string(n + 2), 57, top + 22, 298, 29,
             std::string(profile.description), std::nullopt, Wrapped);
  }
  AddStrip(rows, "TabSheet1", "PicturePanel1", "Label2", "Specify Your Network Connection",
           "BmpButton1", "ACT_OPTIMIZE", On(form, &TForm1::BmpButton1Click), drag);
  AddShield(rows, "PicturePanel1", "Shield1");

  // Page 2: Tracks Eraser
  std::vector<Box> eraseBoxes;
  for (int box = 1; box <= kEraseBoxes; ++box)
    eraseBoxes.push_back({"IE_BOX" + std::to_string(box), kEraseBoxCaptions[box - 1],
                          [&form, box](ui::Control&) { form.IE_BOXClick(box); }});
  AddBoxGroups(rows, "TabSheet2", kBrowsers, std::move(eraseBoxes));
  AddStrip(rows, "TabSheet2", "PicturePanel2", "Label13", "Select what you Would Like to Erase",
           "BmpButton2", "ACT_ERASE", On(form, &TForm1::BmpButton2Click));

  // Page 3: Enhancements
  std::vector<Box> enhancementBoxes;
  for (const Enhancement& e : kEnhancements)
    enhancementBoxes.push_back({e.box, e.caption, [&form](ui::Control&) { form.EN_BOXClick(); }});
  AddBoxGroups(rows, "TabSheet3", kEnhancementGroups, std::move(enhancementBoxes));
  AddStrip(rows, "TabSheet3", "PicturePanel3", "Label14", "Specify your Network Enhancements",
           "BmpButton3", "ACT_APPLY", On(form, &TForm1::BmpButton3Click));
  AddShield(rows, "PicturePanel3", "Shield3");

  // Page 4: About
  AddImage(rows, "TabSheet4", "Image16", 16, 0, 48, 48, "LOGO");
  AddLabel(rows, "TabSheet4", "Label15", 88, 0, 200, 16, "Velotune",
           FontSpec{.height = 13, .bold = true});
  AddLabel(rows, "TabSheet4", "Label17", 88, 48, 200, 14, "Version " VELOTUNE_VERSION);
  AddLabel(rows, "TabSheet4", "Label18", 88, 80, 60, 14, "E-Mail:");
  AddLink(rows, "TabSheet4", "Label22", 80, kSupportAddress, On(form, &TForm1::Label22Click));
  AddLabel(rows, "TabSheet4", "Label19", 88, 96, 60, 14, "Web-Site:");
  AddLink(rows, "TabSheet4", "Label23", 96, kWebSiteAddress, On(form, &TForm1::Label23Click));
  AddStrip(
      rows, "TabSheet4", "PicturePanel4", "Label21", "License Agreement", "BmpButton4", "ACT_OK",
      On(form, &TForm1::BmpButton4Click), nullptr,
      [](ui::Control& c) {
        Hand(c);
        c.SetFont(FontSpec{.bold = true, .underline = true});
      },
      On(form, &TForm1::Label21Click));
  return rows;
}

}  // namespace velotune
