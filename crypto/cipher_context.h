#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "crypto/aes_block.h"
#include "crypto/aes_key_schedule.h"
#include "crypto/secret_bytes.h"

namespace qs {

// AES with one key and the three modes the program uses: CBC with its padding for data, ECB
// over the generator's 4096-byte pool, and a counter keystream that expands a key into a
// longer byte string. A context that was given a key of the wrong length is not ready and
// every operation fails. The key schedule and the chaining block are wiped when it goes.
class CipherContext {
 public:
  static constexpr std::uint32_t kBlockBytes = kAesBlockBytes;
  static constexpr std::uint32_t kPoolBytes = 4096;

  // Keys of 16, 24 or 32 bytes are accepted (callers pass 32); the chaining block starts zero.
  explicit CipherContext(std::span<const std::uint8_t> key);
  CipherContext(const CipherContext&) = delete;
  CipherContext& operator=(const CipherContext&) = delete;

  bool ready() const { return schedule_.ready(); }

  // Optional and not owned: every block of the padded, pool and keystream operations adds
  // 16 to its count, and a cancel request stops the operation after the current batch of at
  // most 32 blocks (after one block when it was made before the batch began).
  void setHook(ProgressHook* hook) { hook_ = hook; }

  // The IV of the next padded operation. Every padded operation clears the chaining block
  // when it ends, so the IV is set before each call.
  void setChainingBlock(std::span<const std::uint8_t, kBlockBytes> iv);

  // CBC in place. Padding: p = 16 - length % 16 (1 to 16), then p - 1 zero bytes and one
  // byte p. Fails when not ready or cancelled; the buffer is then wiped and emptied.
  bool encryptPadded(ByteBuffer& data);

  // CBC in place. Fails when not ready, the length is 0 or not a multiple of 16, the hook
  // cancels, or the last plaintext byte exceeds 16; the buffer is then left as it was. On
  // success the last byte's value of bytes is removed (0 removes nothing); the zeros in
  // front of it are not inspected.
  bool decryptPadded(ByteBuffer& data);

  // The same over a caller's memory. Padding bytes of a length-byte plaintext.
  static constexpr std::uint32_t PaddingBytes(std::uint32_t length) {
    return kBlockBytes - length % kBlockBytes;
  }
  // data holds the plaintext's length bytes and room for its padding, which is written
  // before all of it is encrypted. Fails when not ready, too short or cancelled; data is
  // then undefined.
  bool encryptPaddedInPlace(std::span<std::uint8_t> data, std::uint32_t length);
  // data's first padded bytes, padding written, or nothing (chaining block wiped) when not
  // ready or too short.
  std::optional<std::span<std::uint8_t>> padInPlace(std::span<std::uint8_t> data, std::uint32_t length);
  // The plaintext's length once data is decrypted in place, under the checks of
  // decryptPadded; nothing on failure, data then undefined.
  std::optional<std::uint32_t> decryptPaddedInPlace(std::span<std::uint8_t> data);

  // CBC over whole blocks in place, for data that comes in pieces: the chaining block goes on
  // from the last call (or setChainingBlock) and is kept, so the padded call for the last
  // piece, which clears it, continues the same chain. Fails when not ready, the length is not
  // a multiple of 16 or the hook cancels; data is then undefined.
  bool encryptBlocksInPlace(std::span<std::uint8_t> data);
  bool decryptBlocksInPlace(std::span<std::uint8_t> data);

  // ECB over 256 blocks in place, in order. A cancel leaves the pool partly encrypted.
  bool encryptPool(std::span<std::uint8_t, kPoolBytes> pool);

  // length bytes of AES(key, block i) for i = 0, 1, ..., where block i is the 32-bit counter
  // i little-endian, four times. The counter starts at 0 on every call. Nothing when not
  // ready or cancelled.
  std::optional<ByteBuffer> keystream(std::uint32_t length);

  // One block in place, without the hook. Fails when not ready; encryption then zeroes the
  // block, decryption leaves it.
  bool encryptBlock(std::span<std::uint8_t, kBlockBytes> block) const;
  bool decryptBlock(std::span<std::uint8_t, kBlockBytes> block) const;

  // For sealing, which runs its own chains over this key where no hook counts the blocks.
  const AesKeySchedule& schedule() const { return schedule_; }
  bool hooked() const { return hook_ != nullptr; }

 private:
  using CbcDirection = void (*)(const AesKeySchedule&, std::span<std::uint8_t, kBlockBytes>,
                                std::span<std::uint8_t>);
  bool cbcInPlace(std::span<std::uint8_t> data, CbcDirection direction);

  AesKeySchedule schedule_;
  ProgressHook* hook_ = nullptr;
  SecretBytes<kBlockBytes> chain_;
};

}  // namespace qs
