// Environment variables through the C library; see the header.
#include "platform/environment.h"

#include <cstdlib>

namespace kv {

std::optional<std::string> GetEnvironment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool SetEnvironment(const std::string& name, const std::string& value) {
  return ::setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool UnsetEnvironment(const std::string& name) { return ::unsetenv(name.c_str()) == 0; }

}  // namespace kv
