// ReportChangeFailure (quarantine_reports.h).
#include "tools/tarnscan/quarantine_reports.h"

namespace kv::tarnscan {

int ReportChangeFailure(const Verb& verb, std::string_view id, const QuarantineChangeResult& change,
                        const std::string& target) {
  const std::string prefix = VerbName(verb) + ": ";
  const std::string item = "'" + std::string(id) + "'";
  switch (change.change) {
    case QuarantineChange::kNoSuchItem:
      return Fail(prefix + "no item " + item + " in the quarantine", kExitRefused);
    case QuarantineChange::kTargetExists:
      return Fail(prefix + "something already stands at " + target + "; nothing restored",
                  kExitRefused);
    case QuarantineChange::kTargetMissing:
      return Fail(prefix + "the folder of " + target + " does not exist; nothing restored",
                  kExitRefused);
    case QuarantineChange::kNotRecorded:
      return Fail(WithCause(prefix + "done for " + item + ", but the index could not record it",
                            change.cause));
    case QuarantineChange::kDone:
    case QuarantineChange::kFailed:
      break;
  }
  return Fail(WithCause(prefix + "cannot change the quarantine for " + item, change.cause));
}

}  // namespace kv::tarnscan
