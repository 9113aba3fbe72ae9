// Building a snapshot: the line walk, then every character signature
// compiled and analysed once, then the prefilter over all of them.
#include "database/signature_database.h"

#include <utility>

#include "database/virus_database.h"

namespace kv {
namespace {

bool IsHeader(std::string_view plain) { return plain.find('[') != std::string_view::npos; }

// "[name]" gives "name": the line without its first and last character.
std::string_view HeaderName(std::string_view plain) {
  return plain.size() < 2 ? std::string_view() : plain.substr(1, plain.size() - 2);
}

}  // namespace

std::shared_ptr<const SignatureDatabase> SignatureDatabase::Build(
    std::string_view fileBytes, const SignatureDatabase& previous) {
  auto database = std::make_shared<SignatureDatabase>();
  database->contents_ = ReadDatabaseLines(fileBytes);
  const DatabaseContents& contents = database->contents_;
  database->version_ = contents.version.value_or(previous.version_);
  database->deleteFilesOffset_ = contents.deleteFilesOffset.value_or(previous.deleteFilesOffset_);
  database->Compile();
  return database;
}

std::shared_ptr<const SignatureDatabase> SignatureDatabase::OfCharacterSignatures(
    SignatureList signatures) {
  auto database = std::make_shared<SignatureDatabase>();
  database->contents_.characterSignatures = std::move(signatures);
  database->Compile();
  return database;
}

void SignatureDatabase::Compile() {
  const SignatureList& signatures = contents_.characterSignatures;
  compiled_.reserve(signatures.size());
  facts_.reserve(signatures.size());
  for (const SignatureRecord& record : signatures) {
    compiled_.push_back(CompiledPattern::Compile(record.pattern));
    facts_.push_back(AnalysePattern(compiled_.back()));
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

}  // namespace kv
