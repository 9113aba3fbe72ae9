// The verbs of tarnsig, the signature database tool. Each takes the
// arguments after its name and returns the process exit status: 0 on
// success, 2 on a usage or input error (reported as one line on stderr);
// update also 1 when the update failed, verify 1 for an invalid signature,
// check 1 when a file matched, lint 1 for warnings only.
#pragma once

#include <string>
#include <vector>

namespace kv::tarnsig {

using Args = std::vector<std::string>;

int RunEncode(const Args& args);
int RunDecode(const Args& args);
int RunList(const Args& args);
int RunLint(const Args& args);
int RunMatch(const Args& args);
int RunMatchBatch(const Args& args);
int RunCheck(const Args& args);
int RunUpdate(const Args& args);
int RunKeygen(const Args& args);
int RunSign(const Args& args);
int RunVerify(const Args& args);

}  // namespace kv::tarnsig
