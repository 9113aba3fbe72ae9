// The verb table, error reports and file helpers of cli.h. Files named on
// the command line are read through the platform layer's host-file open,
// which refuses pipes and devices at once instead of blocking on them or
// reading without end, and then whole with pread. Files are written with
// <fstream> in binary mode: database lines end in CR LF and must reach the
// decoder byte for byte.
#include "tools/tarnsig/cli.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

#include "platform/files.h"
#include "platform/limits.h"

namespace kv::tarnsig {
namespace {

constexpr std::array<Verb, 11> kVerbs = {{
    {"encode", "[--force] PLAIN -o VirusDB.dat",
     "encode a plain signature file (line 1: the version)", RunEncode},
    {"decode", "VirusDB.dat", "print the version and every decoded line", RunDecode},
    {"list", "VirusDB.dat", "print what the loader loads", RunList},
    {"lint", "FILE", "check a plain or encoded database for authoring mistakes", RunLint},
    {"match", "[--reference] PATTERN FILE", "print 1 when PATTERN matches FILE's bytes, else 0",
     RunMatch},
    {"match-batch", "[--reference] < LINES", "read '<pattern hex>\\t<data hex>' lines, print 1/0/E",
     RunMatchBatch},
    {"check", "[--reference] [--threads N] VirusDB.dat FILE...",
     "print which signature each FILE matches", RunCheck},
    {"update", "[--force | --rollback]", "update the prefix's database from the update server",
     RunUpdate},
    {"keygen", "PRIVATE-FILE PUBLIC-FILE", "make an Ed25519 key pair for signing databases",
     RunKeygen},
    {"sign", "PRIVATE-FILE DB-FILE", "print the signature line of a database file", RunSign},
    {"verify", "PUBLIC-FILE DB-FILE SIG-FILE", "check a signature line: 0 valid, 1 invalid",
     RunVerify},
}};

// Reads the whole regular file at `path`, refusing one over `maxSize` bytes
// (`tooLarge` says why) before anything is allocated for it.
int ReadBoundedFile(std::string_view verb, const std::string& path, uint64_t maxSize,
                    std::string_view tooLarge, std::string& content) {
  const std::string prefix = std::string(verb) + ": ";
  const Result<File> opened = File::OpenHostFile(path, Sharing::kRead);
  if (!opened.Ok()) return Fail(prefix + WithCause(OpenProblem(path), opened.cause));
  const Result<uint64_t> size = opened.value.Size();
  if (size.Ok() && size.value > maxSize) {
    return Fail(prefix + "'" + path + "' " + std::string(tooLarge));
  }
  Result<std::string> read = opened.value.ReadAll(maxSize);
  if (!read.Ok()) return Fail(prefix + WithCause("cannot read '" + path + "'", read.cause));
  content = std::move(read.value);
  return kExitOk;
}

}  // namespace

bool TakeReferenceSwitch(Args& args) {
  if (args.empty() || args[0] != kReferenceSwitch) return false;
  args.erase(args.begin());
  return true;
}

// Its kind is looked up only after the open failed, without opening it,
// just to word the error; the open alone decided.
std::string OpenProblem(const std::string& path) {
  std::error_code error;
  switch (std::filesystem::status(path, error).type()) {
    case std::filesystem::file_type::directory:
      return "'" + path + "' is a directory";
    case std::filesystem::file_type::fifo:
    case std::filesystem::file_type::socket:
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character:
      return "'" + path + "' is not a regular file";
    default:
      return "cannot open '" + path + "'";
  }
}

std::span<const Verb> AllVerbs() { return kVerbs; }

const Verb* FindVerb(std::string_view name) {
  for (const Verb& verb : kVerbs) {
    if (verb.name == name) return &verb;
  }
  return nullptr;
}

std::string UsageText() {
  std::string text =
      "Usage: tarnsig VERB [ARGUMENTS]\n"
      "       tarnsig -h | --help | --version\n"
      "Kestrelvox signature database tool.\n\nVerbs:\n";
  for (const Verb& verb : kVerbs) {
    // Appended rather than "literal" + std::string: GCC 12 at -O3 reports a
    // false -Wrestrict inside the inlined operator+.
    std::string synopsis(verb.name);
    if (!verb.arguments.empty()) synopsis.append(" ").append(verb.arguments);
    synopsis.resize(std::max<std::size_t>(synopsis.size() + 2, 30), ' ');
    text += "  " + synopsis + std::string(verb.summary) + "\n";
  }
  text +=
      "\nOptions:\n"
      "  -h, --help                    show this help and exit\n"
      "  --version                     show the version and exit\n"
      "\ndecode shows a line that cannot be decoded as <<undecodable line N>>.\n"
      "\nupdate replaces <prefix>/store/Program Files/Quellbrin/VirusDB.dat with the\n"
      "update server's database when the server's version is greater than its own.\n"
      "The prefix is $KESTRELVOX_PREFIX (default ~/.kestrelvox when it exists, else\n"
      "$XDG_DATA_HOME/kestrelvox), the server\n"
      "$KESTRELVOX_UPDATE_URL (scheme, host and port, e.g. http://host:8080), the\n"
      "proxy $http_proxy or $HTTP_PROXY (none: direct). Its messages go to stderr,\n"
      "and a failure's cause as one line after them. With a trust key\n"
      "($KESTRELVOX_UPDATE_KEY, else <prefix>/keys/update.pub when it exists) the\n"
      "database must carry a valid Ed25519 signature. The replaced database is kept\n"
      "as VirusDB.dat.old: --rollback puts it back. --force installs the server's\n"
      "database even when its version is not greater.\n"
      "\nencode refuses a file in which lint finds an error, unless --force is given.\n"
      "lint prints FILE:LINE[:COLUMN]: error|warning: MESSAGE lines.\n"
      "\nExit status: 0 on success, 2 on a usage or input error;\n"
      "check: 1 when any file matched, else 2 when any could not be checked, else 0;\n"
      "lint: 0 clean, 1 warnings only, 2 errors;\n"
      "update: 0 when the database was replaced, is already current or was rolled\n"
      "back, 1 when that failed (the database is left as it was);\n"
      "verify: 0 valid, 1 invalid.\n";
  return text;
}

int Fail(std::string_view message) {
  std::cerr << "tarnsig: " << message << '\n';
  return kExitError;
}

int UsageError(std::string_view verb, std::string_view problem) {
  const Verb* known = FindVerb(verb);
  std::string usage = "tarnsig " + std::string(verb);
  if (known != nullptr && !known->arguments.empty()) usage.append(" ").append(known->arguments);
  return Fail(std::string(verb) + ": " + std::string(problem) + " (usage: " + usage + ")");
}

int SingleArgument(std::string_view verb, const Args& args, std::string& path) {
  if (args.empty()) return UsageError(verb, "missing argument");
  if (args.size() > 1) return UsageError(verb, "unexpected argument '" + args[1] + "'");
  path = args[0];
  return kExitOk;
}

int ReadWholeFile(std::string_view verb, const std::string& path, std::string& content) {
  static const std::string tooLarge = "is larger than any database file can be (" +
                                      std::to_string(limits::kMaxDatabaseFileBytes >> 20) + " MiB)";
  return ReadBoundedFile(verb, path, limits::kMaxDatabaseFileBytes, tooLarge, content);
}

int ReadSearchableFile(std::string_view verb, const std::string& path, std::string& content) {
  return ReadBoundedFile(verb, path, limits::kMaxScannedFileBytes, "is too large to search",
                         content);
}

int WriteWholeFile(std::string_view verb, const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (out) out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (out) out.close();
  if (!out) return Fail(std::string(verb) + ": cannot write '" + path + "'");
  return kExitOk;
}

int ReadDatabaseFile(std::string_view verb, const std::string& path, std::string& content) {
  if (const int status = ReadWholeFile(verb, path, content); status != kExitOk) return status;
  if (content.find('\r') == std::string::npos) {
    return Fail(std::string(verb) + ": '" + path + "' holds no line ending in CR LF");
  }
  return kExitOk;
}

std::string Printable(std::string_view text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7f) {
      shown += c;
    } else {
      std::array<char, 5> escape{};
      std::snprintf(escape.data(), escape.size(), "\\x%02X", byte);
      shown += escape.data();
    }
  }
  return shown;
}

}  // namespace kv::tarnsig
