// The quarantine's promise, checked on a real prefix after a failure, a
// crash or a kill: a file is in the store with its bytes and no item holds
// it, or it is gone and exactly one quarantined item holds it under its
// record; no item lacks its file or its record, and nothing of a move is
// left in the folder. Quarantined puts a store file into the quarantine as
// a scan would.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/quarantine.h"
#include "platform/quarantine_folder.h"
#include "support/temp_files.h"

namespace kv::testing {

// Writes the store file `relative` and quarantines it; its item's id.
inline std::string Quarantined(const TempPrefix& prefix, std::string_view relative,
                               std::string_view bytes, std::u16string_view signature) {
  prefix.WriteStoreFile(relative, bytes);
  const QuarantineResult result =
      QuarantineStoreFile(prefix.Store(), DevicePath(relative), {signature, u"autocheck"});
  EXPECT_EQ(result.status, QuarantineStatus::kQuarantined) << relative;
  return result.id;
}

// The quarantine folder's names other than the index and the item files.
inline std::vector<std::string> QuarantineLeftovers(const TempPrefix& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(prefix.Path() / "quarantine")) {
    const std::string name = entry.path().filename().string();
    if (name != kIndexName && !IsItemId(name)) names.push_back(name);
  }
  return names;
}

// `relative`: the store file's path, names separated by '/'.
inline void ExpectInStoreOrQuarantined(const TempPrefix& prefix, const std::string& relative,
                                       const std::string& bytes) {
  const Result<QuarantineListing> listed = ListQuarantine(prefix.Store());
  ASSERT_TRUE(listed.Ok());
  EXPECT_EQ(listed.value.unreadableLines, 0u);
  const std::u16string path = DevicePath(relative);
  std::size_t holding = 0;
  for (const QuarantineItem& item : listed.value.items) {
    EXPECT_NE(item.state, QuarantineItemState::kUnrecorded) << item.record.id;
    EXPECT_NE(item.state, QuarantineItemState::kMissing) << item.record.id;
    if (item.state != QuarantineItemState::kQuarantined ||
        ReadFile(prefix.Path() / "quarantine" / item.record.id) != bytes) {
      continue;
    }
    ++holding;
    EXPECT_EQ(item.record.path, path);
    EXPECT_EQ(item.record.size, bytes.size());
  }
  if (std::filesystem::exists(prefix.StorePath() / relative)) {
    EXPECT_EQ(ReadFile(prefix.StorePath() / relative), bytes) << relative;
    EXPECT_EQ(holding, 0u) << relative << " is both in the store and in the quarantine";
  } else {
    EXPECT_EQ(holding, 1u) << relative << " is neither in the store nor in the quarantine";
  }
  EXPECT_EQ(QuarantineLeftovers(prefix), std::vector<std::string>{});
}

}  // namespace kv::testing
