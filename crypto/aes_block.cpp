#include "crypto/aes_block.h"

#include <cstring>

#include "base/byte_order.h"
#include "base/secure_wipe.h"
#include "crypto/aes_hardware.h"
#include "crypto/aes_tables.h"
#include "crypto/cpu_features.h"

namespace qs {
namespace {

using RoundTables = std::array<std::array<std::uint32_t, 256>, 4>;
using Box = std::array<std::uint8_t, 256>;

std::uint32_t Byte(std::uint32_t w, int row) { return (w >> (24 - 8 * row)) & 0xFF; }

// Both directions share one shape. Row r of output column c comes from input column
// c + r * kStep (mod 4): kStep 1 is ShiftRows, kStep 3 InvShiftRows, folded into the
// lookups. Middle rounds go through the four tables, the last round through the box alone.
// The state words stay in registers once the loops over columns are unrolled; the block
// itself is the caller's to wipe.
template <int kStep>
void Rounds(const std::uint32_t* k, std::uint32_t rounds, const RoundTables& t, const Box& box,
            std::span<std::uint8_t, kAesBlockBytes> block) {
  std::array<std::uint32_t, 4> s;
  for (int c = 0; c < 4; ++c) s[c] = LoadBe32(&block[4 * c]) ^ k[c];
  for (std::uint32_t round = 1; round < rounds; ++round) {
    k += 4;
    std::array<std::uint32_t, 4> next;
    for (int c = 0; c < 4; ++c) {
      next[c] = t[0][Byte(s[c], 0)] ^ t[1][Byte(s[(c + kStep) % 4], 1)] ^
                t[2][Byte(s[(c + 2 * kStep) % 4], 2)] ^ t[3][Byte(s[(c + 3 * kStep) % 4], 3)] ^ k[c];
    }
    s = next;
  }
  k += 4;
  for (int c = 0; c < 4; ++c) {
    const std::uint32_t w =
        (std::uint32_t{box[Byte(s[c], 0)]} << 24) | (std::uint32_t{box[Byte(s[(c + kStep) % 4], 1)]} << 16) |
        (std::uint32_t{box[Byte(s[(c + 2 * kStep) % 4], 2)]} << 8) | box[Byte(s[(c + 3 * kStep) % 4], 3)];
    StoreBe32(&block[4 * c], w ^ k[c]);
  }
}

using Block = std::span<std::uint8_t, kAesBlockBytes>;

void PortableEncrypt(const AesKeySchedule& schedule, Block block) {
  Rounds<1>(schedule.encryptionKeys(), schedule.rounds(), kAesTables.encrypt, kAesTables.sbox, block);
}

void PortableDecrypt(const AesKeySchedule& schedule, Block block) {
  Rounds<3>(schedule.decryptionKeys(), schedule.rounds(), kAesTables.decrypt, kAesTables.inverseSbox, block);
}

void XorInto(std::uint8_t* target, const std::uint8_t* source) {
  for (std::size_t i = 0; i < kAesBlockBytes; ++i) target[i] ^= source[i];
}

std::size_t BlockCount(std::span<std::uint8_t> data) { return data.size() / kAesBlockBytes; }

Block BlockAt(std::span<std::uint8_t> data, std::size_t i) {
  return Block(data.data() + kAesBlockBytes * i, kAesBlockBytes);
}

}  // namespace

void AesEncryptBlock(const AesKeySchedule& schedule, Block block) {
  if (HardwareAesEnabled()) return AesHardwareEncryptBlocks(schedule, block.data(), 1);
  PortableEncrypt(schedule, block);
}

void AesDecryptBlock(const AesKeySchedule& schedule, Block block) {
  if (HardwareAesEnabled()) return AesHardwareDecryptBlocks(schedule, block.data(), 1);
  PortableDecrypt(schedule, block);
}

void AesEncryptBlocks(const AesKeySchedule& schedule, std::span<std::uint8_t> data) {
  if (HardwareAesEnabled()) return AesHardwareEncryptBlocks(schedule, data.data(), BlockCount(data));
  for (std::size_t i = 0; i < BlockCount(data); ++i) PortableEncrypt(schedule, BlockAt(data, i));
}

void AesEncryptCbc(const AesKeySchedule& schedule, Block chain, std::span<std::uint8_t> data) {
  if (HardwareAesEnabled())
    return AesHardwareEncryptCbc(schedule, chain.data(), data.data(), BlockCount(data));
  // Each plaintext block is overwritten by its ciphertext, which is then the chaining value.
  for (std::size_t i = 0; i < BlockCount(data); ++i) {
    const Block block = BlockAt(data, i);
    XorInto(block.data(), chain.data());
    PortableEncrypt(schedule, block);
    std::memcpy(chain.data(), block.data(), kAesBlockBytes);
  }
}

void AesDecryptCbc(const AesKeySchedule& schedule, Block chain, std::span<std::uint8_t> data) {
  if (HardwareAesEnabled())
    return AesHardwareDecryptCbc(schedule, chain.data(), data.data(), BlockCount(data));
  std::uint8_t ciphertext[kAesBlockBytes];
  for (std::size_t i = 0; i < BlockCount(data); ++i) {
    const Block block = BlockAt(data, i);
    std::memcpy(ciphertext, block.data(), kAesBlockBytes);
    PortableDecrypt(schedule, block);
    XorInto(block.data(), chain.data());
    std::memcpy(chain.data(), ciphertext, kAesBlockBytes);
  }
  SecureWipe(ciphertext, sizeof(ciphertext));
}

}  // namespace qs
