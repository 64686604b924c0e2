#pragma once
#include <optional>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "base/text_string.h"
#include "crypto/key_records.h"
#include "keys/key_result.h"
#include "keys/key_unlock.h"
#include "keys/locked_key.h"
#include "platform/file.h"

namespace qs {

// The user's key pair in the working folder.
inline constexpr char kKeyPairFileName[] = "priv_key.bin";

// The content of priv_key.bin (and of a ".key_backup" file), inside the whole-file
// container. Layout (a field is a u32 length and its bytes):
//   field  "PrivateKey" record
//   field  "PublicKey" record of the same key pair
//   field  keyName: its Windows-1252 bytes and one zero byte
// A locked key pair has a "LockedKey" record (keys/locked_key.h) in place of the
// "PrivateKey" one, bound to the two fields after it, which stay readable: the public key
// and the name can be shown and exported without opening the lock.
struct StoredKeyPair {
  ByteBuffer privateRecord;
  ByteBuffer publicRecord;
  TextString keyName;
};

ByteBuffer EncodeStoredKeyPair(const StoredKeyPair& pair);
// Reads the three fields without examining them; short content gives empty fields.
StoredKeyPair DecodeStoredKeyPair(const ByteBuffer& content);

// The content with the private record locked; nothing when locking fails. kNone gives
// EncodeStoredKeyPair's bytes.
std::optional<ByteBuffer> EncodeLockedKeyPair(const StoredKeyPair& pair, const KeyLocking& locking);

// The key pair that content holds with its private record opened (asking source for a
// passphrase where it is locked with one). A plain content is decoded as it stands, for its
// reader to examine as before; a locked one must open to a "PrivateKey" record. Nothing,
// with cause on file, otherwise.
std::optional<StoredKeyPair> UnlockKeyPair(const ByteBuffer& content, const std::string& file,
                                           PassphraseSource* source, KeyCause& cause);

// The lock of a key pair's private record (LockOf): kNone for a plain pair.
KeyLock KeyPairLock(const ByteBuffer& content);

// True only for a "PrivateKey" and a "PublicKey" record of version 0 with the same key
// types, blobs of the sizes those types give, and for both keys the modulus inside the
// private blob equal to the public blob. The key name is not examined.
bool HoldsKeyPair(const StoredKeyPair& pair);

// priv_key.bin of the working folder; nothing when it is missing or unreadable, with cause,
// when given, saying why (ReadKeyFile). The key pair is never cached: every operation that
// needs it reads the file again.
// The private record is returned as stored, locked or not.
std::optional<StoredKeyPair> ReadStoredKeyPair(const std::string& workingFolder, KeyCause* cause = nullptr);

// priv_key.bin read and opened as UnlockKeyPair opens it.
std::optional<StoredKeyPair> OpenStoredKeyPair(const std::string& workingFolder, PassphraseSource* source,
                                               KeyCause& cause);

// Writes a new key pair to priv_key.bin, atomically and holding the working folder's lock,
// so that whether a stored key pair may be replaced is decided against what is stored then:
// with Overwrite::kNever a readable priv_key.bin gives kKeyPairExists. kFolderBusy when
// another program keeps the lock, kNewKeyPairNotSaved when the file cannot be written, with
// its cause, also when the pair cannot be locked. An older file stays as it was on every
// failure.
KeyStatus WriteStoredKeyPair(const std::string& workingFolder, const StoredKeyPair& pair,
                             platform::Overwrite overwrite = platform::Overwrite::kReplace,
                             const KeyLocking& locking = DefaultLocking());

// priv_key.bin opened and written again under another lock (kNone: plain). kKeysUnavailable
// with its cause when it cannot be opened; kKeyPairExists when priv_key.bin changed since
// it was read; otherwise as WriteStoredKeyPair.
KeyStatus RelockStoredKeyPair(const std::string& workingFolder, PassphraseSource* source,
                              const KeyLocking& locking);

// priv_key.bin's content replaced as WriteStoredKeyPair replaces it; refused, with notSaved
// like a failed write, when priv_key.bin is one of sources, and with kKeyPairExists when
// replacing is given and priv_key.bin no longer holds exactly those bytes.
KeyStatus StoreKeyPairContent(const std::string& workingFolder, const ByteBuffer& content,
                              platform::Overwrite overwrite, const std::vector<std::string>& sources,
                              KeyOutcome notSaved, const ByteBuffer* replacing = nullptr);

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
