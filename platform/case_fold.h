// Case-insensitive comparison of UTF-16 names, as the handset's file system
// compares them.
//
// Entry points: FoldCase, EqualIgnoringCase.
// Folding is one unit to one unit, to upper case, and covers ASCII, Latin-1
// and Latin Extended-A: every letter that Windows-1252 signature text can
// produce, so a path widened from the database finds its file whatever the
// case. Other scripts compare exactly. Dotless i, dotted capital I, long s,
// kra, the n preceded by an apostrophe, sharp s and micro sign have no
// one-unit partner and fold to themselves.
#pragma once

#include <string_view>

namespace kv {

char16_t FoldCase(char16_t unit);

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace kv
