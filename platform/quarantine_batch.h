// QuarantineBatch: moves files into the quarantine one after another, as a
// scan removes them, and makes the moves durable together.
//
// Entry points: QuarantineBatch (MoveStoreFile, MoveHostFile,
// ReserveStoreFile, ReserveHostFile, MoveReserved, Flush).
//
// Each move is made as a lone move is (quarantine.h): its record's line is
// flushed to the batch's journal before the file moves, and the quarantine
// folder (the journal's name and the moved item together) right after.
// Moves reserved together share those two flushes: every reserved record's
// line is flushed before the first file moves, and the folder once after
// the last; their index lines then go out in one write, so a failed one
// undoes all of them.
// Only the flushes of the store's folders and of the index wait for Flush,
// and the journal stays, locked, until they are done: a crash before then
// is finished by the next start like any interrupted move (at worst the
// file is in the quarantine and still in the store). So a move costs two
// small flushes where it cost five, and guards the file as before. The
// quarantine's interrupted moves are finished and its size taken once, at
// the first move; the batch then keeps the size itself.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/quarantine.h"
#include "platform/result.h"
#include "platform/store.h"
#include "platform/unique_fd.h"

namespace kv {

class MoveJournal;

enum class StoreAttributes { kKeep, kSetNormal };

class QuarantineBatch {
 public:
  // Moves run by themselves a Flush when this many wait for one (checked
  // after each MoveReserved).
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

  // A move in two steps, for moves given together: reserves the store
  // file's move, its record written to the journal (`note` is read now);
  // its place among the reserved moves.
  // With kSetNormal the file's attributes are first set to normal, as a
  // removal does (SetNormalAttributes), on the entry the move then takes.
  std::size_t ReserveStoreFile(std::u16string_view devicePath, const QuarantineNote& note,
                               StoreAttributes attributes = StoreAttributes::kKeep);
  // The same for a host file, as MoveHostFile finds it.
  std::size_t ReserveHostFile(const std::filesystem::path& path, const QuarantineNote& note);
  // Makes every reserved move, in order, with one flush of the journal
  // before them and one of the quarantine folder after; their results by
  // place. The reservations are then gone.
  [[nodiscard]] std::vector<QuarantineResult> MoveReserved();

  // Flushes the folders and the index of every move since the last Flush,
  // then drops their journal. When a flush fails, or a moved file could not
  // be recorded, the journal stays for the next start to judge. Moves
  // reserved and not yet made are given up: their files stay in the store,
  // and MoveReserved reports them failed.
  void Flush();

  struct Found;     // a file found for a move, internal to the move
  struct Reserved;  // a move reserved, or why it cannot be made

 private:
  // Opens the quarantine folder at the first move and finishes its
  // interrupted moves; fails with the host's cause.
  Result<void> OpenFolder();
  // Finds and opens a file (kQuarantined when it did), and gives where a
  // restore puts it back.
  using FindFn = std::function<QuarantineResult(Found&)>;
  using RecordedPathFn = std::function<std::u16string(const Found&)>;
  // Reserves the move of the file `find` opens; its place.
  std::size_t ReserveFound(const FindFn& find, const RecordedPathFn& recordedPath,
                           const QuarantineNote& note);
  void Reserve(Reserved& move, std::u16string recordedPath, const QuarantineNote& note);
  // Writes the record of a move about to begin to the journal, made anew
  // after a Flush or a failed write, unflushed; its offset, or the host's
  // cause.
  Result<off_t> Journal(const QuarantineRecord& record);
  // The move of a reserved file into the folder, unflushed, or its failure.
  void MoveOne(Reserved& move);
  // What follows the moves' flushes: their index lines, written together,
  // or the moves undone.
  void RecordMoved();
  // A reserved move that will not be made: its line marked, its room given
  // back, `cause` its failure's.
  void NotDone(Reserved& move, int cause);
  void KeepUnflushed(UniqueFd from);

  const Store& store_;
  const std::uint64_t capBytes_;
  UniqueFd folder_;
  std::uint64_t heldBytes_ = 0;  // by the item files, kept up to date from the first move
  // Since the last Flush: the journals (the last one in use unless a write
  // cut it), the moves done, each folder a move left (once), and whether
  // the journals must stay for the next start.
  std::vector<std::unique_ptr<MoveJournal>> journals_;
  std::vector<Reserved> reserved_;
  std::size_t unflushed_ = 0;
  struct MovedFrom {
    UniqueFd fd;
    struct stat status {};  // the folder's when added; an unknown one is never matched
  };
  std::vector<MovedFrom> movedFrom_;
  bool keepJournals_ = false;
};

}  // namespace kv
