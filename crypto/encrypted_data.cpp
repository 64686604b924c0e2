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

MessageSealer::MessageSealer(RandomGenerator& generator, const ByteBuffer& recipientPublic,
                             const ByteBuffer& senderPrivate, ProgressHook* hook) {
  const std::optional<WrappedKey> wrapped = WrapKey(generator, recipientPublic);
  if (!wrapped) return;
  ciphertext_ = ReadEncryptedKey(wrapped->encryptedKeyRecord).value_or(ByteBuffer());
  context_.emplace(wrapped->key.span(), nullptr);
  context_->setHook(hook);
  const std::optional<ByteBuffer> senderPublic = PublicKeyRecordOf(senderPrivate);
  const std::optional<std::array<std::uint8_t, SymmetricContext::kIvBytes>> iv =
      senderPublic ? SenderBoundIv(*context_, *senderPublic) : std::nullopt;
  if (!iv) return;
  iv_ = *iv;
  signature_ = SignDigest(generator, senderPrivate, Sha256(ciphertext_.span()));
  if (signature_.empty()) return;
  sealer_.emplace(*context_, iv_);
  if (sealer_->failed()) sealer_.reset();
}

ByteBuffer MessageSealer::head(std::uint32_t messageBytes) const {
  ByteBuffer record;
  AppendRecordHeader(record, tag::kEncryptedData);
  record.appendU16(0);
  record.appendU16(0);
  record.appendField(ciphertext_);
  record.appendField(signature_);
  record.appendU32(static_cast<std::uint32_t>(SymmetricContext::SealedSize(messageBytes)));
  record.append(iv_.data(), static_cast<std::uint32_t>(iv_.size()));
  return record;
}

std::uint64_t MessageSealer::recordBytes(std::uint64_t messageBytes) const {
  return head(0).length() - iv_.size() + SymmetricContext::SealedSize(messageBytes);
}

std::optional<ByteBuffer> EncryptMessage(RandomGenerator& generator, const ByteBuffer& recipientPublic,
                                         const ByteBuffer& senderPrivate, const ByteBuffer& message,
                                         ProgressHook* hook) {
  MessageSealer sealing(generator, recipientPublic, senderPrivate, hook);
  const std::uint32_t length = message.length();
  if (sealing.failed() || sealing.recordBytes(length) > 0xFFFFFFFFu) return std::nullopt;
  ByteBuffer record = sealing.head(length);
  const std::uint32_t start = record.length();
  record.append(message);
  record.appendZeros(static_cast<std::uint32_t>(StreamSealer::LastBytes(length) - length));
  if (!sealing.sealer().sealLast(record.span().subspan(start), length)) return std::nullopt;
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

MessageOpener::MessageOpener(const ByteBuffer& recipientPrivate, const ByteBuffer& senderPublic,
                             const ByteBuffer& ciphertext, const ByteBuffer& signature, ProgressHook* hook)
    : senderPublic_(senderPublic) {
  if (!VerifyDigest(senderPublic, Sha256(ciphertext.span()), signature)) {
    failure_ = MessageFailure::kNotBySender;
    return;
  }
  const ByteBuffer key = UnwrapKey(recipientPrivate, EncryptedKeyRecordOf(ciphertext));
  if (key.empty()) {
    failure_ = MessageFailure::kNotForThisKey;
    return;
  }
  context_.emplace(key.span(), nullptr);
  context_->setHook(hook);
}

StreamOpener& MessageOpener::begin(std::span<const std::uint8_t, SymmetricContext::kIvBytes> iv) {
  std::copy(iv.begin(), iv.end(), iv_.begin());
  return opener_.emplace(*context_, iv);
}

MessageFailure MessageOpener::authenticated(std::span<const std::uint8_t, SymmetricContext::kMacBytes> mac) {
  // A key unwrapped with another key pair's key is noise, which opens nothing.
  if (!opener_->authentic(mac)) return MessageFailure::kNotForThisKey;
  binding_ = CheckSenderBinding(*context_, iv_, senderPublic_);
  return binding_ == SenderBinding::kOtherSender ? MessageFailure::kNotBySender : MessageFailure::kNone;
}

OpenedMessage DecryptMessage(const ByteBuffer& recipientPrivate, const ByteBuffer& senderPublic,
                             const ByteBuffer& record, ProgressHook* hook) {
  std::optional<EncryptedDataFields> fields = ReadEncryptedData(record);
  if (!fields) return {std::nullopt, MessageFailure::kMalformed};
  MessageOpener opening(recipientPrivate, senderPublic, fields->ciphertext, fields->signature, hook);
  if (opening.failure() != MessageFailure::kNone) return {std::nullopt, opening.failure()};
  ByteBuffer data = std::move(fields->sealed);
  if (!StreamOpener::Openable(data.length())) return {std::nullopt, MessageFailure::kNotForThisKey};
  const std::span<std::uint8_t> sealed = data.span();
  const std::span<std::uint8_t> body = sealed.subspan(
      StreamOpener::kIvBytes, sealed.size() - StreamOpener::kIvBytes - StreamOpener::kMacBytes);
  StreamOpener& opener = opening.begin(sealed.first<StreamOpener::kIvBytes>());
  // A cancel reads as a key that opens nothing, as everywhere in the sealed message.
  if (!opener.absorb(body)) return {std::nullopt, MessageFailure::kNotForThisKey};
  const MessageFailure failure = opening.authenticated(sealed.last<StreamOpener::kMacBytes>());
  if (failure != MessageFailure::kNone) return {std::nullopt, failure};
  const std::optional<std::uint32_t> length = opener.openLast(body);
  if (!length) return {std::nullopt, MessageFailure::kNotForThisKey};
  data.dropFront(StreamOpener::kIvBytes);
  data.resize(*length);
  return {std::move(data), MessageFailure::kNone, opening.binding()};
}

}  // namespace qs
