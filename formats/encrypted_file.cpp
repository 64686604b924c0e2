#include "formats/encrypted_file.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

#include "codec/chunk_codec.h"
#include "crypto/key_records.h"
#include "crypto/secret_bytes.h"
#include "formats/chunk_pipeline.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/recipients_header.h"
#include "platform/clock.h"
#include "platform/file.h"

namespace qs {
namespace {

// Chunks beyond this many would not fit the table in one buffer (a 4 PiB file).
constexpr std::uint64_t kMaxChunks = (1u << 30) - 2;

// Reports the chunk just done; false when the user asked to stop.
bool ContinueAfterChunk(ChunkProgress* progress, std::uint32_t index, std::uint32_t count) {
  if (progress == nullptr) return true;
  progress->current = index;
  progress->count = count;
  return !progress->cancelRequested();
}

// Keeps the first failure of a pipeline step.
bool Fail(FileResult& result, FileResult failure) {
  result = std::move(failure);
  return false;
}

FileResult Cancelled() { return Failed(ResultCode::kCancelled, {}); }

// One chunk on its way from the source to a worker that compresses and seals it, in a
// buffer kept from chunk to chunk.
struct SealJob {
  ByteBuffer buffer = ByteBuffer::zeros(static_cast<std::uint32_t>(ChunkBufferBytes(kChunkBytes)));
  std::uint32_t length = 0;  // of the payload, then of the sealed chunk
  SecretBytes<SymmetricContext::kIvBytes> iv;
  std::uint32_t index = 0;
  std::optional<ResultCode> failure;  // with no cause to name: memory, or the context failed
};

// One sealed chunk on its way to a worker that opens and decompresses it.
struct OpenJob {
  ByteBuffer sealed;
  ByteBuffer decompressed;
  std::span<const std::uint8_t> payload;  // within sealed or decompressed
  std::uint32_t index = 0;
  bool damaged = false;
};

// A context per worker under the session key: a context carries the state of one
// operation at a time. They need no generator, since the IVs come with the chunks.
class WorkerContexts {
 public:
  WorkerContexts(const ChunkPipeline& pipeline, std::span<const std::uint8_t> sessionKey) {
    for (std::uint32_t w = 0; w < pipeline.workers(); ++w) contexts_.emplace_back(sessionKey, nullptr);
  }
  SymmetricContext& operator[](std::uint32_t worker) { return contexts_[worker]; }

