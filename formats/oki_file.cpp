#include "formats/oki_file.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/encrypted_data.h"
#include "formats/signing_context.h"
#include "platform/file.h"

namespace qs {
namespace {

// The whole of a file's next n bytes, or nothing.
std::optional<ByteBuffer> ReadExactly(platform::File& file, std::uint32_t n) {
  ByteBuffer bytes = ByteBuffer::zeros(n);
  if (!file.readFull(bytes.data(), n)) return std::nullopt;
  return bytes;
}

FileResult WriteAtomically(const FileJob& job, const ByteBuffer& bytes, platform::FileAccess access) {
  std::optional<platform::AtomicFileWriter> out =
      platform::AtomicFileWriter::begin(job.target, access, job.overwrite);
  if (!(out && out->file().write(bytes.data(), bytes.length()) && out->commit()))
    return SystemFailed(ResultCode::kTarget, job.target);
  return FileResult{};
}

void ShowTotal(const FileJob& job, std::uint32_t bytes) {
  if (job.totalBytes != nullptr) job.totalBytes->store(bytes, std::memory_order_relaxed);
}

Finding FindingOf(MessageFailure failure) {
  switch (failure) {
    case MessageFailure::kNotBySender:
      return Finding::kNotBySender;
    case MessageFailure::kNotForThisKey:
      return Finding::kNotForThisKey;
    case MessageFailure::kMalformed:
      return Finding::kNotEncryptedFile;
    case MessageFailure::kNone:
      break;
  }
  return Finding::kNone;
}

bool Cancelled(const FileJob& job) { return job.bytes != nullptr && job.bytes->cancelRequested(); }

}  // namespace

std::optional<EncryptedFormat> DetectEncryptedFormat(const std::string& source, FileResult& why) {
  std::optional<platform::File> file = platform::File::openRead(source);
  const std::optional<std::uint64_t> size = file ? file->size() : std::nullopt;
  if (!size) {
    why = SystemFailed(ResultCode::kSource, source);
    return std::nullopt;
  }
  if (*size < kOkiDetectionBytes) {
    why = SourceFailed(source, Finding::kNotEncryptedFile);
    return std::nullopt;
  }
  const std::optional<ByteBuffer> head = ReadExactly(*file, kOkiDetectionBytes);
  if (!head) {
    why = SystemFailed(ResultCode::kSource, source);
    return std::nullopt;
  }
  ByteStream in(*head);
  in.cursor = 4;  // past the length prefix of either format
  return in.readField().equals(ByteBuffer::fromText(tag::kEncryptedData)) ? EncryptedFormat::kOki
                                                                          : EncryptedFormat::kNative;
}

FileResult EncryptOkiFile(const FileJob& job, const ByteBuffer& senderPrivate,
                          const ByteBuffer& recipientPublic) {
  if (platform::SameFile(job.source, job.target)) return SourceFailed(job.target, Finding::kSameFile);
  if (job.generator == nullptr) return Failed(ResultCode::kSource, {});
  std::optional<platform::File> in = platform::File::openRead(job.source);
  const std::optional<std::uint64_t> size = in ? in->size() : std::nullopt;
  if (!size) return SystemFailed(ResultCode::kSource, job.source);
  if (*size > kMaxOkiPlainBytes)
    return SourceFailed(job.source, Finding::kTooLarge, *size, kMaxOkiPlainBytes);
  ShowTotal(job, static_cast<std::uint32_t>(*size));
  const std::optional<ByteBuffer> plain = ReadExactly(*in, static_cast<std::uint32_t>(*size));
  in.reset();
  if (!plain) return SystemFailed(ResultCode::kSource, job.source);

  std::optional<ByteBuffer> record =
      EncryptMessage(*job.generator, recipientPublic, senderPrivate, *plain, job.bytes);
  if (!record) return Failed(Cancelled(job) ? ResultCode::kCancelled : ResultCode::kKeys, {});
  record->prependZeros(4);
  ByteBuffer length;
  length.appendU32(record->length() - 4);
  length.copyInto(*record);
  return WriteAtomically(job, *record, platform::FileAccess::kUsual);
}

std::optional<ByteBuffer> ReadOkiRecord(const std::string& source, FileResult& why) {
  std::optional<platform::File> in = platform::File::openRead(source);
  const std::optional<std::uint64_t> size = in ? in->size() : std::nullopt;
  const std::optional<ByteBuffer> prefix = size && *size >= 4 ? ReadExactly(*in, 4) : std::nullopt;
  if (!prefix) {
    why = size && *size < 4 ? SourceFailed(source, Finding::kNotEncryptedFile)
                            : SystemFailed(ResultCode::kSource, source);
    return std::nullopt;
  }
  const std::uint64_t needed = 4 + std::uint64_t{ByteStream(*prefix).readU32()};
  if (needed > 4 + std::uint64_t{kMaxOkiRecordBytes}) {
    why = SourceFailed(source, Finding::kNotEncryptedFile);
  } else if (needed > *size) {
    why = SourceFailed(source, Finding::kTruncated, *size, needed);
  } else if (needed < *size) {
    why = SourceFailed(source, Finding::kTrailingBytes);
  } else if (std::optional<ByteBuffer> record = ReadExactly(*in, static_cast<std::uint32_t>(needed - 4))) {
    return record;
  } else {
    why = SystemFailed(ResultCode::kSource, source);
  }
  return std::nullopt;
}

FileResult DecryptOkiFile(const FileJob& job, const ByteBuffer& recipientPrivate,
                          const ByteBuffer& senderPublic) {
  if (platform::SameFile(job.source, job.target)) return SourceFailed(job.target, Finding::kSameFile);
  FileResult why;
  const std::optional<ByteBuffer> record = ReadOkiRecord(job.source, why);
  if (!record) return why;
  ShowTotal(job, record->length());

  const std::optional<EncryptedDataFields> fields = ReadEncryptedData(*record);
  if (!fields) return SourceFailed(job.source, Finding::kNotEncryptedFile);
  if (EndsWithSignedInformation(fields->ciphertext.span()))
    return SourceFailed(job.source, Finding::kNotBySender);
  const OpenedMessage opened = DecryptMessage(recipientPrivate, senderPublic, *record, job.bytes);
  if (!opened.message) {
    if (Cancelled(job)) return Failed(ResultCode::kCancelled, {});
    return SourceFailed(job.source, FindingOf(opened.failure));
  }
  FileResult result = WriteAtomically(job, *opened.message, platform::FileAccess::kPlaintext);
  result.binding = opened.binding;
  return result;
}

}  // namespace qs
