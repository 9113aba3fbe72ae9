// The pattern token reader: one call of ReadToken looks at the next read
// position and either produces the token there or skips text. Context
// (inside a class or not, just after `[` or `[:`) comes from the class depth
// and from the two tokens read before, never from looking back in the text.
#include "pattern/internal/token_reader.h"

#include <string_view>

#include "pattern/internal/char_types.h"
#include "pattern/pattern_flags.h"

namespace kv {
namespace {

// The byte of a control-character escape such as `\n`, or -1.
int ControlEscape(int d) {
  switch (d) {
    case 'a':
      return 0x07;
    case 'e':
      return 0x1B;
    case 'f':
      return 0x0C;
    case 'n':
      return 0x0A;
    case 'r':
      return 0x0D;
    case 't':
      return 0x09;
    case 'v':
      return 0x0B;
    default:
      return -1;
  }
}

}  // namespace

HexDigits ReadHex(std::string_view text, int maxDigits) {
  HexDigits result;
  while (result.count < maxDigits && static_cast<std::size_t>(result.count) < text.size()) {
    const char c = text[result.count];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      break;
    }
    result.value = result.value * 16 + static_cast<std::uint32_t>(digit);
    ++result.count;
  }
  return result;
}

void PatternTokenReader::Start(const char* pattern, int length, int flags) {
  pattern_ = (pattern != nullptr && length > 0)
                 ? std::string_view(pattern, static_cast<std::size_t>(length))
                 : std::string_view();
  curr_ = next_ = ahead_ = PatternToken{};
  readPos_ = 0;
  classDepth_ = 0;
  quoted_ = false;
  quoteCase_ = QuoteCase::kNone;
  extended_ = (flags & PF_EXTENDED) != 0;
  Advance();
  Advance();
  Advance();
}

void PatternTokenReader::Advance() {
  curr_ = next_;
  next_ = ahead_;
  while (ReadToken() == 0) {
  }
}

std::string_view PatternTokenReader::Text(int from, int to) const {
  const int length = static_cast<int>(pattern_.size());
  if (from < 0) from = 0;
  if (to > length) to = length;
  if (from >= to) return {};
  return pattern_.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from));
}

int PatternTokenReader::CharAt(int index) const {
  if (index < 0 || index >= static_cast<int>(pattern_.size())) return 0;
  return static_cast<signed char>(pattern_[static_cast<std::size_t>(index)]);
}

void PatternTokenReader::Produce(int ch, bool special, int pos, int len) {
  ahead_.ch = static_cast<signed char>(ch & 0xFF);
  ahead_.special = special ? 1 : 0;
  ahead_.pos = pos;
  ahead_.len = len;
  readPos_ = pos + len;
}

int PatternTokenReader::ReadToken() {
  const int length = static_cast<int>(pattern_.size());
  const int p = readPos_;
  if (p >= length) {
    Produce(0, true, length, 0);
    return 1;
  }
  const int c = CharAt(p);
  if (quoted_) {
    if (c == '\\' && CharAt(p + 1) == 'E') {
      quoted_ = false;
      quoteCase_ = QuoteCase::kNone;
      readPos_ = p + 2;
      return 0;
    }
    int ch = c;
    if (quoteCase_ == QuoteCase::kLower) ch = chartype::ToLower(c);
    if (quoteCase_ == QuoteCase::kUpper) ch = chartype::ToUpper(c);
    Produce(ch, false, p, 1);
    return 1;
  }
  const bool inClass = classDepth_ > 0;
  switch (c) {
    case '\\':
      return ReadEscape(p);
    case '(':
      if (CharAt(p + 1) == '?' && CharAt(p + 2) == '#') {
        // A comment runs to its `)`; an unterminated one to the end.
        const std::size_t close = pattern_.find(')', static_cast<std::size_t>(p) + 3);
        readPos_ = close == std::string_view::npos ? length : static_cast<int>(close) + 1;
        return 0;
      }
      Produce(c, !inClass, p, 1);
      return 1;
    case '*':
    case '+':
    case '?':
    case '.':
    case '{':
    case '}':
    case ')':
    case '|':
    case '$':
      Produce(c, !inClass, p, 1);
      return 1;
    case '-':
      Produce(c, inClass, p, 1);
      return 1;
    case '[': {
      const bool special = !inClass || CharAt(p + 1) == ':';
      if (special) ++classDepth_;
      Produce(c, special, p, 1);
      return 1;
    }
    case ']':
      if (inClass) --classDepth_;
      Produce(c, inClass, p, 1);
      return 1;
    case ':':
      Produce(c, IsSpecial(next_, '['), p, 1);
      return 1;
    case '^':
      Produce(c,
              !inClass || IsSpecial(next_, '[') || (IsSpecial(curr_, '[') && IsSpecial(next_, ':')),
              p, 1);
      return 1;
    default:
      break;
  }
  if (extended_) {
    if (chartype::IsSpace(c)) {
      readPos_ = p + 1;
      return 0;
    }
    if (c == '#') {
      int end = p + 1;
      while (end < length && CharAt(end) != 0x0A && CharAt(end) != 0x0D) ++end;
      readPos_ = end;
      return 0;
    }
  }
  Produce(c, false, p, 1);
  return 1;
}

