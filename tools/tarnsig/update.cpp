// tarnsig update: brings the device prefix's signature database up to date
// from the update server, as the program's "Update Virus DB" command does,
// without its question: running the verb is the answer. The boxes are
// console boxes on stderr; every one of the update's has only OK, so
// nothing is read from stdin.
//
// The prefix is $KESTRELVOX_PREFIX (platform::PrefixFromEnvironment), the
// server $KESTRELVOX_UPDATE_URL, the proxy http_proxy or HTTP_PROXY. The
// current database is loaded first, as at the program's start; a missing
// one counts as version 0. Exit status: 0 when the database was replaced or
// is already current, 1 when the update failed (the database is then left
// as it was), 2 on a usage error or a prefix that cannot be opened.
#include <filesystem>
#include <string>

#include "platform/console_message_boxes.h"
#include "platform/store.h"
#include "scan/published_database.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"
#include "update/data_connection.h"
#include "update/database_update.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "update";

}  // namespace

int RunUpdate(const Args& args) {
  if (!args.empty()) return UsageError(kVerb, "unexpected argument '" + args[0] + "'");
  const std::filesystem::path prefix = platform::PrefixFromEnvironment();
  platform::Store store;
  if (!platform::Store::Open(prefix, store)) {
    return Fail(std::string(kVerb) + ": cannot open the device prefix '" + prefix.string() + "'");
  }
  PublishedDatabase database;
  (void)database.Reload(store);  // a database that cannot be loaded is version 0
  DataConnection connection;
  platform::ConsoleMessageBoxes boxes;
  const UpdateContext context{
      .store = store,
      .database = database,
      .connection = connection,
      .boxes = boxes,
      .owner = nullptr,
      .server = UpdateServerFromEnvironment(),
  };
  return UpdateVirusDatabase(context) == UpdateResult::kDone ? kExitOk : kExitUpdateFailed;
}

}  // namespace kv::tarnsig
