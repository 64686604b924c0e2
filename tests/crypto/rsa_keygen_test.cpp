#include "crypto/rsa_keygen.h"

#include <gtest/gtest.h>

#include "crypto/modular.h"
#include "crypto/random_generator.h"
#include "tests/crypto/rsa_fixtures.h"

namespace qs {
namespace {

// Every relation a generated key promises.
void ExpectConsistent(const RsaKey& key, std::uint32_t bits) {
  const std::uint32_t k = ModulusBytes(bits);
  ASSERT_TRUE(key.valid);
  EXPECT_TRUE(key.hasPrivate);
  EXPECT_EQ(key.modulusBytes, k);
  EXPECT_EQ(key.n.bitLength(), 8 * k);
  for (const BigInt* prime : {&key.p, &key.q}) {
    EXPECT_EQ(prime->bitLength(), 4 * k);
    EXPECT_TRUE(prime->bit(4 * k - 2));
  }
  EXPECT_GT(key.p, key.q);
  BigInt product;
  Multiply(key.p, key.q, product);
  EXPECT_EQ(product, key.n);

  const auto expectInverse = [](const BigInt& a, const BigInt& b, const BigInt& m) {
    BigInt r;
    Multiply(a, b, r);
    Mod(r, m, r);
    EXPECT_EQ(r, BigInt(1));
  };
  BigInt pMinus1;
  Subtract(key.p, BigInt(1), pMinus1);
  BigInt qMinus1;
  Subtract(key.q, BigInt(1), qMinus1);
  expectInverse(key.dP, BigInt(kPublicExponent), pMinus1);
  expectInverse(key.dQ, BigInt(kPublicExponent), qMinus1);
  expectInverse(key.qInv, key.q, key.p);

  // And the blob reloads to the same key.
  const RsaKey reloaded = LoadRsaKey(bits, PrivateBlob(key), true, key.usage, nullptr);
  ASSERT_TRUE(reloaded.valid);
  EXPECT_EQ(reloaded.n, key.n);
  EXPECT_EQ(PrivateBlob(key).length(), k / 2 * 7);
}

TEST(RsaKeyGeneration, A2048BitKeyHasTheExactShape) {
  RandomGenerator generator;
  test::Credit(generator);
  ProgressHook hook;
  const RsaKey key = GenerateRsaKey(2048, KeyUsage::kSigning, generator, &hook);
  ExpectConsistent(key, 2048);
  EXPECT_EQ(key.usage, KeyUsage::kSigning);
  EXPECT_EQ(key.generator, &generator);
  EXPECT_GT(hook.count.load(), 0);  // one unit per rejected candidate
}

TEST(RsaKeyGeneration, A4096BitKey) {
  if (test::SlowRunner()) GTEST_SKIP() << "run natively only";
  RandomGenerator generator;
  test::Credit(generator);
  const RsaKey key = GenerateRsaKey(4096, KeyUsage::kEncryption, generator, nullptr);
  ExpectConsistent(key, 4096);
}

TEST(RsaKeyGeneration, CancelStopsAtTheFirstRejectedCandidate) {
  RandomGenerator generator;
  test::Credit(generator);
  ProgressHook hook;
  hook.cancel = 1;
  const RsaKey key = GenerateRsaKey(2048, KeyUsage::kEncryption, generator, &hook);
  EXPECT_FALSE(key.valid);
  EXPECT_EQ(hook.count.load(), 0);
  EXPECT_TRUE(key.p.isZero());
}

TEST(RsaKeyGeneration, RefusesWithoutFullCredit) {
  RandomGenerator generator;
  for (std::uint16_t i = 1; i <= 1023; ++i) generator.mouseEvent(i, 0);
  ASSERT_EQ(generator.credit(), 1023u);
  EXPECT_FALSE(GenerateRsaKey(2048, KeyUsage::kEncryption, generator, nullptr).valid);
  BigInt prime;
  EXPECT_FALSE(GeneratePrime(64, 100, generator, nullptr, prime));
}

TEST(RsaKeyGeneration, PrimeSearchGivesUpAfterItsAttempts) {
  RandomGenerator generator;
  test::Credit(generator);
  ProgressHook hook;
  BigInt prime;
  // Five candidates of 1024 bits are rarely enough; when they are not, every one of them
  // was counted and nothing is returned.
  if (GeneratePrime(128, 5, generator, &hook, prime)) {
    EXPECT_LT(hook.count.load(), 5);
  } else {
    EXPECT_EQ(hook.count.load(), 5);
    EXPECT_TRUE(prime.isZero());
  }
  // A small search succeeds and keeps its promises.
  ASSERT_TRUE(GeneratePrime(64, 20 * 128, generator, nullptr, prime));
  EXPECT_EQ(prime.bitLength(), 512u);
  EXPECT_TRUE(prime.bit(510));
  EXPECT_TRUE(prime.isOdd());
}

}  // namespace
}  // namespace qs
