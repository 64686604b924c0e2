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

std::optional<SignatureRecord> ReadSignatureRecord(const ByteBuffer& record) {
  ByteStream in(record);
  const bool header = ReadRecordHeader(in, tag::kSignature);
  const bool reserved = in.readU16() == 0;
  std::optional<ByteBuffer> block = in.readCompleteField();
  std::optional<ByteBuffer> signature = in.readCompleteField();
  if (!header || !reserved || !block || !signature || in.remaining() != 0) return std::nullopt;

  SignatureRecord parts;
  ByteStream info(*block);
  parts.label = info.readField();
  parts.timestamp = info.readU32();
  parts.message = WideText::fromRecordBytes(info.readField());
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

  ByteBuffer record;
  AppendRecordHeader(record, tag::kSignature);
  record.appendU16(0);
  record.appendField(block);
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
