#include "crypto/rsa_signature.h"

#include <gtest/gtest.h>

#include "tests/crypto/rsa_fixtures.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::RsaTestKey;
using test::RsaVector;
using test::ToHex;

TEST(RsaSignature, MatchesIndependentResult) {
  const auto& v = RsaVector("signing");
  const RsaKey key = RsaTestKey("signing", true, KeyUsage::kSigning, nullptr);
  const ByteBuffer digest = FromHex(v.at("Digest"));
  EXPECT_EQ(ToHex(MessageRepresentative(digest, key)), v.at("Representative"));
  const ByteBuffer first = Sign(key, digest);
  EXPECT_EQ(ToHex(first), v.at("Signature"));
  EXPECT_EQ(ToHex(Sign(key, digest)), ToHex(first));  // deterministic
  const RsaKey verifier = RsaTestKey("signing", false, KeyUsage::kSigning, nullptr);
  EXPECT_TRUE(Verify(verifier, digest, first));
}

TEST(RsaSignature, VerifyRejectsEveryAlteration) {
  const auto& v = RsaVector("signing");
  const RsaKey verifier = RsaTestKey("signing", false, KeyUsage::kSigning, nullptr);
  const ByteBuffer digest = FromHex(v.at("Digest"));
  const ByteBuffer signature = FromHex(v.at("Signature"));

  ByteBuffer shorter = signature;
  shorter.resize(255);
  EXPECT_FALSE(Verify(verifier, digest, shorter));
  ByteBuffer longer = signature;
  longer.appendU8(0);
  EXPECT_FALSE(Verify(verifier, digest, longer));
  EXPECT_FALSE(Verify(verifier, digest, FromHex(v.at("PublicBlob"))));  // s = n
  for (const std::uint32_t i : {0u, 100u, 255u}) {
    ByteBuffer changed = digest;
    changed.at(i % 32) ^= 0x10;
    EXPECT_FALSE(Verify(verifier, changed, signature)) << i;
    ByteBuffer damaged = signature;
    damaged.at(i) ^= 0x01;
    EXPECT_FALSE(Verify(verifier, digest, damaged)) << i;
  }
  ByteBuffer shortDigest = digest;
  shortDigest.resize(31);
  EXPECT_FALSE(Verify(verifier, shortDigest, signature));

  const RsaKey otherKey =
      LoadRsaKey(2048, FromHex(RsaVector("encryption").at("PublicBlob")), false, KeyUsage::kSigning, nullptr);
  EXPECT_FALSE(Verify(otherKey, digest, signature));
  const RsaKey wrongUse = RsaTestKey("signing", false, KeyUsage::kEncryption, nullptr);
  EXPECT_FALSE(Verify(wrongUse, digest, signature));
}

TEST(RsaSignature, SigningNeedsAPrivateSigningKeyAndA32ByteDigest) {
  const ByteBuffer digest = FromHex(RsaVector("signing").at("Digest"));
  EXPECT_TRUE(Sign(RsaTestKey("signing", true, KeyUsage::kEncryption, nullptr), digest).empty());
  EXPECT_TRUE(Sign(RsaTestKey("signing", false, KeyUsage::kSigning, nullptr), digest).empty());
  ByteBuffer longDigest = digest;
  longDigest.appendU8(1);
  EXPECT_TRUE(Sign(RsaTestKey("signing", true, KeyUsage::kSigning, nullptr), longDigest).empty());
}

}  // namespace
}  // namespace qs
