#include "crypto/hmac_sha256.h"

#include <gtest/gtest.h>

#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

TEST(HmacSha256, KnownAnswersAndRefusedKeyLengths) {
  const auto vectors = test::LoadVectors("crypto/hmac_sha256.txt");
  ASSERT_EQ(vectors.size(), 11u);
  for (const auto& v : vectors) {
    const ByteBuffer key = FromHex(v.at("Key"));
    const ByteBuffer message = FromHex(v.at("Msg"));
    const ByteBuffer mac = FromHex(v.at("Mac"));
    SCOPED_TRACE("key of " + std::to_string(key.length()) + " bytes");
    const HmacSha256Context context(key.span());
    EXPECT_EQ(context.failed(), mac.empty());
    EXPECT_EQ(ToHex(context.compute(message.span())), v.at("Mac"));
    if (mac.empty()) {
      // A refused key verifies nothing, not even the empty MAC it computes.
      EXPECT_FALSE(context.verify(message.span(), mac.span()));
      EXPECT_FALSE(context.verify(message.span(), ByteBuffer::zeros(32).span()));
    } else {
      EXPECT_TRUE(context.verify(message.span(), mac.span()));
    }
  }
}

TEST(HmacSha256, VerifyRejectsEveryChangedByteAndWrongLengths) {
  const ByteBuffer key = FromHex("0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b");
  const ByteBuffer message = FromHex("4869205468657265");
  const HmacSha256Context context(key.span());
  const ByteBuffer mac = context.compute(message.span());
  ASSERT_EQ(mac.length(), 32u);

  for (std::uint32_t i = 0; i < mac.length(); ++i) {
    ByteBuffer tampered = mac;
    tampered.at(i) ^= 0x01;
    EXPECT_FALSE(context.verify(message.span(), tampered.span())) << "MAC byte " << i;
  }
  for (std::uint32_t i = 0; i < message.length(); ++i) {
    ByteBuffer tampered = message;
    tampered.at(i) ^= 0x80;
    EXPECT_FALSE(context.verify(tampered.span(), mac.span())) << "message byte " << i;
  }
  EXPECT_FALSE(context.verify(message.span(), mac.span().first(31)));
  ByteBuffer longer = mac;
  longer.appendU8(0);
  EXPECT_FALSE(context.verify(message.span(), longer.span()));
  EXPECT_FALSE(context.verify(message.span(), {}));
}

TEST(HmacSha256, HookCountsMessageBlocksOnlyAndCancelGivesNothing) {
  const ByteBuffer key = ByteBuffer::zeros(32);
  HmacSha256Context context(key.span());
  ProgressHook hook;
  context.setHook(&hook);

  // The inner hash starts with the 64-byte key block, so a message of n bytes completes
  // floor(n / 64) blocks of its own; the outer hash is never counted.
  const struct {
    std::uint32_t length;
    std::int32_t count;
  } cases[] = {{0, 0}, {63, 0}, {64, 64}, {100, 64}, {128, 128}};
  for (const auto& c : cases) {
    hook.count = 0;
    EXPECT_EQ(context.compute(ByteBuffer::zeros(c.length).span()).length(), 32u);
    EXPECT_EQ(hook.count.load(), c.count) << c.length << " bytes";
  }

  const ByteBuffer message = ByteBuffer::zeros(200);
  const ByteBuffer mac = context.compute(message.span());
  hook.cancel = 1;
  EXPECT_TRUE(context.compute(message.span()).empty());
  EXPECT_FALSE(context.verify(message.span(), mac.span()));
  hook.cancel = 0;
  EXPECT_TRUE(context.verify(message.span(), mac.span()));
}

}  // namespace
}  // namespace qs
