#pragma once
#include <cstdint>
#include <optional>

#include "base/byte_buffer.h"

namespace qs {

// The key-size code stored in key records: 0 = 2048, 1 = 3072, 2 = 4096 bits.
using KeyType = std::uint16_t;

// The modulus size of a key type, or nothing for any other value.
std::optional<std::uint32_t> KeyTypeBits(KeyType type);

// The content of a "PublicKey" or "PrivateKey" record: the two key types and the two blobs
// (public or private, see crypto/rsa_key.h) of the encryption key and the signing key.
struct KeyRecord {
  KeyType encryptionKeyType = 0;
  KeyType signingKeyType = 0;
  ByteBuffer encryptionKey;
  ByteBuffer signingKey;
};

// Layout (little-endian; a field is a u32 length and its bytes):
//   field  tag ("PublicKey" or "PrivateKey")
//   u16    version, 0
//   u16    encryptionKeyType
//   u16    signingKeyType
//   field  encryption key blob
//   field  signing key blob
ByteBuffer BuildKeyRecord(const char* tag, const KeyRecord& content);

// Nothing unless the record has exactly this tag and version 0. The blobs are not examined.
std::optional<KeyRecord> ReadKeyRecord(const ByteBuffer& record, const char* tag);

// Like ReadKeyRecord, but also nothing when a blob is cut short or bytes follow the second
// blob: for records whose bytes are signed next to others, where the boundary must be fixed.
std::optional<KeyRecord> ReadExactKeyRecord(const ByteBuffer& record, const char* tag);

// The "PublicKey" record of a "PrivateKey" record: the same key types, each private blob's
// modulus (its last k bytes) as the public blob, so exactly the record generation stored
// beside it. Nothing for another tag or version, a bad key type or a blob of the wrong size.
std::optional<ByteBuffer> PublicKeyRecordOf(const ByteBuffer& privateRecord);

}  // namespace qs
