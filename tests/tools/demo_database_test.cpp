// The demo handset in resources/demo: its plain signatures encode and
// decode unchanged, load into the expected sections, and name files that
// exist in its store.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tarnsig_runner.h"

namespace kv {
namespace {

using testing::ReadFile;
using testing::RunResult;
using testing::RunTarnsig;
using testing::TempDir;

const std::string kDemo = std::string(KV_SOURCE_DIR) + "/resources/demo";

// Section marker -> the plain lines under it, from signatures.txt.
std::map<std::string, std::vector<std::string>> DemoSections() {
  std::map<std::string, std::vector<std::string>> sections;
  const std::string text = ReadFile(kDemo + "/signatures.txt");
  std::string section;
  std::size_t start = text.find('\n') + 1;  // after the version line
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (line == "[VirusCharacter]" || line == "[VirusFile]" || line == "[VirusProcess]" ||
        line == "[DELETE_FILES]") {
      section = line;
    } else {
      sections[section].push_back(line);
    }
  }
  return sections;
}

bool InStore(std::string devicePath) {
  std::replace(devicePath.begin(), devicePath.end(), '\\', '/');
  return std::filesystem::is_regular_file(kDemo + "/store" + devicePath);
}

TEST(DemoDatabase, EncodesAndDecodesUnchanged) {
  const TempDir dir;
  const RunResult encoded =
      RunTarnsig({"encode", kDemo + "/signatures.txt", "-o", dir.File("VirusDB.dat")});
  ASSERT_EQ(encoded.status, 0) << encoded.err;
  const RunResult decoded = RunTarnsig({"decode", dir.File("VirusDB.dat")});
  EXPECT_EQ(decoded.out, ReadFile(kDemo + "/signatures.txt"));
}

TEST(DemoDatabase, LoadsEverySectionAndADeleteList) {
  const TempDir dir;
  ASSERT_EQ(RunTarnsig({"encode", kDemo + "/signatures.txt", "-o", dir.File("VirusDB.dat")}).status,
            0);
  const std::string listed = RunTarnsig({"list", dir.File("VirusDB.dat")}).out;
  const auto sections = DemoSections();
  for (const auto& [marker, kind] :
       std::map<std::string, std::string>{{"[VirusCharacter]", "character"},
                                          {"[VirusFile]", "file"},
                                          {"[VirusProcess]", "process"}}) {
    const std::size_t count = sections.at(marker).size();
    EXPECT_GE(count, 2u) << marker;
    EXPECT_NE(listed.find("section " + kind + " " + std::to_string(count) + "\n"),
              std::string::npos)
        << listed;
  }
  EXPECT_EQ(listed.find("delete-files-offset none"), std::string::npos) << listed;
  EXPECT_EQ(listed.find("name= "), std::string::npos) << "a signature without a name";
}

TEST(DemoDatabase, NamesSamplesAndCompanionsThatExistInTheStore) {
  const auto sections = DemoSections();
  std::vector<std::string> present;
  for (const std::string& path : sections.at("[VirusFile]")) {
    if (InStore(path)) present.push_back(path);
  }
  EXPECT_EQ(present, (std::vector<std::string>{"\\Windows\\DemoDropper.exe",
                                               "\\Storage Card\\macro-sample.dat"}));

  std::vector<std::string> names;
  for (const std::string& line : sections.at("[VirusCharacter]")) {
    names.push_back(line.substr(0, line.find(' ')));
  }
  std::size_t groups = 0;
  for (const std::string& line : sections.at("[DELETE_FILES]")) {
    if (line.starts_with("[")) {
      ++groups;
      const std::string name = line.substr(1, line.size() - 2);
      EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << line;
    } else {
      EXPECT_TRUE(InStore(line)) << line;
    }
  }
  EXPECT_GE(groups, 1u);
}

}  // namespace
}  // namespace kv
