#include <gtest/gtest.h>

#include "core/app_paths.h"
#include "core/timer_ticks.h"

namespace tavik {
namespace {

TEST(CfgPath, SitsBesideTheProgramUnderItsOwnName) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"D:\\Tools\\Tavik.exe", u"D:\\Tools\\Tavik.cfg"},
      {u"D:\\Tavik.exe", u"D:\\Tavik.cfg"},  // drive root: one backslash
      {u"C:\\Program Files\\小工具\\提醒.exe", u"C:\\Program Files\\小工具\\提醒.cfg"},
      {u"C:\\a.b\\Tavik v2.EXE", u"C:\\a.b\\Tavik v2.cfg"},
      {u"C:\\x\\noext", u"C:\\x\\noext.cfg"},
  };
  for (const auto& [exe, cfg] : cases) EXPECT_EQ(CfgPathFor(exe), cfg);
}

TEST(TimerTicks, UpdateCheckAtTenMinutesThenEveryThreeHoursTrimEveryTwenty) {
  TimerTicks ticks;
  std::vector<int> checks, trims;
  for (int tick = 1; tick <= 40; ++tick) {
    const TimerActions a = ticks.Tick();
    if (a.updateCheck) checks.push_back(tick);
    if (a.trimWorkingSet) trims.push_back(tick);
  }
  EXPECT_EQ(checks, (std::vector<int>{1, 19, 37}));
  std::vector<int> odd;
  for (int t = 1; t <= 40; t += 2) odd.push_back(t);
  EXPECT_EQ(trims, odd);  // ticks 1, 3, 5, ...: every twenty minutes from the first
}

}  // namespace
}  // namespace tavik
