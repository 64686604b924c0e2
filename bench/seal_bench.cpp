// Times sealing 2 MiB chunks, the size the chunk pipeline seals, on one thread: one chunk per
// call, then two (the stitched loop running both chunks' chains at once). Prints
// "seal / pair <MB/s> <chunks>" and "stitched1 / stitched2 <MB/s> <chunks>" (the bare stitched
// loop, one and two chunks per call); with the argument "portable" the portable paths, which have
// no stitched loop. Processor time, not wall time, so that other work on a shared machine
// does not count.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#include "crypto/aes_key_schedule.h"
#include "crypto/cbc_hash_hardware.h"
#include "crypto/cpu_features.h"
#include "crypto/symmetric_context.h"

namespace {

constexpr std::uint32_t kChunk = 2 * 1024 * 1024;

// Written once before timing, so no page is first touched inside the measurement.
std::vector<std::uint8_t> Filled(std::size_t size) {
  std::vector<std::uint8_t> buffer(size);
  for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i * 131);
  return buffer;
}

// Calls once (which handles chunksPerCall chunks) for at least 2 s of processor time.
template <typename Once>
void Time(const char* name, int chunksPerCall, Once once) {
  const std::clock_t start = std::clock();
  int chunks = 0;
  double seconds = 0;
  while (chunks < 20 || seconds < 2.0) {
    once();
    chunks += chunksPerCall;
    seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
  }
  std::printf("%s %.1f %d\n", name, static_cast<double>(chunks) * kChunk / seconds / 1e6, chunks);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "portable") == 0) qs::ForcePortableCrypto(true);
  std::uint8_t key[32];
  std::uint8_t iv[16];
  for (std::uint32_t i = 0; i < 32; ++i) key[i] = static_cast<std::uint8_t>(3 * i + 1);
  for (std::uint32_t i = 0; i < 16; ++i) iv[i] = static_cast<std::uint8_t>(7 * i);
  const std::span<const std::uint8_t, 16> ivSpan(iv);
  qs::SymmetricContext context(key, nullptr);
  std::vector<std::uint8_t> first = Filled(qs::SymmetricContext::SealedSize(kChunk));
  std::vector<std::uint8_t> second = Filled(first.size());

  Time("seal", 1, [&] {
    if (!context.seal(first, kChunk, ivSpan)) std::abort();
  });
  Time("pair", 2, [&] {
    if (!context.sealPair({first, kChunk, ivSpan}, {second, kChunk, ivSpan})) std::abort();
  });
  if (!qs::HardwareAesEnabled() || !qs::HardwareShaEnabled()) return 0;

  qs::AesKeySchedule schedule;
  if (!schedule.expand(key)) std::abort();
  std::uint8_t chains[2][16] = {};
  qs::Sha256State states[2] = {};
  const auto stream = [&](int s) {
    std::vector<std::uint8_t>& buffer = s == 0 ? first : second;
    return qs::CbcHashStream{chains[s], buffer.data() + 64, buffer.data(), kChunk / 64 - 1, &states[s]};
  };
  Time("stitched1", 1, [&] {
    qs::CbcHashStream one = stream(0);
    qs::CbcEncryptAndHashHardware(schedule, one);
  });
  Time("stitched2", 2, [&] {
    qs::CbcHashStream one = stream(0);
    qs::CbcHashStream two = stream(1);
    qs::CbcEncryptAndHashPairHardware(schedule, one, two);
  });
  return 0;
}
