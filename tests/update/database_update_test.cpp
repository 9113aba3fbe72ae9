// The update's good endings and ways back against a real server: the menu
// command asks first; a greater version is downloaded, written, loaded and
// published while a scan's snapshot stays as it was, and the old file is
// kept; an equal or lower one is not downloaded. --force installs a version
// that is not greater, a rollback puts the kept copy back, and a process
// killed at any moment of an install leaves a whole database. With a trust
// key the update installs only a body the key signed. Every way the update
// can fail leaves the old database on disk byte for byte, alone in its
// folder and still the published snapshot, with the connection given back;
// and a downloaded body must pass its checks before it is installed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "support/child_processes.h"
#include "support/update_bench.h"
#include "update/database_candidate.h"
#include "update/database_install.h"
#include "update/signature_line.h"

namespace kv::testing {
namespace {

using DatabaseUpdateThreaded = UpdateBench;

TEST_F(DatabaseUpdateThreaded, TheMenuCommandAsksFirstAndNoLeavesAllAsItWas) {
  TestHttpServer server;
  boxes_.answers = {MessageAnswer::kNo};
  OnUpdateVirusDb(Context(server.Url()));
  EXPECT_EQ(TakeBoxes(),
            std::vector<std::string>{
                "Question|To update virus DB need to connect to network,continue? (Yes/No)"});
  EXPECT_TRUE(server.Targets().empty());
  ExpectNothingChanged("answered No");
}

// A greater version is downloaded and installed, published while a scan's
// snapshot stays as it was, with the replaced file kept beside it for a
// rollback; an equal or lower one is not downloaded. The version answer is
// read as decimal digits, to the end of a body of the size bound.
TEST_F(DatabaseUpdateThreaded, InstallsOnlyAGreaterVersionAndKeepsTheOldFile) {
  const std::string newer = UpdateDatabase("150", "\\Windows\\new.exe");
  const struct {
    std::string body;
    bool downloads;
    std::string box;
  } rows[] = {
      {"150", true, kSucceededBox},
      {std::string(10237, '0') + "150", true, kSucceededBox},  // 10240 bytes, read to the end
      {"100", false, LatestBox(100)},
      {"0\r\n", false, LatestBox(0)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.body.substr(0, 20));
    SetUp();  // the version-100 database again
    std::filesystem::remove(DatabaseFolder() / "VirusDB.dat.old");
    TestHttpServer server;
    server.Answer(kVersionPath, {200, row.body});
    server.Answer(kDatabasePath, {200, newer});
    EXPECT_EQ(UpdateVirusDatabase(Context(server.Url() + "/")), UpdateResult::kDone);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{row.box});
    // The server knows its clients by this agent (the rest of each request
    // is HttpGet's, tested in http_get_test.cpp).
    for (const RecordedRequest& request : server.Requests()) {
      EXPECT_EQ(request.Header("User-Agent"), "client2.exe");
    }
    if (!row.downloads) {
      EXPECT_EQ(server.Targets().size(), 1u);
      ExpectNothingChanged("not newer");
      continue;
    }
    EXPECT_EQ(server.Targets(), (std::vector<std::string>{kVersionPath, kDatabasePath}));
    EXPECT_EQ(DatabaseOnDisk(), newer);
    EXPECT_EQ(database_.Current()->Version(), 150);
    EXPECT_EQ(oldSnapshot_->FileSignatures().at(0).pattern, "\\Windows\\old.exe");  // kept whole
    EXPECT_FALSE(connection_.IsConnected());
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"VirusDB.dat", "VirusDB.dat.old"}));
    EXPECT_EQ(KeptOnDisk(), kOldDatabase);
  }
}

using DatabaseRollbackThreaded = UpdateBench;

// Without force a lower version is "latest" (above).
TEST_F(DatabaseRollbackThreaded, ForceLeavesAPinnedVersionAndRollbackComesBack) {
  const std::string pinned = UpdateDatabase("2147483647", "\\pinned.exe");
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "2147483647"});
  server.Answer(kDatabasePath, {200, pinned});
  ASSERT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);

  server.Answer(kVersionPath, {200, "200"});
  server.Answer(kDatabasePath, {200, kNewDatabase});
  UpdateContext forced = Context(server.Url());
  forced.force = true;
  EXPECT_EQ(UpdateVirusDatabase(forced), UpdateResult::kDone);
  EXPECT_EQ(DatabaseOnDisk(), kNewDatabase);
  EXPECT_EQ(KeptOnDisk(), pinned);
  EXPECT_EQ(database_.Current()->Version(), 200);

  UpdateReport report;
  EXPECT_EQ(RollBackVirusDatabase(forced, report), UpdateResult::kDone);
  EXPECT_EQ(report.version, 2147483647);
  EXPECT_EQ(DatabaseOnDisk(), pinned);
  EXPECT_EQ(KeptOnDisk(), pinned);
  EXPECT_EQ(database_.Current()->Version(), 2147483647);

  // Forced, a refused body is still refused.
  server.Answer(kDatabasePath, {200, "200\r\n"});
  EXPECT_EQ(UpdateVirusDatabase(forced, report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kDatabaseRefused);
  EXPECT_EQ(DatabaseOnDisk(), pinned);
}

