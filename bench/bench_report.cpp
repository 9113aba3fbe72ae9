#include "bench/bench_report.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "database/virus_database.h"
#include "tools/tarnsig/line_encoder.h"

namespace kv::bench {

std::string EncodedDatabase(const std::vector<std::string>& patterns) {
  std::string content =
      "1\r\n" + tarnsig::EncodeDatabaseLine(kDatabaseKey, "[VirusCharacter]") + "\r\n";
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    std::string name = "Syn" + std::to_string(i);
    name.resize(20, ' ');
    content += tarnsig::EncodeDatabaseLine(kDatabaseKey, name + patterns[i]) + "\r\n";
  }
  return content;
}

std::shared_ptr<const SignatureDatabase> LoadDatabase(const std::string& encoded) {
  return SignatureDatabase::Build(encoded, SignatureDatabase());
}

double LoadMilliseconds(const std::string& encoded) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const std::clock_t start = std::clock();
    const std::shared_ptr<const SignatureDatabase> database = LoadDatabase(encoded);
    best = std::min(best, 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC);
  }
  return best;
}

std::string MachineLine() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  std::string model = "unknown processor";
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) == 0) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  }
  return model + ", " + std::to_string(std::thread::hardware_concurrency()) + " cores";
}

std::string Format(const char* format, double a, double b, double c) {
  char text[160];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

void WriteReadmeSection(const std::filesystem::path& readme, std::string_view marker,
                        const std::string& table) {
  std::ifstream in(readme);
  std::stringstream whole;
  whole << in.rdbuf();
  std::string text = whole.str();
  const std::string begin = "<!-- " + std::string(marker) + " -->\n";
  const std::string end = "<!-- /" + std::string(marker) + " -->";
  const std::size_t from = text.find(begin);
  const std::size_t to = text.find(end);
  if (from == std::string::npos || to == std::string::npos || to < from) {
    std::cerr << "no " << marker << " markers in " << readme << "; table not written\n";
    return;
  }
  text.replace(from + begin.size(), to - from - begin.size(), table);
  std::ofstream(readme, std::ios::trunc) << text;
}

bool ReadFlags(int argc, char** argv, const FlagSetters& setters, std::string_view usage) {
  for (int i = 1; i < argc; i += 2) {
    const auto setter = setters.find(argv[i]);
    if (setter == setters.end() || i + 1 == argc) {
      std::cerr << "usage: " << usage << "\n";
      return false;
    }
    setter->second(argv[i + 1]);
  }
  return true;
}

FlagSetters StoreFlags(StoreOptions& options) {
  return {{"--files", [&options](const std::string& value) { options.files = std::stoi(value); }},
          {"--seed",
           [&options](const std::string& value) {
             options.seed = static_cast<std::uint32_t>(std::stoul(value));
           }},
          {"--readme", [&options](const std::string& value) { options.readme = value; }}};
}

}  // namespace kv::bench
