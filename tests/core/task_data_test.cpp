#include "core/task_data.h"

#include <gtest/gtest.h>

#include "core/ansi.h"
#include "core/codec.h"
#include "core/ini_file.h"
#include "tests/core/load_save_property.h"

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

TEST(TaskData, LoadRules) {
  const Task a{u"08:30", u"不循环", u"a"}, b{u"09:00", u"周6", u"b"}, c{u"10:05", u"周7", u"c;d"};
  const std::string broken = ToAnsi(Base64(1, u"only;two"));  // fewer than three fields
  const std::string bom = "\xEF\xBB\xBF";
  struct Case {
    const char* name;
    std::string file;
    std::vector<Task> want;
  } cases[] = {
      {"empty file", "", {}},
      {"empty list", "[Data]\r\nData=\r\n", {}},
      {"lone comma", "[Data]\r\nData=,\r\n", {}},
      {"one task", "[Data]\r\nData=" + Record(a) + "\r\n", {a}},
      {"no line break at end", "[Data]\r\nData=" + Record(a) + Record(b), {a, b}},
      {"LF only", "[Data]\nData=" + Record(a) + "\n", {a}},
      {"two data lines", "[Data]\r\nData=" + Record(a) + "\r\nData=" + Record(b) + Record(c) + "\r\n", {a, b, c}},
      {"a line of records without the key", "[Data]\r\nData=" + Record(a) + "\r\n" + Record(b), {a, b}},
      {"damaged record between good ones", "[Data]\r\nData=" + Record(a) + broken + "," + Record(b), {a, b}},
      {"empty piece between commas", "[Data]\r\nData=" + Record(a) + "," + Record(b), {a, b}},
      {"line not ending in a comma", "[Data]\r\nData=" + Record(a) + "x\r\n", {}},
      {"section name in any case", "[dATA]\r\nData=" + Record(a) + "\r\n", {a}},
      {"seven records give the first five", "[Data]\r\nData=" + Record(a) + Record(b) + Record(c) + Record(a) +
                                                 Record(b) + Record(c) + Record(a),
       {a, b, c, a, b}},
      {"garbage", "\xff\xfe garbage,,,\r\n[x]\r\n", {}},
      // An editor's byte-order mark does not hide the section.
      {"byte-order mark", bom + "[Data]\r\nData=" + Record(a) + "\r\n", {a}},
      // Lines that end in "," outside the section are kept by the save, so they are no tasks.
      {"comma line before any section", "Data=" + Record(a) + "\r\n[Data]\r\nData=" + Record(b) + "\r\n", {b}},
      {"comma line in another section", "[Data]\r\nData=" + Record(a) + "\r\n[Notes]\r\nx=" + Record(b) + "\r\n", {a}},
      // A lone CR ends no line, for the load as for the save.
      {"lone CR inside the data line", "[Data]\r\nData=" + Record(a) + "\r" + Record(b) + "\r\n", {a}},
      {"lone CR in another section", "[Data]\r\nData=\r\n[Notes]\r\nx=1\r" + Record(b) + "\r\n", {}},
      // The key comes off only where it is the key: a record may hold "Data=" in its padding.
      {"key inside a record", "[Data]\r\nData=" + Record({u"08:30", u"不循环", u"桜L"}) + "\r\n",
       {{u"08:30", u"不循环", u"桜L"}}},
      {"key where a record starts a line", "[Data]\r\nData=" + Record(a) + "\r\nData=Data=" + Record(b) + "\r\n", {a}},
  };
  for (const auto& k : cases) EXPECT_EQ(ReadTasks(k.file), k.want) << k.name;
}

TEST(TaskData, ARecordMayHoldTheKeyInItsPadding) {
  EXPECT_EQ(GetData({u"08:30", u"不循环", u"桜L"}), u"mdG6mZa7SRVrRBU3o5Data==,");
}

