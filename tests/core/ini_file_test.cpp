#include "core/ini_file.h"

#include <gtest/gtest.h>

namespace tavik {
namespace {

TEST(IniFile, ReplaceSectionKeepsEverythingElse) {
  struct Case {
    const char* name;
    std::string file;
    std::string want;
  } cases[] = {
      {"new file", "", "[Data]\r\nData=v\r\n"},
      {"data replaced in place", "[A]\r\nk=1\r\n[Data]\r\nData=old\r\nx=y\r\n[B]\nz=2\n",
       "[A]\r\nk=1\r\n[Data]\r\nData=v\r\nx=y\r\n[B]\nz=2\n"},
      {"appended after other sections", "[A]\r\nk=1\r\n", "[A]\r\nk=1\r\n[Data]\r\nData=v\r\n"},
      {"appended after a last line without break", "[A]\r\nk=1", "[A]\r\nk=1\r\n[Data]\r\nData=v\r\n"},
      {"name compared without case", "[data]\r\nData=old\r\n", "[Data]\r\nData=v\r\n"},
      {"duplicate sections merged", "[Data]\r\nData=a,\r\n[X]\r\n[ Data ]\r\nData=b,\r\n",
       "[Data]\r\nData=v\r\n[X]\r\n"},
      {"lines before any section kept", "; note\r\n[Data]\r\nData=\r\n", "; note\r\n[Data]\r\nData=v\r\n"},
      // An editor's byte-order mark stays in front and does not hide the section.
      {"byte-order mark kept", "\xEF\xBB\xBF[Data]\r\nData=old,\r\n", "\xEF\xBB\xBF[Data]\r\nData=v\r\n"},
      {"byte-order mark alone", "\xEF\xBB\xBF", "\xEF\xBB\xBF[Data]\r\nData=v\r\n"},
      // A lone CR ends no line: the header after it is part of the line in front.
      {"lone CR", "[A]\r\nk=1\r[Data]\r\n", "[A]\r\nk=1\r[Data]\r\n[Data]\r\nData=v\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithDataValue(c.file, "v"), c.want) << c.name;
}

TEST(IniFile, DeletingConfigLeavesDataByteForByte) {
  const std::string data = "[Data]\r\nData=mdG6mZa7SRVrRBU3o2fIyW==,\r\n";
  struct Case {
    std::string file, want;
  } cases[] = {
      {"[Config]\r\nAutoRun=1\r\nWeather=0\r\n" + data, data},
      {data + "[Config]\r\nAutoRun=1\r\n", data},
      {data, data},
      {"", ""},
      {"[Config]", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceSection(c.file, "Config", std::nullopt), c.want);
}

// The lines of "[Data]" that are not the list's are the user's: a save keeps them where they
// stand, and the list's single line takes the place of the first line it had.
TEST(IniFile, ASaveKeepsTheUsersLinesOfTheDataSection) {
  struct Case {
    const char* name;
    std::string file;
    std::string want;
  } cases[] = {
      {"another key", "[Data]\r\nData=old,\r\nNote=keep me\r\n", "[Data]\r\nData=v\r\nNote=keep me\r\n"},
      {"keys before the list", "[Data]\r\nNote=1\r\n; mine\r\nData=old,\r\n\r\n[B]\r\n",
       "[Data]\r\nNote=1\r\n; mine\r\nData=v\r\n\r\n[B]\r\n"},
      {"no list line yet", "[Data]\r\nNote=1\r\n[B]\r\n", "[Data]\r\nData=v\r\nNote=1\r\n[B]\r\n"},
      {"every list line goes", "[Data]\r\nData=a,\r\nx=1\r\nb,c,\r\n data = \r\n", "[Data]\r\nData=v\r\nx=1\r\n"},
      {"a later section keeps a line", "[Data]\r\nData=a,\r\n[X]\r\n[Data]\r\nb,\r\nk=2\r\n",
       "[Data]\r\nData=v\r\n[X]\r\n[Data]\r\nk=2\r\n"},
      {"last line without break", "[Data]\r\nData=a,\r\nNote=x", "[Data]\r\nData=v\r\nNote=x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithDataValue(c.file, "v"), c.want) << c.name;
    EXPECT_EQ(WithDataValue(c.want, "v"), c.want) << c.name;  // the next save changes nothing
  }
}

}  // namespace
}  // namespace tavik
