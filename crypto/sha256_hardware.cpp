#include "crypto/sha256_hardware.h"

#include <immintrin.h>

// Only this function may use the SHA and SSE4.1 instructions; the attribute keeps them out of
// everything else the compiler generates in this file.
#define QS_SHA_TARGET __attribute__((target("sha,ssse3,sse4.1")))

namespace qs {

// The instructions keep the working variables as two vectors, ABEF and CDGH; four message
// words are scheduled at a time in a ring of four vectors, and each group of four rounds
// takes two instructions of two rounds each.
QS_SHA_TARGET void Sha256HardwareCompress(Sha256State& state, const std::uint8_t* data, std::size_t blocks) {
  const __m128i reverseWords = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
  const __m128i dcba = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
  __m128i abef = _mm_alignr_epi8(dcba, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, dcba, 0xF0);

  for (; blocks > 0; --blocks, data += kSha256BlockBytes) {
    const __m128i abefStart = abef;
    const __m128i cdghStart = cdgh;
    __m128i w[4];
#pragma GCC unroll 16
    for (std::size_t group = 0; group < 16; ++group) {
      __m128i& words = w[group % 4];
      if (group < 4) {
        words = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * group)), reverseWords);
      } else {
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
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, sum);
      sum = _mm_shuffle_epi32(sum, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, sum);
    }
    abef = _mm_add_epi32(abef, abefStart);
    cdgh = _mm_add_epi32(cdgh, cdghStart);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

}  // namespace qs
