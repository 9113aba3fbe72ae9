// DatedText: FormatDated with the host clock. In a file of its own so that
// only a program that reads the clock links it.
#include "platform/clock.h"
#include "resources/text_format.h"

namespace kv::strings {

std::u16string DatedText(std::u16string_view format) {
  return FormatDated(format, CurrentLocalTime());
}

}  // namespace kv::strings
