#include <gtest/gtest.h>

#include "crypto/cipher_context.h"
#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

using Block = std::span<std::uint8_t, CipherContext::kBlockBytes>;
using Pool = std::span<std::uint8_t, CipherContext::kPoolBytes>;

const ByteBuffer kKey = FromHex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
const ByteBuffer kIv = FromHex("000102030405060708090a0b0c0d0e0f");

void SetIv(CipherContext& context, const ByteBuffer& iv) {
  context.setChainingBlock(std::span<const std::uint8_t, 16>(iv.data(), 16));
}

// The ciphertext of one block whose plaintext ends in the given byte, under a zero IV.
ByteBuffer OneBlockEndingIn(const CipherContext& context, std::uint8_t last) {
  ByteBuffer block = ByteBuffer::zeros(16);
  block.at(15) = last;
  EXPECT_TRUE(context.encryptBlock(Block(block.data(), 16)));
  return block;
}

TEST(CipherCbc, KnownAnswersWithPadding) {
  const auto vectors = test::LoadVectors("crypto/aes_cbc.txt");
  ASSERT_EQ(vectors.size(), 4u);
  for (const auto& v : vectors) {
    SCOPED_TRACE("key " + v.at("Key"));
    ASSERT_EQ(v.at("Padded").rfind(v.at("Ciphertext"), 0), 0u) << "data file: Padded must extend Ciphertext";
    const ByteBuffer key = FromHex(v.at("Key"));
    const ByteBuffer iv = FromHex(v.at("IV"));
    CipherContext context(key.span());

    ByteBuffer data = FromHex(v.at("Plaintext"));
    SetIv(context, iv);
    ASSERT_TRUE(context.encryptPadded(data));
    EXPECT_EQ(ToHex(data), v.at("Padded"));

    SetIv(context, iv);
    ASSERT_TRUE(context.decryptPadded(data));
    EXPECT_EQ(ToHex(data), v.at("Plaintext"));
  }
}

TEST(CipherCbc, EveryPaddedOperationClearsTheChainingBlock) {
  CipherContext withIv(kKey.span());
  CipherContext zeroIv(kKey.span());
  ByteBuffer first = FromHex("00112233");
  SetIv(withIv, kIv);
  ASSERT_TRUE(withIv.encryptPadded(first));

  // Without a new IV the next call runs from zero, exactly like a fresh context.
  ByteBuffer second = FromHex("00112233");
  ByteBuffer fresh = FromHex("00112233");
  ASSERT_TRUE(withIv.encryptPadded(second));
  ASSERT_TRUE(zeroIv.encryptPadded(fresh));
  EXPECT_EQ(ToHex(second), ToHex(fresh));
  EXPECT_NE(ToHex(first), ToHex(fresh));
}

TEST(CipherCbc, PaddingOfEmptyAndWholeBlockInputs) {
  CipherContext context(kKey.span());
  ByteBuffer empty;
  ASSERT_TRUE(context.encryptPadded(empty));
  ASSERT_EQ(empty.length(), 16u);
  ASSERT_TRUE(context.decryptBlock(Block(empty.data(), 16)));
  EXPECT_EQ(ToHex(empty), "00000000000000000000000000000010") << "zero IV: the raw block is the padding";

  ByteBuffer full = ByteBuffer::zeros(16);
  ASSERT_TRUE(context.encryptPadded(full));
  ASSERT_EQ(full.length(), 32u);
  ByteBuffer last = full.slice(16, 16);
  ASSERT_TRUE(context.decryptBlock(Block(last.data(), 16)));
  for (int i = 0; i < 16; ++i) last.at(i) ^= full.at(i);
  EXPECT_EQ(ToHex(last), "00000000000000000000000000000010");
}

TEST(CipherCbc, RoundTripsAtEveryLengthAroundTheBlockSize) {
  CipherContext context(kKey.span());
  for (std::uint32_t length = 0; length <= 49; ++length) {
    ByteBuffer plain;
    for (std::uint32_t i = 0; i < length; ++i) plain.appendU8(static_cast<std::uint8_t>(i * 7 + 1));
    ByteBuffer data = plain;
    SetIv(context, kIv);
    ASSERT_TRUE(context.encryptPadded(data));
    EXPECT_EQ(data.length(), (length / 16 + 1) * 16) << length;
    SetIv(context, kIv);
    ASSERT_TRUE(context.decryptPadded(data));
    EXPECT_EQ(ToHex(data), ToHex(plain)) << length;
  }
}

TEST(CipherCbc, DecryptChecksOnlyTheLastByte) {
  CipherContext context(kKey.span());

  ByteBuffer seventeen = OneBlockEndingIn(context, 17);
  const std::string before = ToHex(seventeen);
  EXPECT_FALSE(context.decryptPadded(seventeen));
  EXPECT_EQ(ToHex(seventeen), before) << "a failure leaves the ciphertext";

  ByteBuffer zero = OneBlockEndingIn(context, 0);
  ASSERT_TRUE(context.decryptPadded(zero));
  EXPECT_EQ(ToHex(zero), "00000000000000000000000000000000") << "a count of 0 removes nothing";

  ByteBuffer sixteen = OneBlockEndingIn(context, 16);
  ASSERT_TRUE(context.decryptPadded(sixteen));
  EXPECT_TRUE(sixteen.empty());

  ByteBuffer ff = OneBlockEndingIn(context, 0xFF);
  EXPECT_FALSE(context.decryptPadded(ff));
}

