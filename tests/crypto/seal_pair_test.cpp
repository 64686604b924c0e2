#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "crypto/cpu_features.h"
#include "crypto/symmetric_context.h"
#include "tests/crypto/crypto_paths.h"

namespace qs {
namespace {

using test::Bytes;
using test::PortableOnly;
using test::Random;
using Iv = std::span<const std::uint8_t, SymmetricContext::kIvBytes>;

constexpr std::uint32_t kChunk = 2 * 1024 * 1024;

// One plaintext to seal in place: the IV's room, the plaintext, room for padding and MAC.
struct Job {
  Job(std::mt19937& rng, std::uint32_t n) : length(n), plain(Random(rng, n)), iv(Random(rng, 16)) {
    buffer = Bytes(16);
    buffer.insert(buffer.end(), plain.begin(), plain.end());
    buffer.resize(SymmetricContext::SealedSize(n));
  }
  SymmetricContext::SealRequest request() { return {buffer, length, Iv(iv.data(), 16)}; }

  std::uint32_t length;
  Bytes plain;
  Bytes iv;
  Bytes buffer;
};

// Seals both in one call and each alone, and checks the bytes agree and open again.
void ExpectPairEqualsSingles(SymmetricContext& context, std::mt19937& rng, std::uint32_t a, std::uint32_t b) {
  SCOPED_TRACE(std::to_string(a) + " and " + std::to_string(b) + " bytes");
  Job first(rng, a);
  Job second(rng, b);
  Job firstAlone = first;
  Job secondAlone = second;
  ASSERT_TRUE(context.sealPair(first.request(), second.request()));
  ASSERT_TRUE(context.seal(firstAlone.buffer, a, Iv(firstAlone.iv.data(), 16)));
  ASSERT_TRUE(context.seal(secondAlone.buffer, b, Iv(secondAlone.iv.data(), 16)));
  ASSERT_EQ(first.buffer, firstAlone.buffer);
  ASSERT_EQ(second.buffer, secondAlone.buffer);
  for (Job* job : {&first, &second}) {
    const std::optional<std::span<std::uint8_t>> opened = context.open(job->buffer);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(std::equal(opened->begin(), opened->end(), job->plain.begin(), job->plain.end()));
  }
}

// Every pair of lengths around the cipher block, the hashed block and the three blocks
// encrypted ahead, in both orders, so that either message runs on alone.
void ExpectEveryShortLengthClass(SymmetricContext& context, std::mt19937& rng) {
  const std::uint32_t lengths[] = {0, 1, 15, 16, 17, 47, 48, 49, 63, 64, 65, 111, 112, 113, 1000};
  for (const std::uint32_t a : lengths) {
    for (const std::uint32_t b : lengths) ExpectPairEqualsSingles(context, rng, a, b);
  }
}

// Then whole chunks beside each other, a short one and an odd one.
TEST(SealPair, EqualsTwoSealsOnTheCombinedPath) {
  std::mt19937 rng(31);
  SymmetricContext context(Random(rng, 32), nullptr);
  ExpectEveryShortLengthClass(context, rng);
  ExpectPairEqualsSingles(context, rng, kChunk, kChunk);
  ExpectPairEqualsSingles(context, rng, kChunk, kChunk + 3);
  ExpectPairEqualsSingles(context, rng, kChunk + 3, 65);
  ExpectPairEqualsSingles(context, rng, 0, kChunk);
}

TEST(SealPair, EqualsTwoSealsOnThePortablePathAndWithAHook) {
  std::mt19937 rng(32);
  SymmetricContext context(Random(rng, 32), nullptr);
  {
    PortableOnly portable;
    ExpectEveryShortLengthClass(context, rng);
  }
  // With a hook the pair is the two seals one after the other: the same bytes and counts.
  ProgressHook hook;
  context.setHook(&hook);
  Job first(rng, 100);
  Job second(rng, 5000);
  Job firstAlone = first;
  Job secondAlone = second;
  ASSERT_TRUE(context.sealPair(first.request(), second.request()));
  const std::int32_t pairCount = hook.count.exchange(0);
  ASSERT_TRUE(context.seal(firstAlone.buffer, 100, Iv(firstAlone.iv.data(), 16)));
  ASSERT_TRUE(context.seal(secondAlone.buffer, 5000, Iv(secondAlone.iv.data(), 16)));
  EXPECT_EQ(pairCount, hook.count.load());
  EXPECT_GT(pairCount, 5000);
  EXPECT_EQ(first.buffer, firstAlone.buffer);
  EXPECT_EQ(second.buffer, secondAlone.buffer);
}

TEST(SealPair, RefusesAShortBufferOnEitherSideAndAFailedContext) {
  std::mt19937 rng(33);
  SymmetricContext context(Random(rng, 32), nullptr);
  for (const bool portable : {false, true}) {
    std::optional<PortableOnly> force;
    if (portable) force.emplace();
    for (const int shortSide : {0, 1}) {
      Job jobs[2] = {Job(rng, 200), Job(rng, 33)};
      jobs[shortSide].buffer.pop_back();
      EXPECT_FALSE(context.sealPair(jobs[0].request(), jobs[1].request())) << portable << shortSide;
    }
    Job first(rng, 10);
    Job second(rng, 10);
    SymmetricContext zeroKey(Bytes(32, 0), nullptr);
    EXPECT_FALSE(zeroKey.sealPair(first.request(), second.request())) << portable;
  }
  // The context is still good after a refused pair.
  ExpectPairEqualsSingles(context, rng, 200, 33);
}

}  // namespace
}  // namespace qs
