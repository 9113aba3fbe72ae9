// Runs the real tarnreg binary (KV_TARNREG_PATH) for the end-to-end tests,
// through the shell like tarnsig_runner.h: one run with its exit status,
// stdout and stderr, or several at once as concurrent processes. The
// children inherit KESTRELVOX_PREFIX, so a TempPrefix points them at a
// fresh hive.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tarnsig_runner.h"

namespace kv::testing {

inline std::string TarnregCommand(const std::vector<std::string>& args) {
  std::string command = ShellQuote(KV_TARNREG_PATH);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  return command;
}

// Runs tarnreg with `args`, `input` on its standard input.
inline RunResult RunTarnreg(const std::vector<std::string>& args, std::string_view input = {}) {
  return RunProgram(KV_TARNREG_PATH, args, input);
}

// Starts one tarnreg process per entry of `runs` all at once (no input),
// waits for them all, and gives each one's result.
inline std::vector<RunResult> RunTarnregConcurrently(
    const std::vector<std::vector<std::string>>& runs) {
  const TempDir capture;
  std::string command;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::string at = ShellQuote(capture.Path().string()) + "/" + std::to_string(i);
    command += "{ " + TarnregCommand(runs[i]) + " </dev/null >" + at + ".out 2>" + at +
               ".err; echo $? >" + at + ".status; } & ";
  }
  command += "wait";
  std::vector<RunResult> results(runs.size());
  if (std::system(command.c_str()) != 0) return results;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::string at = capture.File(std::to_string(i));
    results[i] = {std::atoi(ReadFile(at + ".status").c_str()), ReadFile(at + ".out"),
                  ReadFile(at + ".err")};
  }
  return results;
}

}  // namespace kv::testing
