#pragma once
#include <cstdint>
#include <optional>

#include "base/byte_buffer.h"
#include "formats/file_result.h"

namespace qs {

class RandomGenerator;

// The header record of a native encrypted file:
//
//   field  tag "EncryptedFile"
//   u16    version 0
//   u8     reserved 0
//   u8     compressed: 1 when every chunk was compressed before sealing
//   u8     method: 2
//   field  "EncryptedKey" record: the session key wrapped for the recipient
//   field  "Signature" record by the sender over the "EncryptedKey" record, label
//          "EncryptedFile", the time of encryption and the HeaderBinding text as message
//
// Its size is 103 + k1 + k2 + 2m for a recipient encryption modulus of k1 bytes, a sender
// signing modulus of k2 bytes and a message of m characters (none from older writers).
inline constexpr std::uint8_t kEncryptionMethod = 2;
inline constexpr std::uint32_t kMaxHeaderBytes = 10240;

struct WrittenHeader {
  ByteBuffer record;
  ByteBuffer sessionKey;  // 32 bytes
};

struct AcceptedHeader {
  ByteBuffer sessionKey;
  bool compressed = false;
  std::optional<std::uint64_t> plainSize;  // signed by the sender; none in older files
  // Version 1: the ContentDigest the sender signed, for the file's own once every chunk is
  // read; empty for version 0, whose signature covers no content.
  ByteBuffer contentDigest;
};

// The header's fields as stored, before anything is checked with a key.
struct FileHeaderFields {
  bool compressed = false;
  ByteBuffer encryptedKeyRecord;
  ByteBuffer signature;  // the "Signature" record
};

// Nothing unless the record is exactly this layout; why is then kOtherMethod for another
// method, kNotEncryptedFile for anything else.
std::optional<FileHeaderFields> ReadFileHeaderFields(const ByteBuffer& record, Finding& why);

// The record around a wrapped key and the sender's signature over it.
ByteBuffer FileHeaderRecord(bool compressed, const ByteBuffer& encryptedKeyRecord,
                            const ByteBuffer& signature);

// A fresh session key wrapped for the recipient, for a header that is signed only once the
// plain file's size is known (a source read from a stream).
struct FileHeaderDraft {
  ByteBuffer encryptedKeyRecord;
  ByteBuffer sessionKey;  // 32 bytes
};
std::optional<FileHeaderDraft> DraftFileHeader(RandomGenerator& generator, const ByteBuffer& recipientPublic);

// The header record around the draft's wrapped key, signed with the compressed flag and the
// plain file's size by senderPrivate; nothing when the key cannot sign.
std::optional<ByteBuffer> SignFileHeader(RandomGenerator& generator, const FileHeaderDraft& draft,
                                         bool compress, std::uint64_t plainSize,
                                         const ByteBuffer& senderPrivate);

// Wraps a fresh session key for recipientPublic and signs it, with the compressed flag and
// the plain file's size, with senderPrivate; nothing when either key does not work.
std::optional<WrittenHeader> WriteFileHeader(RandomGenerator& generator, bool compress,
                                             std::uint64_t plainSize, const ByteBuffer& senderPrivate,
                                             const ByteBuffer& recipientPublic);

// Checks the header and the sender's signature before the recipient's private key unwraps
// the session key. why: as ReadFileHeaderFields for the layout; kNotBySender for a signature
// that is not senderPublic's; kDamaged for a signed message that is not a HeaderBinding or a
// binding whose flag differs from the header's; kNotForThisKey for a key that does not unwrap.
std::optional<AcceptedHeader> ReadFileHeader(RandomGenerator* generator, const ByteBuffer& recipientPrivate,
                                             const ByteBuffer& senderPublic, const ByteBuffer& record,
                                             Finding& why);

}  // namespace qs
