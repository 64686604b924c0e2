// Times SymmetricContext::seal on 2 MiB chunks, the size the chunk pipeline seals, on one
// thread. Prints "seal <MB/s> <chunks>"; with the argument "portable" the portable paths.
// Processor time, not wall time, so that other work on a shared machine does not count.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "crypto/cpu_features.h"
#include "crypto/symmetric_context.h"

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "portable") == 0) qs::ForcePortableCrypto(true);
  constexpr std::uint32_t kChunk = 2 * 1024 * 1024;
  std::uint8_t key[32];
  std::uint8_t iv[16];
  for (std::uint32_t i = 0; i < 32; ++i) key[i] = static_cast<std::uint8_t>(3 * i + 1);
  for (std::uint32_t i = 0; i < 16; ++i) iv[i] = static_cast<std::uint8_t>(7 * i);
  qs::SymmetricContext context(key, nullptr);
  // Written once before timing, so no page is first touched inside the measurement.
  std::vector<std::uint8_t> buffer(qs::SymmetricContext::SealedSize(kChunk));
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i * 131);

  const std::clock_t start = std::clock();
  int chunks = 0;
  double seconds = 0;
  while (chunks < 20 || seconds < 2.0) {
    if (!context.seal(buffer, kChunk, std::span<const std::uint8_t, 16>(iv))) std::abort();
    ++chunks;
    seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  }
  std::printf("seal %.1f %d\n", static_cast<double>(chunks) * kChunk / seconds / 1e6, chunks);
  return 0;
}
