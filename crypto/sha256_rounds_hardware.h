#pragma once
// Only for the files that use the SHA instructions (sha256_hardware.cpp,
// cbc_hash_hardware.cpp): every function here carries the target attribute, so nothing else
// is compiled for them.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "crypto/sha256_compress.h"

#define QS_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1")))

namespace qs {

// The instructions keep the working variables as two vectors, ABEF and CDGH.
struct Sha256Lanes {
  __m128i abef;
  __m128i cdgh;
};

QS_SHA_TARGET inline Sha256Lanes LoadSha256Lanes(const Sha256State& state) {
  const __m128i dcba = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
  return {_mm_alignr_epi8(dcba, efgh, 8), _mm_blend_epi16(efgh, dcba, 0xF0)};
}

QS_SHA_TARGET inline void StoreSha256Lanes(const Sha256Lanes& lanes, Sha256State& state) {
  const __m128i feba = _mm_shuffle_epi32(lanes.abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(lanes.cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

// Four message words of a block, read big-endian.
QS_SHA_TARGET inline __m128i LoadSha256Words(const std::uint8_t* p) {
  const __m128i reverseWords = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), reverseWords);
}

// Rounds 4 * group to 4 * group + 3 (group 0 to 15). Message words are scheduled four at a
// time in a ring of four vectors: for the first four groups w[group] holds the block's words,
// later groups derive theirs in place. Each group takes two instructions of two rounds each.
QS_SHA_TARGET inline void Sha256RoundGroup(std::size_t group, __m128i (&w)[4], Sha256Lanes& lanes) {
  __m128i& words = w[group % 4];
  if (group >= 4) {
    // words(t) = sigma1(w[t-2]) + w[t-7] + sigma0(w[t-15]) + w[t-16], four at a time.
    const __m128i& back1 = w[(group + 3) % 4];
    const __m128i& back2 = w[(group + 2) % 4];
    const __m128i& back3 = w[(group + 1) % 4];
    words = _mm_sha256msg1_epu32(words, back3);
    words = _mm_add_epi32(words, _mm_alignr_epi8(back1, back2, 4));
    words = _mm_sha256msg2_epu32(words, back1);
  }
  __m128i sum = _mm_add_epi32(
      words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&kSha256RoundConstants[4 * group])));
  lanes.cdgh = _mm_sha256rnds2_epu32(lanes.cdgh, lanes.abef, sum);
  sum = _mm_shuffle_epi32(sum, 0x0E);
  lanes.abef = _mm_sha256rnds2_epu32(lanes.abef, lanes.cdgh, sum);
}

}  // namespace qs
