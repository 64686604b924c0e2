#include "formats/oki_file.h"

#include <algorithm>
#include <array>

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

// Pieces of whole blocks: the memory a pipeline takes, whatever the file's size.
constexpr std::uint32_t kPieceBytes = 1 << 20;
// C and the signature are each a key's size; fields in front of the sealed data longer than
// this are no record this program wrote or can read.
constexpr std::uint32_t kMaxHeadBytes = 64 * 1024;

// Up to n bytes, fewer only at the end of the source; nothing on an error.
std::optional<std::uint32_t> ReadPiece(platform::File& in, std::uint8_t* out, std::uint32_t n) {
  std::uint32_t got = 0;
  while (got < n) {
    const std::optional<std::size_t> part = in.read(out + got, n - got);
    if (!part) return std::nullopt;
    if (*part == 0) break;
    got += static_cast<std::uint32_t>(*part);
  }
  return got;
}

bool Write(platform::File& out, std::span<const std::uint8_t> bytes) {
  return out.write(bytes.data(), bytes.size());
}

// The length prefix and the record in front of the sealed data's ciphertext, for a source of
// plainBytes.
bool WriteHead(platform::File& out, const MessageSealer& sealing, std::uint32_t plainBytes) {
  ByteBuffer head;
  head.appendU32(static_cast<std::uint32_t>(sealing.recordBytes(plainBytes)));
  head.append(sealing.head(plainBytes));
  return Write(out, head.span());
}

// The named source with its length prefix read and checked against the file's size.
struct OkiSource {
  platform::File file;
  std::uint32_t recordBytes;
};

std::optional<OkiSource> OpenOkiRecord(const std::string& source, FileResult& why) {
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
  } else {
    return OkiSource{std::move(*in), static_cast<std::uint32_t>(needed - 4)};
  }
  return std::nullopt;
}

// The record's fields in front of the sealed data, read from just after the length prefix;
// the sealed field must end exactly where the record does.
struct OkiHead {
  ByteBuffer ciphertext;  // C
  ByteBuffer signature;
  std::uint64_t sealedAt;  // in the file
  std::uint32_t sealedBytes;
};

std::optional<OkiHead> ReadOkiHead(OkiSource& source, const std::string& name, FileResult& why) {
  std::optional<ByteBuffer> bytes = ReadExactly(source.file, std::min(source.recordBytes, kMaxHeadBytes));
  if (!bytes) {
    why = SystemFailed(ResultCode::kSource, name);
    return std::nullopt;
  }
  ByteStream in(std::move(*bytes));
  const bool header = ReadRecordHeader(in, tag::kEncryptedData);
  const bool reserved = in.readU16() == 0 && in.readU16() == 0;
  std::optional<ByteBuffer> ciphertext = in.readCompleteField();
  std::optional<ByteBuffer> signature = in.readCompleteField();
  const bool lengthThere = in.remaining() >= 4;
  const std::uint32_t sealedBytes = in.readU32();
  if (!header || !reserved || !ciphertext || !signature || !lengthThere ||
      sealedBytes != source.recordBytes - in.cursor) {
    why = SourceFailed(name, Finding::kNotEncryptedFile);
    return std::nullopt;
  }
  return OkiHead{std::move(*ciphertext), std::move(*signature), 4 + std::uint64_t{in.cursor}, sealedBytes};
}

// Where decrypted bytes go: the job's target stream, a new file put in place only once it is
// complete, or nowhere for a check.
class PlainOutput {
 public:
  explicit PlainOutput(const FileJob& job)
      : stream_(job.targetStream),
        checkOnly_(job.checkOnly),
        file_(checkOnly_ || stream_ != nullptr
                  ? std::nullopt
                  : platform::AtomicFileWriter::begin(job.target, platform::FileAccess::kPlaintext,
                                                      job.overwrite)) {}
  bool opened() const { return checkOnly_ || stream_ != nullptr || file_.has_value(); }
  bool write(std::span<const std::uint8_t> bytes) {
    if (checkOnly_) return true;
    return Write(stream_ != nullptr ? *stream_ : file_->file(), bytes);
  }
  bool finish() { return !file_ || file_->commit(); }

