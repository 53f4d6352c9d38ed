#include "controls/layout.h"

#include <cfenv>
#include <cmath>

namespace tavik {

StripSize ArtSize(StripSize cell, int cells, int percent) {
  const int dpi = kBaseDpi * percent / 100;
  return {cells * Scale(cell.width, dpi), Scale(cell.height, dpi)};
}

ArtPick PickArt(StripSize cell, int cells, int dpi) {
  ArtPick pick;
  pick.percent = kArtPercents.back();
  for (const int percent : kArtPercents) {
    if (kBaseDpi * percent >= dpi * 100) {
      pick.percent = percent;
      break;
    }
  }
  pick.art = ArtSize(cell, cells, pick.percent);
  pick.drawn = {cells * Scale(cell.width, dpi), Scale(cell.height, dpi)};
  return pick;
}

MainLayout LayoutMain(int dpi) {
  const auto s = [dpi](int px) { return Scale(px, dpi); };
  MainLayout m;
  m.dpi = dpi;
  // The window is its border around the button and five rows, so they meet it at every dpi:
  // 242 x 391 (3630 x 5865 twips) at 96 dpi.
  const int border = s(1);
  m.rowWidth = s(240);
  m.rowHeight = s(50);
  m.rowLeft = border;
  m.newButton = {border, s(100), border + m.rowWidth, s(100) + s(40)};
  m.width = m.rowWidth + 2 * border;
  m.height = m.newButton.bottom + 5 * m.rowHeight + border;
  m.templateTop = m.newButton.bottom - m.rowHeight;
  m.slideStart = s(240);
  m.slideStep = s(15);
  m.slideEnd = s(9);
  // As wide as the button, just above it, and as high as its close mark.
  m.messageBar = {border, s(77), m.newButton.right, s(77) + s(kCloseMarkCell.height)};
  const int barWidth = Width(m.messageBar), barHeight = Height(m.messageBar);
  m.messageClose = {barWidth - s(kCloseMarkCell.width), 0, barWidth, barHeight};
  m.messageText = {s(5), 0, s(150), barHeight};
  m.messageFocusInset = s(1);
  return m;
}

ClockLayout LayoutClock(int dpi) {
  const auto s = [dpi](int px) { return Scale(px, dpi); };
  ClockLayout c;
  c.border = s(1);
  c.timeX = s(16);
  c.timeY = s(32);
  c.secondTop = s(48);
  c.secondGap = s(8);
  c.dateX = s(16);
  c.dateY = s(64);
  return c;
}

RowLayout LayoutRow(int dpi) {
  const auto s = [dpi](int px) { return Scale(px, dpi); };
  RowLayout r;
  r.width = s(240);
  r.height = s(50);
  r.timeX = s(8);
  r.timeY = s(2);
  r.cycleRight = s(217);  // the design box is x 168 ... 217
  r.cycleTop = s(8);
  r.infoLeft = s(10);
  r.infoWidth = s(230) - r.infoLeft;
  r.infoHeight = s(17);
  r.infoDesign = Scale(PixelRect{10, 32, 230, 49}, dpi);
  r.infoBandTop = s(30);
  r.infoBandHeight = s(20);
  r.focusInset = s(2);
  r.tooltipWidth = s(300);
  return r;
}

PixelRect RowInfoRect(const RowLayout& row, int lineHeight) {
  const int top = (row.infoBandHeight - lineHeight) / 2 + row.infoBandTop;
  return {row.infoLeft, top, row.infoLeft + row.infoWidth, top + row.infoHeight};
}

NewButtonLayout LayoutNewButton(int dpi) {
  NewButtonLayout b;
  b.width = Scale(240, dpi);
  b.height = Scale(40, dpi);
  // The plus sign from its middle, so its bar and post cross there at every dpi.
  const int x = Scale(26, dpi), y = Scale(20, dpi), arm = Scale(12, dpi), half = Scale(2, dpi);
  b.plusBar = {x - arm, y - half, x + arm, y + half};
  b.plusPost = {x - half, y - arm, x + half, y + arm};
  b.captionLeft = Scale(64, dpi);
  b.focusInset = Scale(2, dpi);
  return b;
}

int CaptionTop(int buttonHeight, int lineHeight) {
  std::fesetround(FE_TONEAREST);
  return static_cast<int>(std::nearbyint((buttonHeight - lineHeight) / 2.0));
}

PopupLayout LayoutPopup(int dpi) {
  PopupLayout p;
  p.width = Scale(272, dpi);
  p.height = Scale(194, dpi);
  p.bottomGap = Scale(40, dpi);
  p.slideStep = Scale(15, dpi);
  p.border = Scale(1, dpi);
  p.timeBox = Scale(BoxAt(16, 8, 58, 38), dpi);
  p.infoBox = Scale(BoxAt(16, 48, 241, 97), dpi);
  p.closeBox = Scale(BoxAt(184, 160, 73, 25), dpi);
  return p;
}

DialogLayout LayoutDialog(int dpi) {
  const auto box = [dpi](int x, int y, int w, int h) { return Scale(BoxAt(x, y, w, h), dpi); };
  DialogLayout d;
  d.clientWidth = Scale(361, dpi);
  d.clientHeight = Scale(251, dpi);
  d.create = box(192, 216, 73, 25);
  d.cancel = box(272, 216, 73, 25);
  d.tips = box(16, 136, 329, 73);
  d.listHeight = Scale(25, dpi);
  d.dropHeight = Scale(240, dpi);
  d.hour = box(184, 16, 57, 25);
  d.minute = box(272, 16, 57, 25);
  for (int i = 0; i < 7; ++i) d.week[static_cast<size_t>(i)] = box(16 + 48 * i, 64, 41, 17);
  d.sound = box(16, 88, 329, 17);
  d.timeLabel = box(16, 16, 24, 17);
  d.hourLabel = box(240, 24, 17, 17);
  d.minuteLabel = box(328, 24, 17, 17);
  d.repeatLabel = box(16, 40, 24, 17);
  d.tipsLabel = box(16, 112, 49, 17);
  d.counter = box(296, 112, 49, 17);
  return d;
}

}  // namespace tavik
