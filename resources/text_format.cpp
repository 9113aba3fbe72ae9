// FormatText and FormatDated. The conversions are parsed by hand: the only
// width the texts use is the zero-padded 2 of "%02d".
#include "resources/text_format.h"

#include <cstddef>
#include <string>

namespace kv::strings {
namespace {

// `value` in decimal, zero-padded to `width` digits (a minus sign counts as
// a digit position, as printf counts it).
std::u16string Decimal(int value, std::size_t width) {
  const std::string digits = std::to_string(value);
  std::u16string out;
  const bool negative = value < 0;
  if (negative) out += u'-';
  const std::size_t length = digits.size();
  for (std::size_t i = length; i < width; ++i) out += u'0';
  out.append(digits.begin() + (negative ? 1 : 0), digits.end());
  return out;
}

}  // namespace

std::u16string FormatText(std::u16string_view format,
                          std::initializer_list<FormatArgument> arguments) {
  static constexpr std::u16string_view kPadded = u"%02d";
  std::u16string out;
  const FormatArgument* next = arguments.begin();
  std::size_t pos = 0;
  while (pos < format.size()) {
    const std::size_t percent = format.find(u'%', pos);
    out.append(format.substr(pos, percent - pos));
    if (percent == std::u16string_view::npos) break;
    const std::u16string_view rest = format.substr(percent);
    pos = percent + 2;
    if (rest.starts_with(u"%%")) {
      out += u'%';
    } else if (rest.starts_with(u"%s") && next != arguments.end() &&
               std::holds_alternative<std::u16string_view>(*next)) {
      out.append(std::get<std::u16string_view>(*next++));
    } else if (rest.starts_with(u"%d") && next != arguments.end() &&
               std::holds_alternative<int>(*next)) {
      out += Decimal(std::get<int>(*next++), 0);
    } else if (rest.starts_with(kPadded) && next != arguments.end() &&
               std::holds_alternative<int>(*next)) {
      out += Decimal(std::get<int>(*next++), 2);
      pos = percent + kPadded.size();
    } else {
      out += u'%';
      pos = percent + 1;
    }
  }
  return out;
}

std::u16string FormatDated(std::u16string_view format, const LocalTime& time) {
  return FormatText(format, {time.year, time.month, time.day, time.hour, time.minute, time.second});
}

}  // namespace kv::strings
