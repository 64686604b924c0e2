#include "crypto/rsa_key.h"

#include <utility>

#include "crypto/modular.h"

namespace qs {
namespace {

// A modulus every operation can rely on: odd, with its top bit at 8k − 1.
bool WellFormedModulus(const BigInt& n, std::uint32_t k) { return n.isOdd() && n.bitLength() == 8 * k; }

bool UsablePrime(const BigInt& p) { return p.isOdd() && p > BigInt(1); }

BigInt Slice(const ByteBuffer& blob, std::uint32_t offset, std::uint32_t length) {
  return BigInt::fromBytes(blob.span().subspan(offset, length));
}

// Private blob: p, q, dP, dQ, qInv at k/2 bytes each, then n at k bytes.
void ReadPrivateBlob(const ByteBuffer& blob, RsaKey& key) {
  const std::uint32_t half = key.modulusBytes / 2;
  key.p = Slice(blob, 0, half);
  key.q = Slice(blob, half, half);
  key.dP = Slice(blob, 2 * half, half);
  key.dQ = Slice(blob, 3 * half, half);
  key.qInv = Slice(blob, 4 * half, half);
  key.n = Slice(blob, 5 * half, key.modulusBytes);
  key.valid = WellFormedModulus(key.n, key.modulusBytes) && UsablePrime(key.p) && UsablePrime(key.q);
}

// p ‖ q at k/2 bytes each; everything else is derived.
void ReadPrimePair(const ByteBuffer& blob, RsaKey& key) {
  const std::uint32_t half = key.modulusBytes / 2;
  key.p = Slice(blob, 0, half);
  key.q = Slice(blob, half, half);
  if (key.p < key.q) std::swap(key.p, key.q);
  key.valid = UsablePrime(key.p) && UsablePrime(key.q) && DeriveRsaComponents(key) &&
              WellFormedModulus(key.n, key.modulusBytes);
}

}  // namespace

std::uint32_t ModulusBytes(std::uint32_t bits) {
  const std::uint32_t units = bits / 128 + (bits % 128 != 0 ? 1 : 0);
  return 16 * (units < 4 ? 4 : units);
}

void RsaKey::clear() noexcept {
  p.wipe();
  q.wipe();
  dP.wipe();
  dQ.wipe();
  qInv.wipe();
  n.wipe();
  valid = false;
  hasPrivate = false;
}

RsaKey LoadRsaKey(std::uint32_t bits, const ByteBuffer& blob, bool privateWanted, KeyUsage usage,
                  RandomGenerator* generator) {
  RsaKey key;
  key.usage = usage;
  key.generator = generator;
  key.modulusBytes = ModulusBytes(bits);
  const std::uint32_t k = key.modulusBytes;
  if (k > kMaxModulusBytes) return key;
  if (privateWanted && blob.length() == k / 2 * 7) {
    ReadPrivateBlob(blob, key);
  } else if (privateWanted && blob.length() == k) {
    ReadPrimePair(blob, key);
  } else if (!privateWanted && blob.length() == k) {
    key.n = BigInt::fromBytes(blob);
    key.valid = WellFormedModulus(key.n, k);
  }
  key.hasPrivate = key.valid && privateWanted;
  if (!key.valid) key.clear();
  return key;
}

bool DeriveRsaComponents(RsaKey& key) {
  Multiply(key.p, key.q, key.n);
  BigInt pMinus1;
  Subtract(key.p, BigInt(1), pMinus1);
  BigInt qMinus1;
  Subtract(key.q, BigInt(1), qMinus1);
  key.dP = BigInt(kPublicExponent);
  key.dQ = BigInt(kPublicExponent);
  key.qInv = key.q;
  // Evaluated one after another: each must exist.
  const bool dpExists = ModInverse(key.dP, pMinus1);
  const bool dqExists = dpExists && ModInverse(key.dQ, qMinus1);
  return dqExists && ModInverse(key.qInv, key.p);
}

ByteBuffer PrivateBlob(const RsaKey& key) {
  if (!key.valid || !key.hasPrivate) return {};
  const std::uint32_t half = key.modulusBytes / 2;
  ByteBuffer blob;
  for (const BigInt* part : {&key.p, &key.q, &key.dP, &key.dQ, &key.qInv}) blob.append(part->toBytes(half));
  blob.append(key.n.toBytes(key.modulusBytes));
  return blob;
}

ByteBuffer PublicBlob(const RsaKey& key) {
  if (!key.valid) return {};
  return key.n.toBytes(key.modulusBytes);
}

void ReduceBelowModulus(BigInt& m, const BigInt& n) {
  const std::uint32_t bits = m.bitLength();
  for (std::uint32_t j = 0; j < bits && m >= n; ++j) m.clearBit(bits - 1 - j);
}

void RsaPublic(const RsaKey& key, const BigInt& x, BigInt& r) {
  ModExp(x, BigInt(kPublicExponent), key.n, r);
}

}  // namespace qs
