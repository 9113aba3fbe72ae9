// Repetition. The fixed part is a chain of `fixed` copies of the sub node
// (node_chain.h). The optional copies keep their count on the backtrack
// stack; the lazy repeat also keeps, under each count, the position where
// the latest copy began, so that it can tell whether a copy's other way
// still moves.
//
// Backtracking into a greedy repeat asks only the latest copy for another
// way, or gives that copy up; it never grows the repeat again. That is why
// `(a*)*b` costs quadratic rather than exponential time here.
#include "pattern/internal/nodes_repeat.h"

#include <climits>

#include "pattern/internal/match_state.h"
#include "pattern/internal/node_chain.h"
#include "pattern/internal/pattern_dump.h"
#include "pattern/internal/sealed_match.h"

namespace kv {

int RepeatNode::Match(MatchState& state) const { return MatchFixed(state); }

int RepeatNode::MatchNext(MatchState& state) const { return MatchNextFixed(state); }

void RepeatNode::Dump(std::string& out) const { DumpAs(out, "Repeat", 0); }

int RepeatNode::MatchFixed(MatchState& state) const {
  return MatchChain(
      state, fixed, [this](int) -> const PatternNode& { return *sub; }, false);
}

int RepeatNode::MatchNextFixed(MatchState& state) const {
  return MatchChain(
      state, fixed, [this](int) -> const PatternNode& { return *sub; }, true);
}

int RepeatNode::MatchMoving(MatchState& state) const {
  const int start = state.position;
  if (MatchChild(*sub, state) == 0) return 0;
  while (state.position == start) {
    if (MatchNextChild(*sub, state) == 0) return 0;
  }
  return 1;
}

void RepeatNode::DumpAs(std::string& out, const char* kind, long long extra) const {
  out += kind;
  out += '{' + std::to_string(fixed);
  if (extra != 0) {
    const long long most = fixed + extra;
    out += ',';
    out += most >= INT_MAX ? "+inf" : std::to_string(most);
  }
  out += "}(";
  dump::AppendNode(out, sub);
  out += ')';
}

int GreedyRepeatNode::Match(MatchState& state) const {
  if (MatchFixed(state) == 0) return 0;
  MatchMore(state);
  return 1;
}

int GreedyRepeatNode::MatchNext(MatchState& state) const {
  if (MatchNextMore(state) != 0) return 1;
  if (MatchNextFixed(state) == 0) return 0;
  MatchMore(state);
  return 1;
}

void GreedyRepeatNode::Dump(std::string& out) const { DumpAs(out, "Greedy", extra); }

void GreedyRepeatNode::MatchMore(MatchState& state) const {
  int count = 0;
  while (count < extra && MatchMoving(state) != 0) ++count;
  state.Push(count);
}

int GreedyRepeatNode::MatchNextMore(MatchState& state) const {
  const int count = state.Pop();
  if (count == 0) return 0;
  state.Push(MatchNextChild(*sub, state) != 0 ? count : count - 1);
  return 1;
}

int LazyRepeatNode::Match(MatchState& state) const {
  if (MatchFixed(state) == 0) return 0;
  state.Push(0);
  return 1;
}

int LazyRepeatNode::MatchNext(MatchState& state) const {
  if (LazyMatchNextMore(state) != 0) return 1;
  if (MatchNextFixed(state) == 0) return 0;
  state.Push(0);
  return 1;
}

void LazyRepeatNode::Dump(std::string& out) const { DumpAs(out, "Lazy", extra); }

int LazyRepeatNode::LazyMatchNextMore(MatchState& state) const {
  const int start = state.position;
  int count = state.Pop();
  if (count < extra && MatchMoving(state) != 0) {
    state.Push(start);
    state.Push(count + 1);
    return 1;
  }
  // No further copy: look for another way of the latest copies, latest first.
  while (count > 0) {
    const int copyStart = state.Pop();
    while (MatchNextChild(*sub, state) != 0) {
      if (state.position != copyStart) {
        state.Push(copyStart);
        state.Push(count);
        return 1;
      }
    }
    --count;
  }
  return 0;
}

int PossessiveRepeatNode::Match(MatchState& state) const {
  return MatchSealed(state, [&] { return GreedyRepeatNode::Match(state); });
}

int PossessiveRepeatNode::MatchNext(MatchState& state) const { return UndoSealed(state); }

void PossessiveRepeatNode::Dump(std::string& out) const { DumpAs(out, "Possessive", extra); }

}  // namespace kv