 private:
  std::deque<SymmetricContext> contexts_;
};

// The payload in the job's buffer replaced by its compressed form.
bool CompressInPlace(SealJob& job, ChunkCompression compression) {
  ByteBuffer chunk(job.buffer.data() + kChunkPayloadOffset, job.length);
  const bool compressed = compression == ChunkCompression::kStrong ? CompressChunkStrong(chunk)
                                                                   : CompressChunk(chunk, kChunkBlockSorted);
  if (!compressed) return false;
  // A chunk that does not shrink is stored with its mode byte: one byte longer.
  const std::uint64_t needed = ChunkBufferBytes(chunk.length());
  if (needed > job.buffer.length()) job.buffer.resize(static_cast<std::uint32_t>(needed));
  std::copy_n(chunk.data(), chunk.length(), job.buffer.data() + kChunkPayloadOffset);
  job.length = chunk.length();
  return true;
}

ChunkToSeal ToSeal(SealJob& job) { return {job.index, job.iv.span(), job.buffer.span(), job.length}; }

// The jobs of one worker call, each compressed if asked, then those still good sealed two at
// a time (the faster way) and the odd one alone.
void Seal(std::vector<SealJob>& jobs, std::span<const std::uint32_t> slots, SymmetricContext& sealer,
          ChunkCompression compression) {
  std::vector<SealJob*> ready;
  for (const std::uint32_t slot : slots) {
    SealJob& job = jobs[slot];
    job.failure.reset();
    if (compression != ChunkCompression::kNone && !CompressInPlace(job, compression)) {
      job.failure = ResultCode::kSource;
    } else {
      ready.push_back(&job);
    }
  }
  for (std::size_t i = 0; i < ready.size(); i += 2) {
    SealJob& job = *ready[i];
    const bool paired = i + 1 < ready.size();
    const bool sealed = paired ? SealChunkPair(sealer, ToSeal(job), ToSeal(*ready[i + 1]))
                               : SealChunk(sealer, job.index, job.iv.span(), job.buffer.span(), job.length);
    for (std::size_t k = i; k < i + (paired ? 2 : 1); ++k) {
      if (sealed) {
        ready[k]->length = static_cast<std::uint32_t>(ChunkBufferBytes(ready[k]->length));
      } else {
        ready[k]->failure = ResultCode::kTarget;
      }
    }
  }
}

// The header for the recipients, planned before the content is sealed: the session key is
// drawn and wrapped now, what depends on the plain size once that is known (for a source
// read from a stream, at its end). Version 0 for one recipient, signed then; a version-1
// draft for more, whose digest and signature are made once the content is sealed.
struct PlannedHeader {
  ByteBuffer sessionKey;
  std::optional<FileHeaderDraft> single;
  std::optional<RecipientsHeaderDraft> draft;
};

std::optional<PlannedHeader> PlanHeader(RandomGenerator& generator, bool compress,
                                        const ByteBuffer& senderPrivate,
                                        std::span<const ByteBuffer> recipients) {
  if (recipients.size() == 1) {
    std::optional<FileHeaderDraft> single = DraftFileHeader(generator, recipients.front());
    if (!single) return std::nullopt;
    ByteBuffer key = single->sessionKey;
    return PlannedHeader{std::move(key), std::move(single), std::nullopt};
  }
  std::optional<RecipientsHeaderDraft> draft =
      DraftRecipientsHeader(generator, compress, 0, recipients, senderPrivate);
  if (!draft) return std::nullopt;
  ByteBuffer key = draft->fileKey;
  return PlannedHeader{std::move(key), std::nullopt, std::move(draft)};
}

// The header record for a plain file of plainSize bytes.
std::optional<ByteBuffer> HeaderRecord(PlannedHeader& planned, RandomGenerator& generator, bool compress,
                                       std::uint64_t plainSize, const ByteBuffer& senderPrivate) {
  if (planned.single) return SignFileHeader(generator, *planned.single, compress, plainSize, senderPrivate);
  SetDraftPlainSize(*planned.draft, plainSize);
  return planned.draft->record;
}

// A version-1 header's digest and signature, over what the writer sealed.
bool SignDraft(EncryptedFileWriter& out, RandomGenerator& generator, const RecipientsHeaderDraft& draft,
               const ByteBuffer& senderPrivate) {
  const std::optional<ByteBuffer> digest = out.contentDigest();
  const auto now = static_cast<std::uint32_t>(platform::CalendarSeconds());
  const std::optional<ByteBuffer> tail =
      digest ? SignRecipientsHeader(generator, draft, digest->span(), senderPrivate, now) : std::nullopt;
  return tail && out.patchHeader(draft.tailOffset, *tail);
}

// The header accepted by the rules of its version.
std::optional<AcceptedHeader> AcceptHeader(RandomGenerator* generator, const ByteBuffer& recipientPrivate,
                                           const ByteBuffer& senderPublic, const ByteBuffer& record,
                                           Finding& why) {
  if (HeaderVersion(record) == kRecipientsHeaderVersion)
    return ReadRecipientsHeader(generator, recipientPrivate, senderPublic, record, why);
  return ReadFileHeader(generator, recipientPrivate, senderPublic, record, why);
}

void Open(OpenJob& job, SymmetricContext& opener, bool compressed, std::uint32_t count) {
  const std::optional<std::span<std::uint8_t>> payload = OpenChunk(opener, job.index, job.sealed.span());
  job.damaged = !payload;
  if (job.damaged) return;
  job.payload = *payload;
  if (compressed && !payload->empty()) {
    job.decompressed.assign(payload->data(), static_cast<std::uint32_t>(payload->size()));
    job.damaged = !DecompressChunk(job.decompressed);
    job.payload = job.decompressed.span();
  }
  // Every chunk but the last holds exactly 2 MiB: in older files, whose header binds no size,
  // this is all that shows a damaged or altered table.
  const bool last = job.index + 1 == count;
  job.damaged = job.damaged || (last ? job.payload.size() > kChunkBytes : job.payload.size() != kChunkBytes);
}

}  // namespace

FileResult EncryptFile(const FileJob& job, const ByteBuffer& senderPrivate,
                       std::span<const ByteBuffer> recipientPublics) {
  // A named source's size is known before anything is sealed; a stream's only at its end.
  std::optional<platform::File> opened;
  std::optional<std::uint64_t> size;
  if (job.sourceStream == nullptr) {
    if (platform::SameFile(job.source, job.target)) return SourceFailed(job.target, Finding::kSameFile);
    opened = platform::File::openRead(job.source);
    size = opened ? opened->size() : std::nullopt;
    if (!size) return SystemFailed(ResultCode::kSource, job.source);
    if (ChunkCount(*size) > kMaxChunks) return SourceFailed(job.source, Finding::kTooLarge);
  }
  platform::File& in = opened ? *opened : *job.sourceStream;
  if (job.generator == nullptr) return Failed(ResultCode::kSource, {});
  const bool compress = job.compression != ChunkCompression::kNone;
  std::optional<PlannedHeader> planned =
      PlanHeader(*job.generator, compress, senderPrivate, recipientPublics);
  const std::optional<ByteBuffer> senderPublic = PublicKeyRecordOf(senderPrivate);
  if (!planned || !senderPublic) return Failed(ResultCode::kKeys, {});

  EncryptedFileWriter out(job.target, planned->sessionKey.span(), job.generator, job.overwrite);
  if (!out.bindSender(*senderPublic)) return Failed(ResultCode::kKeys, {});
  // Chunks of a stream are counted as they come: the progress has no count.
  const std::uint32_t count = size ? static_cast<std::uint32_t>(ChunkCount(*size)) : 0;
  if (size) {
    const std::optional<ByteBuffer> record =
        HeaderRecord(*planned, *job.generator, compress, *size, senderPrivate);
    if (!record) return Failed(ResultCode::kKeys, {});
    if (!out.begin(*record, count)) return SystemFailed(ResultCode::kTarget, job.target);
  } else if (!out.beginUnsized()) {
    return SystemFailed(ResultCode::kTarget, job.target);
  }
  const ChunkPipeline pipeline(ChunkPipeline::Batch::kPairs);
  WorkerContexts sealers(pipeline, planned->sessionKey.span());
  std::vector<SealJob> jobs(pipeline.slots());
  std::uint64_t plainBytes = 0;
  bool streamEnded = false;
  FileResult result;
  const ChunkPipeline::Steps steps{
      .read =
          [&](std::uint32_t i, std::uint32_t slot) {
            SealJob& sealJob = jobs[slot];
            sealJob.index = i;
            const std::uint32_t wanted =
                size ? static_cast<std::uint32_t>(std::min<std::uint64_t>(*size - plainBytes, kChunkBytes))
                     : kChunkBytes;
            const std::optional<std::size_t> got =
                in.readUpTo(sealJob.buffer.data() + kChunkPayloadOffset, wanted);
            if (!got || (size && *got != wanted))
              return Fail(result, SystemFailed(ResultCode::kSource, job.source));
            // A stream ends with a short chunk or none: a full chunk may be its last.
            if (*got == 0) {
              streamEnded = true;
              return false;
            }
            if (i >= kMaxChunks) return Fail(result, SourceFailed(job.source, Finding::kTooLarge));
            sealJob.length = static_cast<std::uint32_t>(*got);
            plainBytes += *got;
            return out.nextIv(sealJob.iv.span()) || Fail(result, Failed(ResultCode::kTarget, {}));
          },
      .work = [&](std::span<const std::uint32_t> slots,
                  std::uint32_t worker) { Seal(jobs, slots, sealers[worker], job.compression); },
      .write =
          [&](std::uint32_t i, std::uint32_t slot) {
            const SealJob& sealJob = jobs[slot];
            if (sealJob.failure) return Fail(result, Failed(*sealJob.failure, {}));
            if (!out.writeSealedChunk(sealJob.buffer.span().first(sealJob.length)))
              return Fail(result, SystemFailed(ResultCode::kTarget, job.target));
            return ContinueAfterChunk(job.chunks, i, count) || Fail(result, Cancelled());
          },
  };
  const bool allRead = pipeline.run(size ? count : static_cast<std::uint32_t>(kMaxChunks + 1), steps);
  if (!allRead && !(streamEnded && result)) return result;
  if (!size) {
    const std::optional<ByteBuffer> record =
        HeaderRecord(*planned, *job.generator, compress, plainBytes, senderPrivate);
    if (!record) return Failed(ResultCode::kKeys, {});
    if (!out.finish(*record)) return SystemFailed(ResultCode::kTarget, job.target);
  }
  if (planned->draft && !SignDraft(out, *job.generator, *planned->draft, senderPrivate))
    return SystemFailed(ResultCode::kTarget, job.target);
  if (!out.commit()) return SystemFailed(ResultCode::kTarget, job.target);
  return FileResult{};
}

FileResult DecryptFile(const FileJob& job, const ByteBuffer& recipientPrivate,
                       const ByteBuffer& senderPublic) {
  const bool namedTarget = job.targetStream == nullptr && !job.checkOnly;
  if (namedTarget && platform::SameFile(job.source, job.target))
    return SourceFailed(job.target, Finding::kSameFile);
  EncryptedFileReader in(job.source);
  const std::optional<ByteBuffer> record = in.readHeader();
  if (!record) return in.failure();
  Finding why = Finding::kNone;
  const std::optional<AcceptedHeader> header =
      AcceptHeader(job.generator, recipientPrivate, senderPublic, *record, why);
  if (!header) return SourceFailed(job.source, why);
  if (!in.readTable(header->sessionKey.span())) return in.failure();
  // Someone else signed the header of a file its sender bound to their own key.
  FileResult result;
  result.binding = in.senderBinding(senderPublic);
  if (result.binding == SenderBinding::kOtherSender) return SourceFailed(job.source, Finding::kNotBySender);
  if (header->plainSize && ChunkCount(*header->plainSize) != in.count())
    return SourceFailed(job.source, Finding::kDamaged);
  // What a stream is given cannot be taken back: content the sender did not sign is refused
  // before any of it goes out.
  if (job.targetStream != nullptr && !header->contentDigest.empty()) {
    const std::optional<ByteBuffer> ahead = in.contentDigestAhead();
    if (!ahead) return in.failure();
    if (!ahead->equals(header->contentDigest)) return SourceFailed(job.source, Finding::kNotBySender);
  }

  std::optional<platform::AtomicFileWriter> out;
  if (namedTarget) {
    std::optional<platform::AtomicFileWriter> begun =
        platform::AtomicFileWriter::begin(job.target, platform::FileAccess::kPlaintext, job.overwrite);
    if (!begun) return SystemFailed(ResultCode::kTarget, job.target);
    out.emplace(std::move(*begun));
  }
  platform::File* plain = out ? &out->file() : job.targetStream;
  const std::uint32_t count = in.count();
  const ChunkPipeline pipeline;
  WorkerContexts openers(pipeline, header->sessionKey.span());
  std::vector<OpenJob> jobs(pipeline.slots());
  std::uint64_t written = 0;
  const ChunkPipeline::Steps steps{
      .read =
          [&](std::uint32_t i, std::uint32_t slot) {
            jobs[slot].index = i;
            return in.readSealedChunk(jobs[slot].sealed) || Fail(result, in.failure());
          },
      .work =
          [&](std::span<const std::uint32_t> slots, std::uint32_t worker) {
            for (const std::uint32_t slot : slots)
              Open(jobs[slot], openers[worker], header->compressed, count);
          },
      .write =
          [&](std::uint32_t i, std::uint32_t slot) {
            const OpenJob& openJob = jobs[slot];
            if (openJob.damaged)
              return Fail(result,
                          SourceFailed(job.source, Finding::kDamagedChunk, i + std::uint64_t{1}, count));
            if (plain != nullptr) {
              if (!plain->write(openJob.payload.data(), static_cast<std::uint32_t>(openJob.payload.size())))
                return Fail(result, SystemFailed(ResultCode::kTarget, job.target));
              if (out) plain->startWriteBack();
            }
            written += openJob.payload.size();
            return ContinueAfterChunk(job.chunks, i, count) || Fail(result, Cancelled());
          },
  };
  if (!pipeline.run(count, steps)) return result;
  // The last chunk's length is seen by nothing else.
  if (header->plainSize && written != *header->plainSize) return SourceFailed(job.source, Finding::kDamaged);
  // Chunks that open under the file key but are not those the sender signed: made by someone
  // else who holds the key, another recipient.
  if (!header->contentDigest.empty() && !in.contentDigest().equals(header->contentDigest))
    return SourceFailed(job.source, Finding::kNotBySender);
  if (out && !out->commit()) return SystemFailed(ResultCode::kTarget, job.target);
  return result;
}

}  // namespace qs
