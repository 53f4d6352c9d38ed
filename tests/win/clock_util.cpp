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

namespace {

// Allocates nothing: it runs after every tick, also in the test that counts allocations.
FILETIME LastWrite(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return data.ftLastWriteTime;
}

bool operator==(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

void SetLastWrite(const std::wstring& path, const SYSTEMTIME& local) {
  SYSTEMTIME utc;
  FILETIME ft;
  TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
  SystemTimeToFileTime(&utc, &ft);
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  SetFileTime(file, nullptr, nullptr, &ft);
  CloseHandle(file);
}

void ClockFixture::DateSaves() {
  if (cfgPath_.empty()) cfgPath_ = cfg();
  const FILETIME now = LastWrite(cfgPath_);
  if (now == dated_ || now == FILETIME{}) return;
  SetLastWrite(cfgPath_, seams.now);
  dated_ = LastWrite(cfgPath_);
}

void ClockFixture::StartAt(const SYSTEMTIME& moment, const std::string& cfgBytes, bool keepTimer,
                           const std::optional<SYSTEMTIME>& written) {
  seams.now = moment;
  if (!cfgBytes.empty()) {
    WriteFileBytes(cfg(), cfgBytes);
    SetLastWrite(cfg(), written ? *written : At(2000, 1, 1, 0, 0));
    dated_ = LastWrite(cfg());
  }
  main = MakeProgram(cfg());
  if (!main.program().Start()) return;
  main->Show();
  if (!keepTimer) main->UI()->StopClock();
  PumpUntil([&] { return main->loadDone(); });
  DateSaves();
}

void ClockFixture::Stop() {
  main.reset();
  PumpMessages();
}

void ClockFixture::Tick() {
  SendMessageW(main->UI()->hwnd(), WM_TIMER, ClockPanel::kClockTimerId, 0);
  DateSaves();
}

void ClockFixture::TickAt(const SYSTEMTIME& moment) {
  seams.now = moment;
  Tick();
}

}  // namespace tavik::test
