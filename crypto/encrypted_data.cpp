#include "crypto/encrypted_data.h"

#include <algorithm>

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_records.h"
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
  const std::optional<ByteBuffer> senderPublic = PublicKeyRecordOf(senderPrivate);
  const std::optional<std::array<std::uint8_t, SymmetricContext::kIvBytes>> iv =
      senderPublic ? SenderBoundIv(sealer, *senderPublic) : std::nullopt;
  if (!iv) return std::nullopt;
  ByteBuffer sealed = message;
  if (!sealer.encrypt(sealed, *iv)) return std::nullopt;

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
  if (!header || !reserved || !ciphertext || !signature || !sealed || in.remaining() != 0)
    return std::nullopt;
  return EncryptedDataFields{std::move(*ciphertext), std::move(*signature), std::move(*sealed)};
}

OpenedMessage DecryptMessage(const ByteBuffer& recipientPrivate, const ByteBuffer& senderPublic,
                             const ByteBuffer& record, ProgressHook* hook) {
  std::optional<EncryptedDataFields> fields = ReadEncryptedData(record);
  if (!fields) return {std::nullopt, MessageFailure::kMalformed};
  if (!VerifyDigest(senderPublic, Sha256(fields->ciphertext.span()), fields->signature))
    return {std::nullopt, MessageFailure::kNotBySender};
  const ByteBuffer key = UnwrapKey(recipientPrivate, EncryptedKeyRecordOf(fields->ciphertext));
  if (key.empty()) return {std::nullopt, MessageFailure::kNotForThisKey};
  ByteBuffer data = std::move(fields->sealed);

  SymmetricContext opener(key.span(), nullptr);
  opener.setHook(hook);
  std::array<std::uint8_t, SymmetricContext::kIvBytes> iv{};
  if (data.length() >= iv.size()) std::copy_n(data.data(), iv.size(), iv.begin());
  // A key unwrapped with another key pair's key is noise, which opens nothing.
  if (!opener.decrypt(data)) return {std::nullopt, MessageFailure::kNotForThisKey};
  const SenderBinding binding = CheckSenderBinding(opener, iv, senderPublic);
  if (binding == SenderBinding::kOtherSender) return {std::nullopt, MessageFailure::kNotBySender};
  return {std::move(data), MessageFailure::kNone, binding};
}

}  // namespace qs
