// tarnsig update [--force | --rollback]: brings the device prefix's
// signature database up to date from the update server, as the program's
// "Update Virus DB" command does, without its question: running the verb is
// the answer. The boxes are console boxes on stderr; every one of the
// update's has only OK, so nothing is read from stdin. A failure adds one
// line "tarnsig: update: <cause>" on stderr naming what really went wrong,
// which the boxes' texts do not.
//
// --force installs the server's database even when its version is not
// greater (the way off a forged, too high version), through every check.
// --rollback puts the kept VirusDB.dat.old back, without the network, and
// says "rolled back to version N" on stdout.
//
// The prefix is $KESTRELVOX_PREFIX (PrefixFromEnvironment), the
// server $KESTRELVOX_UPDATE_URL, the trust key $KESTRELVOX_UPDATE_KEY or
// <prefix>/keys/update.pub, the proxy http_proxy or HTTP_PROXY. The current
// database is loaded first, as at the program's start; a missing one
// counts as version 0. Exit status: 0 when the database was replaced, is
// already current or was rolled back, 1 when that failed (the database is
// then left as it was), 2 on a usage error or a prefix that cannot be
// opened.
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>

#include "database/published_database.h"
#include "platform/console_message_boxes.h"
#include "platform/limits.h"
#include "platform/store.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"
#include "update/data_connection.h"
#include "update/database_update.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "update";

std::string RefusalText(const UpdateReport& report) {
  using Reason = DatabaseRefusal::Reason;
  const std::string number = std::to_string(report.refusal.number);
  switch (report.refusal.reason) {
    case Reason::kNoVersionLine:
      return "its first line is not a version";
    case Reason::kVersionMismatch:
      return "its version line says " + number + ", the server announced " +
             std::to_string(report.announced);
    case Reason::kLineTooLong:
      return "line " + number + " is longer than " + std::to_string(limits::kMaxEncodedLine) +
             " characters";
    case Reason::kUndecodableLine:
      return "line " + number + " cannot be decoded";
    case Reason::kCutLastLine:
      return "its last line is cut (no CR LF at its end)";
    case Reason::kNoCharacterSignature:
      return "it holds no character signature";
  }
  return "it cannot be loaded";
}

// The text of a failed request's cause; empty for a cause of another kind.
std::string RequestText(UpdateCause cause, const UpdateReport& report) {
  const std::string number = std::to_string(report.number);
  switch (cause) {
    case UpdateCause::kProxyUnusable:
      return "the proxy setting is too long to use";
    case UpdateCause::kHttpStatus:
      return "HTTP status " + number + " from " + report.url;
    case UpdateCause::kRedirect:
      return "HTTP status " + number + " (a redirect) from " + report.url;
    case UpdateCause::kTimedOut:
      return "timed out after " + number + " s (" + report.url + ")";
    case UpdateCause::kNoAnswer:
      return "no answer from " + report.url + " (no connection, or the answer broke off)";
    case UpdateCause::kTooLong:
      return "the answer from " + report.url + " is longer than " +
             std::to_string(limits::kMaxUpdateBodyBytes) + " bytes";
    default:
      return {};
  }
}

std::string CauseText(const UpdateReport& report, const UpdateContext& context) {
  if (std::string request = RequestText(report.cause, report); !request.empty()) return request;
  switch (report.cause) {
    case UpdateCause::kNoServer:
      return "no update URL set ($KESTRELVOX_UPDATE_URL)";
    case UpdateCause::kNotHttpUrl:
      return "the update URL '" + context.server + "' is not an http or https URL";
    case UpdateCause::kEmptyVersion:
      return "the version answer is empty (" + report.url + ")";
    case UpdateCause::kVersionNotDigits:
      return "the version answer is not one line of decimal digits (" + report.url + ")";
    case UpdateCause::kVersionOver32Bits:
      return "the version answer's number is over 32 bits (" + report.url + ")";
    case UpdateCause::kTrustKeyUnusable:
      return "the trust key '" +
             (context.trustKeyFile.empty()
                  ? (context.store.PrefixPath() / "keys" / "update.pub").string()
                  : context.trustKeyFile.string()) +
             "' cannot be read or holds no public key line";
    case UpdateCause::kSignatureMissing:
      return "signature missing: " + RequestText(report.request, report);
    case UpdateCause::kSignatureMalformed:
      return "signature invalid: the answer of " + report.url + " is no signature line";
    case UpdateCause::kSignatureInvalid:
      return "signature invalid: the database is not signed by the trust key";
    case UpdateCause::kDatabaseRefused:
      return "database refused: " + RefusalText(report);
    case UpdateCause::kKeepOldFailed:
      return "cannot keep the current database as VirusDB.dat.old";
    case UpdateCause::kWriteFailed:
      return "cannot write the new database into place";
    case UpdateCause::kNoPreviousDatabase:
      return "no previous database (VirusDB.dat.old) to restore";
    default:
      return "the update failed";
  }
}

}  // namespace

int RunUpdate(const Args& args) {
  bool force = false;
  bool rollback = false;
  for (const std::string& arg : args) {
    if (arg == "--force" && !force) {
      force = true;
    } else if (arg == "--rollback" && !rollback) {
      rollback = true;
    } else {
      return UsageError(kVerb, "unexpected argument '" + arg + "'");
    }
  }
  if (force && rollback) return UsageError(kVerb, "--force and --rollback exclude each other");
  const std::filesystem::path prefix = PrefixFromEnvironment();
  Result<Store> opened = Store::Open(prefix);
  if (!opened.Ok()) {
    return Fail(
        WithCause(std::string(kVerb) + ": cannot open the device prefix '" + prefix.string() + "'",
                  opened.cause));
  }
  const Store store = std::move(opened.value);
  PublishedDatabase database;
  (void)database.Reload(store);  // a database that cannot be loaded is version 0
  DataConnection connection;
  ConsoleMessageBoxes boxes;
  const UpdateContext context{
      .store = store,
      .database = database,
      .connection = connection,
      .boxes = boxes,
      .owner = nullptr,
      .server = UpdateServerFromEnvironment(),
      .force = force,
      .trustKeyFile = TrustKeyFileFromEnvironment(),
  };
  UpdateReport report;
  const UpdateResult result =
      rollback ? RollBackVirusDatabase(context, report) : UpdateVirusDatabase(context, report);
  if (result != UpdateResult::kDone) {
    std::cerr << "tarnsig: update: " << CauseText(report, context) << '\n';
    return kExitUpdateFailed;
  }
  if (rollback) std::cout << "rolled back to version " << report.version << '\n';
  return kExitOk;
}

}  // namespace kv::tarnsig
