// The index's record lines and its locked append and read
// (quarantine_index.h).
#include "platform/quarantine_index.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>

#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "platform/json_line.h"
#include "platform/limits.h"
#include "platform/quarantine_limits.h"
#include "platform/unique_fd.h"

namespace kv::platform {
namespace {

constexpr std::array<std::string_view, 4> kOutcomeNames = {"quarantined", "deleted", "restored",
                                                           "purged"};

bool IsItemRecord(QuarantineOutcome outcome) {
  return outcome == QuarantineOutcome::kQuarantined || outcome == QuarantineOutcome::kDeleted;
}

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// The field as ASCII text, or false when absent or not ASCII.
bool AsciiField(const JsonObject& object, std::string_view name, std::string& out) {
  const std::u16string* text = object.Text(name);
  if (text == nullptr) return false;
  out.clear();
  for (const char16_t unit : *text) {
    if (unit < 0x20 || unit > 0x7E) return false;
    out += static_cast<char>(unit);
  }
  return true;
}

bool IsHexDigest(std::string_view text) {
  return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == text.npos;
}

}  // namespace

std::string_view OutcomeName(QuarantineOutcome outcome) {
  return kOutcomeNames[static_cast<std::size_t>(outcome)];
}

std::string RecordLine(const QuarantineRecord& record) {
  JsonObject object;
  object.Add("id", Ascii(record.id))
      .Add("time", Ascii(record.time))
      .Add("outcome", Ascii(OutcomeName(record.outcome)))
      .Add("path", record.path);
  if (IsItemRecord(record.outcome)) {
    std::array<char, 8> permissions{};
    std::snprintf(permissions.data(), permissions.size(), "%04o", record.permissions & 07777);
    object.Add("size", record.size)
        .Add("sha256", Ascii(record.sha256))
        .Add("signature", record.signature)
        .Add("scan_mode", record.scanMode)
        .Add("permissions", Ascii(permissions.data()));
  }
  if (record.outcome == QuarantineOutcome::kRestored) object.Add("to", record.to);
  return WriteJsonLine(object) + "\n";
}

bool ParseRecordLine(std::string_view line, QuarantineRecord& record) {
  JsonObject object;
  std::string outcome;
  if (!ReadJsonLine(line, object) || !AsciiField(object, "id", record.id) ||
      !AsciiField(object, "time", record.time) || !AsciiField(object, "outcome", outcome) ||
      object.Text("path") == nullptr || record.id.empty()) {
    return false;
  }
  record.path = *object.Text("path");
  bool known = false;
  for (std::size_t i = 0; i < kOutcomeNames.size(); ++i) {
    if (outcome == kOutcomeNames[i]) {
      record.outcome = static_cast<QuarantineOutcome>(i);
      known = true;
    }
  }
  if (!known) return false;
  if (IsItemRecord(record.outcome)) {
    std::string permissions;
    const std::uint64_t* size = object.Number("size");
    if (size == nullptr || !AsciiField(object, "sha256", record.sha256) ||
        !IsHexDigest(record.sha256) || object.Text("signature") == nullptr ||
        object.Text("scan_mode") == nullptr || !AsciiField(object, "permissions", permissions) ||
        permissions.size() != 4 || permissions.find_first_not_of("01234567") != permissions.npos) {
      return false;
    }
    record.size = *size;
    record.signature = *object.Text("signature");
    record.scanMode = *object.Text("scan_mode");
    record.permissions = static_cast<unsigned>(std::stoul(permissions, nullptr, 8));
  }
  if (record.outcome == QuarantineOutcome::kRestored) {
    if (object.Text("to") == nullptr) return false;
    record.to = *object.Text("to");
  }
  return true;
}

bool AppendIndexLine(int folder, std::string_view line) {
  const UniqueFd index(::openat(folder, kIndexName,
                                O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                                S_IRUSR | S_IWUSR));
  if (!index.IsValid() ||
      LockWaiting(index.Get(), Sharing::kNone, limits::kLogLockWait) != LockStatus::kLocked) {
    return false;
  }
  struct stat status {};
  if (::fstat(index.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  std::string bytes(line);
  // A line a crash cut short is ended here, so that it spoils only itself.
  char last = '\n';
  if (status.st_size > 0 && ::pread(index.Get(), &last, 1, status.st_size - 1) != 1) return false;
  if (last != '\n') bytes.insert(0, 1, '\n');
  const bool wrote = !ConsumeFault(FaultPoint::kQuarantineRecord) && WriteAll(index.Get(), bytes);
  if (!wrote || ::fsync(index.Get()) != 0) {
    (void)::ftruncate(index.Get(), status.st_size);
    return false;
  }
  return true;
}

bool ReadIndex(int folder, std::vector<QuarantineRecord>& records, std::size_t& unreadable) {
  records.clear();
  unreadable = 0;
  const UniqueFd index(::openat(folder, kIndexName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
  if (!index.IsValid()) return errno == ENOENT;
  struct stat status {};
  if (::fstat(index.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::uint64_t>(status.st_size) > limits::kMaxQuarantineIndexBytes ||
      LockWaiting(index.Get(), Sharing::kRead, limits::kLogLockWait) != LockStatus::kLocked) {
    return false;
  }
  std::string content;
  std::array<char, 1 << 16> buffer{};
  for (;;) {
    const ssize_t got = ::read(index.Get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;
    content.append(buffer.data(), static_cast<std::size_t>(got));
    if (content.size() > limits::kMaxQuarantineIndexBytes) return false;
  }
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == content.npos) end = content.size();
    const std::string_view line(content.data() + start, end - start);
    QuarantineRecord record;
    if (ParseRecordLine(line, record)) {
      records.push_back(std::move(record));
    } else if (!line.empty()) {
      ++unreadable;
    }
    start = end + 1;
  }
  return true;
}

}  // namespace kv::platform
