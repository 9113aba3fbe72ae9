// ScopedEnvironment: sets or unsets environment variables for a test and
// puts back what was there when it ends, so that neither the machine's own
// settings (a proxy of the CI's, say) nor one test's leak into another.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/environment.h"

namespace kv::testing {

class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      it->second ? (void)SetEnvironment(it->first, *it->second) : (void)UnsetEnvironment(it->first);
    }
  }

  // Sets `name` to `value`, or unsets it for nullopt.
  ScopedEnvironment& Set(const std::string& name, const std::optional<std::string>& value) {
    saved_.emplace_back(name, GetEnvironment(name));
    const bool done = value ? SetEnvironment(name, *value) : UnsetEnvironment(name);
    if (!done) throw std::runtime_error("cannot set " + name);
    return *this;
  }

  // Unsets every proxy variable the machine might have set.
  ScopedEnvironment& WithoutProxies() {
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
      Set(name, std::nullopt);
    }
    return *this;
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

}  // namespace kv::testing
