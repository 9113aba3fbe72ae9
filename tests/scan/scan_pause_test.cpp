// A paused full scan on a real store: it counts the files first, then,
// paused at its first file, removes nothing until resumed, and a stop from
// another thread releases it and ends the scan; with one checking thread
// and with a pool.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <semaphore>
#include <string>
#include <thread>

#include "database/signature_database.h"
#include "platform/engine_thread.h"
#include "scan/run_scan.h"
#include "support/scan_recorders.h"
#include "support/temp_files.h"

namespace kv::testing {
namespace {

namespace fs = std::filesystem;

const char* const kInfected[] = {"a.exe", "Windows/b.exe", "Windows/c.cab"};

TEST(ScanPauseThreaded, NothingIsRemovedWhilePausedAndResumeOrStopReleasesTheScan) {
  for (const unsigned threads : {1u, 2u}) {
    for (const bool resume : {true, false}) {
      SCOPED_TRACE(std::to_string(threads) + (resume ? " threads, resumed" : " threads, stopped"));
      TempPrefix prefix;
      for (const char* file : kInfected) prefix.WriteStoreFile(file, "..EVIL-MARK..");
      prefix.WriteStoreFile("notes.txt", "..EVIL-MARK..");  // neither counted nor checked
      const auto database = SignatureDatabase::OfCharacterSignatures({{"EVIL-MARK", "Evil"}});
      StopToken stop;
      std::binary_semaphore paused{0};
      RecordedScan recorded;
      bool first = true;  // only the first file is held
      recorded.observer.onEvent = [&stop, &paused, &first](const ScanEvent& event) {
        if (first && std::holds_alternative<FileChecking>(event)) {
          first = false;
          stop.Pause();
          paused.release();
        }
      };
      ScanOutcome outcome = ScanOutcome::kFailed;
      EngineThread scan;
      ASSERT_TRUE(scan.Start([&] {
        outcome = RunScan(prefix.Store(), database, ScanMode::kFull, stop, recorded.events,
                          recorded.outputs, threads);
      }));
      paused.acquire();
      // Unpaused, the first removal follows within microseconds.
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      for (const char* file : kInfected) EXPECT_TRUE(fs::exists(prefix.StorePath() / file)) << file;
      resume ? stop.Resume() : stop.Stop();
      scan.Join();

      const std::vector<std::string>& seen = recorded.observer.events;
      ASSERT_GE(seen.size(), 2u);
      EXPECT_EQ(seen[1], "counted 3");
      if (resume) {
        EXPECT_EQ(outcome, ScanOutcome::kFinished);
        for (const char* file : kInfected) EXPECT_FALSE(fs::exists(prefix.StorePath() / file));
        EXPECT_EQ(seen.back(), "finished checked=3 infected=3 not-checked=0 failed=0");
      } else if (threads == 1) {
        // A pool may have walked to the end before the first verdict came
        // back; one thread is held inside the walk, which the stop ends:
        // one stop, then only the closing event.
        EXPECT_EQ(outcome, ScanOutcome::kStopped);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), "stopped"), 1);
        EXPECT_EQ(seen[seen.size() - 2], "stopped");
        EXPECT_TRUE(seen.back().starts_with("stopped-finished ")) << seen.back();
        EXPECT_EQ(recorded.observer.lines.back(), ">>>>>>>>User stop scan!");
      }
    }
  }
}

}  // namespace
}  // namespace kv::testing