 private:
  platform::File* stream_;
  bool checkOnly_;
  std::optional<platform::AtomicFileWriter> file_;
};

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
  if (job.sourceStream == nullptr && platform::SameFile(job.source, job.target))
    return SourceFailed(job.target, Finding::kSameFile);
  if (job.generator == nullptr) return Failed(ResultCode::kSource, {});
  std::optional<platform::File> named;
  platform::File* in = job.sourceStream;
  if (in == nullptr) {
    named = platform::File::openRead(job.source);
    const std::optional<std::uint64_t> size = named ? named->size() : std::nullopt;
    if (!size) return SystemFailed(ResultCode::kSource, job.source);
    if (*size > kMaxOkiPlainBytes)
      return SourceFailed(job.source, Finding::kTooLarge, *size, kMaxOkiPlainBytes);
    ShowTotal(job, static_cast<std::uint32_t>(*size));
    in = &*named;
  }

  MessageSealer sealing(*job.generator, recipientPublic, senderPrivate, job.bytes);
  const auto sealingFailed = [&] {
    return Failed(Cancelled(job) ? ResultCode::kCancelled : ResultCode::kKeys, {});
  };
  if (sealing.failed()) return sealingFailed();
  std::optional<platform::AtomicFileWriter> out =
      platform::AtomicFileWriter::begin(job.target, platform::FileAccess::kUsual, job.overwrite);
  if (!out || !WriteHead(out->file(), sealing, 0)) return SystemFailed(ResultCode::kTarget, job.target);
  ByteBuffer piece = ByteBuffer::zeros(static_cast<std::uint32_t>(StreamSealer::LastBytes(kPieceBytes)));
  std::uint64_t plainBytes = 0;
  for (bool last = false; !last;) {
    const std::optional<std::uint32_t> got = ReadPiece(*in, piece.data(), kPieceBytes);
    if (!got) return SystemFailed(ResultCode::kSource, job.source);
    plainBytes += *got;
    if (plainBytes > kMaxOkiPlainBytes)
      return SourceFailed(job.source, Finding::kTooLarge, plainBytes, kMaxOkiPlainBytes);
    last = *got < kPieceBytes;
    const std::span<std::uint8_t> whole = piece.span().first(kPieceBytes);
    const std::optional<std::span<std::uint8_t>> sealed =
        last ? sealing.sealer().sealLast(piece.span(), *got)
             : (sealing.sealer().seal(whole) ? std::optional(whole) : std::nullopt);
    if (!sealed) return sealingFailed();
    if (!Write(out->file(), *sealed)) return SystemFailed(ResultCode::kTarget, job.target);
  }
  const auto plain = static_cast<std::uint32_t>(plainBytes);
  if (!(out->file().seek(0) && WriteHead(out->file(), sealing, plain) && out->commit()))
    return SystemFailed(ResultCode::kTarget, job.target);
  return FileResult{};
}

std::optional<ByteBuffer> ReadOkiRecord(const std::string& source, FileResult& why) {
  std::optional<OkiSource> record = OpenOkiRecord(source, why);
  if (!record) return std::nullopt;
  std::optional<ByteBuffer> bytes = ReadExactly(record->file, record->recordBytes);
  if (!bytes) why = SystemFailed(ResultCode::kSource, source);
  return bytes;
}

