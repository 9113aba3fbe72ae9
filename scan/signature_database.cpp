// Compiling and analysing a snapshot's character signatures, once per load.
#include "scan/signature_database.h"

namespace kv {

void CompileSignatures(SignatureDatabase& database) {
  database.compiledSignatures.clear();
  database.compiledSignatures.reserve(database.characterSignatures.size());
  for (const SignatureRecord& record : database.characterSignatures) {
    database.compiledSignatures.push_back(CompiledPattern::Compile(record.pattern));
  }
  database.signatureFacts.clear();
  database.signatureFacts.reserve(database.compiledSignatures.size());
  for (const CompiledPattern& pattern : database.compiledSignatures) {
    database.signatureFacts.push_back(AnalysePattern(pattern));
  }
  database.prefilter = LiteralPrefilter::Build(database.signatureFacts);
}

}  // namespace kv
