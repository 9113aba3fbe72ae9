// Shared helpers of the pattern engine's tests (see pattern_test_support.h).
#include "pattern_test_support.h"

#include "pattern/pattern_compiler.h"
#include "pattern/pattern_dump.h"

namespace kv::test {

std::string Tokens(const std::string& pattern, int flags) {
  PatternTokenReader reader;
  reader.Start(pattern.data(), static_cast<int>(pattern.size()), flags);
  std::string out;
  // A bound on the count guards the test against a reader that never ends.
  for (std::size_t i = 0; i <= pattern.size() && !IsEnd(reader.Curr()); ++i) {
    if (!out.empty()) out += ' ';
    if (reader.Curr().special != 0) out += '!';
    dump::AppendByte(out, reader.Curr().ch, "");
    reader.Advance();
  }
  return out;
}

std::string Compiled(const std::string& pattern, int flags) {
  PatternCompiler compiler;
  compiler.Compile(pattern.data(), static_cast<int>(pattern.size()), flags);
  return compiler.Dump();
}

int Matches(const std::string& pattern, const std::string& data, int flags, int start) {
  PatternCompiler compiler;
  compiler.Compile(pattern.data(), static_cast<int>(pattern.size()), flags);
  return IsMatched(compiler.Search(data.data(), static_cast<int>(data.size()), start));
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
    const int to = spans[3 + 2 * group];
    out += 'g' + std::to_string(group) + '=';
    out += from < 0 ? "-" : std::to_string(from) + ',' + std::to_string(to);
  }
  return out;
}

}  // namespace kv::test
