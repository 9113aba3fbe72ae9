// tarnsig's pattern verbs: `match PATTERN FILE` (does the pattern occur in
// the file's bytes?) and `match-batch` (one answer per stdin line
// "<pattern as hex>\t<data as hex>": 1, 0, or E for a malformed line or one
// whose search went over the engine's bounds). Both compile with no flags
// and search from offset 0, as the scan engine does: the fast way (the
// pattern as the only signature of a snapshot, searched through its literal
// prefilter and start filter), or with --reference the reference way
// (MatchPattern; every start position tried).
//
// match-batch compiles with the pattern's explicit length, so patterns
// holding zero bytes are taken whole; its reference way is therefore
// CompiledPattern::Search, MatchPattern's search without the text's NUL end. Answers go to
// std::cout one line each without explicit flushes: the C library line-
// buffers a terminal and block-buffers a pipe or file, and the rest is
// flushed once at the end.
#include <iostream>
#include <new>
#include <string>
#include <string_view>

#include "pattern/compiled_pattern.h"
#include "pattern/engine_failure.h"
#include "pattern/match_pattern.h"
#include "scan/signature_search.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kMatchVerb = "match";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Decodes pairs of hex digits; false for an odd length or a non-hex char.
bool DecodeHex(std::string_view hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  bytes.clear();
  bytes.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]);
    const int low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes += static_cast<char>(high * 16 + low);
  }
  return true;
}

// The fast way's answer for one pattern: the only signature of a snapshot.
SearchResult FastAnswer(const std::string& pattern, std::string_view data) {
  const std::shared_ptr<const SignatureDatabase> database =
      SignatureDatabase::OfCharacterSignatures({{pattern, ""}});
  const Verdict verdict = FastSignatureSearch(*database).Match(data, nullptr);
  switch (verdict.kind) {
    case Verdict::Kind::kInfected:
      return {SearchStatus::kMatch, {}};
    case Verdict::Kind::kNotChecked:
      return {verdict.engineStatus, {}};
    case Verdict::Kind::kClean:
      break;
  }
  return {};
}

// The answer for one batch line: '1', '0' or 'E'.
char AnswerLine(std::string_view line, bool reference) {
  // Data hex holds no CR, so a CR before the LF can only be a CR LF line end.
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::size_t tab = line.find('\t');
  if (tab == std::string_view::npos) return 'E';
  std::string pattern;
  std::string data;
  if (!DecodeHex(line.substr(0, tab), pattern) || !DecodeHex(line.substr(tab + 1), data)) {
    return 'E';
  }
  const SearchResult result =
      reference ? CompiledPattern::Compile(pattern).Search(data) : FastAnswer(pattern, data);
  if (result.Failed()) return 'E';
  return result.Matched() ? '1' : '0';
}

}  // namespace

int RunMatch(const Args& arguments) {
  Args args = arguments;
  const bool reference = TakeReferenceSwitch(args);
  if (args.size() != 2) return UsageError(kMatchVerb, "expected 2 arguments");
  std::string content;
  if (const int status = ReadSearchableFile(kMatchVerb, args[1], content); status != kExitOk) {
    return status;
  }
  if (!reference) {
    const SearchResult result = FastAnswer(args[0], content);
    if (result.Failed()) return Fail(std::string("match: ") + DescribeSearchStatus(result.status));
    std::cout << (result.Matched() ? 1 : 0) << '\n' << std::flush;
    return kExitOk;
  }
  try {
    const int matched =
        MatchPattern(args[0].c_str(), content.data(), static_cast<int>(content.size()), 0);
    std::cout << matched << '\n' << std::flush;
  } catch (const PatternEngineFailure& failure) {
    return Fail(std::string("match: ") + failure.what());
  } catch (const std::bad_alloc&) {
    return Fail("match: out of memory");
  }
  return kExitOk;
}

int RunMatchBatch(const Args& arguments) {
  Args args = arguments;
  const bool reference = TakeReferenceSwitch(args);
  if (!args.empty()) return UsageError("match-batch", "unexpected argument '" + args[0] + "'");
  std::string line;
  while (std::getline(std::cin, line)) {
    std::cout << AnswerLine(line, reference) << '\n';
  }
  std::cout.flush();
  if (std::cin.bad()) return Fail("match-batch: cannot read standard input");
  return kExitOk;
}

}  // namespace kv::tarnsig
