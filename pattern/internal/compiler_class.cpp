// Classes: `.` and the class escapes (shared stock nodes), POSIX classes,
// and bracket classes with their ranges, single chars and embedded classes.
// Ranges are intervals of signed bytes taken in the order written, so
// `[\x80-\xff]` holds exactly the high bytes and `[\x00-\xff]` nothing.
// Under PF_IGNORE_CASE a bracket class is widened once, here, so matching
// never thinks about case; stock and POSIX classes are never widened.
#include <algorithm>
#include <string_view>

#include "pattern/internal/char_types.h"
#include "pattern/internal/compiler.h"
#include "pattern/pattern_flags.h"

namespace kv {
namespace {

void AddRangeUnlessInside(CharClassNode& node, int low, int high, const CharRange& within) {
  const auto inside = [&](int c) { return within.low <= c && c <= within.high; };
  if (inside(low) && inside(high)) return;
  node.ranges.push_back(CharRange{static_cast<signed char>(low), static_cast<signed char>(high)});
}

// Adds the other case of every letter the class holds by its own ranges and
// single chars, as they were before widening.
void WidenCase(CharClassNode& node) {
  const std::vector<CharRange> ranges = node.ranges;
  const std::vector<signed char> singles = node.singles;
  for (const CharRange& range : ranges) {
    const int low = range.low;
    const int high = range.high;
    if (low <= 'Z' && high >= 'A') {
      AddRangeUnlessInside(node, chartype::ToLower(std::max<int>('A', low)),
                           chartype::ToLower(std::min<int>('Z', high)), range);
    }
    if (low <= 'z' && high >= 'a') {
      AddRangeUnlessInside(node, chartype::ToUpper(std::max<int>('a', low)),
                           chartype::ToUpper(std::min<int>('z', high)), range);
    }
  }
  for (const signed char c : singles) {
    int image = c;
    if (chartype::IsUpper(c)) image = chartype::ToLower(c);
    if (chartype::IsLower(c)) image = chartype::ToUpper(c);
    if (image != c && !node.Holds(image)) node.singles.push_back(static_cast<signed char>(image));
  }
}

}  // namespace

PatternNode* PatternCompiler::BuildClass(int& flags) {
  const int kind = Curr().ch;
  const int open = Curr().pos;
  Advance();
  const bool rightToLeft = (flags & PF_RIGHT_TO_LEFT) != 0;
  if (kind != '[')
    return StockNode(StockClassId(kind, flags) + (rightToLeft ? kStockRightToLeft : 0));
  if (IsSpecial(Curr(), ':')) return BuildPosixClass(flags);

  const bool negated = IsSpecial(Curr(), '^');
  if (negated) Advance();
  CharClassNode* node = Create<CharClassNode>(rightToLeft, !negated);
  while (!IsEnd(Curr()) && !IsSpecial(Curr(), ']')) {
    const PatternToken token = Curr();
    if (IsSpecialIn(token, ".wWsSdD") || (IsSpecial(token, '[') && IsSpecial(Next(), ':'))) {
      node->embedded.push_back(BuildClass(flags));
    } else if (IsSpecial(Next(), '-') && Ahead().special == 0) {
      node->ranges.push_back(CharRange{token.ch, Ahead().ch});
      Advance();
      Advance();
      Advance();
    } else {
      node->singles.push_back(token.ch);
      Advance();
    }
  }
  if (!IsSpecial(Curr(), ']')) NoteBracketSlip('[', open);
  Advance();  // the `]`
  if ((flags & PF_IGNORE_CASE) != 0) WidenCase(*node);
  return node;
}

int PatternCompiler::StockClassId(int ch, int flags) {
  switch (ch) {
    case '.':
      return (flags & PF_SINGLE_LINE) != 0 ? kStockAnyByte : kStockNotNewline;
    case 'w':
      return kStockWord;
    case 'W':
      return kStockNotWord;
    case 's':
      return kStockSpace;
    case 'S':
      return kStockNotSpace;
    case 'd':
      return kStockDigit;
    default:  // 'D'
      return kStockNotDigit;
  }
}

PatternNode* PatternCompiler::BuildPosixClass(int flags) {
  // `:name:` or `:^name:`, up to the closing `]`.
  const std::string text = CollectUntil([](const PatternToken& t) { return IsSpecial(t, ']'); });
  Advance();
  const bool negated = text.size() > 1 && text[1] == '^';
  const std::string_view name =
      std::string_view(text).substr(std::min<std::size_t>(negated ? 2 : 1, text.size()));
  return Create<PosixClassNode>(FindPosixPredicate(name), (flags & PF_RIGHT_TO_LEFT) != 0,
                                !negated);
}

}  // namespace kv
