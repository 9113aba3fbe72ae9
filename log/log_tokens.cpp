// LogTokenReader: a chunk buffer over the open log, refilled as units are
// taken, so a unit or a CR LF astride two chunks reads like any other.
#include "log/log_tokens.h"

#include <cstring>
#include <span>

#include "platform/limits.h"

namespace kv {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;

}  // namespace

bool LogTokenReader::Open(const Store& store, std::u16string_view path) {
  Result<File> opened = File::OpenForRead(store, path, Sharing::kRead, limits::kLogLockWait);
  if (!opened.Ok()) return false;
  file_ = std::move(opened.value);
  buffer_.resize(kChunkBytes);
  char16_t mark = 0;
  return NextUnit(mark) && mark == 0xFEFF;
}

bool LogTokenReader::Fill() {
  while (end_ - begin_ < 2) {
    // Keep the odd byte left over, if any, at the front.
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    const Result<std::size_t> got = file_.Read(std::span(buffer_).subspan(end_));
    if (!got.Ok()) {
      failed_ = true;
      return false;
    }
    if (got.value == 0) return false;
    end_ += got.value;
  }
  return true;
}

bool LogTokenReader::NextUnit(char16_t& unit) {
  if (!Fill()) return false;
  const auto low = static_cast<unsigned char>(buffer_[begin_]);
  const auto high = static_cast<unsigned char>(buffer_[begin_ + 1]);
  unit = static_cast<char16_t>(low | high << 8);
  begin_ += 2;
  return true;
}

bool LogTokenReader::AtEnd() { return !Fill(); }

LogToken LogTokenReader::Next(char16_t& unit) {
  char16_t current = 0;
  while (NextUnit(current)) {
    if (current != u'\r') {
      unit = current;
      return LogToken::kText;
    }
    char16_t follower = 0;
    if (!NextUnit(follower)) break;
    if (follower == u'\n') return LogToken::kLineBreak;
  }
  return LogToken::kEnd;
}

}  // namespace kv
