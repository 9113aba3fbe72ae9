// The token reader of the pattern compiler: turns pattern text into
// PatternTokens, deciding for every character whether it is ordinary or a
// metacharacter in its context (inside or outside a bracket class),
// resolving escapes to byte values and dropping comments, quoting marks and,
// in extended mode, white space.
//
// Entry points: PatternTokenReader::Start, Advance and the three-token
// window Curr/Next/Ahead; ReadHex. The compiler looks at up to three tokens
// before consuming one, and the reader itself decides context from the two
// tokens before the one it reads, which is why the window is kept here.
#pragma once

#include <cstdint>
#include <string_view>

namespace kv {

struct PatternToken {
  signed char ch = 0;  // byte value, signed like every byte the engine sees
  int special = 0;     // 1: metacharacter, 0: ordinary character
  int pos = 0;         // index of its first pattern character
  int len = 0;         // number of pattern characters it spans

  // pos and len do not take part: two tokens are the same token when they
  // stand for the same character with the same meaning.
  bool operator==(const PatternToken& other) const {
    return ch == other.ch && special == other.special;
  }
};

// True for the special token `c`; the end of the pattern is the special 0.
inline bool IsSpecial(const PatternToken& token, char c) {
  return token.special != 0 && token.ch == static_cast<signed char>(c);
}
inline bool IsEnd(const PatternToken& token) { return IsSpecial(token, '\0'); }

// True for a special token whose character is one of `chars`.
inline bool IsSpecialIn(const PatternToken& token, std::string_view chars) {
  return token.special != 0 && token.ch != 0 &&
         chars.find(static_cast<char>(token.ch)) != std::string_view::npos;
}

struct HexDigits {
  std::uint32_t value = 0;
  int count = 0;  // digits used
};

// Up to `maxDigits` hexadecimal digits from the start of `text`, stopping at
// the first other character.
HexDigits ReadHex(std::string_view text, int maxDigits);

class PatternTokenReader {
 public:
  // Starts reading `pattern[0, length)` (`pattern` may be null when length is
  // 0) and fills the window with the first three tokens. Only the
  // PF_EXTENDED bit of `flags` matters here.
  void Start(const char* pattern, int length, int flags);

  // Consumes Curr(): the window moves by one and a new token is read.
  void Advance();

  // Reads at the next read position: 1 when a token was put into the ahead
  // slot, 0 when text was only skipped (comment, quoting mark, white space).
  int ReadToken();

  const PatternToken& Curr() const { return curr_; }
  const PatternToken& Next() const { return next_; }
  const PatternToken& Ahead() const { return ahead_; }

  // The pattern characters in [from, to), clamped to the pattern.
  std::string_view Text(int from, int to) const;

 private:
  enum class QuoteCase { kNone, kLower, kUpper };

  // The pattern character at `index`; 0 at or beyond the end.
  int CharAt(int index) const;
  void Produce(int ch, bool special, int pos, int len);
  // A backslash escape at `pos`; returns as ReadToken does.
  int ReadEscape(int pos);
  void ReadBracedHex(int pos);

  std::string_view pattern_;
  PatternToken curr_;
  PatternToken next_;
  PatternToken ahead_;
  int readPos_ = 0;
  int classDepth_ = 0;  // special `[` not yet closed by a special `]`
  bool quoted_ = false;
  QuoteCase quoteCase_ = QuoteCase::kNone;
  bool extended_ = false;
};

}  // namespace kv
