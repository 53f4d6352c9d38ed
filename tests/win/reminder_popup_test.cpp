// The reminder popup on screen: where it starts and ends, its single window, the looped
// sound started once and stopped on close, and a close in the middle of the slide.
#include "schedule/reminder_popup.h"

#include <gtest/gtest.h>
#include <mmsystem.h>

#include <oleacc.h>

#include <cstring>
#include <utility>
#include <vector>

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
  void Fire(const char16_t* time, const char16_t* info) { popup.Remind(time, info); }
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

TEST_F(PopupTest, ASecondTaskIsAddedBelowTheFirst) {
  Fire(u"08:30", u"first");
  ASSERT_TRUE(Ringing());
  const HWND first = popup.hwnd();
  Fire(u"08:35", u"second");
  test::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(popup.hwnd(), first);
  EXPECT_EQ(Windows(L"TavikReminder"), 1);
  EXPECT_EQ(Place().x, screenW - 272);
  EXPECT_EQ(popup.TimeText(), u"08:35");
  EXPECT_EQ(popup.InfoText(), u"08:30  first\r\n08:35  second");
  EXPECT_EQ(seams.Starts(), 1);
  EXPECT_EQ(seams.Stops(), 0);
}

// Reminders of days left alone: the box scrolls to the newest, and keeps a bounded list.
TEST_F(PopupTest, ALongListScrollsToTheNewestAndStaysBounded) {
  const int total = static_cast<int>(ReminderList::kMaxKept) + 20;
  for (int i = 0; i < total; ++i) {
    const std::u16string n(1, static_cast<char16_t>(u'A' + i % 26));
    popup.Remind(u"08:30", u"提醒" + n);
  }
  ASSERT_TRUE(Ringing());
  const HWND box = popup.info();
  const LRESULT lines = SendMessageW(box, EM_GETLINECOUNT, 0, 0);
  EXPECT_EQ(lines, static_cast<LRESULT>(ReminderList::kMaxKept) + 1);  // and the note of those left out
  const LRESULT top = SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0);
  // The last line is in view: a line below the first visible one by what the box holds.
  RECT r;
  SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
  const LRESULT lastStart = SendMessageW(box, EM_LINEINDEX, static_cast<WPARAM>(lines - 1), 0);
  const LRESULT at = SendMessageW(box, EM_POSFROMCHAR, static_cast<WPARAM>(lastStart), 0);
  EXPECT_GT(top, 0);
  EXPECT_GE(static_cast<short>(HIWORD(at)), r.top);
  EXPECT_LT(static_cast<short>(HIWORD(at)), r.bottom);
  EXPECT_EQ(seams.Starts(), 1);
}

// A screen reader hears of it: the system's alert event for each reminder, and the popup
// answers as an alert named by the newest reminder's time and text.
TEST_F(PopupTest, AScreenReaderIsToldOfEachReminder) {
  static std::vector<std::pair<HWND, LONG>> alerts;
  alerts.clear();
  const HWINEVENTHOOK hook = SetWinEventHook(
      EVENT_SYSTEM_ALERT, EVENT_SYSTEM_ALERT, nullptr,
      [](HWINEVENTHOOK, DWORD, HWND w, LONG object, LONG, DWORD, DWORD) CALLBACK { alerts.push_back({w, object}); },
      GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_TRUE(hook);
  Fire(u"09:00", u"甲：交周报");
  Fire(u"09:00", u"乙：开例会");
  test::PumpUntil([] { return alerts.size() >= 2; }, 1000);
  UnhookWinEvent(hook);
  ASSERT_EQ(alerts.size(), 2u);
  for (const auto& a : alerts) {
    EXPECT_EQ(a.first, popup.hwnd());
    EXPECT_EQ(a.second, OBJID_CLIENT);
  }

  ASSERT_GT(SendMessageW(popup.hwnd(), WM_GETOBJECT, 0, OBJID_CLIENT), 0);
  IAccessible* object = popup.AccessibleObject();
  ASSERT_TRUE(object);
  VARIANT self, role;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  VariantInit(&role);
  ASSERT_EQ(object->get_accRole(self, &role), S_OK);
  EXPECT_EQ(role.lVal, ROLE_SYSTEM_ALERT);
  BSTR name = nullptr;
  ASSERT_EQ(object->get_accName(self, &name), S_OK);
  EXPECT_EQ(std::wstring(name), L"09:00 乙：开例会");
  SysFreeString(name);
  LONG children = 0;
  EXPECT_EQ(object->get_accChildCount(&children), S_OK);  // the label, the box, the button: the system's
  EXPECT_GE(children, 3);
  popup.Unload();
  name = nullptr;
  EXPECT_EQ(object->get_accName(self, &name), RPC_E_DISCONNECTED);  // a reader holding it after the close
  object->Release();
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
  StartAt(test::At(2026, 12, 9, 8, 29, 59), test::DataFileBytes({{u"08:30", u"不循环", u"ring"}}));
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
