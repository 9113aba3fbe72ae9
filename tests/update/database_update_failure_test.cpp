// Every way the update can fail, against a real server: each row's box
// (owned by the window), the cause it reports, the failed result, and the
// old database still on disk byte for byte, alone in its folder and still
// the published snapshot, with the connection given back; and the checks
// a downloaded body must pass before it is installed.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "support/update_bench.h"
#include "update/database_candidate.h"

namespace kv::testing {
namespace {

using Ending = ScriptedAnswer::Ending;
using Reason = DatabaseRefusal::Reason;

class DatabaseUpdateFailureThreaded : public UpdateBench {
 protected:
  UpdateReport ExpectFails(const std::string& server, const std::vector<std::string>& boxes,
                           const HttpTimeouts& timeouts = kPatient) {
    UpdateReport report;
    EXPECT_EQ(UpdateVirusDatabase(Context(server, timeouts), report), UpdateResult::kFailed);
    for (const ShownBox& box : boxes_.shown) EXPECT_EQ(box.owner, &window_);
    EXPECT_EQ(TakeBoxes(), boxes);
    ExpectNothingChanged(server);
    return report;
  }
};

TEST_F(DatabaseUpdateFailureThreaded, EveryFailureKeepsTheOldDatabase) {
  const std::string tooLong = "200\r\n" + std::string(10236, 'A');  // 10241 bytes
  const ScriptedAnswer v200{200, "200"};
  using enum UpdateCause;
  const struct {
    const char* what;
    ScriptedAnswer version;
    std::optional<ScriptedAnswer> database;
    std::string box;
    UpdateCause cause;
    long number = 0;  // the status, or the refused line's number
    HttpTimeouts timeouts = kPatient;
    std::optional<FaultPoint> fault = std::nullopt;
  } rows[] = {
      // One row for each answer HttpGet tells apart; its finer rows are in
      // http_get_test.cpp.
      {"no version", {200, ""}, std::nullopt, kNoVersionBox, kEmptyVersion},
      {"version: html", {200, "<html>200</html>"}, {}, kNoVersionBox, kVersionNotDigits},
      {"version: blank first", {200, " 200"}, {}, kNoVersionBox, kVersionNotDigits},
      {"version: LF only", {200, "200\n"}, {}, kNoVersionBox, kVersionNotDigits},
      {"version: zero byte", {200, std::string("200\0", 4)}, {}, kNoVersionBox, kVersionNotDigits},
      {"version: over 32 bits", {200, "2147483648"}, {}, kNoVersionBox, kVersionOver32Bits},
      {"version: closed mid-body", ScriptedAnswer{200, "2000000", Ending::kCloseMidBody},
       std::nullopt, kCannotConnectBox, kNoAnswer},
      // A time-out after 0.3 s counts as 1 whole second.
      {"version: never answers",
       ScriptedAnswer{200, "200", Ending::kWhole, std::chrono::minutes(1)}, std::nullopt,
       kCannotConnectBox, kTimedOut, 1, kImpatient},
      {"database: 404", v200, ScriptedAnswer{404, kNewDatabase}, kCannotConnectBox, kHttpStatus,
       404},
      {"database: redirect", v200,
       ScriptedAnswer{.status = 301, .body = kNewDatabase, .location = "/elsewhere"},
       kCannotConnectBox, kRedirect, 301},
      {"database: too long", v200, ScriptedAnswer{200, tooLong}, kUpdateFailedBox, kTooLong},
      // The kept copy is written first: each fault stops the install there.
      {"no folder", v200, ScriptedAnswer{200, kNewDatabase}, kUpdateFailedBox, kKeepOldFailed, 0,
       kPatient, FaultPoint::kCreate},
      {"write fails", v200, ScriptedAnswer{200, kNewDatabase}, kUpdateFailedBox, kKeepOldFailed, 0,
       kPatient, FaultPoint::kWrite},
      {"rename refused", v200, ScriptedAnswer{200, kNewDatabase}, kUpdateFailedBox, kKeepOldFailed,
       0, kPatient, FaultPoint::kRename},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TestHttpServer server;
    server.Answer(kVersionPath, row.version);
    if (row.database) server.Answer(kDatabasePath, *row.database);
    if (row.fault) FailNext(*row.fault);
    const UpdateReport report = ExpectFails(server.Url(), {row.box}, row.timeouts);
    EXPECT_EQ(report.cause, row.cause);
    EXPECT_EQ(report.number, row.number);
    EXPECT_EQ(server.Targets().size(), row.database ? 2u : 1u);
    ClearFaults();
  }
}

// A body the server sent whole, but no whole database of the announced
// version. The update refuses it before anything is written (the forced
// row of database_rollback_test.cpp).
TEST(DatabaseCandidate, RefusesABodyThatDoesNotLoad) {
  const struct {
    const char* what;
    std::string body;
    Reason reason;
    long number;
  } rows[] = {
      {"html page", "<html>busy</html>", Reason::kNoVersionLine, 0},
      {"negative version", "-200\r\n", Reason::kNoVersionLine, 0},
      {"version line without an end", "200", Reason::kNoVersionLine, 0},
      {"other version", UpdateDatabase("2147483647"), Reason::kVersionMismatch, 2147483647},
      {"file signatures only", DatabaseFile("200", {"[VirusFile]", "\\a.exe"}),
       Reason::kNoCharacterSignature, 0},
      {"cut last line", "200\r\ngarbage", Reason::kCutLastLine, 0},
      {"undecodable line", UpdateDatabase("200") + "!!!!\r\n", Reason::kUndecodableLine, 6},
      {"line over 159", "200\r\n" + std::string(160, 'A') + "\r\n", Reason::kLineTooLong, 2},
  };
  for (const auto& row : rows) {
    const DatabaseCandidate candidate = CheckDatabaseCandidate(row.body, 200);
    const auto* refusal = std::get_if<DatabaseRefusal>(&candidate);
    ASSERT_NE(refusal, nullptr) << row.what;
    EXPECT_EQ(refusal->reason, row.reason) << row.what;
    EXPECT_EQ(refusal->number, row.number) << row.what;
  }
}

TEST_F(DatabaseUpdateFailureThreaded, NoUsableServerOrProxyFailsWithoutARequest) {
  TestHttpServer server;
  const std::string port = server.Url().substr(server.Url().rfind(':'));
  const RefusingPort refusing;
  const struct {
    std::string configured;
    UpdateCause cause;
  } servers[] = {{"", UpdateCause::kNoServer},
                 {"127.0.0.1" + port, UpdateCause::kNotHttpUrl},
                 {"ftp://127.0.0.1" + port, UpdateCause::kNotHttpUrl}};
  for (const auto& row : servers) {
    EXPECT_EQ(ExpectFails(row.configured, {kCannotConnectBox}).cause, row.cause) << row.configured;
  }
  // A server that refuses is a refusing proxy's row (and HttpGet's).
  environment_.Set("http_proxy", refusing.Url());
  EXPECT_EQ(ExpectFails(server.Url(), {kCannotConnectBox}).cause, UpdateCause::kNoAnswer);
  environment_.Set("http_proxy", std::string(256, 'p'));  // cannot be learnt
  EXPECT_EQ(ExpectFails(server.Url(), {kCannotDownloadBox, kCannotConnectBox}).cause,
            UpdateCause::kProxyUnusable);
  EXPECT_TRUE(server.Targets().empty());
}

}  // namespace
}  // namespace kv::testing
