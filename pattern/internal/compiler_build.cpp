// The grammar's outer levels: alternation, sequence, repetition and atoms
// (literal runs, boundaries, back-references), and the dispatch of an atom
// to the class and group builders.
//
// `flags` goes by value into an alternation and by reference through a
// sequence, so an inline modifier such as `(?i)` holds for the rest of its
// own alternation, later alternatives included.
#include <algorithm>
#include <climits>
#include <string_view>

#include "pattern/internal/char_types.h"
#include "pattern/internal/compiler.h"
#include "pattern/pattern_flags.h"

namespace kv {
namespace {

bool EndsSequence(const PatternToken& token) {
  return IsEnd(token) || IsSpecial(token, '|') || IsSpecial(token, ')');
}

}  // namespace

PatternNode* PatternCompiler::BuildAlternation(int flags) {
  if (IsEnd(Curr())) return StockNode(kStockEmpty);
  PatternNode* first = BuildSequence(flags);
  if (!IsSpecial(Curr(), '|')) return first;
  AlternationNode* alternation = Create<AlternationNode>();
  alternation->items.push_back(first);
  while (IsSpecial(Curr(), '|')) {
    Advance();
    alternation->items.push_back(BuildSequence(flags));
  }
  return alternation;
}

PatternNode* PatternCompiler::BuildSequence(int& flags) {
  if (EndsSequence(Curr())) return StockNode(kStockEmpty);
  PatternNode* first = BuildRepeat(flags);
  if (EndsSequence(Curr())) return first;
  SequenceNode* sequence = Create<SequenceNode>((flags & PF_RIGHT_TO_LEFT) != 0);
  sequence->items.push_back(first);
  while (!EndsSequence(Curr())) sequence->items.push_back(BuildRepeat(flags));
  return sequence;
}

PatternNode* PatternCompiler::BuildRepeat(int& flags) {
  PatternNode* atom = BuildAtom(flags);
  if (Curr().special == 0) return atom;
  int least = 0;
  int most = 0;
  switch (Curr().ch) {
    case '*':
      most = INT_MAX;
      break;
    case '+':
      least = 1;
      most = INT_MAX;
      break;
    case '?':
      most = 1;
      break;
    case '{': {
      Advance();
      const std::string text =
          CollectUntil([](const PatternToken& t) { return IsSpecial(t, '}'); });
      std::string_view rest = text;
      if (ReadDecimal(rest, least) && !rest.empty() && rest.front() == ',') {
        rest.remove_prefix(1);
        if (!ReadDecimal(rest, most)) most = INT_MAX;
        most = std::max(most, least);
      } else {
        most = least;  // also {,3} and {x}: both 0, the atom is dropped
      }
      break;
    }
    default:
      return atom;
  }
  Advance();  // the quantifier, or the `}`
  if (most == 0) return StockNode(kStockEmpty);
  if (least == most) {
    if (IsSpecial(Curr(), '?') || IsSpecial(Curr(), '+')) Advance();
    return Create<RepeatNode>(atom, least);
  }
  const int extra = most - least;
  if (IsSpecial(Curr(), '?')) {
    Advance();
    return Create<LazyRepeatNode>(atom, least, extra);
  }
  if (IsSpecial(Curr(), '+')) {
    Advance();
    return Create<PossessiveRepeatNode>(atom, least, extra);
  }
  return Create<GreedyRepeatNode>(atom, least, extra);
}

PatternNode* PatternCompiler::BuildAtom(int& flags) {
  std::string run;
  while (!IsEnd(Curr())) {
    if (Curr().special == 0) {
      // A quantified character is an atom of its own.
      const bool quantified = IsSpecialIn(Next(), "{?*+");
      if (quantified && !run.empty()) break;
      run += static_cast<char>(Curr().ch);
      Advance();
      if (quantified) break;
      continue;
    }
    if (IsSpecial(Curr(), ')') || IsSpecial(Curr(), '|') || !run.empty()) break;
    if (IsSpecial(Curr(), '(')) return BuildGroup(flags);
    if (IsSpecialIn(Curr(), "[.wWsSdD")) return BuildClass(flags);
    if (IsSpecialIn(Curr(), "^$AZzbBG")) return BuildBoundary(flags);
    if (IsSpecialIn(Curr(), "\\gk")) return BuildBackref(flags);
    // A quantifier or brace with nothing before it stands for itself.
    run += static_cast<char>(Curr().ch);
    Advance();
  }
  if (run.empty()) return StockNode(kStockEmpty);
  return Create<LiteralNode>(run, (flags & PF_RIGHT_TO_LEFT) != 0, (flags & PF_IGNORE_CASE) != 0);
}

PatternNode* PatternCompiler::BuildBoundary(int& flags) {
  const int kind = Curr().ch;
  Advance();
  const bool multiLine = (flags & PF_MULTI_LINE) != 0;
  switch (kind) {
    case '^':
      return Create<BoundaryNode>(multiLine ? BoundaryKind::kLineStart : BoundaryKind::kTextStart,
                                  true);
    case '$':
      return Create<BoundaryNode>(multiLine ? BoundaryKind::kLineEnd : BoundaryKind::kTextEnd,
                                  true);
    case 'A':
      return Create<BoundaryNode>(BoundaryKind::kTextStart, true);
    case 'z':
      return Create<BoundaryNode>(BoundaryKind::kTextEnd, true);
    case 'Z':
      return Create<BoundaryNode>(BoundaryKind::kTextEndOrFinalBreak, true);
    case 'b':
      return Create<BoundaryNode>(BoundaryKind::kWordEdge, true);
    case 'B':
      return Create<BoundaryNode>(BoundaryKind::kWordEdge, false);
    default:  // 'G'
      if ((flags & PF_SEARCH_START) != 0) return Create<SearchStartNode>();
      return StockNode(kStockEmpty);
  }
}

PatternNode* PatternCompiler::BuildBackref(int& flags) {
  Advance();  // the backslash, `k` or `g`
  const bool rightToLeft = (flags & PF_RIGHT_TO_LEFT) != 0;
  const bool ignoreCase = (flags & PF_IGNORE_CASE) != 0;
  const int opener = Curr().ch;
  if (opener != '<' && opener != '\'') {
    // Up to three digits: `\1234` is group 123 followed by `4`.
    int number = 0;
    for (int digits = 0; digits < 3 && chartype::IsDigit(Curr().ch); ++digits) {
      number = number * 10 + (Curr().ch - '0');
      Advance();
    }
    return Create<BackrefNode>(number, rightToLeft, ignoreCase);
  }
  BackrefNode* backref = Create<BackrefNode>(kGroupUnresolved, rightToLeft, ignoreCase);
  Advance();
  backref->name = CollectName(opener == '<' ? '>' : '\'');
  if (ReadWholeNumber(backref->name, backref->group)) {
    backref->name.clear();
  } else {
    namedBackrefs_.push_back(backref);
  }
  return backref;
}

std::string PatternCompiler::CollectName(char closer) {
  std::string name = CollectUntil([closer](const PatternToken& t) {
    return t.ch == 0 || t.ch == static_cast<signed char>(closer);
  });
  Advance();
  return name;
}

}  // namespace kv
