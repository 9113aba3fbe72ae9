// The file matcher on real files in a temporary store: which signature
// decides, wherever the hit lies; the verdicts for absent, unreadable,
// empty, locked, too large and special files (what a link is, is the
// store's: store_files_test); a short read; an engine failure and a
// database without character signatures, which leave the file alone; and a
// file truncated while it is checked.
#include "scan/file_matcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>

#include "database/signature_database.h"
#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/limits.h"
#include "platform/text.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

class FileMatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { UseSignatures({"alpha", "beta[0-9]+", "gamma$"}); }

  void UseSignatures(std::initializer_list<std::string> patterns) {
    SignatureList signatures;
    for (const std::string& pattern : patterns) signatures.push_back({pattern, ""});
    database_ = SignatureDatabase::OfCharacterSignatures(signatures);
    matcher_ = std::make_unique<FileMatcher>(store_, *database_, &cancel_);
  }
  // The verdict as DumpEvent writes it, without the path.
  static std::string Shown(const Verdict& verdict) {
    return DumpEvent(FileVerdict{u"", verdict, {}, 0}).substr(std::string("verdict  ").size());
  }
  std::string Check(std::u16string_view path) { return Shown(matcher_->CheckFile(path)); }

  TempPrefix prefix_;
  const Store& store_ = prefix_.Store();
  std::shared_ptr<const SignatureDatabase> database_;
  CancelToken cancel_;
  std::unique_ptr<FileMatcher> matcher_;
};

TEST_F(FileMatcherTest, FirstSignatureInListOrderDecides) {
  // Zero and high bytes are ordinary bytes.
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {
      {"xx alpha xx", "infected 1"}, {"beta7", "infected 2"}, {"...gamma", "infected 3"},
      {"gamma alpha", "infected 1"}, {"gamma!", "clean"},
      {std::string("\0\0beta\0" "42", 9), "clean"}, {std::string("\0\0\0alpha", 8), "infected 1"},
      {"\xff\x80" "beta1\xfe", "infected 2"},
      {std::string(1u << 20, 'x') + "alpha", "infected 1"}};
  // clang-format on
  for (const auto& [content, expected] : cases) {
    const fs::path file = prefix_.WriteStoreFile("Files/sample.bin", content);
    EXPECT_EQ(Check(u"\\files\\SAMPLE.bin"), expected) << content.substr(0, 20);
    EXPECT_TRUE(fs::exists(file));  // the matcher never deletes
  }
}

TEST_F(FileMatcherTest, FilesItCannotReadOrSearchAreNotCheckedAndEmptyOnesClean) {
  prefix_.WriteStoreFile("empty.exe", "");
  prefix_.WriteStoreFile("locked.exe", "alpha");
  fs::create_directory(prefix_.StorePath() / "folder.exe");
  const fs::path large = prefix_.WriteStoreFile("large.exe", "");
  fs::resize_file(large, limits::kMaxScannedFileBytes + 1);
  Result<File> holder = File::OpenForRead(store_, u"\\locked.exe", Sharing::kRead);
  ASSERT_EQ(holder.status, FileStatus::kOk);
  const std::pair<std::u16string_view, std::string> cases[] = {
      {u"\\missing.exe", "not checked (absent)"},
      {u"\\empty.exe", "clean"},
      {u"\\NoFolder\\missing.exe", "not checked (unreadable)"},
      {u"\\locked.exe", "not checked (locked)"},
      {u"\\folder.exe", "not checked (not a regular file)"},
      {u"\\large.exe", "not checked (too large)"},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(Check(path), expected) << Utf16ToUtf8(path);
  }
  EXPECT_TRUE(holder.value.Close().Ok());
  // The second signature re-enters itself without consuming text (a later
  // hit would still win: fast_signature_search_test); the file is left
  // closed and unlocked.
  UseSignatures({"nomatch", "(?R)"});
  EXPECT_EQ(Check(u"\\locked.exe"), "not checked (engine bound)");
  EXPECT_EQ(File::OpenForRead(store_, u"\\locked.exe", Sharing::kNone).status, FileStatus::kOk);
  UseSignatures({});
  EXPECT_EQ(Check(u"\\locked.exe"), "not checked (no database)");
  UseSignatures({"x*"});  // matches the empty text, so any file but an empty one
  EXPECT_EQ(Check(u"\\empty.exe"), "clean");
  EXPECT_EQ(Check(u"\\locked.exe"), "infected 1");
  // A caller's own limit, below the scanned files' one: over it, unread.
  for (const auto& [maxBytes, expected] :
       {std::pair<std::uint64_t, std::string>{4, "not checked (too large)"}, {5, "infected 1"}}) {
    Result<File> opened = File::OpenForRead(store_, u"\\locked.exe", Sharing::kNone);
    EXPECT_EQ(Shown(matcher_->CheckOpenedFile(opened.status, opened.value, maxBytes)), expected);
  }
  const ScopedFault shortRead(FaultPoint::kRead);
  EXPECT_EQ(Check(u"\\locked.exe"), "not checked (unreadable)");
}

// A writer that ignores the advisory lock truncates and refills the file
// while it is checked again and again: every check ends with a defined
// verdict (the file is read into memory, so no truncation can reach a
// search in progress) and never with a signal.
TEST_F(FileMatcherTest, AFileTruncatedByAnotherWriterGivesADefinedVerdict) {
  const std::string content = std::string(4 << 20, 'x') + "alpha";
  const fs::path file = prefix_.WriteStoreFile("moving.dat", content);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    while (!done.load()) {
      fs::resize_file(file, 0);
      WriteFile(file, content);
    }
  });
  for (int i = 0; i < 50; ++i) {
    const int code = matcher_->CheckFile(u"\\moving.dat").Code();
    EXPECT_TRUE(code == 0 || code == 1 || code == -1) << code;
  }
  done.store(true);
  writer.join();
  EXPECT_EQ(Check(u"\\moving.dat"), "infected 1");
}

}  // namespace
}  // namespace kv::testing
