#include "crypto/rsa_kem.h"

#include "crypto/random_generator.h"
#include "crypto/sha256.h"

namespace qs {
namespace {

// K is the hash of z's natural encoding: its used words only, not the fixed k bytes.
ByteBuffer KeyFromSecret(const BigInt& z) {
  const ByteBuffer bytes = z.toBytes(0);
  return Sha256(bytes.span());
}

}  // namespace

std::optional<Encapsulation> Encapsulate(const RsaKey& recipient) {
  if (!recipient.valid || recipient.usage != KeyUsage::kEncryption || recipient.generator == nullptr) {
    return std::nullopt;
  }
  const ByteBuffer drawn = recipient.generator->output(recipient.modulusBytes);
  if (drawn.empty()) return std::nullopt;  // also when the credit is below 1024
  BigInt z = BigInt::fromBytes(drawn);
  ReduceBelowModulus(z, recipient.n);
  BigInt c;
  RsaPublic(recipient, z, c);
  return Encapsulation{KeyFromSecret(z), c.toBytes(recipient.modulusBytes)};
}

ByteBuffer Decapsulate(const RsaKey& own, const ByteBuffer& ciphertext) {
  if (!own.valid || !own.hasPrivate || own.usage != KeyUsage::kEncryption ||
      ciphertext.length() != own.modulusBytes) {
    return {};
  }
  const BigInt c = BigInt::fromBytes(ciphertext);
  BigInt z;
  if (!RsaPrivate(own, c, z)) return {};  // also for c >= n
  return KeyFromSecret(z);
}

}  // namespace qs
