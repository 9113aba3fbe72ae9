// The registry hive on real files: the exact text each kind of value is
// written as and read back from, what hand-written hives may look like,
// names that ignore letter case and keep their spelling, listings, and
// deletion of values and keys.
#include "registry/hive.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "support/registry_text.h"
#include "support/temp_files.h"

namespace kv {
namespace {

using testing::ReadFile;
using testing::WriteFile;

const std::string kHeader = kVersionLine + "\n";

// A value's fields, to compare as one.
auto Fields(const RegistryValue& value) {
  return std::tie(value.name, value.type, value.text, value.dword);
}

class RegistryHiveTest : public ::testing::Test {
 protected:
  std::string Content() const { return ReadFile(hive_.Path()); }
  void SetContent(std::string_view content) const { WriteFile(hive_.Path(), content); }
  RegistryValue Read(std::u16string_view subkey, std::u16string_view name) const {
    const RegistryResult<RegistryValue> read = hive_.ReadValue(kLm, subkey, name);
    EXPECT_EQ(read.status, RegistryStatus::kOk) << std::string(name.begin(), name.end());
    return read.value;
  }
  void SetDword(std::u16string_view subkey, std::u16string_view name, std::uint32_t data) {
    EXPECT_TRUE(hive_.SetDword(kLm, subkey, name, data).Ok())
        << std::string(name.begin(), name.end());
  }

