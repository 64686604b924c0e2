#include "crypto/aes_hardware.h"

#include "crypto/aes_round_keys.h"

namespace qs {
namespace {

QS_AES_TARGET __m128i Load(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
QS_AES_TARGET void Store(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

template <bool kEncrypt>
QS_AES_TARGET void EcbBlocks(const AesRoundKeys& keys, std::uint8_t* data, std::size_t blocks) {
  for (; blocks >= kAesLanes; blocks -= kAesLanes, data += 16 * kAesLanes) {
    __m128i b[kAesLanes];
    for (std::size_t i = 0; i < kAesLanes; ++i) b[i] = Load(data + 16 * i);
    if constexpr (kEncrypt)
      keys.encrypt(b);
    else
      keys.decrypt(b);
    for (std::size_t i = 0; i < kAesLanes; ++i) Store(data + 16 * i, b[i]);
  }
  for (; blocks > 0; --blocks, data += 16)
    Store(data, kEncrypt ? keys.encrypt(Load(data)) : keys.decrypt(Load(data)));
}

}  // namespace

QS_AES_TARGET void AesHardwareEncryptBlocks(const AesKeySchedule& schedule, std::uint8_t* data,
                                            std::size_t blocks) {
  const AesRoundKeys keys(schedule.encryptionKeys(), schedule.rounds());
  EcbBlocks<true>(keys, data, blocks);
}

QS_AES_TARGET void AesHardwareDecryptBlocks(const AesKeySchedule& schedule, std::uint8_t* data,
                                            std::size_t blocks) {
  const AesRoundKeys keys(schedule.decryptionKeys(), schedule.rounds());
  EcbBlocks<false>(keys, data, blocks);
}

QS_AES_TARGET void AesHardwareEncryptCbc(const AesKeySchedule& schedule, std::uint8_t* chain,
                                         std::uint8_t* data, std::size_t blocks) {
  const AesRoundKeys keys(schedule.encryptionKeys(), schedule.rounds());
  __m128i c = Load(chain);
  for (; blocks > 0; --blocks, data += 16) {
    c = keys.encrypt(_mm_xor_si128(Load(data), c));
    Store(data, c);
  }
  Store(chain, c);
}

// Decryption has no chain between the block operations, so kAesLanes blocks go at once and
// each is then combined with the ciphertext before it.
QS_AES_TARGET void AesHardwareDecryptCbc(const AesKeySchedule& schedule, std::uint8_t* chain,
                                         std::uint8_t* data, std::size_t blocks) {
  const AesRoundKeys keys(schedule.decryptionKeys(), schedule.rounds());
  __m128i previous = Load(chain);
  for (; blocks >= kAesLanes; blocks -= kAesLanes, data += 16 * kAesLanes) {
    __m128i cipher[kAesLanes];
    __m128i b[kAesLanes];
    for (std::size_t i = 0; i < kAesLanes; ++i) b[i] = cipher[i] = Load(data + 16 * i);
    keys.decrypt(b);
    Store(data, _mm_xor_si128(b[0], previous));
    for (std::size_t i = 1; i < kAesLanes; ++i) Store(data + 16 * i, _mm_xor_si128(b[i], cipher[i - 1]));
    previous = cipher[kAesLanes - 1];
  }
  for (; blocks > 0; --blocks, data += 16) {
    const __m128i cipher = Load(data);
    Store(data, _mm_xor_si128(keys.decrypt(cipher), previous));
    previous = cipher;
  }
  Store(chain, previous);
}

}  // namespace qs
