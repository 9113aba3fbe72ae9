// HostClock: the scan's clock on the host. In a file of its own so that a
// program that never dates a scan line does not link the host clock.
#include "scan/scan_outputs.h"

namespace kv {

LocalTime HostClock::Now() const { return CurrentLocalTime(); }

void HostClock::Pause(int milliseconds) const { SleepMilliseconds(milliseconds); }

}  // namespace kv
