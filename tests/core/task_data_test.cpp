#include "core/task_data.h"

#include <gtest/gtest.h>

#include "core/ansi.h"
#include "core/codec.h"
#include "core/ini_file.h"

namespace tavik {
namespace {

std::string Record(const Task& t) { return ToAnsi(GetData(t)); }

TEST(TaskData, WorkedExampleByteForByte) {
  const Task task{u"08:30", u"不循环", u"abc"};
  EXPECT_EQ(GetData(task), u"mdG6mZa7SRVrRBU3o2fIyW==,");
  EXPECT_EQ(WithDataValue("", ToAnsi(SerializeTasks({task}))),
            "[Data]\r\nData=mdG6mZa7SRVrRBU3o2fIyW==,\r\n");
  EXPECT_EQ(WithDataValue("", ""), "[Data]\r\nData=\r\n");
}

TEST(TaskData, RecordsKeepSeparatorsAndMarksInsideTheirTexts) {
  const Task tasks[] = {
      {u"08:30 (已完成)", u"周135", u"a;b;c"},
      {u"23:55", u"周7", u"x,y\r\nz"},
      {u"00:00", u"不循环", u""},
      {u"12:00", u"周1234567", u"开会 \U0001F600"},
  };
  for (const Task& t : tasks) {
    const std::u16string record = GetData(t);
    ASSERT_EQ(record.back(), u',');
    EXPECT_EQ(record.find_first_of(u";\r\n"), std::u16string::npos);
    Task back;
    ASSERT_TRUE(DecodeRecord(std::u16string_view(record).substr(0, record.size() - 1), back));
    EXPECT_EQ(back, t);
  }
}

std::vector<Task> Flatten(const std::vector<DataLine>& lines) {
  std::vector<Task> all;
  for (const auto& line : lines) all.insert(all.end(), line.begin(), line.end());
  return all;
}

TEST(TaskData, LoadRules) {
  const Task a{u"08:30", u"不循环", u"a"}, b{u"09:00", u"周6", u"b"}, c{u"10:05", u"周7", u"c;d"};
  const std::string broken = ToAnsi(Base64(1, u"only;two"));  // fewer than three fields
  struct Case {
    const char* name;
    std::string file;
    std::vector<Task> want;
    size_t lines;
  } cases[] = {
      {"empty file", "", {}, 0},
      {"empty list", "[Data]\r\nData=\r\n", {}, 0},
      {"lone comma", "[Data]\r\nData=,\r\n", {}, 0},
      {"one task", "[Data]\r\nData=" + Record(a) + "\r\n", {a}, 1},
      {"no line break at end", "[Data]\r\nData=" + Record(a) + Record(b), {a, b}, 1},
      {"LF only", "[Data]\nData=" + Record(a) + "\n", {a}, 1},
      {"two data lines", "[Data]\r\nData=" + Record(a) + "\r\nData=" + Record(b) + Record(c) + "\r\n",
       {a, b, c}, 2},
      {"damaged record between good ones", "Data=" + Record(a) + broken + "," + Record(b), {a, b}, 1},
      {"empty piece between commas", "Data=" + Record(a) + "," + Record(b), {a, b}, 1},
      {"line not ending in a comma", "Data=" + Record(a) + "x\r\n", {}, 0},
      {"garbage", "\xff\xfe garbage,,,\r\n[x]\r\n", {}, 1},
  };
  for (const auto& k : cases) {
    const auto lines = ReadDataLines(k.file);
    EXPECT_EQ(lines.size(), k.lines) << k.name;
    EXPECT_EQ(Flatten(lines), k.want) << k.name;
  }
}

TEST(TaskData, SaveLoadSaveGivesTheSameBytes) {
  const std::vector<Task> tasks = {{u"08:30 (已完成)", u"周135", u"早会, 带电脑; 别忘了"},
                                   {u"12:00", u"不循环", u"午饭"},
                                   {u"23:55", u"周67", u"\U0001F600"}};
  const std::string first = WithDataValue("", ToAnsi(SerializeTasks(tasks)));
  const std::vector<Task> loaded = Flatten(ReadDataLines(first));
  EXPECT_EQ(loaded, tasks);
  EXPECT_EQ(WithDataValue(first, ToAnsi(SerializeTasks(loaded))), first);
}

}  // namespace
}  // namespace tavik
