#include "crypto/symmetric_context.h"

#include <gtest/gtest.h>

#include "crypto/encrypted_data.h"
#include "crypto/random_generator.h"
#include "tests/support/hex.h"
#include "tests/support/seeded_generator.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using test::KeyPairOf;

ByteBuffer Key(std::uint8_t fill) {
  ByteBuffer k = ByteBuffer::zeros(32);
  for (std::uint32_t i = 0; i < 32; ++i) k.data()[i] = static_cast<std::uint8_t>(fill + i);
  return k;
}

ByteBuffer Text(std::uint32_t n) {
  ByteBuffer b = ByteBuffer::zeros(n);
  for (std::uint32_t i = 0; i < n; ++i) b.data()[i] = static_cast<std::uint8_t>('a' + i % 26);
  return b;
}

TEST(SymmetricContext, SealsToTheDocumentedSizeAndOpensAgain) {
  auto generator = test::SeededGenerator();
  SymmetricContext sealer(Key(1).span(), generator.get());
  SymmetricContext opener(Key(1).span(), nullptr);
  for (std::uint32_t n : {0u, 1u, 15u, 16u, 17u, 1000u}) {
    ByteBuffer data = Text(n);
    ASSERT_TRUE(sealer.encrypt(data));
    EXPECT_EQ(data.length(), SymmetricContext::SealedSize(n)) << n;
    ASSERT_TRUE(opener.decrypt(data));
    EXPECT_TRUE(data.equals(Text(n))) << n;
  }
  // A fresh IV each time: the same plaintext never seals to the same bytes.
  ByteBuffer a = Text(5);
  ByteBuffer b = Text(5);
  ASSERT_TRUE(sealer.encrypt(a));
  ASSERT_TRUE(sealer.encrypt(b));
  EXPECT_FALSE(a.equals(b));
}

TEST(SymmetricContext, EveryFlippedBitIsCaughtBeforeDecryption) {
  auto generator = test::SeededGenerator();
  SymmetricContext sealer(Key(7).span(), generator.get());
  SymmetricContext opener(Key(7).span(), nullptr);
  ByteBuffer sealed = Text(20);
  ASSERT_TRUE(sealer.encrypt(sealed));
  for (std::uint32_t bit = 0; bit < sealed.length() * 8; ++bit) {
    ByteBuffer damaged = sealed;
    damaged.at(bit / 8) ^= static_cast<std::uint8_t>(1u << (bit % 8));
    EXPECT_FALSE(opener.decrypt(damaged)) << bit;
    EXPECT_TRUE(damaged.empty());
  }
  SymmetricContext otherKey(Key(8).span(), nullptr);
  EXPECT_FALSE(otherKey.decrypt(sealed));
}

TEST(SymmetricContext, ShortBuffersFail) {
  SymmetricContext opener(Key(3).span(), nullptr);
  ByteBuffer thirtyOne = Text(31);
  EXPECT_FALSE(opener.decrypt(thirtyOne));
  ByteBuffer thirtyTwo = Text(32);
  EXPECT_FALSE(opener.decrypt(thirtyTwo));
  ByteBuffer nothing;
  EXPECT_FALSE(opener.decrypt(nothing));
}

TEST(SymmetricContext, BadKeysAndMissingCreditFailForGood) {
  auto generator = test::SeededGenerator();
  for (const ByteBuffer& key : {ByteBuffer::zeros(32), Key(1).slice(31, 0), ByteBuffer()}) {
    SymmetricContext context(key.span(), generator.get());
    EXPECT_TRUE(context.failed());
    ByteBuffer data = Text(4);
    EXPECT_FALSE(context.encrypt(data));
    EXPECT_TRUE(data.empty());
  }

  RandomGenerator poor;  // no credit
  SymmetricContext context(Key(2).span(), &poor);
  ByteBuffer data = Text(4);
  EXPECT_FALSE(context.encrypt(data));
  EXPECT_TRUE(data.equals(Text(4)));  // left untouched
  std::array<std::uint8_t, 32> seed{};
  seed[0] = 1;
  poor.addSeed(seed, 0, true);
  EXPECT_FALSE(context.encrypt(data));  // the context stays failed
  EXPECT_TRUE(context.failed());

  SymmetricContext noGenerator(Key(2).span(), nullptr);
  EXPECT_FALSE(noGenerator.encrypt(data));
  EXPECT_TRUE(data.empty());
}

