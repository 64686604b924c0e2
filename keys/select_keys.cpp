#include "keys/select_keys.h"

#include "keys/approval.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/trusted_keys.h"

namespace qs {

KeyResult<PeerCertificate> CheckPeerCertificate(const std::string& certificatePath,
                                                const std::string& workingFolder) {
  const auto unavailable = [](KeyCause cause) {
    return Failed<PeerCertificate>(KeyOutcome::kKeysUnavailable, std::move(cause));
  };
  KeyCause cause;
  const std::optional<ByteBuffer> certificate = ReadKeyFile(certificatePath, &cause);
  if (!certificate) return unavailable(std::move(cause));
  std::optional<ByteBuffer> publicRecord = ExtractCertificateKey(*certificate);
  if (!publicRecord)
    return unavailable(WrongKindIn(certificatePath, *certificate, KeyFinding::kNotCertificate));
  std::optional<ByteBuffer> fingerprint = ComputeFingerprint(*publicRecord);
  if (!fingerprint) return unavailable(FoundIn(certificatePath, KeyFinding::kNotCertificate));
  if (!ReadCertificate(*certificate)) return unavailable({FileCause{certificatePath, Finding::kDamaged}});
  const std::vector<ByteBuffer> trusted = ReadTrustedKeys(workingFolder);
  std::optional<CertificationResults> results = VerifyCertificate(*certificate, trusted);
  if (!results) return unavailable(FoundIn(certificatePath, KeyFinding::kUntrustedCertification));
  PeerCertificate peer;
  peer.publicRecord = std::move(*publicRecord);
  peer.fingerprint = std::move(*fingerprint);
  OrderForApproval(*results);
  peer.results = std::move(*results);
  return {KeyOutcome::kOk, std::move(peer)};
}

KeyResult<OwnKeys> ReadOwnKeys(const std::string& workingFolder, PassphraseSource* source) {
  KeyCause cause;
  std::optional<StoredKeyPair> pair = OpenStoredKeyPair(workingFolder, source, cause);
  if (!pair) return Failed<OwnKeys>(KeyOutcome::kKeysUnavailable, std::move(cause));
  return {KeyOutcome::kOk, OwnKeys{std::move(pair->privateRecord), std::move(pair->keyName)}};
}

}  // namespace qs
