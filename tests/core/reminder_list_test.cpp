#include "schedule/reminder_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavik {
namespace {

struct Rang {
  std::u16string time, text;
};

ReminderList ListOf(const std::vector<Rang>& rang) {
  ReminderList list;
  for (const Rang& r : rang) list.Add(r.time, r.text);
  return list;
}

TEST(ReminderList, EveryReminderThatRangStaysReadable) {
  struct Case {
    std::vector<Rang> rang;
    std::u16string time, box, announcement;
  } cases[] = {
      {{}, u"", u"", u""},
      // One reminder: the box holds its text alone, as the popup always showed it.
      {{{u"08:30", u"喝水"}}, u"08:30", u"喝水", u"08:30 喝水"},
      {{{u"08:30", u""}}, u"08:30", u"", u"08:30"},
      // Two of one minute: both, the first on top.
      {{{u"09:00", u"甲：交周报"}, {u"09:00", u"乙：开例会"}},
       u"09:00",
       u"09:00  甲：交周报\r\n09:00  乙：开例会",
       u"09:00 乙：开例会"},
      // A later one while the first still rings: the label shows the newest time.
      {{{u"08:30", u"a"}, {u"09:00", u"b"}, {u"12:00", u"c"}}, u"12:00", u"08:30  a\r\n09:00  b\r\n12:00  c",
       u"12:00 c"},
      // A text with line breaks of its own keeps to its line in a list.
      {{{u"08:30", u"x\r\ny"}, {u"09:00", u"z\n"}}, u"09:00", u"08:30  x y\r\n09:00  z ", u"09:00 z\n"},
      {{{u"08:30", u"x\r\ny"}}, u"08:30", u"x\r\ny", u"08:30 x\r\ny"},
  };
  for (const Case& c : cases) {
    const ReminderList list = ListOf(c.rang);
    EXPECT_EQ(list.size(), c.rang.size());
    EXPECT_EQ(list.TimeText(), c.time) << c.rang.size();
    EXPECT_EQ(list.BoxText(), c.box) << c.rang.size();
    EXPECT_EQ(list.Announcement(), c.announcement) << c.rang.size();
  }
}

TEST(ReminderList, AMachineLeftAloneForDaysKeepsTheNewestAndSaysHowManyAreLeftOut) {
  ReminderList list;
  const size_t total = ReminderList::kMaxKept + 23;
  for (size_t i = 0; i < total; ++i) list.Add(i % 2 ? u"09:00" : u"08:30", u"第" + std::u16string(1, u'a' + i % 26));
  EXPECT_EQ(list.size(), ReminderList::kMaxKept);
  EXPECT_EQ(list.leftOut(), 23u);
  const std::u16string box = list.BoxText();
  EXPECT_EQ(box.find(u"（更早的 23 条提醒未列出）\r\n"), 0u);
  // The newest is last; the 24th (index 23) is the oldest kept.
  const std::u16string newest = std::u16string((total - 1) % 2 ? u"09:00" : u"08:30") + u"  第" +
                                std::u16string(1, u'a' + (total - 1) % 26);
  EXPECT_EQ(box.substr(box.size() - newest.size()), newest);
  size_t lines = 1;
  for (char16_t c : box) lines += c == u'\n';
  EXPECT_EQ(lines, ReminderList::kMaxKept + 1);

  // Closing the popup clears it: the next reminder starts a fresh list.
  list.Clear();
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.leftOut(), 0u);
  list.Add(u"10:00", u"新的");
  EXPECT_EQ(list.BoxText(), u"新的");
}

}  // namespace
}  // namespace tavik
