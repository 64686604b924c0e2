#include "cli/own_keys.h"

#include "cli/approval.h"
#include "keys/messages.h"
#include "keys/record_text.h"
#include "keys/select_keys.h"

namespace qs::cli {

std::optional<OwnKeys> ReadOwnKeys(Session& session) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return std::nullopt;
  std::optional<qs::OwnKeys> stored = qs::ReadOwnKeys(*folder);
  if (!stored) {
    session.fail(MessageText(KeyOutcome::kKeysUnavailable));
    return std::nullopt;
  }
  return OwnKeys{std::move(stored->privateRecord), DisplayText(stored->keyName)};
}

std::optional<ByteBuffer> ApprovedPeerKey(Session& session, const std::string& certificatePath) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return std::nullopt;
  std::optional<PeerCertificate> peer = CheckPeerCertificate(certificatePath, *folder);
  if (!peer) {
    session.fail(MessageText(KeyOutcome::kKeysUnavailable));
    return std::nullopt;
  }
  if (!ApproveCertificate(session, peer->results, HexString(peer->fingerprint))) return std::nullopt;
  return std::move(peer->publicRecord);
}

}  // namespace qs::cli
