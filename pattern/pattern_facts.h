// PatternFacts: what can be known about a compiled pattern before it meets
// any data, so that a scanner can skip work that cannot lead to a match.
//
// Entry point: AnalysePattern. Two kinds of fact:
// - where a match can start (StartFilter): the bytes a match can begin
//   with, or a literal every match holds at a fixed distance from its
//   start, so the search tries only the positions that fit; FastSearch
//   (fast_search.h) uses it.
// - which literals a match needs (requiredFactors): at least one of them
//   occurs in any buffer the pattern matches, so a buffer holding none of
//   them cannot match and need not be searched at all.
// The analysis is conservative: wherever it cannot tell, it says so
// (every position, no factors), and the search then does all the work.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "pattern/compiled_pattern.h"

namespace kv {

// A literal byte string; `caseless` compares ASCII letters ignoring case
// (bytes 0x80-0xFF have no case).
struct LiteralFactor {
  std::string bytes;
  bool caseless = false;
  bool operator==(const LiteralFactor&) const = default;
};

struct StartFilter {
  enum class Kind {
    kEveryPosition,  // nothing known: every position is tried
    kFirstBytes,     // only positions holding one of firstBytes
    kPrefix,         // only positions `prefixOffset` bytes before a `prefix`
  };
  Kind kind = Kind::kEveryPosition;
  std::array<bool, 256> firstBytes{};  // indexed by the byte's unsigned value
  std::string prefix;                  // compared exactly
  int prefixOffset = 0;                // bytes every match has before `prefix`
};

struct PatternFacts {
  StartFilter start;
  // At least one of these occurs in every buffer the pattern matches; an
  // empty list means it can match no buffer at all; nullopt means the
  // analysis cannot tell, and the pattern must always be searched.
  std::optional<std::vector<LiteralFactor>> requiredFactors;
  // The pattern repeats something that can itself match in several ways
  // (a repeat or alternation inside a repeat), or recurses: its attempts
  // can cost far more than the text they cover. A diagnostic: every search
  // gets at least the reference's budget, whatever its shape.
  bool mayBacktrackHard = false;
};

PatternFacts AnalysePattern(const CompiledPattern& pattern);

}  // namespace kv
