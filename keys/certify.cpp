#include "keys/certify.h"

#include "base/record.h"
#include "keys/cert_keys.h"
#include "keys/certification.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "keys/safe_file_name.h"

namespace qs {

KeyResult<CertificationInputs> ReadCertificationInputs(const std::string& publicKeyPath,
                                                       const std::string& privateCertKeyPath,
                                                       const std::string& proofPath,
                                                       const std::vector<DataField>& fields,
                                                       PassphraseSource* source) {
  CertificationInputs inputs;
  KeyCause cause;
  std::optional<ByteBuffer> publicKey = ReadKeyFile(publicKeyPath, &cause);
  if (!publicKey) return Failed<CertificationInputs>(KeyOutcome::kPublicKeyFileUnreadable, std::move(cause));
  std::optional<ByteBuffer> privateCertKey = ReadKeyFile(privateCertKeyPath, &cause);
  if (!privateCertKey)
    return Failed<CertificationInputs>(KeyOutcome::kPrivateCertKeyUnreadable, std::move(cause));
  if (fields.empty()) return Failed<CertificationInputs>(KeyOutcome::kNoDataFields);
  std::optional<ByteBuffer> fingerprint = ComputeFingerprint(*publicKey);
  if (!fingerprint) {
    return Failed<CertificationInputs>(KeyOutcome::kPublicKeyNoFingerprint,
                                       FoundIn(publicKeyPath, KeyFinding::kNotPublicKey));
  }
  if (HasRecordTag(*publicKey, tag::kPublicKey)) {
    const std::optional<ByteBuffer> proof = ReadKeyFile(proofPath, &cause);
    if (!proof) return Failed<CertificationInputs>(KeyOutcome::kPossessionProofMissing, std::move(cause));
    if (!VerifyPossessionProof(*publicKey, *proof))
      return Failed<CertificationInputs>(KeyOutcome::kPossessionProofInvalid);
    inputs.possessionProven = true;
  }
  std::optional<ByteBuffer> opened = UnlockRecord(*privateCertKey, {}, privateCertKeyPath, source, cause);
  if (!opened) return Failed<CertificationInputs>(KeyOutcome::kPrivateCertKeyUnreadable, std::move(cause));
  inputs.publicKey = std::move(*publicKey);
  inputs.privateCertKey = std::move(*opened);
  inputs.fingerprint = std::move(*fingerprint);
  return {KeyOutcome::kOk, std::move(inputs)};
}

KeyResult<NewCertification> MakeCertification(RandomGenerator& generator, const CertificationInputs& inputs,
                                              const std::vector<DataField>& fields, std::uint32_t timestamp,
                                              const std::string& publicKeyPath) {
  if (!inputs.possessionProven) return Failed<NewCertification>(KeyOutcome::kCertificationNotCreated);
  std::optional<ByteBuffer> record =
      Certify(generator, fields, inputs.privateCertKey, inputs.publicKey, timestamp);
  if (!record) return Failed<NewCertification>(KeyOutcome::kCertificationNotCreated);
  const std::optional<CertKeyHeader> header = ReadCertKeyHeader(inputs.privateCertKey);
  if (!header) return Failed<NewCertification>(KeyOutcome::kCertificationHeaderUnreadable);
  NewCertification made;
  made.record = std::move(*record);
  made.suggestedName = SuggestedCertificationName(publicKeyPath, header->organisation, header->keyId);
  return {KeyOutcome::kOk, std::move(made)};
}

std::string SuggestedCertificationName(const std::string& publicKeyPath, const WideText& organisation,
                                       const ByteBuffer& keyId) {
  const std::size_t separator = publicKeyPath.find_last_of("\\/");
  std::string name = separator == std::string::npos ? publicKeyPath : publicKeyPath.substr(separator + 1);
  name = name.substr(0, name.find('.'));
  return SafeFileName(name + "_" + DisplayText(organisation) + "_" + HexString(keyId));
}

KeyStatus WriteCertification(const std::string& path, const ByteBuffer& record,
                             const std::string& publicKeyPath, const std::string& privateCertKeyPath) {
  KeyCause cause;
  if (!WriteKeyFile(path, record, {publicKeyPath, privateCertKeyPath}, platform::FileAccess::kUsual, &cause))
    return {KeyOutcome::kCertificationNotWritten, std::move(cause)};
  return KeyOutcome::kOk;
}

}  // namespace qs
