// The click on the bar: a release from a server inside the test, its check, the script, and
// every way a download can go wrong.
#include "online/installer.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "core/file_io.h"
#include "core/ansi.h"
#include "app/program.h"
#include "widget/main_window.h"
#include "online/crc32.h"
#include "controls/message_bar.h"
#include "online/update_check.h"
#include "online/update_script.h"
#include "tests/win/http_test_util.h"
#include "tests/win/online_test_util.h"
#include "tests/win/sign_util.h"
#include "tests/win/test_util.h"
#include "core/wide.h"

namespace tavik {
namespace {

// The home address of a test build: on this machine, so its plain-http releases may be installed.
constexpr char16_t kHome[] = u"http://localhost:9/home/";

using test::HttpAnswer;

const std::string kRelease = "MZ new program " + std::string(3000, 'x');
// The release with one byte changed on the way, its CRC-32 put into the document to match.
const std::string kTampered = "MZ new program " + std::string(2999, 'x') + "y";

std::u16string CrcOf(const std::string& bytes) { return Crc32Text(Crc32Buffer(bytes)); }

HttpAnswer Redirect(const std::string& to) {
  HttpAnswer a{HttpAnswer::Kind::Whole, 302, ""};
  a.headers = "Location: " + to + "\r\n";
  return a;
}

HttpAnswer Stream(std::uint64_t bytes, bool announce) {
  HttpAnswer a{HttpAnswer::Kind::Stream, 200, ""};
  a.streamBytes = bytes;
  a.announceLength = announce;
  return a;
}

// The message box the program shows for real, seen from a timer that runs in its loop: its
// owner, whether the main window is shut off meanwhile, and its place; then it is closed.
struct LiveBox {
  static LiveBox* current;
  HWND owner = nullptr;
  bool ownerEnabled = true;
  RECT rect{};
  bool seen = false;

  static void CALLBACK Look(HWND, UINT, UINT_PTR id, DWORD) {
    const HWND box = test::VisibleThreadWindow(L"#32770");
    if (!box || current->seen) return;
    current->seen = true;
    current->owner = GetWindow(box, GW_OWNER);
    current->ownerEnabled = IsWindowEnabled(current->owner) != FALSE;
    GetWindowRect(box, &current->rect);
    KillTimer(nullptr, id);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
};
LiveBox* LiveBox::current = nullptr;

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = test::StartMainWindow(dir_.File(L"Tavik.cfg"), /*show=*/false);
    ASSERT_TRUE(main_);
    host_ = std::make_unique<MainWindowHost>(*main_);
    installer_ = std::make_unique<Installer>(*host_, main_.program().services);
    installer_->programPath = dir_.File(L"Tavik.exe");
    installer_->homeUrl = kHome;
    installer_->timeLimitMs = 1500;
    installer_->stepTimeoutMs = 1500;
    installer_->updateKey.reset();  // a program built without a key, whatever this build carries
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
  void Click(const UpdateInfo& info) {
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
    EXPECT_EQ(shell_.opened, std::vector<std::wstring>{Wide(kHome)});
    EXPECT_FALSE(main_->Msg()->Visible());
    EXPECT_EQ(test::ReadFileBytes(dir_.File(L"Tavik.exe")), "MZ old program");
  }

