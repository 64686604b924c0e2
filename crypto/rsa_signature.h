#pragma once
#include "base/byte_buffer.h"
#include "crypto/rsa_key.h"

namespace qs {

inline constexpr std::uint32_t kDigestBytes = 32;

// The value a signature covers: k bytes of AES-256 counter keystream keyed by the 32-byte
// digest, brought below n, as k bytes. Empty for a digest of another length.
ByteBuffer MessageRepresentative(const ByteBuffer& digest, const RsaKey& key);

// The deterministic signature of a 32-byte digest: the representative raised to d, k bytes.
// Empty unless the key is valid, private and for signing. The same key and digest always
// give the same bytes; the result is verified before it is returned.
ByteBuffer Sign(const RsaKey& key, const ByteBuffer& digest);

// True when the k-byte signature, below n and raised to e, equals the representative of the
// digest (compared without early exit). A key not for signing, or a signature or digest of
// the wrong length, is false before anything is computed.
bool Verify(const RsaKey& key, const ByteBuffer& digest, const ByteBuffer& signature);

}  // namespace qs
