// HttpGet against a real server on 127.0.0.1 (support/http_test_server.h):
// what each kind of answer becomes, what every request carries, and which
// proxy it goes through. The time-out row uses time-outs of a fraction of a
// second against a server that never answers in time, so they end by the
// bound, not by waiting for the production time-outs.
#include "update/http_client.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/update_bench.h"

namespace kv::testing {
namespace {

using Ending = ScriptedAnswer::Ending;

constexpr std::size_t kMax = 64;

HttpRequest RequestFor(const std::string& url, const HttpTimeouts& timeouts = kPatient) {
  return {url, "", "client2.exe", kMax, timeouts};  // direct
}

class HttpGetThreaded : public ::testing::Test {
 protected:
  void SetUp() override { environment_.WithoutProxies(); }
  ScopedEnvironment environment_;
};

TEST_F(HttpGetThreaded, GivesEachKindOfAnswerItsOutcome) {
  const std::string full(kMax, 'x');
  const std::string over(kMax + 1, 'x');
  const struct {
    const char* what;
    ScriptedAnswer answer;
    HttpTimeouts timeouts;
    HttpOutcome outcome;
    std::string body;
  } rows[] = {
      // clang-format off
      {"200", {200, "20103\r\n"}, kPatient, HttpOutcome::kOk, "20103\r\n"},
      {"204 without a body", {204, ""}, kPatient, HttpOutcome::kOk, ""},
      {"a body of exactly the bound", {200, full}, kPatient, HttpOutcome::kOk, full},
      {"no length, within the bound", {200, "abc", Ending::kNoLength}, kPatient, HttpOutcome::kOk, "abc"},
      {"a body one byte over the bound", {200, over}, kPatient, HttpOutcome::kTooLong, ""},
      {"no length, over the bound", {200, over + over, Ending::kNoLength}, kPatient, HttpOutcome::kTooLong, ""},
      {"400 with a long body", {400, over}, kPatient, HttpOutcome::kErrorStatus, ""},
      {"301 with a long body", {.status = 301, .body = over, .location = "/elsewhere"}, kPatient, HttpOutcome::kRedirect, ""},
      {"closed mid-body", {200, "0123456789", Ending::kCloseMidBody}, kPatient, HttpOutcome::kFailed, ""},
      {"never answers in time", {200, "late", Ending::kWhole, std::chrono::minutes(1)}, kImpatient, HttpOutcome::kTimedOut, ""},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TestHttpServer server;
    server.Answer("/file?x=1", row.answer);
    const HttpAnswer answer = HttpGet(RequestFor(server.Url() + "/file?x=1", row.timeouts));
    EXPECT_EQ(answer.outcome, row.outcome);
    EXPECT_EQ(answer.body, row.body);
    // One request (a redirect is not followed), with the agent and asking
    // for no cached answer.
    const std::vector<RecordedRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method + " " + requests[0].target, "GET /file?x=1");
    EXPECT_EQ(requests[0].Header("User-Agent"), "client2.exe");
    EXPECT_EQ(requests[0].Header("Cache-Control"), "no-cache");
    EXPECT_EQ(requests[0].Header("Pragma"), "no-cache");
  }
}

// Nothing that answers, or a URL that is not http, fails without a
// request. The environment's proxies and bypass list count for nothing:
// requests go direct, or through the given proxy for every host.
TEST_F(HttpGetThreaded, FailsWhenNothingAnswersAndGoesThroughTheGivenProxyOnly) {
  const RefusingPort refusing;
  for (const char* name : {"http_proxy", "HTTP_PROXY", "all_proxy", "ALL_PROXY"}) {
    environment_.Set(name, refusing.Url());
  }
  TestHttpServer server;
  server.Answer("/v", {200, "7"});
  HttpRequest throughRefusingProxy = RequestFor(server.Url() + "/v");
  throughRefusingProxy.proxy = refusing.Url();
  const std::string port = server.Url().substr(server.Url().rfind(':'));
  const HttpRequest failing[] = {RequestFor(refusing.Url() + "/v"), throughRefusingProxy,
                                 RequestFor("ftp://127.0.0.1" + port + "/v"),
                                 RequestFor("not a url")};
  for (const HttpRequest& request : failing) {
    const HttpAnswer answer = HttpGet(request);
    EXPECT_EQ(answer.outcome, HttpOutcome::kFailed) << request.url;
    EXPECT_EQ(answer.body, "") << request.url;
  }
  EXPECT_TRUE(server.Targets().empty());

  (void)HttpGet(RequestFor(server.Url() + "/v"));  // direct: its target is a path
  environment_.Set("no_proxy", "*").Set("NO_PROXY", "*");
  HttpRequest request = RequestFor("http://update.invalid:8080/v");
  request.proxy = server.Url();
  const HttpAnswer answer = HttpGet(request);
  EXPECT_EQ(answer.outcome, HttpOutcome::kOk);
  EXPECT_EQ(answer.body, "7");
  EXPECT_EQ(server.Targets(), (std::vector<std::string>{"/v", "http://update.invalid:8080/v"}));
}

}  // namespace
}  // namespace kv::testing
