#include "crypto/key_pair.h"

#include "base/record.h"
#include "crypto/random_generator.h"
#include "crypto/rsa_keygen.h"

namespace qs {

std::optional<KeyPairRecords> GenerateKeyPair(KeyType encryptionType, KeyType signingType,
                                              RandomGenerator& generator, ProgressHook* hook) {
  const std::optional<std::uint32_t> encryptionBits = KeyTypeBits(encryptionType);
  const std::optional<std::uint32_t> signingBits = KeyTypeBits(signingType);
  if (!encryptionBits || !signingBits || generator.credit() < RandomGenerator::kRequiredCredit) {
    return std::nullopt;
  }
  const RsaKey encryption = GenerateRsaKey(*encryptionBits, KeyUsage::kEncryption, generator, hook);
  if (!encryption.valid) return std::nullopt;
  const RsaKey signing = GenerateRsaKey(*signingBits, KeyUsage::kSigning, generator, hook);
  if (!signing.valid) return std::nullopt;

  KeyRecord content;
  content.encryptionKeyType = encryptionType;
  content.signingKeyType = signingType;
  content.encryptionKey = PrivateBlob(encryption);
  content.signingKey = PrivateBlob(signing);
  KeyPairRecords records;
  records.privateRecord = BuildKeyRecord(tag::kPrivateKey, content);
  content.encryptionKey = PublicBlob(encryption);
  content.signingKey = PublicBlob(signing);
  records.publicRecord = BuildKeyRecord(tag::kPublicKey, content);
  return records;
}

}  // namespace qs
