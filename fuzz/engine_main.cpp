// The libFuzzer side: QS_FUZZ_TARGET in the environment names the target to run.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "fuzz/fuzz_target.h"

namespace qs::fuzz {
namespace {

Target g_target = nullptr;

// The hex after "Key = " in the block of the named pair of the test key file.
ByteBuffer KeyFromFile(const std::string& pair, const std::string& key) {
  std::ifstream in(QS_KEY_PAIRS_FILE);
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

}  // namespace

const FixedKeyPair& FixedKeys() {
  static const FixedKeyPair keys{KeyFromFile("carol", "Private"), KeyFromFile("carol", "Public")};
  return keys;
}

}  // namespace qs::fuzz

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* wanted = std::getenv("QS_FUZZ_TARGET");
  for (const qs::fuzz::NamedTarget& target : qs::fuzz::Targets()) {
    if (wanted != nullptr && target.name == wanted) qs::fuzz::g_target = target.run;
  }
  if (qs::fuzz::g_target == nullptr) {
    std::fprintf(stderr, "QS_FUZZ_TARGET must name one of:");
    for (const qs::fuzz::NamedTarget& target : qs::fuzz::Targets()) std::fprintf(stderr, " %s", target.name.c_str());
    std::fprintf(stderr, "\n");
    std::exit(2);
  }
  qs::fuzz::FixedKeys();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qs::fuzz::g_target(std::span<const std::uint8_t>(data, size));
  return 0;
}
