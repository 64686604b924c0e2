#include "keys/select_keys.h"

#include "keys/approval.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/trusted_keys.h"

namespace qs {

std::optional<PeerCertificate> CheckPeerCertificate(const std::string& certificatePath,
                                                    const std::string& workingFolder) {
  const std::optional<ByteBuffer> certificate = ReadKeyFile(certificatePath);
  if (!certificate) return std::nullopt;
  const std::vector<ByteBuffer> trusted = ReadTrustedKeys(workingFolder);
  PeerCertificate peer;
  std::optional<ByteBuffer> publicRecord = ExtractCertificateKey(*certificate);
  if (!publicRecord) return std::nullopt;
  std::optional<ByteBuffer> fingerprint = ComputeFingerprint(*publicRecord);
  if (!fingerprint) return std::nullopt;
  std::optional<CertificationResults> results = VerifyCertificate(*certificate, trusted);
  if (!results) return std::nullopt;
  peer.publicRecord = std::move(*publicRecord);
  peer.fingerprint = std::move(*fingerprint);
  OrderForApproval(*results);
  peer.results = std::move(*results);
  return peer;
}

std::optional<OwnKeys> ReadOwnKeys(const std::string& workingFolder) {
  std::optional<StoredKeyPair> pair = ReadStoredKeyPair(workingFolder);
  if (!pair) return std::nullopt;
  return OwnKeys{std::move(pair->privateRecord), std::move(pair->keyName)};
}

}  // namespace qs
