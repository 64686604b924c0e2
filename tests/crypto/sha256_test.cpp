#include "crypto/sha256.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/hex.h"
#include "tests/support/vectors.h"

namespace qs {
namespace {

using test::FromHex;
using test::FromString;
using test::ToHex;

const std::string kEmptyDigest = "42c4b0e3141cfc98c8f4fb9a24b96f99e441ae274c939b641b9995a455b85278";
const std::string kAbcDigest = "bf1678baeacf018fde4041412322ae5da36103b09c7a179661ff10b4ad1500f2";

std::string DigestHex(Sha256Context& context) {
  ByteBuffer out = FromHex(std::string(80, 'f'));  // longer than a digest, to see it resized
  context.digest(out);
  return ToHex(out);
}

// Feeds one message every way a caller may: whole, again after a digest, byte by byte,
// split in two at every position after a reset, and in one call. Stops at the first
// mismatch of each way so that a broken build prints a handful of lines, not thousands.
void ExpectDigestEveryWay(const ByteBuffer& message, const std::string& expected) {
  const std::span<const std::uint8_t> bytes = message.span();
  SCOPED_TRACE("message of " + std::to_string(bytes.size()) + " bytes");

  Sha256Context context;
  ASSERT_TRUE(context.update(bytes));
  EXPECT_EQ(DigestHex(context), expected) << "whole";
  EXPECT_EQ(DigestHex(context), expected) << "digest called twice";
  ASSERT_TRUE(context.update(bytes));
  EXPECT_EQ(DigestHex(context), expected) << "update after a digest starts a new message";

  Sha256Context byByte;
  for (std::size_t i = 0; i < bytes.size(); ++i) ASSERT_TRUE(byByte.update(bytes.subspan(i, 1)));
  EXPECT_EQ(DigestHex(byByte), expected) << "byte by byte";

  Sha256Context split;
  for (std::size_t at = 0; at <= bytes.size(); ++at) {
    split.reset();
    ASSERT_TRUE(split.update(bytes.first(at)));
    ASSERT_TRUE(split.update(bytes.subspan(at)));
    const std::string got = DigestHex(split);
    if (got != expected) {
      ADD_FAILURE() << "split at " << at << ": got " << got << ", expected " << expected;
      break;
    }
  }

  EXPECT_EQ(ToHex(Sha256(bytes)), expected) << "one call";
}

TEST(Sha256, KnownAnswersFedEveryWay) {
  const auto vectors = test::LoadVectors("crypto/sha256.txt");
  ASSERT_EQ(vectors.size(), 13u);
  for (const auto& v : vectors) ExpectDigestEveryWay(FromHex(v.at("Msg")), v.at("Digest"));
}

TEST(Sha256, MillionTimesAInOneCallAndInUnevenPieces) {
  const auto vectors = test::LoadVectors("crypto/sha256_repeated.txt");
  ASSERT_EQ(vectors.size(), 1u);
  const auto& v = vectors[0];
  const ByteBuffer byte = FromHex(v.at("Byte"));
  const std::uint32_t repeat = static_cast<std::uint32_t>(std::stoul(v.at("Repeat")));
  ByteBuffer message;
  for (std::uint32_t i = 0; i < repeat; ++i) message.append(byte);

  EXPECT_EQ(ToHex(Sha256(message.span())), v.at("Digest"));

  // Piece sizes that never line up with the 64-byte block.
  Sha256Context context;
  std::span<const std::uint8_t> rest = message.span();
  for (std::size_t piece = 1; !rest.empty(); piece = piece * 3 + 1) {
    const std::size_t n = std::min(piece % 5000, rest.size());
    ASSERT_TRUE(context.update(rest.first(n)));
    rest = rest.subspan(n);
  }
  EXPECT_EQ(DigestHex(context), v.at("Digest"));
}

TEST(Sha256, HookCountsCompressedBlocksOfUpdatesOnly) {
  ProgressHook hook;
  Sha256Context context;
  context.setHook(&hook);
  const ByteBuffer message = ByteBuffer::zeros(200);
  ASSERT_TRUE(context.update(message.span().first(10)));
  EXPECT_EQ(hook.count.load(), 0);
  ASSERT_TRUE(context.update(message.span().subspan(10)));
  EXPECT_EQ(hook.count.load(), 192);
  ByteBuffer digest;
  context.digest(digest);
  EXPECT_EQ(hook.count.load(), 192) << "the padding blocks are not progress";

  // The hook stays attached when a digested context starts its next message.
  ASSERT_TRUE(context.update(message.span().first(64)));
  EXPECT_EQ(hook.count.load(), 256);
  context.reset();
  ASSERT_TRUE(context.update(message.span()));
  EXPECT_EQ(hook.count.load(), 256) << "reset detaches the hook";
}

TEST(Sha256, CancelStopsAfterTheCurrentBlockAndRestartsTheContext) {
  ProgressHook hook;
  Sha256Context context;
  context.setHook(&hook);
  ASSERT_TRUE(context.update(FromString("ab").span()));
  hook.cancel = 1;
  EXPECT_FALSE(context.update(ByteBuffer::zeros(1000).span()));
  EXPECT_EQ(hook.count.load(), 64);
  EXPECT_EQ(DigestHex(context), kEmptyDigest) << "the cancelled message is forgotten";

  hook.cancel = 0;
  ASSERT_TRUE(context.update(FromString("abc").span()));
  EXPECT_EQ(DigestHex(context), kAbcDigest);

  hook.cancel = 1;
  EXPECT_TRUE(context.update(FromString("abc").span())) << "no block compressed, nothing to cancel";
}

TEST(Sha256, WipeForgetsTheMessage) {
  Sha256Context context;
  ASSERT_TRUE(context.update(ByteBuffer::zeros(100).span()));
  context.wipe();
  EXPECT_EQ(DigestHex(context), kEmptyDigest);
  ASSERT_TRUE(context.update(FromString("abc").span()));
  EXPECT_EQ(DigestHex(context), kAbcDigest);
}

}  // namespace
}  // namespace qs