  testing::TempDir dir_;
  RegistryHive hive_{dir_.Path() / "hive.reg"};
};

TEST_F(RegistryHiveTest, WritesEachValueFormAndReadsItBack) {
  using enum RegistryType;
  // clang-format off
  const std::tuple<RegistryValue, std::string, std::size_t> rows[] = {
      {{u"ScanStatus", kDword, u"", 2}, "\"ScanStatus\"=dword:00000002", 4},
      {{u"Max", kDword, u"", 0xFFFFFFFF}, "\"Max\"=dword:ffffffff", 4},
      {{u"", kString, u"Tarnwatch.exe \"%1\"", 0}, "@=\"Tarnwatch.exe \\\"%1\\\"\"", 38},
      {{u"Path", kString, u"\\windows\\", 0}, "\"Path\"=\"\\\\windows\\\\\"", 20},
      {{u"Na\"me\\", kString, u"", 0}, "\"Na\\\"me\\\\\"=\"\"", 2},
      {{u"Text", kString, u"M\u00FCsic \u20AC \U0001F600\t;[x]=", 0},
       "\"Text\"=\"M\xC3\xBCsic \xE2\x82\xAC \xF0\x9F\x98\x80\t;[x]=\"", 34},
  };
  // clang-format on
  for (const auto& [expected, line, dataSize] : rows) {
    std::filesystem::remove(hive_.Path());
    const RegistryStatus set =
        expected.type == kDword ? hive_.SetDword(kLm, kKey, expected.name, expected.dword).status
                                : hive_.SetString(kLm, kKey, expected.name, expected.text).status;
    ASSERT_EQ(set, RegistryStatus::kOk) << line;
    EXPECT_EQ(Content(), kHeader + kKeyLine + line + "\n\n");
    const RegistryValue value = Read(kKey, expected.name);
    EXPECT_EQ(Fields(value), Fields(expected)) << line;
    EXPECT_EQ(value.Data().size(), dataSize) << line;
  }
}

TEST_F(RegistryHiveTest, ReadsTheFormsAHandWrittenHiveMayTake) {
  // Each hive holds the value "V" in the key; short or long root names in
  // any case, CR LF, a byte-order mark, blank lines of spaces, dwords of 1
  // to 8 digits in either case, repeated headers, headers for parents.
  using enum RegistryType;
  // clang-format off
  const std::pair<std::string, RegistryValue> cases[] = {
      {"[hklm\\SOFTWARE\\Quellbrin\\kestrelvox]\n\"V\"=dword:2\n", {u"V", kDword, u"", 2}},
      {"[HKEY_local_machine\\software\\quellbrin\\Kestrelvox]\r\n\"V\"=dword:DEADbeef\r\n\r\n",
       {u"V", kDword, u"", 0xDEADBEEF}},
      {"  \t\n" + kKeyLine + "\"V\"=\"x\"", {u"V", kString, u"x", 0}},
      {"[HKLM\\software]\n\n" + kKeyLine + "\"W\"=\"w\"\n" + kKeyLine + "\"v\"=\"\\\\\\\"\"\n",
       {u"v", kString, u"\\\"", 0}},
  };
  // clang-format on
  for (const auto& [body, expected] : cases) {
    for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
      SetContent(bom + "Windows Registry Editor Version 5.00\n" + body);
      EXPECT_EQ(Fields(Read(kKey, u"V")), Fields(expected)) << body;
    }
  }
}

TEST_F(RegistryHiveTest, WritesAHeaderOnlyForKeysWithValuesOrNoSubkeys) {
  ASSERT_TRUE(hive_.CreateKey(RegistryRoot::kCurrentUser, u"Empty\\Leaf").Ok());
  ASSERT_TRUE(hive_
                  .SetString(RegistryRoot::kClassesRoot, u"cabfile\\Shell\\Open\\Command", u"",
                             u"wceload.exe \"%1\" /nodelete")
                  .Ok());
  SetDword(kKey, u"ScanStatus", 0);
  SetDword(u"software", u"Top", 1);
  EXPECT_EQ(Content(), kHeader + "[HKEY_LOCAL_MACHINE\\software]\n\"Top\"=dword:00000001\n\n" +
                           kKeyLine +
                           "\"ScanStatus\"=dword:00000000\n\n"
                           "[HKEY_CLASSES_ROOT\\cabfile\\Shell\\Open\\Command]\n"
                           "@=\"wceload.exe \\\"%1\\\" /nodelete\"\n\n"
                           "[HKEY_CURRENT_USER\\Empty\\Leaf]\n\n");
  // What was written reads back as the same hive: rewriting changes nothing.
  const std::string written = Content();
  ASSERT_TRUE(hive_.CreateKey(kLm, u"SOFTWARE").Ok());
  EXPECT_EQ(Content(), written);
}

TEST_F(RegistryHiveTest, NamesIgnoreCaseAndKeepTheSpellingTheyWereCreatedWith) {
  SetDword(u"Software\\\u00C4rger", u"ScanStatus", 1);
  SetDword(u"SOFTWARE\\\u00E4RGER", u"scanstatus", 0);
  EXPECT_EQ(Read(u"software\\\u00E4rger", u"SCANSTATUS").dword, 0u);
  EXPECT_EQ(
      Content(),
      kHeader + "[HKEY_LOCAL_MACHINE\\Software\\\xC3\x84rger]\n\"ScanStatus\"=dword:00000000\n\n");
  EXPECT_EQ(hive_.ReadValue(kLm, u"Software\\Arger", u"ScanStatus").status,
            RegistryStatus::kNotFound);
}

TEST_F(RegistryHiveTest, ListsInHiveOrderWithStoredSpellingAndDeletesValuesAndKeysWithSubkeys) {
  SetDword(kKey, u"ScanStatus", 2);
  ASSERT_TRUE(hive_.SetString(kLm, kKey, u"", u"d").Ok());
  SetDword(u"software\\quellbrin\\Kestrelvox\\Zeta\\Deep", u"X", 4);
  ASSERT_TRUE(hive_.CreateKey(kLm, u"software\\quellbrin\\Kestrelvox\\Alpha").Ok());
  SetDword(u"software\\quellbrin\\Sibling", u"Y", 5);
  const RegistryResult<RegistryKeyListing> listed =
      hive_.ListKey(kLm, u"SOFTWARE\\QUELLBRIN\\KESTRELVOX");
  const RegistryKeyListing& listing = listed.value;
  EXPECT_EQ(listing.path, u"HKEY_LOCAL_MACHINE\\software\\quellbrin\\Kestrelvox");
  ASSERT_EQ(listing.values.size(), 2u);
  EXPECT_EQ(listing.values[0].name, u"ScanStatus");
  EXPECT_EQ(listing.values[1].name, u"");
  EXPECT_EQ(listing.subkeys, (std::vector<std::u16string>{u"Zeta", u"Alpha"}));
  EXPECT_EQ(hive_.ListKey(kLm, u"software\\nothing").status, RegistryStatus::kNotFound);

  EXPECT_EQ(hive_.DeleteValue(kLm, kKey, u"SCANSTATUS").status, RegistryStatus::kOk);
  EXPECT_EQ(hive_.DeleteValue(kLm, kKey, u"ScanStatus").status, RegistryStatus::kNotFound);
  EXPECT_EQ(hive_.DeleteValue(kLm, u"software\\none", u"").status, RegistryStatus::kNotFound);
  EXPECT_EQ(Read(kKey, u"").text, u"d");

  EXPECT_EQ(hive_.DeleteAllValues(kLm, kKey).status, RegistryStatus::kOk);
  EXPECT_EQ(hive_.DeleteKey(kLm, u"software\\quellbrin\\kestrelvox").status, RegistryStatus::kOk);
  EXPECT_EQ(hive_.DeleteKey(kLm, kKey).status, RegistryStatus::kNotFound);
  EXPECT_EQ(hive_.DeleteKey(kLm, u"").status, RegistryStatus::kInvalidInput);
  EXPECT_EQ(Content(), kHeader +
                           "[HKEY_LOCAL_MACHINE\\software\\quellbrin\\Sibling]\n"
                           "\"Y\"=dword:00000005\n\n");
  ASSERT_TRUE(hive_.DeleteKey(kLm, u"software").Ok());
  EXPECT_EQ(Content(), kHeader);
}

TEST(RegistryKeyPath, SplitsRootAndSubkey) {
  // clang-format off
  const std::tuple<std::u16string, RegistryRoot, std::u16string> cases[] = {
      {u"HKLM\\software\\x", RegistryRoot::kLocalMachine, u"software\\x"},
      {u"hkey_classes_root\\cabfile", RegistryRoot::kClassesRoot, u"cabfile"},
      {u"HkCu", RegistryRoot::kCurrentUser, u""}};
  // clang-format on
  for (const auto& [path, root, subkey] : cases) {
    const std::optional<RegistryKeyPath> split = SplitRegistryKeyPath(path);
    ASSERT_TRUE(split);
    EXPECT_EQ(split->root, root);
    EXPECT_EQ(split->subkey, subkey);
  }
  for (const std::u16string_view bad : {u"", u"HKU\\x", u"HKLMx\\y", u"\\HKLM"}) {
    EXPECT_FALSE(SplitRegistryKeyPath(bad));
  }
}

TEST_F(RegistryHiveTest, RefusesNamesAndTextItCannotHoldAndWritesNothing) {
  const std::u16string_view badSubkeys[] = {
      u"\\a", u"a\\", u"a\\\\b", u"a\tb", std::u16string_view(u"a\0", 2), u"a\xD800"};
  const std::u16string_view badTexts[] = {u"a\nb", u"a\r", std::u16string_view(u"\0", 1),
                                          u"\xDC00x"};
  EXPECT_TRUE(IsValidRegistrySubkey(u""));
  EXPECT_TRUE(IsValidRegistrySubkey(u"a b\\[c]\\\"d\"\\\U0001F600"));
  for (const std::u16string_view bad : badSubkeys) EXPECT_FALSE(IsValidRegistrySubkey(bad));
  EXPECT_TRUE(IsValidRegistryText(u"tab\t\"quote\"\\ \U0001F600"));
  for (const std::u16string_view bad : badTexts) EXPECT_FALSE(IsValidRegistryText(bad));
  // The hive puts every key, name and text it is given through these checks.
  EXPECT_EQ(hive_.SetDword(kLm, u"a\\", u"V", 1).status, RegistryStatus::kInvalidInput);
  EXPECT_EQ(hive_.SetString(kLm, kKey, u"V", u"a\nb").status, RegistryStatus::kInvalidInput);
  EXPECT_EQ(hive_.SetDword(kLm, kKey, u"a\r", 1).status, RegistryStatus::kInvalidInput);
  EXPECT_FALSE(std::filesystem::exists(hive_.Path()));
}

}  // namespace
}  // namespace kv
