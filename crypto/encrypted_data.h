#pragma once
#include <cstdint>
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

// Why a message did not open.
enum class MessageFailure : std::uint8_t {
  kNone,
  kMalformed,    // not an "EncryptedData" record of this layout
  kNotBySender,  // signed, or bound, by someone else than the sender
  // The recipient's private key does not unwrap its key, or the key opens nothing: another
  // key pair's key gives noise (damage to the sealed message, or a cancel, reads the same).
  kNotForThisKey,
};

struct OpenedMessage {
  std::optional<ByteBuffer> message;
  MessageFailure failure = MessageFailure::kNone;
  // Whether the message was bound to this sender (kUnbound: written without the binding, by
  // an earlier writer); on success.
  SenderBinding binding = SenderBinding::kUnbound;
};

// The sender's signature is checked before the recipient's private key is used. A message
// bound to another sender than the one whose signature verified is refused.
OpenedMessage DecryptMessage(const ByteBuffer& recipientPrivate, const ByteBuffer& senderPublic,
                             const ByteBuffer& record, ProgressHook* hook);

}  // namespace qs