FileResult DecryptOkiFile(const FileJob& job, const ByteBuffer& recipientPrivate,
                          const ByteBuffer& senderPublic) {
  const bool toNamedFile = !job.checkOnly && job.targetStream == nullptr;
  if (toNamedFile && platform::SameFile(job.source, job.target))
    return SourceFailed(job.target, Finding::kSameFile);
  FileResult why;
  std::optional<OkiSource> source = OpenOkiRecord(job.source, why);
  if (!source) return why;
  ShowTotal(job, source->recordBytes);
  const std::optional<OkiHead> head = ReadOkiHead(*source, job.source, why);
  if (!head) return why;
  if (EndsWithSignedInformation(head->ciphertext.span()))
    return SourceFailed(job.source, Finding::kNotBySender);
  MessageOpener opening(recipientPrivate, senderPublic, head->ciphertext, head->signature, job.bytes);
  const auto refused = [&](MessageFailure failure) {
    return Cancelled(job) ? Failed(ResultCode::kCancelled, {}) : SourceFailed(job.source, FindingOf(failure));
  };
  if (opening.failure() != MessageFailure::kNone) return refused(opening.failure());
  if (!StreamOpener::Openable(head->sealedBytes)) return refused(MessageFailure::kNotForThisKey);

  platform::File& in = source->file;
  std::array<std::uint8_t, StreamOpener::kIvBytes> iv{};
  std::array<std::uint8_t, StreamOpener::kMacBytes> mac{};
  const std::uint32_t cipherBytes = head->sealedBytes - StreamOpener::kIvBytes - StreamOpener::kMacBytes;
  const std::uint64_t cipherAt = head->sealedAt + StreamOpener::kIvBytes;
  if (!in.seek(head->sealedAt) || !in.readFull(iv.data(), iv.size()))
    return SystemFailed(ResultCode::kSource, job.source);
  StreamOpener& opener = opening.begin(iv);
  ByteBuffer piece = ByteBuffer::zeros(std::min(cipherBytes, kPieceBytes));
  // Each pass reads the ciphertext a piece at a time, handing each to step, then the MAC; it
  // ends with what stopped it, if anything did.
  using Stop = std::optional<FileResult>;
  const auto pass = [&](const auto& step) -> Stop {
    if (!in.seek(cipherAt)) return SystemFailed(ResultCode::kSource, job.source);
    for (std::uint32_t done = 0, n = 0; done < cipherBytes; done += n) {
      n = std::min(kPieceBytes, cipherBytes - done);
      if (!in.readFull(piece.data(), n)) return SystemFailed(ResultCode::kSource, job.source);
      if (Stop stop = step(piece.span().first(n), done + n == cipherBytes)) return stop;
    }
    if (!in.readFull(mac.data(), mac.size())) return SystemFailed(ResultCode::kSource, job.source);
    return std::nullopt;
  };

  if (Stop stop = pass([&](std::span<std::uint8_t> ciphertext, bool) -> Stop {
        if (!opener.absorb(ciphertext)) return refused(MessageFailure::kNotForThisKey);
        return std::nullopt;
      }))
    return *stop;
  if (const MessageFailure failure = opening.authenticated(mac); failure != MessageFailure::kNone)
    return refused(failure);

  PlainOutput out(job);
  if (!out.opened()) return SystemFailed(ResultCode::kTarget, job.target);
  if (Stop stop = pass([&](std::span<std::uint8_t> ciphertext, bool last) -> Stop {
        const auto whole = static_cast<std::uint32_t>(ciphertext.size());
        const std::optional<std::uint32_t> length = !opener.absorb(ciphertext) ? std::nullopt
                                                    : last                     ? opener.openLast(ciphertext)
                                                    : opener.open(ciphertext)  ? std::optional(whole)
                                                                               : std::nullopt;
        if (!length) return refused(MessageFailure::kNotForThisKey);
        if (!out.write(ciphertext.first(*length))) return SystemFailed(ResultCode::kTarget, job.target);
        return std::nullopt;
      }))
    return *stop;
  if (!opener.authentic(mac)) return SourceFailed(job.source, Finding::kDamaged);
  if (!out.finish()) return SystemFailed(ResultCode::kTarget, job.target);
  FileResult result;
  result.binding = opening.binding();
  return result;
}

}  // namespace qs
