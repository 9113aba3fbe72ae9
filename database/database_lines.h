// DatabaseLineCursor: the line walk over a signature database held in
// memory, shared by the loader, the delete-list reader and tarnsig.
//
// A line ends at its CR; the CR and the byte after it (normally LF, but
// whatever it is) are skipped, so every line counts its length plus 2 bytes.
// Text after the last CR is not a line. A zero byte is an ordinary byte here;
// it only ends a line once the line has been decoded.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace kv {

class DatabaseLineCursor {
 public:
  explicit DatabaseLineCursor(std::string_view content) : content_(content) {}

  // The next line's text without its line end; nullopt when no CR is left.
  std::optional<std::string_view> Next();

  // Bytes counted so far: every line's length plus 2. May exceed the content
  // size by one when the last CR is the content's last byte.
  std::size_t Consumed() const { return consumed_; }

  // 1 for the first line returned by Next(), then 2, ...
  std::size_t LineNumber() const { return lineNumber_; }

 private:
  std::string_view content_;
  std::size_t lineStart_ = 0;
  std::size_t consumed_ = 0;
  std::size_t lineNumber_ = 0;
};

}  // namespace kv
