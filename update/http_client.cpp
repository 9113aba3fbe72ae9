// HttpGet on libcurl's easy interface: one handle per request, set up from
// nothing each time so that no state (cookies, connections, a proxy read
// from the environment) carries from one request to the next.
//
// libcurl is initialised once, the first time a request is made, through a
// function-local static, which C++ initialises exactly once however many
// threads race to it. It is never cleaned up: a thread still fetching at
// exit would otherwise find the library torn down under it.
#include "update/http_client.h"

#include <curl/curl.h>

#include <memory>

namespace kv {
namespace {

bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

struct EasyCleanup {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

// Where the body goes while it arrives.
struct BodySink {
  std::string& body;
  std::size_t maxBytes;
  bool tooLong = false;
};

// libcurl's write callback. Taking fewer bytes than offered ends the
// transfer with CURLE_WRITE_ERROR: that is how an over-long body stops.
std::size_t TakeBody(char* data, std::size_t size, std::size_t count, void* context) {
  auto& sink = *static_cast<BodySink*>(context);
  const std::size_t bytes = size * count;
  if (bytes > sink.maxBytes - sink.body.size()) {
    sink.tooLong = true;
    return 0;
  }
  sink.body.append(data, bytes);
  return bytes;
}

// The no-cache headers as libcurl's list; null when memory runs out.
HeaderList NoCacheHeaders() {
  curl_slist* list = nullptr;
  for (const char* header : {"Cache-Control: no-cache", "Pragma: no-cache"}) {
    curl_slist* extended = curl_slist_append(list, header);
    if (extended == nullptr) {
      curl_slist_free_all(list);
      return nullptr;
    }
    list = extended;
  }
  return HeaderList(list);
}

// Sets every option of the request; false when libcurl refuses one.
bool SetUp(CURL* handle, const HttpRequest& request, const curl_slist* headers, BodySink& sink) {
  const auto max = static_cast<curl_off_t>(request.maxBodyBytes);
  // An empty proxy string turns the proxy off even when the environment
  // names one; an empty no-proxy list lets no host bypass a given proxy.
  return curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str()) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_PROXY, request.proxy.c_str()) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_NOPROXY, "") == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_USERAGENT, request.userAgent.c_str()) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
         // Time-outs by polling, not by SIGALRM, which is process-wide.
         curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                          static_cast<long>(request.timeouts.connect.count())) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS,
                          static_cast<long>(request.timeouts.total.count())) == CURLE_OK &&
         // Refuses an announced length over the bound before any body byte.
         curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, max) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, TakeBody) == CURLE_OK &&
         curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink) == CURLE_OK;
}

// The status decides first, whatever became of the body: an error page or
// a redirect that is also too long is still an error or a redirect.
HttpOutcome Classify(CURLcode result, long status, bool tooLong) {
  if (result == CURLE_HTTP_RETURNED_ERROR || status >= 400) return HttpOutcome::kErrorStatus;
  if (status >= 300) return HttpOutcome::kRedirect;
  if (tooLong || result == CURLE_FILESIZE_EXCEEDED) return HttpOutcome::kTooLong;
  if (result == CURLE_OPERATION_TIMEDOUT) return HttpOutcome::kTimedOut;
  if (result != CURLE_OK) return HttpOutcome::kFailed;
  return HttpOutcome::kOk;
}

}  // namespace

HttpAnswer HttpGet(const HttpRequest& request) {
  HttpAnswer answer;
  if (!CurlReady()) return answer;
  const EasyHandle handle(curl_easy_init());
  const HeaderList headers = NoCacheHeaders();
  BodySink sink{answer.body, request.maxBodyBytes};
  if (!handle || !headers || !SetUp(handle.get(), request, headers.get(), sink)) {
    return answer;
  }
  const CURLcode result = curl_easy_perform(handle.get());
  if (curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &answer.status) != CURLE_OK) {
    answer.status = 0;
  }
  answer.outcome = Classify(result, answer.status, sink.tooLong);
  if (answer.outcome != HttpOutcome::kOk) answer.body.clear();
  return answer;
}

}  // namespace kv
