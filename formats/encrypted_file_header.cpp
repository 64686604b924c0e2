#include "formats/encrypted_file_header.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_wrap.h"
#include "formats/header_binding.h"
#include "formats/signing_context.h"
#include "platform/clock.h"

namespace qs {

ByteBuffer FileHeaderRecord(bool compressed, const ByteBuffer& encryptedKeyRecord,
                            const ByteBuffer& signature) {
  ByteBuffer record;
  AppendRecordHeader(record, tag::kEncryptedFile);
  record.appendU8(0);
  record.appendU8(compressed ? 1 : 0);
  record.appendU8(kEncryptionMethod);
  record.appendField(encryptedKeyRecord);
  record.appendField(signature);
  return record;
}

std::optional<FileHeaderDraft> DraftFileHeader(RandomGenerator& generator,
                                               const ByteBuffer& recipientPublic) {
  std::optional<WrappedKey> wrapped = WrapKey(generator, recipientPublic);
  if (!wrapped) return std::nullopt;
  return FileHeaderDraft{std::move(wrapped->encryptedKeyRecord), std::move(wrapped->key)};
}

std::optional<ByteBuffer> SignFileHeader(RandomGenerator& generator, const FileHeaderDraft& draft,
                                         bool compress, std::uint64_t plainSize,
                                         const ByteBuffer& senderPrivate) {
  SigningContext signer(&generator);
  if (!signer.setLabel(TextString(kEncryptedFileLabel)) || !signer.addData(draft.encryptedKeyRecord.span()))
    return std::nullopt;
  const auto now = static_cast<std::uint32_t>(platform::CalendarSeconds());
  const std::optional<ByteBuffer> signature =
      signer.sign(senderPrivate, now, HeaderBindingText({.compressed = compress, .plainSize = plainSize}));
  if (!signature) return std::nullopt;
  return FileHeaderRecord(compress, draft.encryptedKeyRecord, *signature);
}

std::optional<WrittenHeader> WriteFileHeader(RandomGenerator& generator, bool compress,
                                             std::uint64_t plainSize, const ByteBuffer& senderPrivate,
                                             const ByteBuffer& recipientPublic) {
  std::optional<FileHeaderDraft> draft = DraftFileHeader(generator, recipientPublic);
  std::optional<ByteBuffer> record =
      draft ? SignFileHeader(generator, *draft, compress, plainSize, senderPrivate) : std::nullopt;
  if (!record) return std::nullopt;
  return WrittenHeader{std::move(*record), std::move(draft->sessionKey)};
}

std::optional<FileHeaderFields> ReadFileHeaderFields(const ByteBuffer& record, Finding& why) {
  ByteStream in(record);
  why = Finding::kNotEncryptedFile;
  if (record.length() > kMaxHeaderBytes || !ReadRecordHeader(in, tag::kEncryptedFile) || in.readU8() != 0)
    return std::nullopt;
  const std::uint8_t compressed = in.readU8();
  if (compressed > 1) return std::nullopt;
  if (in.readU8() != kEncryptionMethod) {
    why = Finding::kOtherMethod;
    return std::nullopt;
  }
  // The fields must fill the record exactly: the signature covers only the wrapped key, so
  // the layout itself is checked strictly.
  std::optional<ByteBuffer> wrappedKey = in.readCompleteField();
  std::optional<ByteBuffer> signature = in.readCompleteField();
  if (!wrappedKey || !signature || in.remaining() != 0) return std::nullopt;
  return FileHeaderFields{compressed == 1, std::move(*wrappedKey), std::move(*signature)};
}

std::optional<AcceptedHeader> ReadFileHeader(RandomGenerator* generator, const ByteBuffer& recipientPrivate,
                                             const ByteBuffer& senderPublic, const ByteBuffer& record,
                                             Finding& why) {
  const std::optional<FileHeaderFields> fields = ReadFileHeaderFields(record, why);
  if (!fields) return std::nullopt;

  why = Finding::kNotBySender;
  SigningContext checker(generator);
  if (!checker.setLabel(TextString(kEncryptedFileLabel)) ||
      !checker.addData(fields->encryptedKeyRecord.span())) {
    return std::nullopt;
  }
  std::uint32_t timestamp = 0;
  WideText message;
  if (!checker.verify(fields->signature, senderPublic, timestamp, message)) return std::nullopt;
  AcceptedHeader header;
  header.compressed = fields->compressed;
  if (message.count() != 0) {
    const std::optional<HeaderBinding> binding = ParseHeaderBinding(message);
    if (!binding || binding->compressed != header.compressed) {
      why = Finding::kDamaged;
      return std::nullopt;
    }
    header.plainSize = binding->plainSize;
  }
  why = Finding::kNotForThisKey;
  header.sessionKey = UnwrapKey(recipientPrivate, fields->encryptedKeyRecord);
  if (header.sessionKey.empty()) return std::nullopt;
  return header;
}

}  // namespace qs
