// QuarantineBatch: moves files into the quarantine one after another, as a
// scan removes them, and makes the moves durable together.
//
// Entry points: QuarantineBatch (MoveStoreFile, MoveHostFile, Flush).
//
// Each move is made as a lone move is (quarantine.h): its pending record's
// bytes are flushed before the file moves, and the quarantine folder (the
// record's name and the moved item together) right after. Only the flushes
// of the store's folders and of the index wait for Flush, and the move's
// pending record stays, locked, until they are done: a crash before then
// is finished by the next start like any interrupted move (at worst the
// file is in the quarantine and still in the store). So a move costs two
// flushes where it cost five, and guards the file as before. The
// quarantine's interrupted moves are finished and its size taken once, at
// the first move; the batch then keeps the size itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/quarantine.h"
#include "platform/result.h"
#include "platform/store.h"
#include "platform/unique_fd.h"

namespace kv {

class PendingRecord;

class QuarantineBatch {
 public:
  // Moves run by themselves a Flush when this many wait for one.
  static constexpr std::size_t kMaxUnflushed = 32;

  // Moves into `store`'s quarantine; `store` must outlive the batch.
  // `capBytes` is a parameter for tests only.
  explicit QuarantineBatch(const Store& store,
                           std::uint64_t capBytes = limits::kMaxQuarantineBytes);
  // Flushes.
  ~QuarantineBatch();
  QuarantineBatch(const QuarantineBatch&) = delete;
  QuarantineBatch& operator=(const QuarantineBatch&) = delete;

  const Store& GetStore() const { return store_; }

  // As QuarantineStoreFile and QuarantineHostFile, the ending flushes left
  // to Flush.
  [[nodiscard]] QuarantineResult MoveStoreFile(std::u16string_view devicePath,
                                               const QuarantineNote& note);
  [[nodiscard]] QuarantineResult MoveHostFile(const std::filesystem::path& path,
                                              const QuarantineNote& note);

  // Flushes the folders and the index of every move since the last Flush,
  // then drops their pending records. When a flush fails the records stay
  // for the next start to judge.
  void Flush();

  struct Found;  // a file found for a move, internal to the move

 private:
  // Opens the quarantine folder at the first move and finishes its
  // interrupted moves; fails with the host's cause.
  Result<void> OpenFolder();
  QuarantineResult MoveFound(Found& found, std::u16string recordedPath, const QuarantineNote& note);
  void KeepUnflushed(std::unique_ptr<PendingRecord> pending, UniqueFd from);

  const Store& store_;
  const std::uint64_t capBytes_;
  UniqueFd folder_;
  std::uint64_t heldBytes_ = 0;  // by the item files, kept up to date from the first move
  std::vector<std::unique_ptr<PendingRecord>> unflushed_;
  std::vector<UniqueFd> movedFrom_;  // each folder a move left since the last Flush, once
};

}  // namespace kv
