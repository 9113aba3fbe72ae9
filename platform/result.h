// Result: what a platform call gives back. A kind of outcome the callers
// act on (FileStatus), the host's error number that caused a failure, and
// on success the value asked for.
//
// Entry points: FileStatus, Result, Failure, ErrorText.
//
// The cause is the errno of the host call that failed, taken right where it
// failed (a fault-injected failure sets a plausible one), so a tool or a log
// can say why; it is 0 on success and when the failure was no host call's
// (a bad path, a file too large). Calls that parse text rather than call the
// host give std::optional instead: there is no cause to keep.
#pragma once

#include <cerrno>
#include <string>
#include <utility>

namespace kv {

// kFileNotFound: the folder exists, the file does not (the handset's
// error 2); a symbolic link counts as absent, as it is no file of the
// handset's. The opens also say why a file that is there could not be
// opened: kLocked (another opener holds a lock against the sharing asked
// for) and kNotRegular (a directory, pipe, socket or device). kFailed:
// anything else (missing folder or a link on the way there, no access, bad
// path).
enum class FileStatus { kOk, kFileNotFound, kFailed, kLocked, kNotRegular };

// A failure of any result type, so that one passes up unchanged.
struct Failure {
  FileStatus status = FileStatus::kFailed;
  int cause = 0;
};

// A failure whose cause is the host's errno as it stands now: call it right
// after the failing host call, before anything else can change errno.
inline Failure HostFailure(FileStatus status = FileStatus::kFailed) { return {status, errno}; }

// The part every result shares: how the call went, and why it failed.
struct ResultStatus {
  [[nodiscard]] bool Ok() const { return status == FileStatus::kOk; }
  [[nodiscard]] Failure Error() const { return {status, cause}; }

  FileStatus status = FileStatus::kOk;
  int cause = 0;
};

template <typename T>
struct Result : ResultStatus {
  Result() = default;
  Result(T ok) : value(std::move(ok)) {}  // NOLINT(google-explicit-constructor): a success
  Result(Failure failed)                  // NOLINT(google-explicit-constructor): a failure
      : ResultStatus{failed.status, failed.cause} {}

  T value{};
};

// A call that gives nothing but its outcome.
template <>
struct Result<void> : ResultStatus {
  Result() = default;
  Result(Failure failed)  // NOLINT(google-explicit-constructor): a failure
      : ResultStatus{failed.status, failed.cause} {}
};

// The host's text for an error number ("No space left on device"); empty
// for 0, the cause of a failure that was no host call's.
std::string ErrorText(int cause);

// `message`, followed by ": " and the cause's text when there is a cause.
std::string WithCause(std::string message, int cause);

}  // namespace kv
