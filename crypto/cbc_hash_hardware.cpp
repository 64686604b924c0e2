#include "crypto/cbc_hash_hardware.h"

#include <algorithm>

#include "crypto/aes_round_keys.h"
#include "crypto/sha256_rounds_hardware.h"

// Only the functions here may use the AES and SHA instructions; the helpers they inline
// carry subsets of this target.
#define QS_AES_SHA_TARGET __attribute__((target("aes,sha,ssse3,sse4.1")))

namespace qs {
namespace {

// steps steps of each of the Streams messages, interleaved block by block and round group by
// round group: the chains do not depend on each other, so the processor overlaps them.
template <std::size_t Streams>
QS_AES_SHA_TARGET inline void Interleave(const AesRoundKeys& keys, CbcHashStream* const (&streams)[Streams],
                                         std::size_t steps) {
  __m128i c[Streams];
  Sha256Lanes lanes[Streams];
  std::uint8_t* data[Streams];
  const std::uint8_t* hashed[Streams];
  for (std::size_t s = 0; s < Streams; ++s) {
    c[s] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(streams[s]->chain));
    lanes[s] = LoadSha256Lanes(*streams[s]->state);
    data[s] = streams[s]->data;
    hashed[s] = streams[s]->hashed;
  }
  for (std::size_t step = 0; step < steps; ++step) {
    Sha256Lanes start[Streams];
    // The hashed blocks are read before any store of this step, so the chains need not wait
    // for each other in memory either.
    __m128i w[Streams][4];
    for (std::size_t s = 0; s < Streams; ++s) {
      start[s] = lanes[s];
      for (std::size_t i = 0; i < 4; ++i) w[s][i] = LoadSha256Words(hashed[s] + 16 * i);
    }
#pragma GCC unroll 4
    for (std::size_t block = 0; block < 4; ++block) {
      for (std::size_t s = 0; s < Streams; ++s) {
        __m128i* at = reinterpret_cast<__m128i*>(data[s] + 16 * block);
        c[s] = keys.encrypt(_mm_xor_si128(_mm_loadu_si128(at), c[s]));
        _mm_storeu_si128(at, c[s]);
      }
#pragma GCC unroll 4
      for (std::size_t group = 4 * block; group < 4 * block + 4; ++group) {
        for (std::size_t s = 0; s < Streams; ++s) Sha256RoundGroup(group, w[s], lanes[s]);
      }
    }
    for (std::size_t s = 0; s < Streams; ++s) {
      lanes[s].abef = _mm_add_epi32(lanes[s].abef, start[s].abef);
      lanes[s].cdgh = _mm_add_epi32(lanes[s].cdgh, start[s].cdgh);
      data[s] += 64;
      hashed[s] += kSha256BlockBytes;
    }
  }
  for (std::size_t s = 0; s < Streams; ++s) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(streams[s]->chain), c[s]);
    StoreSha256Lanes(lanes[s], *streams[s]->state);
    streams[s]->data = data[s];
    streams[s]->hashed = hashed[s];
    streams[s]->steps -= steps;
  }
}

}  // namespace

QS_AES_SHA_TARGET void CbcEncryptAndHashHardware(const AesKeySchedule& schedule, CbcHashStream& stream) {
  const AesRoundKeys keys(schedule.encryptionKeys(), schedule.rounds());
  CbcHashStream* const streams[1] = {&stream};
  Interleave(keys, streams, stream.steps);
}

QS_AES_SHA_TARGET void CbcEncryptAndHashPairHardware(const AesKeySchedule& schedule, CbcHashStream& first,
                                                     CbcHashStream& second) {
  const AesRoundKeys keys(schedule.encryptionKeys(), schedule.rounds());
  CbcHashStream* const both[2] = {&first, &second};
  Interleave(keys, both, std::min(first.steps, second.steps));
  CbcHashStream* const rest[1] = {first.steps > 0 ? &first : &second};
  Interleave(keys, rest, rest[0]->steps);
}

}  // namespace qs
