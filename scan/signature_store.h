// The loaded signature database: three ordered signature lists and the byte
// offset of the delete lists. The scan engine owns one global store for the
// program's lifetime; the loader empties and refills it, scans only read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

struct SignatureRecord {
  // Character signature: the pattern; file signature: the path;
  // process signature: the executable name. 8-bit text, no NUL inside.
  std::string pattern;
  // Character signature: its name (at most 19 characters); empty otherwise.
  std::string name;
};

using SignatureList = std::vector<SignatureRecord>;

struct SignatureStore {
  SignatureList characterSignatures;
  SignatureList fileSignatures;
  SignatureList processSignatures;
  // Offset of the first byte after the "[DELETE_FILES]" line; 0 until a load
  // meets that marker, and kept by a load that does not.
  int32_t deleteFilesOffset = 0;
};

inline SignatureStore signatureStore;

}  // namespace kv
