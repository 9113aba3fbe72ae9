// UpdateVirusDatabase, RollBackVirusDatabase and OnUpdateVirusDb. The
// exchange with the server runs while the data connection is held, and a
// guard gives it back however the exchange ends; the signature check, the
// load in memory and the install come after that, as the connection is
// not needed for them. Nothing touches the database file before the whole
// body is in memory and has passed every check, and the file is replaced
// in one rename (ReplaceStoreFile), so a failure at any point, a
// crash or a full disk included, leaves the old one.
#include "update/database_update.h"

#include <charconv>
#include <string_view>
#include <system_error>
#include <variant>

#include "resources/string_table.h"
#include "resources/text_format.h"
#include "update/database_install.h"
#include "update/trust_key.h"
#include "update/update_boxes.h"

namespace kv {
namespace {

constexpr std::string_view kVersionPath = "/avupd/reqver.php?sys=wm";
constexpr std::string_view kDatabasePath = "/avupd/reqavdb.php?sys=wm";
// Appended to the database request's URL to ask for its signature line.
constexpr std::string_view kSignatureQuery = "&sig=ed25519";

std::string UrlOf(std::string_view server, std::string_view path) {
  while (server.ends_with('/')) server.remove_suffix(1);
  return std::string(server).append(path);
}

// Gives the data connection back when the exchange ends, whichever way.
class ReleaseAtEnd {
 public:
  explicit ReleaseAtEnd(DataConnection& connection) : connection_(connection) {}
  ReleaseAtEnd(const ReleaseAtEnd&) = delete;
  ReleaseAtEnd& operator=(const ReleaseAtEnd&) = delete;
  ~ReleaseAtEnd() { connection_.Release(); }

