// HttpGet: one HTTP (or HTTPS) GET of a whole, small answer body, the way
// the database update talks to its server.
//
// Entry point: HttpGet. Any thread may call it; each call is one request on
// a connection of its own, with nothing kept or cached between calls.
//
// Why it is this strict:
// - Every request carries "Cache-Control: no-cache" and "Pragma: no-cache":
//   a version number or database from a cache could be stale.
// - The proxy is the one handed in, or none: the host's proxy variables are
//   never picked up behind the caller's back, and no host bypasses a proxy
//   that was given (the handset had no bypass list).
// - Redirects are not followed and count as failure: the update asks for
//   fixed paths of one server, and an answer from elsewhere is not the
//   server's answer.
// - A status of 400 or above is a failure, never a body to use.
// - The body is bounded, and a longer one is reported as such (kTooLong)
//   rather than cut, so that no caller mistakes part of an answer for all
//   of it. A body that ends before its announced length is a failure.
// - Connect and total time-outs bound every request, so a dead server, one
//   that accepts and never answers, and one that trickles all end.
// - Only http and https URLs are fetched; https checks the server's
//   certificate and host name.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace kv {

struct HttpTimeouts {
  std::chrono::milliseconds connect;  // until the server's socket is connected
  std::chrono::milliseconds total;    // the whole request, from start to last byte
};

struct HttpRequest {
  std::string url;        // http:// or https://
  std::string proxy;      // "host:port" or "http://host:port"; empty: direct
  std::string userAgent;  // sent as User-Agent
  std::size_t maxBodyBytes = 0;
  HttpTimeouts timeouts{};
};

enum class HttpOutcome {
  kOk,           // a 1xx-2xx answer whose whole body fits maxBodyBytes
  kTooLong,      // the body is longer than maxBodyBytes
  kErrorStatus,  // status 400 or above
  kRedirect,     // status 300 to 399
  kTimedOut,     // a time-out ran out before the answer was complete
  kFailed,       // anything else: no connection, a broken answer, a refused
                 // certificate, a proxy that refuses, an unsupported URL
};

struct HttpAnswer {
  HttpOutcome outcome = HttpOutcome::kFailed;
  long status = 0;   // the answer's status (0 when none came), so that a failure can be named
  std::string body;  // empty unless kOk
};

// GETs `request.url`.
[[nodiscard]] HttpAnswer HttpGet(const HttpRequest& request);

}  // namespace kv
