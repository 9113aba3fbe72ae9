// The synthetic store generator. Words are made of syllables so that text
// files look like text to the analyses (common letters, spaces, line
// breaks) and signature tokens look like words a real signature names;
// binary files mix random bytes, zero runs, headers and embedded strings.
#include "bench/corpus/synthetic_store.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <random>
#include <stdexcept>

namespace kv::synthetic {
namespace {

class Source {
 public:
  explicit Source(std::uint32_t seed) : engine_(seed) {}
  // A number in [0, n).
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : engine_() % n; }
  std::size_t Between(std::size_t low, std::size_t high) { return low + Below(high - low + 1); }
  bool Percent(int percent) { return static_cast<int>(Below(100)) < percent; }
  char Byte() { return static_cast<char>(Below(256)); }

  std::string Word(std::size_t syllables) {
    static const char kConsonants[] = "bcdfghklmnprstvz";
    static const char kVowels[] = "aeiou";
    std::string word;
    for (std::size_t i = 0; i < syllables; ++i) {
      word += kConsonants[Below(sizeof kConsonants - 1)];
      word += kVowels[Below(sizeof kVowels - 1)];
    }
    return word;
  }

 private:
  std::mt19937 engine_;
};

std::string Escaped(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string pattern;
  for (const char c : bytes) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z')) {
      pattern += c;
    } else {
      pattern += std::string("\\x") + kHex[u >> 4] + kHex[u & 15];
    }
  }
  return pattern;
}

std::string Filler(Source& source, std::size_t length) {
  std::string bytes;
  for (std::size_t i = 0; i < length; ++i) {
    char c = source.Byte();
    bytes += c == '\n' ? ' ' : c;
  }
  return bytes;
}

std::string MixedCase(Source& source, std::string word) {
  for (char& c : word) {
    if (source.Percent(50) && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return word;
}

SyntheticSignature MakeOne(Source& source, int index) {
  // Names mix letters and digits, as the strings signatures quote do.
  const std::string token = source.Word(1) + std::to_string(index) + source.Word(2);
  SyntheticSignature sig;
  const std::size_t kind = source.Below(100);
  if (kind < 30) {
    const std::string bytes = Filler(source, 4) + token + Filler(source, 2);
    sig = {"Hex", Escaped(bytes), bytes, bytes.substr(0, bytes.size() - 1) + "\x7f"};
  } else if (kind < 50) {
    const std::string tail = source.Word(3);
    const std::size_t least = source.Below(8);
    const std::size_t most = least + source.Between(4, 64);
    sig = {"Gap", token + ".{" + std::to_string(least) + "," + std::to_string(most) + "}" + tail,
           token + Filler(source, source.Between(least, most)) + tail,
           token + Filler(source, most + 3) + tail};
  } else if (kind < 65) {
    sig = {"Count", token + "[0-9]{4}-[A-F]{2,3}", token + "2718-BEE", token + "271-BEE"};
  } else if (kind < 80) {
    const std::string second = source.Word(3);
    sig = {"Word", "(?i)" + token + "[ \\t]+" + second, MixedCase(source, token) + " \t" + second,
           token + " " + source.Word(3)};
  } else if (kind < 92) {
    const std::string a = source.Word(2), b = source.Word(3), c = source.Word(2);
    sig = {"Alt", "(" + a + "|" + b + "|" + c + ")\\x00" + token, b + std::string(1, '\0') + token,
           b + "\x01" + token};
  } else if (kind < 96) {
    if (source.Percent(50)) {
      sig = {"Ahead", token + "(?=[0-9]{3})", token + "314", token + "31x"};
    } else {
      sig = {"Behind", "(?<=MZ\\x90)" + token, "MZ\x90" + token, "MZ\x91" + token};
    }
  } else {
    sig = {"Backref", "([a-z]{3})" + token + "\\1", "abc" + token + "abc", "abc" + token + "abd"};
  }
  sig.name = "Syn." + sig.name + "." + std::to_string(index);
  return sig;
}

std::string TextContent(Source& source, std::size_t size) {
  std::vector<std::string> vocabulary;
  for (int i = 0; i < 400; ++i) vocabulary.push_back(source.Word(source.Between(1, 4)));
  std::string text;
  text.reserve(size + 128);
  while (text.size() < size) {
    const std::size_t words = source.Between(6, 16);
    for (std::size_t i = 0; i < words; ++i) {
      text += vocabulary[source.Below(vocabulary.size())];
      text += i + 1 < words ? " " : (source.Percent(50) ? "\r\n" : ".\n");
    }
  }
  text.resize(size);
  return text;
}

std::string BinaryContent(Source& source, std::size_t size) {
  std::string bytes = "MZ\x90";
  bytes.reserve(size + 64);
  while (bytes.size() < size) {
    const std::size_t run = source.Between(16, 512);
    switch (source.Below(4)) {
      case 0:
        bytes.append(run, '\0');
        break;
      case 1:
        bytes += source.Word(source.Between(2, 6)) + std::string(1, '\0');
        break;
      default:
        for (std::size_t i = 0; i < run; ++i) bytes += source.Byte();
    }
  }
  bytes.resize(size);
  return bytes;
}

void Overwrite(Source& source, std::string& content, const std::string& piece) {
  if (piece.size() >= content.size()) return;
  content.replace(source.Below(content.size() - piece.size()), piece.size(), piece);
}

}  // namespace

std::vector<SyntheticSignature> MakeSignatures(int count, std::uint32_t seed) {
  Source source(seed);
  std::vector<SyntheticSignature> signatures;
  for (int i = 0; i < count; ++i) signatures.push_back(MakeOne(source, i));
  return signatures;
}

std::vector<StoreFile> MakeStore(const StoreOptions& options,
                                 const std::vector<SyntheticSignature>& signatures,
                                 std::uint32_t seed) {
  static const char* const kFolders[] = {"Windows", "Program Files/Tools", "My Documents",
                                         "Storage Card/Backup"};
  static const char* const kExtensions[] = {".exe", ".dat", ".cab"};
  Source source(seed);
  std::vector<StoreFile> files;
  const double ratio = static_cast<double>(options.largestFile) / options.smallestFile;
  for (int i = 0; i < options.files; ++i) {
    // Sizes spread evenly on a log scale: many small files, a few large.
    const double share = static_cast<double>(source.Below(10001)) / 10000.0;
    const auto size = static_cast<std::size_t>(options.smallestFile * std::pow(ratio, share));
    StoreFile file;
    file.relativePath = std::filesystem::path(kFolders[source.Below(4)]) /
                        ("f" + std::to_string(i) + kExtensions[source.Below(3)]);
    file.content = source.Percent(50) ? TextContent(source, size) : BinaryContent(source, size);
    if (!signatures.empty() && source.Percent(options.nearMissPercent)) {
      for (int k = 0; k < 3; ++k) {
        Overwrite(source, file.content, signatures[source.Below(signatures.size())].nearMiss);
      }
    }
    if (!signatures.empty() && source.Percent(options.plantedPercent)) {
      // Evenly from the first 10, the first 100 or all signatures, so that
      // every leading part of the list finds some files.
      const std::size_t range[] = {10, 100, signatures.size()};
      const std::size_t pick = source.Below(std::min(signatures.size(), range[source.Below(3)]));
      Overwrite(source, file.content, signatures[pick].sample);
    }
    files.push_back(std::move(file));
  }
  return files;
}

void WriteStore(const std::filesystem::path& root, const std::vector<StoreFile>& files) {
  for (const StoreFile& file : files) {
    const std::filesystem::path path = root / file.relativePath;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
  }
}

}  // namespace kv::synthetic
