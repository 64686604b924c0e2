#include "formats/oki_file.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "base/whole_file.h"
#include "crypto/encrypted_data.h"
#include "formats/signing_context.h"
#include "platform/file.h"

namespace qs {
namespace {

// The whole of a file's first n bytes, or nothing.
std::optional<ByteBuffer> ReadExactly(platform::File& file, std::uint32_t n) {
  ByteBuffer bytes = ByteBuffer::zeros(n);
  if (!file.readFull(bytes.data(), n)) return std::nullopt;
  return bytes;
}

bool WriteAtomically(OkiParams& params, const std::string& target, const ByteBuffer& bytes,
                     platform::FileAccess access) {
  std::optional<platform::AtomicFileWriter> out =
      platform::AtomicFileWriter::begin(target, access, params.overwrite);
  params.targetFailed = !(out && out->file().write(bytes.data(), bytes.length()) && out->commit());
  return !params.targetFailed;
}

// The target may not be the source: writing it would destroy what is read.
bool TargetIsSource(OkiParams& params, const std::string& source, const std::string& target) {
  params.targetFailed = platform::SameFile(source, target);
  return params.targetFailed;
}

}  // namespace

bool DetectOkiFile(const std::string& source, bool& isOki) {
  std::optional<platform::File> file = platform::File::openRead(source);
  if (!file) return false;
  const std::optional<ByteBuffer> head = ReadExactly(*file, kOkiDetectionBytes);
  if (!head) return false;
  ByteStream in(*head);
  in.cursor = 4;  // past the length prefix of either format
  isOki = in.readField().equals(ByteBuffer::fromText(tag::kEncryptedData));
  return true;
}

bool EncryptOkiFile(OkiParams& params, const std::string& source, const std::string& target,
                    const ByteBuffer& recipientPublic, const ByteBuffer& ownPrivate, bool& tooLarge) {
  tooLarge = false;
  if (TargetIsSource(params, source, target) || params.generator == nullptr) return false;
  std::optional<platform::File> in = platform::File::openRead(source);
  if (!in) return false;
  const std::optional<std::uint64_t> size = in->size();
  if (!size || *size > kMaxOkiPlainBytes) {
    tooLarge = true;
    return false;
  }
  const std::optional<ByteBuffer> plain = ReadExactly(*in, static_cast<std::uint32_t>(*size));
  in.reset();
  if (!plain) return false;
  params.totalBytes.store(plain->length(), std::memory_order_relaxed);

  std::optional<ByteBuffer> record =
      EncryptMessage(*params.generator, recipientPublic, ownPrivate, *plain, params.progress);
  if (!record) return false;
  record->prependZeros(4);
  ByteBuffer length;
  length.appendU32(record->length() - 4);
  length.copyInto(*record);
  return WriteAtomically(params, target, *record, platform::FileAccess::kUsual);
}

std::optional<ByteBuffer> ReadOkiRecord(const std::string& source) {
  std::optional<platform::File> in = platform::File::openRead(source);
  const std::optional<std::uint64_t> size = in ? in->size() : std::nullopt;
  if (!size) return std::nullopt;
  const std::optional<std::uint32_t> length = ReadLengthPrefix(*in, *size, kMaxOkiRecordBytes);
  if (!length || 4 + std::uint64_t{*length} != *size) return std::nullopt;
  return ReadExactly(*in, *length);
}

bool DecryptOkiFile(OkiParams& params, const std::string& source, const std::string& target,
                    const ByteBuffer& senderPublic, const ByteBuffer& ownPrivate) {
  if (TargetIsSource(params, source, target)) return false;
  const std::optional<ByteBuffer> record = ReadOkiRecord(source);
  if (!record) return false;
  params.totalBytes.store(record->length(), std::memory_order_relaxed);

  const std::optional<EncryptedDataFields> fields = ReadEncryptedData(*record);
  if (!fields || EndsWithSignedInformation(fields->ciphertext.span())) return false;
  const std::optional<ByteBuffer> plain =
      DecryptMessage(ownPrivate, senderPublic, *record, params.progress, params.senderBinding);
  return plain && WriteAtomically(params, target, *plain, platform::FileAccess::kPlaintext);
}

}  // namespace qs
