// Case folding for name comparison (see the header for the covered range).
#include "platform/case_fold.h"

namespace kv {
namespace {

bool InRange(char16_t unit, char16_t first, char16_t last) { return unit >= first && unit <= last; }

}  // namespace

char16_t FoldCase(char16_t unit) {
  if (InRange(unit, u'a', u'z')) return unit - 0x20;
  // Latin-1: U+00E0..U+00FE pair with U+00C0..U+00DE, except the division
  // sign; y with diaeresis pairs with U+0178 in Latin Extended-A.
  if (InRange(unit, 0xE0, 0xFE) && unit != 0xF7) return unit - 0x20;
  if (unit == 0xFF) return 0x178;
  // Latin Extended-A: pairs with the capital first, at an even or odd unit.
  if (InRange(unit, 0x100, 0x12F) || InRange(unit, 0x132, 0x137) || InRange(unit, 0x14A, 0x177)) {
    return unit & ~char16_t{1};
  }
  if (InRange(unit, 0x139, 0x148) || InRange(unit, 0x179, 0x17E)) {
    return (unit & 1) ? unit : unit - 1;
  }
  return unit;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace kv
