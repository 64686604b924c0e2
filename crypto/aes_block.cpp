#include "crypto/aes_block.h"

#include "crypto/aes_tables.h"

namespace qs {
namespace {

using RoundTables = std::array<std::array<std::uint32_t, 256>, 4>;
using Box = std::array<std::uint8_t, 256>;

std::uint32_t LoadWord(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void StoreWord(std::uint8_t* p, std::uint32_t w) {
  p[0] = static_cast<std::uint8_t>(w >> 24);
  p[1] = static_cast<std::uint8_t>(w >> 16);
  p[2] = static_cast<std::uint8_t>(w >> 8);
  p[3] = static_cast<std::uint8_t>(w);
}

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
  for (int c = 0; c < 4; ++c) s[c] = LoadWord(&block[4 * c]) ^ k[c];
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
    StoreWord(&block[4 * c], w ^ k[c]);
  }
}

}  // namespace

void AesEncryptBlock(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> block) {
  Rounds<1>(schedule.encryptionKeys(), schedule.rounds(), kAesTables.encrypt, kAesTables.sbox, block);
}

void AesDecryptBlock(const AesKeySchedule& schedule, std::span<std::uint8_t, kAesBlockBytes> block) {
  Rounds<3>(schedule.decryptionKeys(), schedule.rounds(), kAesTables.decrypt, kAesTables.inverseSbox, block);
}

}  // namespace qs
