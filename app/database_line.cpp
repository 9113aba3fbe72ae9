// The database line, its texts from the string table.
#include "app/database_line.h"

#include "resources/string_table.h"
#include "resources/text_format.h"

namespace kv {

std::u16string DatabaseLine(const SignatureDatabase& database) {
  if (!database.HasCharacterSignatures()) {
    return std::u16string(strings::LoadString(strings::kDatabaseLineNotLoaded));
  }
  const std::uint64_t count = database.CharacterSignatures().size() +
                              database.FileSignatures().size() +
                              database.ProcessSignatures().size();
  if (count == 1) {
    return strings::FormatText(strings::LoadString(strings::kDatabaseLineOne),
                               {static_cast<int>(database.Version())});
  }
  const std::u16string grouped = GroupThousands(count);
  return strings::FormatText(strings::LoadString(strings::kDatabaseLine),
                             {static_cast<int>(database.Version()), std::u16string_view(grouped)});
}

std::u16string GroupThousands(std::uint64_t number) {
  std::u16string digits;
  for (int written = 0; number > 0 || written == 0; ++written, number /= 10) {
    if (written > 0 && written % 3 == 0) digits.insert(digits.begin(), u',');
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
  }
  return digits;
}

}  // namespace kv
