#pragma once
#include <optional>

#include "base/byte_buffer.h"

namespace qs {

class RandomGenerator;

// The public-key operations on the records of a key pair (see crypto/key_records.h). Each
// fails (nothing, empty or false) when a record's tag or version is wrong, a key type is not
// 0, 1 or 2, a blob does not load, or the operation itself fails. Keys loaded here are wiped
// before the call returns.

struct WrappedKey {
  ByteBuffer key;                 // K: 32 bytes
  ByteBuffer encryptedKeyRecord;  // "EncryptedKey" record carrying C
};

// RSA-KEM for the recipient's encryption key. Needs a generator credit of at least 1024.
//
// "EncryptedKey" record layout (little-endian; a field is a u32 length and its bytes):
//   field  tag "EncryptedKey"
//   u16    version, 0
//   field  C, k bytes
std::optional<WrappedKey> WrapKey(RandomGenerator& generator, const ByteBuffer& recipientPublicRecord);

// C of an "EncryptedKey" record; nothing for another tag or version or C cut short.
std::optional<ByteBuffer> ReadEncryptedKey(const ByteBuffer& encryptedKeyRecord);

// K from an "EncryptedKey" record with the own encryption key; empty on any failure.
ByteBuffer UnwrapKey(const ByteBuffer& ownPrivateRecord, const ByteBuffer& encryptedKeyRecord);

// The signature of a 32-byte digest with the own signing key. Needs a generator credit of at
// least 1024, although signing itself draws nothing.
ByteBuffer SignDigest(RandomGenerator& generator, const ByteBuffer& ownPrivateRecord,
                      const ByteBuffer& digest);

// Checks a signature with the sender's signing key.
bool VerifyDigest(const ByteBuffer& senderPublicRecord, const ByteBuffer& digest,
                  const ByteBuffer& signature);

// Whether the two records of one key pair hold keys that work: for both keys p·q = n, a key
// wrapped for the public record unwraps with the private one, and a signature made with the
// private record verifies with the public one (each private operation checked as always).
// One bit flipped in p, q, dP, dQ or qInv, or a modulus that belongs to another key, fails.
// The wrap draws from a generator of fixed seed: nothing secret comes of it.
bool KeyPairWorks(const ByteBuffer& privateRecord, const ByteBuffer& publicRecord);

}  // namespace qs
