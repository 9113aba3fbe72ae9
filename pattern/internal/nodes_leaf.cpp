// Matching and dumps of the leaf nodes. A left-to-right node reads the byte
// at the position, a right-to-left node the byte before it; every comparison
// is on signed byte values.
#include "pattern/internal/nodes_leaf.h"

#include <algorithm>
#include <cstdlib>

#include "pattern/internal/char_types.h"
#include "pattern/internal/match_state.h"

namespace kv {
namespace {

// The byte a one-byte node examines, or kNoByte outside the text.
constexpr int kNoByte = -1000;

int ExaminedByte(const MatchState& state, bool rightToLeft) {
  const int index = rightToLeft ? state.position - 1 : state.position;
  if (index < 0 || index >= state.length) return kNoByte;
  return state.ByteAt(index);
}

void StepOne(MatchState& state, bool rightToLeft, bool forward) {
  state.position += (rightToLeft == forward) ? -1 : 1;
}

// Compares `count` bytes of the text at `a` and at `b`.
bool SameText(const MatchState& state, int a, int b, int count, bool ignoreCase) {
  for (int i = 0; i < count; ++i) {
    if (!chartype::SameByte(state.ByteAt(a + i), state.ByteAt(b + i), ignoreCase)) return false;
  }
  return true;
}

}  // namespace

int EmptyNode::Match(MatchState&) const { return 1; }
int EmptyNode::MatchNext(MatchState&) const { return 0; }
int LiteralNode::Match(MatchState& state) const {
  const int count = static_cast<int>(text.size());
  const int from = rightToLeft ? state.position - count : state.position;
  if (from < 0 || count > state.length - from) return 0;
  for (int i = 0; i < count; ++i) {
    if (!chartype::SameByte(state.ByteAt(from + i), static_cast<signed char>(text[i]),
                            ignoreCase)) {
      return 0;
    }
  }
  state.position = rightToLeft ? from : from + count;
  return 1;
}

int LiteralNode::MatchNext(MatchState& state) const {
  const int count = static_cast<int>(text.size());
  state.position += rightToLeft ? count : -count;
  return 0;
}

bool CharClassNode::Holds(int c) const {
  for (const CharRange& range : ranges) {
    if (range.low <= c && c <= range.high) return true;
  }
  return std::find(singles.begin(), singles.end(), c) != singles.end();
}

int CharClassNode::Match(MatchState& state) const {
  const int c = ExaminedByte(state, rightToLeft);
  if (c == kNoByte) return 0;
  bool in = Holds(c);
  for (auto it = embedded.begin(); !in && it != embedded.end(); ++it) {
    const int position = state.position;
    in = MatchChild(**it, state) != 0;
    state.position = position;
  }
  if (in != positive) return 0;
  StepOne(state, rightToLeft, true);
  return 1;
}

int CharClassNode::MatchNext(MatchState& state) const {
  StepOne(state, rightToLeft, false);
  return 0;
}

int PosixClassNode::Match(MatchState& state) const {
  if (predicate == nullptr) return 0;
  const int c = ExaminedByte(state, rightToLeft);
  if (c == kNoByte || predicate(c) != positive) return 0;
  StepOne(state, rightToLeft, true);
  return 1;
}

int PosixClassNode::MatchNext(MatchState& state) const {
  StepOne(state, rightToLeft, false);
  return 0;
}

int BoundaryNode::Match(MatchState& state) const {
  const int position = state.position;
  const int length = state.length;
  const int before = position > 0 && position <= length ? state.ByteAt(position - 1) : 0;
  const int at = position >= 0 && position < length ? state.ByteAt(position) : 0;
  bool holds = false;
  switch (kind) {
    case BoundaryKind::kTextStart:
      holds = position <= 0;
      break;
    case BoundaryKind::kTextEnd:
      holds = position >= length;
      break;
    case BoundaryKind::kTextEndOrFinalBreak:
      holds = position >= length ||
              (length >= 1 && state.ByteAt(length - 1) == 0x0A && position == length - 1) ||
              (length >= 2 && state.ByteAt(length - 2) == 0x0D &&
               state.ByteAt(length - 1) == 0x0A && position == length - 2);
      break;
    case BoundaryKind::kLineStart:
      holds = position <= 0 || before == 0x0A || (before == 0x0D && at != 0x0A);
      break;
    case BoundaryKind::kLineEnd:
      holds = position >= length || at == 0x0D || (at == 0x0A && before != 0x0D);
      break;
    case BoundaryKind::kWordEdge:
      holds = chartype::IsWordByte(before) != chartype::IsWordByte(at);
      break;
  }
  return holds == positive ? 1 : 0;
}

int BoundaryNode::MatchNext(MatchState&) const { return 0; }

int SearchStartNode::Match(MatchState& state) const {
  return state.position == state.searchStart ? 1 : 0;
}

int SearchStartNode::MatchNext(MatchState&) const { return 0; }

int BackrefNode::Match(MatchState& state) const {
  const int record = state.FindRecord(group);
  if (record < 0) return 0;
  const int start = state.captures[static_cast<std::size_t>(record) + kRecordStart];
  int end = state.captures[static_cast<std::size_t>(record) + kRecordEnd];
  if (end == -1) end = state.position;  // the group is still open
  const int from = std::min(start, end);
  const int count = std::abs(end - start);
  const int at = rightToLeft ? state.position - count : state.position;
  if (at < 0 || count > state.length - at) return 0;
  if (!SameText(state, from, at, count, ignoreCase)) return 0;
  state.Push(state.position);
  state.position = rightToLeft ? at : at + count;
  return 1;
}

int BackrefNode::MatchNext(MatchState& state) const {
  state.position = state.Pop();
  return 0;
}

}  // namespace kv
