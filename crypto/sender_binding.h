#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "base/byte_buffer.h"
#include "crypto/symmetric_context.h"

namespace qs {

// Binds an encrypted file to its sender's key record where only the holders of the file's
// session key can write and nobody can remove it: the IV of one sealed unit of the file
// (the native chunk table, the OKI-format data), which every reader takes as it comes and
// which the unit's MAC covers.
//
//   IV = marker (8 bytes) | sender (8 bytes)
//   marker = the first 8 bytes of the keyed tag of "QuillsealBound"
//   sender = the first 8 bytes of the keyed tag of "QuillsealSender" and the SHA-256 of the
//            sender's complete "PublicKey" record
//
// (SymmetricContext::keyedTag, under the file's MAC key.) The header signature alone covers
// only the wrapped key, which anyone who sees the file can sign again with a key of their own;
// the IV names the key that really sent it. A file whose IV does not carry the marker, as
// every file of earlier writers, binds no sender; a random IV carries it by chance with
// probability 2^-64.
enum class SenderBinding : std::uint8_t {
  kBound,        // the marker and this sender
  kUnbound,      // no marker: written without the binding
  kOtherSender,  // the marker, but another sender's key: the header was signed again
};

// The IV that binds the file of this context to the sender with this "PublicKey" record;
// nothing when the context failed.
std::optional<std::array<std::uint8_t, SymmetricContext::kIvBytes>> SenderBoundIv(
    const SymmetricContext& context, const ByteBuffer& senderPublic);

// What the IV of a sealed unit of this context says about the sender whose "PublicKey" record
// verified the file's header. kOtherSender also when the tags cannot be made: a binding that
// cannot be checked is not taken for an absent one.
SenderBinding CheckSenderBinding(const SymmetricContext& context,
                                 std::span<const std::uint8_t, SymmetricContext::kIvBytes> iv,
                                 const ByteBuffer& senderPublic);

}  // namespace qs
