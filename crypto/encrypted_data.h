#pragma once
#include <optional>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"

namespace qs {

class RandomGenerator;

// One whole message for one recipient, signed by its sender:
//
//   field  tag "EncryptedData"
//   u16    version 0, u16 reserved 0, u16 reserved 0
//   field  C: RSA-KEM ciphertext for the recipient's encryption key (k bytes)
//   field  the sender's signature over the SHA-256 of C
//   field  the message sealed by a SymmetricContext under the KEM key
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

// The fields of the record, unchecked; nothing for another tag, version or reserved value, or
// a field cut short.
std::optional<EncryptedDataFields> ReadEncryptedData(const ByteBuffer& record);

// The sender's signature is checked before the own private key is used.
std::optional<ByteBuffer> DecryptMessage(const ByteBuffer& ownPrivate, const ByteBuffer& senderPublic,
                                         const ByteBuffer& record, ProgressHook* hook);

}  // namespace qs
