#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "crypto/sender_binding.h"
#include "crypto/sha256.h"
#include "crypto/symmetric_context.h"
#include "formats/file_result.h"
#include "platform/file.h"

namespace qs {

class RandomGenerator;

// Layout of a native encrypted file (little-endian unless said otherwise):
//
//   u32  H, then the header record (H bytes, at most 10,240)
//   u32  T, then the sealed chunk table (T bytes)
//   sealed chunk 0, sealed chunk 1, ... back to back
//
// The table before sealing is u32 n followed by n u32 sealed chunk sizes; T is reserved as
// zeros when the header is written and overwritten with the sealed table after the last
// chunk. A chunk before sealing is its index as a big-endian u32 followed by its payload.
// Every sealed unit comes from one SymmetricContext under the session key.
inline constexpr std::uint32_t kChunkBytes = 2097152;

// Size of the sealed table of n chunks.
constexpr std::uint64_t SealedTableSize(std::uint64_t n) { return SymmetricContext::SealedSize(4 + 4 * n); }

// The smallest chunk count whose sealed table takes sealedTableBytes; whole blocks are
// sealed, so the three counts after it can take the same size. Nothing for a size no table
// takes.
constexpr std::optional<std::uint64_t> LeastChunkCount(std::uint64_t sealedTableBytes) {
  constexpr std::uint64_t kBlock = CipherContext::kBlockBytes;
  const std::uint64_t empty = SealedTableSize(0);
  if (sealedTableBytes < empty || (sealedTableBytes - empty) % kBlock != 0) return std::nullopt;
  // Every further block holds four more sizes; the count itself takes the first slot.
  const std::uint64_t blocks = (sealedTableBytes - empty) / kBlock;
  return blocks == 0 ? 0 : blocks * (kBlock / 4) - 1;
}

// Number of chunks of a plain file of plainSize bytes.
constexpr std::uint64_t ChunkCount(std::uint64_t plainSize) {
  return plainSize / kChunkBytes + (plainSize % kChunkBytes != 0 ? 1 : 0);
}

// Chunks are sealed and opened in place, in one buffer per chunk in flight: the payload
// lies at kChunkPayloadOffset, after room for the IV and the index, and the buffer holds at
// least ChunkBufferBytes(payload length) bytes.
inline constexpr std::uint32_t kChunkPayloadOffset = SymmetricContext::kIvBytes + 4;
constexpr std::uint64_t ChunkBufferBytes(std::uint64_t payloadLength) {
  return SymmetricContext::SealedSize(4 + payloadLength);
}

// The largest sealed chunk: a compressed chunk that does not shrink is stored with its mode
// byte, one byte longer than the 2 MiB it holds.
inline constexpr std::uint64_t kMaxSealedChunkBytes = ChunkBufferBytes(kChunkBytes + 1);

// Seals chunk index's payload of length bytes in place with the given IV: the buffer's first
// ChunkBufferBytes(length) bytes are then what EncryptedFileWriter::writeSealedChunk
// appends. False when the context has failed or the buffer is too short.
bool SealChunk(SymmetricContext& context, std::uint32_t index,
               std::span<const std::uint8_t, SymmetricContext::kIvBytes> iv, std::span<std::uint8_t> buffer,
               std::uint32_t length);

// Two chunks sealed as SealChunk seals each, in one call, which is faster where the
// processor can run both at once. False when either fails; both buffers are then undefined.
struct ChunkToSeal {
  std::uint32_t index;
  std::span<const std::uint8_t, SymmetricContext::kIvBytes> iv;
  std::span<std::uint8_t> buffer;
  std::uint32_t length;
};
bool SealChunkPair(SymmetricContext& context, const ChunkToSeal& first, const ChunkToSeal& second);

// The payload of sealed chunk index, opened in place once its MAC and its index have been
// checked; nothing for any damage.
std::optional<std::span<std::uint8_t>> OpenChunk(SymmetricContext& context, std::uint32_t index,
                                                 std::span<std::uint8_t> sealed);

// What a version-1 header's signature covers of the content: the MAC at the end of each sealed
// chunk, in order, then the sealed table's. The MACs fix every byte of the units they close, so
// this costs 32 bytes of hashing a chunk instead of a second pass over the file.
class ContentDigest {
 public:
  void addChunk(std::span<const std::uint8_t> sealedChunk) { addMac(sealedChunk); }
  ByteBuffer finish(std::span<const std::uint8_t> sealedTableMac);
  // The MAC that closes a sealed unit: its last bytes.
  static std::span<const std::uint8_t> MacOf(std::span<const std::uint8_t> sealedUnit);

 private:
  void addMac(std::span<const std::uint8_t> sealedUnit) { digest_.update(MacOf(sealedUnit)); }
  Sha256Context digest_;
};

// Writes a native encrypted file to a temporary file beside the target, which replaces the
// target only at commit; a writer dropped before commit leaves nothing behind.
class EncryptedFileWriter {
 public:
  EncryptedFileWriter(const std::string& target, std::span<const std::uint8_t> sessionKey,
                      RandomGenerator* generator,
                      platform::Overwrite overwrite = platform::Overwrite::kReplace);
  bool opened() const { return file_.has_value() && !cipher_.failed(); }
  void setHook(ProgressHook* hook) { cipher_.setHook(hook); }

