// PatternCompiler: Compile and Clear, the shared stock nodes, and the steps
// after the build that number named groups and link names and recursions.
// Named groups get their numbers only after the whole pattern is read, so a
// back-reference, condition or recursion may name a group that comes later.
#include <algorithm>

#include "pattern/char_types.h"
#include "pattern/pattern_compiler.h"
#include "pattern/pattern_flags.h"

namespace kv {
namespace {

// Stock node ids: 0 the empty node; 1 to 8 left-to-right classes, 9 to 16
// the same right-to-left.
enum StockClass {
  kAnyByte = 1,  // `.` with PF_SINGLE_LINE
  kNotNewline,   // `.`
  kWord,         // \w
  kNotWord,      // \W
  kSpace,        // \s
  kNotSpace,     // \S
  kDigit,        // \d
  kNotDigit,     // \D
};
constexpr int kStockCount = 17;
constexpr int kRightToLeftStock = 8;

}  // namespace

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

void PatternCompiler::Compile(const char* pattern, int length, int flags) {
  Clear();
  flags_ = flags;
  if (pattern == nullptr) return;
  reader_.Start(pattern, std::max(length, 0), flags);
  const PatternNode* top = BuildAlternation(flags);
  CompleteTree(top);
  topNode_ = top;
}

void PatternCompiler::Clear() {
  topNode_ = nullptr;
  highestGroup_ = 0;
  nextNamedIndex_ = 0;
  groupCount_ = 0;
  groupTable_.clear();
  recursions_.clear();
  namedGroups_.clear();
  namedBackrefs_.clear();
  namedConditions_.clear();
  stockNodes_.fill(nullptr);
  nesting_ = 0;
  ownedNodes_.clear();
}

std::string PatternCompiler::Dump() const {
  std::string out;
  if (topNode_ != nullptr) topNode_->Dump(out);
  return out;
}

PatternNode* PatternCompiler::StockNode(int id) {
  if (id < 0 || id >= kStockCount) id = 0;
  PatternNode*& slot = stockNodes_[static_cast<std::size_t>(id)];
  if (slot == nullptr) {
    ownedNodes_.push_back(BuildStockNode(id));
    slot = ownedNodes_.back().get();
  }
  return slot;
}

std::unique_ptr<PatternNode> PatternCompiler::BuildStockNode(int id) const {
  if (id == 0) return std::make_unique<EmptyNode>();
  const bool rightToLeft = id > kRightToLeftStock;
  const int kind = rightToLeft ? id - kRightToLeftStock : id;
  const bool positive = kind == kWord || kind == kSpace || kind == kDigit;
  auto node = std::make_unique<CharClassNode>(rightToLeft, positive);
  switch (kind) {
    case kNotNewline:
      node->singles = {0x0A};
      break;
    case kWord:
    case kNotWord:
      node->ranges = {{'A', 'Z'}, {'a', 'z'}, {'0', '9'}};
      node->singles = {'_'};
      break;
    case kSpace:
    case kNotSpace:
      // Inside lookbehind \s also holds form feed and vertical tab.
      if (rightToLeft) {
        node->singles = {' ', 0x09, 0x0D, 0x0A, 0x0C, 0x0B};
      } else {
        node->singles = {' ', 0x09, 0x0D, 0x0A};
      }
      break;
    case kDigit:
    case kNotDigit:
      node->ranges = {{'0', '9'}};
      break;
    default:  // kAnyByte: a negated empty class
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
