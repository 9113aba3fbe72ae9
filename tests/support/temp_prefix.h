// TempPrefix: a fresh device prefix in a temporary directory for one test.
// It points KESTRELVOX_PREFIX at itself, creates the store, and on
// destruction removes everything and restores the variable, so every test
// runs against real files without touching the user's handset.
#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/environment.h"

namespace kv::testing {

class TempPrefix {
 public:
  TempPrefix() : saved_(platform::GetEnvironment(kVariable)) {
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100 && prefix_.empty(); ++attempt) {
      const auto candidate = base / ("kestrelvox-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) prefix_ = candidate;
    }
    if (prefix_.empty()) throw std::runtime_error("cannot create a temporary prefix");
    std::filesystem::create_directory(Store());
    platform::SetEnvironment(kVariable, prefix_.string());
  }
  TempPrefix(const TempPrefix&) = delete;
  TempPrefix& operator=(const TempPrefix&) = delete;
  ~TempPrefix() {
    if (saved_) {
      platform::SetEnvironment(kVariable, *saved_);
    } else {
      platform::UnsetEnvironment(kVariable);
    }
    std::error_code ignored;
    std::filesystem::remove_all(prefix_, ignored);
  }

  const std::filesystem::path& Prefix() const { return prefix_; }
  std::filesystem::path Store() const { return prefix_ / "store"; }

  // Writes `content` to the host file `relative` under the store, creating
  // its folders; returns its host path.
  std::filesystem::path WriteStoreFile(const std::filesystem::path& relative,
                                       std::string_view content) const {
    const auto path = Store() / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return path;
  }

 private:
  static constexpr const char* kVariable = "KESTRELVOX_PREFIX";
  std::optional<std::string> saved_;
  std::filesystem::path prefix_;
};

}  // namespace kv::testing
