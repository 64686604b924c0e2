#include "crypto/cbc_hash_hardware.h"

#include "crypto/aes_round_keys.h"
#include "crypto/sha256_rounds_hardware.h"

// Only this function may use the AES and SHA instructions; the helpers it inlines carry
// subsets of this target.
#define QS_AES_SHA_TARGET __attribute__((target("aes,sha,ssse3,sse4.1")))

namespace qs {

QS_AES_SHA_TARGET void CbcEncryptAndHashHardware(const AesKeySchedule& schedule, std::uint8_t* chain,
                                                 std::uint8_t* data, const std::uint8_t* hashed,
                                                 std::size_t steps, Sha256State& state) {
  const AesRoundKeys keys(schedule.encryptionKeys(), schedule.rounds());
  __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chain));
  Sha256Lanes lanes = LoadSha256Lanes(state);
  for (; steps > 0; --steps, data += 64, hashed += kSha256BlockBytes) {
    const Sha256Lanes start = lanes;
    // The hashed block is read before any store of this step, so the two chains need not
    // wait for each other in memory either. Then one cipher block and a quarter of the rounds
    // at a time: the processor runs both chains at once.
    __m128i w[4];
    for (std::size_t i = 0; i < 4; ++i) w[i] = LoadSha256Words(hashed + 16 * i);
#pragma GCC unroll 4
    for (std::size_t block = 0; block < 4; ++block) {
      __m128i* at = reinterpret_cast<__m128i*>(data + 16 * block);
      c = keys.encrypt(_mm_xor_si128(_mm_loadu_si128(at), c));
      _mm_storeu_si128(at, c);
#pragma GCC unroll 4
      for (std::size_t group = 4 * block; group < 4 * block + 4; ++group) Sha256RoundGroup(group, w, lanes);
    }
    lanes.abef = _mm_add_epi32(lanes.abef, start.abef);
    lanes.cdgh = _mm_add_epi32(lanes.cdgh, start.cdgh);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(chain), c);
  StoreSha256Lanes(lanes, state);
}

}  // namespace qs
