// Test helpers for the end-to-end tests of tarnsig: a temporary directory
// that removes itself, file helpers, and a run of the real binary
// (KV_TARNSIG_PATH) capturing its exit status, stdout and stderr through
// the shell, which keeps these tests free of process APIs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kv::testing {

class TempDir {
 public:
  TempDir() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("kv-tarnsig-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string File(std::string_view name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  ASSERT_TRUE(out.good()) << path;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string ShellQuote(std::string_view word) {
  std::string quoted = "'";
  for (const char c : word) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs tarnsig with `args`, `input` on its standard input.
inline RunResult RunTarnsigWithInput(const std::vector<std::string>& args, std::string_view input) {
  const TempDir capture;
  WriteFile(capture.File("in"), input);
  std::string command = ShellQuote(KV_TARNSIG_PATH);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote(capture.File("out")) + " 2>" + ShellQuote(capture.File("err")) +
             " <" + ShellQuote(capture.File("in")) + "; echo $? >" +
             ShellQuote(capture.File("status"));
  RunResult result;
  if (std::system(command.c_str()) != 0) return result;
  result.status = std::atoi(ReadFile(capture.File("status")).c_str());
  result.out = ReadFile(capture.File("out"));
  result.err = ReadFile(capture.File("err"));
  return result;
}

inline RunResult RunTarnsig(const std::vector<std::string>& args) {
  return RunTarnsigWithInput(args, {});
}

inline RunResult RunTarnsig(std::initializer_list<std::string_view> args) {
  return RunTarnsig(std::vector<std::string>(args.begin(), args.end()));
}

}  // namespace kv::testing
