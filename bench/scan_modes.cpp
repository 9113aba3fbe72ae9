// The benchmark's scanners. PCRE2 is used here and nowhere else: it is the
// yardstick, never a part of the scanner.
#include "bench/scan_modes.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <atomic>
#include <ctime>
#include <memory>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/limits.h"

namespace kv::bench {
namespace {

// Processor time of the process (user and system), not wall time: the
// machines we measure on are shared, and time spent waiting for a core is
// no cost of the scan.
using TimePoint = std::clock_t;

TimePoint Now() { return std::clock(); }

double SecondsSince(TimePoint start) {
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

// Reads the store file at `path` into `buffer` as the scan does; nothing
// when it cannot.
std::optional<std::string_view> ReadStoreFile(const Store& store, const std::u16string& path,
                                              std::string& buffer) {
  const Result<File> opened = File::OpenForRead(store, path, Sharing::kNone);
  if (!opened.Ok()) return std::nullopt;
  const Result<std::string_view> read =
      opened.value.ReadAllInto(buffer, limits::kMaxScannedFileBytes);
  if (!read.Ok()) return std::nullopt;
  return read.value;
}

struct CodeFree {
  void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
  void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};

}  // namespace

ScanOutcome PlainRead(const Store& store, const std::vector<std::u16string>& paths,
                      unsigned threads) {
  ScanOutcome outcome;
  outcome.codes.assign(paths.size(), 0);
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> bytes{0};
  const auto reader = [&] {
    std::string buffer;
    std::size_t read = 0;
    for (std::size_t i = next++; i < paths.size(); i = next++) {
      const std::optional<std::string_view> file = ReadStoreFile(store, paths[i], buffer);
      outcome.codes[i] = file ? 0 : -1;
      read += file ? file->size() : 0;
    }
    bytes += read;
  };
  const TimePoint start = Now();
  std::vector<std::thread> others;
  for (unsigned i = 1; i < threads; ++i) others.emplace_back(reader);
  reader();
  for (std::thread& other : others) other.join();
  outcome.seconds = SecondsSince(start);
  outcome.bytes = bytes;
  return outcome;
}

ScanOutcome MatcherScan(const Store& store, const SignatureDatabase& database, MatchPath path,
                        const std::vector<std::u16string>& paths) {
  ScanOutcome outcome;
  FileMatcher matcher(store, database, nullptr, path);
  const TimePoint start = Now();
  for (const std::u16string& file : paths) {
    outcome.codes.push_back(matcher.CheckFile(file).Code());
  }
  outcome.seconds = SecondsSince(start);
  return outcome;
}

ScanOutcome Pcre2Scan(const Store& store, const std::vector<std::string>& patterns,
                      const std::vector<std::u16string>& paths) {
  ScanOutcome outcome;
  std::vector<std::unique_ptr<pcre2_code, CodeFree>> codes;
  std::vector<std::size_t> positions;  // signature position of each code
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(patterns[i].data()),
                                     patterns[i].size(), 0, &error, &offset, nullptr);
    if (code == nullptr || pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0) {
      if (code != nullptr) pcre2_code_free(code);
      ++outcome.skippedSignatures;
      continue;
    }
    codes.emplace_back(code);
    positions.push_back(i);
  }
  std::unique_ptr<pcre2_match_data, MatchDataFree> data(pcre2_match_data_create(1, nullptr));
  std::string buffer;
  const TimePoint start = Now();
  for (const std::u16string& path : paths) {
    const std::optional<std::string_view> read = ReadStoreFile(store, path, buffer);
    int result = read ? 0 : -1;
    for (std::size_t k = 0; read && !read->empty() && result == 0 && k < codes.size(); ++k) {
      const int rc = pcre2_jit_match(codes[k].get(), reinterpret_cast<PCRE2_SPTR>(read->data()),
                                     read->size(), 0, 0, data.get(), nullptr);
      if (rc >= 0) result = static_cast<int>(positions[k] + 1);
      if (rc < 0 && rc != PCRE2_ERROR_NOMATCH) result = -1;
    }
    outcome.codes.push_back(result);
    outcome.bytes += read ? read->size() : 0;
  }
  outcome.seconds = SecondsSince(start);
  return outcome;
}

}  // namespace kv::bench
