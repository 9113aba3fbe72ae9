// Shared helpers of the pattern engine's tests (see pattern_test_support.h).
#include "pattern_test_support.h"

#include <fstream>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "pattern/compiled_pattern.h"

namespace kv::testing {
namespace {

// Decodes the %HH escapes of one conformance field, or nullopt when it holds
// a % without two hex digits or a raw byte outside printable ASCII (a tab
// included): such bytes must be escaped, so that an editor cannot change a
// case without anyone seeing.
std::optional<std::string> DecodeField(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] < 0x20 || field[i] > 0x7E) return std::nullopt;
    if (field[i] != '%') {
      out += field[i];
      continue;
    }
    const std::string hex(field.substr(i + 1, 2));
    if (hex.size() < 2 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
      return std::nullopt;
    }
    out += static_cast<char>(std::stoi(hex, nullptr, 16));
    i += 2;
  }
  return out;
}

}  // namespace

std::string Shown(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string shown;
  for (const char c : bytes) {
    if (c > 0x20 && c < 0x7F && c != '\\') {
      shown += c;
    } else {
      shown += {'\\', 'x', kHex[(c & 0xFF) >> 4], kHex[c & 0xF]};
    }
  }
  return shown;
}

std::string Spans(const std::string& pattern, const std::string& data, int flags, int start) {
  const SearchResult result = CompiledPattern::Compile(pattern, flags).Search(data, start);
  if (result.Failed()) return DescribeSearchStatus(result.status);
  if (!result.Matched()) return "no match";
  std::string out;
  for (std::size_t group = 0; group < result.spans.groups.size(); ++group) {
    if (group > 0) out += ' ';
    const GroupSpan& span = result.spans.groups[group];
    out += 'g' + std::to_string(group) + '=';
    out += span.start < 0 ? "-" : std::to_string(span.start) + ',' + std::to_string(span.end);
  }
  return out;
}

std::vector<ConformanceRow> ReadConformanceTable() {
  const std::string path = std::string(KV_SOURCE_DIR) + "/tests/pattern/conformance.txt";
  std::ifstream in(path, std::ios::binary);
  std::vector<ConformanceRow> rows;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    const std::string where = path + ":" + std::to_string(number) + ": " + line;
    // The pattern ends at the first tab after the expected answer's; a tab
    // in the data is a raw byte, which DecodeField refuses.
    const std::size_t tab = line.find('\t', 2);
    std::optional<std::string> pattern;
    std::optional<std::string> data;
    if (line.size() > 2 && (line[0] == '0' || line[0] == '1') && line[1] == '\t' &&
        tab != std::string::npos) {
      pattern = DecodeField(std::string_view(line).substr(2, tab - 2));
      data = DecodeField(std::string_view(line).substr(tab + 1));
    }
    // A zero byte cannot stand in a NUL-ended pattern.
    if (!pattern || !data || pattern->find('\0') != std::string::npos) {
      throw std::runtime_error("malformed row (write bytes as %HH) at " + where);
    }
    rows.push_back({where, line[0] - '0', *pattern, *data});
  }
  if (rows.size() < 400) throw std::runtime_error(path + " is missing or holds too few rows");
  return rows;
}

}  // namespace kv::testing
