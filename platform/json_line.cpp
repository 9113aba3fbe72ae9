// The flat JSON writer and reader of json_line.h: a hand-written recursive
// descent over exactly the grammar stated there.
#include "platform/json_line.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "platform/text.h"
#include "platform/utf_codec.h"

namespace kv {
namespace {

void AppendEscape(std::string& out, char16_t unit) {
  std::array<char, 7> escape{};
  std::snprintf(escape.data(), escape.size(), "\\u%04X", static_cast<unsigned>(unit));
  out += escape.data();
}

void WriteString(std::string& out, std::u16string_view text) {
  out += '"';
  std::size_t plainStart = 0;
  // Runs of plain characters go through the codec in one piece.
  const auto flush = [&](std::size_t end) {
    out += Utf16ToUtf8(text.substr(plainStart, end - plainStart));
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const bool pair = IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
    if (pair) {
      ++i;
      continue;
    }
    if (unit >= 0x20 && unit != u'"' && unit != u'\\' && !IsHighSurrogate(unit) &&
        !IsLowSurrogate(unit)) {
      continue;
    }
    flush(i);
    if (unit == u'"' || unit == u'\\') {
      out += '\\';
      out += static_cast<char>(unit);
    } else {
      AppendEscape(out, unit);
    }
    plainStart = i + 1;
  }
  flush(text.size());
  out += '"';
}

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  bool Object(std::vector<JsonField>& fields) {
    if (!Take('{')) return false;
    if (Take('}')) return AtEnd();
    do {
      JsonField field;
      std::u16string name;
      if (!String(name) || !Take(':') || !Value(field)) return false;
      std::optional<std::string> ascii = EncodeUtf8(name, LoneSurrogate::kUnescapeBytes);
      if (!ascii) return false;
      const bool duplicate = std::any_of(
          fields.begin(), fields.end(), [&](const JsonField& seen) { return seen.name == *ascii; });
      if (duplicate) return false;
      field.name = std::move(*ascii);
      fields.push_back(std::move(field));
    } while (Take(','));
    return Take('}') && AtEnd();
  }

 private:
  void SkipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' || text_[at_] == '\n')) {
      ++at_;
    }
  }
  bool Take(char c) {
    SkipBlanks();
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool AtEnd() {
    SkipBlanks();
    return at_ == text_.size();
  }

  bool Value(JsonField& field) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == '"') {
      std::u16string text;
      if (!String(text)) return false;
      field.value = std::move(text);
      return true;
    }
    std::uint64_t number = 0;
    const std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      const std::uint64_t digit = static_cast<std::uint64_t>(text_[at_] - '0');
      if (number > (UINT64_MAX - digit) / 10) return false;
      number = number * 10 + digit;
      ++at_;
    }
    // JSON writes no leading zeros.
    if (at_ == start || (text_[start] == '0' && at_ - start > 1)) return false;
    field.value = number;
    return true;
  }

  bool Hex4(char16_t& unit) {
    if (text_.size() - at_ < 4) return false;
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = text_[at_++];
      const int digit = c >= '0' && c <= '9'   ? c - '0'
                        : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                               : -1;
      if (digit < 0) return false;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    unit = static_cast<char16_t>(value);
    return true;
  }

  bool String(std::u16string& out) {
    if (!Take('"')) return false;
    std::size_t plainStart = at_;
    const auto flush = [&] {
      out += DecodeUtf8(text_.substr(plainStart, at_ - plainStart), IllFormedUtf8::kReplace);
    };
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c == '"') {
        flush();
        ++at_;
        return true;
      }
      if (c != '\\') {
        ++at_;
        continue;
      }
      flush();
      if (++at_ >= text_.size()) return false;
      const char escaped = text_[at_++];
      char16_t unit = 0;
      switch (escaped) {
        case '"':
          unit = u'"';
          break;
        case '\\':
          unit = u'\\';
          break;
        case '/':
          unit = u'/';
          break;
        case 'b':
          unit = u'\b';
          break;
        case 'f':
          unit = u'\f';
          break;
        case 'n':
          unit = u'\n';
          break;
        case 'r':
          unit = u'\r';
          break;
        case 't':
          unit = u'\t';
          break;
        case 'u':
          if (!Hex4(unit)) return false;
          break;
        default:
          return false;
      }
      out += unit;
      plainStart = at_;
    }
    return false;
  }

  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

JsonObject& JsonObject::Add(std::string name, std::u16string_view text) {
  fields_.push_back({std::move(name), std::u16string(text)});
  return *this;
}

JsonObject& JsonObject::Add(std::string name, std::uint64_t number) {
  fields_.push_back({std::move(name), number});
  return *this;
}

const std::u16string* JsonObject::Text(std::string_view name) const {
  for (const JsonField& field : fields_) {
    if (field.name == name) return std::get_if<std::u16string>(&field.value);
  }
  return nullptr;
}

const std::uint64_t* JsonObject::Number(std::string_view name) const {
  for (const JsonField& field : fields_) {
    if (field.name == name) return std::get_if<std::uint64_t>(&field.value);
  }
  return nullptr;
}

JsonObject& JsonObject::Add(std::string name, const JsonObject& object) {
  fields_.push_back({std::move(name), JsonNested{WriteJsonLine(object)}});
  return *this;
}

JsonObject& JsonObject::AddNull(std::string name) {
  fields_.push_back({std::move(name), JsonNested{"null"}});
  return *this;
}

std::string WriteJsonLine(const JsonObject& object) {
  std::string out = "{";
  for (const JsonField& field : object.Fields()) {
    if (out.size() > 1) out += ',';
    out += '"' + field.name + "\":";
    if (const auto* text = std::get_if<std::u16string>(&field.value)) {
      WriteString(out, *text);
    } else if (const auto* nested = std::get_if<JsonNested>(&field.value)) {
      out += nested->text;
    } else {
      out += std::to_string(std::get<std::uint64_t>(field.value));
    }
  }
  return out + "}";
}

std::optional<JsonObject> ReadJsonLine(std::string_view line) {
  if (line.ends_with('\n')) line.remove_suffix(1);
  Parser parser(line);
  JsonObject object;
  if (!parser.Object(object.fields_)) return std::nullopt;
  return object;
}

}  // namespace kv