TEST_F(DatabaseRollbackThreaded, RollbackNeedsAKeptCopyThatLoads) {
  UpdateReport report;
  EXPECT_EQ(RollBackVirusDatabase(Context(""), report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kNoPreviousDatabase);
  ExpectNothingChanged("no copy");
  WriteFile(DatabaseFolder() / "VirusDB.dat.old", "100\r\n");
  EXPECT_EQ(RollBackVirusDatabase(Context(""), report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kDatabaseRefused);
  EXPECT_EQ(report.refusal.reason, DatabaseRefusal::Reason::kNoCharacterSignature);
  WriteFile(DatabaseFolder() / "VirusDB.dat.old", kNewDatabase);
  FailNext(FaultPoint::kRename);
  EXPECT_EQ(RollBackVirusDatabase(Context(""), report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kWriteFailed);
  EXPECT_EQ(DatabaseOnDisk(), kOldDatabase);
  EXPECT_EQ(database_.Current(), oldSnapshot_);
  EXPECT_TRUE(TakeBoxes().empty());
}

// A child installs two databases by turns until it is killed at a random
// moment; each time the database is one of the three whole files. The next
// update then removes the new files left beside the database, and only
// them.
TEST_F(DatabaseRollbackThreaded, AKillDuringTheInstallLeavesAWholeDatabase) {
  const std::string first = UpdateDatabase("300", "\\first.exe");
  const std::string second = UpdateDatabase("400", "\\second.exe");
  const auto firstSnapshot = SignatureDatabase::Build(first, SignatureDatabase());
  const auto secondSnapshot = SignatureDatabase::Build(second, SignatureDatabase());
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> delay(1, 4000);  // zero would never kill
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int kills = 0;
  for (; kills < 40 && std::chrono::steady_clock::now() < deadline; ++kills) {
    const int status = RunKilledAfter(
        [&] {
          UpdateReport report;
          for (int i = 0;; ++i) {
            const bool even = i % 2 == 0;
            (void)InstallDatabase(prefix_.Store(), database_, even ? first : second,
                                  even ? firstSnapshot : secondSnapshot, report);
          }
        },
        std::chrono::microseconds(delay(random)));
    EXPECT_TRUE(WIFSIGNALED(status)) << status;
    const std::string onDisk = DatabaseOnDisk();
    EXPECT_TRUE(onDisk == kOldDatabase || onDisk == first || onDisk == second) << kills;
  }
  EXPECT_GE(kills, 10);
  for (const char* name : {".VirusDB.dat.new-0123abcd", ".virusdb.dat.old.new-deadbeef",
                           ".VirusDB.dat.new-xyz", "VirusDB.dat.new-0123abcd"}) {
    WriteFile(DatabaseFolder() / name, "stray");
  }
  TestHttpServer server;
  server.Answer(kVersionPath, {200, "1"});
  EXPECT_EQ(UpdateVirusDatabase(Context(server.Url())), UpdateResult::kDone);
  std::vector<std::string> entries = FolderEntries();
  std::erase(entries, "VirusDB.dat.old");  // there once an install got that far
  EXPECT_EQ(entries, (std::vector<std::string>{".VirusDB.dat.new-xyz", "VirusDB.dat",
                                               "VirusDB.dat.new-0123abcd"}));
}

class SignedUpdateThreaded : public UpdateBench {
 protected:
  void SetUp() override {
    UpdateBench::SetUp();
    ASSERT_TRUE(GenerateKeyPair(publicKey_, secretKey_));
    WriteFile(prefix_.Path() / "keys" / "update.pub", KeyLine(publicKey_));
  }

  PublicKey publicKey_{};
  SecretKey secretKey_{};
};

// Which signatures verify is signature_line_test.cpp's; here, one of each
// cause (a named key file that is missing among them), and last the signed
// body, installed.
TEST_F(SignedUpdateThreaded, InstallsOnlyWhatTheKeySigned) {
  const std::string forged = UpdateDatabase("200", "\\Windows\\clean.exe");
  DatabaseSignature made{};
  ASSERT_TRUE(SignDatabase(secretKey_, kNewDatabase, made));
  std::string signature = KeyLine(made);
  signature.insert(signature.size() - 1, "\r");  // served with CR LF
  using enum UpdateCause;
  const struct {
    const char* what;
    std::string body;
    ScriptedAnswer signature;
    UpdateCause cause;
    const char* keyFile = nullptr;  // named instead of the default update.pub
  } rows[] = {
      {"named key file missing", kNewDatabase, {200, signature}, kTrustKeyUnusable, "missing.pub"},
      {"forged body", forged, {200, signature}, kSignatureInvalid},
      {"malformed", kNewDatabase, {200, "not a signature\r\n"}, kSignatureMalformed},
      {"missing", kNewDatabase, {404, "no such file"}, kSignatureMissing},
      {"signed", kNewDatabase, {200, signature}, kNone},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TestHttpServer server;
    server.Answer(kVersionPath, {200, "200"});
    server.Answer(kDatabasePath, {200, row.body});
    server.Answer(kSignaturePath, row.signature);
    UpdateContext context = Context(server.Url());
    if (row.keyFile) context.trustKeyFile = prefix_.Path() / "keys" / row.keyFile;
    UpdateReport report;
    const bool installs = row.cause == kNone;
    EXPECT_EQ(UpdateVirusDatabase(context, report),
              installs ? UpdateResult::kDone : UpdateResult::kFailed);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{installs ? kSucceededBox : kUpdateFailedBox});
    EXPECT_EQ(report.cause, row.cause);
    EXPECT_EQ(report.signatureChecked, installs);
    // An unusable key refuses before any request.
    const std::vector<std::string> asked = {kVersionPath, kDatabasePath, kSignaturePath};
    EXPECT_EQ(server.Targets(), row.keyFile ? std::vector<std::string>{} : asked);
    if (!installs) ExpectNothingChanged(row.what);
  }
  EXPECT_EQ(DatabaseOnDisk(), kNewDatabase);
  EXPECT_EQ(database_.Current()->Version(), 200);
}

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
// row above).
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
