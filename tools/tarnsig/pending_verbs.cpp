// Stand-ins for the verbs that need the pattern engine and the file
// matcher, which are not part of this tree yet: each reports that it is not
// available and exits with the usage-error status.
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {

int RunMatch(const Args&) { return Fail("match: not available yet"); }
int RunMatchBatch(const Args&) { return Fail("match-batch: not available yet"); }
int RunCheck(const Args&) { return Fail("check: not available yet"); }

}  // namespace kv::tarnsig
