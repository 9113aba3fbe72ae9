// The one-line reports of a restore or purge that did not happen, shared by
// both verbs.
#pragma once

#include <string>
#include <string_view>

#include "platform/quarantine.h"
#include "tools/tarnscan/cli.h"

namespace kv::tarnscan {

// Reports `change` (not kDone) for item `id`, with the host's cause of a
// failure; `target` names where a restore went. Returns the exit status
// (cli.h).
int ReportChangeFailure(const Verb& verb, std::string_view id, const QuarantineChangeResult& change,
                        const std::string& target);

}  // namespace kv::tarnscan
