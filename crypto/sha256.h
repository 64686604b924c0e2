#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "crypto/secret_bytes.h"
#include "crypto/sha256_compress.h"

namespace qs {

inline constexpr std::size_t kSha256DigestBytes = 32;

// SHA-256 as FIPS 180-4 computes it, with the program's own digest byte order: the state
// words H0..H7 are written each least significant byte first, so every group of four bytes
// of the standard digest is reversed. Every stored digest, fingerprint and MAC uses this
// order. The context is wiped when it goes.
class Sha256Context {
 public:
  Sha256Context() { reset(); }
  Sha256Context(const Sha256Context&) = default;
  Sha256Context& operator=(const Sha256Context&) = default;
  ~Sha256Context() { wipe(); }

  // A new message with no hook attached.
  void reset();

  // Optional and not owned: after each compressed 64-byte block of an update its count grows
  // by 64, and a cancel request restarts the context and makes update return false.
  void setHook(ProgressHook* hook) { hook_ = hook; }

  // Absorbs the bytes; false only when the hook cancelled. An update after a digest starts
  // a new message.
  bool update(std::span<const std::uint8_t> bytes);

  // For work that compresses whole blocks of the message alongside something else: compress
  // is called once with the state and must compress exactly bytes (a multiple of 64) into it.
  // False, calling nothing, when a hook is attached (its count would be skipped), the message
  // is finished, or the bytes absorbed so far are not a multiple of 64.
  template <typename Compress>
  bool absorbCompressed(std::uint64_t bytes, Compress compress) {
    if (hook_ != nullptr || finished_ || count_ % kSha256BlockBytes != 0 || bytes % kSha256BlockBytes != 0) {
      return false;
    }
    compress(state_);
    count_ += bytes;
    return true;
  }

  // Finishes the message if it is not finished yet and writes its digest; may be called
  // again and gives the same bytes.
  void digest(std::span<std::uint8_t, kSha256DigestBytes> out);
  void digest(ByteBuffer& out);  // sized to 32 bytes

  // Overwrites the state, the partial block and the count; the context then holds a fresh
  // message, so nothing of the old one survives.
  void wipe() noexcept;

 private:
  void restart() noexcept;
  void finish();

  std::uint64_t count_ = 0;  // message bytes absorbed
  Sha256State state_{};
  SecretBytes<kSha256BlockBytes> block_;  // zero beyond the bytes of the partial block
  bool finished_ = false;
  ProgressHook* hook_ = nullptr;
};

// The digest of bytes in one call.
ByteBuffer Sha256(std::span<const std::uint8_t> bytes);

}  // namespace qs
