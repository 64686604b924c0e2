#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "crypto/secret_bytes.h"
#include "crypto/sha256.h"

namespace qs {

// HMAC (RFC 2104, 64-byte block) over this program's SHA-256. Both the inner digest fed to
// the outer hash and the result are in the program's digest byte order, so the MACs differ
// from the published HMAC-SHA256 values. Keys are never hashed down: only 16 to 64 bytes
// are accepted.
class HmacSha256Context {
 public:
  static constexpr std::size_t kMinKeyBytes = 16;
  static constexpr std::size_t kMaxKeyBytes = kSha256BlockBytes;
  static constexpr std::size_t kMacBytes = kSha256DigestBytes;

  // A key of another length leaves the context failed: compute then gives an empty buffer
  // and verify false.
  explicit HmacSha256Context(std::span<const std::uint8_t> key);

  bool failed() const { return failed_; }

  // Optional and not owned; it counts the blocks of the message only, never the key blocks
  // or the outer hash, and a cancel request makes compute give an empty buffer.
  void setHook(ProgressHook* hook) { hook_ = hook; }

  // The 32-byte MAC, or empty when the context failed or the hook cancelled.
  ByteBuffer compute(std::span<const std::uint8_t> message) const;

  // compute in two halves, for a message hashed by other means in between: the inner hash
  // with the key block absorbed and the hook attached (nothing when the context failed), and
  // the MAC from it once the message has gone in.
  std::optional<Sha256Context> startInner() const;
  ByteBuffer finish(Sha256Context& inner) const;

  // True when the MAC of message equals expected, compared without an early exit.
  bool verify(std::span<const std::uint8_t> message, std::span<const std::uint8_t> expected) const;

 private:
  SecretBytes<kSha256BlockBytes> innerKey_;  // key, zero-padded, XOR 0x36
  SecretBytes<kSha256BlockBytes> outerKey_;  // key, zero-padded, XOR 0x5C
  bool failed_ = false;
  ProgressHook* hook_ = nullptr;
};

}  // namespace qs
