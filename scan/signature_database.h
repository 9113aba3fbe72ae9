// SignatureDatabase: everything one load of the signature database produces,
// as one immutable snapshot: the three signature lists, every character
// signature compiled once, the version and the delete-list offset.
//
// A snapshot is built by the loader (virus_database.h), then shared as
// std::shared_ptr<const SignatureDatabase> (published_database.h): a scan
// keeps the snapshot it started with for as long as it runs, and a reload
// builds and publishes a new one without disturbing it. Compiled patterns
// are immutable, so any number of threads may search one snapshot at once;
// so are the facts the fast search draws from them (each signature's start
// filter and required literals, and the literal prefilter over all of
// them), worked out once per load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pattern/compiled_pattern.h"
#include "pattern/pattern_facts.h"
#include "scan/literal_prefilter.h"

namespace kv {

struct SignatureRecord {
  // Character signature: the pattern; file signature: the path;
  // process signature: the executable name. 8-bit text, no NUL inside.
  std::string pattern;
  // Character signature: its name (at most 19 characters); empty otherwise.
  std::string name;
};

using SignatureList = std::vector<SignatureRecord>;

struct SignatureDatabase {
  SignatureList characterSignatures;
  SignatureList fileSignatures;
  SignatureList processSignatures;
  // Offset of the first byte after the "[DELETE_FILES]" line; 0 until a load
  // meets that marker, and kept by a load that does not.
  int32_t deleteFilesOffset = 0;
  // The version read from the first line; 0 until a load has read one, and
  // kept by a load that reads none.
  int32_t dbVersion = 0;
  // characterSignatures[i] compiled with no flags. A pattern whose compile
  // failed stays in its place as failed: a check that reaches it fails, as
  // compiling it for every file did.
  std::vector<CompiledPattern> compiledSignatures;
  // AnalysePattern of each compiled signature, and the prefilter over all
  // their required literals.
  std::vector<PatternFacts> signatureFacts;
  LiteralPrefilter prefilter;
};

// Fills `database.compiledSignatures`, `signatureFacts` and `prefilter` from
// its character signatures.
void CompileSignatures(SignatureDatabase& database);

}  // namespace kv
