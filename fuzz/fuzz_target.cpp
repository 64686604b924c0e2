#include "fuzz/fuzz_target.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/file.h"
#include "platform/file_os.h"

namespace qs::fuzz {

std::vector<NamedTarget>& Targets() {
  static std::vector<NamedTarget> targets;
  return targets;
}

bool Register(const char* name, Target run) {
  Targets().push_back(NamedTarget{name, run});
  return true;
}

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz target failed: %s\n", what);
  std::abort();
}

ByteBuffer KeyFromPairsFile(const std::string& path, const std::string& pair, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  bool inPair = false;
  while (std::getline(in, line)) {
    if (line.rfind("Name = ", 0) == 0) inPair = line.substr(7) == pair;
    if (!inPair || line.rfind(key + " = ", 0) != 0) continue;
    const std::string hex = line.substr(key.size() + 3);
    ByteBuffer bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
      bytes.appendU8(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
  }
  Fail("test key pair not found");
}

std::string WriteInputFile(std::span<const std::uint8_t> data) {
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("qs-fuzz-input-" + std::to_string(platform::os::ProcessId())))
                                      .string();
  std::optional<platform::File> file = platform::File::create(path);
  if (!file || !file->write(data.data(), data.size()) || !file->close()) Fail("cannot write the input file");
  return path;
}

}  // namespace qs::fuzz
