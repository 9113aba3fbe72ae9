// AnalyseStart: the first-byte set of the top node, and the anchor: the
// first case-sensitive literal of the top-level sequence with the fixed
// width of what precedes it (`[a-z]{3}token`: "token" 3 bytes in). An
// anchor at the start of two bytes or more, or further in of three or more,
// is searched with memmem; otherwise the byte set (memchr for one byte).
#include "pattern/internal/start_analysis.h"

#include "pattern/internal/char_types.h"
#include "pattern/internal/class_bytes.h"
#include "pattern/internal/nodes_control.h"
#include "pattern/internal/nodes_group.h"
#include "pattern/internal/nodes_leaf.h"
#include "pattern/internal/nodes_repeat.h"
#include "pattern/pattern_flags.h"
#include "platform/limits.h"

namespace kv {
namespace {

struct FirstInfo {
  ByteSet bytes;
  bool nullable = false;  // may match consuming nothing (or cannot tell)
};

FirstInfo Anything() { return {ByteSet().set(), true}; }
FirstInfo ZeroWidth() { return {ByteSet(), true}; }

bool IsZeroWidth(const PatternNode& node) {
  return NodeAs<EmptyNode>(&node) != nullptr || NodeAs<GroupMarkNode>(&node) != nullptr ||
         NodeAs<BoundaryNode>(&node) != nullptr || NodeAs<SearchStartNode>(&node) != nullptr ||
         NodeAs<LookaroundNode>(&node) != nullptr;
}

ByteSet BytesEqualTo(signed char c, bool ignoreCase) {
  ByteSet bytes;
  for (int value = 0; value < 256; ++value) {
    if (chartype::SameByte(static_cast<signed char>(value), c, ignoreCase)) {
      bytes.set(static_cast<std::size_t>(value));
    }
  }
  return bytes;
}

FirstInfo First(const PatternNode* node);

FirstInfo FirstOfItems(const std::vector<const PatternNode*>& items) {
  FirstInfo info = ZeroWidth();
  for (const PatternNode* item : items) {
    const FirstInfo next = First(item);
    info.bytes |= next.bytes;
    if (!next.nullable) {
      info.nullable = false;
      return info;
    }
  }
  return info;
}

FirstInfo First(const PatternNode* node) {
  if (node == nullptr) return ZeroWidth();  // a missing conditional branch matches empty
  if (IsZeroWidth(*node)) return ZeroWidth();
  if (const auto* literal = NodeAs<LiteralNode>(node)) {
    if (literal->rightToLeft) return Anything();
    if (literal->text.empty()) return ZeroWidth();
    return {BytesEqualTo(static_cast<signed char>(literal->text[0]), literal->ignoreCase), false};
  }
  if (const auto* cls = NodeAs<CharClassNode>(node)) {
    return cls->rightToLeft ? Anything() : FirstInfo{AcceptedBytes(*node), false};
  }
  if (const auto* posix = NodeAs<PosixClassNode>(node)) {
    return posix->rightToLeft ? Anything() : FirstInfo{AcceptedBytes(*node), false};
  }
  if (const auto* sequence = NodeAs<SequenceNode>(node)) {
    return sequence->rightToLeft ? Anything() : FirstOfItems(sequence->items);
  }
  if (const auto* alternation = NodeAs<AlternationNode>(node)) {
    FirstInfo info{ByteSet(), alternation->items.empty()};
    for (const PatternNode* item : alternation->items) {
      const FirstInfo next = First(item);
      info.bytes |= next.bytes;
      info.nullable = info.nullable || next.nullable;
    }
    return info;
  }
  if (const auto* repeat = NodeAs<RepeatNode>(node)) {
    FirstInfo info = First(repeat->sub);
    info.nullable = info.nullable || repeat->fixed == 0;
    return info;
  }
  if (const auto* atomic = NodeAs<AtomicGroupNode>(node)) return First(atomic->sub);
  if (const auto* conditional = NodeAs<ConditionalNode>(node)) {
    const FirstInfo yes = First(conditional->yes);
    const FirstInfo no = First(conditional->no);
    return {yes.bytes | no.bytes, yes.nullable || no.nullable};
  }
  return Anything();  // back-references, recursion
}

// Appends the items of `node` to `out`, opening left-to-right sequences
// (capturing groups among them) so that their items stand side by side.
void Flatten(const PatternNode* node, std::vector<const PatternNode*>& out) {
  const auto* sequence = NodeAs<SequenceNode>(node);
  if (sequence == nullptr || sequence->rightToLeft) {
    out.push_back(node);
    return;
  }
  for (const PatternNode* item : sequence->items) Flatten(item, out);
}

// A literal every match holds at a fixed distance from its start.
struct Anchor {
  std::string text;
  int offset = 0;
};

// The width of an item that always consumes the same number of bytes
// leftwards to rightwards (a class, a caseless literal, an exact repeat of
// those), or -1.
long long FixedWidth(const PatternNode* node) {
  if (IsOneByteNode(*node)) {
    const auto* cls = NodeAs<CharClassNode>(node);
    const auto* posix = NodeAs<PosixClassNode>(node);
    return (cls != nullptr && cls->rightToLeft) || (posix != nullptr && posix->rightToLeft) ? -1
                                                                                            : 1;
  }
  if (const auto* literal = NodeAs<LiteralNode>(node)) {
    return literal->rightToLeft ? -1 : static_cast<long long>(literal->text.size());
  }
  const auto* repeat = NodeAs<RepeatNode>(node);
  if (repeat == nullptr || NodeAs<GreedyRepeatNode>(node) != nullptr) return -1;
  const long long width = FixedWidth(repeat->sub);
  return width < 0 ? -1 : width * repeat->fixed;
}

// The first run of case-sensitive literals in the top-level sequence, with
// the fixed width of what comes before it (zero-width items looked through).
Anchor FindAnchor(const PatternNode* top) {
  std::vector<const PatternNode*> items;
  Flatten(top, items);
  Anchor anchor;
  long long offset = 0;
  for (const PatternNode* item : items) {
    if (IsZeroWidth(*item)) continue;
    const auto* literal = NodeAs<LiteralNode>(item);
    if (literal != nullptr && !literal->rightToLeft && !literal->ignoreCase) {
      anchor.text += literal->text;
      continue;
    }
    if (!anchor.text.empty()) break;
    const long long width = FixedWidth(item);
    if (width < 0 || offset + width > limits::kMaxPatternAnchorOffset) break;
    offset += width;
  }
  anchor.offset = static_cast<int>(offset);
  return anchor;
}

}  // namespace

StartFilter AnalyseStart(const CompiledTree& tree) {
  StartFilter filter;
  if (tree.top == nullptr || (tree.flags & PF_RIGHT_TO_LEFT) != 0) return filter;
  const FirstInfo first = First(tree.top);
  if (first.nullable || first.bytes.all()) return filter;
  const Anchor anchor = FindAnchor(tree.top);
  filter.kind = StartFilter::Kind::kFirstBytes;
  const bool single = first.bytes.count() == 1;
  for (std::size_t value = 0; value < 256; ++value) {
    filter.firstBytes[value] = first.bytes.test(value);
    if (single && first.bytes.test(value)) filter.prefix = std::string(1, static_cast<char>(value));
  }
  // One byte or a longer literal: memchr or memmem beat the byte table; a
  // literal further in must be longer to be worth the detour.
  if ((anchor.offset == 0 && anchor.text.size() >= 2) || anchor.text.size() >= 3) {
    filter.prefix = anchor.text;
    filter.prefixOffset = anchor.offset;
  }
  if (!filter.prefix.empty()) filter.kind = StartFilter::Kind::kPrefix;
  return filter;
}

}  // namespace kv
