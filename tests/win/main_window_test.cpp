// The main window for real: start-up, the one-shot load, row places, saving, shutdown.
#include "widget/main_window.h"

#include <gtest/gtest.h>

#include "core/file_io.h"
#include "core/ansi.h"
#include "core/instance.h"
#include "core/messages.h"
#include "widget/tray.h"
#include "core/ini_file.h"
#include "tests/win/test_util.h"

namespace tavik {
namespace {

using test::Numbered;
using test::ReadFileBytes;
using test::WriteFileBytes;

std::string Records(std::initializer_list<Task> tasks) { return ToAnsi(SerializeTasks(tasks)); }

class MainWindowTest : public ::testing::Test {
 protected:
  void Start(const std::string& cfgBytes, bool writeFile = true) {
    if (writeFile) WriteFileBytes(cfg(), cfgBytes);
    main_ = test::StartMainWindow(cfg());
    ASSERT_TRUE(main_);
  }
  void TearDown() override {
    main_.reset();
    test::PumpMessages();
  }
  std::wstring cfg() const { return dir_.File(L"Tavik.cfg"); }

  test::TempDir dir_;
  test::RunningProgram main_;
};

TEST_F(MainWindowTest, StartsFramelessAtItsSizeWithTheTemplateRowHidden) {
  Start("", /*writeFile=*/false);
  RECT r;
  GetWindowRect(main_->hwnd(), &r);
  EXPECT_EQ(r.right - r.left, test::kMainWidth);
  EXPECT_EQ(r.bottom - r.top, test::kMainHeight);
  EXPECT_EQ(GetWindowLongW(main_->hwnd(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
  EXPECT_TRUE(GetWindowLongW(main_->hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);  // no taskbar button
  wchar_t title[32];
  GetWindowTextW(main_->hwnd(), title, 32);
  EXPECT_STREQ(title, L"Tavik");
  EXPECT_TRUE(main_.items().empty());
  test::ExpectRowsInPlace(*main_, main_.items());
  EXPECT_FALSE(FileExists(cfg()));  // a missing file is not created by the start
}

TEST_F(MainWindowTest, SevenStoredTasksGiveFiveRowsInPlaceAndFiveSaved) {
  Start("[Data]\r\nData=" +
        Records({Numbered(1), Numbered(2), Numbered(3), Numbered(4), Numbered(5), Numbered(6), Numbered(7)}) +
        "\r\n");
  ASSERT_EQ(main_.items().size(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(main_.items()[i], Numbered(static_cast<int>(i) + 1));
  test::ExpectRowsInPlace(*main_, main_.items());
  EXPECT_EQ(main_->Row(4)->Bounds().bottom, main_->layout().height - LayoutClock(main_->dpi()).border);  // the fifth fills the window
  ASSERT_TRUE(main_->SaveData());
  EXPECT_EQ(ReadFileBytes(cfg()),
            "[Data]\r\nData=" + Records({Numbered(1), Numbered(2), Numbered(3), Numbered(4), Numbered(5)}) + "\r\n");
}

TEST_F(MainWindowTest, LoadingThenSavingKeepsTheFileByteForByteAndOtherSections) {
  const std::string file = "[Other]\r\nkey=value\r\n[Data]\r\nData=" +
                           Records({{u"08:30 (已完成)", u"不循环", u"a;b,c"}, {u"23:55", u"周7", u"\U0001F600 表情"}}) +
                           "\r\n[Tail]\r\nx=1\r\n";
  Start(file);
  ASSERT_EQ(main_.items().size(), 2u);
  EXPECT_EQ(main_->Row(0)->RemInfo(), u"a;b,c");
  ASSERT_TRUE(main_->SaveData());
  EXPECT_EQ(ReadFileBytes(cfg()), file);
}

TEST_F(MainWindowTest, ConfigSectionIsRemovedAtStartAndDataKept) {
  const std::string data = "[Data]\r\nData=" + Records({Numbered(1)}) + "\r\n";
  Start("[Config]\r\nAutoRun=1\r\n" + data);
  EXPECT_EQ(ReadFileBytes(cfg()), data);
}

TEST_F(MainWindowTest, AddEditAndSaveWriteTheWorkedExample) {
  Start("", false);
  main_.items().AddItem(u"07:00", u"周1", u"x");
  main_.items().EditItem(0, u"08:30", u"不循环", u"abc");
  ASSERT_TRUE(main_->SaveData());
  EXPECT_EQ(ReadFileBytes(cfg()), "[Data]\r\nData=mdG6mZa7SRVrRBU3o2fIyW==,\r\n");
}

TEST_F(MainWindowTest, AFailedSaveLeavesThePreviousFileWhole) {
  const std::string old = "[Data]\r\nData=" + Records({Numbered(1), Numbered(2)}) + "\r\n";
  Start(old);
  main_.items().EditItem(0, u"09:00", u"不循环", u"changed");

  // The temporary file cannot be created: a folder stands in its place.
  ASSERT_TRUE(CreateDirectoryW((cfg() + L".new").c_str(), nullptr));
  EXPECT_FALSE(main_->SaveData());
  EXPECT_EQ(ReadFileBytes(cfg()), old);
  RemoveDirectoryW((cfg() + L".new").c_str());

  // The data file itself is held open without sharing: the swap fails.
  HANDLE held = CreateFileW(cfg().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(main_->SaveData());
  CloseHandle(held);
  EXPECT_EQ(ReadFileBytes(cfg()), old);
  EXPECT_FALSE(FileExists(cfg() + L".new"));

  EXPECT_TRUE(main_->SaveData());
  EXPECT_NE(ReadFileBytes(cfg()), old);
}

TEST_F(MainWindowTest, LoadRunsOnceEvenWhenPingFiresAgainDuringTheSlides) {
  Start("[Data]\r\nData=" + Records({Numbered(1), Numbered(2)}) + "\r\n");
  SendMessageW(main_->hwnd(), WM_TIMER, MainWindow::kPingTimerId, 0);
  test::PumpMessages();
  EXPECT_EQ(main_.items().size(), 2u);
  test::ExpectRowsInPlace(*main_, main_.items());
}

TEST_F(MainWindowTest, ASlideStaysOnItsOwnRow) {
  Start("", false);
  main_.items().AddItem(u"08:00", u"不循环", u"first");
  // While the second row slides, another task is added from inside its wait (as a click could).
  static TaskList* items;
  items = &main_.items();
  SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
    KillTimer(nullptr, id);
    items->AddItem(u"10:00", u"不循环", u"third");
  });
  main_.items().AddItem(u"09:00", u"不循环", u"second");
  ASSERT_EQ(main_.items().size(), 3u);
  EXPECT_EQ(main_.items()[2].info, u"third");
  test::ExpectRowsInPlace(*main_, main_.items());
}

TEST_F(MainWindowTest, ARowRemovedWhileSlidingEndsItsSlide) {
  Start("", false);
  static TaskList* items;
  items = &main_.items();
  SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
    KillTimer(nullptr, id);
    items->RemoveItem(0);
  });
  main_.items().AddItem(u"09:00", u"不循环", u"gone");
  EXPECT_TRUE(main_.items().empty());
  EXPECT_EQ(main_->RowCount(), 0u);
}

TEST_F(MainWindowTest, TheTenMinuteTimerChecksAtTenMinutesThenEveryThreeHoursAndTrimsEveryTwenty) {
  Start("", false);
  int checks = 0, trims = 0;
  std::vector<int> checkTicks;
  main_->onUpdateCheck = [&] { ++checks; };
  test::TestHooks().trimWorkingSet = [&] { ++trims; };
  for (int tick = 1; tick <= 40; ++tick) {
    const int before = checks;
    SendMessageW(main_->hwnd(), WM_TIMER, MainWindow::kBackgroundTimerId, 0);
    if (checks != before) checkTicks.push_back(tick);
  }
  test::TestHooks().trimWorkingSet = nullptr;
  EXPECT_EQ(checkTicks, (std::vector<int>{1, 19, 37}));
  EXPECT_EQ(trims, 20);
}

TEST_F(MainWindowTest, TrayLeftButtonUpTogglesTheWindowAndNothingElseDoes) {
  Start("", false);
  const HWND w = main_->hwnd();
  for (UINT other : {WM_RBUTTONUP, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN}) {
    SendMessageW(w, kTrayMessage, 0, other);
    EXPECT_TRUE(IsWindowVisible(w)) << other;
  }
  SendMessageW(w, kTrayMessage, 0, WM_LBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(w));
  SendMessageW(w, kTrayMessage, 0, WM_RBUTTONUP);
  EXPECT_FALSE(IsWindowVisible(w));
  SendMessageW(w, kTrayMessage, 0, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(w));
}

// Left on a monitor that was removed, the window comes back whole onto a screen when the
// tray shows it; on a monitor still there, it stays where it was.
TEST_F(MainWindowTest, TheTrayBringsAWindowFromAGoneMonitorBackOnScreen) {
  Start("", false);
  const HWND w = main_->hwnd();
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // Far off, mostly off the right edge, and a place on the screen.
  const POINT places[] = {{5000, 200}, {-3000, -3000}, {work.right - 60, 100}, {300, 100}};
  for (const POINT at : places) {
    SetWindowPos(w, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(w, kTrayMessage, 0, WM_LBUTTONUP);  // hides it
    ASSERT_FALSE(IsWindowVisible(w));
    SendMessageW(w, kTrayMessage, 0, WM_LBUTTONUP);  // shows it
    RECT r;
    GetWindowRect(w, &r);
    if (at.x == 300) {
      EXPECT_EQ(r.left, 300);
      EXPECT_EQ(r.top, 100);
    } else {
      EXPECT_GE(r.left, work.left) << at.x;
      EXPECT_GE(r.top, work.top) << at.x;
      EXPECT_LE(r.right, work.right) << at.x;
      EXPECT_LE(r.bottom, work.bottom) << at.x;
    }
  }
}

TEST_F(MainWindowTest, TrayTipAndIconAreSet) {
  Start("", false);
  const NOTIFYICONDATAW& d = App().TrayData;
  EXPECT_STREQ(d.szTip, L"Tavik 0.5.1");
  EXPECT_EQ(d.uCallbackMessage, kTrayMessage);
  EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(d.hWnd, main_->hwnd());
  EXPECT_NE(d.hIcon, nullptr);
}

TEST_F(MainWindowTest, ClosingUnloadsTheOtherWindowsAndRestoresTheProcedure) {
  Start("", false);
  int unloaded = 0;
  main_->unloadOthers.push_back([&] { ++unloaded; });
  main_->unloadOthers.push_back([&] { ++unloaded; });
  SendMessageW(main_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(unloaded, 2);
  EXPECT_FALSE(main_->IsAlive());
}

TEST(SingleInstance, ASecondStartOnTheSameDataFileShowsTheRunningOne) {
  test::TempDir dir;
  const std::wstring cfg = dir.File(L"Tavik.cfg"), other = dir.File(L"Other.cfg");
  std::wstring shouted = cfg;
  CharUpperBuffW(shouted.data(), static_cast<DWORD>(shouted.size()));
  const std::wstring name = InstanceName(cfg);
  EXPECT_EQ(InstanceName(shouted), name);  // one file, however its path is spelt
  EXPECT_NE(InstanceName(other), name);

  EXPECT_EQ(ClaimDataFile(name, cfg), Claim::Ours);
  EXPECT_EQ(ClaimDataFile(name, cfg), Claim::RunningHere);
  EXPECT_EQ(ClaimDataFile(InstanceName(other), other), Claim::Ours);  // another data file runs on its own

  auto main = test::StartMainWindow(cfg);
  ASSERT_TRUE(main);
  MarkInstanceWindow(main->hwnd(), name);
  ShowWindow(main->hwnd(), SW_HIDE);  // hidden in the tray
  EXPECT_TRUE(ShowRunningInstance(name));
  EXPECT_TRUE(IsWindowVisible(main->hwnd()));
  EXPECT_FALSE(ShowRunningInstance(InstanceName(other)));
}

}  // namespace
}  // namespace tavik
