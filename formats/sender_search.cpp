#include "formats/sender_search.h"

#include <algorithm>

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/key_wrap.h"
#include "crypto/sha256.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "formats/recipients_header.h"
#include "platform/file.h"

namespace qs {
namespace {

// Enough of an OKI-format file for its key capsule and signature, which come first.
constexpr std::uint32_t kOkiSignedPartBytes = 16384;

SenderSearch NotFound(const std::string& source, Finding finding) {
  return {std::nullopt, FileCause{source, finding}};
}

SenderSearch SearchNative(RandomGenerator* generator, const std::string& source,
                          const ByteBuffer& recipientPrivate, std::span<const ByteBuffer> candidates) {
  EncryptedFileReader reader(source);
  const std::optional<ByteBuffer> header = reader.readHeader();
  if (!header) return {std::nullopt, reader.failure().cause};
  const bool recipients = HeaderVersion(*header) == kRecipientsHeaderVersion;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    Finding why = Finding::kNone;
    const bool accepted =
        recipients
            ? ReadRecipientsHeader(generator, recipientPrivate, candidates[i], *header, why).has_value()
            : ReadFileHeader(generator, recipientPrivate, candidates[i], *header, why).has_value();
    // The signature is checked before the key is unwrapped: a key that does not unwrap still
    // shows whose signature it is.
    if (accepted || why == Finding::kNotForThisKey) return {i, {}};
    if (why != Finding::kNotBySender) return NotFound(source, why);
  }
  return NotFound(source, Finding::kNotBySender);
}

SenderSearch SearchOki(const std::string& source, std::span<const ByteBuffer> candidates) {
  std::optional<platform::File> file = platform::File::openRead(source);
  const std::optional<std::uint64_t> size = file ? file->size() : std::nullopt;
  if (!size) return {std::nullopt, SystemFailed(ResultCode::kSource, source).cause};
  ByteBuffer head =
      ByteBuffer::zeros(static_cast<std::uint32_t>(std::min<std::uint64_t>(*size, kOkiSignedPartBytes)));
  if (!file->readFull(head.data(), head.length()))
    return {std::nullopt, SystemFailed(ResultCode::kSource, source).cause};
  ByteStream in(head);
  in.cursor = 4;  // past the length prefix
  const bool tagged = ReadRecordHeader(in, tag::kEncryptedData) && in.readU16() == 0 && in.readU16() == 0;
  const std::optional<ByteBuffer> capsule = tagged ? in.readCompleteField() : std::nullopt;
  const std::optional<ByteBuffer> signature = capsule ? in.readCompleteField() : std::nullopt;
  if (!signature) return NotFound(source, Finding::kNotEncryptedFile);
  const ByteBuffer digest = Sha256(capsule->span());
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (VerifyDigest(candidates[i], digest, *signature)) return {i, {}};
  }
  return NotFound(source, Finding::kNotBySender);
}

}  // namespace

SenderSearch FindEncryptedFileSender(RandomGenerator* generator, const std::string& source,
                                     const ByteBuffer& recipientPrivate,
                                     std::span<const ByteBuffer> candidates) {
  FileResult unreadable;
  const std::optional<EncryptedFormat> format = DetectEncryptedFormat(source, unreadable);
  if (!format) return {std::nullopt, unreadable.cause};
  return *format == EncryptedFormat::kOki ? SearchOki(source, candidates)
                                          : SearchNative(generator, source, recipientPrivate, candidates);
}

}  // namespace qs
