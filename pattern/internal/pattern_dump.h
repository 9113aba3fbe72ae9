// Helpers for PatternNode::Dump, the compact text form of a node tree:
// `Seq[Lit"a" Greedy{0,+inf}(Seq[Open1 Alt[Lit"b" Lit"c"] Close1]) Lit"d"]`.
// Each node writes its kind, then `/r` (right-to-left) and `/i` (ignore
// case) where they apply, then its contents; bytes outside printable ASCII,
// and characters that would be ambiguous in context, appear as \xHH.
#pragma once

#include <string>
#include <string_view>

namespace kv {

class PatternNode;

namespace dump {

// Appends byte `c`, as \xHH when it is not printable ASCII, is a backslash or
// is one of `escaped`.
void AppendByte(std::string& out, int c, std::string_view escaped);

// Appends `<name>` for a non-empty name.
void AppendName(std::string& out, std::string_view name);

// Appends "/r", "/i", "/ri" or nothing.
void AppendFlags(std::string& out, bool rightToLeft, bool ignoreCase);

// Appends the node's dump, or "-" for a missing node.
void AppendNode(std::string& out, const PatternNode* node);

// Appends the dumps of `nodes` separated by blanks.
template <typename Nodes>
void AppendNodes(std::string& out, const Nodes& nodes) {
  bool first = true;
  for (const PatternNode* node : nodes) {
    if (!first) out += ' ';
    first = false;
    AppendNode(out, node);
  }
}

}  // namespace dump
}  // namespace kv
