// The database update: replaces the signature database with a newer one
// from the update server, and tells the user how it went in a message box.
//
// Entry points: OnUpdateVirusDb (the menu command: asks first),
// UpdateVirusDatabase (the update itself), RollBackVirusDatabase (puts the
// kept previous database back), FetchUrl (one GET of it),
// UpdateServerFromEnvironment, TrustKeyFileFromEnvironment.
//
// The exchange is HTTP GETs of fixed paths on the server named by
// $KESTRELVOX_UPDATE_URL (scheme, host and port):
//   /avupd/reqver.php?sys=wm   the server's database version: one line of
//                              decimal digits within 32 bits, optionally
//                              ended by CR LF, and nothing else;
//   /avupd/reqavdb.php?sys=wm  the whole database file, asked for only when
//                              that version is greater than the loaded one
//                              (or always, when forced);
//   /avupd/reqavdb.php?sys=wm&sig=ed25519
//                              only when a trust key is present: the
//                              signature line of that database body
//                              (format in signature_line.h).
// Each answer may hold at most limits::kMaxUpdateBodyBytes bytes. The new
// database must pass, in order: the signature check (with a trust key),
// then the load in memory (database_candidate.h): its version line equal
// to the announced version, every line decodable, its end a whole line, at
// least one character signature. Any failure changes nothing. Only then is
// the old file kept as VirusDB.dat.old, the new one written beside it and
// renamed into place, then loaded and published as the new snapshot (a scan
// running meanwhile keeps its own). The data connection is given back on
// every way out.
//
// The trust key is the file the context names, else <prefix>/keys/update.pub
// when that exists (outside the store: no scan or update writes there).
// A named file that is missing, and any key file that cannot be read or
// holds no key line, refuse the update: a broken key never means "unsigned".
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "database/published_database.h"
#include "platform/limits.h"
#include "platform/message_boxes.h"
#include "platform/store.h"
#include "update/data_connection.h"
#include "update/database_candidate.h"
#include "update/http_client.h"

namespace kv {

inline constexpr HttpTimeouts kUpdateTimeouts{
    std::chrono::milliseconds(limits::kUpdateConnectTimeoutMilliseconds),
    std::chrono::milliseconds(limits::kUpdateRequestTimeoutMilliseconds)};

// Everything one update works with.
struct UpdateContext {
  const Store& store;
  PublishedDatabase& database;
  DataConnection& connection;
  MessageBoxes& boxes;
  MessageOwner owner = nullptr;  // the main window; null without one
  std::string server;            // "http://host:port"; empty: no update server configured
  HttpTimeouts timeouts = kUpdateTimeouts;
  // Install the server's database even when its version is not greater.
  bool force = false;
  // The trust key's file; empty: <prefix>/keys/update.pub when it exists.
  std::filesystem::path trustKeyFile{};
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

// What really happened, for a report beside the boxes (whose texts stay
// the handset's). Texts are made by whoever shows them.
enum class UpdateCause {
  kNone,                // replaced, already current, or rolled back
  kNoServer,            // no update URL set
  kNotHttpUrl,          // the URL set is no http or https URL
  kProxyUnusable,       // the proxy setting is too long to use
  kHttpStatus,          // `number`: the status (400 and above)
  kRedirect,            // `number`: the status (300 to 399)
  kTimedOut,            // `number`: seconds waited
  kNoAnswer,            // no connection, or an answer broken off
  kTooLong,             // an answer over limits::kMaxUpdateBodyBytes
  kEmptyVersion,        // the version answer is empty
  kVersionNotDigits,    // the version answer is not one line of digits
  kVersionOver32Bits,   // the version answer's number needs more than 32 bits
  kTrustKeyUnusable,    // the trust key file cannot be read or holds no key
  kSignatureMissing,    // the signature request failed: `request` says how
  kSignatureMalformed,  // the signature answer is no signature line
  kSignatureInvalid,    // a signature line, but not the key's over this body
  kDatabaseRefused,     // the body did not load: `refusal` says why
  kKeepOldFailed,       // the old database could not be kept as VirusDB.dat.old
  kWriteFailed,         // the new database could not be written into place
  kNoPreviousDatabase,  // rollback: no VirusDB.dat.old
};

struct UpdateReport {
  UpdateCause cause = UpdateCause::kNone;
  // kSignatureMissing: the failed request's own cause, with its `number`.
  UpdateCause request = UpdateCause::kNone;
  std::int64_t number = 0;
  std::string url;  // the request that failed, when one did
  DatabaseRefusal refusal;
  bool signatureChecked = false;  // the installed database's signature was verified
  std::int32_t announced = 0;     // the version the server announced
  std::int32_t version = 0;       // the version installed, current or restored
};

// Where the menu command runs the update once the user has agreed: on the
// calling thread when empty; the GUI hands it to a worker, so that the
// window keeps answering through the network's timeouts.
using RunUpdate = std::function<void(const std::function<void()>& update)>;

// The menu command: asks whether to connect (Yes/No) and, unless the
// answer is No, runs the update through `run`. The command is always
// handled.
void OnUpdateVirusDb(const UpdateContext& context, const RunUpdate& run = {});

// The whole update; every outcome ends in one message box (a failed proxy
// query shows a second, "Can not download the data!", first). Before
// anything else it removes new files that an interrupted update left
// beside the database.
[[nodiscard]] UpdateResult UpdateVirusDatabase(const UpdateContext& context);
[[nodiscard]] UpdateResult UpdateVirusDatabase(const UpdateContext& context, UpdateReport& report);

// Puts VirusDB.dat.old back in place of VirusDB.dat (the kept copy stays)
// and publishes it, after the same load in memory as an update's database
// with its own version line as the announced one. No box, no network.
[[nodiscard]] UpdateResult RollBackVirusDatabase(const UpdateContext& context,
                                                 UpdateReport& report);

// One GET of `url` through the connection's proxy into `body` (empty
// unless kOk). When the proxy cannot be learnt it shows its own box and
// fails; every other failure is left to the caller to tell. `report` gets
// the failure's cause and the url.
[[nodiscard]] FetchResult FetchUrl(const UpdateContext& context, const std::string& url,
                                   std::string& body);
[[nodiscard]] FetchResult FetchUrl(const UpdateContext& context, const std::string& url,
                                   std::string& body, UpdateReport& report);

// $KESTRELVOX_UPDATE_URL, or empty when unset. Read once by a program's
// entry and handed to the update in its context.
std::string UpdateServerFromEnvironment();

// $KESTRELVOX_UPDATE_KEY, or empty when unset or empty; read like the URL.
std::filesystem::path TrustKeyFileFromEnvironment();

}  // namespace kv
