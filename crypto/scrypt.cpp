#include "crypto/scrypt.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <utility>

#include "base/byte_order.h"
#include "base/secure_wipe.h"
#include "crypto/secret_bytes.h"
#include "crypto/sha256.h"

namespace qs {
namespace {

constexpr std::uint8_t kMaxLog2N = 20;
constexpr std::uint32_t kMaxR = 32;
constexpr std::uint32_t kMaxP = 16;
constexpr std::uint64_t kMaxLaneBytes = std::uint64_t{1} << 30;
constexpr std::uint64_t kMaxWorkBytes = std::uint64_t{4} << 30;

constexpr std::size_t kSalsaWords = 16;
constexpr std::size_t kMaxBlockWords = 2 * kMaxR * kSalsaWords;

// Sha256Context writes each state word least significant byte first; the standard digest
// has them most significant first.
void StandardDigest(Sha256Context& context, std::span<std::uint8_t, kSha256DigestBytes> out) {
  context.digest(out);
  for (std::size_t i = 0; i < kSha256DigestBytes; i += 4) {
    std::swap(out[i], out[i + 3]);
    std::swap(out[i + 1], out[i + 2]);
  }
}

// HMAC-SHA256 as RFC 2104 defines it, over the standard digest. HmacSha256Context cannot
// serve: it uses the program's digest order and refuses short and long keys. The two
// contexts hold the key blocks absorbed, so each MAC costs only its own blocks.
class StandardHmac {
 public:
  explicit StandardHmac(std::span<const std::uint8_t> key) {
    SecretBytes<kSha256BlockBytes> block;  // the key, or its digest when longer, zero-padded
    if (key.size() > kSha256BlockBytes) {
      Sha256Context hash;
      hash.update(key);
      StandardDigest(hash, block.span().first<kSha256DigestBytes>());
    } else if (!key.empty()) {
      std::memcpy(block.data(), key.data(), key.size());
    }
    SecretBytes<kSha256BlockBytes> pad;
    for (std::size_t i = 0; i < kSha256BlockBytes; ++i) pad[i] = static_cast<std::uint8_t>(block[i] ^ 0x36);
    inner_.update(pad.span());
    for (std::size_t i = 0; i < kSha256BlockBytes; ++i) pad[i] = static_cast<std::uint8_t>(block[i] ^ 0x5C);
    outer_.update(pad.span());
  }

  // The MAC of first followed by second.
  void compute(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
               std::span<std::uint8_t, kSha256DigestBytes> out) const {
    Sha256Context inner = inner_;
    inner.update(first);
    inner.update(second);
    SecretBytes<kSha256DigestBytes> innerDigest;
    StandardDigest(inner, innerDigest.span());
    Sha256Context outer = outer_;
    outer.update(innerDigest.span());
    StandardDigest(outer, out);
  }

 private:
  Sha256Context inner_;
  Sha256Context outer_;
};

inline std::uint32_t Rotl(std::uint32_t v, int c) { return (v << c) | (v >> (32 - c)); }

// Salsa20/8 core (RFC 7914 section 3) on b in place; x is the caller's scratch, so that it
// is wiped once with the rest of the work instead of on every call.
void Salsa20_8(std::uint32_t* b, std::uint32_t* x) {
  std::memcpy(x, b, kSalsaWords * sizeof(std::uint32_t));
  for (int i = 0; i < 8; i += 2) {
    // Columns
    x[4] ^= Rotl(x[0] + x[12], 7);
    x[8] ^= Rotl(x[4] + x[0], 9);
    x[12] ^= Rotl(x[8] + x[4], 13);
    x[0] ^= Rotl(x[12] + x[8], 18);
    x[9] ^= Rotl(x[5] + x[1], 7);
    x[13] ^= Rotl(x[9] + x[5], 9);
    x[1] ^= Rotl(x[13] + x[9], 13);
    x[5] ^= Rotl(x[1] + x[13], 18);
    x[14] ^= Rotl(x[10] + x[6], 7);
    x[2] ^= Rotl(x[14] + x[10], 9);
    x[6] ^= Rotl(x[2] + x[14], 13);
    x[10] ^= Rotl(x[6] + x[2], 18);
    x[3] ^= Rotl(x[15] + x[11], 7);
    x[7] ^= Rotl(x[3] + x[15], 9);
    x[11] ^= Rotl(x[7] + x[3], 13);
    x[15] ^= Rotl(x[11] + x[7], 18);
    // Rows
    x[1] ^= Rotl(x[0] + x[3], 7);
    x[2] ^= Rotl(x[1] + x[0], 9);
    x[3] ^= Rotl(x[2] + x[1], 13);
    x[0] ^= Rotl(x[3] + x[2], 18);
    x[6] ^= Rotl(x[5] + x[4], 7);
    x[7] ^= Rotl(x[6] + x[5], 9);
    x[4] ^= Rotl(x[7] + x[6], 13);
    x[5] ^= Rotl(x[4] + x[7], 18);
    x[11] ^= Rotl(x[10] + x[9], 7);
    x[8] ^= Rotl(x[11] + x[10], 9);
    x[9] ^= Rotl(x[8] + x[11], 13);
    x[10] ^= Rotl(x[9] + x[8], 18);
    x[12] ^= Rotl(x[15] + x[14], 7);
    x[13] ^= Rotl(x[12] + x[15], 9);
    x[14] ^= Rotl(x[13] + x[12], 13);
    x[15] ^= Rotl(x[14] + x[13], 18);
  }
  for (std::size_t i = 0; i < kSalsaWords; ++i) b[i] += x[i];
}

// Every temporary of the mixing, on the stack and wiped once at the end.
struct MixWork {
  std::array<std::uint32_t, kMaxBlockWords> x;
  std::array<std::uint32_t, kMaxBlockWords> y;
  std::array<std::uint32_t, kMaxBlockWords> t;
  std::array<std::uint32_t, kSalsaWords> chain;
  std::array<std::uint32_t, kSalsaWords> salsa;

