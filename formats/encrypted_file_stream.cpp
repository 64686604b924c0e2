#include "formats/encrypted_file_stream.h"

#include "base/byte_stream.h"
#include "crypto/secret_bytes.h"
#include "formats/encrypted_file_header.h"

namespace qs {
namespace {

ByteBuffer U32(std::uint32_t v) {
  ByteBuffer b;
  b.appendU32(v);
  return b;
}

void PrependBigEndianIndex(ByteBuffer& chunk, std::uint32_t index) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(index >> 24),
                                 static_cast<std::uint8_t>(index >> 16),
                                 static_cast<std::uint8_t>(index >> 8), static_cast<std::uint8_t>(index)};
  chunk.prepend(bytes, 4);
}

std::uint32_t BigEndianIndex(const ByteBuffer& chunk) {
  return static_cast<std::uint32_t>(chunk.data()[0]) << 24 |
         static_cast<std::uint32_t>(chunk.data()[1]) << 16 |
         static_cast<std::uint32_t>(chunk.data()[2]) << 8 | chunk.data()[3];
}

}  // namespace

EncryptedFileWriter::EncryptedFileWriter(const std::string& target, std::span<const std::uint8_t> sessionKey,
                                         RandomGenerator* generator)
    : file_(platform::AtomicFileWriter::begin(target)), cipher_(sessionKey, generator) {}

bool EncryptedFileWriter::begin(const ByteBuffer& header, std::uint32_t count) {
  if (!opened() || begun_) return false;
  const std::uint64_t tableBytes = SealedTableSize(count);
  if (tableBytes > 0xFFFFFFFFu) return false;
  platform::File& out = file_->file();
  const ByteBuffer table = ByteBuffer::zeros(static_cast<std::uint32_t>(tableBytes));
  if (!out.write(U32(header.length()).data(), 4) || !out.write(header.data(), header.length()) ||
      !out.write(U32(table.length()).data(), 4) || !out.write(table.data(), table.length())) {
    return false;
  }
  tableOffset_ = 8 + static_cast<std::uint64_t>(header.length());
  count_ = count;
  begun_ = true;
  return count_ != 0 || writeTable();
}

bool EncryptedFileWriter::writeChunk(ByteBuffer& payload) {
  SecretBytes<SymmetricContext::kIvBytes> iv;
  return begun_ && nextIv(iv.span()) &&
         SealChunk(cipher_, static_cast<std::uint32_t>(lengths_.size()), iv.span(), payload) &&
         writeSealedChunk(payload);
}

bool EncryptedFileWriter::writeSealedChunk(const ByteBuffer& sealed) {
  if (!begun_ || lengths_.size() >= count_ || !file_->file().write(sealed.data(), sealed.length()))
    return false;
  lengths_.push_back(sealed.length());
  return lengths_.size() < count_ || writeTable();
}

bool EncryptedFileWriter::writeTable() {
  ByteBuffer table;
  table.appendU32(count_);
  for (std::uint32_t length : lengths_) table.appendU32(length);
  if (!cipher_.encrypt(table)) return false;
  platform::File& out = file_->file();
  if (!out.seek(tableOffset_) || !out.write(table.data(), table.length())) return false;
  tableWritten_ = true;
  return true;
}

bool EncryptedFileWriter::commit() { return tableWritten_ && file_->commit(); }

EncryptedFileReader::EncryptedFileReader(const std::string& source)
    : file_(platform::File::openRead(source)) {
  if (!file_) return;
  const std::optional<std::uint64_t> size = file_->size();
  if (!size) file_.reset();
  left_ = size.value_or(0);
}

std::optional<ByteBuffer> EncryptedFileReader::readBytes(std::uint64_t n) {
  if (!file_ || n > left_ || n > 0xFFFFFFFFu) return std::nullopt;
  ByteBuffer bytes = ByteBuffer::zeros(static_cast<std::uint32_t>(n));
  if (!file_->readFull(bytes.data(), bytes.length())) return std::nullopt;
  left_ -= n;
  return bytes;
}

std::optional<ByteBuffer> EncryptedFileReader::readHeader() {
  std::optional<ByteBuffer> prefix = readBytes(4);
  if (!prefix) return std::nullopt;
  const std::uint32_t length = ByteStream(*prefix).readU32();
  if (length > kMaxHeaderBytes) return std::nullopt;
  return readBytes(length);
}

bool EncryptedFileReader::readTable(std::span<const std::uint8_t> sessionKey) {
  std::optional<ByteBuffer> prefix = readBytes(4);
  if (!prefix) return false;
  std::optional<ByteBuffer> table = readBytes(ByteStream(*prefix).readU32());
  cipher_.emplace(sessionKey, nullptr);
  if (!table || !cipher_->decrypt(*table) || table->length() < 4) return false;
  ByteStream in(std::move(*table));
  const std::uint32_t n = in.readU32();
  if (4 + 4 * static_cast<std::uint64_t>(n) > in.bytes.length()) return false;
  lengths_.reserve(n);
  for (std::uint32_t i = 0; i < n; ++i) lengths_.push_back(in.readU32());
  return true;
}

std::optional<ByteBuffer> EncryptedFileReader::readChunk() {
  const std::uint32_t index = index_;
  std::optional<ByteBuffer> chunk = readSealedChunk();
  if (!chunk || !OpenChunk(*cipher_, index, *chunk)) return std::nullopt;
  return chunk;
}

std::optional<ByteBuffer> EncryptedFileReader::readSealedChunk() {
  if (!cipher_ || index_ >= lengths_.size()) return std::nullopt;
  std::optional<ByteBuffer> chunk = readBytes(lengths_[index_]);
  if (chunk) ++index_;
  return chunk;
}

bool SealChunk(SymmetricContext& context, std::uint32_t index,
               std::span<const std::uint8_t, SymmetricContext::kIvBytes> iv, ByteBuffer& payload) {
  PrependBigEndianIndex(payload, index);
  return context.encrypt(payload, iv);
}

bool OpenChunk(SymmetricContext& context, std::uint32_t index, ByteBuffer& sealed) {
  if (!context.decrypt(sealed) || sealed.length() < 4 || BigEndianIndex(sealed) != index) return false;
  sealed.dropFront(4);
  return true;
}

}  // namespace qs
