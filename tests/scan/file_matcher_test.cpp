// The file matcher on real files in a temporary store: which signature
// decides, wherever the hit lies; the results for absent, unreadable, empty,
// locked and linked files; deletion, of read-only files too; a short read
// and a refused deletion; and engine failures, which give -1 and leave the
// file alone.
#include "scan/file_matcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <string>

#include "platform/fault_injection.h"
#include "platform/files.h"
#include "platform/text.h"
#include "scan/signature_store.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

void UseSignatures(std::initializer_list<const char*> patterns) {
  signatureStore = SignatureStore{};
  for (const char* pattern : patterns) signatureStore.characterSignatures.push_back({pattern, ""});
}

class FileMatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { UseSignatures({"alpha", "beta[0-9]+", "gamma$"}); }
  void TearDown() override { signatureStore = SignatureStore{}; }

  TempPrefix prefix_;
  const platform::Store& store_ = prefix_.Store();
};

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
    EXPECT_EQ(FindMatchingSignature(store_, u"\\Files\\sample.bin"), expected) << content;
    EXPECT_EQ(CheckFile(store_, u"\\files\\SAMPLE.bin", 0), expected ? kFileFound : kFileClean)
        << content;
    EXPECT_TRUE(fs::exists(file));
  }
}

TEST_F(FileMatcherTest, FindsAHitInTheLastBytesOfALargeFile) {
  prefix_.WriteStoreFile("big.dat", std::string(1u << 20, 'x') + "alpha");
  EXPECT_EQ(FindMatchingSignature(store_, u"\\big.dat"), 1);
}

TEST_F(FileMatcherTest, DeletesAFoundFileOnlyWhenAskedEvenIfReadOnly) {
  const fs::path found = prefix_.WriteStoreFile("Windows/evil.exe", "..alpha..");
  const fs::path clean = prefix_.WriteStoreFile("Windows/clean.exe", "nothing here");
  fs::permissions(found, fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_EQ(CheckFile(store_, u"\\Windows\\clean.exe", 1), kFileClean);
  EXPECT_EQ(CheckFile(store_, u"\\Windows\\evil.exe", 0), kFileFound);
  EXPECT_TRUE(fs::exists(found));
  EXPECT_EQ(CheckFile(store_, u"\\Windows\\evil.exe", 1), kFileDeleted);
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
    EXPECT_EQ(CheckFile(store_, path, 1), expected) << platform::Utf16ToUtf8(path);
    EXPECT_EQ(FindMatchingSignature(store_, path), expected) << platform::Utf16ToUtf8(path);
  }
  EXPECT_TRUE(fs::exists(locked));
  EXPECT_TRUE(holder.Close());
  UseSignatures({"x*"});  // matches the empty text, so any file but an empty one
  EXPECT_EQ(CheckFile(store_, u"\\empty.exe", 1), kFileClean);
  EXPECT_EQ(CheckFile(store_, u"\\locked.exe", 0), kFileFound);
}

TEST_F(FileMatcherTest, ShortReadIsAnErrorAndARefusedDeletionIsReported) {
  const fs::path file = prefix_.WriteStoreFile("Windows/evil.exe", "..alpha..");
  {
    const platform::ScopedFault fault(platform::FaultPoint::kRead);
    EXPECT_EQ(CheckFile(store_, u"\\Windows\\evil.exe", 1), kFileUnreadable);
  }
  {
    const platform::ScopedFault fault(platform::FaultPoint::kDelete);
    EXPECT_EQ(CheckFile(store_, u"\\Windows\\evil.exe", 1), kFileDeleteFailed);
  }
  EXPECT_TRUE(fs::exists(file));
  EXPECT_EQ(CheckFile(store_, u"\\Windows\\evil.exe", 1), kFileDeleted);
}

TEST_F(FileMatcherTest, EngineFailureIsAnErrorAndReleasesTheFile) {
  // The second signature re-enters itself without consuming text; the third
  // would match but must not be tried.
  UseSignatures({"nomatch", "(?R)", "alpha"});
  const fs::path file = prefix_.WriteStoreFile("f.exe", "alpha");
  EXPECT_EQ(CheckFile(store_, u"\\f.exe", 1), kFileUnreadable);
  EXPECT_EQ(FindMatchingSignature(store_, u"\\f.exe"), -1);
  EXPECT_TRUE(fs::exists(file));
  platform::File again;
  EXPECT_EQ(platform::File::OpenForRead(store_, u"\\f.exe", platform::Sharing::kNone, again),
            platform::FileStatus::kOk);
}

}  // namespace
}  // namespace kv::testing
