#pragma once
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "cli/session.h"

namespace qs::cli {

// The stored key pair's private record and name, read afresh for each command.
struct OwnKeys {
  ByteBuffer privateRecord;
  std::string keyName;  // UTF-8
};

// Nothing, after the kKeysUnavailable message and its cause, when no key pair can be read.
std::optional<OwnKeys> ReadOwnKeys(Session& session);

// The peer's "PublicKey" record from a certificate, once its certifications have been
// checked against the trusted keys and the certificate approved. Nothing after a message.
std::optional<ByteBuffer> ApprovedPeerKey(Session& session, const std::string& certificatePath);

}  // namespace qs::cli
