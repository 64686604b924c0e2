#include "crypto/rsa_key.h"

#include <gtest/gtest.h>

#include "crypto/modular.h"
#include "tests/crypto/rsa_fixtures.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::RsaTestKey;
using test::RsaVector;
using test::ToHex;

TEST(RsaKey, ModulusLengthFollowsTheKeySize) {
  EXPECT_EQ(ModulusBytes(2048), 256u);
  EXPECT_EQ(ModulusBytes(3072), 384u);
  EXPECT_EQ(ModulusBytes(4096), 512u);
  EXPECT_EQ(ModulusBytes(2049), 272u);
  EXPECT_EQ(ModulusBytes(1), 64u);  // never below 512 bits
}

TEST(RsaKey, LoadsThePrivateBlobOnlyAtItsExactLength) {
  const ByteBuffer blob = FromHex(RsaVector("encryption").at("PrivateBlob"));
  ASSERT_EQ(blob.length(), 896u);
  const RsaKey key = LoadRsaKey(2048, blob, true, KeyUsage::kEncryption, nullptr);
  ASSERT_TRUE(key.valid);
  EXPECT_TRUE(key.hasPrivate);
  EXPECT_EQ(key.modulusBytes, 256u);
  EXPECT_EQ(ToHex(PrivateBlob(key)), ToHex(blob));
  EXPECT_EQ(ToHex(PublicBlob(key)), RsaVector("encryption").at("PublicBlob"));

  for (const std::uint32_t length : {895u, 897u, 0u, 255u, 257u}) {
    ByteBuffer other = blob;
    other.resize(length);
    EXPECT_FALSE(LoadRsaKey(2048, other, true, KeyUsage::kEncryption, nullptr).valid) << length;
  }
  // The same blob is not a 3072-bit key.
  EXPECT_FALSE(LoadRsaKey(3072, blob, true, KeyUsage::kEncryption, nullptr).valid);
}

TEST(RsaKey, DerivesEverythingFromTheTwoPrimesAndOrdersThem) {
  const auto& v = RsaVector("signing");
  // PQ holds the smaller prime first, so loading must swap them.
  const RsaKey key = LoadRsaKey(2048, FromHex(v.at("PQ")), true, KeyUsage::kSigning, nullptr);
  ASSERT_TRUE(key.valid);
  EXPECT_GT(key.p, key.q);
  EXPECT_EQ(ToHex(PrivateBlob(key)), v.at("PrivateBlob"));
}

TEST(RsaKey, PublicKeysCarryOnlyTheModulus) {
  const RsaKey key = RsaTestKey("encryption", false, KeyUsage::kEncryption, nullptr);
  ASSERT_TRUE(key.valid);
  EXPECT_FALSE(key.hasPrivate);
  EXPECT_TRUE(PrivateBlob(key).empty());
  EXPECT_EQ(ToHex(PublicBlob(key)), RsaVector("encryption").at("PublicBlob"));
  EXPECT_FALSE(LoadRsaKey(2048, ByteBuffer::zeros(896), false, KeyUsage::kEncryption, nullptr).valid);
}

TEST(RsaKey, RejectsModuliNoOperationCouldUse) {
  ByteBuffer n = FromHex(RsaVector("encryption").at("PublicBlob"));
  n.at(0) ^= 1;  // even
  EXPECT_FALSE(LoadRsaKey(2048, n, false, KeyUsage::kEncryption, nullptr).valid);
  n.at(0) ^= 1;
  n.at(255) = 0x7F;  // 2047 bits
  EXPECT_FALSE(LoadRsaKey(2048, n, false, KeyUsage::kEncryption, nullptr).valid);
  EXPECT_FALSE(LoadRsaKey(2048, ByteBuffer::zeros(256), false, KeyUsage::kEncryption, nullptr).valid);
  EXPECT_TRUE(PublicBlob(RsaKey()).empty());
  // A stored p of zero would make the private operation divide by zero.
  ByteBuffer blob = FromHex(RsaVector("encryption").at("PrivateBlob"));
  for (std::uint32_t i = 0; i < 128; ++i) blob.at(i) = 0;
  EXPECT_FALSE(LoadRsaKey(2048, blob, true, KeyUsage::kEncryption, nullptr).valid);
}

