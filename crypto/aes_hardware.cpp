#include "crypto/aes_hardware.h"

#include <immintrin.h>

#include "base/secure_wipe.h"

// Only these functions may use the AES and SSSE3 instructions; the attribute keeps them out
// of everything else the compiler generates in this file, so no other code ever needs them.
#define QS_AES_TARGET __attribute__((target("aes,ssse3,sse4.1")))

namespace qs {
namespace {

// Independent blocks in flight at once: enough to cover the latency of the round instruction.
constexpr std::size_t kLanes = 8;

// The schedule holds each word big-endian; the instructions want the round key in byte
// order, so each 4-byte group is reversed on loading. The copy is wiped when it goes.
class RoundKeys {
 public:
  QS_AES_TARGET RoundKeys(const std::uint32_t* words, std::uint32_t rounds) : rounds_(rounds) {
    const __m128i reverseWords = _mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3);
    for (std::uint32_t r = 0; r <= rounds; ++r) {
      keys_[r] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * r)), reverseWords);
    }
  }
  RoundKeys(const RoundKeys&) = delete;
  RoundKeys& operator=(const RoundKeys&) = delete;
  ~RoundKeys() { SecureWipe(keys_, sizeof(keys_)); }

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
  QS_AES_TARGET void encrypt(__m128i (&b)[kLanes]) const {
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_xor_si128(b[i], keys_[0]);
    for (std::uint32_t r = 1; r < rounds_; ++r) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_aesenc_si128(b[i], keys_[r]);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_aesenclast_si128(b[i], keys_[rounds_]);
  }
  QS_AES_TARGET void decrypt(__m128i (&b)[kLanes]) const {
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_xor_si128(b[i], keys_[0]);
    for (std::uint32_t r = 1; r < rounds_; ++r) {
#pragma GCC unroll 8
      for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_aesdec_si128(b[i], keys_[r]);
    }
#pragma GCC unroll 8
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = _mm_aesdeclast_si128(b[i], keys_[rounds_]);
  }

 private:
  __m128i keys_[AesKeySchedule::kMaxRounds + 1];
  std::uint32_t rounds_;
};

QS_AES_TARGET __m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
QS_AES_TARGET void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

template <bool kEncrypt>
QS_AES_TARGET void EcbBlocks(const RoundKeys& keys, std::uint8_t* data, std::size_t blocks) {
  for (; blocks >= kLanes; blocks -= kLanes, data += 16 * kLanes) {
    __m128i b[kLanes];
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = Load(data + 16 * i);
    if constexpr (kEncrypt) keys.encrypt(b); else keys.decrypt(b);
    for (std::size_t i = 0; i < kLanes; ++i) Store(data + 16 * i, b[i]);
  }
  for (; blocks > 0; --blocks, data += 16) Store(data, kEncrypt ? keys.encrypt(Load(data)) : keys.decrypt(Load(data)));
}

}  // namespace

QS_AES_TARGET void AesHardwareEncryptBlocks(const AesKeySchedule& schedule, std::uint8_t* data, std::size_t blocks) {
  const RoundKeys keys(schedule.encryptionKeys(), schedule.rounds());
  EcbBlocks<true>(keys, data, blocks);
}

QS_AES_TARGET void AesHardwareDecryptBlocks(const AesKeySchedule& schedule, std::uint8_t* data, std::size_t blocks) {
  const RoundKeys keys(schedule.decryptionKeys(), schedule.rounds());
  EcbBlocks<false>(keys, data, blocks);
}

QS_AES_TARGET void AesHardwareEncryptCbc(const AesKeySchedule& schedule, std::uint8_t* chain, std::uint8_t* data,
                                         std::size_t blocks) {
  const RoundKeys keys(schedule.encryptionKeys(), schedule.rounds());
  __m128i c = Load(chain);
  for (; blocks > 0; --blocks, data += 16) {
    c = keys.encrypt(_mm_xor_si128(Load(data), c));
    Store(data, c);
  }
  Store(chain, c);
}

// Decryption has no chain between the block operations, so kLanes blocks go at once and
// each is then combined with the ciphertext before it.
QS_AES_TARGET void AesHardwareDecryptCbc(const AesKeySchedule& schedule, std::uint8_t* chain, std::uint8_t* data,
                                         std::size_t blocks) {
  const RoundKeys keys(schedule.decryptionKeys(), schedule.rounds());
  __m128i previous = Load(chain);
  for (; blocks >= kLanes; blocks -= kLanes, data += 16 * kLanes) {
    __m128i cipher[kLanes];
    __m128i b[kLanes];
    for (std::size_t i = 0; i < kLanes; ++i) b[i] = cipher[i] = Load(data + 16 * i);
    keys.decrypt(b);
    Store(data, _mm_xor_si128(b[0], previous));
    for (std::size_t i = 1; i < kLanes; ++i) Store(data + 16 * i, _mm_xor_si128(b[i], cipher[i - 1]));
    previous = cipher[kLanes - 1];
  }
  for (; blocks > 0; --blocks, data += 16) {
    const __m128i cipher = Load(data);
    Store(data, _mm_xor_si128(keys.decrypt(cipher), previous));
    previous = cipher;
  }
  Store(chain, previous);
}

}  // namespace qs
