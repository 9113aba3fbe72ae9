// The lines of a directory walk grouped by file: each status line (the
// path) with the "<OK>"/"<NO>" line that follows it. The host lists a
// folder in its own order, so tests compare the groups sorted, while the
// grouping itself still pins which result follows which path.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace kv::testing {

using LineGroups = std::vector<std::vector<std::string>>;

inline LineGroups GroupByFile(const std::vector<std::string>& lines) {
  LineGroups groups;
  for (const std::string& line : lines) {
    const bool result = line.starts_with("<OK>") || line.starts_with("<NO>");
    if (!result || groups.empty()) groups.emplace_back();
    groups.back().push_back(line);
  }
  std::sort(groups.begin(), groups.end());
  return groups;
}

}  // namespace kv::testing
