// The file matcher on real files in a temporary store: which signature
// decides, the "absent" versus "cannot open" results, empty files, locked
// files, deletion of read-only files, and engine failures that must give -1
// and leave the file alone.
#include "scan/file_matcher.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "scan/signature_store.h"
#include "support/label_name.h"
#include "support/temp_prefix.h"

namespace kv {
namespace {

using testing::TempPrefix;

void SetCharacterSignatures(const std::vector<std::string>& patterns) {
  signatureStore = SignatureStore{};
  for (const std::string& pattern : patterns) {
    signatureStore.characterSignatures.push_back({pattern, "Sig"});
  }
}

class FileMatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCharacterSignatures({"alpha", "beta[0-9]+", "gamma$"}); }
  void TearDown() override { signatureStore = SignatureStore{}; }

  TempPrefix prefix_;
};

struct SignatureRow {
  const char* label;
  std::string content;
  int expected;  // FindMatchingSignature
};

class WhichSignatureTest : public FileMatcherTest,
                           public ::testing::WithParamInterface<SignatureRow> {};

TEST_P(WhichSignatureTest, FirstSignatureInListOrderDecides) {
  prefix_.WriteStoreFile("Files/sample.bin", GetParam().content);
  EXPECT_EQ(FindMatchingSignature(u"\\Files\\sample.bin"), GetParam().expected);
  EXPECT_TRUE(std::filesystem::exists(prefix_.Store() / "Files/sample.bin")) << "never deletes";
}

INSTANTIATE_TEST_SUITE_P(
    Table, WhichSignatureTest,
    ::testing::Values(SignatureRow{"first signature", "xx alpha xx", 1},
                      SignatureRow{"second only", "beta7", 2},
                      SignatureRow{"third only at the very end", "...gamma", 3},
                      SignatureRow{"first wins over third", "gamma alpha", 1},
                      SignatureRow{"none", "gamma!", 0},
                      SignatureRow{"zero bytes are ordinary bytes",
                                   std::string("\0\0beta\0" "42", 9), 0},
                      SignatureRow{"hit behind zero bytes", std::string("\0\0\0alpha", 8), 1},
                      SignatureRow{"high bytes around a hit", "\xff\x80" "beta1\xfe", 2}),
    testing::LabelName());

TEST_F(FileMatcherTest, HitAtStartMiddleAndEndOfLargeFile) {
  for (const std::size_t offset : {std::size_t{0}, std::size_t{1} << 19, (std::size_t{1} << 20) - 5}) {
    std::string content(std::size_t{1} << 20, 'x');
    content.replace(offset, 5, "alpha");
    prefix_.WriteStoreFile("big.dat", content);
    EXPECT_EQ(FindMatchingSignature(u"\\big.dat"), 1) << "offset " << offset;
  }
}

TEST_F(FileMatcherTest, AbsentFileIsCleanButMissingFolderIsAnError) {
  prefix_.WriteStoreFile("Files/other.bin", "alpha");
  EXPECT_EQ(CheckFile(u"\\Files\\missing.bin", 1), kFileClean);
  EXPECT_EQ(FindMatchingSignature(u"\\Files\\missing.bin"), 0);
  EXPECT_EQ(CheckFile(u"\\NoSuchFolder\\missing.bin", 1), kFileUnreadable);
  EXPECT_EQ(FindMatchingSignature(u"\\NoSuchFolder\\missing.bin"), -1);
}

TEST_F(FileMatcherTest, EmptyFileIsNeverMatchedEvenByAnEmptyMatch) {
  SetCharacterSignatures({"x*"});
  prefix_.WriteStoreFile("empty.exe", "");
  EXPECT_EQ(CheckFile(u"\\empty.exe", 1), kFileClean);
  EXPECT_EQ(FindMatchingSignature(u"\\empty.exe"), 0);
  EXPECT_TRUE(std::filesystem::exists(prefix_.Store() / "empty.exe"));

  prefix_.WriteStoreFile("one.exe", "z");
  EXPECT_EQ(FindMatchingSignature(u"\\one.exe"), 1) << "an empty match does hit a non-empty file";
}

