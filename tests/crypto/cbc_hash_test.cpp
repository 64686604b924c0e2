#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "crypto/aes_block.h"
#include "crypto/cbc_hash_hardware.h"
#include "crypto/cipher_context.h"
#include "crypto/cpu_features.h"
#include "crypto/sha256.h"
#include "crypto/stitched_seal.h"
#include "crypto/symmetric_context.h"
#include "tests/crypto/crypto_paths.h"

namespace qs {
namespace {

using test::Bytes;
using test::PortableOnly;
using test::Random;
using Iv = std::span<const std::uint8_t, 16>;

bool BothInstructionSets() { return HardwareAesEnabled() && HardwareShaEnabled(); }

// Plaintext lengths around the hashed and cipher block sizes, the cipher's 512-byte batch, and
// one whole chunk.
std::vector<std::uint32_t> Lengths() {
  std::vector<std::uint32_t> lengths;
  for (std::uint32_t n = 0; n <= 300; ++n) lengths.push_back(n);
  for (std::uint32_t n = 490; n <= 530; ++n) lengths.push_back(n);
  lengths.push_back(2 * 1024 * 1024 + 5);
  return lengths;
}

// Each step's cipher blocks and hashed block against CBC over everything, then the
// compression of the first 64 * steps bytes; every key size, since the round count differs.
TEST(CbcHash, HardwareStepsEqualCbcThenCompression) {
  if (!BothInstructionSets()) GTEST_SKIP() << "no AES and SHA instructions here";
  std::mt19937 rng(21);
  for (const std::size_t keyBytes : {16u, 24u, 32u}) {
    AesKeySchedule schedule;
    ASSERT_TRUE(schedule.expand(Random(rng, keyBytes)));
    for (std::size_t steps = 0; steps <= 6; ++steps) {
      SCOPED_TRACE(std::to_string(keyBytes) + "-byte key, " + std::to_string(steps) + " steps");
      const Bytes message = Random(rng, 64 * (steps + 1));
      const Bytes iv = Random(rng, 16);
      Sha256State start;
      for (auto& w : start) w = static_cast<std::uint32_t>(rng());

      Bytes expected = message;
      Bytes expectedChain = iv;
      AesEncryptCbc(schedule, std::span<std::uint8_t, 16>(expectedChain.data(), 16),
                    std::span(expected).subspan(64));
      Sha256State expectedState = start;
      Sha256CompressBlocks(expectedState, std::span(expected).first(64 * steps));

      Bytes actual = message;
      Bytes chain = iv;
      Sha256State state = start;
      CbcHashStream stream{chain.data(), actual.data() + 64, actual.data(), steps, &state};
      CbcEncryptAndHashHardware(schedule, stream);
      EXPECT_EQ(actual, expected);
      EXPECT_EQ(chain, expectedChain);
      EXPECT_EQ(state, expectedState);
      EXPECT_EQ(stream.steps, 0u);
      EXPECT_EQ(stream.data, actual.data() + 64 * (steps + 1));
      EXPECT_EQ(stream.hashed, actual.data() + 64 * steps);
    }
  }
}

// One message's run of the loop, with its own chain and state.
struct LoopRun {
  LoopRun(std::mt19937& rng, std::size_t steps)
      : message(Random(rng, 64 * (steps + 1))),
        chain(Random(rng, 16)),
        stream{chain.data(), message.data() + 64, message.data(), steps, &state} {
    for (auto& w : state) w = static_cast<std::uint32_t>(rng());
  }
  LoopRun(const LoopRun& other)
      : message(other.message),
        chain(other.chain),
        state(other.state),
        stream{chain.data(), message.data() + 64, message.data(), other.stream.steps, &state} {}

