#include "crypto/key_wrap.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_records.h"
#include "crypto/random_generator.h"
#include "crypto/rsa_kem.h"
#include "crypto/rsa_signature.h"
#include "crypto/sha256.h"

namespace qs {
namespace {

enum class Slot { kEncryption, kSigning };

// The key in one slot of a key record, loaded for that slot's use; invalid on any failure.
RsaKey LoadFromRecord(const ByteBuffer& record, bool privateWanted, Slot slot, RandomGenerator* generator) {
  const std::optional<KeyRecord> content =
      ReadKeyRecord(record, privateWanted ? tag::kPrivateKey : tag::kPublicKey);
  if (!content) return {};
  const bool encryption = slot == Slot::kEncryption;
  const std::optional<std::uint32_t> bits =
      KeyTypeBits(encryption ? content->encryptionKeyType : content->signingKeyType);
  if (!bits) return {};
  return LoadRsaKey(*bits, encryption ? content->encryptionKey : content->signingKey, privateWanted,
                    encryption ? KeyUsage::kEncryption : KeyUsage::kSigning, generator);
}

bool HasCredit(const RandomGenerator& generator) {
  return generator.credit() >= RandomGenerator::kRequiredCredit;
}

// n = p·q, which every step of the private operation rests on and the check of its result
// alone does not show (a damaged p still gives a result modulo n at times).
bool FactorsMatch(const ByteBuffer& privateRecord, Slot slot) {
  const RsaKey key = LoadFromRecord(privateRecord, true, slot, nullptr);
  if (!key.valid) return false;
  BigInt product;
  Multiply(key.p, key.q, product);
  return product == key.n;
}

}  // namespace

std::optional<WrappedKey> WrapKey(RandomGenerator& generator, const ByteBuffer& recipientPublicRecord) {
  if (!HasCredit(generator)) return std::nullopt;
  const RsaKey recipient = LoadFromRecord(recipientPublicRecord, false, Slot::kEncryption, &generator);
  std::optional<Encapsulation> sealed = Encapsulate(recipient);
  if (!sealed) return std::nullopt;
  WrappedKey wrapped;
  wrapped.key = std::move(sealed->key);
  AppendRecordHeader(wrapped.encryptedKeyRecord, tag::kEncryptedKey);
  wrapped.encryptedKeyRecord.appendField(sealed->ciphertext);
  return wrapped;
}

std::optional<ByteBuffer> ReadEncryptedKey(const ByteBuffer& encryptedKeyRecord) {
  ByteStream in(encryptedKeyRecord);
  if (!ReadRecordHeader(in, tag::kEncryptedKey)) return std::nullopt;
  return in.readCompleteField();
}

ByteBuffer UnwrapKey(const ByteBuffer& ownPrivateRecord, const ByteBuffer& encryptedKeyRecord) {
  const std::optional<ByteBuffer> ciphertext = ReadEncryptedKey(encryptedKeyRecord);
  if (!ciphertext) return {};
  const RsaKey own = LoadFromRecord(ownPrivateRecord, true, Slot::kEncryption, nullptr);
  return Decapsulate(own, *ciphertext);
}

ByteBuffer SignDigest(RandomGenerator& generator, const ByteBuffer& ownPrivateRecord,
                      const ByteBuffer& digest) {
  if (!HasCredit(generator)) return {};
  const RsaKey own = LoadFromRecord(ownPrivateRecord, true, Slot::kSigning, &generator);
  return Sign(own, digest);
}

bool VerifyDigest(const ByteBuffer& senderPublicRecord, const ByteBuffer& digest,
                  const ByteBuffer& signature) {
  const RsaKey sender = LoadFromRecord(senderPublicRecord, false, Slot::kSigning, nullptr);
  return Verify(sender, digest, signature);
}

bool KeyPairWorks(const ByteBuffer& privateRecord, const ByteBuffer& publicRecord) {
  if (!FactorsMatch(privateRecord, Slot::kEncryption) || !FactorsMatch(privateRecord, Slot::kSigning)) {
    return false;
  }
  const ByteBuffer fixed = Sha256(ByteBuffer::fromText("Quillseal key pair check").span());
  RandomGenerator generator;
  if (!generator.addSeed(fixed.span(), 0, true)) return false;
  const std::optional<WrappedKey> wrapped = WrapKey(generator, publicRecord);
  if (!wrapped || !UnwrapKey(privateRecord, wrapped->encryptedKeyRecord).equals(wrapped->key)) return false;
  const ByteBuffer signature = SignDigest(generator, privateRecord, fixed);
  return !signature.empty() && VerifyDigest(publicRecord, fixed, signature);
}

}  // namespace qs
