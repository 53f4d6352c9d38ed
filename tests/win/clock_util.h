// A running main window whose clock and alert sound the test controls.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "widget/main_window.h"
#include "tests/win/test_util.h"

namespace tavik::test {

// A local time with its weekday filled in as the system would.
SYSTEMTIME At(int year, int month, int day, int hour, int minute, int second = 0);

struct SoundCall {
  const void* sound;
  UINT flags;
};

// Takes over the clock and the sound while it lives.
class Seams {
 public:
  Seams();
  ~Seams();
  Seams(const Seams&) = delete;
  Seams& operator=(const Seams&) = delete;

  SYSTEMTIME now{};
  std::vector<SoundCall> sounds;
  int Starts() const;
  int Stops() const;
};

// Sets a file's last write time to a local time.
void SetLastWrite(const std::wstring& path, const SYSTEMTIME& local);

class ClockFixture {
 public:
  // Starts the main window with these data-file bytes (none: no file) at the given moment.
  // The file so written was last written at `written`, or long ago. Every save of the program
  // is dated by the set clock, as on a machine whose clock says so (a start, a tick).
  // The panel's own timer is stopped unless `keepTimer`: the test ticks it itself.
  void StartAt(const SYSTEMTIME& moment, const std::string& cfgBytes = {}, bool keepTimer = false,
               const std::optional<SYSTEMTIME>& written = std::nullopt);
  void Stop();
  // One tick of the clock, as the timer would run it.
  void Tick();
  void TickAt(const SYSTEMTIME& moment);
  std::wstring cfg() const { return dir.File(L"Tavik.cfg"); }

  TempDir dir;
  Seams seams;
  RunningProgram main;

 private:
  void DateSaves();
  FILETIME dated_{};  // the file's last write as the fixture dated it
  std::wstring cfgPath_;
};

}  // namespace tavik::test
