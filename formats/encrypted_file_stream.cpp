#include "formats/encrypted_file_stream.h"

#include <algorithm>

#include "base/byte_order.h"
#include "base/byte_stream.h"
#include "crypto/secret_bytes.h"
#include "formats/encrypted_file_header.h"
#include "formats/recipients_header.h"

namespace qs {
namespace {

// How much of the waiting chunks is copied at a time.
constexpr std::uint32_t kCopyPieceBytes = 1u << 20;

ByteBuffer U32(std::uint32_t v) {
  ByteBuffer b;
  b.appendU32(v);
  return b;
}

// The chunk's index put in front of its payload: what seal takes; nothing when the buffer is
// too short.
std::optional<SymmetricContext::SealRequest> Indexed(const ChunkToSeal& chunk) {
  if (chunk.buffer.size() < ChunkBufferBytes(chunk.length)) return std::nullopt;
  StoreBe32(chunk.buffer.data() + SymmetricContext::kIvBytes, chunk.index);
  return SymmetricContext::SealRequest{chunk.buffer.first(ChunkBufferBytes(chunk.length)), 4 + chunk.length,
                                       chunk.iv};
}

}  // namespace

std::span<const std::uint8_t> ContentDigest::MacOf(std::span<const std::uint8_t> sealedUnit) {
  return sealedUnit.size() < SymmetricContext::kMacBytes ? sealedUnit
                                                         : sealedUnit.last(SymmetricContext::kMacBytes);
}

ByteBuffer ContentDigest::finish(std::span<const std::uint8_t> sealedTableMac) {
  digest_.update(sealedTableMac);
  ByteBuffer out;
  digest_.digest(out);
  return out;
}

EncryptedFileWriter::EncryptedFileWriter(const std::string& target, std::span<const std::uint8_t> sessionKey,
                                         RandomGenerator* generator, platform::Overwrite overwrite)
    : file_(platform::AtomicFileWriter::begin(target, platform::FileAccess::kUsual, overwrite)),
      cipher_(sessionKey, generator) {}

bool EncryptedFileWriter::bindSender(const ByteBuffer& senderPublic) {
  if (tableWritten_) return false;
  tableIv_ = SenderBoundIv(cipher_, senderPublic);
  return tableIv_.has_value();
}

bool EncryptedFileWriter::writeFront(const ByteBuffer& header, std::uint32_t count) {
  if (!opened() || begun_) return false;
  const std::uint64_t tableBytes = SealedTableSize(count);
  if (tableBytes > 0xFFFFFFFFu) return false;
  platform::File& out = file_->file();
  const ByteBuffer table = ByteBuffer::zeros(static_cast<std::uint32_t>(tableBytes));
  if (!out.write(U32(header.length()).data(), 4) || !out.write(header.data(), header.length()) ||
      !out.write(U32(table.length()).data(), 4) || !out.write(table.data(), table.length())) {
    return false;
  }
  headerBytes_ = header.length();
  tableOffset_ = 8 + static_cast<std::uint64_t>(header.length());
  count_ = count;
  begun_ = true;
  return true;
}

bool EncryptedFileWriter::begin(const ByteBuffer& header, std::uint32_t count) {
  return !waiting_ && writeFront(header, count) && (count_ != 0 || writeTable());
}

bool EncryptedFileWriter::beginUnsized() {
  if (!opened() || begun_ || waiting_) return false;
  std::optional<platform::AtomicFileWriter> begun = platform::AtomicFileWriter::begin(file_->temporaryPath());
  if (begun) waiting_.emplace(std::move(*begun));
  return waiting_.has_value();
}

bool EncryptedFileWriter::finish(const ByteBuffer& header) {
  if (!waiting_ || !writeFront(header, static_cast<std::uint32_t>(lengths_.size()))) return false;
  if (!copyWaitingChunks()) return false;
  waiting_.reset();
  return writeTable();
}

bool EncryptedFileWriter::copyWaitingChunks() {
  platform::File& from = waiting_->file();
  if (!from.seek(0)) return false;
  ByteBuffer piece = ByteBuffer::zeros(kCopyPieceBytes);
  for (;;) {
    const std::optional<std::size_t> got = from.readUpTo(piece.data(), piece.length());
    if (!got || !file_->file().write(piece.data(), *got)) return false;
    if (*got < piece.length()) return true;
    file_->file().startWriteBack();
  }
}

bool EncryptedFileWriter::writeChunk(ByteBuffer& payload) {
  const std::uint32_t length = payload.length();
  const std::uint64_t bufferBytes = ChunkBufferBytes(length);
  if (!begun_ || bufferBytes > 0xFFFFFFFFu) return false;
  payload.prependZeros(kChunkPayloadOffset);
  payload.resize(static_cast<std::uint32_t>(bufferBytes));
  SecretBytes<SymmetricContext::kIvBytes> iv;
  return nextIv(iv.span()) &&
         SealChunk(cipher_, static_cast<std::uint32_t>(lengths_.size()), iv.span(), payload.span(), length) &&
         writeSealedChunk(payload.span());
}

bool EncryptedFileWriter::writeSealedChunk(std::span<const std::uint8_t> sealed) {
  const bool room = waiting_ ? !begun_ : begun_ && lengths_.size() < count_;
  platform::File& out = waiting_ ? waiting_->file() : file_->file();
  if (!room || sealed.size() > 0xFFFFFFFFu ||
      !out.write(sealed.data(), static_cast<std::uint32_t>(sealed.size())))
    return false;
  out.startWriteBack();
  content_.addChunk(sealed);
  lengths_.push_back(static_cast<std::uint32_t>(sealed.size()));
  return waiting_ || lengths_.size() < count_ || writeTable();
}

bool EncryptedFileWriter::writeTable() {
  ByteBuffer table;
  table.appendU32(count_);
  for (std::uint32_t length : lengths_) table.appendU32(length);
  if (!(tableIv_ ? cipher_.encrypt(table, *tableIv_) : cipher_.encrypt(table))) return false;
  tableMac_ = ByteBuffer(ContentDigest::MacOf(table.span()));
  platform::File& out = file_->file();
  if (!out.seek(tableOffset_) || !out.write(table.data(), table.length())) return false;
  tableWritten_ = true;
  return true;
}

std::optional<ByteBuffer> EncryptedFileWriter::contentDigest() {
  if (!tableWritten_) return std::nullopt;
  return content_.finish(tableMac_.span());
}

bool EncryptedFileWriter::patchHeader(std::uint32_t offset, const ByteBuffer& bytes) {
  if (!tableWritten_ || offset > headerBytes_ || bytes.length() > headerBytes_ - offset) return false;
  platform::File& out = file_->file();
  return out.seek(4 + std::uint64_t{offset}) && out.write(bytes.data(), bytes.length());
}

bool EncryptedFileWriter::commit() { return tableWritten_ && file_->commit(); }

EncryptedFileReader::EncryptedFileReader(const std::string& source)
    : source_(source), file_(platform::File::openRead(source)) {
  const std::optional<std::uint64_t> size = file_ ? file_->size() : std::nullopt;
  if (!size) {
    failure_ = SystemFailed(ResultCode::kSource, source_);
    file_.reset();
  }
  size_ = left_ = size.value_or(0);
}

// Whatever the reader finds is the source's failure, as the format's readers have always
// reported it, a table that does not open under the session key included.
bool EncryptedFileReader::fail(Finding finding) {
  failure_ = Failed(ResultCode::kSource, {source_, finding});
  return false;
}

bool EncryptedFileReader::cutShort(std::uint64_t needed) {
  failure_ = SourceFailed(source_, Finding::kTruncated, size_, size_ - left_ + needed);
  return false;
}

bool EncryptedFileReader::readInto(ByteBuffer& into, std::uint64_t n) {
  if (!file_) return false;
  if (n > left_) return cutShort(n);
  if (n > 0xFFFFFFFFu) return fail(Finding::kNotEncryptedFile);
  into.resize(static_cast<std::uint32_t>(n));
  if (!file_->readFull(into.data(), into.length())) {
    failure_ = SystemFailed(ResultCode::kSource, source_);
    return false;
  }
  left_ -= n;
  return true;
}

std::optional<ByteBuffer> EncryptedFileReader::readBytes(std::uint64_t n) {
  ByteBuffer bytes;
  if (!readInto(bytes, n)) return std::nullopt;
  return bytes;
}

std::optional<ByteBuffer> EncryptedFileReader::readHeader() {
  std::optional<ByteBuffer> prefix = readBytes(4);
  if (!prefix) return std::nullopt;
  const std::uint32_t length = ByteStream(*prefix).readU32();
  if (length > kMaxRecipientsHeaderBytes) {
    fail(Finding::kNotEncryptedFile);
    return std::nullopt;
  }
  return readBytes(length);
}

std::optional<ByteBuffer> EncryptedFileReader::readSealedTable() {
  std::optional<ByteBuffer> prefix = readBytes(4);
  if (!prefix) return std::nullopt;
  const std::uint32_t sealedBytes = ByteStream(*prefix).readU32();
  // Every chunk takes at least one sealed unit, so what the file still holds bounds n.
  if (sealedBytes > left_) {
    cutShort(sealedBytes);
    return std::nullopt;
  }
  // Without its chunks the file is cut short, by how much the table would say.
  if (sealedBytes > SealedTableSize(left_ / SymmetricContext::SealedSize(0))) {
    failure_ = SourceFailed(source_, Finding::kTruncated, size_);
    return std::nullopt;
  }
  return readBytes(sealedBytes);
}

bool EncryptedFileReader::readTable(std::span<const std::uint8_t> sessionKey) {
  std::optional<ByteBuffer> table = readSealedTable();
  const std::uint64_t sealedBytes = table ? table->length() : 0;
  cipher_.emplace(sessionKey, nullptr);
  if (!table) return false;
  if (table->length() < tableIv_.size()) return fail(Finding::kDamaged);
  std::copy_n(table->data(), tableIv_.size(), tableIv_.begin());
  tableMac_ = ByteBuffer(ContentDigest::MacOf(table->span()));
  // A session key unwrapped with another key pair's key is noise; the table is the first
  // sealed unit it meets.
  if (!cipher_->decrypt(*table)) return fail(Finding::kNotForThisKey);
  if (table->length() < 4) return fail(Finding::kDamaged);
  ByteStream in(std::move(*table));
  const std::uint32_t n = in.readU32();
  // Exact sizes: any other sealed unit under the session key (chunk 0 opens to an index of
  // zero, which would read as "no chunks") is refused here.
  if (in.bytes.length() != 4 + 4 * static_cast<std::uint64_t>(n) || sealedBytes != SealedTableSize(n)) {
    return fail(Finding::kDamaged);
  }
  lengths_.reserve(n);
  std::uint64_t chunkBytes = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    lengths_.push_back(in.readU32());
    if (lengths_.back() > kMaxSealedChunkBytes) return fail(Finding::kDamaged);
    chunkBytes += lengths_.back();
  }
  if (chunkBytes > left_) return cutShort(chunkBytes);
  // Bytes after the last chunk are no part of the file; no writer leaves any.
  return chunkBytes == left_ || fail(Finding::kTrailingBytes);
}

