// ScanProgress. A finished scan is complete whatever it counted: the files
// expected were a count made before the walk, and the store may change.
#include "scan/scan_progress.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "resources/string_table.h"
#include "resources/text_format.h"

namespace kv {
namespace {

constexpr int kFullPercent = 100;

int Clamped(std::uint64_t value) {
  return static_cast<int>(std::min<std::uint64_t>(value, std::numeric_limits<int>::max()));
}

// One decimal, "12.3", without the locale's separator.
std::u16string OneDecimal(double value) {
  const auto tenths = static_cast<std::uint64_t>(std::llround(std::max(value, 0.0) * 10));
  const std::string text = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  return {text.begin(), text.end()};
}

}  // namespace

void ScanProgress::Add(const ScanEvent& event) {
  if (const auto* started = std::get_if<ScanStarted>(&event)) {
    if (started->mode == ScanMode::kFast) total_ = started->fileSignatures;
  } else if (const auto* counted = std::get_if<ScanCounted>(&event)) {
    total_ = counted->files;
  } else if (std::holds_alternative<FileChecking>(event)) {
    ++files_;
  } else if (const auto* checked = std::get_if<FileVerdict>(&event)) {
    bytes_ += checked->bytes;
  } else if (std::holds_alternative<ScanFinished>(event)) {
    finished_ = true;
  }
}

ProgressValues ScanProgress::Values(std::chrono::milliseconds elapsed) const {
  ProgressValues values;
  values.files = files_;
  values.elapsed = std::chrono::duration_cast<std::chrono::seconds>(elapsed);
  if (total_) values.total = std::max(*total_, files_);
  if (finished_) {
    values.percent = kFullPercent;
  } else if (values.total) {
    values.percent = *values.total == 0 ? 0 : Clamped(files_ * kFullPercent / *values.total);
  }
  if (elapsed.count() > 0) {
    values.megabytesPerSecond =
        static_cast<double>(bytes_) / 1e3 / static_cast<double>(elapsed.count());
  }
  return values;
}

std::u16string ProgressLine(const ProgressValues& values) {
  const std::u16string rate = OneDecimal(values.megabytesPerSecond);
  const int minutes = Clamped(static_cast<std::uint64_t>(values.elapsed.count()) / 60);
  const int seconds = static_cast<int>(values.elapsed.count() % 60);
  if (values.total) {
    return strings::FormatText(
        strings::LoadString(strings::kScanProgressOf),
        {Clamped(values.files), Clamped(*values.total), rate, minutes, seconds});
  }
  return strings::FormatText(strings::LoadString(strings::kScanProgress),
                             {Clamped(values.files), rate, minutes, seconds});
}

std::u16string SummaryLine(const ScanTally& tally) {
  return strings::FormatText(
      strings::LoadString(strings::kScanSummary),
      {Clamped(tally.filesChecked), Clamped(tally.infected), Clamped(tally.notChecked)});
}

}  // namespace kv
