// The device prefix: taken from KESTRELVOX_PREFIX or ~/.kestrelvox, and
// created with its store on first use.
#include "platform/prefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/environment.h"
#include "support/temp_prefix.h"

namespace kv::platform {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one scope and restores it afterwards.
class ScopedVariable {
 public:
  ScopedVariable(const std::string& name, const std::optional<std::string>& value)
      : name_(name), saved_(GetEnvironment(name)) {
    Apply(value);
  }
  ~ScopedVariable() { Apply(saved_); }

 private:
  void Apply(const std::optional<std::string>& value) {
    if (value) {
      SetEnvironment(name_, *value);
    } else {
      UnsetEnvironment(name_);
    }
  }
  std::string name_;
  std::optional<std::string> saved_;
};

TEST(Prefix, ConfiguredPrefixIsCreatedWithItsStore) {
  testing::TempPrefix scratch;
  const fs::path wanted = scratch.Prefix() / "handset" / "one";
  ScopedVariable prefix("KESTRELVOX_PREFIX", wanted.string());
  EXPECT_EQ(PrefixDirectory(), wanted);
  EXPECT_TRUE(fs::is_directory(wanted));
  EXPECT_EQ(StoreDirectory(), wanted / "store");
  EXPECT_TRUE(fs::is_directory(wanted / "store"));
}

TEST(Prefix, UnsetOrEmptyPrefixIsInTheHomeFolder) {
  testing::TempPrefix scratch;
  ScopedVariable home("HOME", scratch.Prefix().string());
  for (const std::optional<std::string>& value :
       {std::optional<std::string>(), std::optional<std::string>("")}) {
    ScopedVariable prefix("KESTRELVOX_PREFIX", value);
    EXPECT_EQ(PrefixDirectory(), scratch.Prefix() / ".kestrelvox");
    EXPECT_EQ(StoreDirectory(), scratch.Prefix() / ".kestrelvox" / "store");
    EXPECT_TRUE(fs::is_directory(scratch.Prefix() / ".kestrelvox" / "store"));
  }
}

TEST(Prefix, FollowsTheVariableBetweenCalls) {
  testing::TempPrefix first;
  const fs::path store = StoreDirectory();
  EXPECT_EQ(store, first.Store());
  testing::TempPrefix second;
  EXPECT_EQ(StoreDirectory(), second.Store());
}

}  // namespace
}  // namespace kv::platform
