#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "crypto/sha256.h"
#include "crypto/symmetric_context.h"

namespace qs {

// A SymmetricContext's protected buffer (IV | CBC ciphertext with padding | MAC) made or taken
// piece by piece, for data too large to hold at once; the bytes are those of seal and open.
// Each borrows the context, which does nothing else meanwhile, and takes its pieces in order.
// The context's hook counts the blocks and carries the cancel as for the whole buffer.

// The caller writes the IV first, then what seal and sealLast leave. Any failure, a cancel
// among them, leaves the sealer failed.
class StreamSealer {
 public:
  static constexpr std::uint32_t kIvBytes = SymmetricContext::kIvBytes;
  static constexpr std::uint32_t kMacBytes = SymmetricContext::kMacBytes;

  StreamSealer(SymmetricContext& context, std::span<const std::uint8_t, kIvBytes> iv);
  bool failed() const { return !inner_; }

  // A piece of plaintext, whole blocks, becomes its ciphertext in place.
  bool seal(std::span<std::uint8_t> blocks);

  // The last piece, of any length (0 too): buffer holds its length bytes and has room for
  // LastBytes(length), which become its padded ciphertext and then the MAC: the span returned.
  std::optional<std::span<std::uint8_t>> sealLast(std::span<std::uint8_t> buffer, std::uint32_t length);
  static constexpr std::uint64_t LastBytes(std::uint32_t length) {
    return std::uint64_t{length} + CipherContext::PaddingBytes(length) + kMacBytes;
  }

 private:
  SymmetricContext& context_;
  std::optional<Sha256Context> inner_;
};

// Two passes over the ciphertext (what follows the IV, the MAC aside): the first checks the MAC,
// the second decrypts, so that no plaintext comes out before all of it is authenticated. The
// second pass absorbs each piece again before decrypting it, and checks the MAC once more at
// the end: that confirms the bytes decrypted are the bytes authenticated, even where the
// source could change in between. Only the first pass is counted on the hook.
class StreamOpener {
 public:
  static constexpr std::uint32_t kIvBytes = SymmetricContext::kIvBytes;
  static constexpr std::uint32_t kMacBytes = SymmetricContext::kMacBytes;

  StreamOpener(SymmetricContext& context, std::span<const std::uint8_t, kIvBytes> iv);

  // Whether a protected buffer can have this size: the IV, at least one block, whole blocks,
  // the MAC. Any other size opens nothing.
  static constexpr bool Openable(std::uint64_t sealedBytes) {
    return sealedBytes >= kIvBytes + CipherContext::kBlockBytes + kMacBytes &&
           (sealedBytes - kIvBytes - kMacBytes) % CipherContext::kBlockBytes == 0;
  }

  // One pass: the ciphertext's pieces in order, then the MAC, true when it is the MAC of the
  // IV and the pieces. Each call to authentic starts the next pass.
  bool absorb(std::span<const std::uint8_t> ciphertext);
  bool authentic(std::span<const std::uint8_t, kMacBytes> mac);

  // Decryption in place from the ciphertext's start: pieces of whole blocks, then the last
  // piece, whose padding is checked and whose plaintext length is returned.
  bool open(std::span<std::uint8_t> blocks);
  std::optional<std::uint32_t> openLast(std::span<std::uint8_t> blocks);

 private:
  void startPass(bool counted);

  SymmetricContext& context_;
  std::array<std::uint8_t, kIvBytes> iv_{};
  std::optional<Sha256Context> inner_;
};

}  // namespace qs
