// FormatText: fills the string table's "%s", "%d" and "%02d" in UTF-16, the
// three conversions its texts use, without printf (which has no UTF-16
// form), plus the dated-line helpers for "%02d/%d/%d %02d:%02d:%02d".
//
// Entry points: FormatText, FormatDated, DatedText.
// A conversion takes the next argument. One whose argument is missing or of
// the other kind, and any other "%" sequence, is copied as it stands: a text
// is user-visible, so a mistake in it shows rather than reading past the
// arguments. "%%" is one "%".
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

#include "platform/clock.h"

namespace kv::strings {

using FormatArgument = std::variant<int, std::u16string_view>;

std::u16string FormatText(std::u16string_view format,
                          std::initializer_list<FormatArgument> arguments);

// `format` with the year, month, day, hour, minute and second of `time`,
// in that order, as every dated line of the program takes them.
std::u16string FormatDated(std::u16string_view format, const LocalTime& time);

// FormatDated with the host's local time now.
std::u16string DatedText(std::u16string_view format);

}  // namespace kv::strings
