// PatternCompiler: Compile, the shared stock nodes, and the steps
// after the build that number named groups and link names and recursions.
// Named groups get their numbers only after the whole pattern is read, so a
// back-reference, condition or recursion may name a group that comes later.
#include <algorithm>

#include "pattern/internal/char_types.h"
#include "pattern/internal/compiler.h"
#include "pattern/internal/memo_plan.h"
#include "pattern/pattern_flags.h"

namespace kv {
bool ReadDecimal(std::string_view& text, int& value) {
  std::size_t at = 0;
  while (at < text.size() && chartype::IsSpace(static_cast<signed char>(text[at]))) ++at;
  if (at == text.size() || !chartype::IsDigit(text[at])) return false;
  int number = 0;
  for (int digits = 0; digits < 3 && at < text.size() && chartype::IsDigit(text[at]); ++digits) {
    number = number * 10 + (text[at++] - '0');
  }
  while (at < text.size() && chartype::IsSpace(static_cast<signed char>(text[at]))) ++at;
  value = number;
  text.remove_prefix(at);
  return true;
}

bool ReadWholeNumber(std::string_view text, int& value) {
  int number = 0;
  if (!ReadDecimal(text, number) || !text.empty()) return false;
  value = number;
  return true;
}

PatternCompiler::PatternCompiler(int flags) : tree_(std::make_unique<CompiledTree>()) {
  tree_->flags = flags;
}

std::unique_ptr<CompiledTree> PatternCompiler::Compile(std::string_view pattern, int flags) {
  PatternCompiler compiler(flags);
  compiler.reader_.Start(pattern.data(), static_cast<int>(pattern.size()), flags);
  const PatternNode* top = compiler.BuildAlternation(flags);
  // Only a `)` stops the top alternation before the end.
  if (!IsEnd(compiler.Curr())) compiler.NoteBracketSlip(')', compiler.Curr().pos);
  compiler.CompleteTree(top);
  compiler.tree_->top = top;
  compiler.tree_->highestGroup = compiler.highestGroup_;
  PlanMemo(*compiler.tree_);
  return std::move(compiler.tree_);
}

PatternNode* PatternCompiler::StockNode(int id) {
  if (id < 0 || id >= kStockCount) id = kStockEmpty;
  PatternNode*& slot = stockNodes_[static_cast<std::size_t>(id)];
  if (slot == nullptr) {
    tree_->nodes.push_back(BuildStockNode(id));
    slot = tree_->nodes.back().get();
  }
  return slot;
}

std::unique_ptr<PatternNode> PatternCompiler::BuildStockNode(int id) {
  if (id == kStockEmpty) return std::make_unique<EmptyNode>();
  const bool rightToLeft = id > kStockRightToLeft;
  const int kind = rightToLeft ? id - kStockRightToLeft : id;
  const bool positive = kind == kStockWord || kind == kStockSpace || kind == kStockDigit;
  auto node = std::make_unique<CharClassNode>(rightToLeft, positive);
  switch (kind) {
    case kStockNotNewline:
      node->singles = {0x0A};
      break;
    case kStockWord:
    case kStockNotWord:
      node->ranges = {{'A', 'Z'}, {'a', 'z'}, {'0', '9'}};
      node->singles = {'_'};
      break;
    case kStockSpace:
    case kStockNotSpace:
      // Inside lookbehind \s also holds form feed and vertical tab.
      if (rightToLeft) {
        node->singles = {' ', 0x09, 0x0D, 0x0A, 0x0C, 0x0B};
      } else {
        node->singles = {' ', 0x09, 0x0D, 0x0A};
      }
      break;
    case kStockDigit:
    case kStockNotDigit:
      node->ranges = {{'0', '9'}};
      break;
    default:  // kStockAnyByte: a negated empty class
      break;
  }
  return node;
}

void PatternCompiler::CompleteTree(const PatternNode* top) {
  if (groupTable_.empty()) groupTable_.resize(1);
  groupTable_[0] = GroupEntry{top, nullptr, nullptr};
  groupCount_ = static_cast<int>(groupTable_.size());
  groupTable_.resize(static_cast<std::size_t>(highestGroup_) + namedGroups_.size() + 1);

  for (const GroupEntry& named : namedGroups_) {
    groupTable_[static_cast<std::size_t>(groupCount_++)] = named;
    if (named.first->group < 1) {
      const int found = FindNamedGroup(named.first->name);
      const int number = found >= 0 ? found : ++highestGroup_;
      named.first->group = number;
      named.last->group = number;
    }
  }
  for (int i = 1; i < groupCount_; ++i) {
    const GroupEntry& entry = groupTable_[static_cast<std::size_t>(i)];
    if (entry.first != nullptr) highestGroup_ = std::max(highestGroup_, entry.first->group);
  }

  for (RecursionNode* recursion : recursions_) {
    if (recursion->group == kGroupUnknownName) recursion->group = FindNamedGroup(recursion->name);
    if (recursion->group == 0) {
      recursion->target = top;
    } else if (recursion->group > 0 && recursion->group <= highestGroup_) {
      for (int i = 1; i < groupCount_; ++i) {
        const GroupEntry& entry = groupTable_[static_cast<std::size_t>(i)];
        if (entry.first != nullptr && entry.first->group == recursion->group) {
          recursion->target = entry.node;
          break;
        }
      }
    }
  }
  for (BackrefNode* backref : namedBackrefs_) backref->group = FindNamedGroup(backref->name);
  for (ConditionalNode* conditional : namedConditions_) {
    const int found = FindNamedGroup(conditional->name);
    if (found != kGroupUnknownName) {
      conditional->group = found;
      conditional->condition = nullptr;
    }
  }
}

int PatternCompiler::FindNamedGroup(std::string_view name) const {
  for (const GroupEntry& named : namedGroups_) {
    const std::string& candidate = named.first->name;
    if (candidate.size() != name.size()) continue;
    const bool same =
        std::equal(candidate.begin(), candidate.end(), name.begin(), [](char a, char b) {
          return chartype::ToUpper(static_cast<signed char>(a)) ==
                 chartype::ToUpper(static_cast<signed char>(b));
        });
    if (same) return named.first->group;
  }
  return kGroupUnknownName;
}

}  // namespace kv
