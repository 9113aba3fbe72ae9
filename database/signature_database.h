// SignatureDatabase: everything one load of the signature database produces,
// as one immutable snapshot: the three signature lists, every character
// signature compiled and analysed once, the version, and the delete lists.
//
// Entry points: SignatureRecord, DatabaseContents, SignatureDatabase.
// A snapshot with signatures in it is made by Build, from a database
// file's bytes: decoded, compiled, analysed and its delete lists kept, all
// at once, so a half-built snapshot (signatures without their compiled
// patterns, say) cannot exist. A default one is empty.
//
// Snapshots are shared as std::shared_ptr<const SignatureDatabase>
// (published_database.h): a scan keeps the snapshot it started with for as
// long as it runs, delete lists included, and a reload builds a new one
// without disturbing it. Compiled patterns are immutable, so any number of
// threads may search one snapshot at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pattern/compiled_pattern.h"
#include "pattern/literal_prefilter.h"
#include "pattern/pattern_facts.h"

namespace kv {

struct SignatureRecord {
  // Character signature: the pattern; file signature: the path;
  // process signature: the executable name. 8-bit text, no NUL inside.
  std::string pattern;
  // Character signature: its name (at most 19 characters); empty otherwise.
  std::string name;
};

using SignatureList = std::vector<SignatureRecord>;

// What the line walk (virus_database.h) reads from a database file's bytes.
struct DatabaseContents {
  SignatureList characterSignatures;
  SignatureList fileSignatures;
  SignatureList processSignatures;
  std::optional<int32_t> version;            // from the first line, when there is one
  std::optional<int32_t> deleteFilesOffset;  // when the "[DELETE_FILES]" line was met
  std::vector<std::string> deleteListLines;  // the plain lines after it
  std::size_t undecodableLines = 0;          // stored lines that failed to decode
  bool lastLineCut = false;                  // bytes stand after the last line end
};

class SignatureDatabase {
 public:
  // Empty: no signatures, version 0, no delete lists.
  SignatureDatabase() = default;

  // The snapshot of a whole database file's bytes. Where the bytes set no
  // version or meet no "[DELETE_FILES]" line, the version and offset are
  // `previous`'s, as the handset's loader kept them; the delete lists
  // themselves always come from these bytes. A large database is compiled
  // in parts on up to `threads` threads.
  static std::shared_ptr<const SignatureDatabase> Build(std::string_view fileBytes,
                                                        const SignatureDatabase& previous,
                                                        unsigned threads = 1);

  // A snapshot of character signatures given as they are, compiled and
  // analysed the same way: for tools that search with patterns of their
  // own, which need not fit a database line.
  static std::shared_ptr<const SignatureDatabase> OfCharacterSignatures(SignatureList signatures);

  const SignatureList& CharacterSignatures() const { return contents_.characterSignatures; }
  const SignatureList& FileSignatures() const { return contents_.fileSignatures; }
  const SignatureList& ProcessSignatures() const { return contents_.processSignatures; }
  bool HasCharacterSignatures() const { return !contents_.characterSignatures.empty(); }
  int32_t Version() const { return version_; }
  int32_t DeleteFilesOffset() const { return deleteFilesOffset_; }
  // What the bytes held that the loader passes over.
  std::size_t UndecodableLines() const { return contents_.undecodableLines; }
  bool LastLineCut() const { return contents_.lastLineCut; }

  // CharacterSignatures()[i] compiled with no flags. A pattern whose compile
  // failed stays in its place as failed: a search that reaches it fails.
  const std::vector<CompiledPattern>& CompiledSignatures() const { return compiled_; }
  // AnalysePattern of each compiled signature, and the prefilter over all
  // their required literals.
  const std::vector<PatternFacts>& SignatureFacts() const { return facts_; }
  const LiteralPrefilter& Prefilter() const { return prefilter_; }

  // The companion files listed for `signatureName` under "[DELETE_FILES]":
  // each group is a header line "[" name "]" and then paths, one a line. A
  // plain line holding "[" anywhere is a header, named by the line without
  // its first and last character. The first group whose name equals the
  // signature's (case-sensitively) is taken; the next header ends it.
  std::vector<std::string> CompanionFiles(std::string_view signatureName) const;

 private:
  void Compile(unsigned threads);

  DatabaseContents contents_;
  int32_t version_ = 0;
  int32_t deleteFilesOffset_ = 0;
  std::vector<CompiledPattern> compiled_;
  std::vector<PatternFacts> facts_;
  LiteralPrefilter prefilter_;
};

// Keeps `snapshot` to the end of the process, never taken apart: for a
// program about to end, which would spend longer freeing its thousands of
// compiled patterns one by one than it spent loading them.
void KeepUntilProcessEnds(std::shared_ptr<const SignatureDatabase> snapshot);

}  // namespace kv
