// PatternCompiler: the builder that turns pattern text into a CompiledTree.
//
// Entry point: PatternCompiler::Compile. It never fails on syntax: whatever
// the compiler does not recognise becomes literal text or an empty node. The
// builder is recursive descent over the token reader's three-token window
// (BuildAlternation > BuildSequence > BuildRepeat > BuildAtom >
// BuildGroup/BuildClass/...), with a nesting bound so that a hostile pattern
// cannot exhaust the stack. Everything here is parse-time state and lives
// only for one compile; the tree it hands over owns every node, shared stock
// nodes included, and is never changed again.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/nodes_control.h"
#include "pattern/internal/nodes_group.h"
#include "pattern/internal/nodes_leaf.h"
#include "pattern/internal/nodes_repeat.h"
#include "pattern/internal/token_reader.h"

namespace kv {

// Reads a decimal number from the start of `text`: skips white space; fails
// (false, `value` unchanged) when no digit follows; else takes at most 3
// digits, skips white space after them, moves `text` past all of it.
bool ReadDecimal(std::string_view& text, int& value);

// True when the whole of `text` reads as one ReadDecimal number.
bool ReadWholeNumber(std::string_view text, int& value);

class PatternCompiler {
 public:
  // The tree of `pattern` compiled under `flags` (PF_*). Throws
  // PatternEngineFailure when groups nest deeper than the engine allows,
  // and std::bad_alloc when memory runs out.
  static std::unique_ptr<CompiledTree> Compile(std::string_view pattern, int flags);

 private:
  explicit PatternCompiler(int flags);

  // The number of the first named group called `name` (ignoring case), or
  // -3 when there is none.
  int FindNamedGroup(std::string_view name) const;

  struct GroupEntry {
    const PatternNode* node = nullptr;  // the group's SequenceNode
    GroupMarkNode* first = nullptr;
    GroupMarkNode* last = nullptr;
  };

  template <typename Node, typename... Args>
  Node* Create(Args&&... args) {
    auto node = std::make_unique<Node>(std::forward<Args>(args)...);
    Node* raw = node.get();
    tree_->nodes.push_back(std::move(node));
    return raw;
  }

  // Stock node ids: the empty node, then the left-to-right classes; the
  // right-to-left ones are kStockRightToLeft higher.
  enum StockId {
    kStockEmpty = 0,
    kStockAnyByte,     // `.` with PF_SINGLE_LINE
    kStockNotNewline,  // `.`
    kStockWord,        // \w
    kStockNotWord,     // \W
    kStockSpace,       // \s
    kStockNotSpace,    // \S
    kStockDigit,       // \d
    kStockNotDigit,    // \D
    kStockRightToLeft = 8,
    kStockCount = 17,
  };

  // The shared node `id` of this compiled pattern, built on first request.
  PatternNode* StockNode(int id);
  static std::unique_ptr<PatternNode> BuildStockNode(int id);
  void CompleteTree(const PatternNode* top);

  // compiler_build.cpp
  PatternNode* BuildAlternation(int flags);
  PatternNode* BuildSequence(int& flags);
  PatternNode* BuildRepeat(int& flags);
  PatternNode* BuildAtom(int& flags);
  PatternNode* BuildBoundary(int& flags);
  PatternNode* BuildBackref(int& flags);
  // The characters of the tokens up to (not including) the end token or the
  // first token for which `stop` holds.
  template <typename Stop>
  std::string CollectUntil(Stop stop);
  // A name up to a 0 or `closer`, consuming that token.
  std::string CollectName(char closer);

  // compiler_class.cpp
  PatternNode* BuildClass(int& flags);
  PatternNode* BuildPosixClass(int flags);
  // The left-to-right stock id of `.` or a class escape letter.
  static int StockClassId(int ch, int flags);

  // compiler_group.cpp
  PatternNode* BuildGroup(int& flags);
  PatternNode* BuildCapturingGroup(int flags);
  PatternNode* BuildNamedGroup(int flags);
  PatternNode* BuildConditional(int& flags);
  PatternNode* BuildRecursion();
  PatternNode* BuildModifiedGroup(int& flags);
  void SkipSpaceTokens();

  void NoteBracketSlip(char bracket, int position) {
    // The leftmost one: an outer group's `(` before the `[` it holds.
    if (!tree_->bracketSlip || position < tree_->bracketSlip->position) {
      tree_->bracketSlip = BracketSlip{bracket, position};
    }
  }

  void Advance() { reader_.Advance(); }
  const PatternToken& Curr() const { return reader_.Curr(); }
  const PatternToken& Next() const { return reader_.Next(); }
  const PatternToken& Ahead() const { return reader_.Ahead(); }

  std::unique_ptr<CompiledTree> tree_;
  int highestGroup_ = 0;
  int nextNamedIndex_ = 0;
  int groupCount_ = 0;
  std::vector<GroupEntry> groupTable_;  // by number; entry 0 is the whole pattern
  std::vector<RecursionNode*> recursions_;
  std::vector<GroupEntry> namedGroups_;  // in order of appearance
  std::vector<BackrefNode*> namedBackrefs_;
  std::vector<ConditionalNode*> namedConditions_;
  PatternTokenReader reader_;
  std::array<PatternNode*, kStockCount> stockNodes_{};
  int nesting_ = 0;  // groups being built, against kMaxPatternNesting
};

template <typename Stop>
std::string PatternCompiler::CollectUntil(Stop stop) {
  std::string text;
  while (!IsEnd(Curr()) && !stop(Curr())) {
    text += static_cast<char>(Curr().ch);
    Advance();
  }
  return text;
}

}  // namespace kv
