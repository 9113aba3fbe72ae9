// The registry hive when its file is missing, empty, unparseable, too large
// or not a file, or its writers' lock is held: reads fail cleanly, and no
// write ever replaces a hive it could not read or lock (the file stays byte
// for byte as it was).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/limits.h"
#include "platform/whole_file.h"
#include "registry/hive.h"
#include "support/registry_text.h"
#include "support/temp_files.h"

namespace kv {
namespace {

using testing::ReadFile;
using testing::WriteFile;

// Every operation of the hive, each expected to give `expected`.
void ExpectEveryOperation(RegistryHive& hive, RegistryStatus expected, const std::string& what) {
  EXPECT_EQ(hive.ReadValue(kLm, kKey, u"ScanStatus").status, expected) << what;
  EXPECT_EQ(hive.ListKey(kLm, kKey).status, expected) << what;
  EXPECT_EQ(hive.SetString(kLm, kKey, u"S", u"s").status, expected) << what;
  EXPECT_EQ(hive.SetDword(kLm, kKey, u"ScanStatus", 0).status, expected) << what;
  EXPECT_EQ(hive.CreateKey(kLm, u"software\\new").status, expected) << what;
  EXPECT_EQ(hive.DeleteValue(kLm, kKey, u"ScanStatus").status, expected) << what;
  EXPECT_EQ(hive.DeleteAllValues(kLm, kKey).status, expected) << what;
  EXPECT_EQ(hive.DeleteKey(kLm, kKey).status, expected) << what;
}

class RegistryHiveFailureTest : public ::testing::Test {
 protected:
  testing::TempDir dir_;
  RegistryHive hive_{dir_.Path() / "hive.reg"};
};

TEST_F(RegistryHiveFailureTest, AMissingOrEmptyHiveIsAnEmptyRegistryThatAWriteStartsAnew) {
  for (const bool empty : {false, true}) {
    if (empty) WriteFile(hive_.Path(), "");
    EXPECT_EQ(hive_.ReadValue(kLm, kKey, u"ScanStatus").status, RegistryStatus::kNotFound);
    EXPECT_EQ(hive_.ListKey(kLm, kKey).status, RegistryStatus::kNotFound);
    EXPECT_EQ(hive_.DeleteKey(kLm, kKey).status, RegistryStatus::kNotFound);
    const RegistryResult<RegistryKeyListing> listed =
        hive_.ListKey(RegistryRoot::kCurrentUser, u"");
    EXPECT_EQ(listed.value.path, u"HKEY_CURRENT_USER");
    EXPECT_TRUE(listed.value.values.empty() && listed.value.subkeys.empty());
    EXPECT_EQ(std::filesystem::exists(hive_.Path()), empty) << "a failed lookup writes nothing";
    // The write replaces what a crash left of an earlier one.
    WriteFile(dir_.Path() / "hive.reg.new", "half a hive from a crash");
    ASSERT_EQ(hive_.SetDword(kLm, kKey, u"ScanStatus", 2).status, RegistryStatus::kOk);
    EXPECT_EQ(ReadFile(hive_.Path()),
              kVersionLine + "\n" + kKeyLine + "\"ScanStatus\"=dword:00000002\n\n");
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "hive.reg.new"));
    std::filesystem::remove(hive_.Path());
  }
}

