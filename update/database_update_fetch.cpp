// FetchUrl: one GET of the update, through the proxy that the data
// connection reports, with the handset's user agent. Only a failed proxy
// query shows a box here ("Can not download the data!"); the caller then
// shows its own, so the user sees two in a row, as on the handset.
#include <optional>

#include "platform/environment.h"
#include "platform/http_client.h"
#include "platform/limits.h"
#include "resources/string_table.h"
#include "update/database_update.h"
#include "update/update_boxes.h"

namespace kv {
namespace {

// The update server knows its clients by this agent.
constexpr char kUpdateUserAgent[] = "client2.exe";

}  // namespace

FetchResult FetchUrl(const UpdateContext& context, const std::string& url, std::string& body) {
  body.clear();
  ProxyAccess access = ProxyAccess::kDirect;
  std::optional<std::string> proxyName;
  if (!context.connection.QueryProxy(access, proxyName)) {
    ShowUpdateWarning(context, strings::kCannotDownload);
    return FetchResult::kFailed;
  }
  const platform::HttpRequest request{
      .url = url,
      .proxy = access == ProxyAccess::kProxy ? proxyName.value_or("") : "",
      .userAgent = kUpdateUserAgent,
      .maxBodyBytes = limits::kMaxUpdateBodyBytes,
      .timeouts = context.timeouts,
  };
  switch (platform::HttpGet(request, body)) {
    case platform::HttpOutcome::kOk:
      return FetchResult::kOk;
    case platform::HttpOutcome::kTooLong:
      return FetchResult::kTooLong;
    case platform::HttpOutcome::kErrorStatus:
    case platform::HttpOutcome::kRedirect:
    case platform::HttpOutcome::kTimedOut:
    case platform::HttpOutcome::kFailed:
      break;
  }
  return FetchResult::kFailed;
}

std::string UpdateServerFromEnvironment() {
  return platform::GetEnvironment("KESTRELVOX_UPDATE_URL").value_or("");
}

}  // namespace kv