  test::TempDir dir_;
  test::RecordingShell shell_;
  test::LoopbackServer server_{[this](const test::HttpRequestSeen& r) {
    if (r.target == "/files/Tavik.exe") return HttpAnswer{HttpAnswer::Kind::Whole, 200, kRelease};
    if (r.target == "/files/Tampered.exe") return HttpAnswer{HttpAnswer::Kind::Whole, 200, kTampered};
    if (r.target == "/broken/Tavik.exe") return HttpAnswer{HttpAnswer::Kind::BrokenOff, 200, kRelease};
    if (r.target == "/hang.exe") return HttpAnswer{HttpAnswer::Kind::Hang, 200, ""};
    if (r.target == "/redirect/inside.exe") return Redirect("/files/Tavik.exe");
    // 0.0.0.0 reaches this machine too, but is no address a release may come from over http.
    if (r.target == "/redirect/outside.exe")
      return Redirect("http://0.0.0.0:" + std::to_string(server_.port()) + "/files/Tavik.exe");
    if (r.target == "/redirect/loop.exe") return Redirect("/redirect/loop.exe");
    if (r.target == "/huge.exe") return Stream(100ull << 20, true);
    if (r.target == "/huge-unannounced.exe") return Stream(3ull << 20, false);
    return HttpAnswer{HttpAnswer::Kind::Whole, 404, "<html>404</html>"};
  }};
  test::RunningProgram main_;
  std::unique_ptr<OnlineHost> host_;
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
  EXPECT_EQ(shell_.scriptBytes[0], ToAnsi(UpdateScript(u"Tavik", GetCurrentProcessId())));
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
  installer_->OnClick(info);
  EXPECT_TRUE(installer_->Downloading());  // the click returned while the server still stalls
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
  EXPECT_GT(ticks, 5);  // timers kept firing during the download, which ended well within the
                        // five seconds only because the stalled step was given up
  test::PumpMessages();
  ExpectFailurePath();
}

// A program whose own site is a real one takes no plain-http release, not even from this machine.
TEST_F(InstallerTest, APlainHttpReleaseIsOnlyForABuildWhoseSiteIsOnThisMachine) {
  installer_->homeUrl = u"https://home.example/";
  Click(server_.Url("/files/Tavik.exe"), u"CBF43926");
  EXPECT_EQ(shell_.opened, std::vector<std::wstring>{L"https://home.example/"});
  EXPECT_TRUE(shell_.boxes.empty());
  for (const auto& r : server_.Requests()) EXPECT_EQ(r.target.find("Tavik.exe"), std::string::npos);
  EXPECT_EQ(test::ReadFileBytes(dir_.File(L"Tavik.exe")), "MZ old program");
}

TEST_F(InstallerTest, AnAddressThatIsNotATrustedProgramOpensTheHomePageOnly) {
  for (const char16_t* url : {u"https://example.org/download.html", u"http://example.org/Tavik.exe", u""}) {
    shell_.opened.clear();
    main_->Msg()->Show();
    Click(url, u"CBF43926");
    EXPECT_EQ(shell_.opened, std::vector<std::wstring>{Wide(kHome)});
    EXPECT_FALSE(installer_->Downloading());
    EXPECT_FALSE(main_->Msg()->Visible());
  }
  EXPECT_TRUE(shell_.boxes.empty());  // no notes given, no failure to tell
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(InstallerTest, AClickWhileTheNotesAreOpenDoesNothingAndTheOneDownloadSucceeds) {
  UpdateInfo info;
  info.DownUrl = server_.Url("/files/Tavik.exe");
  info.Hash = CrcOf(kRelease);
  info.Tips = u"发现新版本：0.5.2";
  int clicks = 0;
  shell_.whileOpen = [&](const test::RecordingShell::Box&) {
    if (clicks++ < 2) installer_->OnClick(info);  // the user clicks the bar again, twice
  };
  installer_->OnClick(info);
  ASSERT_TRUE(test::PumpUntil([&] { return !installer_->Downloading(); }, 4000));
  test::PumpMessages();
  ASSERT_EQ(shell_.boxes.size(), 1u);  // the notes, once: no second box, no failure box
  EXPECT_EQ(shell_.boxes[0].owner, main_->hwnd());
  EXPECT_EQ(shell_.scripts.size(), 1u);
  EXPECT_EQ(test::ReadFileBytes(dir_.File(L"Tavik.tmp")), kRelease);
  int downloads = 0;
  for (const auto& r : server_.Requests()) downloads += r.target == "/files/Tavik.exe";
  EXPECT_EQ(downloads, 1);
}

TEST_F(InstallerTest, TheRealNotesBoxBelongsToTheMainWindowAndShutsItOff) {
  test::TestHooks().messageBox = SystemServices().messageBox;  // the system's own box, closed by the timer below
  LiveBox live;
  LiveBox::current = &live;
  SetTimer(nullptr, 0, 50, &LiveBox::Look);
  UpdateInfo info;
  info.DownUrl = u"https://example.org/page.html";  // no download: only the box matters
  info.Tips = u"发现新版本：0.5.2\r\nnotes";
  installer_->OnClick(info);
  ASSERT_TRUE(live.seen);
  EXPECT_EQ(live.owner, main_->hwnd());  // above the main window, whatever is clicked
  EXPECT_FALSE(live.ownerEnabled);       // clicks on the main window or the bar do nothing
  EXPECT_TRUE(IsWindowEnabled(main_->hwnd()));  // and all is usable again afterwards
}

TEST_F(InstallerTest, NotesOfThousandsOfLinesGiveABoxThatFitsTheScreen) {
  test::TestHooks().messageBox = SystemServices().messageBox;
  LiveBox live;
  LiveBox::current = &live;
  SetTimer(nullptr, 0, 50, &LiveBox::Look);
  UpdateInfo info;
  info.DownUrl = u"https://example.org/page.html";
  for (int i = 0; i < 3000; ++i) info.Tips += u"第 " + Ascii(std::to_string(i)) + u" 行的说明\r\n";
  installer_->OnClick(info);
  ASSERT_TRUE(live.seen);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_GE(live.rect.top, work.top);
  EXPECT_LE(live.rect.bottom, work.bottom);  // its button is on the screen
}

TEST_F(InstallerTest, ClosingTheProgramUnderTheNotesStopsTheInstallerAndThenEnds) {
  shell_.whileOpen = [&](const test::RecordingShell::Box&) { SendMessageW(main_->hwnd(), WM_CLOSE, 0, 0); };
  UpdateInfo info;
  info.DownUrl = server_.Url("/files/Tavik.exe");
  info.Hash = CrcOf(kRelease);
  info.Tips = u"发现新版本：0.5.2";
  installer_->OnClick(info);
  EXPECT_TRUE(main_->IsAlive());  // the close waits for the box and the work it interrupted
  EXPECT_FALSE(installer_->Downloading());
  test::PumpMessages();
  EXPECT_FALSE(main_->IsAlive());  // then the program ends
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_TRUE(shell_.opened.empty());
  EXPECT_FALSE(FileExists(dir_.File(L"Tavik.tmp")));
}

TEST_F(InstallerTest, ARedirectIsFollowedOnlyWhereAReleaseMayComeFrom) {
  struct Row {
    const char* path;
    bool installs;
  } rows[] = {
      {"/redirect/inside.exe", true},    // to the same loopback site
      {"/redirect/outside.exe", false},  // to plain http on another address
      {"/redirect/loop.exe", false},     // round and round
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    shell_.boxes.clear();
    shell_.opened.clear();
    shell_.scripts.clear();
    main_->Msg()->Show();
    Click(server_.Url(row.path), CrcOf(kRelease));
    if (row.installs) {
      EXPECT_EQ(shell_.scripts.size(), 1u);
      EXPECT_EQ(test::ReadFileBytes(dir_.File(L"Tavik.tmp")), kRelease);
    } else {
      ExpectFailurePath();
    }
  }
  for (const auto& r : server_.Requests()) EXPECT_NE(r.head.find("Host: 127.0.0.1"), std::string::npos) << r.head;
}

TEST_F(InstallerTest, AReleaseLargerThanAnyProgramIsAFailedDownload) {
  Click(server_.Url("/huge.exe"), u"00000000");  // 100 MB announced: refused before reading
  ExpectFailurePath();
  installer_->maxBytes = 1 << 20;  // a server that announces nothing, stopped at the bound
  shell_.boxes.clear();
  shell_.opened.clear();
  main_->Msg()->Show();
  Click(server_.Url("/huge-unannounced.exe"), u"00000000");
  ExpectFailurePath();
  EXPECT_TRUE(main_->IsAlive());
}

TEST_F(InstallerTest, WithAKeyOnlyAReleaseSignedByItForItsVersionIsInstalled) {
  test::TestSigner owner, stranger;
  ASSERT_TRUE(owner.ok() && stranger.ok());
  installer_->updateKey = owner.publicKey();
  UpdateInfo signedRelease;
  signedRelease.DownUrl = server_.Url("/files/Tavik.exe");
  signedRelease.Hash = CrcOf(kRelease);
  signedRelease.Version = u"0.5.2";
  signedRelease.Signature = owner.Sign(u"0.5.2", kRelease);
  ASSERT_FALSE(signedRelease.Signature.empty());

  auto with = [&](const char* path, const std::string& bytes, std::u16string version, std::u16string signature) {
    UpdateInfo info = signedRelease;
    info.DownUrl = server_.Url(path);
    info.Hash = CrcOf(bytes);
    info.Version = std::move(version);
    info.Signature = std::move(signature);
    return info;
  };
  const std::u16string good = signedRelease.Signature;
  const struct {
    const char* name;
    UpdateInfo info;
  } refused[] = {
      {"the file changed, its CRC-32 too", with("/files/Tampered.exe", kTampered, u"0.5.2", good)},
      {"offered as another version", with("/files/Tavik.exe", kRelease, u"0.5.3", good)},
      {"the signature of another version", with("/files/Tavik.exe", kRelease, u"0.5.2", owner.Sign(u"0.4.9", kRelease))},
      {"signed by another key", with("/files/Tavik.exe", kRelease, u"0.5.2", stranger.Sign(u"0.5.2", kRelease))},
      {"cut", with("/files/Tavik.exe", kRelease, u"0.5.2", good.substr(0, 60))},
      {"not Base64", with("/files/Tavik.exe", kRelease, u"0.5.2", u"<html>" + good.substr(6))},
      {"no signature", with("/files/Tavik.exe", kRelease, u"0.5.2", u"")},
  };
  for (const auto& row : refused) {
    SCOPED_TRACE(row.name);
    shell_.boxes.clear();
    shell_.opened.clear();
    main_->Msg()->Show();
    Click(row.info);
    ExpectFailurePath();
  }

  main_->Msg()->Show();
  Click(signedRelease);
  ASSERT_EQ(shell_.scripts.size(), 1u);
  EXPECT_EQ(test::ReadFileBytes(dir_.File(L"Tavik.tmp")), kRelease);
  EXPECT_FALSE(main_->Msg()->Visible());
}

TEST_F(InstallerTest, WithoutAKeyTheCrcAloneDecidesWhateverTheSignature) {
  for (const char16_t* signature : {u"", u"not a signature"}) {
    shell_.scripts.clear();
    UpdateInfo info;
    info.DownUrl = server_.Url("/files/Tavik.exe");
    info.Hash = CrcOf(kRelease);
    info.Version = u"0.5.2";
    info.Signature = signature;
    Click(info);
    EXPECT_EQ(shell_.scripts.size(), 1u);
    EXPECT_EQ(test::ReadFileBytes(dir_.File(L"Tavik.tmp")), kRelease);
  }
}

}  // namespace
}  // namespace tavik
