// The main window's controls, page by page.
#include <vector>

#include "app/main_form.h"
#include "app/main_form_layout.h"
#include "app/version.h"
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

const FontSpec kBold{.bold = true};
const FontSpec kHeader{.face = "Arial", .height = 16, .bold = true, .color = Rgb(0, 157, 0)};
const FontSpec kLink{.underline = true, .color = ui::clHotLight};

constexpr Color kStripColor = Rgb(232, 241, 254);
constexpr Color kRuleColor = Rgb(132, 151, 177);

std::function<void(ui::Control&)> Picture(const char* name) {
  return [name](ui::Control& c) { static_cast<ui::Image&>(c).SetPicture(LoadArtwork(name)); };
}

std::function<void(ui::Control&)> Buttons(const char* stem, int group = 0) {
  return [stem, group](ui::Control& c) {
    auto& b = static_cast<TBmpButton&>(c);
    const std::string s = stem;
    b.SetPictures(LoadArtwork((s + "_UP").c_str()), LoadArtwork((s + "_HOT").c_str()),
                  LoadArtwork((s + "_DOWN").c_str()),
                  group ? LoadArtwork((s + "_STAYDOWN").c_str()) : ui::Picture());
    b.SetGroupIndex(group);
  };
}

std::function<void(ui::Control&)> Gradient(Color from) {
  return [from](ui::Control& c) { static_cast<TPicturePanel&>(c).UseGradient(from, gdHorizontal); };
}

void Transparent(ui::Control& c) { static_cast<ui::Label&>(c).SetTransparent(true); }

void Wrapped(ui::Control& c) { static_cast<ui::Label&>(c).SetWordWrap(true); }

void Hand(ui::Control& c) { c.SetCursor(ui::crHandPoint); }

// The bottom strip every page has: a shaded panel with a label, and the page's action button.
void AddStrip(std::vector<ControlSpec>& rows, const char* page, const char* panel,
              const char* label, const char* text, const char* button, const char* artwork,
              const char* onClick, const char* onMouseDown = nullptr,
              std::function<void(ui::Control&)> labelSetup = nullptr,
              const char* onLabelClick = nullptr) {
  rows.push_back({.name = panel,
                  .create = Make<TPicturePanel>,
                  .parent = page,
                  .left = 0,
                  .top = 271,
                  .width = 263,
                  .height = 32,
                  .onMouseDown = onMouseDown,
                  .setup = Gradient(kStripColor)});
  rows.push_back({.name = label,
                  .create = Make<ui::Label>,
                  .parent = panel,
                  .left = 9,
                  .top = 9,
                  .width = 250,
                  .height = 14,
                  .text = text,
                  .font = kBold,
                  .onClick = onLabelClick,
                  .onMouseDown = onMouseDown,
                  .setup = labelSetup ? labelSetup : Transparent});
  rows.push_back({.name = button,
                  .create = Make<TBmpButton>,
                  .parent = page,
                  .left = 263,
                  .top = 269,
                  .width = 120,
                  .height = 35,
                  .onClick = onClick,
                  .setup = Buttons(artwork)});
}

// A bold group heading followed by a one-pixel rule up to x = 384.
void AddHeading(std::vector<ControlSpec>& rows, const char* page, const char* label,
                const char* text, int top, const char* rule, int ruleLeft) {
  rows.push_back({.name = label,
                  .create = Make<ui::Label>,
                  .parent = page,
                  .left = 0,
                  .top = top,
                  .width = ruleLeft,
                  .height = 14,
                  .text = text,
                  .font = kBold,
                  .setup = Transparent});
  rows.push_back({.name = rule,
                  .create = Make<TPicturePanel>,
                  .parent = page,
                  .left = ruleLeft,
                  .top = top + 7,
                  .width = 384 - ruleLeft,
                  .height = 1,
                  .setup = Gradient(kRuleColor)});
}

void AddBox(std::vector<ControlSpec>& rows, const char* page, const char* name, const char* text,
            int top, const char* onClick = nullptr) {
  rows.push_back({.name = name,
                  .create = Make<ui::CheckBox>,
                  .parent = page,
                  .left = 56,
                  .top = top,
                  .width = 290,
                  .height = 17,
                  .text = text,
                  .onClick = onClick});
}

