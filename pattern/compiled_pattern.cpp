// CompiledPattern: compiling through the builder (PatternCompiler), keeping
// a failed compile as a failure every search reports, and the accessors.
#include "pattern/compiled_pattern.h"

#include <new>

#include "pattern/engine_failure.h"
#include "pattern/internal/compiled_tree.h"
#include "pattern/internal/compiler.h"
#include "platform/limits.h"

namespace kv {

CompiledPattern::CompiledPattern() = default;
CompiledPattern::CompiledPattern(CompiledPattern&&) noexcept = default;
CompiledPattern& CompiledPattern::operator=(CompiledPattern&&) noexcept = default;
CompiledPattern::~CompiledPattern() = default;

CompiledPattern CompiledPattern::Compile(std::string_view pattern, int flags) {
  CompiledPattern compiled;
  if (pattern.size() > limits::kMaxSearchBytes) {
    compiled.compileStatus_ = SearchStatus::kDataTooLarge;
    return compiled;
  }
  try {
    compiled.tree_ = PatternCompiler::Compile(pattern, flags);
  } catch (const PatternEngineFailure& failure) {
    compiled.compileStatus_ = failure.Status();
  } catch (const std::bad_alloc&) {
    compiled.compileStatus_ = SearchStatus::kOutOfMemory;
  }
  return compiled;
}

std::optional<BracketSlip> CompiledPattern::FirstBracketSlip() const {
  return tree_ != nullptr ? tree_->bracketSlip : std::nullopt;
}

int CompiledPattern::Flags() const { return tree_ != nullptr ? tree_->flags : 0; }

int CompiledPattern::HighestGroup() const { return tree_ != nullptr ? tree_->highestGroup : 0; }

}  // namespace kv
