// Helpers for running the real binaries: tarnscan, output split in lines,
// and tarnwatch (KV_TARNWATCH_PATH) in a temporary prefix: a handset laid
// out from a plain signature list, the demo's recording installer, the log
// as tarnscan prints it.
#pragma once

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/database_writer.h"
#include "support/program_runner.h"

namespace kv::testing {

inline RunResult RunTarnscan(const std::vector<std::string>& args) {
  return RunProgram(KV_TARNSCAN_PATH, args);
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class TarnwatchHandset : public ToolPrefix {
 public:
  // `plainLines`: the database after its version line, as tarnsig encodes.
  explicit TarnwatchHandset(std::initializer_list<std::string_view> plainLines) {
    WriteDatabase(DatabaseFile("7", plainLines));
    std::filesystem::create_directories(StorePath() / "Windows");
    std::filesystem::copy_file(
        std::string(KV_SOURCE_DIR) + "/resources/demo/store/Windows/wceload.exe",
        StorePath() / "Windows/wceload.exe");
  }

  // Boxes shown on the console, whatever display the machine has.
  RunResult Run(const std::vector<std::string>& args, std::string_view input = {}) const {
    return RunProgram(
        KV_TARNWATCH_PATH, args, input,
        {"KESTRELVOX_WCELOAD_LOG=" + InstallerLog().string(), "KESTRELVOX_UI=console"});
  }

  std::filesystem::path InstallerLog() const { return Path() / "wceload.log"; }

  // What the installer logged. It runs detached, so a non-empty `expected`
  // not yet logged is waited for a while.
  std::string InstallerArguments(const std::string& expected) const {
    std::string logged = ReadFile(InstallerLog());
    for (int i = 0; i < 500 && logged != expected && !expected.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      logged = ReadFile(InstallerLog());
    }
    return logged;
  }

  // The activity log's records, dates and times replaced by "<date>".
  std::vector<std::string> LogRecords() const {
    std::vector<std::string> records = Lines(RunTarnscan({"log"}).out);
    for (std::string& record : records) {
      if (record.size() > 20 && record[4] == '/' && record.find(' ') < 11) {
        record = "<date>" + record.substr(record.find(' ', record.find(' ') + 1));
      }
    }
    return records;
  }
};

}  // namespace kv::testing
