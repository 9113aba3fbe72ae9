// The fast way of matching signatures against the reference way: a
// generated store scanned both ways through FileMatcher, every signature's
// sample and near miss, the rule that combines the signatures' answers,
// hostile and edge signatures (with the one documented difference: a
// provably absent literal answers where the reference runs out of budget),
// and two threads scanning with one shared snapshot (the
// GeneratedStoreThreaded suite, run under ThreadSanitizer: KV_TSAN).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/corpus/synthetic_store.h"
#include "database/signature_database.h"
#include "scan/file_matcher.h"
#include "scan/signature_search.h"
#include "support/search_status_printer.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

std::shared_ptr<const SignatureDatabase> DatabaseOf(const std::vector<std::string>& patterns) {
  SignatureList signatures;
  for (const std::string& pattern : patterns) signatures.push_back({pattern, ""});
  return SignatureDatabase::OfCharacterSignatures(signatures);
}

// A small generated store with many planted samples and near misses.
class GeneratedStore : public ::testing::Test {
 protected:
  void SetUp() override {
    signatures_ = synthetic::MakeSignatures(40, 7);
    const synthetic::StoreOptions options{.files = 40,
                                          .smallestFile = 512,
                                          .largestFile = std::size_t{48} * 1024,
                                          .plantedPercent = 40,
                                          .nearMissPercent = 40};
    files_ = synthetic::MakeStore(options, signatures_, 11);
    synthetic::WriteStore(prefix_.StorePath(), files_);
    SignatureList list;
    for (const auto& signature : signatures_) list.push_back({signature.pattern, signature.name});
    database_ = SignatureDatabase::OfCharacterSignatures(list);
  }

  // The verdict code of every `stride`-th file from `first`
  // (the others 0), scanned by one matcher.
  std::vector<int> Scan(MatchPath path, std::size_t first = 0, std::size_t stride = 1) const {
    FileMatcher matcher(prefix_.Store(), *database_, nullptr, path);
    std::vector<int> codes(files_.size(), 0);
    for (std::size_t i = first; i < files_.size(); i += stride) {
      codes[i] = matcher.CheckFile(DevicePath(files_[i].relativePath.generic_string())).Code();
    }
    return codes;
  }

  TempPrefix prefix_;
  std::vector<synthetic::SyntheticSignature> signatures_;
  std::vector<synthetic::StoreFile> files_;
  std::shared_ptr<const SignatureDatabase> database_;
};

TEST_F(GeneratedStore, EverySampleAndNearMissAnswersAsTheReference) {
  FastSignatureSearch fast(*database_);
  for (std::size_t i = 0; i < signatures_.size(); ++i) {
    SCOPED_TRACE(signatures_[i].pattern);
    const Verdict sample = fast.Match("<<" + signatures_[i].sample + ">>", nullptr);
    EXPECT_EQ(sample.Code(),
              MatchSignaturesByReference(*database_, "<<" + signatures_[i].sample + ">>").Code());
    EXPECT_TRUE(sample.IsInfected());
    EXPECT_LE(sample.signature, i);
    const std::string miss = "<<" + signatures_[i].nearMiss + ">>";
    EXPECT_EQ(fast.Match(miss, nullptr).Code(),
              MatchSignaturesByReference(*database_, miss).Code());
  }
}

using GeneratedStoreThreaded = GeneratedStore;

TEST_F(GeneratedStoreThreaded, TwoScanningThreadsSharingOneSnapshotGiveTheReferenceAnswers) {
  // Each thread takes every other file: a file is opened with no sharing,
  // so two threads on one file would see it locked.
  const std::vector<int> reference = Scan(MatchPath::kReference);
  std::vector<int> evens;
  std::vector<int> odds;
  std::thread one([&] { evens = Scan(MatchPath::kFast, 0, 2); });
  std::thread two([&] { odds = Scan(MatchPath::kFast, 1, 2); });
  one.join();
  two.join();
  for (std::size_t i = 0; i < reference.size(); ++i) {
    EXPECT_EQ((i % 2 == 0 ? evens : odds)[i], reference[i]) << files_[i].relativePath;
  }
  const auto found = std::count_if(reference.begin(), reference.end(), [](int c) { return c > 0; });
  EXPECT_GE(found, 8);                                              // planted samples are found...
  EXPECT_GE(std::count(reference.begin(), reference.end(), 0), 8);  // ...and most files are clean
}

