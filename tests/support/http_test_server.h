// TestHttpServer: a small HTTP/1.1 server on 127.0.0.1 for the update's
// tests, on plain sockets, serving scripted answers by request target and
// recording every request it reads. It also serves as an HTTP proxy: a
// request for an absolute URL ("GET http://host/path HTTP/1.1") is answered
// from the script of its path, and recorded with its absolute target, so a
// test sees that a request really passed through it.
//
// One thread serves one connection at a time, each closed after its answer
// (ScriptedAnswer::Ending says how). Stopping wakes the thread from any wait
// through a pipe, so the destructor never hangs.
//
// RefusingPort: a port on 127.0.0.1 bound but not listening, so that every
// connection to it is refused for as long as the object lives.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/unique_fd.h"

namespace kv::testing {

struct ScriptedAnswer {
  enum class Ending {
    kWhole,         // status line, headers with Content-Length, the body
    kNoLength,      // no Content-Length: the body ends as the connection closes
    kCloseMidBody,  // Content-Length of the whole body, half of it, then close
  };

  int status = 200;
  std::string body{};
  Ending ending = Ending::kWhole;
  // Before the answer; a stop ends it, so a long one stands for a server
  // that never answers.
  std::chrono::milliseconds delay{};
  std::string location{};  // sent as Location when not empty
};

struct RecordedRequest {
  std::string method;
  std::string target;   // as sent: a path, or an absolute URL through a proxy
  std::string headers;  // the header lines, each ending in CR LF

  // The value of header `name` (matched ignoring case), or "<none>".
  std::string Header(std::string_view name) const {
    const auto lower = [](std::string text) {
      for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
      return text;
    };
    // Searched with a line end before every line, the first one's too.
    const std::string key = "\r\n" + lower(std::string(name)) + ":";
    const std::size_t at = lower("\r\n" + headers).find(key);
    if (at == std::string::npos) return "<none>";
    const std::size_t value = headers.find_first_not_of(' ', at + key.size() - 2);
    return headers.substr(value, headers.find("\r\n", value) - value);
  }
};

inline std::string LoopbackUrl(int port) { return "http://127.0.0.1:" + std::to_string(port); }

// Opens a TCP socket bound to 127.0.0.1 on a port the kernel picks.
inline UniqueFd BoundLoopbackSocket(int& port) {
  UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  auto* generic = reinterpret_cast<sockaddr*>(&address);
  if (!fd.IsValid() || ::bind(fd.Get(), generic, length) != 0 ||
      ::getsockname(fd.Get(), generic, &length) != 0) {
    throw std::runtime_error("cannot bind a loopback socket");
  }
  port = ntohs(address.sin_port);
  return fd;
}

class RefusingPort {
 public:
  RefusingPort() : fd_(BoundLoopbackSocket(port_)) {}
  std::string Url() const { return LoopbackUrl(port_); }

 private:
  int port_ = 0;
  UniqueFd fd_;
};

class TestHttpServer {
 public:
  TestHttpServer() : listener_(BoundLoopbackSocket(port_)) {
    std::array<int, 2> ends{};
    if (::listen(listener_.Get(), 16) != 0 || ::pipe2(ends.data(), O_CLOEXEC) != 0) {
      throw std::runtime_error("cannot start the test server");
    }
    wake_ = UniqueFd(ends[0]);
    stop_ = UniqueFd(ends[1]);
    thread_ = std::thread([this] { Serve(); });
  }
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;
  ~TestHttpServer() {
    stop_.Reset();  // the read end sees end of file: every wait ends
    thread_.join();
  }

  std::string Url() const { return LoopbackUrl(port_); }

  // Answers requests for `path` ("/avupd/reqver.php?sys=wm") with `answer`;
  // a path without an answer gets a 404.
  void Answer(const std::string& path, ScriptedAnswer answer) {
    const std::lock_guard lock(mutex_);
    answers_[path] = std::move(answer);
  }

  std::vector<RecordedRequest> Requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
  }

  std::vector<std::string> Targets() const {
    std::vector<std::string> targets;
    for (const RecordedRequest& request : Requests()) targets.push_back(request.target);
    return targets;
  }

 private:
  // Waits until `fd` is readable (or closed), or `timeout` ms pass (-1:
  // never; a negative `fd`: only the time); false when the server stops
  // first.
  bool Wait(int fd, int timeout = -1) const {
    std::array<pollfd, 2> polled{{{fd, POLLIN, 0}, {wake_.Get(), POLLIN, 0}}};
    while (::poll(polled.data(), polled.size(), timeout) < 0 && errno == EINTR) {
    }
    return polled[1].revents == 0;
  }

  void Serve() {
    while (Wait(listener_.Get())) {
      const UniqueFd client(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC));
      if (client.IsValid()) ServeOne(client.Get());
    }
  }

  void ServeOne(int client) {
    std::string received;
    std::size_t end = std::string::npos;
    while ((end = received.find("\r\n\r\n")) == std::string::npos) {
      std::array<char, 4096> chunk{};
      if (!Wait(client)) return;
      const ssize_t got = ::recv(client, chunk.data(), chunk.size(), 0);
      if (got <= 0) return;
      received.append(chunk.data(), static_cast<std::size_t>(got));
    }
    const RecordedRequest request = Parse(received.substr(0, end + 2));
    ScriptedAnswer answer;
    {
      const std::lock_guard lock(mutex_);
      requests_.push_back(request);
      const auto found = answers_.find(PathOf(request.target));
      answer = found != answers_.end() ? found->second : ScriptedAnswer{404, "not found"};
    }
    if (answer.delay.count() > 0 && !Wait(-1, static_cast<int>(answer.delay.count()))) return;
    Send(client, Response(answer));
  }

  static std::string Response(const ScriptedAnswer& answer) {
    std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " Scripted\r\n";
    if (!answer.location.empty()) head += "Location: " + answer.location + "\r\n";
    if (answer.ending != ScriptedAnswer::Ending::kNoLength) {
      head += "Content-Length: " + std::to_string(answer.body.size()) + "\r\n";
    }
    head += "Connection: close\r\n\r\n";
    const bool half = answer.ending == ScriptedAnswer::Ending::kCloseMidBody;
    return head + answer.body.substr(0, half ? answer.body.size() / 2 : answer.body.size());
  }

  static void Send(int client, std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return;  // the client has gone
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
  }

  static RecordedRequest Parse(const std::string& head) {
    RecordedRequest request;
    std::istringstream(head) >> request.method >> request.target;
    request.headers = head.substr(head.find("\r\n") + 2);
    return request;
  }

  // "http://host:port/p?q" -> "/p?q"; a path stays as it is.
  static std::string PathOf(const std::string& target) {
    const std::size_t scheme = target.find("://");
    if (scheme == std::string::npos) return target;
    const std::size_t path = target.find('/', scheme + 3);
    return path == std::string::npos ? "/" : target.substr(path);
  }

  int port_ = 0;
  UniqueFd listener_;
  UniqueFd wake_;
  UniqueFd stop_;
  mutable std::mutex mutex_;
  std::map<std::string, ScriptedAnswer> answers_;
  std::vector<RecordedRequest> requests_;
  std::thread thread_;
};

}  // namespace kv::testing
