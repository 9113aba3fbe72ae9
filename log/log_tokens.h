// The log file as its two readers see it: a file that begins with the mark,
// then a stream of text units and line breaks. Internal to log/.
//
// Entry point: LogTokenReader.
// The file is read front to back in chunks, never whole, since the log has
// no size limit. Units are sorted by the handset reader's rules:
// - CR followed by LF is a line break;
// - CR followed by any other unit is dropped together with that unit, and
//   a CR in the last unit is dropped (the handset took the unit after every
//   CR, whatever it was);
// - every other unit is text, a lone LF included;
// - an odd byte at the very end is no unit and is left unread.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/store.h"

namespace kv {

enum class LogToken { kText, kLineBreak, kEnd };

class LogTokenReader {
 public:
  // Opens the file at `path` sharing it for reading (waiting, as writers
  // do, for an append under way) and takes its mark. false when it cannot be
  // opened or read, or does not begin with FF FE.
  [[nodiscard]] bool Open(const Store& store, std::u16string_view path);

  // The next token; for kText its unit is in `unit`. kEnd at the end of the
  // file, and when it cannot be read further (then Failed()).
  LogToken Next(char16_t& unit);

  // true when not one whole unit is left, so the file ends right here.
  bool AtEnd();

  bool Failed() const { return failed_; }

 private:
  bool NextUnit(char16_t& unit);
  // Makes sure two bytes are buffered; false at the end or on a read error.
  bool Fill();

  File file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // first unread byte in buffer_
  std::size_t end_ = 0;    // one past the last buffered byte
  bool failed_ = false;
};

}  // namespace kv
