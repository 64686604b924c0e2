#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "crypto/sender_binding.h"
#include "crypto/symmetric_context.h"
#include "crypto/symmetric_stream.h"

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

// EncryptMessage's record made piece by piece, for a message too large to hold: nothing in
// front of the sealed message depends on the message, so head is ready at once and the
// sealed message follows from sealer(). The generator is drawn on as by EncryptMessage.
class MessageSealer {
 public:
  // Wraps a key for the recipient, derives the IV that binds the sender and signs C.
  MessageSealer(RandomGenerator& generator, const ByteBuffer& recipientPublic,
                const ByteBuffer& senderPrivate, ProgressHook* hook);
  MessageSealer(const MessageSealer&) = delete;
  MessageSealer& operator=(const MessageSealer&) = delete;

  // Any of those failed: no record can be made.
  bool failed() const { return !sealer_; }

  // The record's bytes in front of the sealed message's ciphertext (the header, C, the
  // signature, the sealed field's length for a message of messageBytes, the IV), and the
  // whole record's length for such a message.
  ByteBuffer head(std::uint32_t messageBytes) const;
  std::uint64_t recordBytes(std::uint64_t messageBytes) const;

  StreamSealer& sealer() { return *sealer_; }

 private:
  ByteBuffer ciphertext_;
  ByteBuffer signature_;
  std::array<std::uint8_t, SymmetricContext::kIvBytes> iv_{};
  std::optional<SymmetricContext> context_;
  std::optional<StreamSealer> sealer_;
};

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

// DecryptMessage piece by piece, for a sealed message too large to hold, in the same order of
// checks: the sender's signature over C, the recipient's key, then (begin, a first pass of
// the opener, authenticated) the MAC and the sender binding; only then the second pass, which
// decrypts.
class MessageOpener {
 public:
  MessageOpener(const ByteBuffer& recipientPrivate, const ByteBuffer& senderPublic,
                const ByteBuffer& ciphertext, const ByteBuffer& signature, ProgressHook* hook);
  MessageOpener(const MessageOpener&) = delete;
  MessageOpener& operator=(const MessageOpener&) = delete;

  // kNotBySender or kNotForThisKey when the signature or the key failed.
  MessageFailure failure() const { return failure_; }

  // The opener of the sealed message with this IV; only when failure() is kNone.
  StreamOpener& begin(std::span<const std::uint8_t, SymmetricContext::kIvBytes> iv);

  // After the first pass: kNotForThisKey when the MAC does not match, kNotBySender when the
  // message is bound to another sender, else kNone and binding() tells which.
  MessageFailure authenticated(std::span<const std::uint8_t, SymmetricContext::kMacBytes> mac);
  SenderBinding binding() const { return binding_; }

 private:
  ByteBuffer senderPublic_;
  MessageFailure failure_ = MessageFailure::kNone;
  SenderBinding binding_ = SenderBinding::kUnbound;
  std::array<std::uint8_t, SymmetricContext::kIvBytes> iv_{};
  std::optional<SymmetricContext> context_;
  std::optional<StreamOpener> opener_;
};

}  // namespace qs
