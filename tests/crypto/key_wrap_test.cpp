#include "crypto/key_wrap.h"

#include <gtest/gtest.h>

#include "base/record.h"
#include "crypto/key_pair.h"
#include "crypto/key_records.h"
#include "crypto/random_generator.h"
#include "tests/crypto/rsa_fixtures.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::RsaVector;
using test::ToHex;

// The records of the two known 2048-bit keys.
ByteBuffer TestRecord(bool privateRecord, KeyType encryptionType = 0, KeyType signingType = 0) {
  const char* blob = privateRecord ? "PrivateBlob" : "PublicBlob";
  KeyRecord content;
  content.encryptionKeyType = encryptionType;
  content.signingKeyType = signingType;
  content.encryptionKey = FromHex(RsaVector("encryption").at(blob));
  content.signingKey = FromHex(RsaVector("signing").at(blob));
  return BuildKeyRecord(privateRecord ? tag::kPrivateKey : tag::kPublicKey, content);
}

ByteBuffer Digest() { return FromHex(RsaVector("signing").at("Digest")); }

TEST(KeyRecords, LayoutAndTypes) {
  KeyRecord content;
  content.encryptionKeyType = 1;
  content.signingKeyType = 2;
  content.encryptionKey = FromHex("aabb");
  content.signingKey = FromHex("cc");
  const ByteBuffer record = BuildKeyRecord(tag::kPublicKey, content);
  EXPECT_EQ(ToHex(record), "09000000" + ToHex(ByteBuffer::fromText("PublicKey")) +
                               "0000"
                               "0100"
                               "0200"
                               "02000000aabb"
                               "01000000cc");
  const std::optional<KeyRecord> read = ReadKeyRecord(record, tag::kPublicKey);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->signingKeyType, 2);
  EXPECT_EQ(ToHex(read->encryptionKey), "aabb");
  EXPECT_FALSE(ReadKeyRecord(record, tag::kPrivateKey));

  EXPECT_EQ(KeyTypeBits(0), 2048u);
  EXPECT_EQ(KeyTypeBits(1), 3072u);
  EXPECT_EQ(KeyTypeBits(2), 4096u);
  EXPECT_FALSE(KeyTypeBits(3));
}

TEST(KeyWrap, WrapsAndUnwrapsThroughTheRecords) {
  RandomGenerator generator;
  test::Credit(generator);
  const std::optional<WrappedKey> wrapped = WrapKey(generator, TestRecord(false));
  ASSERT_TRUE(wrapped);
  EXPECT_EQ(wrapped->key.length(), 32u);
  // tag field (4 + 12), version (2), C field (4 + 256)
  EXPECT_EQ(wrapped->encryptedKeyRecord.length(), 278u);
  EXPECT_EQ(ToHex(UnwrapKey(TestRecord(true), wrapped->encryptedKeyRecord)), ToHex(wrapped->key));
}

TEST(KeyWrap, UnwrapRefusesDamagedRecords) {
  RandomGenerator generator;
  test::Credit(generator);
  const std::optional<WrappedKey> wrapped = WrapKey(generator, TestRecord(false));
  ASSERT_TRUE(wrapped);

  ByteBuffer versionOne = wrapped->encryptedKeyRecord;
  versionOne.at(16) = 1;
  EXPECT_TRUE(UnwrapKey(TestRecord(true), versionOne).empty());
  ByteBuffer otherTag = wrapped->encryptedKeyRecord;
  otherTag.at(4) = 'e';
  EXPECT_TRUE(UnwrapKey(TestRecord(true), otherTag).empty());
  EXPECT_TRUE(UnwrapKey(TestRecord(false), wrapped->encryptedKeyRecord).empty());  // a public record
  EXPECT_TRUE(UnwrapKey(TestRecord(true, 3, 0), wrapped->encryptedKeyRecord).empty());
  EXPECT_TRUE(
      UnwrapKey(TestRecord(true, 2, 0), wrapped->encryptedKeyRecord).empty());  // blob of another size
  ByteBuffer privateVersionOne = TestRecord(true);
  privateVersionOne.at(14) = 1;
  EXPECT_TRUE(UnwrapKey(privateVersionOne, wrapped->encryptedKeyRecord).empty());
}

