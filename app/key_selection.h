#pragma once
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/ui.h"
#include "base/byte_buffer.h"
#include "base/text_string.h"
#include "keys/key_result.h"

namespace qs {

// The keys a file command runs with.
struct SelectedKeys {
  ByteBuffer ownPrivateKey;  // "PrivateKey" record from priv_key.bin
  TextString keyName;        // of the stored key pair
  ByteBuffer peerPublicKey;  // "PublicKey" record of the approved certificate; empty without one
  // Encryption: the "PublicKey" records of the approved certificates after the first, in the
  // order chosen.
  std::vector<ByteBuffer> furtherRecipients;
  KeyStatus failure;  // after kFailed: the outcome and which file was wrong
};

// kRefused: the choice cannot be used, and the user has been told why.
enum class KeySelection { kSelected, kCancelled, kRefused, kFailed };

// What a file command runs with besides its source: the peer's certificate (verify), the
// stored key pair (sign), or both (decrypt).
enum class KeyNeeds { kPeer, kOwn, kPeerAndOwn };

// With a peer needed, lets the user open a certificate (title of the open dialog; empty
// gives the general one), checks it against the trusted keys and asks for its approval;
// then, with the own key pair needed, reads the stored key pair again, asking for its
// passphrase where it is locked with one. kCancelled when the user backed out (no message
// follows), kFailed when a file or a check failed.
KeySelection SelectKeys(ui::Ui& ui, AppState& state, KeyNeeds needs, const std::string& title,
                        ui::View* owner, SelectedKeys& keys);

// The steps of SelectKeys for use on their own. ApproveCertificate checks the certificate at
// path and asks for its approval, giving its "PublicKey" record; ReadOwnKeyPair reads the
// stored key pair into keys, which a failure empties; a passphrase the user cancelled (in a
// dialog owned by owner) gives kCancelled.
KeySelection ApproveCertificate(ui::Ui& ui, AppState& state, const std::string& path, ui::View* owner,
                                ByteBuffer& publicRecord, KeyStatus& failure);
KeySelection ReadOwnKeyPair(ui::Ui& ui, AppState& state, ui::View* owner, SelectedKeys& keys);

}  // namespace qs
