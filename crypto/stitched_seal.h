#pragma once
#include <cstdint>
#include <span>

#include "crypto/cipher_context.h"

namespace qs {

class Sha256Context;

// Encrypt-then-MAC in one pass. message holds a 16-byte IV, then the plaintext's length bytes
// and room for its padding: the plaintext is encrypted in place with CBC from that IV, and
// hash absorbs the IV as it stands and then the ciphertext. The cipher's hook counts and
// cancels as for the two steps one after the other. With no hook and the processor's AES and
// SHA instructions, each 64 hashed bytes are compressed while the next 64 are encrypted,
// which takes little more than encryption alone; hash must then have absorbed a multiple of
// 64 bytes (the HMAC key block). Fails when the cipher is not ready, message is too short or
// the hook cancels; the cipher's chaining block is clear afterwards.
struct MessageToSeal {
  std::span<std::uint8_t> message;
  std::uint32_t length;
  Sha256Context& hash;
};
bool EncryptAndHash(CipherContext& cipher, const MessageToSeal& message);

// Two messages as EncryptAndHash on each; on the combined path the two chains run
// interleaved, which takes much less than the two one after the other.
bool EncryptAndHashPair(CipherContext& cipher, const MessageToSeal& first, const MessageToSeal& second);

}  // namespace qs