TEST(SymmetricContext, HookCountsBlocksAndCancels) {
  auto generator = test::SeededGenerator();
  SymmetricContext context(Key(5).span(), generator.get());
  ProgressHook hook;
  context.setHook(&hook);
  ByteBuffer data = Text(4096);
  ASSERT_TRUE(context.encrypt(data));
  EXPECT_GT(hook.count.load(), 2 * 4096);  // cipher and MAC both count
  hook.cancel = 1;
  ByteBuffer more = Text(4096);
  EXPECT_FALSE(context.encrypt(more));
  EXPECT_TRUE(more.empty());
  EXPECT_FALSE(context.decrypt(data));
}

TEST(EncryptedData, RoundTripSizeAndSenderCheck) {
  auto generator = test::SeededGenerator();
  const auto& alice = KeyPairOf("alice");  // encryption 2048, signing 4096
  const auto& bob = KeyPairOf("bob");      // encryption 4096, signing 2048
  const ByteBuffer message = Text(1000);
  const std::optional<ByteBuffer> record =
      EncryptMessage(*generator, bob.publicRecord, alice.privateRecord, message, nullptr);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->length(), 99u + 512 + 512 + 16 * (1000 / 16));
  const OpenedMessage opened = DecryptMessage(bob.privateRecord, alice.publicRecord, *record, nullptr);
  ASSERT_TRUE(opened.message);
  EXPECT_TRUE(opened.message->equals(message));
  EXPECT_EQ(opened.binding, SenderBinding::kBound);

  // Someone else named as sender, someone else as recipient, a changed byte, a non-zero
  // reserved field: all refused, each for its own reason.
  const auto failure = [&](const ByteBuffer& recipientPrivate, const ByteBuffer& senderPublic,
                           const ByteBuffer& bytes) {
    const OpenedMessage refused = DecryptMessage(recipientPrivate, senderPublic, bytes, nullptr);
    EXPECT_FALSE(refused.message);
    return refused.failure;
  };
  EXPECT_EQ(failure(bob.privateRecord, KeyPairOf("carol").publicRecord, *record),
            MessageFailure::kNotBySender);
  EXPECT_EQ(failure(KeyPairOf("carol").privateRecord, alice.publicRecord, *record),
            MessageFailure::kNotForThisKey);
  for (const auto& [at, why] : {std::pair{20u, MessageFailure::kMalformed},
                                {40u, MessageFailure::kNotBySender},
                                {600u, MessageFailure::kNotBySender},
                                {record->length() - 1, MessageFailure::kNotForThisKey}}) {
    ByteBuffer damaged = *record;
    damaged.at(at) ^= 1;
    EXPECT_EQ(failure(bob.privateRecord, alice.publicRecord, damaged), why) << at;
  }
  ByteBuffer reserved = *record;
  reserved.at(4 + 13 + 2) = 1;
  EXPECT_EQ(failure(bob.privateRecord, alice.publicRecord, reserved), MessageFailure::kMalformed);
  ByteBuffer longer = *record;
  longer.appendU8(0);
  EXPECT_EQ(failure(bob.privateRecord, alice.publicRecord, longer), MessageFailure::kMalformed);
}

TEST(EncryptedData, EmptyMessageAndNoCredit) {
  auto generator = test::SeededGenerator();
  const auto& carol = KeyPairOf("carol");
  const std::optional<ByteBuffer> record =
      EncryptMessage(*generator, carol.publicRecord, carol.privateRecord, ByteBuffer(), nullptr);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->length(), 99u + 256 + 256);
  const OpenedMessage opened = DecryptMessage(carol.privateRecord, carol.publicRecord, *record, nullptr);
  ASSERT_TRUE(opened.message);
  EXPECT_TRUE(opened.message->empty());
  RandomGenerator poor;
  EXPECT_FALSE(EncryptMessage(poor, carol.publicRecord, carol.privateRecord, Text(3), nullptr));
}

}  // namespace
}  // namespace qs
