// FetchUrl: one GET of the update, through the proxy that the data
// connection reports, with the handset's user agent. Only a failed proxy
// query shows a box here ("Can not download the data!"); the caller then
// shows its own, so the user sees two in a row, as on the handset. Each
// failure leaves its cause in the report: the status, or the seconds that
// passed before a time-out.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/environment.h"
#include "platform/limits.h"
#include "resources/string_table.h"
#include "update/database_update.h"
#include "update/http_client.h"
#include "update/update_boxes.h"

namespace kv {
namespace {

// The update server knows its clients by this agent.
constexpr char kUpdateUserAgent[] = "client2.exe";

}  // namespace

FetchResult FetchUrl(const UpdateContext& context, const std::string& url, std::string& body) {
  UpdateReport report;
  return FetchUrl(context, url, body, report);
}

FetchResult FetchUrl(const UpdateContext& context, const std::string& url, std::string& body,
                     UpdateReport& report) {
  body.clear();
  report.url = url;
  ProxyAccess access = ProxyAccess::kDirect;
  std::optional<std::string> proxyName;
  if (!context.connection.QueryProxy(access, proxyName)) {
    report.cause = UpdateCause::kProxyUnusable;
    ShowUpdateWarning(context, strings::kCannotDownload);
    return FetchResult::kFailed;
  }
  const HttpRequest request{
      .url = url,
      .proxy = access == ProxyAccess::kProxy ? proxyName.value_or("") : "",
      .userAgent = kUpdateUserAgent,
      .maxBodyBytes = limits::kMaxUpdateBodyBytes,
      .timeouts = context.timeouts,
  };
  const auto started = std::chrono::steady_clock::now();
  HttpAnswer answer = HttpGet(request);
  report.number = 0;
  switch (answer.outcome) {
    case HttpOutcome::kOk:
      body = std::move(answer.body);
      return FetchResult::kOk;
    case HttpOutcome::kTooLong:
      report.cause = UpdateCause::kTooLong;
      return FetchResult::kTooLong;
    case HttpOutcome::kErrorStatus:
      report.cause = UpdateCause::kHttpStatus;
      report.number = answer.status;
      break;
    case HttpOutcome::kRedirect:
      report.cause = UpdateCause::kRedirect;
      report.number = answer.status;
      break;
    case HttpOutcome::kTimedOut:
      // Which of the two time-outs ran out, the time taken tells: whole
      // seconds, at least 1.
      report.cause = UpdateCause::kTimedOut;
      report.number = std::max<std::int64_t>(
          1, std::chrono::duration_cast<std::chrono::seconds>(
                 std::chrono::steady_clock::now() - started + std::chrono::milliseconds(500))
                 .count());
      break;
    case HttpOutcome::kFailed:
      report.cause = UpdateCause::kNoAnswer;
      break;
  }
  return FetchResult::kFailed;
}

std::string UpdateServerFromEnvironment() {
  return GetEnvironment("KESTRELVOX_UPDATE_URL").value_or("");
}

std::filesystem::path TrustKeyFileFromEnvironment() {
  return GetEnvironment("KESTRELVOX_UPDATE_KEY").value_or("");
}

}  // namespace kv
