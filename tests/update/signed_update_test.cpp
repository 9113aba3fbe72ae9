// The signed exchange against a real server: with a trust key in the
// prefix the update asks for the database's signature as a third request
// and installs only a body the key signed; a forged body, a wrong, a
// malformed or a missing signature is refused with the update-failed box
// and leaves the old database as it was. A named key file that is missing
// refuses the update before any request.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/update_bench.h"
#include "update/signature_line.h"

namespace kv::testing {
namespace {

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
// cause, and last the signed body, installed.
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
  } rows[] = {
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
    UpdateReport report;
    const bool installs = row.cause == kNone;
    EXPECT_EQ(UpdateVirusDatabase(Context(server.Url()), report),
              installs ? UpdateResult::kDone : UpdateResult::kFailed);
    EXPECT_EQ(TakeBoxes(), std::vector<std::string>{installs ? kSucceededBox : kUpdateFailedBox});
    EXPECT_EQ(report.cause, row.cause);
    EXPECT_EQ(report.signatureChecked, installs);
    EXPECT_EQ(server.Targets(),
              (std::vector<std::string>{kVersionPath, kDatabasePath, kSignaturePath}));
    if (!installs) ExpectNothingChanged(row.what);
  }
  EXPECT_EQ(DatabaseOnDisk(), kNewDatabase);
  EXPECT_EQ(database_.Current()->Version(), 200);
}

TEST_F(SignedUpdateThreaded, ANamedKeyFileThatIsMissingRefusesBeforeAnyRequest) {
  TestHttpServer server;
  UpdateContext context = Context(server.Url());
  context.trustKeyFile = prefix_.Path() / "keys" / "missing.pub";
  UpdateReport report;
  EXPECT_EQ(UpdateVirusDatabase(context, report), UpdateResult::kFailed);
  EXPECT_EQ(report.cause, UpdateCause::kTrustKeyUnusable);
  EXPECT_EQ(TakeBoxes(), std::vector<std::string>{kUpdateFailedBox});
  EXPECT_TRUE(server.Targets().empty());
  ExpectNothingChanged("missing key");
}

}  // namespace
}  // namespace kv::testing
