// The update check on the real main window: the bar, the too-old ending and the statistics
// visit, against a server inside the test.
#include "online/update_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/codec.h"

#include "app/program.h"
#include "widget/main_window.h"
#include "controls/message_bar.h"
#include "tests/win/http_test_util.h"
#include "tests/win/online_test_util.h"
#include "tests/win/sign_util.h"
#include "tests/win/test_util.h"
#include "core/wide.h"

namespace tavik {
namespace {

using test::HttpAnswer;

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    main_ = test::StartMainWindow(dir_.File(L"Tavik.cfg"));
    ASSERT_TRUE(main_);
    host_ = std::make_unique<MainWindowHost>(*main_);
    ast_ = std::make_unique<UpdateCheck>(*host_, main_.program().services);
    ast_->homeUrl = server_.Url("/");
  }
  void TearDown() override {
    ast_.reset();
    main_.reset();
    test::PumpMessages();
  }
  // One whole check: the request, the evaluation and, when a page is named, the visit.
  void Check(const std::string& body) {
    body_ = body;
    ast_->Update();
    // Finished runs in the poll tick that ends the wait, so the evaluation is done then.
    ASSERT_TRUE(test::PumpUntil([&] { return !ast_->Http1.Waiting(); }, 3000));
    test::PumpMessages();
  }
  std::vector<test::HttpRequestSeen> Visits(size_t expected) {
    test::PumpUntil([&] { return StatRequests().size() >= expected; }, 3000);
    return StatRequests();
  }
  std::vector<test::HttpRequestSeen> StatRequests() {
    std::vector<test::HttpRequestSeen> out;
    for (const auto& r : server_.Requests())
      if (r.target.rfind("/stat", 0) == 0) out.push_back(r);
    return out;
  }
  UpdateDocument Doc(std::u16string minVer, std::u16string stableVer) {
    UpdateDocument d;
    d.home = u"https://example.org/";
    d.statistic = server_.Url("/stat");
    d.minVer = std::move(minVer);
    d.stableVer = std::move(stableVer);
    d.stableUrl = server_.Url("/files/Tavik.exe");
    d.stableHash = u"CBF43926";
    d.stableTips = u"a/b";
    return d;
  }

  // The document as the owner's publisher signs it, encoded; edit changes it afterwards.
  std::string Signed(UpdateDocument d, const test::TestSigner& signer,
                     const std::function<void(std::u16string*)>& edit = {}) {
    std::string why;
    std::u16string text = BuildUpdateDocument(d, &why);
    d.docSig = signer.SignBytes(DocumentSignedBytes(DecodeUpdateDocument(Base64(1, text))));
    EXPECT_FALSE(d.docSig.empty());
    text = BuildUpdateDocument(d, &why);
    if (edit) edit(&text);
    const std::u16string encoded = Base64(1, text);
    return std::string(encoded.begin(), encoded.end());
  }
  static void Replace(std::u16string* text, std::u16string_view from, std::u16string_view to) {
    const std::size_t at = text->find(from);
    ASSERT_NE(at, std::u16string::npos);
    text->replace(at, from.size(), to);
  }

  test::TempDir dir_;
  test::RecordingShell shell_;
  std::string body_;
  test::LoopbackServer server_{[this](const test::HttpRequestSeen& r) {
    if (r.target.find("type=update") != std::string::npos) return HttpAnswer{HttpAnswer::Kind::Whole, 200, body_};
    if (r.target == "/hang.exe") return HttpAnswer{HttpAnswer::Kind::Hang, 200, ""};
    return HttpAnswer{HttpAnswer::Kind::Whole, 200, "<html>ok</html>"};
  }};
  test::RunningProgram main_;
  std::unique_ptr<OnlineHost> host_;
  std::unique_ptr<UpdateCheck> ast_;
};

