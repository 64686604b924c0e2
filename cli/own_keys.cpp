#include "cli/own_keys.h"

#include "cli/approval.h"
#include "cli/key_failure.h"
#include "keys/record_text.h"
#include "keys/select_keys.h"

namespace qs::cli {

std::optional<OwnKeys> ReadOwnKeys(Session& session) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return std::nullopt;
  KeyResult<qs::OwnKeys> stored = qs::ReadOwnKeys(*folder, session.passphrases());
  if (!stored.ok()) {
    FailKey(session, stored.status());
    return std::nullopt;
  }
  return OwnKeys{std::move(stored.value.privateRecord), DisplayText(stored.value.keyName)};
}

std::optional<PeerCertificate> CheckedPeer(Session& session, const std::string& certificatePath) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return std::nullopt;
  KeyResult<PeerCertificate> peer = CheckPeerCertificate(certificatePath, *folder);
  if (!peer.ok()) {
    FailKey(session, peer.status());
    return std::nullopt;
  }
  return std::move(peer.value);
}

bool ApprovePeer(Session& session, const PeerCertificate& peer) {
  return ApproveCertificate(session, peer.results, HexString(peer.fingerprint));
}

std::optional<ByteBuffer> ApprovedPeerKey(Session& session, const std::string& certificatePath) {
  std::optional<PeerCertificate> peer = CheckedPeer(session, certificatePath);
  if (!peer || !ApprovePeer(session, *peer)) return std::nullopt;
  return std::move(peer->publicRecord);
}

}  // namespace qs::cli
