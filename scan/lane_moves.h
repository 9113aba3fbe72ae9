// LaneMoves: quarantine moves made in a ReportLane's runs. Each infected
// file's move is reserved in its report's prepare step, the run's moves are
// made together when the lane settles, and each report's finish then reads
// its result: a run of found files shares one pair of flushes.
//
// Entry point: LaneMoves (Settle as the lane's settle, Batch, Result).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "platform/quarantine_batch.h"

namespace kv {

class LaneMoves {
 public:
  // `quarantine` must outlive the moves.
  explicit LaneMoves(QuarantineBatch& quarantine) : quarantine_(quarantine) {}

  // The lane's settle step; a run whose settle fails reads no earlier
  // run's results.
  void Settle() {
    settled_.clear();
    settled_ = quarantine_.MoveReserved();
  }

  QuarantineBatch& Batch() { return quarantine_; }
  // The result of the move reserved at `place` in the last run settled.
  QuarantineResult Result(std::optional<std::size_t> place) const {
    if (!place || *place >= settled_.size()) return {};  // its prepare failed
    return settled_[*place];
  }

 private:
  QuarantineBatch& quarantine_;
  std::vector<QuarantineResult> settled_;
};

}  // namespace kv