TEST_F(UpdateCheckTest, TheBarSitsUnderTheClockHiddenUntilANewReleaseIsAnnounced) {
  MessageBar* bar = main_->Msg();
  ASSERT_NE(bar, nullptr);
  const RECT r = bar->Bounds();
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.top, 77);
  EXPECT_EQ(r.right - r.left, test::kMainWidth - 2);
  EXPECT_EQ(r.bottom - r.top, 22);
  EXPECT_FALSE(bar->Visible());

  Check(test::EncodedDocument(Doc(u"0.5", u"0.5.2")));
  EXPECT_TRUE(bar->Visible());
  EXPECT_EQ(bar->text(), u"发现新版本 0.5.2");
  EXPECT_EQ(ast_->info.Tips, u"发现新版本：0.5.2\r\na\r\nb");
  EXPECT_EQ(ast_->info.DownUrl, server_.Url("/files/Tavik.exe"));
  EXPECT_TRUE(shell_.boxes.empty());

  // The close mark at the bar's right end hides it.
  RECT c;
  GetWindowRect(bar->closeMark(), &c);
  MapWindowPoints(HWND_DESKTOP, bar->hwnd(), reinterpret_cast<POINT*>(&c), 2);
  EXPECT_EQ(c.right, r.right - r.left);
  EXPECT_EQ(c.right - c.left, 22);
  SendMessageW(bar->closeMark(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_FALSE(bar->Visible());
}

TEST_F(UpdateCheckTest, TheStatisticsVisitIsOnePlainUncachedRequestPerCheck) {
  Check(test::EncodedDocument(Doc(u"", u"0.5.1")));
  const auto visits = Visits(1);
  ASSERT_EQ(visits.size(), 1u);
  EXPECT_EQ(visits[0].method, "GET");
  EXPECT_EQ(visits[0].target, "/stat?ver=0.5.1");
  EXPECT_EQ(visits[0].Header("Cache-Control"), "no-cache");
  EXPECT_EQ(visits[0].Header("Pragma"), "no-cache");
  EXPECT_EQ(visits[0].Header("User-Agent").rfind("Mozilla/5.0", 0), 0u);
  EXPECT_FALSE(main_->Msg()->Visible());  // the running version is no news

  UpdateDocument noStat = Doc(u"", u"0.5.1");
  noStat.statistic.clear();
  Check(test::EncodedDocument(noStat));
  test::PumpUntil([] { return false; }, 300);
  EXPECT_EQ(StatRequests().size(), 1u);  // no page named: no visit
}

TEST_F(UpdateCheckTest, ALaterCheckWithoutNewsHidesTheBarSoNoClickInstallsTheEarlierOffer) {
  MessageBar* bar = main_->Msg();
  RECT r;
  GetWindowRect(bar->hwnd(), &r);
  const POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  for (const std::string& body : {std::string(), std::string("not a document"),
                                  test::EncodedDocument(Doc(u"0.10", u"0.5.1"))}) {
    SCOPED_TRACE(body);
    Check(test::EncodedDocument(Doc(u"", u"0.4.9")));
    ASSERT_TRUE(bar->Visible());
    ASSERT_EQ(WindowFromPoint(middle), bar->hwnd());
    Check(body);  // no answer, an undecodable one, or no newer release
    EXPECT_FALSE(bar->Visible());
    EXPECT_NE(WindowFromPoint(middle), bar->hwnd());  // a click there reaches the clock
  }
  EXPECT_TRUE(shell_.boxes.empty());
  ASSERT_TRUE(main_);
  EXPECT_TRUE(main_->IsAlive());
}

TEST_F(UpdateCheckTest, ACheckEndingDuringADownloadLeavesTheDownloadsBar) {
  UpdateDocument doc = Doc(u"", u"0.5.2");
  doc.stableUrl = server_.Url("/hang.exe");
  doc.stableTips.clear();
  Check(test::EncodedDocument(doc));
  ast_->Install();
  ASSERT_TRUE(ast_->installer.Downloading());
  for (const std::string& body : {std::string(), test::EncodedDocument(Doc(u"", u"0.5.3"))}) {
    Check(body);
    EXPECT_TRUE(main_->Msg()->Visible());
    EXPECT_EQ(main_->Msg()->text(), u"正在下载更新文件...");
  }
  ast_->Stop();
}

TEST_F(UpdateCheckTest, AVersionBelowTheMinimumIsToldThenTheHomePageOpensAndTheProgramEnds) {
  Check(test::EncodedDocument(Doc(u"0.5.10", u"0.5.10")));
  ASSERT_EQ(shell_.boxes.size(), 1u);
  EXPECT_EQ(shell_.boxes[0].text, L"当前版本过旧已经停止支持，请访问官方网站下载最新版本！");
  EXPECT_EQ(shell_.boxes[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  ASSERT_EQ(shell_.opened.size(), 1u);
  EXPECT_EQ(shell_.opened[0], Wide(server_.Url("/")));  // the built-in address, not the document's
  EXPECT_FALSE(main_->IsAlive());
  EXPECT_FALSE(main_->Msg()->Visible());
  EXPECT_EQ(Visits(1).size(), 1u);
}

TEST_F(UpdateCheckTest, ClosingTheProgramUnderTheTooOldBoxStillRunsTheWholeEnding) {
  const HWND mainWindow = main_->hwnd();
  shell_.whileOpen = [&](const test::RecordingShell::Box&) {
    SendMessageW(main_->hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(main_->IsAlive());  // held until the box is closed
  };
  Check(test::EncodedDocument(Doc(u"0.5.10", u"0.5.10")));
  ASSERT_EQ(shell_.boxes.size(), 1u);
  EXPECT_EQ(shell_.boxes[0].owner, mainWindow);
  EXPECT_EQ(shell_.opened, std::vector<std::wstring>{Wide(server_.Url("/"))});
  EXPECT_EQ(Visits(1).size(), 1u);
  EXPECT_FALSE(main_->IsAlive());
}

TEST_F(UpdateCheckTest, NoCheckStartsWhileABoxIsOpen) {
  shell_.whileOpen = [&](const test::RecordingShell::Box&) { ast_->Update(); };
  Check(test::EncodedDocument(Doc(u"0.5.10", u"0.5.10")));
  int checks = 0;
  for (const auto& r : server_.Requests()) checks += r.target.find("type=update") != std::string::npos;
  EXPECT_EQ(checks, 1);
  EXPECT_EQ(shell_.boxes.size(), 1u);
}

// A program built with the owner's key: a document changed on the way, unsigned or signed by
// another key shows no bar, visits nothing and closes nothing; a signed older release is
// not announced; the owner's own document is acted on.
TEST_F(UpdateCheckTest, WithAKeyOnlyTheOwnersSignedDocumentIsActedOn) {
  const test::TestSigner owner, other;
  ASSERT_TRUE(owner.ok() && other.ok());
  ast_->updateKey = owner.publicKey();
  const auto kill = [](std::u16string* t) { Replace(t, u"MinVer=0.5;", u"MinVer=9.9;"); };
  const auto elsewhere = [&](std::u16string* t) { Replace(t, u"Statistic=", u"Statistic=http://192.168.1.1/x?"); };
  const auto older = [](std::u16string* t) { Replace(t, u"StableVer=0.5.2;", u"StableVer=0.4.9;"); };
  const struct {
    const char* name;
    std::string body;
  } ignored[] = {
      {"minimum changed", Signed(Doc(u"0.5", u"0.5.2"), owner, kill)},
      {"statistics changed", Signed(Doc(u"0.5", u"0.5.2"), owner, elsewhere)},
      {"release changed", Signed(Doc(u"0.5", u"0.5.2"), owner, older)},
      {"unsigned", test::EncodedDocument(Doc(u"9.9", u"0.5.2"))},
      {"another key", Signed(Doc(u"9.9", u"0.5.2"), other)},
  };
  for (const auto& c : ignored) {
    SCOPED_TRACE(c.name);
    Check(c.body);
    test::PumpUntil([] { return false; }, 300);
    EXPECT_FALSE(main_->Msg()->Visible());
    EXPECT_TRUE(StatRequests().empty());
    EXPECT_TRUE(shell_.boxes.empty());
    EXPECT_TRUE(main_->IsAlive());
  }
  // The owner's signed older release: read (the visit), never announced.
  Check(Signed(Doc(u"0.5", u"0.4.9"), owner));
  EXPECT_EQ(Visits(1).size(), 1u);
  EXPECT_FALSE(main_->Msg()->Visible());
  // The owner's newer one is.
  Check(Signed(Doc(u"0.5", u"0.5.2"), owner));
  EXPECT_EQ(Visits(2).size(), 2u);
  EXPECT_TRUE(main_->Msg()->Visible());
  EXPECT_EQ(main_->Msg()->text(), u"发现新版本 0.5.2");
  EXPECT_TRUE(main_->IsAlive());
  // And the owner's minimum above this version closes it.
  Check(Signed(Doc(u"0.5.10", u"0.5.10"), owner));
  ASSERT_EQ(shell_.boxes.size(), 1u);
  EXPECT_EQ(shell_.boxes[0].text, L"当前版本过旧已经停止支持，请访问官方网站下载最新版本！");
  EXPECT_FALSE(main_->IsAlive());
}

// The program as it is wired: the bar's click runs the installer of the hidden online window,
// which the main window's unload discards. Closed while the notes are open, the program ends
// once they are closed, and nothing of the installer runs after that.
TEST_F(UpdateCheckTest, ClosingUnderTheNotesOfTheRealBarEndsCleanly) {
  ast_.reset();
  body_ = test::EncodedDocument(Doc(u"0.5", u"0.5.2"));
  main_.program().Online().homeUrl = server_.Url("/");
  main_.program().Online().Update();
  ASSERT_TRUE(test::PumpUntil([&] { return main_->Msg()->Visible(); }, 3000));
  shell_.whileOpen = [&](const test::RecordingShell::Box&) {
    PostMessageW(main_->hwnd(), WM_CLOSE, 0, 0);  // the close arrives in the box's own loop
    test::PumpMessages();
  };
  const HWND bar = main_->Msg()->hwnd();
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 10));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(40, 10));
  ASSERT_EQ(shell_.boxes.size(), 1u);
  test::PumpMessages();
  EXPECT_FALSE(main_->IsAlive());
  EXPECT_TRUE(shell_.opened.empty());  // no home page from an installer that is gone
  for (const auto& r : server_.Requests()) EXPECT_EQ(r.target.find("Tavik.exe"), std::string::npos);
  EXPECT_FALSE(main_.program().OnlineLoaded());  // discarded with the main window
}

}  // namespace
}  // namespace tavik
