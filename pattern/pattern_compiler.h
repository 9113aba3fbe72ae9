// PatternCompiler: builds the node tree of one pattern and searches buffers
// with it.
//
// Entry points: Compile (pattern text -> tree), Search (tree + buffer ->
// MatchSpans), Dump (tree -> compact text), Clear. Compilation never fails:
// whatever the compiler does not recognise becomes literal text or an empty
// node. The builder is recursive descent over the token reader's
// three-token window (BuildAlternation > BuildSequence > BuildRepeat >
// BuildAtom > BuildGroup/BuildClass/...), with a nesting bound so that a
// hostile pattern cannot exhaust the stack. Once compiled the tree is never
// changed; every search keeps its own MatchState.
//
// The compiler owns every node it creates, shared stock nodes included;
// nodes never delete each other.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "pattern/match_spans.h"
#include "pattern/nodes_control.h"
#include "pattern/nodes_group.h"
#include "pattern/nodes_leaf.h"
#include "pattern/nodes_repeat.h"
#include "pattern/token_reader.h"

namespace kv {

// Reads a decimal number from the start of `text`: skips white space; fails
// (false, `value` unchanged) when no digit follows; else takes at most 3
// digits, skips white space after them, moves `text` past all of it.
bool ReadDecimal(std::string_view& text, int& value);

// True when the whole of `text` reads as one ReadDecimal number.
bool ReadWholeNumber(std::string_view text, int& value);

class PatternCompiler {
 public:
  PatternCompiler() = default;
  PatternCompiler(const PatternCompiler&) = delete;
  PatternCompiler& operator=(const PatternCompiler&) = delete;
  ~PatternCompiler() = default;

  // Replaces whatever was compiled before with `pattern[0, length)` compiled
  // under `flags` (PF_*). A null pattern leaves nothing compiled. Throws
  // PatternEngineFailure when groups nest deeper than the engine allows.
  void Compile(const char* pattern, int length, int flags);

  // Deletes the tree and forgets every group, name and stock node.
  void Clear();

  // Searches `data[0, length)` from `start`, trying every position in turn
  // (leftwards under PF_RIGHT_TO_LEFT). Throws PatternEngineFailure when the
  // search goes over its step budget or nesting depth.
  MatchSpans Search(const char* data, int length, int start) const;

  std::string Dump() const;

  const PatternNode* TopNode() const { return topNode_; }
  int Flags() const { return flags_; }
  int HighestGroup() const { return highestGroup_; }

  // The number of the first named group called `name` (ignoring case), or
  // -3 when there is none.
  int FindNamedGroup(std::string_view name) const;

 private:
  struct GroupEntry {
    const PatternNode* node = nullptr;  // the group's SequenceNode
    GroupMarkNode* first = nullptr;
    GroupMarkNode* last = nullptr;
  };

  template <typename Node, typename... Args>
  Node* Create(Args&&... args) {
    auto node = std::make_unique<Node>(std::forward<Args>(args)...);
    Node* raw = node.get();
    ownedNodes_.push_back(std::move(node));
    return raw;
  }

  PatternNode* StockNode(int id);
  std::unique_ptr<PatternNode> BuildStockNode(int id) const;
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

  // compiler_group.cpp
  PatternNode* BuildGroup(int& flags);
  PatternNode* BuildCapturingGroup(int flags);
  PatternNode* BuildNamedGroup(int flags);
  PatternNode* BuildConditional(int& flags);
  PatternNode* BuildRecursion();
  PatternNode* BuildModifiedGroup(int& flags);
  void SkipSpaceTokens();

  void Advance() { reader_.Advance(); }
  const PatternToken& Curr() const { return reader_.Curr(); }
  const PatternToken& Next() const { return reader_.Next(); }
  const PatternToken& Ahead() const { return reader_.Ahead(); }

  const PatternNode* topNode_ = nullptr;
  int flags_ = 0;
  int highestGroup_ = 0;
  int nextNamedIndex_ = 0;
  int groupCount_ = 0;
  std::vector<std::unique_ptr<PatternNode>> ownedNodes_;
  std::vector<GroupEntry> groupTable_;  // by number; entry 0 is the whole pattern
  std::vector<RecursionNode*> recursions_;
  std::vector<GroupEntry> namedGroups_;  // in order of appearance
  std::vector<BackrefNode*> namedBackrefs_;
  std::vector<ConditionalNode*> namedConditions_;
  PatternTokenReader reader_;
  std::array<PatternNode*, 17> stockNodes_{};
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
