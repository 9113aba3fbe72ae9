// Signed-byte character tests with the "C" locale's answers for 0x00-0x7F
// and no class at all for negative values (see char_types.h for why the
// C library's functions are not called).
#include "pattern/internal/char_types.h"

namespace kv::chartype {

bool IsUpper(int c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(int c) { return c >= 'a' && c <= 'z'; }
bool IsAlpha(int c) { return IsUpper(c) || IsLower(c); }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }
bool IsAlnum(int c) { return IsAlpha(c) || IsDigit(c); }
bool IsCntrl(int c) { return (c >= 0 && c < 0x20) || c == 0x7F; }
bool IsPrint(int c) { return c >= 0x20 && c < 0x7F; }
bool IsGraph(int c) { return c > 0x20 && c < 0x7F; }
bool IsPunct(int c) { return IsGraph(c) && !IsAlnum(c); }
bool IsSpace(int c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }
bool IsXdigit(int c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

int ToUpper(int c) { return IsLower(c) ? c - 'a' + 'A' : c; }

bool IsWordByte(int c) { return IsAlnum(c) || c == '_'; }

}  // namespace kv::chartype
