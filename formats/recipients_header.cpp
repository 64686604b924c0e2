#include "formats/recipients_header.h"

#include <algorithm>

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_records.h"
#include "crypto/key_wrap.h"
#include "crypto/random_generator.h"
#include "crypto/symmetric_context.h"
#include "formats/signing_context.h"

namespace qs {
namespace {

constexpr std::uint32_t kFileKeyBytes = SymmetricContext::kMasterKeyBytes;
constexpr std::uint64_t kSealedFileKeyBytes = SymmetricContext::SealedSize(kFileKeyBytes);
constexpr auto kDigestBytes = static_cast<std::uint32_t>(kSha256DigestBytes);

// The signed-information block this header's signature carries at this time.
ByteBuffer SignedInformationAt(std::uint32_t timestamp) {
  ByteBuffer block;
  block.appendField(TextString(kEncryptedFileRecipientsLabel).bytes());
  block.appendU32(timestamp);
  block.appendField(ByteBuffer());  // no message
  return block;
}

// The size of the "Signature" record senderPrivate's signing key makes here: the signature
// is as long as its modulus.
std::optional<std::uint32_t> SignatureRecordBytes(const ByteBuffer& senderPrivate) {
  const std::optional<ByteBuffer> publicRecord = PublicKeyRecordOf(senderPrivate);
  const std::optional<KeyRecord> keys =
      publicRecord ? ReadKeyRecord(*publicRecord, tag::kPublicKey) : std::nullopt;
  const std::optional<std::uint32_t> bits = keys ? KeyTypeBits(keys->signingKeyType) : std::nullopt;
  if (!bits) return std::nullopt;
  return SignatureRecordOf(SignedInformationAt(0), ByteBuffer::zeros(*bits / 8)).length();
}

void AppendU64(ByteBuffer& out, std::uint64_t value) {
  out.appendU32(static_cast<std::uint32_t>(value));
  out.appendU32(static_cast<std::uint32_t>(value >> 32));
}

std::uint64_t ReadU64(ByteStream& in) {
  const std::uint64_t low = in.readU32();
  return low | static_cast<std::uint64_t>(in.readU32()) << 32;
}

bool HasDuplicate(std::span<const ByteBuffer> records) {
  for (std::size_t i = 0; i < records.size(); ++i) {
    for (std::size_t j = i + 1; j < records.size(); ++j) {
      if (records[i].equals(records[j])) return true;
    }
  }
  return false;
}

// The file key from the wrap sealed for ownPrivate's key, or nothing when there is none: a
// key unwrapped with another key pair's key is noise, under which no seal opens.
std::optional<ByteBuffer> OpenWraps(const RecipientsHeaderFields& fields, const ByteBuffer& ownPrivate) {
  for (std::uint32_t i = 0; i < fields.recipients; ++i) {
    const ByteBuffer key = UnwrapKey(ownPrivate, fields.encryptedKeys[i]);
    if (key.empty()) continue;
    SymmetricContext opener(key.span(), nullptr);
    ByteBuffer fileKey = fields.sealedFileKeys[i];
    if (opener.decrypt(fileKey) && fileKey.length() == kFileKeyBytes) return fileKey;
  }
  return std::nullopt;
}

}  // namespace

std::optional<RecipientsHeaderDraft> DraftRecipientsHeader(RandomGenerator& generator, bool compressed,
                                                           std::uint64_t plainSize,
                                                           std::span<const ByteBuffer> recipients,
                                                           const ByteBuffer& senderPrivate) {
  if (recipients.size() < kMinRecipients || recipients.size() > kMaxRecipients || HasDuplicate(recipients) ||
      generator.credit() < RandomGenerator::kRequiredCredit) {
    return std::nullopt;
  }
  const std::optional<std::uint32_t> signatureBytes = SignatureRecordBytes(senderPrivate);
  if (!signatureBytes) return std::nullopt;
  RecipientsHeaderDraft draft;
  draft.fileKey = generator.output(kFileKeyBytes);
  if (draft.fileKey.length() != kFileKeyBytes) return std::nullopt;

  ByteBuffer& record = draft.record;
  record.appendField(ByteBuffer::fromText(tag::kEncryptedFile));
  record.appendU16(kRecipientsHeaderVersion);
  record.appendU8(0);
  record.appendU8(compressed ? 1 : 0);
  record.appendU8(kEncryptionMethod);
  draft.plainSizeOffset = record.length();
  AppendU64(record, plainSize);
  record.appendU16(static_cast<std::uint16_t>(recipients.size()));
  for (const ByteBuffer& recipient : recipients) {
    std::optional<WrappedKey> wrapped = WrapKey(generator, recipient);
    if (!wrapped) return std::nullopt;
    SymmetricContext sealer(wrapped->key.span(), &generator);
    ByteBuffer sealed = draft.fileKey;
    if (!sealer.encrypt(sealed)) return std::nullopt;
    record.appendField(wrapped->encryptedKeyRecord);
    record.appendField(sealed);
  }
  draft.tailOffset = record.length();
  record.appendField(ByteBuffer::zeros(kDigestBytes));
  record.appendField(ByteBuffer::zeros(*signatureBytes));
  if (record.length() > kMaxRecipientsHeaderBytes) return std::nullopt;
  return draft;
}

void SetDraftPlainSize(RecipientsHeaderDraft& draft, std::uint64_t plainSize) {
  ByteBuffer size;
  AppendU64(size, plainSize);
  std::copy_n(size.data(), size.length(), draft.record.data() + draft.plainSizeOffset);
}

std::optional<ByteBuffer> SignRecipientsHeader(RandomGenerator& generator, const RecipientsHeaderDraft& draft,
                                               std::span<const std::uint8_t> contentDigest,
                                               const ByteBuffer& senderPrivate, std::uint32_t timestamp) {
  if (contentDigest.size() != kDigestBytes || draft.tailOffset > draft.record.length()) return std::nullopt;
  ByteBuffer tail;
  tail.appendField(ByteBuffer(contentDigest.data(), kDigestBytes));
  SigningContext signer(&generator);
  if (!signer.setLabel(TextString(kEncryptedFileRecipientsLabel)) ||
      !signer.addData(draft.record.span().first(draft.tailOffset)) || !signer.addData(tail.span())) {
    return std::nullopt;
  }
  const std::optional<ByteBuffer> signature = signer.sign(senderPrivate, timestamp, WideText());
  if (!signature) return std::nullopt;
  tail.appendField(*signature);
  if (draft.tailOffset + std::uint64_t{tail.length()} != draft.record.length()) return std::nullopt;
  return tail;
}

std::optional<RecipientsHeaderFields> ReadRecipientsHeaderFields(const ByteBuffer& record, Finding& why) {
  why = Finding::kNotEncryptedFile;
  ByteStream in(record);
  if (record.length() > kMaxRecipientsHeaderBytes ||
      !in.readField().equals(ByteBuffer::fromText(tag::kEncryptedFile)) ||
      in.readU16() != kRecipientsHeaderVersion || in.readU8() != 0) {
    return std::nullopt;
  }
  const std::uint8_t compressed = in.readU8();
  if (compressed > 1) return std::nullopt;
  if (in.readU8() != kEncryptionMethod) {
    why = Finding::kOtherMethod;
    return std::nullopt;
  }
  RecipientsHeaderFields fields;
  fields.compressed = compressed == 1;
  fields.plainSize = ReadU64(in);
  fields.recipients = in.readU16();
  if (in.remaining() == 0 || fields.recipients < kMinRecipients || fields.recipients > kMaxRecipients)
    return std::nullopt;
  fields.encryptedKeys.reserve(fields.recipients);
  fields.sealedFileKeys.reserve(fields.recipients);
  for (std::uint32_t i = 0; i < fields.recipients; ++i) {
    std::optional<ByteBuffer> encryptedKey = in.readCompleteField();
    std::optional<ByteBuffer> sealed = in.readCompleteField();
    if (!encryptedKey || !sealed || sealed->length() != kSealedFileKeyBytes) return std::nullopt;
    fields.encryptedKeys.push_back(std::move(*encryptedKey));
    fields.sealedFileKeys.push_back(std::move(*sealed));
  }
  std::optional<ByteBuffer> digest = in.readCompleteField();
  fields.signedBytes = in.cursor;
  std::optional<ByteBuffer> signature = in.readCompleteField();
  if (!digest || digest->length() != kDigestBytes || !signature || in.remaining() != 0) return std::nullopt;
  fields.contentDigest = std::move(*digest);
  fields.signature = std::move(*signature);
  return fields;
}

std::optional<AcceptedHeader> ReadRecipientsHeader(RandomGenerator* generator, const ByteBuffer& ownPrivate,
                                                   const ByteBuffer& senderPublic, const ByteBuffer& record,
                                                   Finding& why) {
  const std::optional<RecipientsHeaderFields> fields = ReadRecipientsHeaderFields(record, why);
  if (!fields) return std::nullopt;

  why = Finding::kNotBySender;
  SigningContext checker(generator);
  std::uint32_t timestamp = 0;
  WideText message;
  if (!checker.setLabel(TextString(kEncryptedFileRecipientsLabel)) ||
      !checker.addData(record.span().first(fields->signedBytes)) ||
      !checker.verify(fields->signature, senderPublic, timestamp, message) || message.count() != 0) {
    return std::nullopt;
  }
  why = Finding::kNotForThisKey;
  std::optional<ByteBuffer> fileKey = OpenWraps(*fields, ownPrivate);
  if (!fileKey) return std::nullopt;
  AcceptedHeader header;
  header.sessionKey = std::move(*fileKey);
  header.compressed = fields->compressed;
  header.plainSize = fields->plainSize;
  header.contentDigest = fields->contentDigest;
  return header;
}

std::optional<std::uint16_t> HeaderVersion(const ByteBuffer& record) {
  ByteStream in(record);
  if (!in.readField().equals(ByteBuffer::fromText(tag::kEncryptedFile)) || in.remaining() < 2)
    return std::nullopt;
  return in.readU16();
}

}  // namespace qs
