// ProcessDeleteList: the delete-list walk over the database file read again.
// Lines are cut, skipped and decoded exactly as the loader does
// (DatabaseLineCursor, DecodeDatabaseLine), so the offset the loader
// counted lands on the first delete-list line.
#include "scan/delete_list.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/limits.h"
#include "platform/text.h"
#include "scan/database_lines.h"
#include "scan/line_decoder.h"
#include "scan/virus_database.h"

namespace kv {
namespace {

// The database file's bytes from `offset` on; nullopt when the file cannot
// be read or is no longer than `offset`.
std::optional<std::string> ReadDeleteLists(const platform::Store& store, std::size_t offset) {
  platform::File file;
  if (platform::File::OpenForRead(store, kVirusDatabasePath, platform::Sharing::kRead, file) !=
      platform::FileStatus::kOk) {
    return std::nullopt;
  }
  std::string content;
  if (!file.ReadAll(content, limits::kMaxDatabaseFileBytes)) return std::nullopt;
  if (content.size() <= offset) return std::nullopt;
  return content.substr(offset);
}

// The plain text of a stored line up to its first zero byte; empty when it
// cannot be decoded or is longer than the format allows.
std::string PlainLine(std::string_view stored) {
  std::string plain;
  if (stored.size() > limits::kMaxEncodedLine || !DecodeDatabaseLine(kDatabaseKey, stored, plain)) {
    return {};
  }
  plain.resize(std::min(plain.size(), plain.find('\0')));
  return plain;
}

bool IsHeader(std::string_view plain) { return plain.find('[') != std::string_view::npos; }

// "[name]" gives "name": the line without its first and last character.
std::string_view HeaderName(std::string_view plain) {
  return plain.size() < 2 ? std::string_view() : plain.substr(1, plain.size() - 2);
}

}  // namespace

void ProcessDeleteList(const platform::Store& store, const SignatureDatabase& database,
                       std::string_view signatureName) {
  if (database.deleteFilesOffset <= 0) return;
  const std::optional<std::string> lists =
      ReadDeleteLists(store, static_cast<std::size_t>(database.deleteFilesOffset));
  if (!lists) return;

  DatabaseLineCursor cursor(*lists);
  bool inGroup = false;
  while (const std::optional<std::string_view> stored = cursor.Next()) {
    const std::string plain = PlainLine(*stored);
    if (IsHeader(plain) && HeaderName(plain) == signatureName) {
      inGroup = true;
      continue;
    }
    if (inGroup) {
      if (IsHeader(plain)) return;
      (void)platform::DeleteStoreFile(store, platform::WidenAnsi(plain));
    }
    if (cursor.Consumed() >= lists->size()) return;
  }
}

}  // namespace kv
