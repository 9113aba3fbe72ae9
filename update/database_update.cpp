// UpdateVirusDatabase and OnUpdateVirusDb. The exchange with the server
// runs while the data connection is held, and a guard gives it back however
// the exchange ends; the new database is written and loaded after that, as
// the connection is not needed for it. Nothing touches the database file
// before the whole body is in memory and has passed its check, and the file
// is replaced in one rename (platform::ReplaceStoreFile), so a failure at
// any point, a crash or a full disk included, leaves the old one.
#include "update/database_update.h"

#include <charconv>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "platform/files.h"
#include "resources/string_table.h"
#include "resources/text_format.h"
#include "scan/virus_database.h"
#include "update/update_boxes.h"

namespace kv {
namespace {

constexpr std::string_view kVersionPath = "/avupd/reqver.php?sys=wm";
constexpr std::string_view kDatabasePath = "/avupd/reqavdb.php?sys=wm";

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

// Connects; when the connection is not up after that, connects once more,
// and that attempt's result counts.
bool ConnectFor(DataConnection& connection, const std::string& url) {
  bool connected = connection.Connect(url);
  if (!connection.IsConnected()) connected = connection.Connect(url);
  return connected;
}

// Fetches `url`, telling the user when it fails: a body over the bound is a
// failed update, any other failure a failed connection.
bool FetchOrWarn(const UpdateContext& context, const std::string& url, std::string& body) {
  const FetchResult fetched = FetchUrl(context, url, body);
  if (fetched == FetchResult::kOk) return true;
  ShowUpdateWarning(
      context, fetched == FetchResult::kTooLong ? strings::kUpdateFailed : strings::kCannotConnect);
  return false;
}

// Asks the server's version and, when it is greater than the loaded
// database's, fetches the new database into `database`.
Exchange FetchNewerDatabase(const UpdateContext& context, std::string& database) {
  const std::string versionUrl = UrlOf(context.server, kVersionPath);
  if (!ConnectFor(context.connection, versionUrl)) {
    ShowUpdateWarning(context, strings::kCannotConnect);
    return Exchange::kFailed;
  }
  std::string answer;
  if (!FetchOrWarn(context, versionUrl, answer)) return Exchange::kFailed;
  const std::string_view versionText = std::string_view(answer).substr(0, answer.find('\0'));
  if (versionText.empty()) {
    ShowUpdateWarning(context, strings::kCannotGetVersion);
    return Exchange::kFailed;
  }
  const int32_t serverVersion = ParseVersion(versionText);
  if (context.database.Current()->Version() >= serverVersion) {
    ShowUpdateInformation(context,
                          strings::FormatText(strings::LoadString(strings::kDatabaseIsLatest),
                                              {static_cast<int>(serverVersion)}));
    return Exchange::kAlreadyCurrent;
  }
  if (!FetchOrWarn(context, UrlOf(context.server, kDatabasePath), database)) {
    return Exchange::kFailed;
  }
  return Exchange::kNewerDatabase;
}

// True when the first line of `database` is a version: decimal digits only,
// within the 32-bit range, ended by CR LF as every line of the file is. An
// error page, a truncated or an empty answer has no such line.
bool StartsWithVersionLine(std::string_view database) {
  const std::size_t end = database.find('\r');
  if (end == 0 || end == std::string_view::npos || database.substr(end, 2) != "\r\n") return false;
  const std::string_view line = database.substr(0, end);
  int32_t version = 0;
  const auto [last, error] = std::from_chars(line.data(), line.data() + line.size(), version);
  return line.front() != '-' && error == std::errc() && last == line.data() + line.size();
}

UpdateResult InstallDatabase(const UpdateContext& context, std::string_view database) {
  if (!StartsWithVersionLine(database) ||
      !platform::ReplaceStoreFile(context.store, kVirusDatabasePath, database)) {
    ShowUpdateWarning(context, strings::kUpdateFailed);
    return UpdateResult::kFailed;
  }
  // Its result is not examined, as at start-up: even a failed load is
  // published, and the next update or start-up loads the file again.
  (void)context.database.Reload(context.store);
  ShowUpdateInformation(context, strings::LoadString(strings::kUpdateSucceeded));
  return UpdateResult::kDone;
}

}  // namespace

void OnUpdateVirusDb(const UpdateContext& context) {
  const platform::MessageAnswer answer =
      context.boxes.Show(context.owner, strings::LoadString(strings::kAskConnectToUpdate),
                         strings::LoadString(strings::kCaptionQuestion),
                         platform::MessageButtons::kYesNo, platform::MessageIcon::kQuestion);
  if (answer == platform::MessageAnswer::kNo) return;
  // The user learns the outcome from the update's own boxes.
  (void)UpdateVirusDatabase(context);
}

UpdateResult UpdateVirusDatabase(const UpdateContext& context) {
  std::string database;
  Exchange exchange = Exchange::kFailed;
  {
    const ReleaseAtEnd release(context.connection);
    exchange = FetchNewerDatabase(context, database);
  }
  switch (exchange) {
    case Exchange::kNewerDatabase:
      return InstallDatabase(context, database);
    case Exchange::kAlreadyCurrent:
      return UpdateResult::kDone;
    case Exchange::kFailed:
      break;
  }
  return UpdateResult::kFailed;
}

}  // namespace kv