int PatternTokenReader::ReadEscape(int p) {
  const bool inClass = classDepth_ > 0;
  if (p + 1 >= static_cast<int>(pattern_.size())) {
    Produce('\\', false, p, 1);  // a backslash that ends the pattern
    return 1;
  }
  const int d = CharAt(p + 1);
  if (chartype::IsDigit(d)) {
    Produce('\\', true, p, 1);  // the digits follow as ordinary tokens
    return 1;
  }
  const int control = ControlEscape(d);
  if (control >= 0) {
    Produce(control, false, p, 2);
    return 1;
  }
  switch (d) {
    case 'A':
    case 'B':
    case 'D':
    case 'S':
    case 'W':
    case 'Z':
    case 'd':
    case 'g':
    case 'k':
    case 's':
    case 'w':
    case 'z':
      Produce(d, true, p, 2);
      return 1;
    case 'G':
      if (inClass) {
        readPos_ = p + 2;  // \G means nothing inside a class
        return 0;
      }
      Produce(d, true, p, 2);
      return 1;
    case 'b':
      Produce(inClass ? 0x08 : 'b', !inClass, p, 2);
      return 1;
    case 'x':
    case 'u': {
      if (CharAt(p + 2) == '{') {
        ReadBracedHex(p);
        return 1;
      }
      const HexDigits hex = ReadHex(Text(p + 2, p + 2 + 4), d == 'x' ? 2 : 4);
      if (hex.count == 0) {
        Produce(d, false, p, 2);
      } else {
        Produce(static_cast<int>(hex.value & 0xFF), false, p, 2 + hex.count);
      }
      return 1;
    }
    case 'Q':
    case 'L':
    case 'U':
      quoted_ = true;
      quoteCase_ = d == 'L' ? QuoteCase::kLower : d == 'U' ? QuoteCase::kUpper : QuoteCase::kNone;
      readPos_ = p + 2;
      return 0;
    case 'E':
      quoteCase_ = QuoteCase::kNone;
      readPos_ = p + 2;
      return 0;
    default:
      Produce(d, false, p, 2);
      return 1;
  }
}

void PatternTokenReader::ReadBracedHex(int p) {
  // `\x{` or `\u{`: up to 8 digits; the token runs to the next `}`.
  const HexDigits hex = ReadHex(Text(p + 3, p + 3 + 8), 8);
  const std::size_t close =
      pattern_.find('}', static_cast<std::size_t>(p) + 3 + static_cast<std::size_t>(hex.count));
  const int end = close == std::string_view::npos ? static_cast<int>(pattern_.size())
                                                  : static_cast<int>(close) + 1;
  Produce(static_cast<int>(hex.value & 0xFF), false, p, end - p);
}

}  // namespace kv
