#pragma once
#include <optional>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "crypto/sender_binding.h"

namespace qs {

class RandomGenerator;

// One whole message for one recipient, signed by its sender:
//
//   field  tag "EncryptedData"
//   u16    version 0, u16 reserved 0, u16 reserved 0
//   field  C: RSA-KEM ciphertext for the recipient's encryption key (k bytes)
//   field  the sender's signature over the SHA-256 of C
//   field  the message sealed by a SymmetricContext under the KEM key, its IV binding the
//          message to the sender (crypto/sender_binding.h)
//
// Records are the "PublicKey" and "PrivateKey" records of the two key pairs. The hook counts
// the cipher and MAC blocks and carries the cancel. Nothing on any failure.
std::optional<ByteBuffer> EncryptMessage(RandomGenerator& generator, const ByteBuffer& recipientPublic,
                                         const ByteBuffer& senderPrivate, const ByteBuffer& message,
                                         ProgressHook* hook);

struct EncryptedDataFields {
  ByteBuffer ciphertext;  // C
  ByteBuffer signature;
  ByteBuffer sealed;
};

// The fields of the record, unchecked; nothing for another tag, version or reserved value, a
// field cut short or bytes after the last field.
std::optional<EncryptedDataFields> ReadEncryptedData(const ByteBuffer& record);

// The sender's signature is checked before the own private key is used. A message bound to
// another sender than the one whose signature verified is refused; binding tells whether it
// was bound to this one (kUnbound: written without the binding, by an earlier writer).
std::optional<ByteBuffer> DecryptMessage(const ByteBuffer& ownPrivate, const ByteBuffer& senderPublic,
                                         const ByteBuffer& record, ProgressHook* hook,
                                         SenderBinding& binding);

}  // namespace qs
