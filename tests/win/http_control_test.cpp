// The request control against a server inside the test: the body, the headers, the time-out
// and the dropping of a request that a new one replaces.
#include "online/http_control.h"

#include <gtest/gtest.h>

#include "online/update_doc.h"
#include "tests/win/http_test_util.h"
#include "tests/win/test_util.h"

namespace tavik {
namespace {

using test::HttpAnswer;
using test::LoopbackServer;

HttpAnswer Route(const test::HttpRequestSeen& r) {
  if (r.target == "/hang") return {HttpAnswer::Kind::Hang, 200, ""};
  if (r.target == "/big") return {HttpAnswer::Kind::Whole, 200, std::string(kMaxUpdateDocument + 5000, 'A')};
  if (r.target == "/missing") return {HttpAnswer::Kind::Whole, 404, "<html>404</html>"};
  if (r.target == "/echo") return {HttpAnswer::Kind::Whole, 200, r.body};
  if (r.target == "/cut") return {HttpAnswer::Kind::BrokenOff, 200, "Home=x;MinVer=0.4;StableVer=0.5.2;"};
  return {HttpAnswer::Kind::Whole, 200, "body of " + r.target};
}

struct Recorder {
  int finished = 0;
  std::u16string text;
  void Attach(Http& http) {
    http.Finished = [this, &http] {
      ++finished;
      text = http.ResponseText();
    };
  }
};

TEST(HttpControl, DeliversTheBodyOnceWithBothHeaders) {
  LoopbackServer server(Route);
  Http http{SystemServices().web};
  Recorder rec;
  rec.Attach(http);
  EXPECT_EQ(http.ResultType(), 0);
  http.Get1(server.Url("/doc?type=update"));
  EXPECT_EQ(http.ResultType(), 1);
  ASSERT_TRUE(test::PumpUntil([&] { return rec.finished > 0; }, 3000));
  EXPECT_EQ(rec.text, u"body of /doc?type=update");
  EXPECT_FALSE(http.Waiting());
  test::PumpUntil([] { return false; }, 450);  // two more poll periods: nothing else arrives
  EXPECT_EQ(rec.finished, 1);

  const auto seen = server.Requests();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].Header("If-Modified-Since"), "0");
  EXPECT_EQ(seen[0].Header("User-Agent"), "Tavik 0.5.1");
}

TEST(HttpControl, AnErrorPageIsDeliveredAndABodyLargerThanADocumentIsNoAnswer) {
  LoopbackServer server(Route);
  Http http{SystemServices().web};
  Recorder rec;
  rec.Attach(http);
  http.Get1(server.Url("/missing"));
  ASSERT_TRUE(test::PumpUntil([&] { return rec.finished == 1; }, 3000));
  EXPECT_EQ(rec.text, u"<html>404</html>");
  http.Get1(server.Url("/big"));
  ASSERT_TRUE(test::PumpUntil([&] { return rec.finished == 2; }, 3000));
  EXPECT_EQ(rec.text, u"");  // announced larger than a document: not even read
}

TEST(HttpControl, ADocumentCutShortOfItsLengthIsNoAnswer) {
  LoopbackServer server(Route);
  Http http{SystemServices().web};
  Recorder rec;
  rec.Attach(http);
  http.Get1(server.Url("/cut"));  // half of what it announced, then the connection closes
  ASSERT_TRUE(test::PumpUntil([&] { return rec.finished == 1; }, 3000));
  EXPECT_EQ(rec.text, u"");
}

TEST(HttpControl, PostSendsItsBodyAndSetsResultTypeTwo) {
  LoopbackServer server(Route);
  Http http{SystemServices().web};
  Recorder rec;
  rec.Attach(http);
  http.Post1(server.Url("/echo"), u"a=1&b=2");
  EXPECT_EQ(http.ResultType(), 2);
  ASSERT_TRUE(test::PumpUntil([&] { return rec.finished > 0; }, 3000));
  EXPECT_EQ(rec.text, u"a=1&b=2");
  EXPECT_EQ(server.Requests().at(0).method, "POST");
}

// The program waits five seconds; the test shortens the wait to keep the suite quick.
TEST(HttpControl, AServerThatNeverAnswersGivesAnEmptyTextAfterTheTimeOutAndNothingLater) {
  LoopbackServer server(Route);
  Http http{SystemServices().web};
  http.timeoutMs = 600;
  Recorder rec;
  rec.Attach(http);
  rec.text = u"stale";
  const DWORD start = GetTickCount();
  http.Get1(server.Url("/hang"));
  ASSERT_TRUE(test::PumpUntil([&] { return rec.finished > 0; }, 3000));
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, 550u);  // not given up early; the wait above bounds it from above
  EXPECT_EQ(rec.text, u"");
  EXPECT_EQ(http.ResultType(), 1);
  test::PumpUntil([] { return false; }, 450);
  EXPECT_EQ(rec.finished, 1);
}

TEST(HttpControl, ASecondRequestDropsTheFirstSilently) {
  LoopbackServer server(Route);
  Http http{SystemServices().web};
  http.timeoutMs = 600;
  Recorder rec;
  rec.Attach(http);
  http.Get1(server.Url("/hang"));
  http.Get1(server.Url("/second"));
  ASSERT_TRUE(test::PumpUntil([&] { return rec.finished > 0; }, 3000));
  EXPECT_EQ(rec.text, u"body of /second");
  test::PumpUntil([] { return false; }, 900);  // past the first request's time-out
  EXPECT_EQ(rec.finished, 1);
}

TEST(HttpControl, AHandlerMayDestroyTheControl) {
  LoopbackServer server(Route);
  auto http = std::make_unique<Http>(SystemServices().web);
  bool called = false;
  http->Finished = [&] {
    called = true;
    http.reset();
  };
  http->Get1(server.Url("/x"));
  ASSERT_TRUE(test::PumpUntil([&] { return called; }, 3000));
  EXPECT_EQ(http, nullptr);
}

TEST(HttpControl, TimeOutIsCountedAcrossTheTickCounterWrap) {
  struct Row {
    DWORD start, now;
    bool timedOut;
  } rows[] = {
      {1000, 5999, false},       {1000, 6000, true},
      {0xFFFFF000, 0x00000387, false},  // 4999 ms across the wrap
      {0xFFFFF000, 0x00000388, true},   // 5000 ms across the wrap
      {5000, 4999, true},        // a counter that went backwards reads as a very long wait
  };
  for (const Row& r : rows) EXPECT_EQ(HttpTimedOut(r.start, r.now, kHttpTimeoutMs), r.timedOut) << r.start << " " << r.now;
}

}  // namespace
}  // namespace tavik
