#pragma once
#include <cstdint>
#include <optional>

#include "base/byte_buffer.h"
#include "formats/progress.h"

namespace qs {

class RandomGenerator;

// The header record of a native encrypted file:
//
//   field  tag "EncryptedFile"
//   u16    version 0
//   u8     reserved 0
//   u8     compressed: 1 when every chunk was compressed before sealing
//   u8     method: 2
//   field  "EncryptedKey" record: the session key wrapped for the recipient
//   field  "Signature" record by the sender over the "EncryptedKey" record, label
//          "EncryptedFile", the time of encryption, no message
//
// Its size is 103 + k1 + k2 for a recipient encryption modulus of k1 bytes and a sender
// signing modulus of k2 bytes.
inline constexpr std::uint8_t kEncryptionMethod = 2;
inline constexpr std::uint32_t kMaxHeaderBytes = 10240;

struct WrittenHeader {
  ByteBuffer record;
  ByteBuffer sessionKey;  // 32 bytes
};

struct AcceptedHeader {
  ByteBuffer sessionKey;
  bool compressed = false;
};

// Wraps a fresh session key for peerPublic and signs it with ownPrivate; fails with kKeys.
std::optional<WrittenHeader> WriteFileHeader(RandomGenerator& generator, bool compress,
                                             const ByteBuffer& ownPrivate, const ByteBuffer& peerPublic,
                                             ResultCode& code);

// Checks the header and the sender's signature before the own private key unwraps the
// session key. Codes: kSource for a malformed header, kOtherMethod for another method,
// kKeys for a signature or key that does not fit.
std::optional<AcceptedHeader> ReadFileHeader(RandomGenerator* generator, const ByteBuffer& ownPrivate,
                                             const ByteBuffer& peerPublic, const ByteBuffer& record,
                                             ResultCode& code);

}  // namespace qs
