#pragma once
#include <optional>

#include "base/byte_buffer.h"
#include "crypto/rsa_key.h"

namespace qs {

struct Encapsulation {
  ByteBuffer key;         // K: 32 bytes
  ByteBuffer ciphertext;  // C: k bytes
};

// RSA-KEM: z is k generator bytes brought below n, K the SHA-256 of z as its used words
// (4 bytes each, little-endian) and C = z^e mod n as k bytes. Needs a valid encryption key
// whose generator has a credit of at least 1024.
std::optional<Encapsulation> Encapsulate(const RsaKey& recipient);

// K from C: C must be k bytes encoding a value below n, the key valid, private and for
// encryption; otherwise empty. A wrong C gives a different K, which the data's MAC rejects.
ByteBuffer Decapsulate(const RsaKey& own, const ByteBuffer& ciphertext);

}  // namespace qs
