// The database update: replaces the signature database with a newer one
// from the update server, and tells the user how it went in a message box.
//
// Entry points: OnUpdateVirusDb (the menu command: asks first),
// UpdateVirusDatabase (the update itself), FetchUrl (one GET of it),
// UpdateServerFromEnvironment.
//
// The exchange is two HTTP GETs of fixed paths on the server named by
// $KESTRELVOX_UPDATE_URL (scheme, host and port):
//   /avupd/reqver.php?sys=wm   the server's database version, decimal text
//                              read as atoi reads it, up to a zero byte;
//   /avupd/reqavdb.php?sys=wm  the whole database file, asked for only when
//                              that version is greater than the loaded one.
// Each answer may hold at most limits::kMaxUpdateBodyBytes bytes. A status
// of 400 or above, a redirect, a broken or timed-out answer, an answer that
// is too long, and a database whose first line is no version all fail the
// update and change nothing: the new file is written beside the old one
// and renamed into place only when whole, then loaded and published as the
// new snapshot (a scan running meanwhile keeps its own). The data
// connection is given back on every way out.
#pragma once

#include <chrono>
#include <string>

#include "platform/http_client.h"
#include "platform/limits.h"
#include "platform/message_boxes.h"
#include "platform/store.h"
#include "scan/published_database.h"
#include "update/data_connection.h"

namespace kv {

inline constexpr platform::HttpTimeouts kUpdateTimeouts{
    std::chrono::milliseconds(limits::kUpdateConnectTimeoutMilliseconds),
    std::chrono::milliseconds(limits::kUpdateRequestTimeoutMilliseconds)};

// Everything one update works with.
struct UpdateContext {
  const platform::Store& store;
  PublishedDatabase& database;
  DataConnection& connection;
  platform::MessageBoxes& boxes;
  platform::MessageOwner owner = nullptr;  // the main window; null without one
  std::string server;                      // "http://host:port"; empty: no update server configured
  platform::HttpTimeouts timeouts = kUpdateTimeouts;
};

enum class UpdateResult : int {
  kDone = 0,     // the database was replaced, or is already current
  kFailed = -1,  // anything else; the database on disk and loaded is unchanged
};

enum class FetchResult : int {
  kOk = 0,
  kFailed = -1,   // no answer, or not a usable one
  kTooLong = -2,  // the body is longer than limits::kMaxUpdateBodyBytes
};

// The menu command: asks whether to connect (Yes/No) and, unless the
// answer is No, runs the update. The command is always handled.
void OnUpdateVirusDb(const UpdateContext& context);

// The whole update; every outcome ends in one message box (a failed proxy
// query shows a second, "Can not download the data!", first).
[[nodiscard]] UpdateResult UpdateVirusDatabase(const UpdateContext& context);

// One GET of `url` through the connection's proxy into `body` (empty
// unless kOk). When the proxy cannot be learnt it shows its own box and
// fails; every other failure is left to the caller to tell.
[[nodiscard]] FetchResult FetchUrl(const UpdateContext& context, const std::string& url,
                                   std::string& body);

// $KESTRELVOX_UPDATE_URL, or empty when unset. Read once by a program's
// entry and handed to the update in its context.
std::string UpdateServerFromEnvironment();

}  // namespace kv
