#include "keys/trusted_keys.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "platform/file.h"
#include "platform/folder_lock.h"
#include "platform/working_folder.h"

namespace qs {
namespace {

std::string ListPath(const std::string& workingFolder) {
  return platform::JoinPath(workingFolder, kTrustedKeysFileName);
}

// kOk, or notWritten with the cause.
KeyStatus WriteList(const std::string& workingFolder, const std::vector<ByteBuffer>& entries,
                    KeyOutcome notWritten) {
  KeyCause cause;
  if (!WriteKeyFile(ListPath(workingFolder), EncodeTrustedKeyList(entries), {}, platform::FileAccess::kUsual,
                    &cause))
    return {notWritten, std::move(cause)};
  return KeyOutcome::kOk;
}

// Another program's lock, or the lock file's own failure.
KeyStatus LockFailed(const platform::FolderLock& lock, const std::string& workingFolder,
                     KeyOutcome notWritten) {
  if (lock.busy()) return KeyOutcome::kFolderBusy;
  return {notWritten, FolderCause(workingFolder)};
}

bool IsPublicCertKey(const ByteBuffer& record) {
  ByteStream in(record);
  return ReadRecordHeader(in, tag::kPublicCertKey);
}

bool HasFingerprint(const ByteBuffer& entry, const std::string& fingerprint) {
  const std::optional<ByteBuffer> own = ComputeFingerprint(entry);
  return own && HexString(*own) == fingerprint;
}

// Where the key of a row stands in the list as it is now.
std::optional<std::size_t> PlaceOf(const std::vector<ByteBuffer>& entries, const TrustedKeyRow& row) {
  if (row.entry < entries.size() && HasFingerprint(entries[row.entry], row.fingerprint)) return row.entry;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (HasFingerprint(entries[i], row.fingerprint)) return i;
  }
  return std::nullopt;
}

}  // namespace

ByteBuffer EncodeTrustedKeyList(const std::vector<ByteBuffer>& entries) {
  ByteBuffer content;
  content.appendU16(static_cast<std::uint16_t>(entries.size()));
  for (const ByteBuffer& entry : entries) content.appendField(entry);
  return content;
}

std::vector<ByteBuffer> DecodeTrustedKeyList(const ByteBuffer& content) {
  ByteStream in(content);
  const std::uint16_t count = in.readU16();
  std::vector<ByteBuffer> entries;
  for (std::uint16_t i = 0; i < count && in.remaining() > 0; ++i) entries.push_back(in.readField());
  return entries;
}

std::optional<std::vector<ByteBuffer>> ReadTrustedKeyList(const std::string& workingFolder, KeyCause* cause) {
  const std::optional<ByteBuffer> content = ReadKeyFile(ListPath(workingFolder), cause);
  if (!content) return std::nullopt;
  return DecodeTrustedKeyList(*content);
}

std::vector<ByteBuffer> ReadTrustedKeys(const std::string& workingFolder) {
  return ReadTrustedKeyList(workingFolder).value_or(std::vector<ByteBuffer>{});
}

KeyStatus AddTrustedKey(const std::string& workingFolder, const ByteBuffer& publicCertKeyRecord) {
  const std::optional<CertKeyHeader> header = ReadCertKeyHeader(publicCertKeyRecord);
  if (!header || !IsPublicCertKey(publicCertKeyRecord)) return KeyOutcome::kCertKeyBadFormat;
  const platform::FolderLock lock(workingFolder);
  if (!lock.held()) return LockFailed(lock, workingFolder, KeyOutcome::kTrustedKeyNotSaved);
  // A list that exists but cannot be read is not replaced: writing only the new entry would
  // drop every key it holds.
  KeyCause unreadable;
  std::optional<std::vector<ByteBuffer>> list = ReadTrustedKeyList(workingFolder, &unreadable);
  if (!list && platform::FileExists(ListPath(workingFolder)))
    return {KeyOutcome::kTrustedKeyNotSaved, std::move(unreadable)};
  std::vector<ByteBuffer> entries = list.value_or(std::vector<ByteBuffer>{});
  // Only the very same key is a duplicate; another with its Key-ID goes beside it, after the
  // user was told (SharedKeyIdWarning), since certifications are tried with both.
  for (const ByteBuffer& entry : entries) {
    if (entry.equals(publicCertKeyRecord)) return KeyOutcome::kTrustedKeyDuplicate;
  }
  if (entries.size() >= kMaxTrustedKeys) return KeyOutcome::kTrustedKeyNotSaved;
  entries.push_back(publicCertKeyRecord);
  return WriteList(workingFolder, entries, KeyOutcome::kTrustedKeyNotSaved);
}

KeyStatus RemoveTrustedKey(const std::string& workingFolder, const TrustedKeyRow* row) {
  if (row == nullptr) return KeyOutcome::kNoTrustedKeySelected;
  const platform::FolderLock lock(workingFolder);
  if (!lock.held()) return LockFailed(lock, workingFolder, KeyOutcome::kTrustedListNotWritten);
  KeyCause cause;
  std::optional<std::vector<ByteBuffer>> entries = ReadTrustedKeyList(workingFolder, &cause);
  if (!entries) return {KeyOutcome::kTrustedListUnreadable, std::move(cause)};
  const std::optional<std::size_t> place = PlaceOf(*entries, *row);
  if (!place) return KeyOutcome::kOk;
  entries->erase(entries->begin() + static_cast<std::ptrdiff_t>(*place));
  return WriteList(workingFolder, *entries, KeyOutcome::kTrustedListNotWritten);
}

KeyResult<TrustedKeyCandidate> ReadTrustedKeyCandidate(const std::string& path) {
  KeyCause cause;
  std::optional<ByteBuffer> record = ReadKeyFile(path, &cause);
  if (!record) return Failed<TrustedKeyCandidate>(KeyOutcome::kKeyFileUnreadable, std::move(cause));
  std::optional<CertKeyHeader> header = ReadCertKeyHeader(*record);
  if (!header)
    return Failed<TrustedKeyCandidate>(KeyOutcome::kKeyUnreadable,
                                       FoundIn(path, KeyFinding::kNotPublicCertKey));
  std::optional<ByteBuffer> fingerprint = ComputeFingerprint(*record);
  if (!fingerprint) {
    return Failed<TrustedKeyCandidate>(KeyOutcome::kFingerprintUnreadable,
                                       FoundIn(path, KeyFinding::kNotPublicCertKey));
  }
  return {KeyOutcome::kOk,
          TrustedKeyCandidate{std::move(*record), std::move(*header), std::move(*fingerprint)}};
}

TrustedKeyListing ListTrustedKeys(const std::string& workingFolder) {
  TrustedKeyListing listing;
  const std::optional<std::vector<ByteBuffer>> entries = ReadTrustedKeyList(workingFolder);
  if (!entries) return listing;
  listing.readable = true;
  listing.canRemove = !entries->empty();
  for (std::size_t i = 0; i < entries->size(); ++i) {
    const std::optional<CertKeyHeader> header = ReadCertKeyHeader((*entries)[i]);
    const std::optional<ByteBuffer> fingerprint = ComputeFingerprint((*entries)[i]);
    if (!header || !fingerprint) {
      listing.unreadable.push_back(i);
      continue;
    }
    listing.rows.push_back(TrustedKeyRow{i, DisplayText(header->organisation), header->keyType,
                                         HexString(header->keyId), HexString(*fingerprint)});
  }
  return listing;
}

}  // namespace qs
