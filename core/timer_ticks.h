// Counting of the ten-minute background timer: the first tick (ten minutes after start) runs
// the update check and a working-set trim; then the check every 18th tick (three hours) and
// the trim every second tick (twenty minutes).
#pragma once

namespace tavik {

struct TimerActions {
  bool updateCheck = false;
  bool trimWorkingSet = false;
};

class TimerTicks {
 public:
  static constexpr short kStart = 17;
  TimerActions Tick();
  short value() const { return ticks_; }

 private:
  short ticks_ = kStart;
};

}  // namespace tavik
