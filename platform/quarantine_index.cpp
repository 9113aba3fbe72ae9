// The index's record lines and its locked append and read
// (quarantine_index.h).
#include "platform/quarantine_index.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>

#include "platform/fault_injection.h"
#include "platform/file_lock.h"
#include "platform/json_line.h"
#include "platform/limits.h"
#include "platform/quarantine_limits.h"
#include "platform/unique_fd.h"

namespace kv {
namespace {

constexpr std::array<std::string_view, 4> kOutcomeNames = {"quarantined", "deleted", "restored",
                                                           "purged"};

bool IsItemRecord(QuarantineOutcome outcome) {
  return outcome == QuarantineOutcome::kQuarantined || outcome == QuarantineOutcome::kDeleted;
}

std::u16string Ascii(std::string_view text) { return std::u16string(text.begin(), text.end()); }

// The field as ASCII text; nothing when absent or not ASCII.
std::optional<std::string> AsciiField(const JsonObject& object, std::string_view name) {
  const std::u16string* text = object.Text(name);
  if (text == nullptr) return std::nullopt;
  std::string out;
  for (const char16_t unit : *text) {
    if (unit < 0x20 || unit > 0x7E) return std::nullopt;
    out += static_cast<char>(unit);
  }
  return out;
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

std::optional<QuarantineRecord> ParseRecordLine(std::string_view line) {
  const std::optional<JsonObject> object = ReadJsonLine(line);
  if (!object) return std::nullopt;
  const std::optional<std::string> id = AsciiField(*object, "id");
  const std::optional<std::string> time = AsciiField(*object, "time");
  const std::optional<std::string> outcome = AsciiField(*object, "outcome");
  if (!id || !time || !outcome || object->Text("path") == nullptr || id->empty()) {
    return std::nullopt;
  }
  QuarantineRecord record;
  record.id = *id;
  record.time = *time;
  record.path = *object->Text("path");
  const auto* named = std::find(kOutcomeNames.begin(), kOutcomeNames.end(), *outcome);
  if (named == kOutcomeNames.end()) return std::nullopt;
  record.outcome = static_cast<QuarantineOutcome>(named - kOutcomeNames.begin());
  if (IsItemRecord(record.outcome)) {
    const std::uint64_t* size = object->Number("size");
    const std::optional<std::string> sha256 = AsciiField(*object, "sha256");
    const std::optional<std::string> permissions = AsciiField(*object, "permissions");
    if (size == nullptr || !sha256 || !IsHexDigest(*sha256) ||
        object->Text("signature") == nullptr || object->Text("scan_mode") == nullptr ||
        !permissions || permissions->size() != 4 ||
        permissions->find_first_not_of("01234567") != std::string::npos) {
      return std::nullopt;
    }
    record.size = *size;
    record.sha256 = *sha256;
    record.signature = *object->Text("signature");
    record.scanMode = *object->Text("scan_mode");
    record.permissions = static_cast<unsigned>(std::stoul(*permissions, nullptr, 8));
  }
  if (record.outcome == QuarantineOutcome::kRestored) {
    if (object->Text("to") == nullptr) return std::nullopt;
    record.to = *object->Text("to");
  }
  return record;
}

Result<void> AppendIndexLines(int folder, std::string_view lines, IndexSync sync) {
  const UniqueFd index(::openat(folder, kIndexName,
                                O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY,
                                S_IRUSR | S_IWUSR));
  if (!index.IsValid()) return HostFailure();
  const Result<std::uint64_t> locked =
      CheckAndLock(index.Get(), Sharing::kNone, limits::kLogLockWait);
  if (!locked.Ok()) return locked.Error();
  const auto size = static_cast<off_t>(locked.value);
  std::string bytes(lines);
  // A line a crash cut short is ended here, so that it spoils only itself.
  char last = '\n';
  if (size > 0 && ::pread(index.Get(), &last, 1, size - 1) != 1) return HostFailure();
  if (last != '\n') bytes.insert(0, 1, '\n');
  const bool wrote = !ConsumeFault(FaultPoint::kQuarantineRecord) && WriteAll(index.Get(), bytes);
  if (!wrote || (sync == IndexSync::kNow && ::fsync(index.Get()) != 0)) {
    const Failure failed = HostFailure();
    (void)::ftruncate(index.Get(), size);
    return failed;
  }
  return {};
}

bool SyncIndex(int folder) {
  const UniqueFd index(::openat(folder, kIndexName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
  return index.IsValid() && ::fsync(index.Get()) == 0;
}

Result<IndexRecords> ReadIndex(int folder) {
  const UniqueFd index(::openat(folder, kIndexName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
  if (!index.IsValid()) {
    if (errno == ENOENT) return IndexRecords{};
    return HostFailure();
  }
  if (const Result<std::uint64_t> locked =
          CheckAndLock(index.Get(), Sharing::kRead, limits::kLogLockWait);
      !locked.Ok()) {
    return locked.Error();
  }
  std::string content;
  std::array<char, 1 << 16> buffer{};
  for (;;) {
    const ssize_t got = ::read(index.Get(), buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return HostFailure();
    if (got == 0) break;
    content.append(buffer.data(), static_cast<std::size_t>(got));
    if (content.size() > limits::kMaxQuarantineIndexBytes)
      return Failure{FileStatus::kFailed, EFBIG};
  }
  IndexRecords read;
  std::size_t start = 0;
  while (start < content.size()) {
    std::size_t end = content.find('\n', start);
    if (end == content.npos) end = content.size();
    const std::string_view line(content.data() + start, end - start);
    if (std::optional<QuarantineRecord> record = ParseRecordLine(line)) {
      read.records.push_back(std::move(*record));
    } else if (!line.empty()) {
      ++read.unreadable;
    }
    start = end + 1;
  }
  return read;
}

}  // namespace kv