  Bytes message;
  Bytes chain;
  Sha256State state;
  CbcHashStream stream;
};

// Two messages through the interleaved loop end exactly as each alone: every pair of step
// counts, so that either one runs on alone after the other is done.
TEST(CbcHash, HardwarePairEqualsTwoSingleRuns) {
  if (!BothInstructionSets()) GTEST_SKIP() << "no AES and SHA instructions here";
  std::mt19937 rng(22);
  AesKeySchedule schedule;
  ASSERT_TRUE(schedule.expand(Random(rng, 32)));
  for (std::size_t firstSteps = 0; firstSteps <= 5; ++firstSteps) {
    for (std::size_t secondSteps = 0; secondSteps <= 5; ++secondSteps) {
      SCOPED_TRACE(std::to_string(firstSteps) + " and " + std::to_string(secondSteps) + " steps");
      LoopRun first(rng, firstSteps);
      LoopRun second(rng, secondSteps);
      LoopRun firstAlone(first);
      LoopRun secondAlone(second);
      CbcEncryptAndHashHardware(schedule, firstAlone.stream);
      CbcEncryptAndHashHardware(schedule, secondAlone.stream);
      CbcEncryptAndHashPairHardware(schedule, first.stream, second.stream);
      for (const auto& [paired, alone] : {std::pair{&first, &firstAlone}, std::pair{&second, &secondAlone}}) {
        EXPECT_EQ(paired->message, alone->message);
        EXPECT_EQ(paired->chain, alone->chain);
        EXPECT_EQ(paired->state, alone->state);
        EXPECT_EQ(paired->stream.steps, 0u);
        EXPECT_EQ(paired->stream.data - paired->message.data(), alone->stream.data - alone->message.data());
      }
    }
  }
}

struct Sealed {
  Bytes message;  // IV, then the ciphertext with padding
  ByteBuffer digest;
};

// The two steps one after the other, as sealing did them before they were combined.
// The IV, the plaintext and room for its padding.
Bytes Framed(const Bytes& iv, const Bytes& plain) {
  Bytes out = iv;
  out.insert(out.end(), plain.begin(), plain.end());
  out.resize(16 + plain.size() + CipherContext::PaddingBytes(static_cast<std::uint32_t>(plain.size())));
  return out;
}

Sealed EncryptThenHash(CipherContext& cipher, const Bytes& prefix, const Bytes& iv, const Bytes& plain) {
  Sealed out{Framed(iv, plain), {}};
  cipher.setChainingBlock(Iv(iv.data(), 16));
  const auto length = static_cast<std::uint32_t>(plain.size());
  EXPECT_TRUE(cipher.encryptPaddedInPlace(std::span(out.message).subspan(16), length));
  Sha256Context hash;
  hash.update(prefix);
  hash.update(out.message);
  hash.digest(out.digest);
  return out;
}

Sealed OnePass(CipherContext& cipher, const Bytes& prefix, const Bytes& iv, const Bytes& plain) {
  Sealed out{Framed(iv, plain), {}};
  Sha256Context hash;
  hash.update(prefix);
  const auto length = static_cast<std::uint32_t>(plain.size());
  EXPECT_TRUE(EncryptAndHash(cipher, {out.message, length, hash}));
  hash.digest(out.digest);
  return out;
}

// One pass equals the two steps, on the combined path and on the portable one; a prefix that
// is not whole hashed blocks makes the one pass fall back, with the same result.
TEST(CbcHash, OnePassEqualsEncryptThenHashAtEveryLength) {
  std::mt19937 rng(5);
  for (const std::uint32_t length : Lengths()) {
    SCOPED_TRACE(std::to_string(length) + " bytes");
    CipherContext cipher(Random(rng, 32));
    const Bytes iv = Random(rng, 16);
    const Bytes plain = Random(rng, length);
    for (const std::size_t prefixBytes : {64u, 70u}) {
      if (length > 600 && prefixBytes != 64) continue;
      const Bytes prefix = Random(rng, prefixBytes);
      const Sealed expected = EncryptThenHash(cipher, prefix, iv, plain);
      const Sealed combined = OnePass(cipher, prefix, iv, plain);
      ASSERT_EQ(combined.message, expected.message);
      ASSERT_TRUE(combined.digest.equals(expected.digest));
      PortableOnly portable;
      const Sealed slow = OnePass(cipher, prefix, iv, plain);
      ASSERT_EQ(slow.message, expected.message);
      ASSERT_TRUE(slow.digest.equals(expected.digest));
    }
  }
}

// Two messages in one call end as one pass over each; a hash that has not absorbed whole
// blocks (a 70-byte prefix) makes its message, or both, fall back, with the same result.
TEST(CbcHash, PairEqualsOnePassOverEachWhicheverHashTakesWholeBlocks) {
  std::mt19937 rng(23);
  CipherContext cipher(Random(rng, 32));
  for (const auto& [firstPrefix, secondPrefix] : {std::pair{64u, 64u}, {70u, 64u}, {64u, 70u}, {70u, 70u}}) {
    for (const auto& [firstLength, secondLength] : {std::pair{200u, 1000u}, {1000u, 200u}, {0u, 47u}}) {
      SCOPED_TRACE(std::to_string(firstPrefix) + "/" + std::to_string(secondPrefix) + "-byte prefixes, " +
                   std::to_string(firstLength) + " and " + std::to_string(secondLength) + " bytes");
      const Bytes prefixes[2] = {Random(rng, firstPrefix), Random(rng, secondPrefix)};
      const Bytes ivs[2] = {Random(rng, 16), Random(rng, 16)};
      const Bytes plains[2] = {Random(rng, firstLength), Random(rng, secondLength)};
      Bytes messages[2] = {Framed(ivs[0], plains[0]), Framed(ivs[1], plains[1])};
      Sha256Context hashes[2];
      for (int i = 0; i < 2; ++i) hashes[i].update(prefixes[i]);
      ASSERT_TRUE(EncryptAndHashPair(cipher, {messages[0], firstLength, hashes[0]},
                                     {messages[1], secondLength, hashes[1]}));
      for (int i = 0; i < 2; ++i) {
        const Sealed expected = OnePass(cipher, prefixes[i], ivs[i], plains[i]);
        ByteBuffer digest;
        hashes[i].digest(digest);
        EXPECT_EQ(messages[i], expected.message) << i;
        EXPECT_TRUE(digest.equals(expected.digest)) << i;
      }
    }
  }
}

TEST(CbcHash, OnePassLeavesTheChainingBlockClearAndRefusesShortBuffers) {
  std::mt19937 rng(9);
  CipherContext cipher(Random(rng, 32));
  const Bytes prefix = Random(rng, 64);
  const Bytes plain = Random(rng, 200);
  const Bytes zeroIv = EncryptThenHash(cipher, prefix, Bytes(16, 0), plain).message;
  for (const bool portable : {false, true}) {
    std::optional<PortableOnly> force;
    if (portable) force.emplace();
    OnePass(cipher, prefix, Random(rng, 16), plain);
    // An operation without an IV of its own then starts from zeros, not from the last block.
    Bytes afterwards = plain;
    afterwards.resize(208);
    ASSERT_TRUE(cipher.encryptPaddedInPlace(afterwards, 200));
    EXPECT_EQ(afterwards, Bytes(zeroIv.begin() + 16, zeroIv.end())) << portable;

    Sha256Context hash;
    hash.update(prefix);
    Bytes oneShort(16 + 207);
    EXPECT_FALSE(EncryptAndHash(cipher, {oneShort, 200, hash})) << portable;
    Bytes noIv(15);
    EXPECT_FALSE(EncryptAndHash(cipher, {noIv, 0, hash})) << portable;
  }
}

// Sealing with a hook takes the steps one after the other: the same bytes, and the hook
// counts every cipher block (16 each) and every hashed block of IV and ciphertext (64 each).
TEST(CbcHash, SealingIsTheSameWithAHookAndOnThePortablePath) {
  std::mt19937 rng(13);
  const Bytes key = Random(rng, 32);
  const Bytes iv = Random(rng, 16);
  SymmetricContext plainContext(key, nullptr);
  SymmetricContext hooked(key, nullptr);
  ProgressHook hook;
  hooked.setHook(&hook);
  for (const std::uint32_t length : {0u, 47u, 48u, 111u, 112u, 1000u, 2u * 1024 * 1024 + 5}) {
    SCOPED_TRACE(std::to_string(length) + " bytes");
    const Bytes plain = Random(rng, length);
    Bytes sealed[3];
    for (Bytes& buffer : sealed) {
      buffer = Framed(Bytes(16), plain);
      buffer.resize(SymmetricContext::SealedSize(length));
    }
    ASSERT_TRUE(plainContext.seal(sealed[0], length, Iv(iv.data(), 16)));
    hook.count = 0;
    ASSERT_TRUE(hooked.seal(sealed[1], length, Iv(iv.data(), 16)));
    const std::int64_t padded = SymmetricContext::SealedSize(length) - 48;
    EXPECT_EQ(hook.count.load(), padded + 64 * ((16 + padded) / 64));
    {
      PortableOnly portable;
      ASSERT_TRUE(plainContext.seal(sealed[2], length, Iv(iv.data(), 16)));
    }
    ASSERT_EQ(sealed[1], sealed[0]);
    ASSERT_EQ(sealed[2], sealed[0]);
    const std::optional<std::span<std::uint8_t>> opened = plainContext.open(sealed[0]);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(std::equal(opened->begin(), opened->end(), plain.begin(), plain.end()));
  }
}

}  // namespace
}  // namespace qs
