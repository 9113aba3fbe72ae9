// Verdict's derived values and phrases.
#include "scan/verdict.h"

namespace kv {

std::string_view DescribeReason(NotCheckedReason reason) {
  switch (reason) {
    case NotCheckedReason::kAbsent:
      return "absent";
    case NotCheckedReason::kTooLarge:
      return "too large";
    case NotCheckedReason::kUnreadable:
      return "unreadable";
    case NotCheckedReason::kLocked:
      return "locked";
    case NotCheckedReason::kNotRegularFile:
      return "not a regular file";
    case NotCheckedReason::kUnnamable:
      return "name too long for the store";
    case NotCheckedReason::kEngineBound:
      return "engine bound";
    case NotCheckedReason::kCancelled:
      return "cancelled";
    case NotCheckedReason::kNoDatabase:
      return "no database";
  }
  return "unknown";
}

int Verdict::Code() const {
  switch (kind) {
    case Kind::kInfected:
      return static_cast<int>(signature + 1);
    case Kind::kNotChecked:
      return -1;
    case Kind::kClean:
      break;
  }
  return 0;
}

Verdict VerdictOfOpen(FileStatus status) {
  switch (status) {
    case FileStatus::kFileNotFound:
      return Verdict::NotChecked(NotCheckedReason::kAbsent);
    case FileStatus::kLocked:
      return Verdict::NotChecked(NotCheckedReason::kLocked);
    case FileStatus::kNotRegular:
      return Verdict::NotChecked(NotCheckedReason::kNotRegularFile);
    case FileStatus::kOk:
    case FileStatus::kFailed:
      break;
  }
  return Verdict::NotChecked(NotCheckedReason::kUnreadable);
}

}  // namespace kv
