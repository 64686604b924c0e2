#pragma once
// Only for the files that use the AES instructions (aes_hardware.cpp, cbc_hash_hardware.cpp):
// every function here carries the target attribute, so nothing else is compiled for them.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "base/secure_wipe.h"
#include "crypto/aes_key_schedule.h"

#define QS_AES_TARGET __attribute__((target("aes,ssse3,sse4.1")))

namespace qs {

// Independent blocks in flight at once: enough to cover the latency of the round instruction.
inline constexpr std::size_t kAesLanes = 8;

// The schedule holds each word big-endian; the instructions want the round key in byte
// order, so each 4-byte group is reversed on loading. The copy is wiped when it goes.
class AesRoundKeys {
 public:
  QS_AES_TARGET AesRoundKeys(const std::uint32_t* words, std::uint32_t rounds) : rounds_(rounds) {
    const __m128i reverseWords = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
    for (std::uint32_t r = 0; r <= rounds; ++r) {
      keys_[r] =
          _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * r)), reverseWords);
    }
  }
  AesRoundKeys(const AesRoundKeys&) = delete;
  AesRoundKeys& operator=(const AesRoundKeys&) = delete;
  ~AesRoundKeys() { SecureWipe(keys_, sizeof(keys_)); }

  QS_AES_TARGET __m128i encrypt(__m128i b) const {
    b = _mm_xor_si128(b, keys_[0]);
    for (std::uint32_t r = 1; r < rounds_; ++r) b = _mm_aesenc_si128(b, keys_[r]);
    return _mm_aesenclast_si128(b, keys_[rounds_]);
  }
  QS_AES_TARGET __m128i decrypt(__m128i b) const {
    b = _mm_xor_si128(b, keys_[0]);
    for (std::uint32_t r = 1; r < rounds_; ++r) b = _mm_aesdec_si128(b, keys_[r]);
    return _mm_aesdeclast_si128(b, keys_[rounds_]);
  }
  QS_AES_TARGET void encrypt(__m128i (&b)[kAesLanes]) const {
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kAesLanes; ++i) b[i] = _mm_xor_si128(b[i], keys_[0]);
    for (std::uint32_t r = 1; r < rounds_; ++r) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kAesLanes; ++i) b[i] = _mm_aesenc_si128(b[i], keys_[r]);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kAesLanes; ++i) b[i] = _mm_aesenclast_si128(b[i], keys_[rounds_]);
  }
  QS_AES_TARGET void decrypt(__m128i (&b)[kAesLanes]) const {
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kAesLanes; ++i) b[i] = _mm_xor_si128(b[i], keys_[0]);
    for (std::uint32_t r = 1; r < rounds_; ++r) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kAesLanes; ++i) b[i] = _mm_aesdec_si128(b[i], keys_[r]);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kAesLanes; ++i) b[i] = _mm_aesdeclast_si128(b[i], keys_[rounds_]);
  }

 private:
  __m128i keys_[AesKeySchedule::kMaxRounds + 1];
  std::uint32_t rounds_;
};

}  // namespace qs
