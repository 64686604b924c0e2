#include "keys/key_store.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "base/whole_file.h"
#include "crypto/rsa_key.h"
#include "crypto/sha256.h"
#include "keys/key_files.h"
#include "platform/folder_lock.h"
#include "platform/working_folder.h"

namespace qs {
namespace {

std::string KeyPairPath(const std::string& workingFolder) {
  return platform::JoinPath(workingFolder, kKeyPairFileName);
}

bool TagIs(const ByteBuffer& tagField, const char* tag) { return tagField.equals(ByteBuffer::fromText(tag)); }

// A private blob ends with the k-byte modulus, after five values of k/2 bytes.
bool SameModulus(KeyType type, const ByteBuffer& privateBlob, const ByteBuffer& publicBlob) {
  const std::optional<std::uint32_t> bits = KeyTypeBits(type);
  if (!bits) return false;
  const std::uint32_t k = ModulusBytes(*bits);
  const std::uint32_t privateLength = k / 2 * 7;
  if (privateBlob.length() != privateLength || publicBlob.length() != k) return false;
  return privateBlob.slice(k, privateLength - k).equals(publicBlob);
}

}  // namespace

ByteBuffer EncodeStoredKeyPair(const StoredKeyPair& pair) {
  ByteBuffer content;
  content.appendField(pair.privateRecord);
  content.appendField(pair.publicRecord);
  content.appendField(pair.keyName.bytes());
  return content;
}

StoredKeyPair DecodeStoredKeyPair(const ByteBuffer& content) {
  ByteStream in(content);
  StoredKeyPair pair;
  pair.privateRecord = in.readField();
  pair.publicRecord = in.readField();
  pair.keyName = TextString(in.readField());
  return pair;
}

namespace {

// What a locked private record is bound to: the bytes after the first field.
ByteBuffer BoundBytes(const StoredKeyPair& pair) {
  ByteBuffer bound;
  bound.appendField(pair.publicRecord);
  bound.appendField(pair.keyName.bytes());
  return bound;
}

ByteBuffer BoundBytes(const ByteBuffer& content) {
  ByteStream in(content);
  in.skipField();
  return content.slice(in.remaining(), in.cursor);
}

}  // namespace

std::optional<ByteBuffer> EncodeLockedKeyPair(const StoredKeyPair& pair, const KeyLocking& locking) {
  const ByteBuffer bound = BoundBytes(pair);
  std::optional<ByteBuffer> locked = LockKeyRecord(pair.privateRecord, bound, locking);
  if (!locked) return std::nullopt;
  ByteBuffer content;
  content.appendField(*locked);
  content.append(bound);
  return content;
}

std::optional<StoredKeyPair> UnlockKeyPair(const ByteBuffer& content, const std::string& file,
                                           PassphraseSource* source, KeyCause& cause) {
  StoredKeyPair pair = DecodeStoredKeyPair(content);
  if (!IsLockedKey(pair.privateRecord)) return pair;
  std::optional<ByteBuffer> plain =
      UnlockRecord(pair.privateRecord, BoundBytes(content), file, source, cause);
  if (!plain) return std::nullopt;
  pair.privateRecord = std::move(*plain);
  // What a plain file holds is examined by its reader; a lock must at least hold a private key.
  if (!HasRecordTag(pair.privateRecord, tag::kPrivateKey)) {
    cause = FoundIn(file, KeyFinding::kNotKeyPair);
    return std::nullopt;
  }
  return pair;
}

KeyLock KeyPairLock(const ByteBuffer& content) { return LockOf(DecodeStoredKeyPair(content).privateRecord); }

bool HoldsKeyPair(const StoredKeyPair& pair) {
  const std::optional<KeyRecord> secret = ReadKeyRecord(pair.privateRecord, tag::kPrivateKey);
  const std::optional<KeyRecord> known = ReadKeyRecord(pair.publicRecord, tag::kPublicKey);
  if (!secret || !known) return false;
  if (secret->encryptionKeyType != known->encryptionKeyType ||
      secret->signingKeyType != known->signingKeyType) {
    return false;
  }
  return SameModulus(known->encryptionKeyType, secret->encryptionKey, known->encryptionKey) &&
         SameModulus(known->signingKeyType, secret->signingKey, known->signingKey);
}

std::optional<StoredKeyPair> ReadStoredKeyPair(const std::string& workingFolder, KeyCause* cause) {
  const std::optional<ByteBuffer> content = ReadKeyFile(KeyPairPath(workingFolder), cause);
  if (!content) return std::nullopt;
  return DecodeStoredKeyPair(*content);
}

std::optional<StoredKeyPair> OpenStoredKeyPair(const std::string& workingFolder, PassphraseSource* source,
                                               KeyCause& cause) {
  const std::optional<ByteBuffer> content = ReadKeyFile(KeyPairPath(workingFolder), &cause);
  if (!content) return std::nullopt;
  return UnlockKeyPair(*content, KeyPairPath(workingFolder), source, cause);
}

KeyStatus WriteStoredKeyPair(const std::string& workingFolder, const StoredKeyPair& pair,
                             platform::Overwrite overwrite, const KeyLocking& locking) {
  const std::optional<ByteBuffer> content = EncodeLockedKeyPair(pair, locking);
  if (!content) return KeyOutcome::kNewKeyPairNotSaved;
  return StoreKeyPairContent(workingFolder, *content, overwrite, {}, KeyOutcome::kNewKeyPairNotSaved);
}

KeyStatus RelockStoredKeyPair(const std::string& workingFolder, PassphraseSource* source,
                              const KeyLocking& locking) {
  KeyCause cause;
  const std::optional<ByteBuffer> content = ReadKeyFile(KeyPairPath(workingFolder), &cause);
  if (!content) return {KeyOutcome::kKeysUnavailable, std::move(cause)};
  const std::optional<StoredKeyPair> pair =
      UnlockKeyPair(*content, KeyPairPath(workingFolder), source, cause);
  if (!pair) return {KeyOutcome::kKeysUnavailable, std::move(cause)};
  if (!HoldsKeyPair(*pair))
    return {KeyOutcome::kKeysUnavailable, FoundIn(KeyPairPath(workingFolder), KeyFinding::kNotKeyPair)};
  const std::optional<ByteBuffer> relocked = EncodeLockedKeyPair(*pair, locking);
  if (!relocked) return KeyOutcome::kKeyPairNotSaved;
  return StoreKeyPairContent(workingFolder, *relocked, platform::Overwrite::kReplace, {},
                             KeyOutcome::kKeyPairNotSaved, &*content);
}

KeyStatus StoreKeyPairContent(const std::string& workingFolder, const ByteBuffer& content,
                              platform::Overwrite overwrite, const std::vector<std::string>& sources,
                              KeyOutcome notSaved, const ByteBuffer* replacing) {
  const platform::FolderLock lock(workingFolder);
  if (!lock.held())
    return lock.busy() ? KeyStatus(KeyOutcome::kFolderBusy) : KeyStatus(notSaved, FolderCause(workingFolder));
  // Readable, as for the question before replacing: what --force and that question are about.
  if (overwrite == platform::Overwrite::kNever && KeyPairStored(workingFolder))
    return KeyOutcome::kKeyPairExists;
  if (replacing) {
    const std::optional<ByteBuffer> now = ReadKeyFile(KeyPairPath(workingFolder));
    if (!now || !now->equals(*replacing)) return KeyOutcome::kKeyPairExists;
  }
  KeyCause cause;
  if (!WriteKeyFile(KeyPairPath(workingFolder), content, sources, platform::FileAccess::kOwnerOnly, &cause))
    return {notSaved, std::move(cause)};
  return KeyOutcome::kOk;
}

bool KeyPairStored(const std::string& workingFolder) {
  ByteStream stream;
  return ReadWholeFile(stream, KeyPairPath(workingFolder));
}

std::optional<ByteBuffer> ComputeFingerprint(const ByteBuffer& record) {
  ByteStream in(record);
  const ByteBuffer tagField = in.readField();
  if (!TagIs(tagField, tag::kPublicKey) && !TagIs(tagField, tag::kPublicCertKey)) return std::nullopt;
  return Sha256(record.span());
}

std::optional<KeyTypes> ReadKeyTypes(const ByteBuffer& record) {
  ByteStream in(record);
  const ByteBuffer tagField = in.readField();
  if (!TagIs(tagField, tag::kPublicKey) && !TagIs(tagField, tag::kPrivateKey)) return std::nullopt;
  if (in.readU16() != kRecordVersion) return std::nullopt;
  KeyTypes types;
  types.encryption = in.readU16();
  types.signing = in.readU16();
  return types;
}

std::optional<std::string> KnownKeyTypeName(KeyType type) {
  const std::optional<std::uint32_t> bits = KeyTypeBits(type);
  if (!bits) return std::nullopt;
  return "RSA " + std::to_string(*bits) + "bit";
}

}  // namespace qs
