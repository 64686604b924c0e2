#pragma once
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "cli/session.h"
#include "keys/select_keys.h"

namespace qs::cli {

// The stored key pair's private record and name, read afresh for each command.
struct OwnKeys {
  ByteBuffer privateRecord;
  std::string keyName;  // UTF-8
};

// Nothing, after the kKeysUnavailable message and its cause, when no key pair can be read.
std::optional<OwnKeys> ReadOwnKeys(Session& session);

// A certificate whose certifications have been checked against the trusted keys, not yet
// approved. Nothing after a message.
std::optional<PeerCertificate> CheckedPeer(Session& session, const std::string& certificatePath);

// Shows the checked certificate and asks for its approval (cli/approval.h).
bool ApprovePeer(Session& session, const PeerCertificate& peer);

// The peer's "PublicKey" record from a certificate, once its certifications have been
// checked against the trusted keys and the certificate approved. Nothing after a message.
std::optional<ByteBuffer> ApprovedPeerKey(Session& session, const std::string& certificatePath);

}  // namespace qs::cli
