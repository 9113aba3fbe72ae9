// Real files for tests: TempDir, a fresh directory removed with everything
// in it when the test ends; TempPrefix, a TempDir that is also a device
// prefix, with the kv::Store opened on it that the store calls take;
// whole file reads and writes, and a store file's device path. Tests run against real files rather
// than stand-ins, and never touch the user's own handset nor the environment.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/store.h"
#include "platform/text.h"

namespace kv::testing {

// Writes `content` to `path`, creating its folders.
inline void WriteFile(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The device path of the store file `relative` (UTF-8, names separated by '/').
inline std::u16string DevicePath(std::string_view relative) {
  std::u16string path = u"\\" + Utf8ToUtf16(relative);
  std::replace(path.begin(), path.end(), u'/', u'\\');
  return path;
}

class TempDir {
 public:
  TempDir()
      : path_(std::filesystem::temp_directory_path() /
              ("kestrelvox-test-" + std::to_string(std::random_device()()) + "-" +
               std::to_string(std::random_device()()))) {
    if (!std::filesystem::create_directory(path_)) throw std::runtime_error(path_.string());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& Path() const { return path_; }
  std::string File(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

class TempPrefix : public TempDir {
 public:
  TempPrefix() {
    Result<kv::Store> opened = kv::Store::Open(Path());
    if (!opened.Ok()) throw std::runtime_error("cannot open the store");
    store_ = std::move(opened.value);
  }

  const kv::Store& Store() const { return store_; }
  std::filesystem::path StorePath() const { return store_.StorePath(); }

  // Writes the host file `relative` under the store; returns its host path.
  std::filesystem::path WriteStoreFile(const std::filesystem::path& relative,
                                       std::string_view content) const {
    WriteFile(StorePath() / relative, content);
    return StorePath() / relative;
  }

  // The virus database's host path, and its file written whole.
  std::filesystem::path DatabasePath() const {
    return StorePath() / "Program Files/Quellbrin/VirusDB.dat";
  }
  void WriteDatabase(std::string_view content) const { WriteFile(DatabasePath(), content); }

 private:
  kv::Store store_;
};

}  // namespace kv::testing