TEST(RsaKey, ReductionClearsTopBitsOneByOneUntilBelowTheModulus) {
  const auto reduce = [](std::uint32_t m, std::uint32_t n) {
    BigInt value(m);
    ReduceBelowModulus(value, BigInt(n));
    return value.word(0);
  };
  EXPECT_EQ(reduce(7, 8), 7u);
  EXPECT_EQ(reduce(15, 8), 7u);
  EXPECT_EQ(reduce(0b11110, 0b1100), 0b110u);  // bit 4 and then bit 3
  EXPECT_EQ(reduce(0b10110, 0b1100), 0b110u);  // bit 3 is cleared whether it was set or not
  EXPECT_EQ(reduce(16, 9), 0u);
  EXPECT_EQ(reduce(5, 0), 0u);  // nothing is below zero: every bit goes
}

TEST(RsaKey, PrivateOperationInvertsThePublicOneAndRefusesFaults) {
  const auto& v = RsaVector("encryption");
  const RsaKey key = RsaTestKey("encryption", true, KeyUsage::kEncryption, nullptr);
  const BigInt c = BigInt::fromBytes(FromHex(v.at("C")));
  BigInt z;
  ASSERT_TRUE(RsaPrivate(key, c, z));
  EXPECT_EQ(ToHex(z.toBytes(256)), v.at("Z"));
  BigInt back;
  RsaPublic(key, z, back);
  EXPECT_EQ(back, c);

  EXPECT_FALSE(RsaPrivate(key, key.n, z));  // not below n
  EXPECT_TRUE(z.isZero());
  const RsaKey publicOnly = RsaTestKey("encryption", false, KeyUsage::kEncryption, nullptr);
  EXPECT_FALSE(RsaPrivate(publicOnly, c, z));

  // A stored key with one damaged CRT exponent gives a wrong half; the check catches it, so
  // no value that would reveal a factor leaves the operation.
  ByteBuffer blob = FromHex(v.at("PrivateBlob"));
  blob.at(256) ^= 0x02;  // dP
  const RsaKey damaged = LoadRsaKey(2048, blob, true, KeyUsage::kEncryption, nullptr);
  ASSERT_TRUE(damaged.valid);  // stored blobs are taken as they are
  EXPECT_FALSE(RsaPrivate(damaged, c, z));
  EXPECT_TRUE(z.isZero());
}

// A stored key may name the smaller prime first: the half of the second prime is then not
// below the first, and qInv is the inverse of the larger one.
TEST(RsaKey, PrivateOperationTakesThePrimesInEitherOrder) {
  const auto& v = RsaVector("encryption");
  const RsaKey key = RsaTestKey("encryption", true, KeyUsage::kEncryption, nullptr);
  RsaKey swapped;
  swapped.valid = true;
  swapped.hasPrivate = true;
  swapped.modulusBytes = key.modulusBytes;
  swapped.p = key.q;
  swapped.q = key.p;
  swapped.dP = key.dQ;
  swapped.dQ = key.dP;
  Mod(key.p, swapped.p, swapped.qInv);
  ASSERT_TRUE(ModInverse(swapped.qInv, swapped.p));
  swapped.n = key.n;
  const RsaKey loaded = LoadRsaKey(2048, PrivateBlob(swapped), true, KeyUsage::kEncryption, nullptr);
  ASSERT_TRUE(loaded.valid);
  BigInt z;
  ASSERT_TRUE(RsaPrivate(loaded, BigInt::fromBytes(FromHex(v.at("C"))), z));
  EXPECT_EQ(ToHex(z.toBytes(256)), v.at("Z"));
}

TEST(RsaKey, ClearWipesEveryComponent) {
  RsaKey key = RsaTestKey("signing", true, KeyUsage::kSigning, nullptr);
  key.clear();
  EXPECT_FALSE(key.valid);
  for (const BigInt* part : {&key.p, &key.q, &key.dP, &key.dQ, &key.qInv, &key.n})
    EXPECT_TRUE(part->isZero());
}

}  // namespace
}  // namespace qs
