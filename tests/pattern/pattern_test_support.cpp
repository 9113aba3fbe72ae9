// Shared helpers of the pattern engine's tests (see pattern_test_support.h).
#include "pattern_test_support.h"

#include "pattern/match_pattern.h"
#include "pattern/pattern_compiler.h"
#include "pattern/pattern_dump.h"

namespace kv::test {
namespace {

// As conformance.txt writes a field: printable ASCII as it is, every other
// byte and the percent sign as %HH, so that listings cannot mistake a raw
// byte for an escape of the pattern language.
std::string Readable(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F && c != '%') {
      out += static_cast<char>(c);
    } else {
      out += {'%', kHex[c >> 4], kHex[c & 0xF]};
    }
  }
  return out;
}

// Calls `visit` for every token up to and including the end token. A bound
// on the count guards the test against a reader that never ends.
template <typename Visit>
void ForEachToken(const std::string& pattern, int flags, Visit visit) {
  PatternTokenReader reader;
  reader.Start(pattern.data(), static_cast<int>(pattern.size()), flags);
  for (std::size_t i = 0; i <= pattern.size(); ++i) {
    visit(reader.Curr());
    if (IsEnd(reader.Curr())) return;
    reader.Advance();
  }
}

}  // namespace

void PrintTo(const PatternRow& row, std::ostream* out) {
  *out << '`' << Readable(row.pattern) << '`';
  if (row.flags != 0) *out << " flags " << row.flags;
}

void PrintTo(const SearchRow& row, std::ostream* out) {
  PrintTo(PatternRow{row.pattern, "", row.flags}, out);
  *out << " on `" << Readable(row.data) << '`';
  if (row.start != 0) *out << " start " << row.start;
}

int Match(const std::string& pattern, const std::string& data) {
  return MatchPattern(pattern.c_str(), data.data(), static_cast<int>(data.size()), 0);
}

std::string Tokens(const std::string& pattern, int flags) {
  std::string out;
  ForEachToken(pattern, flags, [&out](const PatternToken& token) {
    if (IsEnd(token)) return;
    if (!out.empty()) out += ' ';
    if (token.special != 0) out += '!';
    dump::AppendByte(out, token.ch, "");
  });
  return out;
}

std::string Positions(const std::string& pattern, int flags) {
  std::string out;
  ForEachToken(pattern, flags, [&out](const PatternToken& token) {
    if (!out.empty()) out += ' ';
    out += std::to_string(token.pos) + '+' + std::to_string(token.len);
  });
  return out;
}

std::string Compiled(const std::string& pattern, int flags) {
  PatternCompiler compiler;
  compiler.Compile(pattern.data(), static_cast<int>(pattern.size()), flags);
  return compiler.Dump();
}

std::string Spans(const std::string& pattern, const std::string& data, int flags, int start) {
  PatternCompiler compiler;
  compiler.Compile(pattern.data(), static_cast<int>(pattern.size()), flags);
  const MatchSpans spans = compiler.Search(data.data(), static_cast<int>(data.size()), start);
  if (IsMatched(spans) == 0) return "no match";
  std::string out;
  for (int group = 0; group <= spans[1]; ++group) {
    if (group > 0) out += ' ';
    const int from = spans[2 + 2 * group];
    out += 'g' + std::to_string(group) + '=';
    out += from < 0 ? "-" : std::to_string(from) + ',' + std::to_string(spans[3 + 2 * group]);
  }
  return out;
}

}  // namespace kv::test
