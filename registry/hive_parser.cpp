// The hive parser (ParseHive of tree.h): hive text to tree, for the
// syntax documented in hive.h. It is strict on purpose: whatever it
// cannot read exactly makes the whole hive unparseable, because a hive that
// was read loosely would be rewritten without what was skipped.
#include <string>
#include <string_view>

#include "platform/text.h"
#include "registry/tree.h"

namespace kv {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kDwordPrefix = "dword:";

// Valid UTF-8 survives the replacing round trip unchanged; anything
// ill-formed comes back with U+FFFD in its place.
bool IsWellFormedUtf8(std::string_view text) { return Utf16ToUtf8(Utf8ToUtf16(text)) == text; }

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseDword(std::string_view digits, std::uint32_t& value) {
  if (digits.empty() || digits.size() > 8) return false;
  value = 0;
  for (const char c : digits) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return false;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return true;
}

// Reads a quoted string starting at line[pos] == '"' into `text` and moves
// `pos` past its closing quote. false for a missing quote, an unknown
// escape or text the hive may not hold.
bool ParseQuoted(std::string_view line, std::size_t& pos, std::u16string& text) {
  if (pos >= line.size() || line[pos] != '"') return false;
  std::string bytes;
  for (++pos; pos < line.size(); ++pos) {
    char c = line[pos];
    if (c == '"') {
      ++pos;
      text = Utf8ToUtf16(bytes);
      return IsValidRegistryText(text);
    }
    if (c == '\\') {
      if (++pos == line.size()) return false;
      c = line[pos];
      if (c != '"' && c != '\\') return false;
    }
    bytes += c;
  }
  return false;
}

bool ParseValueLine(std::string_view line, RegistryValue& value) {
  std::size_t pos = 0;
  value = RegistryValue{};
  if (line.starts_with('@')) {
    pos = 1;
  } else if (!ParseQuoted(line, pos, value.name)) {
    return false;
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  std::string_view data = line.substr(pos + 1);
  if (data.starts_with(kDwordPrefix)) {
    value.type = RegistryType::kDword;
    return ParseDword(data.substr(kDwordPrefix.size()), value.dword);
  }
  pos = 0;
  value.type = RegistryType::kString;
  return ParseQuoted(data, pos, value.text) && pos == data.size();
}

// "[ROOT\sub\key]" opens (and creates) its key.
RegistryKey* ParseKeyHeader(std::string_view line, RegistryTree& tree) {
  if (line.size() < 2 || line.back() != ']') return nullptr;
  const std::optional<RegistryKeyPath> key =
      SplitRegistryKeyPath(Utf8ToUtf16(line.substr(1, line.size() - 2)));
  if (!key || !IsValidRegistrySubkey(key->subkey)) return nullptr;
  return &tree.CreateKey(key->root, key->subkey);
}

// The next line of `content` from `pos`, without its LF or CR LF.
std::string_view NextLine(std::string_view content, std::size_t& pos) {
  const std::size_t end = content.find('\n', pos);
  std::string_view line = content.substr(pos, end - pos);
  pos = end == std::string_view::npos ? content.size() : end + 1;
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

}  // namespace

std::optional<RegistryTree> ParseHive(std::string_view content) {
  RegistryTree tree;
  if (content.starts_with(kByteOrderMark)) content.remove_prefix(kByteOrderMark.size());
  if (content.empty()) return tree;
  if (!IsWellFormedUtf8(content)) return std::nullopt;
  std::size_t pos = 0;
  if (NextLine(content, pos) != kHiveVersionLine) return std::nullopt;
  RegistryKey* key = nullptr;
  while (pos < content.size()) {
    const std::string_view line = NextLine(content, pos);
    if (IsBlank(line)) continue;
    if (line.starts_with('[')) {
      key = ParseKeyHeader(line, tree);
      if (key == nullptr) return std::nullopt;
      continue;
    }
    RegistryValue value;
    if (key == nullptr || !ParseValueLine(line, value) || key->FindValue(value.name) != nullptr) {
      return std::nullopt;
    }
    key->values.push_back(std::move(value));
  }
  return tree;
}

}  // namespace kv
