// The pattern conformance table, tests/pattern/conformance.txt: one case per
// line, "expected<TAB>pattern<TAB>data", written from the language's
// description alone and independently of the engine. In pattern and data,
// %HH stands for one byte, so the table stays printable ASCII while the
// cases hold tabs, line breaks, zero bytes and bytes 0x80-0xFF; lines
// starting with # and blank lines are comments.
//
// Read by the engine's own conformance test and by the end-to-end test of
// `tarnsig match-batch`, so both answer the same cases. The reader throws on
// anything it cannot take, naming the line, so a damaged table fails loudly
// instead of silently testing less.
#pragma once

#include <fstream>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kv::testing {

inline const std::string kConformanceTablePath =
    std::string(KV_SOURCE_DIR) + "/tests/pattern/conformance.txt";

struct ConformanceRow {
  int line = 0;
  int expected = 0;
  std::string pattern;  // decoded
  std::string data;
  std::string text;  // as written, for messages
};

// Decodes the %HH escapes of one field, or nullopt when it holds a % without
// two hex digits or a raw byte outside printable ASCII: such bytes must be
// escaped, so that an editor cannot change a case without anyone seeing.
inline std::optional<std::string> DecodeField(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const std::string_view hex = field.substr(i + 1, 2);
    if (field[i] < 0x20 || field[i] > 0x7E) return std::nullopt;
    if (field[i] != '%') {
      out += field[i];
      continue;
    }
    if (hex.size() < 2 || hex.find_first_not_of("0123456789abcdefABCDEF") != hex.npos) {
      return std::nullopt;
    }
    out += static_cast<char>(std::stoi(std::string(hex), nullptr, 16));
    i += 2;
  }
  return out;
}

// Reads a table; `name` stands for it in the message of a malformed row.
inline std::vector<ConformanceRow> ReadConformanceTable(std::istream& in, const std::string& name) {
  std::vector<ConformanceRow> rows;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#') continue;
    const auto fail = [&](const char* reason) {
      return std::runtime_error(name + ":" + std::to_string(number) + ": " + reason);
    };
    const std::size_t tab = line.find('\t');
    const std::size_t secondTab = line.find('\t', tab + 1);  // npos too when tab is npos
    if (secondTab == line.npos || line.find('\t', secondTab + 1) != line.npos) {
      throw fail("a row needs exactly three tab-separated fields");
    }
    if (tab != 1 || (line[0] != '0' && line[0] != '1')) throw fail("expected must be 0 or 1");
    const auto pattern = DecodeField(std::string_view(line).substr(2, secondTab - 2));
    const auto data = DecodeField(std::string_view(line).substr(secondTab + 1));
    if (!pattern || !data) throw fail("raw byte or bare % in a field (write bytes as %HH)");
    if (pattern->find('\0') != std::string::npos) throw fail("zero byte in a NUL-ended pattern");
    rows.push_back({number, line[0] - '0', *pattern, *data, line});
  }
  return rows;
}

// Reads the real table. Far fewer rows than 400 means it was cut or mostly
// skipped.
inline std::vector<ConformanceRow> ReadConformanceTable() {
  std::ifstream in(kConformanceTablePath, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + kConformanceTablePath);
  std::vector<ConformanceRow> rows = ReadConformanceTable(in, kConformanceTablePath);
  if (rows.size() < 400) throw std::runtime_error(kConformanceTablePath + " holds too few rows");
  return rows;
}

inline std::string Describe(const ConformanceRow& row) {
  return "line " + std::to_string(row.line) + ": " + row.text;
}

}  // namespace kv::testing
