// The click on the bar: a release from a server inside the test, its check, the script, and
// every way a download can go wrong.
#include "online/installer.h"

#include <gtest/gtest.h>

#include "core/ansi.h"
#include "core/main_window.h"
#include "online/crc32.h"
#include "online/message_bar.h"
#include "online/update_script.h"
#include "tests/win/http_test_util.h"
#include "tests/win/online_test_util.h"
#include "tests/win/test_util.h"

namespace tavik {
namespace {

using test::FileExists;
using test::HttpAnswer;

const std::string kRelease = "MZ new program " + std::string(3000, 'x');

std::u16string CrcOf(const std::string& bytes) { return Crc32Text(Crc32Buffer(bytes)); }

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = test::StartMainWindow(dir_.File(L"Tavik.cfg"), /*show=*/false);
    ASSERT_TRUE(main_);
    installer_ = std::make_unique<Installer>([this] { return main_->Msg(); });
    installer_->programPath = dir_.File(L"Tavik.exe");
    installer_->homeUrl = u"https://home.example/";
    installer_->timeLimitMs = 1500;
    installer_->stepTimeoutMs = 1500;
    test::WriteFileBytes(dir_.File(L"Tavik.exe"), "MZ old program");
    main_->Msg()->DrawText(u"发现新版本 0.5.2");
    main_->Msg()->Show();
  }
  void TearDown() override {
    installer_.reset();
    main_.reset();
    test::PumpMessages();
  }
  void Click(const std::u16string& url, const std::u16string& hash, const std::u16string& tips = u"") {
    UpdateInfo info;
    info.DownUrl = url;
    info.Hash = hash;
    info.Tips = tips;
    installer_->OnClick(info);
    ASSERT_TRUE(test::PumpUntil([&] { return !installer_->Downloading(); }, 4000));
    test::PumpMessages();
  }
  void ExpectFailurePath() {
    EXPECT_FALSE(FileExists(dir_.File(L"Tavik.tmp")));
    EXPECT_FALSE(FileExists(dir_.File(L"Update.bat")));
    EXPECT_TRUE(shell_.scripts.empty());
    ASSERT_FALSE(shell_.boxes.empty());
    EXPECT_EQ(shell_.boxes.back().text, L"更新文件下载失败，请在弹出的页面中手动下载！");
    EXPECT_EQ(shell_.boxes.back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(shell_.opened, std::vector<std::wstring>{L"https://home.example/"});
    EXPECT_FALSE(main_->Msg()->Visible());
    EXPECT_EQ(test::ReadFileBytes(dir_.File(L"Tavik.exe")), "MZ old program");
  }

  test::TempDir dir_;
  test::RecordingShell shell_;
  test::LoopbackServer server_{[](const test::HttpRequestSeen& r) {
    if (r.target == "/files/Tavik.exe") return HttpAnswer{HttpAnswer::Kind::Whole, 200, kRelease};
    if (r.target == "/broken/Tavik.exe") return HttpAnswer{HttpAnswer::Kind::BrokenOff, 200, kRelease};
    if (r.target == "/hang.exe") return HttpAnswer{HttpAnswer::Kind::Hang, 200, ""};
    return HttpAnswer{HttpAnswer::Kind::Whole, 404, "<html>404</html>"};
  }};
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<Installer> installer_;
};

TEST_F(InstallerTest, AGoodDownloadWritesTheScriptAndStartsItInTheProgramFolder) {
  for (const wchar_t* leftover : {L"Tavik.old", L"Tavik.tmp", L"Update.bat"})
    test::WriteFileBytes(dir_.File(leftover), "left over");
  Click(server_.Url("/files/Tavik.exe"), CrcOf(kRelease), u"发现新版本：0.5.2\r\nnotes");

  ASSERT_EQ(shell_.boxes.size(), 1u);  // the notes, nothing else
  EXPECT_EQ(shell_.boxes[0].text, L"发现新版本：0.5.2\r\nnotes");
  ASSERT_EQ(shell_.scripts.size(), 1u);
  EXPECT_EQ(shell_.scripts[0], dir_.path());
  EXPECT_EQ(shell_.scriptBytes[0], ToAnsi(UpdateScript(u"Tavik")));
  EXPECT_EQ(test::ReadFileBytes(dir_.File(L"Tavik.tmp")), kRelease);
  EXPECT_FALSE(FileExists(dir_.File(L"Tavik.old")));
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_FALSE(main_->Msg()->Visible());
}

TEST_F(InstallerTest, EveryBadDownloadTakesTheFailurePath) {
  const std::u16string crc = CrcOf(kRelease);
  std::u16string lower = crc;
  for (auto& c : lower) c = (c >= u'A' && c <= u'F') ? c + 32 : c;
  ASSERT_NE(lower, crc);  // the release's CRC has letters in it
  struct Row {
    const char* name;
    std::string path;
    std::u16string hash;
  } rows[] = {
      {"wrong CRC", "/files/Tavik.exe", u"00000000"},
      {"lower-case hash", "/files/Tavik.exe", lower},
      {"404 page, even with its own CRC", "/missing.exe", CrcOf("<html>404</html>")},
      {"broken off half-way", "/broken/Tavik.exe", crc},
      {"nobody listening", "", crc},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    shell_.boxes.clear();
    shell_.opened.clear();
    main_->Msg()->Show();
    test::WriteFileBytes(dir_.File(L"Update.bat"), "left over");
    const std::u16string url = row.path.empty() ? u"http://127.0.0.1:1/Tavik.exe" : server_.Url(row.path);
    Click(url, row.hash);
    ExpectFailurePath();
  }
}

TEST_F(InstallerTest, AStalledServerIsGivenUpWhileTheWindowThreadRunsOn) {
  UpdateInfo info;
  info.DownUrl = server_.Url("/hang.exe");
  info.Hash = u"CBF43926";
  installer_->stepTimeoutMs = 700;
  const DWORD start = GetTickCount();
  installer_->OnClick(info);
  EXPECT_LT(GetTickCount() - start, 300u);  // the click returns at once
  EXPECT_TRUE(installer_->Downloading());
  EXPECT_EQ(main_->Msg()->text(), u"正在下载更新文件...");
  int ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
  ASSERT_TRUE(test::PumpUntil(
      [&] {
        MSG m;
        while (PeekMessageW(&m, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) ++ticks;
        return !installer_->Downloading();
      },
      5000));
  KillTimer(nullptr, timer);
  EXPECT_GT(ticks, 5);  // timers kept firing during the download
  EXPECT_LT(GetTickCount() - start, 2500u);
  test::PumpMessages();
  ExpectFailurePath();
}

TEST_F(InstallerTest, AnAddressThatIsNotATrustedProgramOpensTheHomePageOnly) {
  for (const char16_t* url : {u"https://example.org/download.html", u"http://example.org/Tavik.exe", u""}) {
    shell_.opened.clear();
    main_->Msg()->Show();
    Click(url, u"CBF43926");
    EXPECT_EQ(shell_.opened, std::vector<std::wstring>{L"https://home.example/"});
    EXPECT_FALSE(installer_->Downloading());
    EXPECT_FALSE(main_->Msg()->Visible());
  }
  EXPECT_TRUE(shell_.boxes.empty());  // no notes given, no failure to tell
  EXPECT_TRUE(server_.Requests().empty());
}

}  // namespace
}  // namespace tavik
