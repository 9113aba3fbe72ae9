// Character tests and case conversion on signed 8-bit values, the way the
// pattern engine sees every byte (0x80-0xFF are -128..-1).
//
// The C library's <cctype> functions take an int that must be EOF or fit in
// unsigned char, and their answers depend on the global locale; fed a
// negative byte they are undefined. So the engine uses these instead: for
// 0x00-0x7F they give the "C" locale's answers, and every negative value
// belongs to no class and has no case (ToUpper/ToLower return it unchanged).
// That keeps every answer the same whatever locale the process runs in.
#pragma once

namespace kv::chartype {

bool IsAlnum(int c);
bool IsAlpha(int c);
bool IsCntrl(int c);
bool IsDigit(int c);
bool IsGraph(int c);
bool IsLower(int c);
bool IsPrint(int c);
bool IsPunct(int c);
bool IsSpace(int c);
bool IsUpper(int c);
bool IsXdigit(int c);

int ToUpper(int c);
// Inline: the literal searches fold every byte they compare.
inline int ToLower(int c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

// A byte of \w and of the word-edge test: A-Z, a-z, 0-9 and underscore.
bool IsWordByte(int c);

// Byte equality of literals and back-references: identical, or, ignoring
// case, the same after ToUpper.
inline bool SameByte(int a, int b, bool ignoreCase) {
  return a == b || (ignoreCase && ToUpper(a) == ToUpper(b));
}

}  // namespace kv::chartype
