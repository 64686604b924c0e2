#include <gtest/gtest.h>

#include "crypto/cipher_context.h"
#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

std::span<std::uint8_t, 16> Block(ByteBuffer& b) { return std::span<std::uint8_t, 16>(b.data(), 16); }

TEST(Aes, KnownAnswersThroughTheSingleBlockOperations) {
  const auto vectors = test::LoadVectors("crypto/aes_block.txt");
  ASSERT_EQ(vectors.size(), 15u);
  for (const auto& v : vectors) {
    const ByteBuffer key = FromHex(v.at("Key"));
    SCOPED_TRACE("key " + v.at("Key"));
    const CipherContext context(key.span());
    ASSERT_TRUE(context.ready());
    ByteBuffer block = FromHex(v.at("Plaintext"));
    ASSERT_TRUE(context.encryptBlock(Block(block)));
    EXPECT_EQ(ToHex(block), v.at("Ciphertext"));
    ASSERT_TRUE(context.decryptBlock(Block(block)));
    EXPECT_EQ(ToHex(block), v.at("Plaintext"));
  }
}

TEST(Aes, KeyOfAnyOtherLengthLeavesTheContextNotReady) {
  for (const std::uint32_t length : {0u, 1u, 15u, 17u, 31u, 33u, 64u}) {
    SCOPED_TRACE(std::to_string(length) + "-byte key");
    const ByteBuffer key = ByteBuffer::zeros(length);
    CipherContext context(key.span());
    EXPECT_FALSE(context.ready());

    ByteBuffer block = FromHex("00112233445566778899aabbccddeeff");
    EXPECT_FALSE(context.decryptBlock(Block(block)));
    EXPECT_EQ(ToHex(block), "00112233445566778899aabbccddeeff") << "decryption leaves the block";
    EXPECT_FALSE(context.encryptBlock(Block(block)));
    EXPECT_EQ(ToHex(block), "00000000000000000000000000000000") << "encryption zeroes the block";

    ByteBuffer data = ByteBuffer::zeros(32);
    EXPECT_FALSE(context.decryptPadded(data));
    EXPECT_EQ(data.length(), 32u);
    EXPECT_FALSE(context.encryptPadded(data));
    EXPECT_TRUE(data.empty());

    ByteBuffer pool = ByteBuffer::zeros(CipherContext::kPoolBytes);
    EXPECT_FALSE(
        context.encryptPool(std::span<std::uint8_t, CipherContext::kPoolBytes>(pool.data(), pool.length())));
    EXPECT_TRUE(pool.equals(ByteBuffer::zeros(CipherContext::kPoolBytes)));
    EXPECT_FALSE(context.keystream(16).has_value());
    EXPECT_FALSE(context.keystream(0).has_value());
  }
}

}  // namespace
}  // namespace qs
