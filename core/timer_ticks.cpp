#include "core/timer_ticks.h"

namespace tavik {

TimerActions TimerTicks::Tick() {
  TimerActions actions;
  ++ticks_;
  if (ticks_ >= 18) {
    ticks_ = 0;
    actions.updateCheck = true;
  }
  actions.trimWorkingSet = ticks_ % 2 == 0;
  return actions;
}

}  // namespace tavik
