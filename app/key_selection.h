#pragma once
#include <string>

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
  KeyStatus failure;         // after kFailed: the outcome and which file was wrong
};

enum class KeySelection { kSelected, kCancelled, kFailed };

// With needsCertificate, lets the user open a certificate (title of the open dialog; empty
// gives the general one), checks it against the trusted keys and asks for its approval;
// then reads the stored key pair again. kCancelled when the user backed out (no message
// follows), kFailed when a file or a check failed.
KeySelection SelectKeys(ui::Ui& ui, AppState& state, bool needsCertificate, const std::string& title,
                        ui::View* owner, SelectedKeys& keys);

}  // namespace qs
