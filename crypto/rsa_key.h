#pragma once
#include <cstdint>

#include "base/byte_buffer.h"
#include "crypto/bigint.h"

namespace qs {

class RandomGenerator;

inline constexpr std::uint32_t kPublicExponent = 65537;
// 4096-bit keys; every blob and value is bounded by it before it becomes a BigInt.
inline constexpr std::uint32_t kMaxModulusBytes = 512;

enum class KeyUsage : std::uint8_t { kEncryption = 0, kSigning = 1 };

// The modulus length in bytes for a key size in bits: 16 × max(4, ⌈bits ÷ 128⌉), so 256,
// 384 and 512 for 2048, 3072 and 4096 bits.
std::uint32_t ModulusBytes(std::uint32_t bits);

// An RSA key with e = 65537, built on the stack of one operation and wiped when it goes.
// Private keys hold p > q, dP = e⁻¹ mod (p − 1), dQ = e⁻¹ mod (q − 1), qInv = q⁻¹ mod p and
// n = p·q; public keys only n. Every key that is valid has an odd n of exactly 8k bits.
//
// Blobs, all values little-endian and fixed length:
//   public:  n (k bytes)
//   private: p, q, dP, dQ, qInv (k/2 bytes each), n (k bytes)  = 3.5 k bytes
struct RsaKey {
  RsaKey() = default;
  RsaKey(const RsaKey&) = delete;
  RsaKey& operator=(const RsaKey&) = delete;
  RsaKey(RsaKey&&) = default;
  RsaKey& operator=(RsaKey&&) = default;
  ~RsaKey() { clear(); }

  // Wipes the six components; the key is then invalid.
  void clear() noexcept;

  bool valid = false;
  KeyUsage usage = KeyUsage::kEncryption;
  bool hasPrivate = false;
  std::uint32_t modulusBytes = 0;        // k
  RandomGenerator* generator = nullptr;  // not owned; needed by generation and RSA-KEM
  BigInt p, q, dP, dQ, qInv, n;
};

// Builds a key of the given size from a blob:
//   private wanted, 3.5 k bytes: the private blob, taken as stored;
//   private wanted, k bytes: p (first k/2 bytes) and q (last k/2), swapped when p < q, the
//                            rest derived as in generation;
//   public wanted, k bytes: n.
// Any other length, a size above 4096 bits, an n that is even or not of 8k bits, an even p
// or q, or a failed derivation give an invalid key.
RsaKey LoadRsaKey(std::uint32_t bits, const ByteBuffer& blob, bool privateWanted, KeyUsage usage,
                  RandomGenerator* generator);

// Fills n, dP, dQ and qInv of a key holding p > q; false when an inverse does not exist.
// Timing depends on p and q (it runs once per key).
bool DeriveRsaComponents(RsaKey& key);

// Empty unless the key is valid and private.
ByteBuffer PrivateBlob(const RsaKey& key);
// Empty unless the key is valid.
ByteBuffer PublicBlob(const RsaKey& key);

// Clears bits of m from its top down, one position per step, until m < n: the fixed way
// both schemes bring a k-byte value below the modulus. Timing shows how many steps it took.
void ReduceBelowModulus(BigInt& m, const BigInt& n);

// r = x^e mod n. Public values only; timing depends on them.
void RsaPublic(const RsaKey& key, const BigInt& x, BigInt& r);

// r = c^d mod n through the Chinese remainder theorem, for c < n, with the uniform
// exponentiation of crypto/montgomery.h. Every size comes from the public modulus length
// (p, q, dP, dQ and qInv in k/2 bytes), so neither the timing nor any branch or memory index
// depends on the private values; the result's used-word count is set without branching.
// The result is raised to e again and must give c back, and must be below n, so a fault in
// the computation (or an inconsistent stored key, such as one whose p or q does not fill
// its k/2 bytes) makes it fail instead of returning a value that could reveal a factor.
// False, with r zero, for a key that is not valid and private or any mismatch.
bool RsaPrivate(const RsaKey& key, const BigInt& c, BigInt& r);

}  // namespace qs
