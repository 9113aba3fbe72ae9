// tarnsig list VirusDB.dat: shows what the program's loader loads from a
// database file, by running the loader's own line walk (ReadDatabaseLines)
// on it.
//
// Output, one item per line, fields separated by one blank; the last field
// of a record line is its value up to the line end:
//   version <n>
//   section character <count>
//   character <position> name=<name> pattern=<pattern>
//   section file <count>
//   file <position> path=<path>
//   section process <count>
//   process <position> exe=<name>
//   delete-files-offset <offset>|none
// Positions count from 1, as the file matcher reports signatures. Sections
// always appear, in this order, even when empty. Values are shown with
// Printable() (cli.h): control bytes and bytes from 0x80 as \xHH; decode
// shows the exact bytes.
#include <iostream>
#include <string>

#include "database/signature_database.h"
#include "database/virus_database.h"
#include "tools/tarnsig/cli.h"
#include "tools/tarnsig/verbs.h"

namespace kv::tarnsig {
namespace {

constexpr std::string_view kVerb = "list";

// Only character signatures have names; the other records are one value.
void AppendSection(std::string& text, std::string_view kind, const SignatureList& records,
                   bool showName, std::string_view patternKey) {
  text += "section " + std::string(kind) + " " + std::to_string(records.size()) + "\n";
  for (std::size_t i = 0; i < records.size(); ++i) {
    text += std::string(kind) + " " + std::to_string(i + 1);
    if (showName) text += " name=" + Printable(records[i].name);
    // Appended: "literal" + std::string trips a false -Wrestrict in GCC 12 at -O3.
    text.append(" ").append(patternKey).append("=").append(Printable(records[i].pattern));
    text += "\n";
  }
}

}  // namespace

int RunList(const Args& args) {
  std::string path;
  if (const int status = SingleArgument(kVerb, args, path); status != kExitOk) return status;
  std::string content;
  if (const int status = ReadDatabaseFile(kVerb, path, content); status != kExitOk) return status;

  const DatabaseContents database = ReadDatabaseLines(content);

  std::string text = "version " + std::to_string(database.version.value_or(0)) + "\n";
  AppendSection(text, "character", database.characterSignatures, true, "pattern");
  AppendSection(text, "file", database.fileSignatures, false, "path");
  AppendSection(text, "process", database.processSignatures, false, "exe");
  text += "delete-files-offset ";
  text += database.deleteFilesOffset ? std::to_string(*database.deleteFilesOffset) : "none";
  text += "\n";
  std::cout << text << std::flush;
  return kExitOk;
}

}  // namespace kv::tarnsig