TEST_F(RegistryHiveFailureTest, AnUnparseableHiveFailsEveryOperationAndStaysAsItWas) {
  const std::string value = "\"ScanStatus\"=dword:00000002\n";
  // clang-format off
  const std::string hives[] = {
      "REGEDIT4\n\n" + kKeyLine + value,
      kVersionLine + value,                                          // value before any key
      kVersionLine + "; a comment\n" + kKeyLine + value,
      kVersionLine + "[-HKEY_LOCAL_MACHINE\\software]\n",            // deletion entry
      kVersionLine + "[HKEY_USERS\\x]\n",                            // unknown root
      kVersionLine + "[HKEY_LOCAL_MACHINE\\a\\\\b]\n",               // empty key name
      kVersionLine + "[HKEY_LOCAL_MACHINE\\software\n",              // unclosed header
      kVersionLine + kKeyLine + "\"Bin\"=hex:01,02\n",               // other data type
      kVersionLine + kKeyLine + "\"Gone\"=-\n",                      // deletion of a value
      kVersionLine + kKeyLine + "\"D\"=dword:123456789\n",           // nine digits
      kVersionLine + kKeyLine + "\"D\"=dword:\n",
      kVersionLine + kKeyLine + "\"D\"=dword:12g4\n",
      kVersionLine + kKeyLine + "\"S\"=\"open\n",                    // unterminated text
      kVersionLine + kKeyLine + "\"S\"=\"a\\nb\"\n",                 // unknown escape
      kVersionLine + kKeyLine + "\"S\"=\"a\" \n",                    // text after the quote
      kVersionLine + kKeyLine + "\"S\" = \"a\"\n",
      kVersionLine + kKeyLine + value + "\"scanstatus\"=dword:0\n",  // a value twice
      kVersionLine + kKeyLine + "\"S\"=\"bad \xFF byte\"\n",          // ill-formed UTF-8
      kVersionLine + kKeyLine + std::string("\"S\"=\"nul\0\"\n", 11),
  };
  // clang-format on
  for (const std::string& content : hives) {
    WriteFile(hive_.Path(), content);
    ExpectEveryOperation(hive_, RegistryStatus::kCorruptHive, content);
    EXPECT_EQ(ReadFile(hive_.Path()), content);
    EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "hive.reg.new")) << content;
  }
}

TEST_F(RegistryHiveFailureTest, AHiveTooLargeOrNoFileOrWithNoFolderFails) {
  WriteFile(hive_.Path(), kVersionLine);
  std::filesystem::resize_file(hive_.Path(), limits::kMaxHiveBytes + 1);
  ExpectEveryOperation(hive_, RegistryStatus::kCorruptHive, "oversized");
  EXPECT_EQ(std::filesystem::file_size(hive_.Path()), limits::kMaxHiveBytes + 1);

  std::filesystem::remove(hive_.Path());
  std::filesystem::create_directory(hive_.Path());
  ExpectEveryOperation(hive_, RegistryStatus::kFailed, "folder in the hive's place");
  EXPECT_TRUE(std::filesystem::is_directory(hive_.Path()));

  RegistryHive homeless(dir_.Path() / "missing" / "hive.reg");
  EXPECT_EQ(homeless.SetDword(kLm, kKey, u"ScanStatus", 0).status, RegistryStatus::kFailed);
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "missing"));
}

// A holder that never lets go (here a second descriptor, which flock treats
// as another process) makes a write wait its bounded time and fail as a
// refused write; readers take no lock and read on.
TEST_F(RegistryHiveFailureTest, AWriteGivesUpOnAHeldLockAndAReadGoesOn) {
  ASSERT_EQ(hive_.SetDword(kLm, kKey, u"ScanStatus", 2).status, RegistryStatus::kOk);
  const std::string before = ReadFile(hive_.Path());
  {
    WriterLock holder;
    ASSERT_TRUE(holder.Acquire(hive_.Path(), {}).Ok());
    EXPECT_EQ(hive_.SetDword(kLm, kKey, u"ScanStatus", 0).status, RegistryStatus::kFailed);
    EXPECT_EQ(ReadFile(hive_.Path()), before);
    EXPECT_EQ(hive_.ReadValue(kLm, kKey, u"ScanStatus").value.dword, 2u);  // a failed read has 0
  }
  EXPECT_EQ(hive_.SetDword(kLm, kKey, u"ScanStatus", 0).status, RegistryStatus::kOk);
}

}  // namespace
}  // namespace kv
