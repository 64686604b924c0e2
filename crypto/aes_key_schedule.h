#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace qs {

// The round keys of one AES key: FIPS-197 KeyExpansion for encryption, and for decryption
// the schedule of the equivalent inverse cipher (FIPS-197 5.3.5): the encryption round keys
// in reverse order, InvMixColumns applied to all but the first and the last. Each word holds
// four schedule bytes big-endian. Both schedules are wiped when the object goes.
class AesKeySchedule {
 public:
  static constexpr std::uint32_t kMaxRounds = 14;
  static constexpr std::size_t kMaxWords = 4 * (kMaxRounds + 1);

  AesKeySchedule() = default;
  AesKeySchedule(const AesKeySchedule&) = default;
  AesKeySchedule& operator=(const AesKeySchedule&) = default;
  ~AesKeySchedule() { wipe(); }

  // Keys of 16, 24 or 32 bytes give 10, 12 or 14 rounds and make the schedule ready; any
  // other length leaves it wiped and not ready.
  bool expand(std::span<const std::uint8_t> key);
  void wipe() noexcept;

  bool ready() const { return ready_; }
  std::uint32_t rounds() const { return rounds_; }
  // (rounds + 1) * 4 words each; round r starts at word 4 * r.
  const std::uint32_t* encryptionKeys() const { return encryption_.data(); }
  const std::uint32_t* decryptionKeys() const { return decryption_.data(); }

 private:
  bool ready_ = false;
  std::array<std::uint32_t, kMaxWords> encryption_{};
  std::array<std::uint32_t, kMaxWords> decryption_{};
  std::uint32_t rounds_ = 0;
};

}  // namespace qs
