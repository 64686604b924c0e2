#include "formats/encrypted_file.h"

#include "codec/chunk_codec.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
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

bool Fail(ResultCode& code, ResultCode why) {
  code = why;
  return false;
}

}  // namespace

bool EncryptFile(const PipelineParams& params, const ByteBuffer& ownPrivate, const ByteBuffer& peerPublic,
                 const std::string& source, const std::string& target, ResultCode& code) {
  if (platform::SameFile(source, target)) return Fail(code, ResultCode::kTarget);
  std::optional<platform::File> in = platform::File::openRead(source);
  const std::optional<std::uint64_t> size = in ? in->size() : std::nullopt;
  if (!size) return Fail(code, ResultCode::kSource);
  const std::uint64_t chunks = (*size >> 21) + ((*size & (kChunkBytes - 1)) != 0 ? 1 : 0);
  if (chunks > kMaxChunks || params.generator == nullptr) return Fail(code, ResultCode::kSource);
  const auto count = static_cast<std::uint32_t>(chunks);

  const std::optional<WrittenHeader> header =
      WriteFileHeader(*params.generator, params.compress, ownPrivate, peerPublic, code);
  if (!header) return false;

  EncryptedFileWriter out(target, header->sessionKey.span(), params.generator);
  if (!out.begin(header->record, count)) return Fail(code, ResultCode::kTarget);
  std::uint64_t left = *size;
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto sliceBytes = static_cast<std::uint32_t>(left < kChunkBytes ? left : kChunkBytes);
    ByteBuffer slice = ByteBuffer::zeros(sliceBytes);
    if (!in->readFull(slice.data(), sliceBytes)) return Fail(code, ResultCode::kSource);
    left -= sliceBytes;
    if (params.compress && !CompressChunk(slice, kChunkBlockSorted)) return Fail(code, ResultCode::kSource);
    if (!out.writeChunk(slice)) return Fail(code, ResultCode::kTarget);
    if (!ContinueAfterChunk(params.progress, i, count)) return Fail(code, ResultCode::kCancelled);
  }
  if (!out.commit()) return Fail(code, ResultCode::kTarget);
  return true;
}

bool DecryptFile(const PipelineParams& params, const ByteBuffer& ownPrivate, const ByteBuffer& peerPublic,
                 const std::string& source, const std::string& target, ResultCode& code) {
  if (platform::SameFile(source, target)) return Fail(code, ResultCode::kTarget);
  EncryptedFileReader in(source);
  const std::optional<ByteBuffer> record = in.readHeader();
  if (!record) return Fail(code, ResultCode::kSource);
  const std::optional<AcceptedHeader> header =
      ReadFileHeader(params.generator, ownPrivate, peerPublic, *record, code);
  if (!header) return false;
  if (!in.readTable(header->sessionKey.span())) return Fail(code, ResultCode::kSource);

  std::optional<platform::AtomicFileWriter> out = platform::AtomicFileWriter::begin(target);
  if (!out) return Fail(code, ResultCode::kTarget);
  const std::uint32_t count = in.count();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::optional<ByteBuffer> chunk = in.readChunk();
    if (!chunk) return Fail(code, ResultCode::kSource);
    if (header->compressed && !chunk->empty() && !DecompressChunk(*chunk)) return Fail(code, ResultCode::kSource);
    // The header's signature does not cover the table or the compressed flag, so a chunk of
    // the wrong size is the sign of a damaged or altered file.
    const bool last = i + 1 == count;
    if (last ? chunk->length() > kChunkBytes : chunk->length() != kChunkBytes) return Fail(code, ResultCode::kSource);
    if (!out->file().write(chunk->data(), chunk->length())) return Fail(code, ResultCode::kTarget);
    if (!ContinueAfterChunk(params.progress, i, count)) return Fail(code, ResultCode::kCancelled);
  }
  if (!out->commit()) return Fail(code, ResultCode::kTarget);
  return true;
}

}  // namespace qs
