#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "base/text_string.h"
#include "crypto/key_records.h"
#include "keys/key_result.h"
#include "platform/file.h"

namespace qs {

// The user's key pair in the working folder.
inline constexpr char kKeyPairFileName[] = "priv_key.bin";

// The content of priv_key.bin (and of a ".key_backup" file), inside the whole-file
// container. Layout (a field is a u32 length and its bytes):
//   field  "PrivateKey" record
//   field  "PublicKey" record of the same key pair
//   field  keyName: its Windows-1252 bytes and one zero byte
struct StoredKeyPair {
  ByteBuffer privateRecord;
  ByteBuffer publicRecord;
  TextString keyName;
};

ByteBuffer EncodeStoredKeyPair(const StoredKeyPair& pair);
// Reads the three fields without examining them; short content gives empty fields.
StoredKeyPair DecodeStoredKeyPair(const ByteBuffer& content);

// True only for a "PrivateKey" and a "PublicKey" record of version 0 with the same key
// types, blobs of the sizes those types give, and for both keys the modulus inside the
// private blob equal to the public blob. The key name is not examined.
bool HoldsKeyPair(const StoredKeyPair& pair);

// priv_key.bin of the working folder; nothing when it is missing or unreadable, with cause,
// when given, saying why (ReadKeyFile). The key pair is never cached: every operation that
// needs it reads the file again.
std::optional<StoredKeyPair> ReadStoredKeyPair(const std::string& workingFolder, KeyCause* cause = nullptr);

// Writes a new key pair to priv_key.bin, atomically and holding the working folder's lock,
// so that whether a stored key pair may be replaced is decided against what is stored then:
// with Overwrite::kNever a readable priv_key.bin gives kKeyPairExists. kFolderBusy when
// another program keeps the lock, kNewKeyPairNotSaved when the file cannot be written, with
// its cause. An older file stays as it was on every failure.
KeyStatus WriteStoredKeyPair(const std::string& workingFolder, const StoredKeyPair& pair,
                             platform::Overwrite overwrite = platform::Overwrite::kReplace);

// priv_key.bin's content replaced as WriteStoredKeyPair replaces it; refused, with notSaved
// like a failed write, when priv_key.bin is one of sources.
KeyStatus StoreKeyPairContent(const std::string& workingFolder, const ByteBuffer& content,
                              platform::Overwrite overwrite, const std::vector<std::string>& sources,
                              KeyOutcome notSaved);

// Whether priv_key.bin can be read (empty content counts): the test behind the question
// before a key pair is replaced (key_text::kOverwriteKeyPairQuestion).
bool KeyPairStored(const std::string& workingFolder);

// The 32-byte digest of a complete "PublicKey" or "PublicCertKey" record, tag and all;
// nothing for a record with any other tag. Only the tag is examined.
std::optional<ByteBuffer> ComputeFingerprint(const ByteBuffer& record);

struct KeyTypes {
  KeyType encryption = 0;
  KeyType signing = 0;
};

// The two key types of a "PublicKey" or "PrivateKey" record of version 0.
std::optional<KeyTypes> ReadKeyTypes(const ByteBuffer& record);

// "RSA 2048bit", "RSA 3072bit" or "RSA 4096bit"; nothing for any other value.
std::optional<std::string> KnownKeyTypeName(KeyType type);

}  // namespace qs
