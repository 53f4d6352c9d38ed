#include "online/update_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "core/ansi.h"

namespace tavik {
namespace {

// The site of a test build, on this machine.
constexpr char16_t kLocalSite[] = u"http://127.0.0.1:8080/";

// "echo 正在更新程序文件..." in GBK, written out so the test does not lean on ToAnsi.
const std::string kEchoLine = "echo \xD5\xFD\xD4\xDA\xB8\xFC\xD0\xC2\xB3\xCC\xD0\xF2\xCE\xC4\xBC\xFE...";

std::vector<std::string> Lines(const std::string& script) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (std::size_t end; (end = script.find("\r\n", at)) != std::string::npos; at = end + 2)
    lines.push_back(script.substr(at, end - at));
  EXPECT_EQ(at, script.size()) << "a last line without CR LF";
  return lines;
}

std::string FirstWord(const std::string& line) { return line.substr(0, line.find(' ')); }

// What the script does is tested by running it (tests/win); this checks how it is written.
TEST(UpdateScript, TheNameIsAlwaysQuotedAndToolsComeFromTheSystemFolder) {
  const std::pair<std::u16string, std::string> cases[] = {
      {u"Tavik", "\"Tavik.exe\""},
      {u"My Tavik", "\"My Tavik.exe\""},            // blanks stay inside the quotes
      {u"a&b", "\"a&b.exe\""},                      // "&" inside quotes starts no command
      {u"100% ^done (1)", "\"100%% ^done (1).exe\""},  // "%" doubled, the rest literal
      {u"%0", "\"%%0.exe\""},
      {u"提醒", "\"\xCC\xE1\xD0\xD1.exe\""},         // GBK, as the interpreter reads it
      {u"a.b", "\"a.b.exe\""},
  };
  for (const auto& [stem, quoted] : cases) {
    SCOPED_TRACE(quoted);
    const std::string script = ToAnsi(UpdateScript(stem, 4242));
    const std::vector<std::string> lines = Lines(script);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "@echo off");
    EXPECT_EQ(lines[1], kEchoLine);
    EXPECT_EQ(lines.back(), "del Update.bat");  // it ends by deleting itself, on every path

    std::string rest = script;  // the name appears only quoted
    int named = 0;
    for (std::size_t p; (p = rest.find(quoted)) != std::string::npos; ++named) rest.erase(p, quoted.size());
    EXPECT_GE(named, 4);  // moved away, the download put in its place, checked, started
    EXPECT_EQ(rest.find(ToAnsi(stem) + ".exe"), std::string::npos);

    std::vector<std::string> labels, jumps;
    bool killsByPid = false;
    for (const std::string& line : lines) {
      const std::string first = FirstWord(line);
      if (first[0] == ':') {
        labels.push_back(first.substr(1));
      } else if (first == "\"%SystemRoot%\\System32\\taskkill.exe\"") {
        killsByPid = killsByPid || line.find(" /f /pid 4242 >nul") != std::string::npos;
      } else if (first.rfind("\"%SystemRoot%\\System32\\", 0) != 0) {
        // Anything else is a command of the interpreter itself, never a file a folder holds.
        const char* builtins[] = {"@echo", "echo", "if", "set", "goto", "ren", "del", "start"};
        EXPECT_NE(std::find(std::begin(builtins), std::end(builtins), first), std::end(builtins)) << line;
      }
      if (const std::size_t g = line.find("goto "); g != std::string::npos) jumps.push_back(line.substr(g + 5));
      EXPECT_EQ(line.find("/im"), std::string::npos) << line;  // never every program of the name
    }
    EXPECT_TRUE(killsByPid);
    // A jump to a label that is not there stops the script before it restarts anything.
    for (const std::string& jump : jumps) EXPECT_NE(std::find(labels.begin(), labels.end(), jump), labels.end()) << jump;
  }
}

TEST(UpdateScript, RefusesNamesItCannotWriteSafely) {
  const std::u16string names[] = {
      u"",
      u"a\"&calc&\"",      // a quote would end the quoting
      u"a\r\ncalc",        // a line break would start a new command
      u"a|b", u"a<b", u"a>b", u"dir\\Tavik", u"a:b", u"a*", u"a?",
      std::u16string(u"a\0b", 3),
      u"\U0001F600",       // outside GBK: the interpreter would read another name
      u"\u0E01",
      std::u16string(1, u'\xD800'),  // half a surrogate pair
  };
  for (const auto& name : names) {
    EXPECT_EQ(UpdateScript(name, 4242), u"") << "name of " << name.size() << " units";
  }
  EXPECT_EQ(UpdateScript(u"Tavik", 0), u"");  // no process to end
}

