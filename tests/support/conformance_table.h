// The pattern conformance table, tests/pattern/conformance.txt: one case per
// line, "expected<TAB>pattern<TAB>data", written from the language's
// description alone and independently of the engine. In pattern and data,
// %HH stands for one byte, so the table stays printable ASCII while the
// cases hold tabs, line breaks, zero bytes and bytes 0x80-0xFF; lines
// starting with # and blank lines are comments.
//
// Read by the engine's own conformance test and by the end-to-end test of
// `tarnsig match-batch`, so both answer the same cases.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace kv::testing {

inline const std::string kConformanceTablePath =
    std::string(KV_SOURCE_DIR) + "/tests/pattern/conformance.txt";

// Far fewer rows than this means the table was cut or mostly skipped.
inline constexpr std::size_t kMinimumRows = 400;

struct ConformanceRow {
  int line = 0;
  int expected = 0;
  std::string patternText;  // as written in the table, for messages
  std::string dataText;
  std::string pattern;  // decoded
  std::string data;
};

inline int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes the %HH escapes of one field. Raw bytes outside printable ASCII
// are refused: they must be written as escapes, so that an editor cannot
// change a case without anyone seeing it.
inline bool DecodeField(std::string_view text, std::string& out, std::string& error) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c < 0x20 || c > 0x7E) {
      error = "raw byte outside printable ASCII (write it as %HH)";
      return false;
    }
    if (c != '%') {
      out += c;
      continue;
    }
    const int high = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? HexDigitValue(text[i + 2]) : -1;
    if (high < 0 || low < 0) {
      error = "% not followed by two hex digits (write a percent as %25)";
      return false;
    }
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

inline bool ParseRow(std::string_view line, ConformanceRow& row, std::string& error) {
  const std::size_t firstTab = line.find('\t');
  const std::size_t secondTab =
      firstTab == std::string_view::npos ? firstTab : line.find('\t', firstTab + 1);
  if (secondTab == std::string_view::npos || line.find('\t', secondTab + 1) != line.npos) {
    error = "a row needs exactly three tab-separated fields";
    return false;
  }
  const std::string_view expected = line.substr(0, firstTab);
  if (expected != "0" && expected != "1") {
    error = "expected must be 0 or 1";
    return false;
  }
  row.expected = expected[0] - '0';
  row.patternText = line.substr(firstTab + 1, secondTab - firstTab - 1);
  row.dataText = line.substr(secondTab + 1);
  if (!DecodeField(row.patternText, row.pattern, error) ||
      !DecodeField(row.dataText, row.data, error)) {
    return false;
  }
  if (row.pattern.find('\0') != std::string::npos) {
    error = "a pattern is NUL-terminated text and cannot hold a zero byte";
    return false;
  }
  return true;
}

// Reads the whole table. Stops at the first malformed row with `error`
// naming its line.
inline bool ReadConformanceTable(std::istream& in, std::vector<ConformanceRow>& rows, std::string& error) {
  rows.clear();
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (line.empty() || line[0] == '#') continue;
    ConformanceRow row;
    row.line = lineNumber;
    std::string reason;
    if (!ParseRow(line, row, reason)) {
      error = "line " + std::to_string(lineNumber) + ": " + reason;
      return false;
    }
    rows.push_back(std::move(row));
  }
  return true;
}

inline std::string Describe(const ConformanceRow& row) {
  return "line " + std::to_string(row.line) + ": pattern `" + row.patternText + "` on data `" +
         row.dataText + "`";
}

}  // namespace kv::testing
