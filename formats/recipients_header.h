#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/byte_buffer.h"
#include "crypto/sha256.h"
#include "formats/encrypted_file_header.h"
#include "formats/file_result.h"

namespace qs {

class RandomGenerator;

// Version 1 of the header record, written only for a file with more than one recipient (a
// file for one recipient keeps version 0, which every reader of the format knows; a reader of
// version 0 alone refuses this one at its version check):
//
//   field  tag "EncryptedFile"
//   u16    version 1
//   u8     reserved 0
//   u8     compressed: 1 when every chunk was compressed before sealing
//   u8     method 2
//   u64    size of the plain file
//   u16    n, the number of recipients: 2 to 64
//   n ×    field  "EncryptedKey" record: a fresh RSA-KEM key for one recipient
//          field  the file key (32 bytes) sealed under that key: 96 bytes, so that a reader
//                 tells the wrap made for its own key from the others by the seal alone
//   field  content digest, 32 bytes: SHA-256 over the MAC of every sealed chunk in order,
//          then the sealed table's (ContentDigest)
//   field  "Signature" record, label "EncryptedFileRecipients", by the sender over every
//          byte of the record before this field, with the time of encryption and no message
//
// The chunk table and the chunks are version 0's, sealed under the file key, and the table's
// IV binds the sender as in version 0 (crypto/sender_binding.h). No wrap names its recipient:
// who else can read the file is not told by it. The digest and the signature are reserved as
// zeros when the header is written and filled in after the last chunk, as the table is; since
// the signature covers the MACs of the content, not even a recipient, who holds the file key,
// can make a file "from" the sender.
inline constexpr std::uint16_t kRecipientsHeaderVersion = 1;
inline constexpr std::size_t kMinRecipients = 2;
inline constexpr std::size_t kMaxRecipients = 64;
inline constexpr char kEncryptedFileRecipientsLabel[] = "EncryptedFileRecipients";
// 64 wraps for 4096-bit keys (about 41 KiB) and a 4096-bit signature fit with room.
inline constexpr std::uint32_t kMaxRecipientsHeaderBytes = 65536;

// A version-1 header with its digest and signature still zeros, and the file key it wraps.
struct RecipientsHeaderDraft {
  ByteBuffer record;
  ByteBuffer fileKey;            // 32 bytes
  std::uint32_t tailOffset = 0;  // where in the record the digest field begins
  std::uint32_t plainSizeOffset = 0;
};

// Puts the plain file's size into the draft, for a source whose size is known only at its end;
// before it is signed.
void SetDraftPlainSize(RecipientsHeaderDraft& draft, std::uint64_t plainSize);

// Wraps one fresh file key for each recipient ("PublicKey" records, 2 to 64, no two the
// same) and reserves room for the signature of senderPrivate's signing key. Nothing for a
// count out of range, a record given twice, a key that does not wrap or a generator credit
// below 1024.
std::optional<RecipientsHeaderDraft> DraftRecipientsHeader(RandomGenerator& generator, bool compressed,
                                                           std::uint64_t plainSize,
                                                           std::span<const ByteBuffer> recipients,
                                                           const ByteBuffer& senderPrivate);

// The bytes that replace the draft's tail from tailOffset on: the content digest field and the
// sender's signature over everything before the signature field, exactly as long as the room
// reserved. Nothing when signing fails.
std::optional<ByteBuffer> SignRecipientsHeader(RandomGenerator& generator, const RecipientsHeaderDraft& draft,
                                               std::span<const std::uint8_t> contentDigest,
                                               const ByteBuffer& senderPrivate, std::uint32_t timestamp);

// The record's fields as stored, before anything is checked with a key; the count is checked
// before anything is allocated for the wraps.
struct RecipientsHeaderFields {
  bool compressed = false;
  std::uint64_t plainSize = 0;
  std::uint32_t recipients = 0;
  std::vector<ByteBuffer> encryptedKeys;  // one "EncryptedKey" record per recipient
  std::vector<ByteBuffer> sealedFileKeys;
  ByteBuffer contentDigest;
  std::uint32_t signedBytes = 0;  // of the record, up to the signature field
  ByteBuffer signature;           // the "Signature" record
};

// Nothing unless the record is exactly this layout; why is then kOtherMethod for another
// method, kNotEncryptedFile for anything else.
std::optional<RecipientsHeaderFields> ReadRecipientsHeaderFields(const ByteBuffer& record, Finding& why);

// Checks the layout and the sender's signature before ownPrivate's key opens the one wrap
// sealed for it. why: as ReadRecipientsHeaderFields for the layout; kNotBySender for a
// signature that is not senderPublic's or carries a message; kNotForThisKey when no wrap is
// for this key. The accepted header's contentDigest is to be compared with the file's.
std::optional<AcceptedHeader> ReadRecipientsHeader(RandomGenerator* generator, const ByteBuffer& ownPrivate,
                                                   const ByteBuffer& senderPublic, const ByteBuffer& record,
                                                   Finding& why);

// The version of a header record: 0 or 1 for the two layouts; nothing when the record does
// not begin with the "EncryptedFile" tag.
std::optional<std::uint16_t> HeaderVersion(const ByteBuffer& record);

}  // namespace qs
