#include "tests/win/clock_util.h"

#include "core/ansi.h"

namespace tavik::test {

SYSTEMTIME At(int year, int month, int day, int hour, int minute, int second) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(day);
  t.wHour = static_cast<WORD>(hour);
  t.wMinute = static_cast<WORD>(minute);
  t.wSecond = static_cast<WORD>(second);
  FILETIME ft;
  SystemTimeToFileTime(&t, &ft);
  FileTimeToSystemTime(&ft, &t);  // fills in the weekday
  return t;
}

Seams::Seams() {
  GetLocalTime(&now);
  TestHooks().localTime = [this] { return now; };
  TestHooks().playSound = [this](const void* sound, UINT flags) {
    sounds.push_back({sound, flags});
    return TRUE;
  };
}

Seams::~Seams() {
  TestHooks().localTime = nullptr;
  TestHooks().playSound = nullptr;
}

int Seams::Starts() const {
  int n = 0;
  for (const SoundCall& c : sounds) n += c.sound != nullptr;
  return n;
}

int Seams::Stops() const { return static_cast<int>(sounds.size()) - Starts(); }

void ClockFixture::StartAt(const SYSTEMTIME& moment, const std::string& cfgBytes, bool keepTimer) {
  seams.now = moment;
  if (!cfgBytes.empty()) WriteFileBytes(cfg(), cfgBytes);
  main = MakeProgram(cfg());
  if (!main.program().Start()) return;
  main->Show();
  if (!keepTimer) main->UI()->StopClock();
  PumpUntil([&] { return main->loadDone(); });
}

void ClockFixture::Stop() {
  main.reset();
  PumpMessages();
}

void ClockFixture::Tick() { SendMessageW(main->UI()->hwnd(), WM_TIMER, ClockPanel::kClockTimerId, 0); }

void ClockFixture::TickAt(const SYSTEMTIME& moment) {
  seams.now = moment;
  Tick();
}

std::string DataFile(std::initializer_list<Task> tasks) {
  return "[Data]\r\nData=" + ToAnsi(SerializeTasks(tasks)) + "\r\n";
}

}  // namespace tavik::test
