// DataConnection: the handset's data connection as the update sees it,
// brought up for a URL, asked whether it is up and which HTTP proxy it
// goes through, and given back.
//
// Entry points: Connect, IsConnected, QueryProxy, Release.
// On the host the network is always up, so a connection comes up for any
// http or https URL at once, and for nothing else (no network reaches
// another scheme, nor an empty URL: the update server is not configured).
// Its proxy is read from the environment when it comes up, http_proxy
// before HTTP_PROXY, an empty value counting as unset; without one the
// connection is direct. A connection held when the object ends is given
// back, so it never outlives the program.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kv {

// How a request reaches the server: the handset's Internet access types.
enum class ProxyAccess { kDirect = 1, kProxy = 3 };

class DataConnection {
 public:
  DataConnection() = default;
  DataConnection(const DataConnection&) = delete;
  DataConnection& operator=(const DataConnection&) = delete;
  ~DataConnection() { Release(); }

  // Gives back a held connection first, then brings one up for `url`.
  // false when no network reaches it.
  [[nodiscard]] bool Connect(std::string_view url);

  bool IsConnected() const { return connected_; }

  // The held connection's proxy: kProxy and its name, or kDirect and none.
  // false, leaving both as they were, when no connection is held or its
  // proxy setting is longer than the handset's proxy record holds (a cut
  // name would send every request to some other host).
  [[nodiscard]] bool QueryProxy(ProxyAccess& access, std::optional<std::string>& proxyName) const;

  // Gives the connection back; nothing when none is held.
  void Release();

 private:
  bool connected_ = false;
  std::string proxy_;  // empty: direct
};

}  // namespace kv
