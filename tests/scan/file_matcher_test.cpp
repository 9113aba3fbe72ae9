// The file matcher on real files in a temporary store: which signature
// decides, wherever the hit lies; the results for absent, unreadable, empty,
// locked and linked files; deletion, of read-only files too; a short read
// and a refused deletion; and engine failures, which give -1 and leave the
// file alone.
#include "scan/file_matcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <thread>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/text.h"
#include "scan/signature_database.h"
#include "support/search_status_printer.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

// A matcher over a database of `patterns`, with the handset's int results.
class FileMatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { UseSignatures({"alpha", "beta[0-9]+", "gamma$"}); }

  void UseSignatures(std::initializer_list<const char*> patterns) {
    database_ = SignatureDatabase{};
    for (const char* pattern : patterns) database_.characterSignatures.push_back({pattern, ""});
    CompileSignatures(database_);
  }
  int CheckFile(std::u16string_view path, bool deleteOnMatch) {
    return static_cast<int>(matcher_.CheckFile(path, deleteOnMatch));
  }
  int FindMatchingSignature(std::u16string_view path) {
    return matcher_.FindMatchingSignature(path).Code();
  }

  TempPrefix prefix_;
  const platform::Store& store_ = prefix_.Store();
  SignatureDatabase database_;
  CancelToken cancel_;
  FileMatcher matcher_{store_, database_, &cancel_};
};

constexpr int kFileClean = static_cast<int>(FileCheckResult::kClean);
constexpr int kFileDeleted = static_cast<int>(FileCheckResult::kDeleted);
constexpr int kFileFound = static_cast<int>(FileCheckResult::kFound);
constexpr int kFileDeleteFailed = static_cast<int>(FileCheckResult::kDeleteFailed);
constexpr int kFileUnreadable = static_cast<int>(FileCheckResult::kUnreadable);

TEST_F(FileMatcherTest, FirstSignatureInListOrderDecides) {
  // Zero and high bytes are ordinary bytes.
  // clang-format off
  const std::pair<std::string, int> cases[] = {
      {"xx alpha xx", 1}, {"beta7", 2}, {"...gamma", 3}, {"gamma alpha", 1}, {"gamma!", 0},
      {std::string("\0\0beta\0" "42", 9), 0}, {std::string("\0\0\0alpha", 8), 1},
      {"\xff\x80" "beta1\xfe", 2}};
  // clang-format on
  for (const auto& [content, expected] : cases) {
    const fs::path file = prefix_.WriteStoreFile("Files/sample.bin", content);
    EXPECT_EQ(FindMatchingSignature(u"\\Files\\sample.bin"), expected) << content;
    EXPECT_EQ(CheckFile(u"\\files\\SAMPLE.bin", 0), expected ? kFileFound : kFileClean) << content;
    EXPECT_TRUE(fs::exists(file));
  }
}

TEST_F(FileMatcherTest, FindsAHitInTheLastBytesOfALargeFile) {
  prefix_.WriteStoreFile("big.dat", std::string(1u << 20, 'x') + "alpha");
  EXPECT_EQ(FindMatchingSignature(u"\\big.dat"), 1);
}

TEST_F(FileMatcherTest, DeletesAFoundFileOnlyWhenAskedEvenIfReadOnly) {
  const fs::path found = prefix_.WriteStoreFile("Windows/evil.exe", "..alpha..");
  const fs::path clean = prefix_.WriteStoreFile("Windows/clean.exe", "nothing here");
  fs::permissions(found, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(CheckFile(u"\\Windows\\clean.exe", 1), kFileClean);
  EXPECT_EQ(CheckFile(u"\\Windows\\evil.exe", 0), kFileFound);
  EXPECT_TRUE(fs::exists(found));
  EXPECT_EQ(CheckFile(u"\\Windows\\evil.exe", 1), kFileDeleted);
  EXPECT_FALSE(fs::exists(found));
  EXPECT_TRUE(fs::exists(clean));
}

TEST_F(FileMatcherTest, AbsentOrEmptyFilesAreCleanAndUnreadableOnesAnError) {
  prefix_.WriteStoreFile("empty.exe", "");
  const fs::path locked = prefix_.WriteStoreFile("locked.exe", "alpha");
  fs::create_symlink(locked, prefix_.StorePath() / "link.exe");
  platform::File holder;
  ASSERT_EQ(platform::File::OpenForRead(store_, u"\\locked.exe", platform::Sharing::kRead, holder),
            platform::FileStatus::kOk);
  // clang-format off
  const std::pair<std::u16string_view, int> cases[] = {
      {u"\\missing.exe", 0}, {u"\\empty.exe", 0}, {u"\\NoFolder\\missing.exe", -1},
      {u"\\locked.exe", -1}, {u"\\link.exe", 0}};
  // clang-format on
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(CheckFile(path, 1), expected) << platform::Utf16ToUtf8(path);
    EXPECT_EQ(FindMatchingSignature(path), expected) << platform::Utf16ToUtf8(path);
  }
  EXPECT_TRUE(fs::exists(locked));
  EXPECT_TRUE(holder.Close());
  UseSignatures({"x*"});  // matches the empty text, so any file but an empty one
  EXPECT_EQ(CheckFile(u"\\empty.exe", 1), kFileClean);
  EXPECT_EQ(CheckFile(u"\\locked.exe", 0), kFileFound);
}

