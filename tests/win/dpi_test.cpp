// A window moved onto a monitor of another resolution lays itself out anew for it, every part
// where the layout puts it, and comes back to the very same pixels when moved back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/layout.h"
#include "controls/new_button.h"
#include "core/ansi.h"
#include "editing/new_task_dialog.h"
#include "schedule/reminder_popup.h"
#include "tests/win/test_util.h"

namespace tavik {
namespace {

using test::WriteFileBytes;

PixelRect Px(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

std::string Text(const PixelRect& r) {
  return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + "}";
}

// Where a child stands in its parent's client area.
PixelRect ChildBox(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return Px(r);
}

LONG FontHeightOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

void ChangeDpi(HWND w, int dpi, const RECT& suggested) {
  SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  test::PumpMessages();
}

// Every place and size the main window's layout decides, as the windows stand.
std::vector<PixelRect> MainPlaces(MainWindow& main) {
  RECT window, panel;
  GetWindowRect(main.hwnd(), &window);
  GetClientRect(main.UI()->hwnd(), &panel);
  std::vector<PixelRect> places{Px(window), Px(panel), ChildBox(main.btnNew()->hwnd()),
                                ChildBox(main.Msg()->hwnd()), ChildBox(main.Msg()->closeMark())};
  for (const TaskRow* row : {main.TemplateRow(), main.Row(0), main.Row(1), main.Row(2), main.Row(3), main.Row(4)}) {
    if (!row) continue;
    places.push_back(ChildBox(row->hwnd()));
    places.push_back(Px(row->InfoRect()));
  }
  for (auto label : {ClockPanel::Label::Time, ClockPanel::Label::Second, ClockPanel::Label::Date})
    places.push_back(Px(main.UI()->LabelRect(label)));
  const PanelGeometry& g = main.UI()->geometry();
  places.push_back({g.miniX, g.miniY, g.exitX, g.exitY});
  places.push_back({g.mini.width, g.mini.height, g.exit.width, g.exit.height});
  places.push_back(g.title);
  return places;
}

class DpiChange : public ::testing::Test {
 protected:
  void TearDown() override {
    main_.reset();
    test::PumpMessages();
  }
  test::TempDir dir_;
  test::RunningProgram main_;
};

TEST_F(DpiChange, TheMainWindowFollowsItsMonitorAndComesBackToTheSamePixels) {
  const std::u16string stored = SerializeTasks(
      {{u"08:30", u"周12345", u"晨会"}, {u"12:00", u"每天", u"午饭"}, {u"18:00", u"周67", u"健身"}});
  WriteFileBytes(dir_.File(L"Tavik.cfg"), "[Data]\r\nData=" + ToAnsi(stored) + "\r\n");
  main_ = test::StartMainWindow(dir_.File(L"Tavik.cfg"));
  ASSERT_TRUE(main_);
  ASSERT_EQ(main_->RowCount(), 3u);
  ASSERT_EQ(main_->dpi(), 96);
  const std::vector<PixelRect> at96 = MainPlaces(*main_);
  const RECT start = main_->Bounds();
  const RECT time96 = main_->UI()->LabelRect(ClockPanel::Label::Time);

  for (const int dpi : {144, 192, 120}) {
    SCOPED_TRACE("dpi " + std::to_string(dpi));
    const MainLayout m = LayoutMain(dpi);
    ChangeDpi(main_->hwnd(), dpi, {100, 80, 100 + m.width, 80 + m.height});
    EXPECT_EQ(main_->dpi(), dpi);
    EXPECT_EQ(Px(main_->Bounds()), (PixelRect{100, 80, 100 + m.width, 80 + m.height}));
    RECT panel;
    GetClientRect(main_->UI()->hwnd(), &panel);
    EXPECT_EQ(Px(panel), (PixelRect{0, 0, m.width, m.height}));
    EXPECT_EQ(ChildBox(main_->btnNew()->hwnd()), m.newButton);
    EXPECT_EQ(ChildBox(main_->Msg()->hwnd()), m.messageBar);
    EXPECT_EQ(ChildBox(main_->Msg()->closeMark()), m.messageClose);
    // The rows laid out for this dpi: over the button, one below the other, within the window.
    EXPECT_EQ(main_->layout().rowHeight, m.rowHeight);
    test::ExpectRowsInPlace(*main_, main_.items());
    const RowLayout row = LayoutRow(dpi);
    EXPECT_EQ(main_->Row(0)->InfoRect().right, row.infoLeft + row.infoWidth);
    // The strips drawn for it (or scaled from the next larger drawing), placed by its rule.
    const StripSize strip = PickArt(kButtonFrame, kButtonFrames, dpi).drawn;
    const PanelGeometry& g = main_->UI()->geometry();
    EXPECT_EQ(g.mini.width, strip.width);
    EXPECT_EQ(g.exit.height, strip.height);
    EXPECT_EQ(g.miniX + FrameWidth(strip), g.exitX);
    EXPECT_LE(g.exitX + FrameWidth(strip), m.width - LayoutClock(dpi).border);
    // The clock's texts in fonts of its size: the hours and minutes as high as dpi / 96 times.
    const RECT time = main_->UI()->LabelRect(ClockPanel::Label::Time);
    EXPECT_NEAR(time.bottom - time.top, (time96.bottom - time96.top) * dpi / 96.0, 2.0);
    EXPECT_EQ(time.left, Scale(16, dpi));
  }

  ChangeDpi(main_->hwnd(), 96, start);
  std::vector<PixelRect> back = MainPlaces(*main_);
  ASSERT_EQ(back.size(), at96.size());
  for (size_t i = 0; i < at96.size(); ++i) EXPECT_EQ(back[i], at96[i]) << i << ": " << Text(back[i]);

  // The same while the window is hidden in the tray.
  ShowWindow(main_->hwnd(), SW_HIDE);
  ChangeDpi(main_->hwnd(), 144, {100, 80, 100 + LayoutMain(144).width, 80 + LayoutMain(144).height});
  ChangeDpi(main_->hwnd(), 96, start);
  back = MainPlaces(*main_);
  for (size_t i = 0; i < at96.size(); ++i) EXPECT_EQ(back[i], at96[i]) << "hidden, " << i << ": " << Text(back[i]);
}

// The popup belongs to the primary screen: sliding in over a monitor of another resolution
// to its right, it keeps its size and places (resized there, it would be pushed back and forth).
TEST_F(DpiChange, ThePopupKeepsThePrimaryScreensLayout) {
  main_ = test::StartMainWindow(dir_.File(L"Tavik.cfg"));
  ASSERT_TRUE(main_);
  ReminderPopup& popup = main_.program().frmRem;
  popup.SetTime(u"08:30");
  popup.SetInfo(u"晨会");
  const HWND w = popup.hwnd();
  ASSERT_TRUE(w);
  const PopupLayout p = LayoutPopup(96);
  const std::vector<PixelRect> before{Px(popup.Bounds()), ChildBox(popup.info()), ChildBox(popup.closeButton()),
                                      ChildBox(popup.timeLabel())};
  EXPECT_EQ(Width(before[0]), p.width);
  EXPECT_EQ(before[0].bottom, GetSystemMetrics(SM_CYSCREEN) - p.bottomGap);
  EXPECT_EQ(before[2], p.closeBox);

  ChangeDpi(w, 192, {0, 0, 2 * p.width, 2 * p.height});
  const std::vector<PixelRect> after{Px(popup.Bounds()), ChildBox(popup.info()), ChildBox(popup.closeButton()),
                                     ChildBox(popup.timeLabel())};
  for (size_t i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], before[i]) << i << ": " << Text(after[i]);
  EXPECT_EQ(FontHeightOf(popup.closeButton()), FontHeight(9, 96));
  popup.Unload();
}

TEST_F(DpiChange, TheDialogPlacesEveryControlForItsMonitor) {
  main_ = test::StartMainWindow(dir_.File(L"Tavik.cfg"));
  ASSERT_TRUE(main_);
  NewTaskDialog& dialog = main_.program().frmNew;
  dialog.Load();
  ASSERT_TRUE(dialog.hwnd());
  const int ids[] = {NewTaskDialog::kCreateId,     NewTaskDialog::kCancelId,      NewTaskDialog::kTipsId,
                     NewTaskDialog::kHourId,       NewTaskDialog::kMinuteId,      NewTaskDialog::kWeekId + 3,
                     NewTaskDialog::kSoundId,      NewTaskDialog::kCounterId,     NewTaskDialog::kTipsLabelId,
                     NewTaskDialog::kHourLabelId};
  std::vector<PixelRect> at96;
  for (const int id : ids) at96.push_back(ChildBox(dialog.Control(id)));
  const RECT outer96 = dialog.Bounds();

  const DialogLayout d = LayoutDialog(144);
  // The system suggests a frame for the new resolution; the client area is the layout's.
  ChangeDpi(dialog.hwnd(), 144, {outer96.left, outer96.top, outer96.left + 600, outer96.top + 430});
  RECT client;
  GetClientRect(dialog.hwnd(), &client);
  EXPECT_EQ(client.right, d.clientWidth);
  EXPECT_EQ(client.bottom, d.clientHeight);
  EXPECT_EQ(ChildBox(dialog.Control(NewTaskDialog::kCreateId)), d.create);
  EXPECT_EQ(ChildBox(dialog.Control(NewTaskDialog::kCancelId)), d.cancel);
  EXPECT_EQ(ChildBox(dialog.Control(NewTaskDialog::kTipsId)), d.tips);
  EXPECT_EQ(ChildBox(dialog.Control(NewTaskDialog::kWeekId + 3)), d.week[3]);
  EXPECT_EQ(ChildBox(dialog.Control(NewTaskDialog::kCounterId)), d.counter);
  EXPECT_EQ(ChildBox(dialog.Control(NewTaskDialog::kHourLabelId)), d.hourLabel);
  // A closed list is as high as the layout says, whatever the font's line.
  const PixelRect hour = ChildBox(dialog.Control(NewTaskDialog::kHourId));
  EXPECT_EQ(hour.left, d.hour.left);
  EXPECT_EQ(hour.right, d.hour.right);
  EXPECT_EQ(Height(hour), d.listHeight);
  for (const int id : ids) EXPECT_EQ(FontHeightOf(dialog.Control(id)), FontHeight(9, 144)) << id;

  ChangeDpi(dialog.hwnd(), 96, outer96);
  for (size_t i = 0; i < at96.size(); ++i)
    EXPECT_EQ(ChildBox(dialog.Control(ids[i])), at96[i]) << ids[i] << ": " << Text(ChildBox(dialog.Control(ids[i])));
  EXPECT_EQ(Px(dialog.Bounds()), Px(outer96));
  dialog.Unload();
}

}  // namespace
}  // namespace tavik
