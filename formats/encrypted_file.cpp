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

// The header for the recipients: version 0 for one, whose signature is made now, a version-1
// draft for more, whose digest and signature are made once the content is sealed.
struct PlannedHeader {
  WrittenHeader header;
  std::optional<RecipientsHeaderDraft> draft;
};

std::optional<PlannedHeader> PlanHeader(RandomGenerator& generator, bool compress, std::uint64_t plainSize,
                                        const ByteBuffer& senderPrivate,
                                        std::span<const ByteBuffer> recipients) {
  if (recipients.size() == 1) {
    std::optional<WrittenHeader> header =
        WriteFileHeader(generator, compress, plainSize, senderPrivate, recipients.front());
    if (!header) return std::nullopt;
    return PlannedHeader{std::move(*header), std::nullopt};
  }
  std::optional<RecipientsHeaderDraft> draft =
      DraftRecipientsHeader(generator, compress, plainSize, recipients, senderPrivate);
  if (!draft) return std::nullopt;
  WrittenHeader header{draft->record, draft->fileKey};
  return PlannedHeader{std::move(header), std::move(draft)};
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
  if (platform::SameFile(job.source, job.target)) return SourceFailed(job.target, Finding::kSameFile);
  std::optional<platform::File> in = platform::File::openRead(job.source);
  const std::optional<std::uint64_t> size = in ? in->size() : std::nullopt;
  if (!size) return SystemFailed(ResultCode::kSource, job.source);
  const std::uint64_t chunks = ChunkCount(*size);
  if (chunks > kMaxChunks) return SourceFailed(job.source, Finding::kTooLarge);
  if (job.generator == nullptr) return Failed(ResultCode::kSource, {});
  const auto count = static_cast<std::uint32_t>(chunks);

  const std::optional<PlannedHeader> planned = PlanHeader(
      *job.generator, job.compression != ChunkCompression::kNone, *size, senderPrivate, recipientPublics);
  const std::optional<ByteBuffer> senderPublic = PublicKeyRecordOf(senderPrivate);
  if (!planned || !senderPublic) return Failed(ResultCode::kKeys, {});
  const WrittenHeader* header = &planned->header;

  EncryptedFileWriter out(job.target, header->sessionKey.span(), job.generator, job.overwrite);
  if (!out.bindSender(*senderPublic)) return Failed(ResultCode::kKeys, {});
  if (!out.begin(header->record, count)) return SystemFailed(ResultCode::kTarget, job.target);
  const ChunkPipeline pipeline(ChunkPipeline::Batch::kPairs);
  WorkerContexts sealers(pipeline, header->sessionKey.span());
  std::vector<SealJob> jobs(pipeline.slots());
  std::uint64_t left = *size;
  FileResult result;
  const ChunkPipeline::Steps steps{
      .read =
          [&](std::uint32_t i, std::uint32_t slot) {
            SealJob& sealJob = jobs[slot];
            sealJob.index = i;
            sealJob.length = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kChunkBytes));
            if (!in->readFull(sealJob.buffer.data() + kChunkPayloadOffset, sealJob.length)) {
              return Fail(result, SystemFailed(ResultCode::kSource, job.source));
            }
            left -= sealJob.length;
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
  if (!pipeline.run(count, steps)) return result;
  if (planned->draft && !SignDraft(out, *job.generator, *planned->draft, senderPrivate))
    return SystemFailed(ResultCode::kTarget, job.target);
  if (!out.commit()) return SystemFailed(ResultCode::kTarget, job.target);
  return FileResult{};
}

FileResult DecryptFile(const FileJob& job, const ByteBuffer& recipientPrivate,
                       const ByteBuffer& senderPublic) {
  if (platform::SameFile(job.source, job.target)) return SourceFailed(job.target, Finding::kSameFile);
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

  std::optional<platform::AtomicFileWriter> out =
      platform::AtomicFileWriter::begin(job.target, platform::FileAccess::kPlaintext, job.overwrite);
  if (!out) return SystemFailed(ResultCode::kTarget, job.target);
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
            if (!out->file().write(openJob.payload.data(),
                                   static_cast<std::uint32_t>(openJob.payload.size()))) {
              return Fail(result, SystemFailed(ResultCode::kTarget, job.target));
            }
            out->file().startWriteBack();
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
  if (!out->commit()) return SystemFailed(ResultCode::kTarget, job.target);
  return result;
}

}  // namespace qs
