#include "crypto/rsa_keygen.h"

#include <utility>

#include "crypto/modular.h"
#include "crypto/primality.h"
#include "crypto/random_generator.h"

namespace qs {
namespace {

constexpr std::uint32_t kAttemptsPerModulusByte = 20;

bool Acceptable(const BigInt& candidate) {
  BigInt below;
  Subtract(candidate, BigInt(1), below);
  BigInt common;
  Gcd(below, BigInt(kPublicExponent), common);
  return common == BigInt(1) && IsProbablePrime(candidate);
}

}  // namespace

bool GeneratePrime(std::uint32_t bytes, std::uint32_t attemptLimit, RandomGenerator& generator,
                   ProgressHook* hook, BigInt& prime) {
  prime.wipe();
  for (std::uint32_t attempt = 0; attempt < attemptLimit; ++attempt) {
    const ByteBuffer drawn = generator.output(bytes);
    if (drawn.empty()) return false;
    BigInt candidate = BigInt::fromBytes(drawn);
    candidate.setBit(0);
    candidate.setBit(8 * bytes - 1);
    candidate.setBit(8 * bytes - 2);
    if (Acceptable(candidate)) {
      prime = candidate;
      return true;
    }
    if (hook != nullptr) {
      if (hook->cancelRequested()) return false;
      hook->add(1);
    }
  }
  return false;
}

RsaKey GenerateRsaKey(std::uint32_t bits, KeyUsage usage, RandomGenerator& generator, ProgressHook* hook) {
  RsaKey key;
  key.usage = usage;
  key.generator = &generator;
  key.modulusBytes = ModulusBytes(bits);
  const std::uint32_t k = key.modulusBytes;
  if (k > kMaxModulusBytes || generator.credit() < RandomGenerator::kRequiredCredit) return key;
  const std::uint32_t attempts = kAttemptsPerModulusByte * k;
  if (!GeneratePrime(k / 2, attempts, generator, hook, key.p) ||
      !GeneratePrime(k / 2, attempts, generator, hook, key.q)) {
    key.clear();
    return key;
  }
  if (key.p < key.q) std::swap(key.p, key.q);
  key.valid = DeriveRsaComponents(key);
  key.hasPrivate = key.valid;
  if (!key.valid) key.clear();
  return key;
}

}  // namespace qs
