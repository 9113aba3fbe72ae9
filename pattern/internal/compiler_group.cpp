// Everything that starts with `(`: capturing and named groups, lookahead and
// lookbehind, atomic groups, conditionals, recursion and inline modifiers.
//
// Lookbehind compiles its sub-pattern right-to-left, so it matches leftwards
// from the current position and accepts any length. Every form ends by
// consuming one more token, its closing `)`; a missing `)` lets the group
// take the rest of the pattern.
//
// This is the one place where the builder recurses with the pattern's
// nesting, so the nesting bound is kept here.
#include "pattern/engine_failure.h"
#include "pattern/internal/char_types.h"
#include "pattern/internal/compiler.h"
#include "pattern/pattern_flags.h"
#include "platform/limits.h"

namespace kv {
namespace {

class NestingGuard {
 public:
  explicit NestingGuard(int& nesting) : nesting_(nesting) {
    if (nesting_ >= limits::kMaxPatternNesting) {
      throw PatternEngineFailure(SearchStatus::kNestingLimit);
    }
    ++nesting_;
  }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
  ~NestingGuard() { --nesting_; }

 private:
  int& nesting_;
};

int ModifierBit(int ch) {
  switch (chartype::ToLower(ch)) {
    case 'i':
      return PF_IGNORE_CASE;
    case 's':
      return PF_SINGLE_LINE;
    case 'm':
      return PF_MULTI_LINE;
    case 'g':
      return PF_SEARCH_START;
    default:
      return 0;
  }
}

}  // namespace

PatternNode* PatternCompiler::BuildGroup(int& flags) {
  NestingGuard guard(nesting_);
  const int open = Curr().pos;
  Advance();  // the `(`
  PatternNode* group = nullptr;
  if (!IsSpecial(Curr(), '?')) {
    group = BuildCapturingGroup(flags);
  } else {
    Advance();
    const int kind = Curr().ch;
    const int after = Next().ch;
    if (kind == '=' || kind == '!') {
      Advance();
      group = Create<LookaroundNode>(BuildAlternation(flags & ~PF_RIGHT_TO_LEFT), kind == '=');
    } else if (kind == '<' && (after == '=' || after == '!')) {
      Advance();
      Advance();
      group = Create<LookaroundNode>(BuildAlternation(flags | PF_RIGHT_TO_LEFT), after == '=');
    } else if (kind == '>') {
      Advance();
      group = Create<AtomicGroupNode>(BuildAlternation(flags));
    } else if (kind == '<' || kind == '\'' || kind == 'P') {
      group = BuildNamedGroup(flags);
    } else if (kind == '(') {
      group = BuildConditional(flags);
    } else if (kind == 'R') {
      Advance();
      SkipSpaceTokens();
      group = BuildRecursion();
    } else {
      group = BuildModifiedGroup(flags);
    }
  }
  if (!IsSpecial(Curr(), ')')) NoteBracketSlip('(', open);
  Advance();  // the closing `)`
  return group;
}

PatternNode* PatternCompiler::BuildCapturingGroup(int flags) {
  // Numbers follow the order of the opening parentheses.
  const bool rightToLeft = (flags & PF_RIGHT_TO_LEFT) != 0;
  const int number = ++highestGroup_;
  SequenceNode* sequence = Create<SequenceNode>(rightToLeft);
  GroupMarkNode* first = Create<GroupMarkNode>(number, rightToLeft);
  PatternNode* content = BuildAlternation(flags);
  GroupMarkNode* last = Create<GroupMarkNode>(number, !rightToLeft);
  sequence->items = {first, content, last};
  if (groupTable_.size() <= static_cast<std::size_t>(number)) {
    groupTable_.resize(static_cast<std::size_t>(number) + 1);
  }
  groupTable_[static_cast<std::size_t>(number)] = GroupEntry{sequence, first, last};
  return sequence;
}

PatternNode* PatternCompiler::BuildNamedGroup(int flags) {
  if (Curr().ch == 'P') Advance();
  const char closer = Curr().ch == '\'' ? '\'' : '>';
  Advance();  // the opener
  const std::size_t index = static_cast<std::size_t>(nextNamedIndex_++);
  const bool rightToLeft = (flags & PF_RIGHT_TO_LEFT) != 0;
  SequenceNode* sequence = Create<SequenceNode>(rightToLeft);
  GroupMarkNode* first = Create<GroupMarkNode>(kGroupUnresolved, rightToLeft);
  GroupMarkNode* last = Create<GroupMarkNode>(kGroupUnresolved, !rightToLeft);
  first->name = CollectName(closer);
  if (ReadWholeNumber(first->name, first->group)) {  // `(?<12>x)` is group 12
    last->group = first->group;
    first->name.clear();
  }
  PatternNode* content = BuildAlternation(flags);
  sequence->items = {first, content, last};
  if (namedGroups_.size() <= index) namedGroups_.resize(index + 1);
  namedGroups_[index] = GroupEntry{sequence, first, last};
  return sequence;
}

PatternNode* PatternCompiler::BuildConditional(int& flags) {
  ConditionalNode* conditional = Create<ConditionalNode>();
  if (IsSpecial(Next(), '?')) {
    conditional->condition = BuildGroup(flags);  // normally a lookaround
  } else {
    // `(?(1)...)`, `(?(name)...)` or `(?(text)...)`: the text decides after
    // the build whether it names a group or is a lookahead.
    Advance();
    const int from = Curr().pos;
    conditional->condition = Create<LookaroundNode>(BuildAlternation(flags), true);
    const std::string text(reader_.Text(from, Curr().pos));
    if (ReadWholeNumber(text, conditional->group)) {
      conditional->condition = nullptr;
    } else {
      conditional->name = text;
      namedConditions_.push_back(conditional);
    }
    Advance();  // the inner `)`
  }
  int yesFlags = flags;
  conditional->yes = BuildSequence(yesFlags);
  if (Curr().ch == '|') {
    Advance();
    conditional->no = BuildAlternation(flags);  // `(?(1)a|b|c)`: the no branch is `b|c`
  }
  return conditional;
}

PatternNode* PatternCompiler::BuildRecursion() {
  RecursionNode* recursion = Create<RecursionNode>();
  const int opener = Curr().ch;
  if (opener == '<' || opener == '\'') {
    recursion->group = kGroupUnknownName;
    Advance();
    recursion->name = CollectName(opener == '<' ? '>' : '\'');
    if (ReadWholeNumber(recursion->name, recursion->group)) recursion->name.clear();
  } else {
    const std::string text =
        CollectUntil([](const PatternToken& t) { return t.ch == 0 || t.ch == ')'; });
    std::string_view rest = text;
    recursion->group = 0;  // `(?R)` calls the whole pattern
    ReadDecimal(rest, recursion->group);
  }
  recursions_.push_back(recursion);
  return recursion;
}

PatternNode* PatternCompiler::BuildModifiedGroup(int& flags) {
  SkipSpaceTokens();
  if (chartype::IsDigit(Curr().ch)) return BuildRecursion();  // `(?1)`, `(?0)`
  int modified = flags;
  bool clearing = false;
  while (!IsEnd(Curr()) && Curr().ch != ':' && Curr().ch != ')' && !IsSpecial(Curr(), '(')) {
    if (Curr().ch == '-') {
      clearing = true;
    } else if (const int bit = ModifierBit(Curr().ch); bit != 0) {
      modified = clearing ? (modified & ~bit) : (modified | bit);
    }
    Advance();
  }
  if (Curr().ch == ':') {
    Advance();
    return BuildAlternation(modified);  // `(?i:...)`, a non-capturing group
  }
  if (IsSpecial(Curr(), '(')) return BuildAlternation(modified);
  flags = modified;  // `(?i)`: holds for the rest of the enclosing alternation
  return StockNode(kStockEmpty);
}

void PatternCompiler::SkipSpaceTokens() {
  while (chartype::IsSpace(Curr().ch)) Advance();
}

}  // namespace kv
