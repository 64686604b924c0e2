#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "base/byte_buffer.h"
#include "base/wide_text.h"
#include "keys/data_fields.h"

namespace qs {

class RandomGenerator;

// The "Certification" record, the whole content of a ".certification" file (a field is a
// u32 length and its bytes):
//   field  tag "Certification"
//   u16    version, 0
//   field  keyId of the certification key pair that signed, 8 bytes
//   field  organisation of that key pair (text, 16-bit units high byte first)
//   field  "DataFields" record
//   field  signature over SHA-256("PublicKey" record || "DataFields" record), k bytes
//   field  fingerprint of the certified "PublicKey" record, 32 bytes
// Only the key and the data fields are signed; keyId selects the trusted key that checks
// the signature, and the organisation is replaced by the trusted key's own.
struct CertificationRecord {
  ByteBuffer keyId;
  ByteBuffer organisation;  // the text field's bytes, copied as they are
  ByteBuffer dataFields;
  ByteBuffer signature;
  ByteBuffer keyFingerprint;
};

ByteBuffer BuildCertification(const CertificationRecord& certification);
// Nothing unless the tag is "Certification", the version 0, every field complete, the data
// fields exactly their layout and no byte left over.
std::optional<CertificationRecord> ReadCertification(const ByteBuffer& record);

struct CertificationHeader {
  ByteBuffer keyId;
  WideText organisation;
};

// keyId and organisation of a "Certification" record of version 0.
std::optional<CertificationHeader> ReadCertificationHeader(const ByteBuffer& record);

// The digest a certification signs: one SHA-256 over the "PublicKey" record followed by the
// "DataFields" record.
ByteBuffer CertificationDigest(const ByteBuffer& publicKeyRecord, const ByteBuffer& dataFields);

// Certifies a "PublicKey" record with a "PrivateCertKey" record. Fails below a generator
// credit of 1024, for a public record of any other tag or with bytes after its blobs, a private record of
// another tag or version or key type, no fields or fields over their limits, or a key that does not sign.
std::optional<ByteBuffer> Certify(RandomGenerator& generator, const std::vector<DataField>& fields,
                                  const ByteBuffer& privateCertKeyRecord, const ByteBuffer& publicKeyRecord,
                                  std::uint32_t timestamp);

}  // namespace qs
