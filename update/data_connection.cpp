// DataConnection on the host: "bringing up" a connection checks that the
// URL is one the network reaches and reads the proxy setting once, so that
// every request of one connection goes the same way.
#include "update/data_connection.h"

#include "platform/environment.h"
#include "platform/limits.h"

namespace kv {
namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != prefix[i]) return false;
  }
  return true;
}

// http_proxy, else HTTP_PROXY; empty when neither is set to something.
std::string ProxyFromEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY"}) {
    if (auto value = GetEnvironment(name); value && !value->empty()) return *value;
  }
  return {};
}

}  // namespace

bool DataConnection::Connect(std::string_view url) {
  Release();
  if (!StartsWithIgnoringCase(url, "http://") && !StartsWithIgnoringCase(url, "https://")) {
    return false;
  }
  proxy_ = ProxyFromEnvironment();
  connected_ = true;
  return true;
}

bool DataConnection::QueryProxy(ProxyAccess& access, std::optional<std::string>& proxyName) const {
  if (!connected_ || proxy_.size() > limits::kMaxProxyNameChars) return false;
  if (proxy_.empty()) {
    access = ProxyAccess::kDirect;
    proxyName.reset();
  } else {
    access = ProxyAccess::kProxy;
    proxyName = proxy_;
  }
  return true;
}

void DataConnection::Release() {
  connected_ = false;
  proxy_.clear();
}

}  // namespace kv
