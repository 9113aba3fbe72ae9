// RunTimed: runs one program as the benchmark's measured process and gives
// the wall time from its start to its end. The program is started
// directly, with no shell and no wrapper in between, so that the time is
// the program's own: a shell and `env` before it cost a few milliseconds,
// a tenth of a two-thread scan of the store.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kv::bench {

struct TimedRun {
  double seconds = 0;
  int status = -1;  // the exit status; -1 when it could not start or did not exit
  std::string out;  // its standard output (standard error is discarded)
};

// Runs `binary` with `args`, the benchmark's environment plus `environment`
// ("NAME=value"), standard input empty; on the one processor `core` when
// given, as `taskset -c` would pin it.
TimedRun RunTimed(const std::string& binary, const std::vector<std::string>& args,
                  const std::vector<std::string>& environment, std::optional<int> core = {});

}  // namespace kv::bench
