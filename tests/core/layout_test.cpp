#include "controls/layout.h"

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

#include <cmath>
#include <string>
#include <vector>

namespace tavik {
namespace {

// 100, 125, 150, 175, 200 and 300 %.
constexpr int kDpis[] = {96, 120, 144, 168, 192, 288};

std::string Text(const PixelRect& r) {
  return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + "}";
}

bool Inside(const PixelRect& inner, const PixelRect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(Layout, ScaleRoundsHalvesAwayFromZero) {
  struct Case {
    int px, dpi, expected;
  };
  const Case cases[] = {
      {1, 96, 1},     {242, 96, 242},  {15, 120, 19},  // 18.75
      {27, 144, 41},  // 40.5
      {21, 144, 32},  // 31.5
      {1, 144, 2},    {-1, 144, -2},   {-10, 144, -15}, {7, 120, 9},  // 8.75
      {2, 120, 3},    // 2.5
      {0, 192, 0},    {391, 192, 782}, {17, 168, 30},   // 29.75
  };
  for (const Case& c : cases) EXPECT_EQ(Scale(c.px, c.dpi), c.expected) << c.px << " at " << c.dpi;
}

TEST(Layout, FontHeights) {
  struct Case {
    double points;
    int dpi, expected;
  };
  const Case cases[] = {{9, 96, -12},      {15.75, 96, -21},  {21.75, 96, -29}, {9, 120, -15},
                        {15.75, 120, -26}, {21.75, 144, -44}, {9, 192, -24},    {21.75, 192, -58}};
  for (const Case& c : cases) EXPECT_EQ(FontHeight(c.points, c.dpi), c.expected) << c.points << " at " << c.dpi;
}

// At 96 dpi the layout is the design itself, to the pixel.
TEST(Layout, At96DpiEverythingIsTheDesign) {
  const MainLayout m = LayoutMain(96);
  EXPECT_EQ(m.width, 242);
  EXPECT_EQ(m.height, 391);
  EXPECT_EQ(m.newButton, (PixelRect{1, 100, 241, 140}));
  EXPECT_EQ(m.rowWidth, 240);
  EXPECT_EQ(m.rowHeight, 50);
  EXPECT_EQ(m.rowLeft, 1);
  EXPECT_EQ(m.templateTop, 90);
  EXPECT_EQ(m.slideStart, 240);
  EXPECT_EQ(m.slideStep, 15);
  EXPECT_EQ(m.slideEnd, 9);
  EXPECT_EQ(m.messageBar, (PixelRect{1, 77, 241, 99}));
  EXPECT_EQ(m.messageText, (PixelRect{5, 0, 150, 22}));
  EXPECT_EQ(m.messageClose, (PixelRect{218, 0, 240, 22}));
  EXPECT_EQ(m.messageFocusInset, 1);

  const ClockLayout c = LayoutClock(96);
  EXPECT_EQ(c.border, 1);
  EXPECT_EQ(c.timeX, 16);
  EXPECT_EQ(c.timeY, 32);
  EXPECT_EQ(c.secondTop, 48);
  EXPECT_EQ(c.secondGap, 8);
  EXPECT_EQ(c.dateX, 16);
  EXPECT_EQ(c.dateY, 64);

  const RowLayout r = LayoutRow(96);
  EXPECT_EQ(r.width, 240);
  EXPECT_EQ(r.height, 50);
  EXPECT_EQ(r.timeX, 8);
  EXPECT_EQ(r.timeY, 2);
  EXPECT_EQ(r.cycleRight, 217);
  EXPECT_EQ(r.cycleTop, 8);
  EXPECT_EQ(r.infoDesign, (PixelRect{10, 32, 230, 49}));
  EXPECT_EQ(r.focusInset, 2);
  EXPECT_EQ(r.tooltipWidth, 300);
  // The first line of the text centred in the 20 px band below 30, as integers divide.
  EXPECT_EQ(RowInfoRect(r, 17), (PixelRect{10, 31, 230, 48}));
  EXPECT_EQ(RowInfoRect(r, 16), (PixelRect{10, 32, 230, 49}));
  EXPECT_EQ(RowInfoRect(r, 21), (PixelRect{10, 30, 230, 47}));

  const NewButtonLayout b = LayoutNewButton(96);
  EXPECT_EQ(b.width, 240);
  EXPECT_EQ(b.height, 40);
  EXPECT_EQ(b.plusBar, (PixelRect{14, 18, 38, 22}));
  EXPECT_EQ(b.plusPost, (PixelRect{24, 8, 28, 32}));
  EXPECT_EQ(b.captionLeft, 64);

  const PopupLayout p = LayoutPopup(96);
  EXPECT_EQ(p.width, 272);
  EXPECT_EQ(p.height, 194);
  EXPECT_EQ(p.bottomGap, 40);
  EXPECT_EQ(p.slideStep, 15);
  EXPECT_EQ(p.timeBox, (PixelRect{16, 8, 74, 46}));
  EXPECT_EQ(p.infoBox, (PixelRect{16, 48, 257, 145}));
  EXPECT_EQ(p.closeBox, (PixelRect{184, 160, 257, 185}));

  const DialogLayout d = LayoutDialog(96);
  EXPECT_EQ(d.clientWidth, 361);
  EXPECT_EQ(d.clientHeight, 251);
  EXPECT_EQ(d.create, (PixelRect{192, 216, 265, 241}));
  EXPECT_EQ(d.cancel, (PixelRect{272, 216, 345, 241}));
  EXPECT_EQ(d.tips, (PixelRect{16, 136, 345, 209}));
  EXPECT_EQ(d.hour, (PixelRect{184, 16, 241, 41}));
  EXPECT_EQ(d.minute, (PixelRect{272, 16, 329, 41}));
  EXPECT_EQ(d.listHeight, 25);
  EXPECT_EQ(d.dropHeight, 240);
  EXPECT_EQ(d.week[0], (PixelRect{16, 64, 57, 81}));
  EXPECT_EQ(d.week[6], (PixelRect{304, 64, 345, 81}));
  EXPECT_EQ(d.sound, (PixelRect{16, 88, 345, 105}));
  EXPECT_EQ(d.counter, (PixelRect{296, 112, 345, 129}));
}

// Every rectangle of a layout, with its name, for the checks that hold at any dpi.
std::vector<std::pair<std::string, PixelRect>> Rects(int dpi) {
  const MainLayout m = LayoutMain(dpi);
  const RowLayout r = LayoutRow(dpi);
  const NewButtonLayout b = LayoutNewButton(dpi);
  const PopupLayout p = LayoutPopup(dpi);
  const DialogLayout d = LayoutDialog(dpi);
  const ClockLayout c = LayoutClock(dpi);
  std::vector<std::pair<std::string, PixelRect>> rects{
      {"newButton", m.newButton},
      {"row", {m.rowLeft, m.templateTop, m.rowLeft + m.rowWidth, m.templateTop + m.rowHeight}},
      {"slide", {m.slideEnd, m.slideStep, m.slideStart, m.slideStart}},
      {"messageBar", m.messageBar},
      {"messageText", m.messageText},
      {"messageClose", m.messageClose},
      {"clock", {c.timeX, c.timeY, c.dateX, c.dateY}},
      {"clockGaps", {c.border, c.secondGap, c.secondTop, c.secondTop}},
      {"rowSize", {0, 0, r.width, r.height}},
      {"rowTexts", {r.timeX, r.timeY, r.cycleRight, r.cycleTop}},
      {"rowInfo", r.infoDesign},
      {"rowInfoBand", {r.infoLeft, r.infoBandTop, r.infoLeft + r.infoWidth, r.infoBandTop + r.infoBandHeight}},
      {"rowExtras", {r.focusInset, r.infoHeight, r.tooltipWidth, r.tooltipWidth}},
      {"buttonSize", {0, 0, b.width, b.height}},
      {"plusBar", b.plusBar},
      {"plusPost", b.plusPost},
      {"caption", {b.focusInset, b.focusInset, b.captionLeft, b.captionLeft}},
      {"popup", {0, 0, p.width, p.height}},
      {"popupEdges", {p.border, p.slideStep, p.bottomGap, p.bottomGap}},
      {"popupTime", p.timeBox},
      {"popupInfo", p.infoBox},
      {"popupClose", p.closeBox},
      {"dialog", {0, 0, d.clientWidth, d.clientHeight}},
      {"create", d.create},
      {"cancel", d.cancel},
      {"tips", d.tips},
      {"hour", d.hour},
      {"minute", d.minute},
      {"lists", {0, 0, d.listHeight, d.dropHeight}},
      {"sound", d.sound},
      {"timeLabel", d.timeLabel},
      {"hourLabel", d.hourLabel},
      {"minuteLabel", d.minuteLabel},
      {"repeatLabel", d.repeatLabel},
      {"tipsLabel", d.tipsLabel},
      {"counter", d.counter},
  };
  for (size_t i = 0; i < d.week.size(); ++i) rects.emplace_back("week" + std::to_string(i), d.week[i]);
  return rects;
}

// Nothing is left at its 96-dpi size: every number is within half a pixel of the design's
// times the scale, as the nearest whole pixel is (a 1-px length forgotten at 96 dpi is off
// by a whole pixel at 192). Places made from others so that pieces meet (the plus sign from
// its middle, the bar and the rows from the border and the close mark) may be off by one.
TEST(Layout, EveryLengthScalesWithTheDpi) {
  const auto design = Rects(96);
  for (const int dpi : kDpis) {
    const auto scaled = Rects(dpi);
    ASSERT_EQ(scaled.size(), design.size());
    const double f = dpi / 96.0;
    for (size_t i = 0; i < design.size(); ++i) {
      const std::string& name = design[i].first;
      const bool made = name == "plusBar" || name == "plusPost" || name == "messageBar" ||
                        name == "messageClose" || name == "messageText" || name == "row" || name == "newButton";
      const double tolerance = made ? 1.0 : 0.5;
      const PixelRect& a = design[i].second;
      const PixelRect& s = scaled[i].second;
      for (const auto& [want, got] : {std::pair{a.left, s.left}, std::pair{a.top, s.top},
                                     std::pair{a.right, s.right}, std::pair{a.bottom, s.bottom}})
        EXPECT_LE(std::abs(got - want * f), tolerance) << design[i].first << " at " << dpi << ": " << Text(s);
    }
  }
}

// What meets at 96 dpi still meets, and what is inside stays inside.
TEST(Layout, PiecesStillMeetAtEveryDpi) {
  for (const int dpi : kDpis) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    const MainLayout m = LayoutMain(dpi);
    const int border = LayoutClock(dpi).border;
    // The button and five rows fill the window inside its border, to the pixel; the window
    // is within a pixel or two of the design's size times the scale.
    EXPECT_EQ(m.newButton.left, border);
    EXPECT_EQ(m.newButton.right, m.width - border);
    EXPECT_EQ(m.rowLeft + m.rowWidth, m.width - border);
    EXPECT_EQ(m.templateTop + m.rowHeight, m.newButton.bottom);
    EXPECT_EQ(m.newButton.bottom + 5 * m.rowHeight, m.height - border);
    EXPECT_LE(std::abs(m.width - 242 * dpi / 96.0), 2.0);
    EXPECT_LE(std::abs(m.height - 391 * dpi / 96.0), 3.0);
    // The bar lies just above the button and as wide, its close mark square at its right end.
    EXPECT_LE(m.messageBar.bottom, m.newButton.top);
    EXPECT_EQ(m.messageBar.left, m.newButton.left);
    EXPECT_EQ(m.messageBar.right, m.newButton.right);
    EXPECT_EQ(m.messageClose.right, Width(m.messageBar));
    EXPECT_EQ(m.messageClose.bottom, Height(m.messageBar));
    EXPECT_EQ(Width(m.messageClose), Height(m.messageClose));
    EXPECT_LT(m.messageText.right, m.messageClose.left);

    const RowLayout r = LayoutRow(dpi);
    EXPECT_EQ(r.width, m.rowWidth);
    EXPECT_EQ(r.height, m.rowHeight);
    EXPECT_LE(RowInfoRect(r, Scale(17, dpi)).bottom, r.height);

    const NewButtonLayout b = LayoutNewButton(dpi);
    EXPECT_EQ(b.width, Width(m.newButton));
    EXPECT_EQ(b.height, Height(m.newButton));

    const PopupLayout p = LayoutPopup(dpi);
    const PixelRect popup{0, 0, p.width, p.height};
    for (const PixelRect& box : {p.timeBox, p.infoBox, p.closeBox}) EXPECT_TRUE(Inside(box, popup)) << Text(box);
    EXPECT_FALSE(Overlap(p.infoBox, p.closeBox));
    EXPECT_EQ(p.infoBox.right, p.closeBox.right);

    // Controls apart at 96 dpi stay apart (the lists touch their "时" and "分" by design).
    const auto controls = [](const DialogLayout& d) {
      std::vector<PixelRect> all{d.create,    d.cancel,    d.tips,        d.hour,        d.minute,    d.sound,
                                 d.timeLabel, d.hourLabel, d.minuteLabel, d.repeatLabel, d.tipsLabel, d.counter};
      all.insert(all.end(), d.week.begin(), d.week.end());
      return all;
    };
    const DialogLayout d = LayoutDialog(dpi);
    const PixelRect client{0, 0, d.clientWidth, d.clientHeight};
    const auto at96 = controls(LayoutDialog(96)), here = controls(d);
    for (size_t i = 0; i < here.size(); ++i) {
      EXPECT_TRUE(Inside(here[i], client)) << Text(here[i]);
      for (size_t j = i + 1; j < here.size(); ++j)
        if (!Overlap(at96[i], at96[j])) {
          EXPECT_FALSE(Overlap(here[i], here[j])) << Text(here[i]) << " " << Text(here[j]);
        }
    }
    EXPECT_EQ(d.tips.right, d.cancel.right);
    EXPECT_EQ(d.counter.right, d.tips.right);
    EXPECT_EQ(Height(d.hour), d.listHeight);
  }
}

TEST(Layout, PanelButtonsAtEveryDpi) {
  for (const int dpi : kDpis) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    const int w = LayoutMain(dpi).width;
    const StripSize strip = PickArt(kButtonFrame, kButtonFrames, dpi).drawn;
    const PanelGeometry g = LayoutPanel(w, strip, strip, dpi);
    // Whole frames, the two buttons side by side at the right, below the border.
    EXPECT_EQ(strip.width % 3, 0);
    EXPECT_EQ(g.miniX + FrameWidth(strip), g.exitX);
    EXPECT_EQ(g.miniRight, g.exitLeft);
    EXPECT_EQ(g.exitRight, w - Scale(4, dpi));
    EXPECT_EQ(g.miniY, LayoutClock(dpi).border);
    EXPECT_LE(g.exitX + FrameWidth(strip), w - LayoutClock(dpi).border);
    EXPECT_LE(g.title.right, g.miniX);
    EXPECT_EQ(g.title.bottom, Scale(26, dpi));
    // The pointer over the middle of each button finds it, and so does its last row.
    const float y = static_cast<float>(g.miniY + strip.height / 2);
    const float lastRow = static_cast<float>(g.miniY + strip.height - 1);
    EXPECT_EQ(HitPanel(g, static_cast<float>(g.miniX + 1), lastRow), PanelRegion::Minimise);
    EXPECT_EQ(HitPanel(g, static_cast<float>(g.exitX + 1), lastRow), PanelRegion::Close);
    EXPECT_EQ(HitPanel(g, static_cast<float>(g.exitX + 1), lastRow + 1), PanelRegion::None);
    EXPECT_EQ(HitPanel(g, static_cast<float>(g.miniX + FrameWidth(strip) / 2), y), PanelRegion::Minimise);
    EXPECT_EQ(HitPanel(g, static_cast<float>(g.exitX + FrameWidth(strip) / 2), y), PanelRegion::Close);
    EXPECT_EQ(HitPanel(g, static_cast<float>(g.title.left + 1), y), PanelRegion::None);
  }
}

TEST(Layout, PicturesComeFromTheNearestLargerDrawing) {
  struct Case {
    int dpi;
    int percent;
    StripSize art, drawn;
  };
  const Case strips[] = {
      {96, 100, {81, 21}, {81, 21}},     {120, 150, {123, 32}, {102, 26}},  // 125 %: scaled down
      {144, 150, {123, 32}, {123, 32}},  {168, 200, {162, 42}, {141, 37}},  // 175 %: scaled down
      {192, 200, {162, 42}, {162, 42}},  {240, 200, {162, 42}, {204, 53}},  // past the largest: up
      {72, 100, {81, 21}, {60, 16}},
  };
  for (const Case& c : strips) {
    const ArtPick pick = PickArt(kButtonFrame, kButtonFrames, c.dpi);
    EXPECT_EQ(pick.percent, c.percent) << c.dpi;
    EXPECT_EQ(pick.art.width, c.art.width) << c.dpi;
    EXPECT_EQ(pick.art.height, c.art.height) << c.dpi;
    EXPECT_EQ(pick.drawn.width, c.drawn.width) << c.dpi;
    EXPECT_EQ(pick.drawn.height, c.drawn.height) << c.dpi;
  }
  // The close mark is drawn as high as the message bar at every dpi.
  for (const int dpi : kDpis) {
    const ArtPick mark = PickArt(kCloseMarkCell, 1, dpi);
    EXPECT_EQ(mark.drawn.height, Height(LayoutMain(dpi).messageBar)) << dpi;
  }
  // Each drawing is where the program looks for it.
  struct Id {
    int id100, percent, id;
  };
  const Id ids[] = {{IDB_BTN_MINI, 150, IDB_BTN_MINI_150},   {IDB_BTN_EXIT, 150, IDB_BTN_EXIT_150},
                    {IDB_MSG_CLOSE, 150, IDB_MSG_CLOSE_150}, {IDB_BTN_MINI, 200, IDB_BTN_MINI_200},
                    {IDB_BTN_EXIT, 200, IDB_BTN_EXIT_200},   {IDB_MSG_CLOSE, 200, IDB_MSG_CLOSE_200},
                    {IDB_BTN_MINI, 100, IDB_BTN_MINI}};
  for (const Id& i : ids) EXPECT_EQ(ArtResourceId(i.id100, i.percent), i.id) << i.id;
}

TEST(Layout, CaptionCentredWithHalvesToTheEvenPixel) {
  struct Case {
    int height, line, top;
  };
  const Case cases[] = {{40, 17, 12}, {40, 16, 12}, {40, 19, 10}, {40, 21, 10}, {60, 25, 18}, {50, 21, 14}};
  for (const Case& c : cases) EXPECT_EQ(CaptionTop(c.height, c.line), c.top) << c.height << "/" << c.line;
}

}  // namespace
}  // namespace tavik