struct AddressCase {
  std::u16string url;
  bool trusted;
};

TEST(ReleaseAddress, HttpsOrThisMachineOnly) {
  const AddressCase cases[] = {
      {u"https://tavik.example/Tavik.exe", true},
      {u"HTTPS://tavik.example/Tavik.exe", true},
      {u"http://127.0.0.1:8080/Tavik.exe", true},
      {u"http://127.0.0.1/Tavik.exe", true},
      {u"http://127.1.2.3?x", true},
      {u"http://LocalHost:1/Tavik.exe", true},
      {u"http://[::1]:80/Tavik.exe", true},
      {u"http://tavik.example/Tavik.exe", false},
      {u"http://127.0.0.1@evil.example/Tavik.exe", false},
      {u"http://127.0.0.1:80@evil.example/Tavik.exe", false},
      {u"http://127.0.0.1.evil.example/Tavik.exe", false},
      {u"http://evil.example\\@127.0.0.1/Tavik.exe", false},
      {u"http://127.0.0.1\\.evil.example/Tavik.exe", false},
      {u"http://localhost.evil.example/Tavik.exe", false},
      {u"http://127.0.0/Tavik.exe", false},
      {u"http://127.0.0.256/Tavik.exe", false},
      {u"http://127.0.0.1.1/Tavik.exe", false},
      {u"http://128.0.0.1/Tavik.exe", false},
      {u"http://0177.0.0.1/Tavik.exe", false},
      {u"http://127.0.0.1:/Tavik.exe", false},
      {u"http://127.0.0.1:80x/Tavik.exe", false},
      {u"http://[::2]/Tavik.exe", false},
      {u"http://[::1/Tavik.exe", false},
      {u"ftp://tavik.example/Tavik.exe", false},
      {u"file:///C:/Tavik.exe", false},
      {u"\\\\server\\share\\Tavik.exe", false},
      {u" https://tavik.example/Tavik.exe", false},
      {u"https://", false},
      {u"https:///Tavik.exe", false},
      {u"http://", false},
      {u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsTrustedReleaseAddress(c.url, kLocalSite), c.trusted) << "url of " << c.url.size() << " units";
  }
}

// A plain-http release, even one from this machine, is for test builds alone: a program
// whose site is a real one (or none) takes only https.
TEST(ReleaseAddress, PlainHttpOnlyWhenTheProgramsOwnSiteIsOnThisMachine) {
  struct Case {
    std::u16string home;
    bool onThisMachine;
  } const cases[] = {
      {u"http://127.0.0.1:8080/", true},
      {u"https://localhost/tavik/", true},
      {u"http://[::1]:80/", true},
      {u"https://tavik.invalid/", false},
      {u"https://tavik.example/", false},
      {u"http://tavik.example/", false},
      {u"http://127.0.0.1.evil.example/", false},
      {u"http://127.0.0.1@evil.example/", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToAnsi(c.home));
    EXPECT_EQ(IsOnThisMachine(c.home), c.onThisMachine);
    EXPECT_EQ(MayInstall(u"http://127.0.0.1:5000/Tavik.exe", c.home), c.onThisMachine);
    EXPECT_EQ(IsTrustedReleaseAddress(u"http://localhost/Tavik.exe", c.home), c.onThisMachine);
    EXPECT_TRUE(MayInstall(u"https://tavik.example/Tavik.exe", c.home));
    EXPECT_FALSE(MayInstall(u"http://tavik.example/Tavik.exe", c.home));
  }
}

TEST(ReleaseAddress, InstallsOnlyProgramFilesFromTrustedPlaces) {
  const AddressCase cases[] = {
      {u"https://h/Tavik.exe", true},
      {u"https://h/Tavik.EXE", true},
      {u"https://h/Tavik.Exe", true},
      {u"http://127.0.0.1:5000/Tavik.exe", true},
      {u"http://h/Tavik.exe", false},        // the tampering path: home page instead
      {u"https://h/Tavik.exe?x=1", false},
      {u"https://h/download", false},
      {u"https://h/", false},
      {u".exe", false},
      {u"exe", false},
      {u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MayInstall(c.url, kLocalSite), c.trusted) << "url of " << c.url.size() << " units";
  }
  EXPECT_TRUE(IsProgramAddress(u"http://h/Tavik.eXe"));
  EXPECT_FALSE(IsProgramAddress(u"http://h/Tavik.exe "));
}

