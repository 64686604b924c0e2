// The libFuzzer side: QS_FUZZ_TARGET in the environment names the target to run.
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_target.h"

namespace qs::fuzz {
namespace {

Target g_target = nullptr;

}  // namespace

const FixedKeyPair& FixedKeys() {
  static const FixedKeyPair keys{KeyFromPairsFile(QS_KEY_PAIRS_FILE, "carol", "Private"),
                                 KeyFromPairsFile(QS_KEY_PAIRS_FILE, "carol", "Public")};
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
    for (const qs::fuzz::NamedTarget& target : qs::fuzz::Targets())
      std::fprintf(stderr, " %s", target.name.c_str());
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
