// The search: every start position from `start` to the end of the buffer
// (leftwards under PF_RIGHT_TO_LEFT) is a full backtracking attempt of the
// top node, in order, with nothing precomputed and no position skipped. A
// pattern that can match empty therefore matches at `start`, in any buffer.
//
// MatchPattern is the scan engine's entry: compile, search, answer, keep
// nothing.
#include <algorithm>
#include <climits>
#include <cstring>

#include "pattern/match_pattern.h"
#include "pattern/match_state.h"
#include "pattern/pattern_compiler.h"
#include "pattern/pattern_flags.h"
#include "platform/limits.h"

namespace kv {
namespace {

MatchSpans SpansOf(const MatchState& state, int highestGroup) {
  MatchSpans spans(2 * static_cast<std::size_t>(highestGroup) + 4, -1);
  spans[0] = 1;
  spans[1] = highestGroup;
  for (int group = 0; group <= highestGroup; ++group) {
    const int record = state.FindRecord(group);
    if (record < 0) continue;
    const int start = state.captures[static_cast<std::size_t>(record) + kRecordStart];
    const int end = state.captures[static_cast<std::size_t>(record) + kRecordEnd];
    spans[2 + 2 * static_cast<std::size_t>(group)] = std::min(start, end);
    spans[3 + 2 * static_cast<std::size_t>(group)] = std::max(start, end);
  }
  return spans;
}

}  // namespace

MatchSpans PatternCompiler::Search(const char* data, int length, int start) const {
  if (topNode_ == nullptr) return {};
  if (data == nullptr || length < 0) length = 0;
  const bool rightToLeft = (flags_ & PF_RIGHT_TO_LEFT) != 0;
  if (start < 0) start = rightToLeft ? length : 0;
  if (start > length) start = rightToLeft ? length : length + 1;
  const int end = rightToLeft ? -1 : length + 1;
  const int step = rightToLeft ? -1 : 1;

  MatchState state;
  state.text = data;
  state.length = length;
  state.searchStart = start;
  state.stepBudget =
      limits::kPatternStepBase + limits::kPatternStepsPerByte * (static_cast<unsigned>(length) + 1);
  for (int attempt = start; attempt != end; attempt += step) {
    state.backtrack.clear();
    state.captures.clear();
    state.captureIndex.clear();
    state.EnsureCaptureIndex(highestGroup_);
    state.captureIndex[0] = 0;
    state.captures = {0, attempt, -1, -1};
    state.position = attempt;
    if (MatchChild(*topNode_, state) != 0) {
      state.captures[kRecordEnd] = state.position;  // where the match ended
      return SpansOf(state, highestGroup_);
    }
  }
  return {};
}

int MatchPattern(const char* pattern, const char* data, int length, int start) {
  PatternCompiler compiler;
  const std::size_t size = pattern != nullptr ? std::strlen(pattern) : 0;
  compiler.Compile(pattern, static_cast<int>(std::min<std::size_t>(size, INT_MAX)), 0);
  return IsMatched(compiler.Search(data, length, start)) != 0 ? 1 : 0;
}

}  // namespace kv