TEST(SignatureVerdicts, TheFirstAnsweringHitWinsAndAFailureOnlyCountsWithoutOne) {
  using S = SearchStatus;
  const struct {
    std::vector<S> answers;  // of the signatures in list order
    Verdict expected;
  } rows[] = {
      {{S::kNoMatch, S::kNoMatch}, Verdict::Clean()},
      {{S::kNoMatch, S::kMatch, S::kMatch}, Verdict::Infected(1)},
      {{S::kStepBudget, S::kNoMatch, S::kMatch}, Verdict::Infected(2)},
      {{S::kMemoryCap, S::kStepBudget, S::kNoMatch},
       Verdict::NotChecked(NotCheckedReason::kEngineBound, S::kMemoryCap)},
      {{S::kNoMatch, S::kCancelled, S::kMatch},
       Verdict::NotChecked(NotCheckedReason::kCancelled, S::kCancelled)},
  };
  for (const auto& row : rows) {
    SignatureVerdicts verdicts;
    std::size_t taken = 0;
    while (taken < row.answers.size() && !verdicts.Take(taken, row.answers[taken])) ++taken;
    EXPECT_EQ(verdicts.Result(), row.expected) << row.answers.size();
  }
}

// A hostile signature's failure on one buffer leaves no trace: the next
// buffer is searched with the same budget as by a fresh search.
TEST(FastSignatureSearch, AVerdictDoesNotDependOnWhatWasSearchedBefore) {
  const auto database = DatabaseOf({"(a+)+b", "alpha"});
  ASSERT_TRUE(database->SignatureFacts()[0].mayBacktrackHard);
  const std::string failing = "b" + std::string(3000, 'a') + "alpha";
  const std::string answerable = "xx" + std::string(20, 'a') + "b alpha";
  const Verdict alone = FastSignatureSearch(*database).Match(answerable, nullptr);
  FastSignatureSearch reused(*database);
  EXPECT_EQ(reused.Match(failing, nullptr), Verdict::Infected(1));
  EXPECT_EQ(reused.Match(answerable, nullptr), alone);
  EXPECT_EQ(alone, Verdict::Infected(0));
}

// Where the two ways differ, or could.
TEST(FastSignatureSearch, EdgeSignaturesAnswerAsDocumented) {
  // A provably absent literal answers where the reference runs out of
  // budget: `.{0,999}QQ` costs ~4000 steps a position over a line without
  // breaks.
  const auto absent = DatabaseOf({".{0,999}QQ"});
  const std::string clean(1 << 14, 'w');
  EXPECT_EQ(MatchSignaturesByReference(*absent, clean).engineStatus, SearchStatus::kStepBudget);
  EXPECT_TRUE(FastSignatureSearch(*absent).Match(clean, nullptr).IsClean());
  // A signature that fails to compile is searched, and fails, every time.
  const auto deep = DatabaseOf({std::string(1200, '(') + "x", "gamma"});
  const Verdict nesting =
      Verdict::NotChecked(NotCheckedReason::kEngineBound, SearchStatus::kNestingLimit);
  EXPECT_EQ(FastSignatureSearch(*deep).Match("gamma", nullptr), Verdict::Infected(1));
  EXPECT_EQ(FastSignatureSearch(*deep).Match("delta", nullptr), nesting);
  EXPECT_EQ(MatchSignaturesByReference(*deep, "delta"), nesting);
  // An empty match matches every buffer, an empty byte set none.
  const auto empty = DatabaseOf({"[\\x00-\\xff]", "x*"});
  FastSignatureSearch fast(*empty);
  EXPECT_EQ(fast.Match("\x01\xff", nullptr), Verdict::Infected(1));
  EXPECT_EQ(fast.Match("", nullptr), Verdict::Infected(1));
}

}  // namespace
}  // namespace kv::testing
