#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "base/wide_text.h"
#include "crypto/key_records.h"
#include "keys/key_result.h"
#include "keys/locked_key.h"

namespace qs {

class RandomGenerator;

inline constexpr std::uint32_t kKeyIdBytes = 8;

// The first fields of a certification key record. Layout of "PrivateCertKey" (a
// ".private_cert_key" file) and "PublicCertKey" (a ".public_cert_key" file and each trusted
// entry); a field is a u32 length and its bytes, text is 16-bit units, high byte first:
//   field  tag "PrivateCertKey" or "PublicCertKey"
//   u16    version, 0
//   u16    keyType
//   field  keyId, 8 bytes
//   field  organisation (text)
//   field  private or public blob of the signing key (see crypto/rsa_key.h)
struct CertKeyHeader {
  KeyType keyType = 0;
  ByteBuffer keyId;
  WideText organisation;
};

ByteBuffer BuildCertKeyRecord(const char* tag, const CertKeyHeader& header, const ByteBuffer& keyBlob);

// The header of either record of version 0 (the public tag is tried first); the blob is not
// touched.
std::optional<CertKeyHeader> ReadCertKeyHeader(const ByteBuffer& record);

struct CertKeyPairRecords {
  ByteBuffer publicRecord;   // "PublicCertKey"
  ByteBuffer privateRecord;  // "PrivateCertKey"
};

// One new signing key of the type's size and 8 generator bytes as its keyId. Fails below a
// credit of 1024, for a type other than 0, 1 and 2, when generation fails or the hook
// cancels, or when the generator refuses the keyId.
std::optional<CertKeyPairRecords> CreateCertificationKeyPair(RandomGenerator& generator,
                                                             const WideText& organisation, KeyType keyType,
                                                             ProgressHook* hook);

// The suggested name of both files of a certification key pair: the organisation, "_" and
// the keyId in hex, e.g. Test_Org_0123456789ABCDEF. Reads the keyId back from the record;
// kNewCertKeysUnreadable when it cannot.
KeyResult<std::string> SuggestedCertKeyName(const ByteBuffer& publicCertKeyRecord);

// Writes the private record, locked as locking says (a "LockedKey" record in its place),
// then the public one. A private file stays when the public one fails; the public file is
// refused when it names the private file. kPrivateCertKeyNotWritten also when locking fails.
KeyStatus SaveCertificationKeyPair(const CertKeyPairRecords& records, const std::string& privatePath,
                                   const std::string& publicPath,
                                   const KeyLocking& locking = DefaultLocking());

}  // namespace qs
