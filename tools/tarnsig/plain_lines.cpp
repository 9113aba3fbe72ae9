// The plain file's line split and storage checks (plain_lines.h), shared by
// encode and lint so that both refuse the same lines with the same words.
#include "tools/tarnsig/plain_lines.h"

#include "platform/limits.h"
#include "tools/tarnsig/line_encoder.h"

namespace kv::tarnsig {

std::vector<std::string_view> SplitPlainLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (lf != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
  }
  return lines;
}

std::string StorageProblem(std::string_view line, bool isVersion) {
  if (line.find('\0') != std::string_view::npos) return "line holds a NUL byte";
  if (line.find('\r') != std::string_view::npos) return "line holds a CR that does not end it";
  if (!isVersion && EncodedLength(line.size()) > limits::kMaxEncodedLine) {
    return "encoded line would be " + std::to_string(EncodedLength(line.size())) +
           " characters, more than " + std::to_string(limits::kMaxEncodedLine);
  }
  return {};
}

}  // namespace kv::tarnsig