void AddBrowser(std::vector<ControlSpec>& rows, const char* page, const char* tile,
                const char* icon, int top, const char* iconArtwork) {
  rows.push_back({.name = tile,
                  .create = Make<ui::Image>,
                  .parent = page,
                  .left = 0,
                  .top = top,
                  .width = 48,
                  .height = 38,
                  .setup = Picture("TILE_BROWSER")});
  rows.push_back({.name = icon,
                  .create = Make<ui::Image>,
                  .parent = page,
                  .left = 9,
                  .top = top,
                  .width = 32,
                  .height = 32,
                  .setup = Picture(iconArtwork)});
}

}  // namespace

std::vector<ControlSpec> MainFormLayout() {
  std::vector<ControlSpec> rows = {
      {.name = "Image1",
       .create = Make<ui::Image>,
       .left = 0,
       .top = 0,
       .width = 550,
       .height = 374,
       .onMouseDown = "Image1MouseDown",
       .setup = Picture("BACKGROUND")},
      {.name = "Label1",
       .create = Make<ui::Label>,
       .left = 371,
       .top = 34,
       .width = 173,
       .height = 19,
       .text = "Network Optimizations",
       .font = kHeader,
       .onMouseDown = "Image1MouseDown",
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
       .onMouseDown = "Image1MouseDown",
       .onChange = "PageControl1Change"},
      {.name = "TabSheet1",
       .create = Make<ui::TabSheet>,
       .parent = "PageControl1",
       .onMouseDown = "Image1MouseDown"},
      {.name = "TabSheet2", .create = Make<ui::TabSheet>, .parent = "PageControl1"},
      {.name = "TabSheet3", .create = Make<ui::TabSheet>, .parent = "PageControl1"},
      {.name = "TabSheet4", .create = Make<ui::TabSheet>, .parent = "PageControl1"},
      {.name = "BmpButton5",
       .create = Make<TBmpButton>,
       .left = 528,
       .top = 7,
       .width = 16,
       .height = 15,
       .onClick = "BmpButton5Click",
       .setup = Buttons("BTN_CLOSE")},
      {.name = "BmpButton6",
       .create = Make<TBmpButton>,
       .left = 509,
       .top = 7,
       .width = 16,
       .height = 15,
       .onClick = "BmpButton6Click",
       .setup = Buttons("BTN_MIN")},
      {.name = "But1",
       .create = Make<TBmpButton>,
       .left = 4,
       .top = 67,
       .width = 142,
       .height = 41,
       .onMouseDown = "But1MouseDown",
       .setup = Buttons("NAV_NETWORK", 1)},
      {.name = "But2",
       .create = Make<TBmpButton>,
       .left = 4,
       .top = 129,
       .width = 142,
       .height = 41,
       .onMouseDown = "But2MouseDown",
       .setup = Buttons("NAV_ERASER", 1)},
      {.name = "But3",
       .create = Make<TBmpButton>,
       .left = 4,
       .top = 192,
       .width = 142,
       .height = 41,
       .onMouseDown = "But3MouseDown",
       .setup = Buttons("NAV_ENHANCE", 1)},
      {.name = "But4",
       .create = Make<TBmpButton>,
       .left = 4,
       .top = 255,
       .width = 142,
       .height = 41,
       .onMouseDown = "But4MouseDown",
       .setup = Buttons("NAV_ABOUT", 1)},
  };

  // Page 1: Network Optimizations
  rows.push_back({.name = "Shape1",
                  .create = Make<ui::Shape>,
                  .parent = "TabSheet1",
                  .left = 0,
                  .top = 0,
                  .width = 383,
                  .height = 56,
                  .setup = [](ui::Control& c) {
                    auto& s = static_cast<ui::Shape&>(c);
                    s.SetKind(ui::Shape::Kind::RoundRect);
                    s.SetPenColor(kNotApplied);
                    s.SetBrushColor(kNotApplied);
                  }});
  const char* images[] = {"Image2", "Image3", "Image4", "Image5"};
  const char* pictures[] = {"PROFILE_DIALUP", "PROFILE_DSL", "PROFILE_LAN", "PROFILE_T1"};
  const char* radios[] = {"RB1", "RB2", "RB3", "RB4"};
  const char* radioTexts[] = {"Internet Dialup", "ADSL, DSL, Cable Modem", "Home, Office LAN",
                              "T1, Satellite or Corporate LAN"};
  const char* descriptions[] = {"Label3", "Label4", "Label5", "Label6"};
  const char* descriptionTexts[] = {
      "For the systems which connected with Interned via Modem or ISDN.",
      "For the systems which connected directly to the Internet. Permanent connections, cable "
      "modem or DSL.",
      "Small networks contains of less than 50 workstations.",
      "For the great networks containing from 50-2000 workstations which include routers."};
  const char* radioHandlers[] = {"RB1Click", "RB2Click", "RB3Click", "RB4Click"};
  for (int i = 0; i < 4; ++i) {
    const int top = 67 * i;
    rows.push_back({.name = images[i],
                    .create = Make<ui::Image>,
                    .parent = "TabSheet1",
                    .left = 0,
                    .top = top,
                    .width = 32,
                    .height = 32,
                    .setup = Picture(pictures[i])});
    rows.push_back({.name = radios[i],
                    .create = Make<ui::RadioButton>,
                    .parent = "TabSheet1",
                    .left = 39,
                    .top = top,
                    .width = 290,
                    .height = 17,
                    .text = radioTexts[i],
                    .font = kBold,
                    .color = i == 0 ? kNotApplied : ui::clWhite,
                    .onClick = radioHandlers[i],
                    .setup = [i](ui::Control& c) {
                      // The layout selects the first profile; loading raises no click.
                      if (i == 0) static_cast<ui::RadioButton&>(c).SetChecked(true);
                    }});
    rows.push_back({.name = descriptions[i],
                    .create = Make<ui::Label>,
                    .parent = "TabSheet1",
                    .left = 57,
                    .top = top + 22,
                    .width = 298,
                    .height = 29,
                    .text = descriptionTexts[i],
                    .setup = Wrapped});
  }
  AddStrip(rows, "TabSheet1", "PicturePanel1", "Label2", "Specify Your Network Connection",
           "BmpButton1", "ACT_OPTIMIZE", "BmpButton1Click", "Image1MouseDown");

  // Page 2: Tracks Eraser
  AddHeading(rows, "TabSheet2", "Label9", "Mozilla Firefox", 0, "PicturePanel5", 88);
  AddBrowser(rows, "TabSheet2", "Image6", "Image7", 19, "ICON_FIREFOX");
  AddBox(rows, "TabSheet2", "IE_BOX1", "Erase Firefox Cookie Files", 19, "IE_BOX1Click");
  AddBox(rows, "TabSheet2", "IE_BOX2", "Erase Firefox Cache Information", 39, "IE_BOX2Click");
  AddHeading(rows, "TabSheet2", "Label10", "Internet Explorer", 59, "PicturePanel6", 103);
  AddBrowser(rows, "TabSheet2", "Image8", "Image9", 78, "ICON_IE");
  AddBox(rows, "TabSheet2", "IE_BOX3", "Erase Internet Explorer Cookie Files", 78, "IE_BOX3Click");
  AddBox(rows, "TabSheet2", "IE_BOX4", "Erase Internet Explorer Cache Information", 98,
         "IE_BOX4Click");
  AddBox(rows, "TabSheet2", "IE_BOX5", "Erase Recently Typed URL List from Browser", 118,
         "IE_BOX5Click");
  AddHeading(rows, "TabSheet2", "Label8", "Opera", 138, "PicturePanel7", 39);
  AddBrowser(rows, "TabSheet2", "Image10", "Image11", 158, "ICON_OPERA");
  AddBox(rows, "TabSheet2", "IE_BOX6", "Erase Opera Cookie Files", 158, "IE_BOX6Click");
  AddBox(rows, "TabSheet2", "IE_BOX7", "Erase Opera Cache Information", 178, "IE_BOX7Click");
  AddHeading(rows, "TabSheet2", "Label7", "AOL", 198, "PicturePanel8", 27);
  AddBrowser(rows, "TabSheet2", "Image12", "Image13", 218, "ICON_AOL");
  AddBox(rows, "TabSheet2", "IE_BOX8", "Erase America Online Cache Files", 218, "IE_BOX8Click");
  AddBox(rows, "TabSheet2", "IE_BOX9", "Erase America Online Recently Typed Keywords", 238,
         "IE_BOX9Click");
  AddStrip(rows, "TabSheet2", "PicturePanel2", "Label13", "Select what you Would Like to Erase",
           "BmpButton2", "ACT_ERASE", "BmpButton2Click");

  // Page 3: Enhancements
  AddHeading(rows, "TabSheet3", "Label11", "Outlook Express", 0, "PicturePanel9", 96);
  rows.push_back({.name = "Image14",
                  .create = Make<ui::Image>,
                  .parent = "TabSheet3",
                  .left = 0,
                  .top = 19,
                  .width = 32,
                  .height = 32,
                  .setup = Picture("PIC_OUTLOOK")});
  AddBox(rows, "TabSheet3", "EN_BOX1", "Remove Windows Messenger from Outlook Express", 19);
  AddBox(rows, "TabSheet3", "EN_BOX2", "Remove the Outlook Express Splash Screen", 39);
  AddBox(rows, "TabSheet3", "EN_BOX3", "Use Smooth Scrolling in Outlook Express ", 59);
  AddHeading(rows, "TabSheet3", "Label12", "Internet Explorer", 79, "PicturePanel10", 103);
  rows.push_back({.name = "Image15",
                  .create = Make<ui::Image>,
                  .parent = "TabSheet3",
                  .left = 0,
                  .top = 98,
                  .width = 32,
                  .height = 32,
                  .setup = Picture("PIC_IE")});
  AddBox(rows, "TabSheet3", "EN_BOX4", "Control the Auto Complete Mode", 98);
  AddBox(rows, "TabSheet3", "EN_BOX5", "Increase the Max Number of HTTP Sessions Allowed", 118);
  AddBox(rows, "TabSheet3", "EN_BOX6", "Use Personalized Favorites Menu", 138);
  AddBox(rows, "TabSheet3", "EN_BOX7", "Show Friendly HTTP Error Messages", 158);
  AddBox(rows, "TabSheet3", "EN_BOX8", "Disable Expanding Internet Explorer New Menu ", 178);
  AddBox(rows, "TabSheet3", "EN_BOX9", "Internet Explorer FTP Mode", 198);
  AddBox(rows, "TabSheet3", "EN_BOX10", "Check for Internet Explorer Updates", 218);
  AddBox(rows, "TabSheet3", "EN_BOX11", "Disable Internet Explorer Download Notification", 238);
  AddStrip(rows, "TabSheet3", "PicturePanel3", "Label14", "Specify your Network Enhancements",
           "BmpButton3", "ACT_APPLY", "BmpButton3Click");

  // Page 4: About
  rows.push_back({.name = "Image16",
                  .create = Make<ui::Image>,
                  .parent = "TabSheet4",
                  .left = 16,
                  .top = 0,
                  .width = 48,
                  .height = 48,
                  .setup = Picture("LOGO")});
  rows.push_back({.name = "Label15",
                  .create = Make<ui::Label>,
                  .parent = "TabSheet4",
                  .left = 88,
                  .top = 0,
                  .width = 200,
                  .height = 16,
                  .text = "Velotune",
                  .font = FontSpec{.height = 13, .bold = true}});
  rows.push_back({.name = "Label17",
                  .create = Make<ui::Label>,
                  .parent = "TabSheet4",
                  .left = 88,
                  .top = 48,
                  .width = 200,
                  .height = 14,
                  .text = "Version " VELOTUNE_VERSION});
  rows.push_back({.name = "Label18",
                  .create = Make<ui::Label>,
                  .parent = "TabSheet4",
                  .left = 88,
                  .top = 80,
                  .width = 60,
                  .height = 14,
                  .text = "E-Mail:"});
  rows.push_back({.name = "Label22",
                  .create = Make<ui::Label>,
                  .parent = "TabSheet4",
                  .left = 152,
                  .top = 80,
                  .width = 200,
                  .height = 14,
                  .text = kSupportAddress,
                  .font = kLink,
                  .onClick = "Label22Click",
                  .setup = Hand});
  rows.push_back({.name = "Label19",
                  .create = Make<ui::Label>,
                  .parent = "TabSheet4",
                  .left = 88,
                  .top = 96,
                  .width = 60,
                  .height = 14,
                  .text = "Web-Site:"});
  rows.push_back({.name = "Label23",
                  .create = Make<ui::Label>,
                  .parent = "TabSheet4",
                  .left = 152,
                  .top = 96,
                  .width = 200,
                  .height = 14,
                  .text = kWebSiteAddress,
                  .font = kLink,
                  .onClick = "Label23Click",
                  .setup = Hand});
  AddStrip(
      rows, "TabSheet4", "PicturePanel4", "Label21", "License Agreement", "BmpButton4", "ACT_OK",
      "BmpButton4Click", nullptr,
      [](ui::Control& c) {
        Transparent(c);
        Hand(c);
        c.SetFont(FontSpec{.bold = true, .underline = true});
      },
      "Label21Click");
  return rows;
}

}  // namespace velotune
