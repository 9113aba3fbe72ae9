// Conversions between the program's UTF-16 texts and Qt's QString, which
// is UTF-16 too, so both directions copy the units unchanged.
//
// Entry points: ToQString, FromQString, LoadQString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "resources/string_table.h"

namespace kv {

inline QString ToQString(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

inline std::u16string FromQString(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size())};
}

// The string-table entry `id` as a QString.
inline QString LoadQString(int id) { return ToQString(strings::LoadString(id)); }

}  // namespace kv
