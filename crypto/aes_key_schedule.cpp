#include "crypto/aes_key_schedule.h"

#include "base/byte_order.h"
#include "base/secure_wipe.h"
#include "crypto/aes_tables.h"

namespace qs {
namespace {

std::uint32_t SubWord(std::uint32_t w) {
  const auto& s = kAesTables.sbox;
  return (std::uint32_t{s[w >> 24]} << 24) | (std::uint32_t{s[(w >> 16) & 0xFF]} << 16) |
         (std::uint32_t{s[(w >> 8) & 0xFF]} << 8) | s[w & 0xFF];
}

std::uint32_t RotWord(std::uint32_t w) { return (w << 8) | (w >> 24); }

// The decryption tables hold InvMixColumns of the inverse S-box output, so feeding them the
// S-box output of each byte leaves InvMixColumns of the word itself.
std::uint32_t InvMixColumn(std::uint32_t w) {
  const auto& s = kAesTables.sbox;
  const auto& d = kAesTables.decrypt;
  return d[0][s[w >> 24]] ^ d[1][s[(w >> 16) & 0xFF]] ^ d[2][s[(w >> 8) & 0xFF]] ^ d[3][s[w & 0xFF]];
}

}  // namespace

bool AesKeySchedule::expand(std::span<const std::uint8_t> key) {
  wipe();
  if (key.size() != 16 && key.size() != 24 && key.size() != 32) return false;
  const std::size_t nk = key.size() / 4;
  rounds_ = static_cast<std::uint32_t>(nk) + 6;
  const std::size_t words = 4 * (rounds_ + 1);

  for (std::size_t i = 0; i < nk; ++i) encryption_[i] = LoadBe32(key.data() + 4 * i);
  std::uint32_t rcon = 0x01;
  for (std::size_t i = nk; i < words; ++i) {
    std::uint32_t temp = encryption_[i - 1];
    if (i % nk == 0) {
      temp = SubWord(RotWord(temp)) ^ (rcon << 24);
      rcon = (rcon << 1) ^ ((rcon & 0x80) != 0 ? 0x11B : 0);
    } else if (nk > 6 && i % nk == 4) {
      temp = SubWord(temp);
    }
    encryption_[i] = encryption_[i - nk] ^ temp;
  }

  for (std::uint32_t r = 0; r <= rounds_; ++r) {
    const std::uint32_t* from = &encryption_[4 * (rounds_ - r)];
    std::uint32_t* to = &decryption_[4 * r];
    const bool outer = r == 0 || r == rounds_;
    for (int c = 0; c < 4; ++c) to[c] = outer ? from[c] : InvMixColumn(from[c]);
  }
  ready_ = true;
  return true;
}

void AesKeySchedule::wipe() noexcept {
  SecureWipe(encryption_.data(), sizeof(encryption_));
  SecureWipe(decryption_.data(), sizeof(decryption_));
  ready_ = false;
  rounds_ = 0;
}

}  // namespace qs