 private:
  DataConnection& connection_;
};

enum class Exchange { kNewerDatabase, kAlreadyCurrent, kFailed };

// What the exchange brought: the announced version, the body and, with a
// trust key, its signature answer.
struct Download {
  std::int32_t version = 0;
  std::string database;
  std::string signature;
};

// Connects; when the connection is not up after that, connects once more,
// and that attempt's result counts.
bool ConnectFor(DataConnection& connection, const std::string& url) {
  bool connected = connection.Connect(url);
  if (!connection.IsConnected()) connected = connection.Connect(url);
  return connected;
}

// Fetches `url`, telling the user when it fails: a body over the bound is a
// failed update, any other failure a failed connection.
bool FetchOrWarn(const UpdateContext& context, const std::string& url, std::string& body,
                 UpdateReport& report) {
  const FetchResult fetched = FetchUrl(context, url, body, report);
  if (fetched == FetchResult::kOk) return true;
  ShowUpdateWarning(
      context, fetched == FetchResult::kTooLong ? strings::kUpdateFailed : strings::kCannotConnect);
  return false;
}

// The version answer: decimal digits only, optionally ended by CR LF,
// within 32 bits. An error page or a word is no version, never version 0.
UpdateCause ReadVersionAnswer(std::string_view answer, std::int32_t& version) {
  if (answer.ends_with("\r\n")) answer.remove_suffix(2);
  if (answer.empty()) return UpdateCause::kEmptyVersion;
  if (answer.find_first_not_of("0123456789") != std::string_view::npos) {
    return UpdateCause::kVersionNotDigits;
  }
  const auto [last, error] = std::from_chars(answer.data(), answer.data() + answer.size(), version);
  if (error != std::errc() || last != answer.data() + answer.size()) {
    return UpdateCause::kVersionOver32Bits;
  }
  return UpdateCause::kNone;
}

// Asks the server's version and, when it is greater than the loaded
// database's (or the update is forced), fetches the new database and, when
// `signed_`, its signature into `download`.
Exchange FetchNewerDatabase(const UpdateContext& context, bool signed_, Download& download,
                            UpdateReport& report) {
  if (context.server.empty()) report.cause = UpdateCause::kNoServer;
  const std::string versionUrl = UrlOf(context.server, kVersionPath);
  if (!ConnectFor(context.connection, versionUrl)) {
    if (report.cause == UpdateCause::kNone) report.cause = UpdateCause::kNotHttpUrl;
    ShowUpdateWarning(context, strings::kCannotConnect);
    return Exchange::kFailed;
  }
  std::string answer;
  if (!FetchOrWarn(context, versionUrl, answer, report)) return Exchange::kFailed;
  report.cause = ReadVersionAnswer(answer, download.version);
  if (report.cause != UpdateCause::kNone) {
    report.url = versionUrl;
    ShowUpdateWarning(context, strings::kCannotGetVersion);
    return Exchange::kFailed;
  }
  report.announced = download.version;
  report.version = context.database.Current()->Version();
  if (report.version >= download.version && !context.force) {
    ShowUpdateInformation(context,
                          strings::FormatText(strings::LoadString(strings::kDatabaseIsLatest),
                                              {static_cast<int>(download.version)}));
    return Exchange::kAlreadyCurrent;
  }
  const std::string databaseUrl = UrlOf(context.server, kDatabasePath);
  if (!FetchOrWarn(context, databaseUrl, download.database, report)) return Exchange::kFailed;
  if (signed_) {
    const std::string signatureUrl = databaseUrl + std::string(kSignatureQuery);
    if (FetchUrl(context, signatureUrl, download.signature, report) != FetchResult::kOk) {
      report.request = report.cause;
      report.cause = UpdateCause::kSignatureMissing;
      ShowUpdateWarning(context, strings::kUpdateFailed);
      return Exchange::kFailed;
    }
  }
  return Exchange::kNewerDatabase;
}

// The signature check and the load in memory: the snapshot to install, or
// null when the database is refused.
std::shared_ptr<const SignatureDatabase> AcceptDownload(const Download& download,
                                                        const std::optional<PublicKey>& key,
                                                        UpdateReport& report) {
  if (key) {
    DatabaseSignature signature{};
    if (!ParseSignatureLine(download.signature, signature)) {
      report.cause = UpdateCause::kSignatureMalformed;
      return nullptr;
    }
    if (!VerifyDatabase(*key, download.database, signature)) {
      report.cause = UpdateCause::kSignatureInvalid;
      return nullptr;
    }
    report.signatureChecked = true;
  }
  const DatabaseCandidate candidate = CheckDatabaseCandidate(download.database, download.version);
  if (const auto* refusal = std::get_if<DatabaseRefusal>(&candidate)) {
    report.cause = UpdateCause::kDatabaseRefused;
    report.refusal = *refusal;
    return nullptr;
  }
  return std::get<std::shared_ptr<const SignatureDatabase>>(candidate);
}

UpdateResult FailWith(const UpdateContext& context, UpdateCause cause, UpdateReport& report) {
  report.cause = cause;
  ShowUpdateWarning(context, strings::kUpdateFailed);
  return UpdateResult::kFailed;
}

}  // namespace

void OnUpdateVirusDb(const UpdateContext& context, const RunUpdate& run) {
  const MessageAnswer answer =
      context.boxes.Show(context.owner, strings::LoadString(strings::kAskConnectToUpdate),
                         strings::LoadString(strings::kCaptionQuestion), MessageButtons::kYesNo,
                         MessageIcon::kQuestion);
  if (answer == MessageAnswer::kNo) return;
  // The user learns the outcome from the update's own boxes.
  const auto update = [&context] { (void)UpdateVirusDatabase(context); };
  if (run) {
    run(update);
  } else {
    update();
  }
}

UpdateResult UpdateVirusDatabase(const UpdateContext& context) {
  UpdateReport report;
  return UpdateVirusDatabase(context, report);
}

UpdateResult UpdateVirusDatabase(const UpdateContext& context, UpdateReport& report) {
  report = UpdateReport{};
  RemoveUpdateLeftovers(context.store);
  std::optional<PublicKey> key;
  PublicKey loaded{};
  switch (LoadTrustKey(context.store, context.trustKeyFile, loaded)) {
    case TrustKeyStatus::kLoaded:
      key = loaded;
      break;
    case TrustKeyStatus::kAbsent:
      break;
    case TrustKeyStatus::kUnusable:
      return FailWith(context, UpdateCause::kTrustKeyUnusable, report);
  }
  Download download;
  Exchange exchange = Exchange::kFailed;
  {
    const ReleaseAtEnd release(context.connection);
    exchange = FetchNewerDatabase(context, key.has_value(), download, report);
  }
  switch (exchange) {
    case Exchange::kNewerDatabase:
      break;
    case Exchange::kAlreadyCurrent:
      return UpdateResult::kDone;
    case Exchange::kFailed:
      return UpdateResult::kFailed;
  }
  const std::shared_ptr<const SignatureDatabase> snapshot = AcceptDownload(download, key, report);
  if (snapshot == nullptr ||
      !InstallDatabase(context.store, context.database, download.database, snapshot, report)) {
    return FailWith(context, report.cause, report);
  }
  report.version = download.version;
  ShowUpdateInformation(context, strings::LoadString(strings::kUpdateSucceeded));
  return UpdateResult::kDone;
}

UpdateResult RollBackVirusDatabase(const UpdateContext& context, UpdateReport& report) {
  report = UpdateReport{};
  RemoveUpdateLeftovers(context.store);
  std::string kept;
  switch (ReadKeptDatabase(context.store, kept)) {
    case KeptDatabase::kRead:
      break;
    case KeptDatabase::kNone:
      report.cause = UpdateCause::kNoPreviousDatabase;
      return UpdateResult::kFailed;
    case KeptDatabase::kFailed:
      report.cause = UpdateCause::kKeepOldFailed;
      return UpdateResult::kFailed;
  }
  // Its own version line stands for the announced one (-1, which no line
  // reads as, when it is none): only its loading is checked.
  std::int32_t version = 0;
  if (ReadVersionAnswer(std::string_view(kept).substr(0, kept.find('\r')), version) !=
      UpdateCause::kNone) {
    version = -1;
  }
  const DatabaseCandidate candidate = CheckDatabaseCandidate(kept, version);
  if (const auto* refusal = std::get_if<DatabaseRefusal>(&candidate)) {
    report.cause = UpdateCause::kDatabaseRefused;
    report.refusal = *refusal;
    return UpdateResult::kFailed;
  }
  const auto& snapshot = std::get<std::shared_ptr<const SignatureDatabase>>(candidate);
  if (!PutDatabaseInPlace(context.store, context.database, kept, snapshot, report)) {
    return UpdateResult::kFailed;
  }
  report.version = version;
  return UpdateResult::kDone;
}

}  // namespace kv
