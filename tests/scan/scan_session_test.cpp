// The scan session's hand-over and running flag: every line reaches the
// receiver through the buffer, cut to the buffer's room; a stop cancels the
// search in progress, a new start clears that again, and the scan's own end
// cancels nothing.
#include "scan/scan_session.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scan_recorders.h"

namespace kv::testing {
namespace {

TEST(ScanSession, HandsEachLineOverThroughTheBuffer) {
  ScanSession session;
  RecordingReceiver receiver;
  receiver.onLine = [&](std::u16string_view line) {
    EXPECT_EQ(line, session.ScanMessageBuffer());  // the receiver reads the buffer
  };
  session.SetReceiver(&receiver);
  session.HandOver(u"\\Windows\\evil.exe");
  session.HandOver(u"<OK>\\Windows\\evil.exe");
  session.HandOver(u"&");
  EXPECT_EQ(receiver.Utf8Lines(),
            (std::vector<std::string>{"\\Windows\\evil.exe", "<OK>\\Windows\\evil.exe", "&"}));
}

TEST(ScanSession, CutsLinesToTheBuffersRoomNeverInsideACharacter) {
  ScanSession session;
  RecordingReceiver receiver;
  session.SetReceiver(&receiver);
  const std::u16string exact(kScanMessageUnits, u'x');
  session.HandOver(exact);
  session.HandOver(exact + u"yz");
  // A pair that would straddle the cut goes whole.
  session.HandOver(std::u16string(kScanMessageUnits - 1, u'x') + u"\U0001F600");
  ASSERT_EQ(receiver.lines.size(), 3u);
  EXPECT_EQ(receiver.lines[0], exact);
  EXPECT_EQ(receiver.lines[1], exact);
  EXPECT_EQ(receiver.lines[2], std::u16string(kScanMessageUnits - 1, u'x'));
}

TEST(RunningFlag, AStopCancelsTheSearchAndAStartRearms) {
  RunningFlag flag;
  EXPECT_FALSE(flag.IsSet());
  flag.Set();
  EXPECT_TRUE(flag.IsSet());
  EXPECT_FALSE(flag.Cancel().IsCancelled());
  flag.Stop();
  EXPECT_FALSE(flag.IsSet());
  EXPECT_TRUE(flag.Cancel().IsCancelled());
  flag.Set();
  EXPECT_FALSE(flag.Cancel().IsCancelled());
  flag.Clear();
  EXPECT_FALSE(flag.IsSet());
  EXPECT_FALSE(flag.Cancel().IsCancelled());
}

}  // namespace
}  // namespace kv::testing
