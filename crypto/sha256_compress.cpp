#include "crypto/sha256_compress.h"

#include "base/byte_order.h"
#include "base/secure_wipe.h"
#include "crypto/cpu_features.h"
#include "crypto/sha256_hardware.h"

namespace qs {
namespace {

constexpr std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void PortableCompress(Sha256State& state, std::span<const std::uint8_t, kSha256BlockBytes> block) {
  // The message schedule is kept as a ring of 16 words: word t lives at t mod 16 and is
  // replaced once it is no longer needed. It may be derived from a key, so it is wiped.
  std::array<std::uint32_t, 16> w;
  for (std::size_t t = 0; t < 16; ++t) w[t] = LoadBe32(block.data() + 4 * t);
  std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  std::uint32_t e = state[4], f = state[5], g = state[6], h = state[7];
  for (std::size_t t = 0; t < 64; ++t) {
    if (t >= 16) {
      const std::uint32_t w15 = w[(t - 15) % 16];
      const std::uint32_t w2 = w[(t - 2) % 16];
      const std::uint32_t sigma0 = Rotr(w15, 7) ^ Rotr(w15, 18) ^ (w15 >> 3);
      const std::uint32_t sigma1 = Rotr(w2, 17) ^ Rotr(w2, 19) ^ (w2 >> 10);
      w[t % 16] += sigma0 + w[(t - 7) % 16] + sigma1;
    }
    const std::uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) +
                             kSha256RoundConstants[t] + w[t % 16];
    const std::uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
  state[5] += f;
  state[6] += g;
  state[7] += h;
  SecureWipe(w.data(), sizeof(w));
}

}  // namespace

void Sha256Compress(Sha256State& state, std::span<const std::uint8_t, kSha256BlockBytes> block) {
  if (HardwareShaEnabled()) return Sha256HardwareCompress(state, block.data(), 1);
  PortableCompress(state, block);
}

void Sha256CompressBlocks(Sha256State& state, std::span<const std::uint8_t> blocks) {
  const std::size_t count = blocks.size() / kSha256BlockBytes;
  if (HardwareShaEnabled()) return Sha256HardwareCompress(state, blocks.data(), count);
  for (std::size_t i = 0; i < count; ++i) {
    PortableCompress(state, blocks.subspan(kSha256BlockBytes * i).first<kSha256BlockBytes>());
  }
}

}  // namespace qs
