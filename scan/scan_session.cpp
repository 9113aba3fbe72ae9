// The scan-line hand-over. The buffer keeps its capacity from line to line,
// so a scan allocates for it once.
#include "scan/scan_session.h"

namespace kv {

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

void ScanSession::HandOver(std::u16string_view line) {
  // A cut line never ends in half a character.
  if (line.size() > kScanMessageUnits) {
    line = line.substr(0, kScanMessageUnits);
    if (IsHighSurrogate(line.back())) line.remove_suffix(1);
  }
  scanMessageBuffer_.assign(line);
  if (receiver_ != nullptr) receiver_->Receive(scanMessageBuffer_);
}

}  // namespace kv
