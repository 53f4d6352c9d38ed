#include "core/data_file_text.h"

#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "core/task_data.h"
#include "tests/core/load_save_property.h"

namespace tavik {
namespace {

const std::string kSaved =
    "; mine\r\n[Data]\r\nData=mdG6mZa7SRVrRBU3o2fIyW==,\r\nNote=keep me\r\n[Other]\r\nk=1\r\n[Last]\r\nx=2\r\n";

// A copy a crash cut anywhere, even right after a line of a later section, is never taken.
TEST(SealedCopy, EveryCutOfASealedCopyIsRefused) {
  const std::string copy = kSaved + SealOf(kSaved);
  for (size_t cut = 0; cut < copy.size(); ++cut) EXPECT_FALSE(Unsealed(copy.substr(0, cut))) << cut;
  ASSERT_TRUE(Unsealed(copy));
  EXPECT_EQ(*Unsealed(copy), kSaved);
}

TEST(SealedCopy, OnlyTheSealOfWhatStandsInFrontCounts) {
  const std::string seal = SealOf(kSaved);
  std::string torn = kSaved + seal;
  torn[10] = 'X';  // a block that never reached the disk
  struct Case {
    const char* name;
    std::string copy;
  } cases[] = {
      {"unsealed", kSaved},
      {"torn inside", torn},
      {"another file's seal", "[Data]\r\nData=\r\n" + seal},
      {"seal alone", seal},
      {"seal twice", kSaved + seal + seal},
      {"nothing", ""},
  };
  for (const auto& c : cases) EXPECT_FALSE(Unsealed(c.copy)) << c.name;
  EXPECT_EQ(*Unsealed(SealOf("")), "");  // an empty file is sealed too
}

// Only a line forged to be the seal of everything above it makes a cut look whole (the fuzzer
// found one); the property leaves such files out, and finds them.
TEST(SealedCopy, OnlyAForgedSealMakesACutLookWhole) {
  const std::string forged = "[A]" + SealOf("[A]") + "[Data]\r\nData=\r\n";
  EXPECT_TRUE(test::HoldsASealedCopy(forged));
  EXPECT_FALSE(test::HoldsASealedCopy(kSaved));
  EXPECT_EQ(test::RecoveryBreaks(forged), "");
  EXPECT_EQ(test::RecoveryBreaks(kSaved), "");
}

std::string Utf16Le(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (const char16_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

// What an editor saves as "Unicode" comes back unit for unit, lone surrogates and a stray last
// byte included; other files are their bytes.
TEST(FileText, EveryFileComesBackByteForByte) {
  struct Case {
    const char* name;
    std::string file;
    FileEncoding encoding;
  } cases[] = {
      {"ANSI", "[Data]\r\nData=a,\r\n", FileEncoding::Bytes},
      {"UTF-8 with its mark", "\xEF\xBB\xBF[A]\r\n", FileEncoding::Bytes},
      {"UTF-16 LE", Utf16Le(u"[备注]\r\n文字=😀\r\n"), FileEncoding::Utf16Le},
      {"UTF-16 BE", std::string("\xFE\xFF\0[\0A\0]\x4E\x2D", 10), FileEncoding::Utf16Be},
      {"lone surrogates", Utf16Le(u"\xD800x\xDC00\xDBFF"), FileEncoding::Utf16Le},
      {"an odd last byte", Utf16Le(u"[A]") + "\x41", FileEncoding::Utf16Le},
      {"the mark alone", "\xFF\xFE", FileEncoding::Utf16Le},
  };
  for (const auto& c : cases) {
    FileText text = DecodeFileText(std::string(c.file));
    EXPECT_EQ(text.encoding, c.encoding) << c.name;
    EXPECT_EQ(EncodeFileText(text.encoding, text.text, text.oddByte), c.file) << c.name;
  }
}

TEST(FileText, AUtf16FileIsReadAndSavedInUtf16Only) {
  const std::string file = Utf16Le(u"[备注]\r\n文字=你好\r\n[Data]\r\nData=mdG6mZa7SRVrRBU3o2fIyW==,\r\n");
  FileText text = DecodeFileText(std::string(file));
  const std::vector<Task> tasks = ReadTasks(text.text);
  ASSERT_EQ(tasks.size(), 1u);
  const std::string saved =
      EncodeFileText(text.encoding, WithDataValue(text.text, ToAnsi(SerializeTasks({tasks[0], tasks[0]}))), "");
  EXPECT_EQ(saved, Utf16Le(u"[备注]\r\n文字=你好\r\n[Data]\r\n"
                           u"Data=mdG6mZa7SRVrRBU3o2fIyW==,mdG6mZa7SRVrRBU3o2fIyW==,\r\n"));
  EXPECT_EQ(test::LoadSaveBreaks(file), "");
}

}  // namespace
}  // namespace tavik
