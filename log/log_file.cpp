// Appending to and clearing the activity log (log_file.h). Everything that
// decides what goes into the file happens under the exclusive lock: whether
// the mark is due, where the end is, and taking back a cut write.
#include "log/log_file.h"

#include <cstdint>
#include <string>

#include "platform/files.h"
#include "platform/limits.h"

namespace kv {
namespace {

constexpr std::string_view kMark("\xFF\xFE", 2);
constexpr std::string_view kSeparator("\x0D\x00\x0A\x00", 4);

// Low byte first whatever the host's byte order.
void AppendUtf16Le(std::u16string_view text, std::string& bytes) {
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
}

}  // namespace

LogAppendResult AppendLogRecord(const Store& store, std::u16string_view path,
                                std::u16string_view text) {
  Result<File> opened = File::OpenForAppend(store, path);
  if (!opened.Ok()) return LogAppendResult::kNotOpened;
  File& file = opened.value;
  switch (file.Lock(Sharing::kNone, limits::kLogLockWait)) {
    case LockStatus::kLocked:
      break;
    case LockStatus::kBusy:
      return LogAppendResult::kBusy;
    case LockStatus::kFailed:
      return LogAppendResult::kNotOpened;
  }
  const Result<std::uint64_t> sized = file.Size();
  if (!sized.Ok()) return LogAppendResult::kNotOpened;
  const std::uint64_t size = sized.value;
  std::string bytes(size == 0 ? kMark : std::string_view());
  bytes.reserve(bytes.size() + kSeparator.size() + 2 * text.size());
  bytes += kSeparator;
  AppendUtf16Le(text, bytes);
  if (file.Append(bytes).Ok()) return LogAppendResult::kAppended;
  // Nothing else can have written meanwhile: the lock is still held. Should
  // the cut fail too, the log keeps the part written, as the handset did.
  (void)file.Truncate(size);
  return LogAppendResult::kWriteFailed;
}

LogAppendResult AddListLineToLog(const Store& store, std::u16string_view line, LogFlag flag) {
  if (flag == LogFlag::kListOnly) return LogAppendResult::kNotLogged;
  return AppendLogRecord(store, kLogPath, line);
}

LogClearResult ClearLog(const Store& store) {
  switch (DeleteStoreFile(store, kLogPath).status) {
    case FileStatus::kOk:
      return LogClearResult::kCleared;
    case FileStatus::kFileNotFound:
      return LogClearResult::kAbsent;
    case FileStatus::kFailed:
    case FileStatus::kLocked:
    case FileStatus::kNotRegular:
      break;
  }
  return LogClearResult::kRefused;
}

}  // namespace kv