SenderBinding EncryptedFileReader::senderBinding(const ByteBuffer& senderPublic) const {
  if (!cipher_) return SenderBinding::kOtherSender;
  return CheckSenderBinding(*cipher_, tableIv_, senderPublic);
}

std::optional<ByteBuffer> EncryptedFileReader::readChunk() {
  const std::uint32_t index = index_;
  ByteBuffer chunk;
  if (!readSealedChunk(chunk)) return std::nullopt;
  const std::optional<std::span<std::uint8_t>> payload = OpenChunk(*cipher_, index, chunk.span());
  if (!payload) return std::nullopt;
  return ByteBuffer(*payload);
}

bool EncryptedFileReader::readSealedChunk(ByteBuffer& into) {
  if (!cipher_ || index_ >= lengths_.size() || !readInto(into, lengths_[index_])) return false;
  content_.addChunk(into.span());
  ++index_;
  return true;
}

ByteBuffer EncryptedFileReader::contentDigest() { return content_.finish(tableMac_.span()); }

std::optional<ByteBuffer> EncryptedFileReader::contentDigestAhead() {
  if (!file_ || !cipher_ || index_ != 0) return std::nullopt;
  // readTable has checked that the chunks fill the rest of the file exactly.
  const std::uint64_t chunksStart = size_ - left_;
  std::uint64_t end = chunksStart;
  ContentDigest ahead;
  ByteBuffer mac = ByteBuffer::zeros(SymmetricContext::kMacBytes);
  for (const std::uint32_t length : lengths_) {
    end += length;
    // No sealed unit is this short; opening it would fail.
    if (length < mac.length()) {
      fail(Finding::kDamaged);
      return std::nullopt;
    }
    if (!file_->seek(end - mac.length()) || !file_->readFull(mac.data(), mac.length())) {
      failure_ = SystemFailed(ResultCode::kSource, source_);
      return std::nullopt;
    }
    ahead.addChunk(mac.span());
  }
  if (!file_->seek(chunksStart)) {
    failure_ = SystemFailed(ResultCode::kSource, source_);
    return std::nullopt;
  }
  return ahead.finish(tableMac_.span());
}

bool SealChunk(SymmetricContext& context, std::uint32_t index,
               std::span<const std::uint8_t, SymmetricContext::kIvBytes> iv, std::span<std::uint8_t> buffer,
               std::uint32_t length) {
  const std::optional<SymmetricContext::SealRequest> request = Indexed({index, iv, buffer, length});
  return request && context.seal(request->buffer, request->length, request->iv);
}

bool SealChunkPair(SymmetricContext& context, const ChunkToSeal& first, const ChunkToSeal& second) {
  const std::optional<SymmetricContext::SealRequest> firstRequest = Indexed(first);
  const std::optional<SymmetricContext::SealRequest> secondRequest = Indexed(second);
  return firstRequest && secondRequest && context.sealPair(*firstRequest, *secondRequest);
}

std::optional<std::span<std::uint8_t>> OpenChunk(SymmetricContext& context, std::uint32_t index,
                                                 std::span<std::uint8_t> sealed) {
  const std::optional<std::span<std::uint8_t>> plain = context.open(sealed);
  if (!plain || plain->size() < 4 || LoadBe32(plain->data()) != index) return std::nullopt;
  return plain->subspan(4);
}

}  // namespace qs
