// The load before install, on its accepting side: the snapshot holds what
// the loader makes of the same bytes, compiled. (Each refusal is a row of
// the update's own table, against a server, in database_update_failure_test.)
#include "update/database_candidate.h"

#include <gtest/gtest.h>

#include "support/database_writer.h"

namespace kv::testing {
namespace {

TEST(DatabaseCandidate, AcceptsAWholeDatabaseOfTheAnnouncedVersion) {
  const std::string body = DatabaseFile(
      "0200", {"[VirusCharacter]", CharacterLine("One", "ABC"), CharacterLine("Two", "DEF"),
               "[VirusProcess]", "evil.exe", "[DELETE_FILES]", "\\a.dat"});
  const DatabaseCandidate candidate = CheckDatabaseCandidate(body, 200);
  const auto* snapshot = std::get_if<std::shared_ptr<const SignatureDatabase>>(&candidate);
  ASSERT_NE(snapshot, nullptr);
  const SignatureDatabase& database = **snapshot;
  EXPECT_EQ(database.Version(), 200);
  ASSERT_EQ(database.CharacterSignatures().size(), 2u);
  EXPECT_EQ(database.CharacterSignatures()[1].name, "Two");
  EXPECT_EQ(database.CompiledSignatures().size(), 2u);
  EXPECT_EQ(database.ProcessSignatures().at(0).pattern, "evil.exe");
  EXPECT_GT(database.DeleteFilesOffset(), 0);
  EXPECT_TRUE(std::holds_alternative<DatabaseRefusal>(CheckDatabaseCandidate(body, 201)));
}

}  // namespace
}  // namespace kv::testing
