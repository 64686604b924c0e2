#include "crypto/encrypted_data.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_wrap.h"
#include "crypto/sha256.h"
#include "crypto/symmetric_context.h"

namespace qs {
namespace {

// The KEM ciphertext travels bare here but inside an "EncryptedKey" record in the native
// format; this converts, so both formats share one wrap and unwrap.
ByteBuffer EncryptedKeyRecordOf(const ByteBuffer& ciphertext) {
  ByteBuffer record;
  AppendRecordHeader(record, tag::kEncryptedKey);
  record.appendField(ciphertext);
  return record;
}

}  // namespace

std::optional<ByteBuffer> EncryptMessage(RandomGenerator& generator, const ByteBuffer& recipientPublic,
                                         const ByteBuffer& senderPrivate, const ByteBuffer& message,
                                         ProgressHook* hook) {
  const std::optional<WrappedKey> wrapped = WrapKey(generator, recipientPublic);
  if (!wrapped) return std::nullopt;
  const ByteBuffer ciphertext = ReadEncryptedKey(wrapped->encryptedKeyRecord).value_or(ByteBuffer());

  SymmetricContext sealer(wrapped->key.span(), &generator);
  sealer.setHook(hook);
  ByteBuffer sealed = message;
  if (!sealer.encrypt(sealed)) return std::nullopt;

  const ByteBuffer signature = SignDigest(generator, senderPrivate, Sha256(ciphertext.span()));
  if (signature.empty()) return std::nullopt;

  ByteBuffer record;
  AppendRecordHeader(record, tag::kEncryptedData);
  record.appendU16(0);
  record.appendU16(0);
  record.appendField(ciphertext);
  record.appendField(signature);
  record.appendField(sealed);
  return record;
}

std::optional<EncryptedDataFields> ReadEncryptedData(const ByteBuffer& record) {
  ByteStream in(record);
  const bool header = ReadRecordHeader(in, tag::kEncryptedData);
  const bool reserved = in.readU16() == 0 && in.readU16() == 0;
  std::optional<ByteBuffer> ciphertext = in.readCompleteField();
  std::optional<ByteBuffer> signature = in.readCompleteField();
  std::optional<ByteBuffer> sealed = in.readCompleteField();
  if (!header || !reserved || !ciphertext || !signature || !sealed) return std::nullopt;
  return EncryptedDataFields{std::move(*ciphertext), std::move(*signature), std::move(*sealed)};
}

std::optional<ByteBuffer> DecryptMessage(const ByteBuffer& ownPrivate, const ByteBuffer& senderPublic,
                                         const ByteBuffer& record, ProgressHook* hook) {
  std::optional<EncryptedDataFields> fields = ReadEncryptedData(record);
  if (!fields) return std::nullopt;
  if (!VerifyDigest(senderPublic, Sha256(fields->ciphertext.span()), fields->signature)) return std::nullopt;
  const ByteBuffer key = UnwrapKey(ownPrivate, EncryptedKeyRecordOf(fields->ciphertext));
  if (key.empty()) return std::nullopt;
  ByteBuffer data = std::move(fields->sealed);

  SymmetricContext opener(key.span(), nullptr);
  opener.setHook(hook);
  if (!opener.decrypt(data)) return std::nullopt;
  return data;
}

}  // namespace qs