  // Seals the table with the IV that binds the file to the sender with this "PublicKey"
  // record (crypto/sender_binding.h) instead of a drawn one; before the table is written.
  bool bindSender(const ByteBuffer& senderPublic);
  // Writes H, the header, T and T zero bytes for a table of count chunks; once only.
  bool begin(const ByteBuffer& header, std::uint32_t count);
  // Instead of begin, for a source whose size, and so the header and the table, is known only
  // at its end: the sealed chunks wait in a temporary file of their own beside the target,
  // which holds nothing but them, until finish writes H, the header and the table of the
  // chunks written, copies the chunks after them and removes that file.
  bool beginUnsized();
  bool finish(const ByteBuffer& header);
  // Seals index || payload and appends it; after the last chunk the table is written.
  bool writeChunk(ByteBuffer& payload);
  // The same in two steps, for sealing on other threads: the IV of the next chunk (IVs are
  // drawn in chunk order), then the chunk sealed by SealChunk with that IV.
  bool nextIv(std::span<std::uint8_t, SymmetricContext::kIvBytes> iv) { return cipher_.nextIv(iv); }
  bool writeSealedChunk(std::span<const std::uint8_t> sealed);
  // The ContentDigest of what was written; only after the table is written.
  std::optional<ByteBuffer> contentDigest();
  // Overwrites the header's bytes from offset on with bytes that end within it: for the
  // parts of a header that can only be made once the content is sealed. After the table is
  // written, before commit.
  bool patchHeader(std::uint32_t offset, const ByteBuffer& bytes);
  // Flushes and puts the file in the target's place; only after the table is written.
  bool commit();

 private:
  bool writeFront(const ByteBuffer& header, std::uint32_t count);
  bool copyWaitingChunks();
  bool writeTable();

  std::optional<platform::AtomicFileWriter> file_;
  std::optional<platform::AtomicFileWriter> waiting_;  // the chunks of an unsized source
  SymmetricContext cipher_;
  bool begun_ = false;
  bool tableWritten_ = false;
  std::uint32_t headerBytes_ = 0;
  std::uint64_t tableOffset_ = 0;
  std::uint32_t count_ = 0;
  std::vector<std::uint32_t> lengths_;
  std::optional<std::array<std::uint8_t, SymmetricContext::kIvBytes>> tableIv_;
  ContentDigest content_;
  ByteBuffer tableMac_;
};

// Reads a native encrypted file in order: header, table, chunks. Every length read from the
// file is checked against the bytes the file still holds before anything is allocated.
class EncryptedFileReader {
 public:
  explicit EncryptedFileReader(const std::string& source);
  bool opened() const { return file_.has_value(); }
  // Why the last read failed, on the source: what the system said, a file that ends before
  // its lengths say (with the bytes it has and needs), bytes after its end, or a header or
  // table that is not one.
  FileResult failure() const { return failure_; }

  // The header record; nothing when H is above what a header of either version may take or
  // the file is too short.
  std::optional<ByteBuffer> readHeader();
  // Unseals the table with the session key; false for any damage, for a table that is not
  // exactly n sizes in exactly the sealed size for n, for a size no chunk can have, or for
  // chunks that do not fill the rest of the file exactly.
  bool readTable(std::span<const std::uint8_t> sessionKey);
  // Whether the table's IV binds the file to the holder of senderPublic; after readTable.
  SenderBinding senderBinding(const ByteBuffer& senderPublic) const;
  // The table as stored, without the session key; nothing when T is more than the rest of
  // the file allows.
  std::optional<ByteBuffer> readSealedTable();
  // Bytes not read yet: after the table, those of the sealed chunks.
  std::uint64_t unreadBytes() const { return left_; }
  std::uint32_t count() const { return static_cast<std::uint32_t>(lengths_.size()); }
  // The next chunk's payload, after its MAC and its index have been checked.
  std::optional<ByteBuffer> readChunk();
  // The next chunk as stored, for OpenChunk on another thread; into is reused.
  bool readSealedChunk(ByteBuffer& into);
  // The ContentDigest of the table and the chunks read; meant for after the last chunk.
  ByteBuffer contentDigest();
  // The ContentDigest the chunks will give, from the MAC at the end of each, read ahead
  // without opening them; right after readTable, which it leaves the reader as it was at.
  std::optional<ByteBuffer> contentDigestAhead();

 private:
  bool readInto(ByteBuffer& into, std::uint64_t n);
  std::optional<ByteBuffer> readBytes(std::uint64_t n);
  bool fail(Finding finding);
  // A length that runs needed bytes past what the file still holds.
  bool cutShort(std::uint64_t needed);

  std::string source_;
  std::optional<platform::File> file_;
  FileResult failure_;
  std::uint64_t size_ = 0;
  std::uint64_t left_ = 0;  // bytes of the file not read yet
  std::optional<SymmetricContext> cipher_;
  std::vector<std::uint32_t> lengths_;
  std::uint32_t index_ = 0;
  std::array<std::uint8_t, SymmetricContext::kIvBytes> tableIv_{};
  ContentDigest content_;
  ByteBuffer tableMac_;
};

}  // namespace qs