TEST(TaskData, AHugeLineOfKeysIsReadOnceNotOverAndOver) {
  // Four million bytes of "Data=" on one line: taking the key off wherever it stood read the
  // line again for every one of them.
  std::string file = "[Data]\r\n";
  for (int i = 0; i < 800000; ++i) file += "Data=";
  file += ",\r\n";
  EXPECT_EQ(ReadTasks(file), std::vector<Task>{});
}

// Whatever the file, what the load reads is what the save writes back, and a second save
// gives the same bytes: no task is dropped, doubled or brought back.
TEST(TaskData, LoadAndSaveAgreeOnEveryFile) {
  const Task a{u"08:30", u"不循环", u"a"}, b{u"09:00 (已完成)", u"周6", u"b,;"}, c{u"10:05", u"周7", u"桜L"};
  const std::string bom = "\xEF\xBB\xBF";
  const std::string files[] = {
      "",
      bom,
      bom + "[Data]\r\nData=" + Record(a) + "\r\n",
      "[Notes]\r\nx=" + Record(a) + "\r\n[Data]\r\nData=" + Record(b) + "\r\n",
      "Data=" + Record(a) + "\r\n",
      "[Data]\r\nData=" + Record(a) + "\r" + Record(b) + "\r\n[x]\r\ny=1\r" + Record(c) + "\r\n",
      "[Data]\r\nData=" + Record(a) + "\r\n[data]\r\n" + Record(b) + Record(c) + "\n",
      "[Data]\r\nData=" + Record(c) + Record(c) + Record(c) + Record(c) + Record(c) + Record(a) + "\r\n",
      "[Config]\r\nAutoRun=1\r\n[Data]\nData=" + Record(b),
  };
  for (const std::string& file : files) {
    const std::vector<Task> loaded = ReadTasks(file);
    const std::string saved = WithDataValue(file, ToAnsi(SerializeTasks(loaded)));
    EXPECT_EQ(ReadTasks(saved), loaded) << saved;
    EXPECT_EQ(WithDataValue(saved, ToAnsi(SerializeTasks(loaded))), saved);
    EXPECT_EQ(saved.substr(0, 3) == bom, file.substr(0, 3) == bom);
  }
}

// Files put together from the pieces that broke the load before (byte-order marks, sections of
// any case, keys inside records, lone CRs, comma-ended lines anywhere, junk), in a fixed
// pseudo-random order: start, rows, save, start again loses and brings back nothing.
TEST(TaskData, SeededFilesLoadAndSaveAlike) {
  const std::string pieces[] = {
      "\xEF\xBB\xBF", "[Data]", "[data]", "[ Data ]", "[Other]", "[Config]", "\r\n", "\n", "\r", "Data=",
      "x=", ",", ",,", Record({u"08:30", u"不循环", u"桜L"}), Record({u"09:00 (已完成)", u"周6", u"a;b,c"}),
      Record({u"23:55", u"周1234567", u"\U0001F600"}), "mdG6mZa7SRVrRBU3o5Data==", "\xFF\xFE", "; note", " ", "=",
  };
  std::uint32_t seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int run = 0; run < 20000; ++run) {
    std::string file;
    for (unsigned n = next() % 24; n > 0; --n) file += pieces[next() % std::size(pieces)];
    const std::string why = test::LoadSaveBreaks(file);
    ASSERT_EQ(why, "") << "run " << run << ": " << ::testing::PrintToString(file);
  }
}

TEST(TaskData, SaveLoadSaveGivesTheSameBytes) {
  const std::vector<Task> tasks = {{u"08:30 (已完成)", u"周135", u"早会, 带电脑; 别忘了"},
                                   {u"12:00", u"不循环", u"午饭"},
                                   {u"23:55", u"周67", u"\U0001F600"}};
  const std::string first = WithDataValue("", ToAnsi(SerializeTasks(tasks)));
  const std::vector<Task> loaded = ReadTasks(first);
  EXPECT_EQ(loaded, tasks);
  EXPECT_EQ(WithDataValue(first, ToAnsi(SerializeTasks(loaded))), first);
}

}  // namespace
}  // namespace tavik