TEST(KeyWrap, WrapAndSignNeedCreditAndGoodRecords) {
  RandomGenerator generator;
  for (std::uint16_t i = 1; i <= 1023; ++i) generator.mouseEvent(0, i);
  EXPECT_FALSE(WrapKey(generator, TestRecord(false)));
  EXPECT_TRUE(SignDigest(generator, TestRecord(true), Digest()).empty());
  generator.mouseEvent(1, 1);
  EXPECT_TRUE(WrapKey(generator, TestRecord(false)));
  EXPECT_FALSE(WrapKey(generator, TestRecord(false, 7, 0)));
  EXPECT_FALSE(WrapKey(generator, TestRecord(true)));  // a private record
  EXPECT_TRUE(SignDigest(generator, TestRecord(true, 0, 9), Digest()).empty());
}

TEST(KeyWrap, SignsAndVerifiesWithTheSigningSlot) {
  RandomGenerator generator;
  test::Credit(generator);
  const ByteBuffer signature = SignDigest(generator, TestRecord(true), Digest());
  EXPECT_EQ(ToHex(signature), RsaVector("signing").at("Signature"));
  EXPECT_TRUE(VerifyDigest(TestRecord(false), Digest(), signature));

  ByteBuffer changed = Digest();
  changed.at(0) ^= 1;
  EXPECT_FALSE(VerifyDigest(TestRecord(false), changed, signature));
  EXPECT_FALSE(VerifyDigest(TestRecord(false, 0, 1), Digest(), signature));
  EXPECT_FALSE(VerifyDigest(TestRecord(false, 0, 3), Digest(), signature));
  ByteBuffer versionOne = TestRecord(false);
  versionOne.at(13) = 1;
  EXPECT_FALSE(VerifyDigest(versionOne, Digest(), signature));

  // The encryption slot holds another key: a record with the slots swapped fails.
  KeyRecord swapped = *ReadKeyRecord(TestRecord(false), tag::kPublicKey);
  std::swap(swapped.encryptionKey, swapped.signingKey);
  EXPECT_FALSE(VerifyDigest(BuildKeyRecord(tag::kPublicKey, swapped), Digest(), signature));
}

TEST(KeyPair, GeneratesRecordsThatWorkTogether) {
  RandomGenerator generator;
  test::Credit(generator);
  ProgressHook hook;
  const std::optional<KeyPairRecords> pair = GenerateKeyPair(0, 0, generator, &hook);
  ASSERT_TRUE(pair);
  const std::optional<KeyRecord> privateContent = ReadKeyRecord(pair->privateRecord, tag::kPrivateKey);
  const std::optional<KeyRecord> publicContent = ReadKeyRecord(pair->publicRecord, tag::kPublicKey);
  ASSERT_TRUE(privateContent && publicContent);
  EXPECT_EQ(privateContent->encryptionKey.length(), 896u);
  EXPECT_EQ(privateContent->signingKey.length(), 896u);
  EXPECT_EQ(publicContent->encryptionKey.length(), 256u);
  EXPECT_NE(ToHex(publicContent->encryptionKey), ToHex(publicContent->signingKey));
  // The public blob is the tail of the private one.
  EXPECT_EQ(ToHex(privateContent->signingKey.slice(256, 640)), ToHex(publicContent->signingKey));

  const std::optional<WrappedKey> wrapped = WrapKey(generator, pair->publicRecord);
  ASSERT_TRUE(wrapped);
  EXPECT_EQ(ToHex(UnwrapKey(pair->privateRecord, wrapped->encryptedKeyRecord)), ToHex(wrapped->key));
  const ByteBuffer signature = SignDigest(generator, pair->privateRecord, Digest());
  EXPECT_TRUE(VerifyDigest(pair->publicRecord, Digest(), signature));
}

TEST(KeyPair, RefusesBadTypesLowCreditAndCancel) {
  RandomGenerator generator;
  EXPECT_FALSE(GenerateKeyPair(0, 0, generator, nullptr));  // credit 0
  test::Credit(generator);
  EXPECT_FALSE(GenerateKeyPair(3, 0, generator, nullptr));
  EXPECT_FALSE(GenerateKeyPair(0, 0xFFFF, generator, nullptr));
  ProgressHook hook;
  hook.cancel = 1;
  EXPECT_FALSE(GenerateKeyPair(0, 0, generator, &hook));
}

}  // namespace
}  // namespace qs
