// Runs the real programs (tarnsig, tarnreg, tarnscan, tarnwatch) for the
// end-to-end tests, capturing each run's exit status, stdout and stderr
// through the shell, which keeps these tests free of process APIs. The
// children inherit KESTRELVOX_PREFIX, so a ToolPrefix points them at it.
#pragma once

#include <cstdlib>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/scoped_environment.h"
#include "support/temp_files.h"

namespace kv::testing {

inline std::string ShellQuote(std::string_view word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A temporary prefix that the binaries run by these tests use: the
// children find it in KESTRELVOX_PREFIX, set for this object's lifetime.
class ToolPrefix : public TempPrefix {
 public:
  ToolPrefix() { environment_.Set("KESTRELVOX_PREFIX", Path().string()); }

 private:
  ScopedEnvironment environment_;
};

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;

  bool operator==(const RunResult&) const = default;
};

// How a failed expectation shows a run.
inline void PrintTo(const RunResult& run, std::ostream* os) {
  *os << "{status " << run.status << ", out \"" << run.out << "\", err \"" << run.err << "\"}";
}

// Runs the program at `binary` with `args`, `input` on its standard input
// and `environment` ("NAME=value" words) added to its environment.
inline RunResult RunProgram(const std::string& binary, const std::vector<std::string>& args,
                            std::string_view input = {},
                            const std::vector<std::string>& environment = {}) {
  const TempDir capture;
  WriteFile(capture.File("in"), input);
  std::string command;
  for (const std::string& setting : environment) command += ShellQuote(setting) + " ";
  if (!command.empty()) command.insert(0, "env ");
  command += ShellQuote(binary);
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  const std::string at = ShellQuote(capture.Path().string()) + "/";
  command += " <" + at + "in >" + at + "out 2>" + at + "err; echo $? >" + at + "status";
  if (std::system(command.c_str()) != 0) return {};
  return {std::atoi(ReadFile(capture.File("status")).c_str()), ReadFile(capture.File("out")),
          ReadFile(capture.File("err"))};
}

// Runs tarnsig with `args`, `input` on its standard input.
inline RunResult RunTarnsig(const std::vector<std::string>& args, std::string_view input = {}) {
  return RunProgram(KV_TARNSIG_PATH, args, input);
}

#ifdef KV_TARNREG_PATH  // where the build says where tarnreg is
// Runs tarnreg with `args`, `input` on its standard input.
inline RunResult RunTarnreg(const std::vector<std::string>& args, std::string_view input = {}) {
  return RunProgram(KV_TARNREG_PATH, args, input);
}
#endif

// `args` (a verb first) with --reference after the verb when `reference`:
// the matching verbs' tests run both ways and expect the same answers.
inline std::vector<std::string> Way(bool reference, std::vector<std::string> args) {
  if (reference) args.insert(args.begin() + 1, "--reference");
  return args;
}

}  // namespace kv::testing
