// Two real processes appending to one log at once keep every record whole
// and once, each process's in its order, under a single mark. The log is
// held locked while both start, so that they then run side by side.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "log/log_file.h"
#include "platform/files.h"
#include "support/child_processes.h"
#include "support/temp_files.h"

namespace kv {
namespace {

constexpr int kRecordsPerProcess = 500;

// Records of varied lengths, so that a torn or overwritten one shows.
std::u16string Record(char16_t process, int number) {
  const std::string digits = std::to_string(number);
  return std::u16string(1, process) + std::u16string(digits.begin(), digits.end()) + u":" +
         std::u16string(static_cast<std::size_t>(number % 37), process);
}

TEST(LogAppendProcesses, TwoProcessesAppendingAtOnceKeepEveryRecordWholeAndOnce) {
  const testing::TempPrefix prefix;
  Result<File> holderOpened = File::OpenForAppend(prefix.Store(), kLogPath);
  ASSERT_EQ(holderOpened.status, FileStatus::kOk);
  File& holder = holderOpened.value;
  ASSERT_EQ(holder.Lock(Sharing::kNone, {}), LockStatus::kLocked);
  const auto appender = [&prefix, &holder](char16_t process) {
    return [&prefix, &holder, process] {
      // The lock belongs to the open file, which the child shares: only when
      // the parent's and every child's copy are closed is it released.
      (void)holder.Close();
      for (int i = 0; i < kRecordsPerProcess; ++i) {
        if (AppendLogRecord(prefix.Store(), kLogPath, Record(process, i)) !=
            LogAppendResult::kAppended) {
          return 1;  // at once: every further record could wait out the bound too
        }
      }
      return 0;
    };
  };
  const auto letGo = [&holder] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    (void)holder.Close();
  };
  EXPECT_EQ(testing::RunInChildProcesses({appender(u'a'), appender(u'b')}, letGo),
            (std::vector<int>{0, 0}));

  const std::string bytes = testing::ReadFile(prefix.StorePath() / "Runeskop.log");
  ASSERT_EQ(bytes.size() % 2, 0u);
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  static_cast<unsigned char>(bytes[i + 1]) << 8);
  }
  ASSERT_EQ(text.substr(0, 3), u"\uFEFF\r\n");
  std::map<char16_t, int> next = {{u'a', 0}, {u'b', 0}};
  for (std::size_t start = 3, end; start <= text.size(); start = end + 2) {
    end = std::min(text.find(u"\r\n", start), text.size());
    // A torn record, or an empty one from a doubled separator, is none that
    // Record gives.
    const std::u16string record = text.substr(start, end - start);
    const char16_t process = record[0];
    ASSERT_EQ(record, Record(process, next[process]++)) << "at unit " << start;
  }
  EXPECT_EQ(next[u'a'], kRecordsPerProcess);
  EXPECT_EQ(next[u'b'], kRecordsPerProcess);
}

}  // namespace
}  // namespace kv
