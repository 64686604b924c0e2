#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_buffer.h"
#include "base/wide_text.h"
#include "crypto/key_records.h"
#include "keys/data_fields.h"

namespace qs {

// The "Certificate" record, the whole content of a ".certificate" file (a field is a u32
// length and its bytes):
//   field  tag "Certificate"
//   u16    version, 0
//   field  the owner's "PublicKey" record
//   u16    count (0 allowed)
//   count × (field keyId, field organisation, field "DataFields" record, field signature),
//           copied byte for byte from the certifications

// Fails when the public record is not exactly a "PublicKey" record, or any certification is not
// a well-formed "Certification" record or was made for another key (its fingerprint differs).
std::optional<ByteBuffer> CreateCertificate(const ByteBuffer& publicKeyRecord,
                                            const std::vector<ByteBuffer>& certifications);

struct CertificateEntry {
  ByteBuffer keyId;
  ByteBuffer organisation;  // the text field's bytes
  ByteBuffer dataFields;    // as stored: the signature covers these bytes
  DecodedDataFields decoded;
  ByteBuffer signature;
};

struct CertificateRecord {
  ByteBuffer publicKeyRecord;
  std::vector<CertificateEntry> certifications;
};

// The fields of a certificate, no signature checked. Nothing for a wrong tag or version, a
// key record or data fields not exactly their layout, a certification cut short, or bytes
// after the last certification.
std::optional<CertificateRecord> ReadCertificate(const ByteBuffer& certificate);

// The owner's "PublicKey" record; nothing unless the tag is "Certificate", the version 0 and
// the key record exactly its layout (the blobs are not examined).
std::optional<ByteBuffer> ExtractCertificateKey(const ByteBuffer& certificate);

struct TrustedKey {
  KeyType keyType = 0;
  ByteBuffer publicBlob;
  WideText organisation;
};

// Every entry of the trusted list (complete "PublicCertKey" records in file order) whose
// keyId has the same length and bytes, in file order, none when no entry has it. A Key-ID is
// whatever its key's creator chose, so another key may carry a trusted authority's. Nothing
// when any entry is not a "PublicCertKey" record of version 0, which fails the whole lookup.
std::optional<std::vector<TrustedKey>> FindTrustedKeys(const ByteBuffer& keyId,
                                                       const std::vector<ByteBuffer>& trusted);

enum class CertificationStatus : std::uint8_t { kNoTrustedKey = 0, kVerified = 1 };

// The outcome for one certification of a certificate.
struct CertificationResult {
  ByteBuffer keyId;
  WideText organisation;  // the trusted key's when one was found, else the certification's
  CertificationStatus status = CertificationStatus::kNoTrustedKey;
  std::uint32_t timestamp = 0;    // set when verified
  std::vector<DataField> fields;  // set when verified
};

using CertificationResults = std::vector<CertificationResult>;

// Checks every certification whose authority is trusted and lists them all in order; a
// certification is verified when one of the trusted keys with its Key-ID (tried in file
// order) verifies it, and carries that key's organisation. Fails for a wrong tag or version,
// a key record or data fields not exactly their layout, a certification cut short, bytes
// after the last one, a failed lookup, and any certification with a trusted Key-ID that none
// of those keys verifies (a key of a bad type verifies nothing): one forged certification
// makes the whole certificate unusable. Certifications of untrusted authorities are listed
// unchecked.
std::optional<CertificationResults> VerifyCertificate(const ByteBuffer& certificate,
                                                      const std::vector<ByteBuffer>& trusted);

}  // namespace qs
