#include "crypto/rsa_kem.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/crypto/rsa_fixtures.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::RsaTestKey;
using test::RsaVector;
using test::ToHex;

TEST(RsaKem, DecapsulationMatchesIndependentResult) {
  const auto& v = RsaVector("encryption");
  const RsaKey own = RsaTestKey("encryption", true, KeyUsage::kEncryption, nullptr);
  // z has two zero top words, so K hashes only its 248 used bytes.
  EXPECT_EQ(ToHex(Decapsulate(own, FromHex(v.at("C")))), v.at("K"));
}

TEST(RsaKem, RoundTrip) {
  RandomGenerator generator;
  test::Credit(generator);
  const RsaKey recipient = RsaTestKey("encryption", false, KeyUsage::kEncryption, &generator);
  const RsaKey own = RsaTestKey("encryption", true, KeyUsage::kEncryption, nullptr);
  const std::optional<Encapsulation> first = Encapsulate(recipient);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->key.length(), 32u);
  EXPECT_EQ(first->ciphertext.length(), 256u);
  EXPECT_EQ(ToHex(Decapsulate(own, first->ciphertext)), ToHex(first->key));
  const std::optional<Encapsulation> second = Encapsulate(recipient);
  ASSERT_TRUE(second);
  EXPECT_NE(ToHex(second->key), ToHex(first->key));
}

TEST(RsaKem, RefusesWrongKeysLengthsAndValues) {
  RandomGenerator generator;
  const RsaKey recipient = RsaTestKey("encryption", false, KeyUsage::kEncryption, &generator);
  for (std::uint16_t i = 1; i <= 1023; ++i) generator.mouseEvent(i, i);
  EXPECT_FALSE(Encapsulate(recipient));  // credit 1023
  generator.mouseEvent(7, 1);
  EXPECT_TRUE(Encapsulate(recipient));

  const RsaKey signingKey = RsaTestKey("signing", false, KeyUsage::kSigning, &generator);
  EXPECT_FALSE(Encapsulate(signingKey));
  const RsaKey noGenerator = RsaTestKey("encryption", false, KeyUsage::kEncryption, nullptr);
  EXPECT_FALSE(Encapsulate(noGenerator));

  const auto& v = RsaVector("encryption");
  const RsaKey own = RsaTestKey("encryption", true, KeyUsage::kEncryption, nullptr);
  ByteBuffer c = FromHex(v.at("C"));
  c.resize(255);
  EXPECT_TRUE(Decapsulate(own, c).empty());
  EXPECT_TRUE(Decapsulate(own, FromHex(v.at("PublicBlob"))).empty());  // C = n
  const std::vector<std::uint8_t> allOnes(256, 0xFF);
  EXPECT_TRUE(Decapsulate(own, ByteBuffer(std::span<const std::uint8_t>(allOnes))).empty());  // above n
  const RsaKey wrongUse = RsaTestKey("encryption", true, KeyUsage::kSigning, nullptr);
  EXPECT_TRUE(Decapsulate(wrongUse, FromHex(v.at("C"))).empty());
  const RsaKey publicOnly = RsaTestKey("encryption", false, KeyUsage::kEncryption, nullptr);
  EXPECT_TRUE(Decapsulate(publicOnly, FromHex(v.at("C"))).empty());
}

}  // namespace
}  // namespace qs
