// The shared pieces of the node tree's text form (see pattern_dump.h).
#include "pattern/internal/pattern_dump.h"

#include "pattern/internal/pattern_node.h"

namespace kv::dump {

void AppendByte(std::string& out, int c, std::string_view escaped) {
  const bool plain = c > 0x20 && c < 0x7F && c != '\\' &&
                     escaped.find(static_cast<char>(c)) == std::string_view::npos;
  if (plain) {
    out += static_cast<char>(c);
    return;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  const int byte = c & 0xFF;
  out += "\\x";
  out += kHex[byte >> 4];
  out += kHex[byte & 0xF];
}

void AppendName(std::string& out, std::string_view name) {
  if (name.empty()) return;
  out += '<';
  for (const char c : name) AppendByte(out, static_cast<signed char>(c), "<>()");
  out += '>';
}

void AppendFlags(std::string& out, bool rightToLeft, bool ignoreCase) {
  if (!rightToLeft && !ignoreCase) return;
  out += '/';
  if (rightToLeft) out += 'r';
  if (ignoreCase) out += 'i';
}

void AppendNode(std::string& out, const PatternNode* node) {
  if (node == nullptr) {
    out += '-';
  } else {
    node->Dump(out);
  }
}

}  // namespace kv::dump