TEST_F(FileMatcherTest, EmptySignatureListLeavesEveryFileClean) {
  SetCharacterSignatures({});
  prefix_.WriteStoreFile("a.exe", "alpha");
  EXPECT_EQ(CheckFile(u"\\a.exe", 1), kFileClean);
  EXPECT_TRUE(std::filesystem::exists(prefix_.Store() / "a.exe"));
}

TEST_F(FileMatcherTest, LockedFileIsAnError) {
  prefix_.WriteStoreFile("locked.exe", "alpha");
  platform::File holder;
  ASSERT_EQ(platform::File::OpenForRead(u"\\locked.exe", platform::Sharing::kRead, holder),
            platform::FileStatus::kOk);
  EXPECT_EQ(CheckFile(u"\\locked.exe", 1), kFileUnreadable);
  EXPECT_EQ(FindMatchingSignature(u"\\locked.exe"), -1);
  holder.Close();
  EXPECT_EQ(CheckFile(u"\\locked.exe", 0), kFileFound);
}

TEST_F(FileMatcherTest, FoundFileStaysWithoutDeletionAndGoesWithIt) {
  const auto path = prefix_.WriteStoreFile("Windows/evil.exe", "..alpha..");
  EXPECT_EQ(CheckFile(u"\\Windows\\evil.exe", 0), kFileFound);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(CheckFile(u"\\windows\\EVIL.EXE", 1), kFileDeleted);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(FileMatcherTest, ReadOnlyFoundFileIsDeletedAllTheSame) {
  const auto path = prefix_.WriteStoreFile("ro.exe", "alpha");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                         std::filesystem::perms::group_read);
  EXPECT_EQ(CheckFile(u"\\ro.exe", 1), kFileDeleted);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(FileMatcherTest, CleanFileIsNotDeleted) {
  const auto path = prefix_.WriteStoreFile("clean.exe", "nothing here");
  EXPECT_EQ(CheckFile(u"\\clean.exe", 1), kFileClean);
  EXPECT_TRUE(std::filesystem::exists(path));
}

TEST_F(FileMatcherTest, EngineFailureIsAnErrorAndLeavesTheFile) {
  // The second signature re-enters itself without consuming text; the third
  // would match but must not be tried.
  SetCharacterSignatures({"nomatch", "(?R)", "alpha"});
  const auto path = prefix_.WriteStoreFile("f.exe", "alpha");
  EXPECT_EQ(CheckFile(u"\\f.exe", 1), kFileUnreadable);
  EXPECT_EQ(FindMatchingSignature(u"\\f.exe"), -1);
  EXPECT_TRUE(std::filesystem::exists(path));
  // The file is released again: it can be opened with no sharing.
  platform::File file;
  EXPECT_EQ(platform::File::OpenForRead(u"\\f.exe", platform::Sharing::kNone, file),
            platform::FileStatus::kOk);
}

TEST_F(FileMatcherTest, LinkIntoTheStoreIsNeitherCheckedNorDeleted) {
  const auto target = prefix_.WriteStoreFile("real.exe", "alpha");
  std::filesystem::create_symlink(target, prefix_.Store() / "link.exe");
  EXPECT_EQ(CheckFile(u"\\link.exe", 1), kFileUnreadable);
  EXPECT_TRUE(std::filesystem::exists(target));
}

TEST(MatchSignaturesTest, FindsAnySignatureInARange) {
  SetCharacterSignatures({"abc", "[\\x80-\\xff]{2}"});
  const std::string high = "..\xc3\xa9..";
  EXPECT_TRUE(MatchSignatures(high.data(), high.size()));
  EXPECT_EQ(FirstMatchingSignature(high.data(), high.size()), 2);
  const std::string plain = "ab c";
  EXPECT_FALSE(MatchSignatures(plain.data(), plain.size()));
  signatureStore = SignatureStore{};
  EXPECT_FALSE(MatchSignatures(plain.data(), plain.size()));
}

}  // namespace
}  // namespace kv