TEST(CipherCbc, DecryptRefusesLengthsThatAreNotWholeBlocks) {
  CipherContext context(kKey.span());
  for (const std::uint32_t length : {0u, 1u, 15u, 17u, 31u}) {
    ByteBuffer data = ByteBuffer::zeros(length);
    for (std::uint32_t i = 0; i < length; ++i) data.at(i) = static_cast<std::uint8_t>(i + 1);
    const std::string before = ToHex(data);
    EXPECT_FALSE(context.decryptPadded(data)) << length;
    EXPECT_EQ(ToHex(data), before) << length;
  }
}

TEST(CipherCbc, HookCountsBlocksAndCancelFailsSafely) {
  CipherContext context(kKey.span());
  ProgressHook hook;
  context.setHook(&hook);
  ByteBuffer data = ByteBuffer::zeros(32);
  ASSERT_TRUE(context.encryptPadded(data));
  EXPECT_EQ(hook.count.load(), 48);
  ASSERT_TRUE(context.decryptPadded(data));
  EXPECT_EQ(hook.count.load(), 96);

  hook.count = 0;
  hook.cancel = 1;
  ByteBuffer plain = ByteBuffer::zeros(100);
  EXPECT_FALSE(context.encryptPadded(plain));
  EXPECT_TRUE(plain.empty()) << "a cancelled encryption leaves no half-encrypted data";
  EXPECT_EQ(hook.count.load(), 16);

  ByteBuffer cipher = OneBlockEndingIn(context, 1);
  cipher.append(cipher);
  const std::string before = ToHex(cipher);
  EXPECT_FALSE(context.decryptPadded(cipher));
  EXPECT_EQ(ToHex(cipher), before);
}

TEST(CipherPool, EncryptsEachBlockInPlaceIndependently) {
  CipherContext context(kKey.span());
  ProgressHook hook;
  context.setHook(&hook);
  ByteBuffer pool = ByteBuffer::zeros(CipherContext::kPoolBytes);
  for (std::uint32_t i = 0; i < pool.length(); ++i) pool.at(i) = static_cast<std::uint8_t>(i / 16);
  ByteBuffer expected = pool;
  for (std::uint32_t offset = 0; offset < expected.length(); offset += 16) {
    ASSERT_TRUE(context.encryptBlock(Block(expected.data() + offset, 16)));
  }
  const ByteBuffer original = pool;
  ASSERT_TRUE(context.encryptPool(Pool(pool.data(), pool.length())));
  EXPECT_TRUE(pool.equals(expected));
  EXPECT_EQ(hook.count.load(), 4096);

  // A cancel stops after the first block and leaves the rest as it was.
  hook.cancel = 1;
  pool = original;
  EXPECT_FALSE(context.encryptPool(Pool(pool.data(), pool.length())));
  EXPECT_EQ(ToHex(pool.slice(16, 0)), ToHex(expected.slice(16, 0)));
  EXPECT_TRUE(pool.slice(4080, 16).equals(original.slice(4080, 16)));
}

TEST(CipherKeystream, KnownAnswers) {
  const auto vectors = test::LoadVectors("crypto/aes_keystream.txt");
  ASSERT_EQ(vectors.size(), 3u);
  for (const auto& v : vectors) {
    const ByteBuffer key = FromHex(v.at("Key"));
    CipherContext context(key.span());
    const auto stream = context.keystream(static_cast<std::uint32_t>(std::stoul(v.at("Length"))));
    ASSERT_TRUE(stream.has_value());
    EXPECT_EQ(ToHex(*stream), v.at("Stream"));
  }
}

TEST(CipherKeystream, IsTheCounterBlocksEncryptedAndRestartsEveryCall) {
  CipherContext context(kKey.span());
  ByteBuffer blocks = FromHex("00000000000000000000000000000000 01000000010000000100000001000000");
  ASSERT_TRUE(context.encryptBlock(Block(blocks.data(), 16)));
  ASSERT_TRUE(context.encryptBlock(Block(blocks.data() + 16, 16)));

  const auto first = context.keystream(20);
  const auto second = context.keystream(20);
  ASSERT_TRUE(first.has_value() && second.has_value());
  EXPECT_EQ(ToHex(*first), ToHex(blocks.slice(20, 0)));
  EXPECT_EQ(ToHex(*second), ToHex(*first));

  const auto none = context.keystream(0);
  ASSERT_TRUE(none.has_value());
  EXPECT_TRUE(none->empty());
  for (const std::uint32_t length : {1u, 15u, 16u, 17u, 32u}) {
    const auto stream = context.keystream(length);
    ASSERT_TRUE(stream.has_value());
    EXPECT_EQ(ToHex(*stream), ToHex(blocks.slice(length, 0))) << length;
  }
}

TEST(CipherKeystream, HookCountsBlocksAndCancelGivesNothing) {
  CipherContext context(kKey.span());
  ProgressHook hook;
  context.setHook(&hook);
  ASSERT_TRUE(context.keystream(33).has_value());
  EXPECT_EQ(hook.count.load(), 48);
  hook.cancel = 1;
  EXPECT_FALSE(context.keystream(64).has_value());
  EXPECT_EQ(hook.count.load(), 64);
}

}  // namespace
}  // namespace qs
