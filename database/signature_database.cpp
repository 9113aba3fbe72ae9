// Building a snapshot: the line walk, then every character signature
// compiled and analysed once, then the prefilter over all of them.
#include "database/signature_database.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "database/virus_database.h"
#include "platform/engine_thread.h"

namespace kv {
namespace {

bool IsHeader(std::string_view plain) { return plain.find('[') != std::string_view::npos; }

// "[name]" gives "name": the line without its first and last character.
std::string_view HeaderName(std::string_view plain) {
  return plain.size() < 2 ? std::string_view() : plain.substr(1, plain.size() - 2);
}

// Signatures a compiling thread takes at the least: fewer compile in less
// time than a thread takes to start.
constexpr std::size_t kMinSignaturesPerThread = 128;

}  // namespace

std::shared_ptr<const SignatureDatabase> SignatureDatabase::Build(std::string_view fileBytes,
                                                                  const SignatureDatabase& previous,
                                                                  unsigned threads) {
  auto database = std::make_shared<SignatureDatabase>();
  database->contents_ = ReadDatabaseLines(fileBytes);
  const DatabaseContents& contents = database->contents_;
  database->version_ = contents.version.value_or(previous.version_);
  database->deleteFilesOffset_ = contents.deleteFilesOffset.value_or(previous.deleteFilesOffset_);
  database->Compile(threads);
  return database;
}

std::shared_ptr<const SignatureDatabase> SignatureDatabase::OfCharacterSignatures(
    SignatureList signatures) {
  auto database = std::make_shared<SignatureDatabase>();
  database->contents_.characterSignatures = std::move(signatures);
  database->Compile(1);
  return database;
}

void SignatureDatabase::Compile(unsigned threads) {
  const SignatureList& signatures = contents_.characterSignatures;
  compiled_.resize(signatures.size());
  facts_.resize(signatures.size());
  const std::size_t parts = std::clamp<std::size_t>(signatures.size() / kMinSignaturesPerThread, 1,
                                                    std::max(threads, 1u));
  // Part p holds the signatures from signatures.size() * p / parts on; each
  // part fills its own slots, and a failure comes back to this thread.
  std::vector<std::exception_ptr> failures(parts);
  const auto compilePart = [&](std::size_t part) {
    try {
      for (std::size_t i = signatures.size() * part / parts;
           i < signatures.size() * (part + 1) / parts; ++i) {
        compiled_[i] = CompiledPattern::Compile(signatures[i].pattern);
        facts_[i] = AnalysePattern(compiled_[i]);
      }
    } catch (...) {
      failures[part] = std::current_exception();
    }
  };
  std::vector<std::unique_ptr<EngineThread>> helpers;
  for (std::size_t part = 1; part < parts; ++part) {
    auto helper = std::make_unique<EngineThread>();
    if (!helper->Start([&compilePart, part] { compilePart(part); })) compilePart(part);
    helpers.push_back(std::move(helper));
  }
  compilePart(0);
  helpers.clear();  // joins
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
  prefilter_ = LiteralPrefilter::Build(facts_);
}

std::vector<std::string> SignatureDatabase::CompanionFiles(std::string_view signatureName) const {
  std::vector<std::string> companions;
  bool inGroup = false;
  for (const std::string& plain : contents_.deleteListLines) {
    // A header naming the signature again keeps the group going.
    if (IsHeader(plain) && HeaderName(plain) == signatureName) {
      inGroup = true;
      continue;
    }
    if (!inGroup) continue;
    if (IsHeader(plain)) break;
    companions.push_back(plain);
  }
  return companions;
}

void KeepUntilProcessEnds(std::shared_ptr<const SignatureDatabase> snapshot) {
  static std::mutex mutex;
  // Never destroyed: what it holds is the process's end's to reclaim.
  static auto* const kept = new std::vector<std::shared_ptr<const SignatureDatabase>>();
  const std::lock_guard<std::mutex> lock(mutex);
  kept->push_back(std::move(snapshot));
}

}  // namespace kv
