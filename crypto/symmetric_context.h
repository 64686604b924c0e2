#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "crypto/cipher_context.h"
#include "crypto/hmac_sha256.h"

namespace qs {

class RandomGenerator;

// Encrypt-then-MAC with keys derived from one 32-byte master key (the key RSA-KEM carries):
// the first 64 bytes of the master key's AES counter keystream are the AES-256-CBC key and
// the HMAC-SHA256 key. A protected buffer is
//
//   IV (16, from the generator) | CBC ciphertext with padding (16 * (L / 16 + 1)) | MAC (32)
//
// where the MAC covers the IV and the ciphertext: L plaintext bytes become
// 16 * (L / 16) + 64 bytes. Once a call has failed for a reason other than a bad buffer the
// context stays failed.
class SymmetricContext {
 public:
  static constexpr std::uint32_t kMasterKeyBytes = 32;
  static constexpr std::uint32_t kIvBytes = CipherContext::kBlockBytes;
  static constexpr std::uint32_t kMacBytes = HmacSha256Context::kMacBytes;

  // Failed at once for a key that is not 32 bytes or is all zeros. The generator supplies
  // the IVs; it is not owned and may be null for a context that only decrypts.
  SymmetricContext(std::span<const std::uint8_t> masterKey, RandomGenerator* generator);
  SymmetricContext(const SymmetricContext&) = delete;
  SymmetricContext& operator=(const SymmetricContext&) = delete;

  bool failed() const { return failed_; }

  // Not owned; counts the cipher's and the authenticator's blocks and carries the cancel.
  void setHook(ProgressHook* hook);

  // The plaintext becomes the protected buffer. On failure the buffer is wiped and emptied,
  // except when the generator's credit is below 1024: the data is then left untouched and
  // the context fails for good.
  bool encrypt(ByteBuffer& data);

  // The two halves of encrypt, for sealing on other threads in the order the IVs were drawn:
  // the next IV from the generator (false, and the context failed for good, when its credit
  // is below 1024), and sealing with a given IV, which needs no generator.
  bool nextIv(std::span<std::uint8_t, kIvBytes> iv);
  bool encrypt(ByteBuffer& data, std::span<const std::uint8_t, kIvBytes> iv);

  // In place over a caller's memory, for one buffer reused chunk after chunk. seal: buffer
  // holds the plaintext's length bytes at offset kIvBytes and room for SealedSize(length);
  // its first SealedSize(length) bytes become the protected buffer. open: the plaintext of
  // a protected buffer, decrypted where it lies (from offset kIvBytes on), once the MAC has
  // been verified. On failure the buffer's content is undefined.
  bool seal(std::span<std::uint8_t> buffer, std::uint32_t length, std::span<const std::uint8_t, kIvBytes> iv);
  std::optional<std::span<std::uint8_t>> open(std::span<std::uint8_t> buffer);

  // Two seals in one call, each buffer as seal leaves it; where the processor allows, their
  // chains run interleaved, which takes far less than two calls. False when either fails,
  // both buffers' content then undefined.
  struct SealRequest {
    std::span<std::uint8_t> buffer;
    std::uint32_t length;
    std::span<const std::uint8_t, kIvBytes> iv;
  };
  bool sealPair(const SealRequest& first, const SealRequest& second);

  // The protected buffer becomes the plaintext; nothing is decrypted before the MAC has been
  // verified. On failure the buffer is wiped and emptied.
  bool decrypt(ByteBuffer& data);

  // HMAC under the MAC key of a message whose length is not a multiple of the block size, so
  // that no sealed unit can carry it as its MAC: values only the holders of the master key can
  // make, for marks inside a file. Not counted on the hook and never cancelled. Empty when the
  // context failed or for a message of a sealed unit's shape.
  ByteBuffer keyedTag(std::span<const std::uint8_t> message) const;

  // Sealed size of a plaintext of length bytes.
  static constexpr std::uint64_t SealedSize(std::uint64_t length) { return 16 * (length / 16) + 64; }

 private:
  // The same buffers made and opened piece by piece (crypto/symmetric_stream.h).
  friend class StreamSealer;
  friend class StreamOpener;

  // The buffer's first SealedSize(length) bytes less the MAC, with the IV in front; nothing
  // when the context failed or the buffer is too short.
  std::optional<std::span<std::uint8_t>> sealedBody(const SealRequest& request) const;
  // The MAC of inner's message written after body.
  bool putMac(Sha256Context& inner, std::span<std::uint8_t> buffer, std::size_t bodyBytes) const;

  bool failed_ = true;
  RandomGenerator* generator_;
  std::optional<CipherContext> cipher_;
  std::optional<HmacSha256Context> authenticator_;
};

}  // namespace qs
