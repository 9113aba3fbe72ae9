// ExistenceNfa: a Thompson automaton of a compiled tree that is purely
// regular (literals, classes, groups, alternation, greedy or lazy repeats),
// for the one question a verdict needs: does the pattern match anywhere?
// Which match the backtracker would report depends on the order of
// alternatives and on greediness; whether there is one does not, so the
// automaton keeps neither, nor captures.
//
// Entry point: BuildExistenceNfa, of the pattern or of its mirror image
// (read from the end of a match backwards). Each one-byte leaf becomes a state with
// the set of bytes it accepts, found by running the leaf's own Match on each
// of the 256 one-byte texts, so case folding, class membership, embedded
// classes and the dot are the backtracker's by construction. Anything else
// (back-references, lookaround, atomic and possessive groups, conditions,
// recursion, anchors, right-to-left nodes) declines: nullopt, and the
// backtracker stays in charge.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pattern/internal/class_bytes.h"
#include "pattern/internal/compiled_tree.h"

namespace kv {

struct NfaState {
  enum class Kind : std::uint8_t { kBytes, kSplit, kMatch };
  Kind kind = Kind::kMatch;
  int next = -1;     // kBytes: the state after the byte; kSplit: one way on
  int other = -1;    // kSplit: the other way on, -1 for none
  int byteSet = -1;  // kBytes: index into ExistenceNfa::byteSets
};

struct ExistenceNfa {
  std::vector<NfaState> states;
  int start = 0;
  std::vector<ByteSet> byteSets;  // the distinct sets of the kBytes states
  // Bytes that no set tells apart share a class, so the automaton's tables
  // need a column per class, not per byte.
  std::array<std::uint8_t, 256> byteClass{};
  std::vector<std::uint8_t> classByte;  // one byte of each class
  // An open repeat (`*`, `+`, `{n,}`) is a loop here, while the backtracker
  // counts its copies up to a huge bound; the two agree on buffers shorter
  // than the least such bound, since every counted copy consumes a byte.
  std::size_t exactBelow = SIZE_MAX;
  // A literal every match ends with (compared exactly), or empty.
  std::string suffix;
};

// `reversed`: the automaton of the pattern read backwards.
std::optional<ExistenceNfa> BuildExistenceNfa(const CompiledTree& tree, bool reversed = false);

}  // namespace kv
