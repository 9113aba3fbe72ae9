// Names: the lossless host-name mapping, case folding, and device path
// splitting.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/case_fold.h"
#include "platform/device_path.h"
#include "platform/host_name.h"
#include "support/label_name.h"

namespace kv::platform {
namespace {

std::u16string Units(std::initializer_list<char16_t> units) { return std::u16string(units); }

TEST(HostName, IllFormedBytesBecomeEscapesAndComeBack) {
  const std::string host = "bad\xFF\xC3.exe";  // a stray byte and a truncated sequence
  const std::u16string device = HostNameToDevice(host);
  EXPECT_EQ(device, Units({u'b', u'a', u'd', 0xDCFF, 0xDCC3, u'.', u'e', u'x', u'e'}));
  std::string back;
  ASSERT_TRUE(DeviceNameToHost(device, back));
  EXPECT_EQ(back, host);
}

TEST(HostName, WellFormedNamesMapAsUtf8) {
  EXPECT_EQ(HostNameToDevice("\xC3\x84rger.exe"), u"\u00C4rger.exe");
  std::string host;
  ASSERT_TRUE(DeviceNameToHost(u"\u00C4rger.exe", host));
  EXPECT_EQ(host, "\xC3\x84rger.exe");
}

struct RefusedName {
  const char* label;
  std::u16string name;
};

class DeviceNameRefusedTest : public ::testing::TestWithParam<RefusedName> {};

TEST_P(DeviceNameRefusedTest, CannotNameAHostEntry) {
  std::string host;
  EXPECT_FALSE(DeviceNameToHost(GetParam().name, host)) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceNameRefusedTest,
    ::testing::Values(RefusedName{"empty", u""}, RefusedName{"dot", u"."},
                      RefusedName{"dot dot", u".."}, RefusedName{"slash", u"a/b"},
                      RefusedName{"nul", std::u16string(u"a\0b", 3)},
                      RefusedName{"lone high surrogate", Units({u'a', 0xD800})},
                      RefusedName{"escape of an ascii byte", Units({0xDC41})},
                      // U+DCC3 U+DCA9 would write C3 A9, which lists as U+00E9:
                      // the same file must not have two names.
                      RefusedName{"escapes spelling utf-8", Units({0xDCC3, 0xDCA9})}),
    kv::testing::LabelName());

struct FoldRow {
  const char* label;
  std::u16string a;
  std::u16string b;
  bool equal;
};

class EqualIgnoringCaseTest : public ::testing::TestWithParam<FoldRow> {};

TEST_P(EqualIgnoringCaseTest, ComparesAsTheHandsetFileSystem) {
  EXPECT_EQ(EqualIgnoringCase(GetParam().a, GetParam().b), GetParam().equal) << GetParam().label;
  EXPECT_EQ(EqualIgnoringCase(GetParam().b, GetParam().a), GetParam().equal) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EqualIgnoringCaseTest,
    ::testing::Values(FoldRow{"ascii", u"VirusDB.DAT", u"virusdb.dat", true},
                      FoldRow{"ascii differs", u"virusdb.dat", u"virusdb.da_", false},
                      FoldRow{"length differs", u"abc", u"abcd", false},
                      FoldRow{"latin-1 letters", u"\u00C4\u00D6\u00DC\u00C0\u00DE",
                              u"\u00E4\u00F6\u00FC\u00E0\u00FE", true},
                      FoldRow{"y diaeresis pairs across blocks", u"\u0178", u"\u00FF", true},
                      FoldRow{"windows-1252 s caron", u"\u0160", u"\u0161", true},
                      FoldRow{"windows-1252 oe", u"\u0152", u"\u0153", true},
                      FoldRow{"windows-1252 z caron", u"\u017D", u"\u017E", true},
                      FoldRow{"latin extended-a even pair", u"\u0100", u"\u0101", true},
                      FoldRow{"latin extended-a odd pair", u"\u0139", u"\u013A", true},
                      FoldRow{"neighbouring pairs stay apart", u"\u0101", u"\u0102", false},
                      FoldRow{"multiplication and division signs", u"\u00D7", u"\u00F7", false},
                      FoldRow{"sharp s has no one-unit capital", u"\u00DF", u"S", false},
                      FoldRow{"dotless i stays itself", u"\u0131", u"I", false},
                      FoldRow{"greek compares exactly", u"\u0391", u"\u03B1", false},
                      FoldRow{"at sign and backquote are no letters", u"@", u"`", false}),
    kv::testing::LabelName());

struct SplitCase {
  const char* label;
  std::u16string path;
  bool ok;
  std::vector<std::u16string> names;
};

class SplitDevicePathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitDevicePathTest, SplitsIntoNames) {
  std::vector<std::u16string> names;
  EXPECT_EQ(SplitDevicePath(GetParam().path, names), GetParam().ok) << GetParam().label;
  if (GetParam().ok) {
    EXPECT_EQ(names, GetParam().names) << GetParam().label;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitDevicePathTest,
    ::testing::Values(
        SplitCase{"empty path is the root", u"", true, {}},
        SplitCase{"backslash is the root", u"\\", true, {}},
        SplitCase{"full path",
                  u"\\Program Files\\Quellbrin\\VirusDB.dat",
                  true,
                  {u"Program Files", u"Quellbrin", u"VirusDB.dat"}},
        SplitCase{"no leading backslash starts at the root",
                  u"Windows\\evil.exe",
                  true,
                  {u"Windows", u"evil.exe"}},
        SplitCase{"empty components are skipped",
                  u"\\\\Windows\\\\\\evil.exe\\",
                  true,
                  {u"Windows", u"evil.exe"}},
        SplitCase{"dot components are skipped",
                  u"\\.\\Windows\\.\\evil.exe",
                  true,
                  {u"Windows", u"evil.exe"}},
        SplitCase{"dot dot fails", u"\\Windows\\..\\evil.exe", false, {}},
        SplitCase{"leading dot dot fails", u"..\\evil.exe", false, {}},
        SplitCase{"trailing dot dot fails", u"\\Windows\\..", false, {}},
        SplitCase{
            "names beginning with dots are names", u"\\..backup\\...", true, {u"..backup", u"..."}},
        SplitCase{
            "259 units", u"\\" + std::u16string(258, u'a'), true, {std::u16string(258, u'a')}},
        SplitCase{"260 units", u"\\" + std::u16string(259, u'a'), false, {}}),
    kv::testing::LabelName());

}  // namespace
}  // namespace kv::platform
