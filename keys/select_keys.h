#pragma once
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "base/text_string.h"
#include "keys/certificate.h"
#include "keys/key_result.h"
#include "keys/key_unlock.h"

namespace qs {

// The steps of gathering the keys for a file command that need no dialog. A command that
// needs the peer's key lets the user choose a ".certificate" file, calls CheckPeerCertificate,
// shows the results for approval, and then calls ReadOwnKeys; a command that needs no peer
// calls only ReadOwnKeys. Any failure (not a refusal by the user) is kKeysUnavailable, with
// the file and what was wrong with it.

// What the approval shows and what the command uses once the user approves.
struct PeerCertificate {
  ByteBuffer publicRecord;       // the peer's "PublicKey" record
  ByteBuffer fingerprint;        // of publicRecord
  CertificationResults results;  // in the order the approval shows them (OrderForApproval)
};

// Reads the certificate and the trusted list (missing or unreadable: empty) and verifies
// it. kKeysUnavailable when the file cannot be read, is no certificate, its key has no
// fingerprint, or the verification fails.
KeyResult<PeerCertificate> CheckPeerCertificate(const std::string& certificatePath,
                                                const std::string& workingFolder);

struct OwnKeys {
  ByteBuffer privateRecord;  // "PrivateKey"
  TextString keyName;
};

// Reads priv_key.bin again and opens its lock, asking source where a passphrase is needed;
// kKeysUnavailable when it cannot be read or opened.
KeyResult<OwnKeys> ReadOwnKeys(const std::string& workingFolder, PassphraseSource* source = nullptr);

}  // namespace qs
