// Compiling a snapshot's character signatures, once per load.
#include "scan/signature_database.h"

namespace kv {

void CompileSignatures(SignatureDatabase& database) {
  database.compiledSignatures.clear();
  database.compiledSignatures.reserve(database.characterSignatures.size());
  for (const SignatureRecord& record : database.characterSignatures) {
    database.compiledSignatures.push_back(CompiledPattern::Compile(record.pattern));
  }
}

}  // namespace kv
