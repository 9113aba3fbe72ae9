// The update's test bench: a prefix holding a version-100 database that is
// loaded and published, a real update server on 127.0.0.1, recording
// message boxes, and checks that the old database is still on disk byte for
// byte, alone in its folder and still the published snapshot.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "database/published_database.h"
#include "platform/fault_injection.h"
#include "support/database_writer.h"
#include "support/http_test_server.h"
#include "support/scan_recorders.h"
#include "support/scoped_environment.h"
#include "support/temp_files.h"
#include "update/data_connection.h"
#include "update/database_update.h"

namespace kv::testing {

inline constexpr char kVersionPath[] = "/avupd/reqver.php?sys=wm";
inline constexpr char kDatabasePath[] = "/avupd/reqavdb.php?sys=wm";
inline constexpr char kSignaturePath[] = "/avupd/reqavdb.php?sys=wm&sig=ed25519";

// The boxes' texts, as RecordingBoxes::Texts gives them.
inline const std::string kCannotConnectBox =
    "Warning|Unable to connect to the website and download data!\n"
    "Please check the network connection and try again.";
inline const std::string kCannotDownloadBox = "Warning|Can not download the data!";
inline const std::string kNoVersionBox =
    "Warning|Can not get the version of virus DB,please try again!";
inline const std::string kUpdateFailedBox = "Warning|Update virus DB failed,please try again!";
inline const std::string kSucceededBox = "Information|Update virus DB successfully";
inline std::string LatestBox(int version) {
  return "Information|The virus DB is latest!\nVirus DB Version:" + std::to_string(version);
}

// Time-outs for answers that come; and short ones for a server that never
// answers, which end the request by the bound within a fraction of a second.
inline constexpr HttpTimeouts kPatient{std::chrono::seconds(10), std::chrono::seconds(20)};
inline constexpr HttpTimeouts kImpatient{std::chrono::seconds(10), std::chrono::milliseconds(300)};

// A database of `version` that the update accepts: one character
// signature, and `file` as its file signature.
inline std::string UpdateDatabase(std::string_view version, std::string_view file = "\\x.exe") {
  return DatabaseFile(version,
                      {"[VirusCharacter]", CharacterLine("Test", "KVTEST"), "[VirusFile]", file});
}

inline const std::string kOldDatabase = UpdateDatabase("100", "\\Windows\\old.exe");
inline const std::string kNewDatabase = UpdateDatabase("200", "\\Windows\\new.exe");

class UpdateBench : public ::testing::Test {
 protected:
  void SetUp() override {
    environment_.WithoutProxies();
    prefix_.WriteDatabase(kOldDatabase);
    (void)database_.Reload(prefix_.Store());
    oldSnapshot_ = database_.Current();
    ASSERT_EQ(oldSnapshot_->Version(), 100);
  }
  void TearDown() override { ClearFaults(); }

  UpdateContext Context(const std::string& server, const HttpTimeouts& timeouts = kPatient) {
    return {prefix_.Store(), database_, connection_, boxes_, &window_, server, timeouts};
  }

  // RecordingBoxes::Texts of every box shown so far, which are forgotten.
  std::vector<std::string> TakeBoxes() {
    const std::vector<std::string> shown = boxes_.Texts();
    boxes_.shown.clear();
    return shown;
  }

  std::string DatabaseOnDisk() const { return ReadFile(prefix_.DatabasePath()); }
  std::string KeptOnDisk() const { return ReadFile(DatabaseFolder() / "VirusDB.dat.old"); }
  std::filesystem::path DatabaseFolder() const { return prefix_.DatabasePath().parent_path(); }

  // The names in the database's folder, sorted.
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(DatabaseFolder())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // The old database is on disk byte for byte, still the one published,
  // alone in its folder, and the connection has been given back.
  void ExpectNothingChanged(const std::string& what) const {
    EXPECT_EQ(DatabaseOnDisk(), kOldDatabase) << what;
    EXPECT_EQ(database_.Current(), oldSnapshot_) << what;
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"VirusDB.dat"}) << what;
    EXPECT_FALSE(connection_.IsConnected()) << what;
  }

  ScopedEnvironment environment_;
  TempPrefix prefix_;
  PublishedDatabase database_;
  std::shared_ptr<const SignatureDatabase> oldSnapshot_;
  DataConnection connection_;
  RecordingBoxes boxes_;
  const int window_ = 0;  // stands for the main window that owns the boxes
};

}  // namespace kv::testing