TEST_F(FileMatcherTest, ShortReadIsAnErrorAndARefusedDeletionIsReported) {
  const fs::path file = prefix_.WriteStoreFile("Windows/evil.exe", "..alpha..");
  {
    const platform::ScopedFault fault(platform::FaultPoint::kRead);
    EXPECT_EQ(CheckFile(u"\\Windows\\evil.exe", 1), kFileUnreadable);
  }
  {
    const platform::ScopedFault fault(platform::FaultPoint::kDelete);
    EXPECT_EQ(CheckFile(u"\\Windows\\evil.exe", 1), kFileDeleteFailed);
  }
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(CheckFile(u"\\Windows\\evil.exe", 1), kFileDeleted);
}

TEST_F(FileMatcherTest, EngineFailureIsAnErrorAndReleasesTheFile) {
  // The second signature re-enters itself without consuming text; the third
  // would match but must not be tried.
  UseSignatures({"nomatch", "(?R)", "alpha"});
  const fs::path file = prefix_.WriteStoreFile("f.exe", "alpha");
  EXPECT_EQ(CheckFile(u"\\f.exe", 1), kFileUnreadable);
  EXPECT_EQ(FindMatchingSignature(u"\\f.exe"), -1);
  EXPECT_TRUE(fs::exists(file));
  platform::File again;
  EXPECT_EQ(platform::File::OpenForRead(store_, u"\\f.exe", platform::Sharing::kNone, again),
            platform::FileStatus::kOk);
  EXPECT_TRUE(again.Close());
  // A signature whose compile failed fails every check that reaches it.
  UseSignatures({"nomatch", (std::string(1001, '(') + "a").c_str(), "alpha"});
  EXPECT_EQ(FindMatchingSignature(u"\\f.exe"), -1);
  EXPECT_EQ(matcher_.MatchSignatures("alpha").engineStatus, SearchStatus::kNestingLimit);
  UseSignatures({"alpha", std::string(1001, '(').c_str()});
  EXPECT_EQ(FindMatchingSignature(u"\\f.exe"), 1);  // found before the failing one is reached
}

TEST_F(FileMatcherTest, ACancelledCheckIsAFailureNotClean) {
  UseSignatures({".{0,999}QQ"});
  prefix_.WriteStoreFile("long.txt", std::string(1 << 20, 'w'));
  cancel_.Cancel();
  const SignatureMatch match = matcher_.FindMatchingSignature(u"\\long.txt");
  EXPECT_EQ(match.Code(), -1);
  EXPECT_EQ(match.engineStatus, SearchStatus::kCancelled);
}

// A writer that ignores the advisory lock truncates and refills the file
// while it is checked again and again: every check ends with a defined
// result (the file is read into memory, so no truncation can reach a
// search in progress) and never with a signal.
TEST_F(FileMatcherTest, AFileTruncatedByAnotherWriterGivesADefinedResult) {
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
    const int result = FindMatchingSignature(u"\\moving.dat");
    EXPECT_TRUE(result == 0 || result == 1 || result == -1) << result;
  }
  done.store(true);
  writer.join();
  EXPECT_EQ(FindMatchingSignature(u"\\moving.dat"), 1);
}

TEST_F(FileMatcherTest, HostFilesAreMatchedAsStoreFilesAre) {
  const fs::path file = prefix_.Path() / "outside.bin";
  WriteFile(file, "..beta12..");
  EXPECT_EQ(matcher_.MatchHostFile(file).Code(), 2);
  WriteFile(file, "");
  EXPECT_EQ(matcher_.MatchHostFile(file).Code(), 0);
  const SignatureMatch missing = matcher_.MatchHostFile(prefix_.Path() / "missing.bin");
  EXPECT_EQ(missing.Code(), -1);
  EXPECT_EQ(missing.failure, CheckFailure::kOpen);
}

}  // namespace
}  // namespace kv::testing
