#include "formats/signing_context.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_wrap.h"

namespace qs {
namespace {

ByteBuffer FinishDigest(Sha256Context& digest, const ByteBuffer& block) {
  ByteBuffer out;
  digest.setHook(nullptr);  // the block is not the user's data
  digest.update(block.span());
  digest.digest(out);
  return out;
}

}  // namespace

std::optional<SignedInformation> ReadSignedInformation(std::span<const std::uint8_t> block) {
  ByteStream in(ByteBuffer(block.data(), static_cast<std::uint32_t>(block.size())));
  std::optional<ByteBuffer> label = in.readCompleteField();
  const bool timestampComplete = in.remaining() >= 4;
  const std::uint32_t timestamp = in.readU32();
  std::optional<ByteBuffer> message = in.readCompleteField();
  if (!label || !timestampComplete || !message || in.remaining() != 0) return std::nullopt;
  if (label->length() < 2 || label->at(label->length() - 1) != 0) return std::nullopt;
  if (message->length() % 2 != 0) return std::nullopt;
  for (std::uint32_t i = 0; i < message->length(); i += 2) {
    if (message->at(i) != 0) return std::nullopt;  // the high byte of a unit above 0xFF
  }
  return SignedInformation{std::move(*label), timestamp, WideText::fromRecordBytes(*message)};
}

bool EndsWithSignedInformation(std::span<const std::uint8_t> bytes) {
  for (std::size_t start = 0; start < bytes.size(); ++start) {
    if (ReadSignedInformation(bytes.subspan(start))) return true;
  }
  return false;
}

std::optional<SignatureRecord> ReadSignatureRecord(const ByteBuffer& record) {
  ByteStream in(record);
  const bool header = ReadRecordHeader(in, tag::kSignature);
  const bool reserved = in.readU16() == 0;
  std::optional<ByteBuffer> block = in.readCompleteField();
  std::optional<ByteBuffer> signature = in.readCompleteField();
  if (!header || !reserved || !block || !signature || in.remaining() != 0) return std::nullopt;
  std::optional<SignedInformation> information = ReadSignedInformation(block->span());
  if (!information) return std::nullopt;

  SignatureRecord parts;
  parts.label = std::move(information->label);
  parts.timestamp = information->timestamp;
  parts.message = std::move(information->message);
  parts.signedInformation = std::move(*block);
  parts.signature = std::move(*signature);
  return parts;
}

bool SigningContext::endRound() {
  const bool ready = state_ == State::kDataAdded;
  state_ = State::kNoLabel;
  // A round that ends without its digest must not leave data for the next one.
  if (!ready) digest_.reset();
  return ready;
}

bool SigningContext::setLabel(const TextString& label) {
  if (label.bytes().length() < 2) return false;
  label_ = label;
  state_ = State::kLabelSet;
  return true;
}

bool SigningContext::addData(std::span<const std::uint8_t> bytes) {
  if (state_ == State::kNoLabel) return false;
  digest_.setHook(hook_);
  if (!digest_.update(bytes)) return false;
  state_ = State::kDataAdded;
  return true;
}

std::optional<ByteBuffer> SigningContext::sign(const ByteBuffer& ownPrivate, std::uint32_t timestamp,
                                               const WideText& message) {
  if (!endRound() || generator_ == nullptr) return std::nullopt;

  ByteBuffer block;
  block.appendField(label_.bytes());
  block.appendU32(timestamp);
  block.appendField(message.toRecordBytes());
  const ByteBuffer signature = SignDigest(*generator_, ownPrivate, FinishDigest(digest_, block));
  if (signature.empty()) return std::nullopt;
  return SignatureRecordOf(block, signature);
}

ByteBuffer SignatureRecordOf(const ByteBuffer& signedInformation, const ByteBuffer& signature) {
  ByteBuffer record;
  AppendRecordHeader(record, tag::kSignature);
  record.appendU16(0);  // reserved
  record.appendField(signedInformation);
  record.appendField(signature);
  return record;
}

bool SigningContext::verify(const ByteBuffer& record, const ByteBuffer& signerPublic,
                            std::uint32_t& timestamp, WideText& message) {
  if (!endRound()) return false;

  const std::optional<SignatureRecord> parts = ReadSignatureRecord(record);
  if (!parts) {
    digest_.reset();  // the round ends without its digest, so nothing may carry over
    return false;
  }

  const ByteBuffer digest = FinishDigest(digest_, parts->signedInformation);
  // A signature made for another kind of data (a signed file whose bytes happen to be a
  // wrapped key) must not pass for this kind: the label is what tells them apart.
  if (!parts->label.equals(label_.bytes())) return false;
  timestamp = parts->timestamp;
  message = parts->message;
  return VerifyDigest(signerPublic, digest, parts->signature);
}

}  // namespace qs