TEST(InstallerFiles, OneBackslashBeforeTheName) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"C:\\", u"C:\\Tavik.tmp"},
      {u"C:\\Tools\\Tavik", u"C:\\Tools\\Tavik\\Tavik.tmp"},
      {u"C:\\Tools\\My Apps\\", u"C:\\Tools\\My Apps\\Tavik.tmp"},
      {u"\\\\server\\share", u"\\\\server\\share\\Tavik.tmp"},
      {u"", u"\\Tavik.tmp"},
  };
  for (const auto& [folder, path] : cases) EXPECT_EQ(InProgramFolder(folder, kDownloadName), path);
}

TEST(InstallerFiles, ProgramStem) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"Tavik.exe", u"Tavik"},
      {u"C:\\Tools\\My Tavik.EXE", u"My Tavik"},
      {u"C:\\v1.2\\Tavik", u"Tavik"},  // a dot in the folder is no extension
      {u"a.b.exe", u"a.b"},
      {u"C:\\Tavik.exe", u"Tavik"},
      {u".exe", u""},
      {u"", u""},
  };
  for (const auto& [file, stem] : cases) EXPECT_EQ(ProgramStem(file), stem);
}

struct DownloadCase {
  const char* name;
  bool succeeded;
  std::uintmax_t size;
  std::u16string crc;
  std::u16string hash;
  bool good;
};

TEST(InstallerFiles, GoodDownload) {
  const DownloadCase cases[] = {
      {"matching", true, 9, u"CBF43926", u"CBF43926", true},
      {"leading zeros", true, 3, u"001685F0", u"001685F0", true},
      {"lower-case hash", true, 9, u"CBF43926", u"cbf43926", false},
      {"hash without zeros", true, 3, u"001685F0", u"1685F0", false},
      {"wrong crc", true, 9, u"CBF43926", u"CBF43927", false},
      {"download failed", false, 9, u"CBF43926", u"CBF43926", false},
      {"empty file", true, 0, u"00000000", u"00000000", false},
      {"unreadable, no hash", true, 9, u"", u"", false},
      {"no hash", true, 9, u"CBF43926", u"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GoodDownload(c.succeeded, c.size, c.crc, c.hash), c.good) << c.name;
  }
}

TEST(UpdateScript, ARedirectIsResolvedAgainstTheAddressItCameFrom) {
  struct Case {
    std::u16string base, location, want;
  } cases[] = {
      {u"https://a.example/dl/Tavik.exe", u"https://cdn.example/x.exe", u"https://cdn.example/x.exe"},
      {u"https://a.example/dl/Tavik.exe", u"HTTP://evil.example/x.exe", u"HTTP://evil.example/x.exe"},
      {u"https://a.example/dl/Tavik.exe", u"//cdn.example/x.exe", u"https://cdn.example/x.exe"},
      {u"http://127.0.0.1:8080/dl/Tavik.exe", u"//evil.example/x.exe", u"http://evil.example/x.exe"},
      {u"https://a.example/dl/Tavik.exe?v=2", u"/r/x.exe", u"https://a.example/r/x.exe"},
      {u"https://a.example:444/dl/Tavik.exe", u"x.exe", u"https://a.example:444/dl/x.exe"},
      {u"https://a.example", u"x.exe", u"https://a.example/x.exe"},
      {u"https://a.example/dl/", u" x.exe ", u"https://a.example/dl/x.exe"},
      {u"https://a.example/dl/Tavik.exe", u"", u""},
      {u"https://a.example/dl/Tavik.exe", u"x.exe\r\nSet-Cookie: a", u""},
      {u"ftp://a.example/Tavik.exe", u"x.exe", u""},
  };
  for (const Case& c : cases) {
    const std::u16string got = ResolveAddress(c.base, c.location);
    EXPECT_EQ(got, c.want) << ToAnsi(c.base) << " + " << ToAnsi(c.location);
  }
  // What the download then follows: only where a release may come from.
  EXPECT_FALSE(IsTrustedReleaseAddress(ResolveAddress(u"http://127.0.0.1:1/a.exe", u"http://files.example/a.exe"), kLocalSite));
  EXPECT_FALSE(IsTrustedReleaseAddress(ResolveAddress(u"http://127.0.0.1:1/a.exe", u"//127.0.0.1.evil.example/a.exe"), kLocalSite));
  EXPECT_TRUE(IsTrustedReleaseAddress(ResolveAddress(u"http://127.0.0.1:1/a.exe", u"/b.exe"), kLocalSite));
}

}  // namespace
}  // namespace tavik
