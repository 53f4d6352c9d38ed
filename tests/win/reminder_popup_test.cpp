// The reminder popup on screen: where it starts and ends, its single window, the looped
// sound started once and stopped on close, and a close in the middle of the slide.
#include "schedule/reminder_popup.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <cstring>

#include "core/messages.h"
#include "widget/tray.h"
#include "tests/win/clock_util.h"

namespace tavik {
namespace {

int Windows(const wchar_t* cls) {
  int n = 0;
  for (HWND w = FindWindowW(cls, nullptr); w; w = FindWindowExW(nullptr, w, cls, nullptr)) ++n;
  return n;
}

class PopupTest : public ::testing::Test {
 protected:
  void TearDown() override {
    popup.Unload();
    test::PumpMessages();
  }
  void Fire(const char16_t* time, const char16_t* info) {
    popup.SetTime(time);
    popup.SetInfo(info);
    popup.Show();
  }
  POINT Place() const {
    const RECT r = popup.Bounds();
    return {r.left, r.top};
  }
  bool Ringing() {
    return test::PumpUntil([&] { return popup.ringing(); }, 3000);
  }

  test::Seams seams;
  const Services services = test::TestServices();
  ReminderPopup popup{services};
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
};

TEST_F(PopupTest, SlidesInFromTheRightEdgeAndRingsLoopedFromMemory) {
  Fire(u"08:30", u"喝水");
  EXPECT_EQ(Place().x, screenW);
  EXPECT_EQ(Place().y, screenH - 194 - 40);
  EXPECT_TRUE(GetWindowLongW(popup.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(GetWindowLongW(popup.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);  // not in the taskbar
  EXPECT_EQ(GetWindowLongW(popup.hwnd(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
  RECT client;
  GetClientRect(popup.hwnd(), &client);
  EXPECT_EQ(client.right, 272);
  EXPECT_EQ(client.bottom, 194);
  EXPECT_EQ(seams.Starts(), 0);  // no sound before it stands

  ASSERT_TRUE(Ringing());
  EXPECT_EQ(Place().x, screenW - 272);
  EXPECT_EQ(Place().y, screenH - 234);
  ASSERT_EQ(seams.sounds.size(), 1u);
  EXPECT_EQ(seams.sounds[0].flags, static_cast<UINT>(SND_ASYNC | SND_NODEFAULT | SND_MEMORY | SND_LOOP));
  const auto* wave = static_cast<const char*>(seams.sounds[0].sound);
  EXPECT_EQ(std::memcmp(wave, "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(wave + 8, "WAVE", 4), 0);
  EXPECT_EQ(popup.TimeText(), u"08:30");
  EXPECT_EQ(popup.InfoText(), u"喝水");
  EXPECT_TRUE(GetWindowLongW(popup.info(), GWL_STYLE) & (ES_MULTILINE | ES_READONLY | WS_VSCROLL));
}

TEST_F(PopupTest, ASecondTaskOnlyChangesTheTexts) {
  Fire(u"08:30", u"first");
  ASSERT_TRUE(Ringing());
  const HWND first = popup.hwnd();
  Fire(u"08:35", u"second");
  test::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(popup.hwnd(), first);
  EXPECT_EQ(Windows(L"TavikReminder"), 1);
  EXPECT_EQ(Place().x, screenW - 272);
  EXPECT_EQ(popup.TimeText(), u"08:35");
  EXPECT_EQ(popup.InfoText(), u"second");
  EXPECT_EQ(seams.Starts(), 1);
  EXPECT_EQ(seams.Stops(), 0);
}

TEST_F(PopupTest, CloseStopsTheSoundAndTheNextTaskSlidesInAnew) {
  Fire(u"08:30", u"first");
  ASSERT_TRUE(Ringing());
  SendMessageW(popup.closeButton(), BM_CLICK, 0, 0);
  EXPECT_FALSE(popup.IsAlive());
  EXPECT_EQ(Windows(L"TavikReminder"), 0);
  EXPECT_EQ(seams.Starts(), 1);
  EXPECT_EQ(seams.Stops(), 1);
  EXPECT_EQ(seams.sounds.back().flags, 0u);

  Fire(u"09:00", u"again");
  EXPECT_EQ(Place().x, screenW);
  ASSERT_TRUE(Ringing());
  EXPECT_EQ(seams.Starts(), 2);
}

TEST_F(PopupTest, ClosingDuringTheSlideEndsItSilently) {
  struct Case {
    bool loadAgain;  // a task falls due right after the close, inside the same slide step
  };
  for (const Case c : {Case{false}, Case{true}}) {
    seams.sounds.clear();
    static ReminderPopup* target;
    static bool again;
    target = &popup;
    again = c.loadAgain;
    Fire(u"08:30", u"sliding");
    SetTimer(nullptr, 0, 60, [](HWND, UINT, UINT_PTR id, DWORD) CALLBACK {
      KillTimer(nullptr, id);
      SendMessageW(target->closeButton(), BM_CLICK, 0, 0);
      if (again) {
        target->SetTime(u"08:31");
        target->Show();
      }
    });
    test::PumpUntil([] { return false; }, 800);
    if (c.loadAgain) {
      EXPECT_TRUE(popup.ringing());
      EXPECT_EQ(seams.Starts(), 1);
      EXPECT_EQ(Place().x, screenW - 272);
      EXPECT_EQ(Windows(L"TavikReminder"), 1);
    } else {
      EXPECT_FALSE(popup.IsAlive());
      EXPECT_EQ(Windows(L"TavikReminder"), 0);
      EXPECT_TRUE(seams.sounds.empty());
    }
    popup.Unload();
  }
}

class PopupWithMain : public ::testing::Test, public test::ClockFixture {
 protected:
  void TearDown() override { Stop(); }
};

TEST_F(PopupWithMain, EndingTheProgramWhileItRingsStopsTheSound) {
  StartAt(test::At(2026, 12, 9, 8, 29, 59), test::DataFile({{u"08:30", u"不循环", u"ring"}}));
  TickAt(test::At(2026, 12, 9, 8, 30, 0));
  ASSERT_TRUE(test::PumpUntil([&] { return main.program().frmRem.ringing(); }, 3000));
  SendMessageW(main->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(main.program().frmRem.IsAlive());
  EXPECT_EQ(Windows(L"TavikReminder"), 0);
  EXPECT_EQ(seams.Starts(), 1);
  EXPECT_EQ(seams.Stops(), 1);
}

}  // namespace
}  // namespace tavik
