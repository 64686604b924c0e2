// Times key generation and the private and public operations of RSA at 2048 and 4096 bits.
// Prints one line per figure, "<what> <bits> <milliseconds per operation> <count>", for
// bench/rsa to set beside the peer's figures.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "crypto/random_generator.h"
#include "crypto/rsa_keygen.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Repeats op until both minCount runs and minMs milliseconds have passed; the mean in ms.
template <typename Op>
double Mean(int minCount, double minMs, int& count, Op op) {
  const Clock::time_point start = Clock::now();
  count = 0;
  while (count < minCount || MillisecondsSince(start) < minMs) {
    op();
    ++count;
  }
  return MillisecondsSince(start) / count;
}

}  // namespace

int main(int argc, char** argv) {
  const int keys = argc > 1 ? std::atoi(argv[1]) : 5;
  qs::RandomGenerator generator;
  std::uint8_t seed[32] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  generator.addSeed(seed, 0, true);

  for (const std::uint32_t bits : {2048u, 4096u}) {
    int count = 0;
    const double generation = Mean(keys, 0, count, [&] {
      const qs::RsaKey key = qs::GenerateRsaKey(bits, qs::KeyUsage::kSigning, generator, nullptr);
      if (!key.valid) std::abort();
    });
    std::printf("keygen %u %.3f %d\n", bits, generation, count);

    const qs::RsaKey key = qs::GenerateRsaKey(bits, qs::KeyUsage::kSigning, generator, nullptr);
    qs::BigInt c = qs::BigInt::fromBytes(generator.output(key.modulusBytes));
    qs::ReduceBelowModulus(c, key.n);
    qs::BigInt r;
    const double privateOp = Mean(20, 2000, count, [&] {
      if (!qs::RsaPrivate(key, c, r)) std::abort();
    });
    std::printf("private %u %.3f %d\n", bits, privateOp, count);
    const double publicOp = Mean(200, 1000, count, [&] { qs::RsaPublic(key, c, r); });
    std::printf("public %u %.3f %d\n", bits, publicOp, count);
  }
  return 0;
}
