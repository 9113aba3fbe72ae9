// One flat JSON object on one line: the writer and the reader of the
// quarantine's index (quarantine_index.h), and the form in which tarnscan
// prints records for scripts.
//
// Entry points: JsonObject, WriteJsonLine, ReadJsonLine.
//
// The object holds string and number fields only, in the order given:
//
//   {"id":"20261207T041615Z-1a2b3c4d","size":123,"path":"\\Windows\\a.exe"}
//
// - Numbers are unsigned decimal integers (no sign, fraction or exponent).
// - Strings are UTF-16 in memory. The writer puts each character out as
//   UTF-8, except '"' and '\' (escaped as \" and \\), the control
//   characters U+0000-U+001F (as \u00XX) and lone surrogates (as \uDCXX),
//   which a device path holds for each byte of a host name that is not
//   UTF-8 (host_name.h): so every path survives the round trip unchanged.
// - The tools' own output may also nest an object or write null
//   (JsonNested); the index never does, and the reader refuses both.
// - No blanks are written; the reader takes blanks between tokens, every
//   JSON string escape, and refuses anything else: nested values, true,
//   false, null, signs, fractions, duplicate names, trailing text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kv {

// An object written into another (or null): kept as its written text.
struct JsonNested {
  std::string text;  // "null", or a written object
  bool operator==(const JsonNested&) const = default;
};

struct JsonField {
  std::string name;  // ASCII, never escaped by the writer
  std::variant<std::u16string, std::uint64_t, JsonNested> value;
};

class JsonObject {
 public:
  JsonObject& Add(std::string name, std::u16string_view text);
  JsonObject& Add(std::string name, std::uint64_t number);
  // For written lines only (the reader takes no nesting and no null).
  JsonObject& Add(std::string name, const JsonObject& object);
  JsonObject& AddNull(std::string name);

  // The field's value, or null when it is absent or of the other kind.
  const std::u16string* Text(std::string_view name) const;
  const std::uint64_t* Number(std::string_view name) const;

  const std::vector<JsonField>& Fields() const { return fields_; }

 private:
  friend std::optional<JsonObject> ReadJsonLine(std::string_view line);
  std::vector<JsonField> fields_;
};

// The object as one line of JSON, without a line break.
std::string WriteJsonLine(const JsonObject& object);

// Parses one line (a trailing line break is allowed); nothing when the line
// is not such an object.
std::optional<JsonObject> ReadJsonLine(std::string_view line);

}  // namespace kv
