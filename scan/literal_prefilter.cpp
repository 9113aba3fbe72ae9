// LiteralPrefilter over Hyperscan's literal API: every required literal of
// signature i is compiled with id i and HS_FLAG_SINGLEMATCH, so a scan
// reports each signature at most once, at the first of its literals found.
#include "scan/literal_prefilter.h"

#include <hs/hs.h>

#include <algorithm>
#include <limits>

namespace kv {
namespace {

struct DatabaseFree {
  void operator()(const hs_database* database) const {
    hs_free_database(const_cast<hs_database*>(database));
  }
};

int MarkCandidate(unsigned int id, unsigned long long, unsigned long long, unsigned int,
                  void* context) {
  (*static_cast<std::vector<std::uint8_t>*>(context))[id] = 1;
  return 0;  // go on: other signatures may still be found
}

}  // namespace

void LiteralPrefilter::Scratch::Free::operator()(hs_scratch* scratch) const {
  hs_free_scratch(scratch);
}
LiteralPrefilter::Scratch::Scratch() = default;
LiteralPrefilter::Scratch::Scratch(Scratch&&) noexcept = default;
LiteralPrefilter::Scratch& LiteralPrefilter::Scratch::operator=(Scratch&&) noexcept = default;
LiteralPrefilter::Scratch::~Scratch() = default;

LiteralPrefilter LiteralPrefilter::Build(const std::vector<PatternFacts>& facts) {
  LiteralPrefilter prefilter;
  prefilter.alwaysCandidate_.resize(facts.size(), 1);
  std::vector<const char*> texts;
  std::vector<std::size_t> lengths;
  std::vector<unsigned> flags;
  std::vector<unsigned> ids;
  for (std::size_t i = 0; i < facts.size(); ++i) {
    if (!facts[i].requiredFactors.has_value()) continue;
    prefilter.alwaysCandidate_[i] = 0;  // an empty list: it can match nothing
    for (const LiteralFactor& factor : *facts[i].requiredFactors) {
      texts.push_back(factor.bytes.data());
      lengths.push_back(factor.bytes.size());
      flags.push_back(HS_FLAG_SINGLEMATCH | (factor.caseless ? HS_FLAG_CASELESS : 0u));
      ids.push_back(static_cast<unsigned>(i));
    }
  }
  if (texts.empty()) return prefilter;
  hs_database_t* database = nullptr;
  hs_compile_error_t* error = nullptr;
  if (hs_valid_platform() != HS_SUCCESS ||
      hs_compile_lit_multi(texts.data(), flags.data(), ids.data(), lengths.data(),
                           static_cast<unsigned>(texts.size()), HS_MODE_BLOCK, nullptr, &database,
                           &error) != HS_SUCCESS) {
    if (error != nullptr) hs_free_compile_error(error);
    for (const unsigned id : ids) prefilter.alwaysCandidate_[id] = 1;
    return prefilter;
  }
  prefilter.database_ = std::shared_ptr<const hs_database>(database, DatabaseFree{});
  return prefilter;
}

bool LiteralPrefilter::FindCandidates(std::string_view data, Scratch& scratch,
                                      std::vector<std::uint8_t>& candidates) const {
  candidates = alwaysCandidate_;
  if (database_ == nullptr) return true;
  auto markAll = [&] {
    std::fill(candidates.begin(), candidates.end(), 1);
    return false;
  };
  if (data.size() > std::numeric_limits<unsigned int>::max()) return markAll();
  const hs_database_t* database = database_.get();
  hs_scratch_t* raw = scratch.scratch_.release();
  // Grows the scratch for this database when it was made for another.
  const hs_error_t allocated = hs_alloc_scratch(database, &raw);
  scratch.scratch_.reset(raw);
  if (allocated != HS_SUCCESS) return markAll();
  if (hs_scan(database, data.data(), static_cast<unsigned int>(data.size()), 0, raw, MarkCandidate,
              &candidates) != HS_SUCCESS) {
    return markAll();
  }
  return true;
}

}  // namespace kv
