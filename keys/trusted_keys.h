#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "keys/cert_keys.h"
#include "keys/key_result.h"

namespace qs {

// The certification keys this installation trusts, in the working folder.
inline constexpr char kTrustedKeysFileName[] = "cert_key_list.bin";
// The count is a u16.
inline constexpr std::size_t kMaxTrustedKeys = 0xFFFF;

// Content of cert_key_list.bin, inside the whole-file container:
//   u16    count
//   count × field, each a complete "PublicCertKey" record as it was added
// Entries keep the order they were added in. Every change rewrites the file whole.
ByteBuffer EncodeTrustedKeyList(const std::vector<ByteBuffer>& entries);
// Entries that a damaged count claims but that lie wholly past the end are not invented.
std::vector<ByteBuffer> DecodeTrustedKeyList(const ByteBuffer& content);

// The entries; nothing when the file is missing or unreadable.
std::optional<std::vector<ByteBuffer>> ReadTrustedKeyList(const std::string& workingFolder,
                                                          KeyCause* cause = nullptr);
// The entries for checking a certificate; a missing or unreadable file is an empty list.
std::vector<ByteBuffer> ReadTrustedKeys(const std::string& workingFolder);

// Both changes read, change and write the list holding the working folder's lock, so that
// two programs changing it at once never lose each other's change; kFolderBusy when another
// keeps the lock through the whole wait.

// Appends a "PublicCertKey" record: kCertKeyBadFormat for any other record (a private
// certification key never enters the list), kTrustedKeyDuplicate when the same key (record)
// is in the list already, kTrustedKeyNotSaved when the list is full (65535), exists but cannot
// be read, or cannot be written. A key whose Key-ID another trusted key has is added beside
// it: Key-IDs are chosen by their creators, so a fake authority may have taken the real one's
// first, and refusing the real key would leave only the fake one trusted.
KeyStatus AddTrustedKey(const std::string& workingFolder, const ByteBuffer& publicCertKeyRecord);

struct TrustedKeyRow;

// Removes the entry a row of an earlier listing stands for: the one at its place in the file
// (TrustedKeyRow::entry) when that is still the key with the row's fingerprint, else the
// entry with that fingerprint, wherever another program's change has moved it; none left is
// kOk, as the key is gone. kNoTrustedKeySelected without a row, kTrustedListUnreadable,
// kTrustedListNotWritten. An empty list changes nothing and is kOk.
KeyStatus RemoveTrustedKey(const std::string& workingFolder, const TrustedKeyRow* row);

// A ".public_cert_key" file offered as a trusted key, with what its confirmation shows.
struct TrustedKeyCandidate {
  ByteBuffer record;
  CertKeyHeader header;
  ByteBuffer fingerprint;
};

// kKeyFileUnreadable, kKeyUnreadable (no certification key header), kFingerprintUnreadable
// (what a ".private_cert_key" file gives).
KeyResult<TrustedKeyCandidate> ReadTrustedKeyCandidate(const std::string& path);

// One row of the trusted-keys list, UTF-8, tied to its place in the file.
struct TrustedKeyRow {
  std::size_t entry = 0;
  std::string organisation;
  KeyType keyType = 0;  // shown by its name (KeyTypeName)
  std::string keyId;
  std::string fingerprint;
};

struct TrustedKeyListing {
  bool readable = false;                // false: the list is shown empty
  std::vector<TrustedKeyRow> rows;      // the readable entries, in file order
  std::vector<std::size_t> unreadable;  // places of entries without a row: one
                                        // kStoredTrustedKeyUnreadable message each
  bool canRemove = false;               // the file holds at least one entry
};

TrustedKeyListing ListTrustedKeys(const std::string& workingFolder);

}  // namespace qs
