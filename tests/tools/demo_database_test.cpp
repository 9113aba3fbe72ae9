// The demo handset in resources/demo: its plain signatures encode and decode
// unchanged, load into every section and a delete list, and name files that
// exist in its store; and each file of its store is found, or not, by the
// signature its README's table promises.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/program_runner.h"

namespace kv::testing {
namespace {

const std::string kDemo = std::string(KV_SOURCE_DIR) + "/resources/demo";

bool InStore(std::string devicePath) {
  std::replace(devicePath.begin(), devicePath.end(), '\\', '/');
  return std::filesystem::is_regular_file(kDemo + "/store" + devicePath);
}

TEST(DemoDatabase, EncodesDecodesAndLoadsWithFilesOfItsStore) {
  const TempDir dir;
  const std::string plain = ReadFile(kDemo + "/signatures.txt");
  ASSERT_EQ(RunTarnsig({"encode", kDemo + "/signatures.txt", "-o", dir.File("db")}).status, 0);
  EXPECT_EQ(RunTarnsig({"decode", dir.File("db")}).out, plain);

  // Every section holds at least two signatures, every character signature
  // has a name, and two of the file signatures name sample files.
  std::istringstream listed(RunTarnsig({"list", dir.File("db")}).out);
  std::string names;
  int samples = 0;
  for (std::string line; std::getline(listed, line);) {
    if (line.starts_with("section ")) {
      EXPECT_GE(std::stoi(line.substr(line.rfind(' '))), 2) << line;
    }
    if (line.starts_with("file ")) samples += InStore(line.substr(line.find("path=") + 5));
    if (line.starts_with("character ")) names += line.substr(line.find(" name=")) + "\n";
    EXPECT_NE(line, "delete-files-offset none");
  }
  EXPECT_EQ(samples, 2);
  EXPECT_EQ(names.find(" name= "), std::string::npos) << names;

  // Every delete list belongs to a character signature and names files that
  // exist.
  const std::string deleteLists = plain.substr(plain.find("[DELETE_FILES]\n") + 15);
  std::istringstream lines(deleteLists);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("[")) {
      EXPECT_NE(names.find(" name=" + line.substr(1, line.size() - 2) + " "), std::string::npos);
    } else {
      EXPECT_TRUE(InStore(line)) << line;
    }
  }
  EXPECT_TRUE(deleteLists.starts_with("[")) << "no delete list";
}

TEST(DemoDatabase, EachStoreFileMatchesTheSignatureItsTableNames) {
  const TempDir dir;
  ASSERT_EQ(RunTarnsig({"encode", kDemo + "/signatures.txt", "-o", dir.File("db")}).status, 0);
  const std::pair<std::string, std::string> table[] = {
      {"Windows/DemoDropper.exe", "signature 2 DemoDropper"},
      {"Storage Card/macro-sample.dat", "signature 3 DemoMacro"},
      {"My Documents/Downloads/game-demo.cab", "signature 1 DemoLiteral"},
      {"Program Files/DemoTool/DemoTrojan.exe", "signature 1 DemoLiteral"},
      {"Windows/kvspy.exe", "signature 4 DemoSpy"},
      {"Windows/calc.exe", "clean"},
      {"My Documents/Downloads/solitaire.cab", "clean"},
      {"Storage Card/photos.dat", "clean"},
      {"My Documents/letter.txt", "clean"},
  };
  std::vector<std::string> args = {"check", dir.File("db")};
  std::string expected;
  for (const auto& [file, verdict] : table) {
    args.push_back(kDemo + "/store/" + file);
    expected += args.back() + ": " + verdict + "\n";
  }
  const RunResult result = RunTarnsig(args);
  EXPECT_EQ(result.status, 1) << result.err;  // some matched
  EXPECT_EQ(result.out, expected);
}

}  // namespace
}  // namespace kv::testing
