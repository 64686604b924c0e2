#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "crypto/aes_block.h"
#include "crypto/cpu_features.h"
#include "crypto/sha256.h"
#include "crypto/sha256_compress.h"
#include "tests/crypto/crypto_paths.h"
#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::Bytes;
using test::PortableOnly;
using test::Random;

using Block = std::span<std::uint8_t, kAesBlockBytes>;

TEST(CryptoPaths, ForcingThePortablePathIsHonouredAndUndone) {
  const bool aes = HardwareAesEnabled();
  const bool sha = HardwareShaEnabled();
  {
    PortableOnly portable;
    EXPECT_FALSE(HardwareAesEnabled());
    EXPECT_FALSE(HardwareShaEnabled());
  }
  EXPECT_EQ(HardwareAesEnabled(), aes);
  EXPECT_EQ(HardwareShaEnabled(), sha);
}

// Each AES mode through both paths on random keys and data, for every block count from 0 to
// past two batches of the hardware path's lanes; the resulting chaining values must agree too.
TEST(CryptoPaths, AesHardwareAndPortableAgreeInEveryMode) {
  if (!HardwareAesEnabled()) GTEST_SKIP() << "no AES instructions here";
  std::mt19937 rng(7);
  for (const std::size_t keyBytes : {16u, 24u, 32u}) {
    AesKeySchedule schedule;
    ASSERT_TRUE(schedule.expand(Random(rng, keyBytes)));
    for (std::size_t blocks = 0; blocks <= 19; ++blocks) {
      SCOPED_TRACE(std::to_string(keyBytes) + "-byte key, " + std::to_string(blocks) + " blocks");
      const Bytes data = Random(rng, 16 * blocks);
      const Bytes iv = Random(rng, 16);
      // Index 0: hardware, 1: portable.
      Bytes ecb[2], cbc[2], plain[2], chainOut[2], chainBack[2];
      for (int portable = 0; portable < 2; ++portable) {
        std::optional<PortableOnly> force;
        if (portable) force.emplace();
        ecb[portable] = data;
        AesEncryptBlocks(schedule, ecb[portable]);
        cbc[portable] = data;
        chainOut[portable] = iv;
        AesEncryptCbc(schedule, Block(chainOut[portable].data(), 16), cbc[portable]);
        plain[portable] = cbc[portable];
        chainBack[portable] = iv;
        AesDecryptCbc(schedule, Block(chainBack[portable].data(), 16), plain[portable]);
        EXPECT_EQ(plain[portable], data);
      }
      EXPECT_EQ(ecb[0], ecb[1]);
      EXPECT_EQ(cbc[0], cbc[1]);
      EXPECT_EQ(chainOut[0], chainOut[1]);
      EXPECT_EQ(chainBack[0], chainBack[1]);
      if (blocks > 0) {
        EXPECT_EQ(chainOut[0], Bytes(cbc[0].end() - 16, cbc[0].end()));
      }
    }
  }
}

TEST(CryptoPaths, AesSingleBlockVectorsOnThePortablePath) {
  PortableOnly portable;
  for (const auto& v : test::LoadVectors("crypto/aes_block.txt")) {
    AesKeySchedule schedule;
    ASSERT_TRUE(schedule.expand(test::FromHex(v.at("Key")).span()));
    ByteBuffer block = test::FromHex(v.at("Plaintext"));
    AesEncryptBlock(schedule, Block(block.data(), 16));
    EXPECT_EQ(test::ToHex(block), v.at("Ciphertext"));
    AesDecryptBlock(schedule, Block(block.data(), 16));
    EXPECT_EQ(test::ToHex(block), v.at("Plaintext"));
  }
}

TEST(CryptoPaths, ShaHardwareAndPortableAgreeOnEveryLength) {
  if (!HardwareShaEnabled()) GTEST_SKIP() << "no SHA instructions here";
  std::mt19937 rng(11);
  // Every length up to past four blocks, then lengths around the context's 4096-byte batch.
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n <= 260; ++n) lengths.push_back(n);
  for (const std::size_t n : {4031u, 4095u, 4096u, 4097u, 4160u, 8193u, 12345u}) lengths.push_back(n);
  for (const std::size_t n : lengths) {
    const Bytes message = Random(rng, n);
    ByteBuffer digests[2];
    for (int portable = 0; portable < 2; ++portable) {
      std::optional<PortableOnly> force;
      if (portable) force.emplace();
      digests[portable] = Sha256(message);
    }
    ASSERT_TRUE(digests[0].equals(digests[1])) << n << " bytes";
  }

  // The compression alone, from random states.
  for (std::size_t blocks = 1; blocks <= 5; ++blocks) {
    const Bytes data = Random(rng, 64 * blocks);
    Sha256State start;
    for (auto& w : start) w = static_cast<std::uint32_t>(rng());
    Sha256State states[2] = {start, start};
    Sha256CompressBlocks(states[0], data);
    PortableOnly portable;
    Sha256CompressBlocks(states[1], data);
    EXPECT_EQ(states[0], states[1]) << blocks << " blocks";
  }
}

}  // namespace
}  // namespace qs
