#include "crypto/rsa_signature.h"

#include "crypto/cipher_context.h"

namespace qs {

ByteBuffer MessageRepresentative(const ByteBuffer& digest, const RsaKey& key) {
  if (digest.length() != kDigestBytes || !key.valid) return {};
  CipherContext cipher(digest.span());
  const std::optional<ByteBuffer> stream = cipher.keystream(key.modulusBytes);
  if (!stream) return {};
  BigInt m = BigInt::fromBytes(*stream);
  ReduceBelowModulus(m, key.n);
  return m.toBytes(key.modulusBytes);
}

ByteBuffer Sign(const RsaKey& key, const ByteBuffer& digest) {
  if (!key.valid || !key.hasPrivate || key.usage != KeyUsage::kSigning || digest.length() != kDigestBytes) {
    return {};
  }
  const ByteBuffer representative = MessageRepresentative(digest, key);
  if (representative.empty()) return {};
  BigInt s;
  if (!RsaPrivate(key, BigInt::fromBytes(representative), s)) return {};
  return s.toBytes(key.modulusBytes);
}

bool Verify(const RsaKey& key, const ByteBuffer& digest, const ByteBuffer& signature) {
  if (!key.valid || key.usage != KeyUsage::kSigning || signature.length() != key.modulusBytes ||
      digest.length() != kDigestBytes) {
    return false;
  }
  const BigInt s = BigInt::fromBytes(signature);
  if (s >= key.n) return false;
  BigInt v;
  RsaPublic(key, s, v);
  const ByteBuffer representative = MessageRepresentative(digest, key);
  return v.toBytes(key.modulusBytes).equals(representative);
}

}  // namespace qs
