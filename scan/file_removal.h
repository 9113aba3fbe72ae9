// RemoveStoreFile: how a scan takes a found file out of the store, in every
// mode: into the prefix's quarantine with its record, so that a false
// positive can be undone (tarnscan quarantine restore). One place for it,
// so that every mode removes files the same way.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/quarantine.h"
#include "platform/quarantine_batch.h"
#include "platform/store.h"
#include "scan/scan_events.h"

namespace kv {

// Moves the store file at `path` into the quarantine, recording the
// signature that found it and the scan (`scanMode`); when the quarantine
// is full it is deleted instead, and recorded so. Refuses what a deletion
// refuses: a folder, a link, a read-only file (the handset's attribute),
// anything outside the store.
[[nodiscard]] QuarantineResult RemoveStoreFile(const Store& store, std::u16string_view path,
                                               std::u16string_view signature,
                                               std::u16string_view scanMode);

// As RemoveStoreFile, after clearing the file's read-only attribute, as
// the handset did before deleting a found file.
[[nodiscard]] QuarantineResult RemoveFoundFile(const Store& store, std::u16string_view path,
                                               std::u16string_view signature,
                                               std::u16string_view scanMode);

// As RemoveFoundFile, a move reserved in `quarantine`, made by its
// MoveReserved (its place returned): a walk that removes many files makes
// their moves together. `read`: the file's digest as the check read it, or
// null (QuarantineNote).
std::size_t ReserveFoundFile(QuarantineBatch& quarantine, std::u16string_view path,
                             std::u16string_view signature, std::u16string_view scanMode,
                             const ReadDigest* read);

// The event of an action whose removal gave `result`; it refers to
// `result`, which must outlive it.
ActionTaken ActionOf(ActionKind kind, std::u16string_view path, std::string_view signatureName,
                     const QuarantineResult& result);

}  // namespace kv
