#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "base/wide_text.h"
#include "keys/data_fields.h"
#include "keys/key_result.h"
#include "keys/key_unlock.h"

namespace qs {

class RandomGenerator;

// Certifying a user's ".public_key" file with a ".private_cert_key" file, in the steps a
// front end runs around its own questions: read the inputs and check the key owner's proof of
// possession (keys/possession_proof.h), show the fingerprint and the timestamp for
// confirmation, make the certification, choose a file, write it.

struct CertificationInputs {
  ByteBuffer publicKey;       // the ".public_key" file's content
  ByteBuffer privateCertKey;  // the ".private_cert_key" file's record, its lock opened
  ByteBuffer fingerprint;     // of publicKey, for the confirmation
  bool possessionProven = false;
};

// Reads both files, fingerprints the public key and, for a "PublicKey" record, checks the
// proof at proofPath: kPublicKeyFileUnreadable, kPrivateCertKeyUnreadable, kNoDataFields
// (checked after both reads), kPublicKeyNoFingerprint, kPossessionProofMissing when the proof
// cannot be read, kPossessionProofInvalid when it is not that record's own. Another kind of
// record has no signing key to prove, and is refused by MakeCertification. A locked private
// certification key is opened last, once everything else holds, asking source where it
// needs a passphrase: kPrivateCertKeyUnreadable with its cause when it does not open.
KeyResult<CertificationInputs> ReadCertificationInputs(const std::string& publicKeyPath,
                                                       const std::string& privateCertKeyPath,
                                                       const std::string& proofPath,
                                                       const std::vector<DataField>& fields,
                                                       PassphraseSource* source = nullptr);

struct NewCertification {
  ByteBuffer record;  // "Certification"
  std::string suggestedName;
};

// Certifies with the timestamp that was shown: kCertificationNotCreated when no proof of
// possession was checked or Certify fails, kCertificationHeaderUnreadable when the
// certification key's header cannot be read.
KeyResult<NewCertification> MakeCertification(RandomGenerator& generator, const CertificationInputs& inputs,
                                              const std::vector<DataField>& fields, std::uint32_t timestamp,
                                              const std::string& publicKeyPath);

// The public key file's name (after the last separator, cut before its first dot), "_",
// the organisation, "_", the keyId in hex, every space an underscore: C:\keys\user
// key.public_key, Test Org and 0123456789ABCDEF give user_key_Test_Org_0123456789ABCDEF.
std::string SuggestedCertificationName(const std::string& publicKeyPath, const WideText& organisation,
                                       const ByteBuffer& keyId);

// kCertificationNotWritten when the file cannot be written or names one of the two inputs.
KeyStatus WriteCertification(const std::string& path, const ByteBuffer& record,
                             const std::string& publicKeyPath, const std::string& privateCertKeyPath);

}  // namespace qs