  MixWork() = default;
  MixWork(const MixWork&) = delete;
  MixWork& operator=(const MixWork&) = delete;
  ~MixWork() { SecureWipe(this, sizeof(*this)); }
};

// scryptBlockMix (RFC 7914 section 4): in and out are 2r blocks of 16 words; the even
// results go to the first half of out, the odd ones to the second.
void BlockMix(const std::uint32_t* in, std::uint32_t* out, std::uint32_t r, MixWork& work) {
  std::uint32_t* x = work.chain.data();
  std::memcpy(x, in + (2 * r - 1) * kSalsaWords, kSalsaWords * sizeof(std::uint32_t));
  for (std::uint32_t i = 0; i < 2 * r; ++i) {
    const std::uint32_t* block = in + i * kSalsaWords;
    for (std::size_t k = 0; k < kSalsaWords; ++k) x[k] ^= block[k];
    Salsa20_8(x, work.salsa.data());
    const std::uint32_t slot = (i % 2 == 0) ? i / 2 : r + i / 2;
    std::memcpy(out + slot * kSalsaWords, x, kSalsaWords * sizeof(std::uint32_t));
  }
}

// scryptROMix (RFC 7914 section 5) on one lane of 128 * r bytes in place. v has room for N
// blocks; it holds them in the machine's word order, as only this function reads them.
void RoMix(std::uint8_t* lane, std::uint32_t r, std::uint32_t n, ByteBuffer& v, MixWork& work) {
  const std::size_t words = 32 * std::size_t{r};
  const std::size_t bytes = words * sizeof(std::uint32_t);
  std::uint32_t* x = work.x.data();
  std::uint32_t* y = work.y.data();
  std::uint32_t* t = work.t.data();
  for (std::size_t k = 0; k < words; ++k) x[k] = LoadLe32(lane + 4 * k);

  std::uint8_t* blocks = v.data();
  for (std::uint32_t i = 0; i < n; ++i) {
    std::memcpy(blocks + i * bytes, x, bytes);
    BlockMix(x, y, r, work);
    std::swap(x, y);
  }
  // Integerify: the first word of the last 64-byte block, little-endian; N is at most 2^20,
  // so its low 32 bits decide j.
  const std::size_t last = (2 * std::size_t{r} - 1) * kSalsaWords;
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t j = x[last] & (n - 1);
    std::memcpy(t, blocks + j * bytes, bytes);
    for (std::size_t k = 0; k < words; ++k) x[k] ^= t[k];
    BlockMix(x, y, r, work);
    std::swap(x, y);
  }
  for (std::size_t k = 0; k < words; ++k) StoreLe32(lane + 4 * k, x[k]);
}

}  // namespace

bool ScryptCostAllowed(const ScryptCost& cost) {
  if (cost.log2N < 1 || cost.log2N > kMaxLog2N) return false;
  if (cost.r < 1 || cost.r > kMaxR || cost.p < 1 || cost.p > kMaxP) return false;
  const std::uint64_t laneBytes = std::uint64_t{128} * cost.r << cost.log2N;
  if (laneBytes > kMaxLaneBytes || laneBytes * cost.p > kMaxWorkBytes) return false;
  return std::uint64_t{cost.p} * cost.r < (std::uint64_t{1} << 30);
}

void Pbkdf2HmacSha256(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt,
                      std::uint32_t iterations, std::span<std::uint8_t> out) {
  const StandardHmac hmac(password);
  SecretBytes<kSha256DigestBytes> u;
  SecretBytes<kSha256DigestBytes> sum;
  std::uint8_t counter[4];  // the block index, public
  std::uint32_t index = 1;
  for (std::size_t done = 0; done < out.size(); done += kSha256DigestBytes, ++index) {
    StoreBe32(counter, index);
    hmac.compute(salt, counter, u.span());
    sum = u;
    for (std::uint32_t c = 1; c < iterations; ++c) {
      hmac.compute(u.span(), {}, u.span());
      for (std::size_t k = 0; k < kSha256DigestBytes; ++k) sum[k] ^= u[k];
    }
    const std::size_t take = std::min(kSha256DigestBytes, out.size() - done);
    std::memcpy(out.data() + done, sum.data(), take);
  }
}

ByteBuffer Scrypt(std::span<const std::uint8_t> passphrase, std::span<const std::uint8_t> salt,
                  const ScryptCost& cost, std::size_t length) {
  if (!ScryptCostAllowed(cost) || length == 0 || length > std::numeric_limits<std::uint32_t>::max())
    return {};
  const std::uint32_t n = std::uint32_t{1} << cost.log2N;
  const std::uint32_t laneBytes = 128 * cost.r;

  ByteBuffer lanes = ByteBuffer::zeros(laneBytes * cost.p);
  Pbkdf2HmacSha256(passphrase, salt, 1, lanes.span());
  {
    // At most 1 GiB, checked above. ByteBuffer wipes every block it releases.
    ByteBuffer v = ByteBuffer::zeros(laneBytes * n);
    MixWork work;
    for (std::uint32_t i = 0; i < cost.p; ++i) RoMix(lanes.data() + i * laneBytes, cost.r, n, v, work);
  }
  ByteBuffer out = ByteBuffer::zeros(static_cast<std::uint32_t>(length));
  Pbkdf2HmacSha256(passphrase, lanes.span(), 1, out.span());
  return out;
}

}  // namespace qs
