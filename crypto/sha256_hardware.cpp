#include "crypto/sha256_hardware.h"

#include "crypto/sha256_rounds_hardware.h"

namespace qs {

QS_SHA_TARGET void Sha256HardwareCompress(Sha256State& state, const std::uint8_t* data, std::size_t blocks) {
  Sha256Lanes lanes = LoadSha256Lanes(state);
  for (; blocks > 0; --blocks, data += kSha256BlockBytes) {
    const Sha256Lanes start = lanes;
    __m128i w[4];
    for (std::size_t i = 0; i < 4; ++i) w[i] = LoadSha256Words(data + 16 * i);
#pragma GCC unroll 16
    for (std::size_t group = 0; group < 16; ++group) Sha256RoundGroup(group, w, lanes);
    lanes.abef = _mm_add_epi32(lanes.abef, start.abef);
    lanes.cdgh = _mm_add_epi32(lanes.cdgh, start.cdgh);
  }
  StoreSha256Lanes(lanes, state);
}

}  // namespace qs
