#include "codec/block_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <vector>

#include "codec/limits.h"
#include "codec/suffix_sorter.h"
#include "tests/codec/sample_data.h"
#include "tests/support/hex.h"

namespace qs {
namespace {

using test::FromHex;
using test::ToHex;

// The transform of one block exactly as the format words it and as slowly: words taken modulo
// n, one word per comparison step, the budget lowered before every word after the first.
// Empty when the budget runs out.
class ReferenceTransform {
 public:
  explicit ReferenceTransform(const std::vector<std::uint8_t>& block)
      : b_(block), n_(static_cast<std::uint32_t>(block.size())) {}

  std::optional<std::vector<std::uint8_t>> run(std::uint32_t& primary) {
    budget_ = std::max<std::uint64_t>(40 * std::uint64_t{n_}, 1000);
    order_.resize(n_);
    for (std::uint32_t i = 0; i < n_; ++i) order_[i] = i;
    sort(0, n_ - 1);
    if (failed_) return std::nullopt;
    std::vector<std::uint8_t> out(n_);
    for (std::uint32_t j = 0; j < n_; ++j) {
      out[j] = b_[(order_[j] + n_ - 1) % n_];
      if (order_[j] == 0) primary = j;
    }
    return out;
  }

 private:
  std::uint32_t word(std::uint64_t p) const {
    std::uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w = w << 8 | b_[(p + i) % n_];
    return w;
  }

  bool less(std::uint32_t x, std::uint32_t y) {
    if (word(x) != word(y)) return word(x) < word(y);
    for (std::uint64_t k = 1; 4 * k < n_; ++k) {
      if (budget_ == 0) {
        failed_ = true;
        return false;
      }
      --budget_;
      if (word(x + 4 * k) != word(y + 4 * k)) return word(x + 4 * k) < word(y + 4 * k);
    }
    return false;
  }

  void sort(std::uint32_t lo, std::uint32_t hi) {
    if (failed_) return;
    if (hi - lo + 1 <= 4) {
      for (std::uint32_t a = lo; a < hi; ++a) {
        for (std::uint32_t i = a + 1; i <= hi; ++i) {
          if (less(order_[i], order_[a])) std::swap(order_[i], order_[a]);
        }
      }
      return;
    }
    const std::uint32_t mid = (lo + hi) / 2;
    sort(lo, mid);
    sort(mid + 1, hi);
    std::vector<std::uint32_t> left(order_.begin() + lo, order_.begin() + mid + 1);
    std::size_t l = 0;
    std::uint32_t r = mid + 1;
    std::uint32_t out = lo;
    while (l < left.size() && r <= hi) order_[out++] = less(order_[r], left[l]) ? order_[r++] : left[l++];
    while (l < left.size()) order_[out++] = left[l++];
  }

  std::vector<std::uint8_t> b_;
  std::uint32_t n_;
  std::uint64_t budget_ = 0;
  bool failed_ = false;
  std::vector<std::uint32_t> order_;
};

// The transform by std::sort on whole rotations of a doubled copy: the bytes every correct
// sort of the rotations writes, whatever it does with identical rotations.
std::vector<std::uint8_t> SortedRotationsTransform(const std::vector<std::uint8_t>& block) {
  const auto n = static_cast<std::uint32_t>(block.size());
  std::vector<std::uint8_t> doubled(block);
  doubled.insert(doubled.end(), block.begin(), block.end());
  std::vector<std::uint32_t> order(n);
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
    return std::memcmp(doubled.data() + x, doubled.data() + y, n) < 0;
  });
  std::vector<std::uint8_t> out(n);
  for (std::uint32_t j = 0; j < n; ++j) out[j] = block[(order[j] + n - 1) % n];
  return out;
}

// Blocks that stress rotation sorting: random over 256, 3 or 2 values; periodic with periods 1,
// 2, 3 and 7, whole or cut short, sometimes with a few bytes changed; text.
std::vector<std::uint8_t> StressBlock(std::uint32_t seed, std::uint32_t n) {
  const ByteBuffer noise = test::MakeSample(test::Sample::kRandom, n, seed);
  if (seed % 6 == 5) {
    const ByteBuffer text = test::MakeSample(test::Sample::kText, n, seed);
    return {text.data(), text.data() + n};
  }
  const std::uint32_t alphabet = std::vector<std::uint32_t>{256, 3, 2}[seed % 3];
  const std::uint32_t period = seed % 2 == 0 ? n : std::vector<std::uint32_t>{1, 2, 3, 7}[seed / 2 % 4];
  std::vector<std::uint8_t> block(n);
  for (std::uint32_t i = 0; i < n; ++i)
    block[i] = static_cast<std::uint8_t>(noise.data()[i % period] % alphabet);
  if (seed % 5 == 1 && n > 0) block[noise.data()[0] % n] ^= 0x80;
  return block;
}

// Whether the block is a word repeated, so that rotation 0 has identical twins.
bool IsPeriodic(const std::vector<std::uint8_t>& block) {
  const std::size_t n = block.size();
  for (std::size_t p = 1; p < n; ++p) {
    if (n % p == 0 && std::equal(block.begin() + p, block.end(), block.begin())) return true;
  }
  return false;
}

ByteBuffer SortedComplete(const std::vector<std::uint8_t>& block) {
  ByteBuffer b(block.data(), static_cast<std::uint32_t>(block.size()));
  EXPECT_TRUE(BlockSortEncode(b, RotationSort::kComplete));
  return b;
}

std::string Container(const std::string& hex) {
  ByteBuffer b = FromHex(hex);
  EXPECT_TRUE(BlockSortEncode(b, RotationSort::kBudgeted));
  return ToHex(b);
}

TEST(BlockSort, ShortBlocksAreCopiedWithIndexZero) {
  EXPECT_EQ(Container(""), "0000");
  EXPECT_EQ(Container("7a"), "01000000007a");
  EXPECT_EQ(Container("7a01"), "01000000007a01");
  EXPECT_EQ(Container("7a0133"), "01000000007a0133");
}

TEST(BlockSort, IdenticalRotationsKeepTheOrderOfTheExactProcedure) {
  // a b a b: rotations 0 and 2 are identical and so are 1 and 3. The exchange sort leaves 0
  // before 2 and swaps 1 behind 2: order 0 2 1 3, last bytes b b a a, rotation 0 first.
  EXPECT_EQ(Container("61626162"),
            "0100000000"
            "62626161");
  // Distinct rotations of "banana": order 5 3 1 0 4 2 (a, ana, anana, banana, na, nana).
  EXPECT_EQ(Container("62616e616e61"),
            "0100030000"
            "6e6e62616161");
}

TEST(BlockSort, MatchesTheLiteralProcedureIncludingTheBudget) {
  int exhausted = 0;
  int sorted = 0;
  for (std::uint32_t seed = 0; seed < 400; ++seed) {
    // Short alphabets and repeated patterns make long equal stretches, so the budget is
    // sometimes just enough and sometimes not.
    const std::uint32_t n = 4 + seed % 97;
    std::vector<std::uint8_t> block(n);
    ByteBuffer noise = test::MakeSample(test::Sample::kRandom, n, seed);
    const std::uint32_t period = 1 + seed % 7;
    const std::uint32_t alphabet = seed % 5 == 0 ? 256 : 1 + seed % 3;
    for (std::uint32_t i = 0; i < n; ++i) {
      block[i] = static_cast<std::uint8_t>(noise.data()[i % period] % alphabet);
      if (seed % 4 == 1 && noise.data()[i] < 8) block[i] ^= 1;  // a few breaks in the pattern
    }
    std::uint32_t expectedPrimary = 0;
    const auto expected = ReferenceTransform(block).run(expectedPrimary);

    ByteBuffer b(block.data(), n);
    const bool ok = BlockSortEncode(b, RotationSort::kBudgeted);
    ASSERT_EQ(ok, expected.has_value()) << "seed " << seed;
    if (!ok) {
      ++exhausted;
      EXPECT_EQ(b.length(), n);  // the input is left as it was
      continue;
    }
    ++sorted;
    ASSERT_EQ(b.length(), 5 + n);
    const std::uint32_t primary = b.data()[2] | b.data()[3] << 8 | b.data()[4] << 16;
    EXPECT_EQ(primary, expectedPrimary) << "seed " << seed;
    EXPECT_TRUE(std::equal(expected->begin(), expected->end(), b.data() + 5)) << "seed " << seed;
  }
  EXPECT_GT(exhausted, 20);
  EXPECT_GT(sorted, 200);
}

TEST(BlockSort, RepetitiveBlockExhaustsTheBudgetAndLeavesTheInput) {
  ByteBuffer in;
  for (int i = 0; i < 2000; ++i) in.append(reinterpret_cast<const std::uint8_t*>("abc"), 3);
  ByteBuffer b(in);
  EXPECT_FALSE(BlockSortEncode(b, RotationSort::kBudgeted));
  EXPECT_TRUE(b.equals(in));
}

TEST(BlockSort, SplitsIntoTwoMebibyteBlocks) {
  for (std::uint32_t n : {kBlockSortBlockBytes, kBlockSortBlockBytes + 1}) {
    const ByteBuffer in = test::MakeSample(test::Sample::kRandom, n);
    ByteBuffer b(in);
    ASSERT_TRUE(BlockSortEncode(b, RotationSort::kBudgeted));
    const std::uint32_t blocks = n == kBlockSortBlockBytes ? 1 : 2;
    ASSERT_EQ(b.length(), 2 + 3 * blocks + n);
    EXPECT_EQ(b.data()[0], blocks);
    EXPECT_EQ(b.data()[1], 0);
    if (blocks == 2) {
      EXPECT_EQ(ToHex(b.slice(3, 5)), "000000");  // the one-byte block: index 0, copied
      EXPECT_EQ(b.data()[b.length() - 1], in.data()[n - 1]);
    }
    ASSERT_TRUE(BlockSortDecode(b, n));
    EXPECT_TRUE(b.equals(in));
  }
}

TEST(CompleteBlockSort, MatchesStdSortOfTheRotationsAndDecodes) {
  for (std::uint32_t seed = 0; seed < 600; ++seed) {
    const std::uint32_t n = seed < 60 ? 1 + seed % 6 : 1 + (seed * 7919) % (seed < 560 ? 700 : 9000);
    const std::vector<std::uint8_t> block = StressBlock(seed, n);
    ByteBuffer b = SortedComplete(block);
    ASSERT_EQ(b.length(), 5 + n) << "seed " << seed;
    const std::vector<std::uint8_t> expected =
        n < kMinSortedBlockBytes ? block : SortedRotationsTransform(block);
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), b.data() + 5)) << "seed " << seed << " n " << n;
    // Any place of a rotation identical to rotation 0 decodes to the block itself.
    ASSERT_TRUE(BlockSortDecode(b, n)) << "seed " << seed;
    EXPECT_TRUE(std::equal(block.begin(), block.end(), b.data())) << "seed " << seed;
  }
}

TEST(CompleteBlockSort, WritesTheBudgetedContainerWheneverTheBudgetSuffices) {
  EXPECT_EQ(ToHex(SortedComplete({0x62, 0x61, 0x6e, 0x61, 0x6e, 0x61})),
            "0100030000"
            "6e6e62616161");
  int compared = 0;
  for (std::uint32_t seed = 0; seed < 300; ++seed) {
    const std::vector<std::uint8_t> block = StressBlock(seed, 4 + seed % 200);
    ByteBuffer budgeted(block.data(), static_cast<std::uint32_t>(block.size()));
    if (!BlockSortEncode(budgeted, RotationSort::kBudgeted)) continue;
    const ByteBuffer complete = SortedComplete(block);
    if (!std::equal(complete.data() + 5, complete.data() + complete.length(), budgeted.data() + 5)) {
      ADD_FAILURE() << "seed " << seed;
    }
    // The primary index may differ only among identical rotations, so only in periodic blocks.
    if (!IsPeriodic(block)) {
      EXPECT_TRUE(complete.equals(budgeted)) << "seed " << seed;
    }
    ++compared;
  }
  EXPECT_GT(compared, 150);
}

TEST(CompleteBlockSort, FinishesFullBlocksTheBudgetCannot) {
  for (std::uint32_t n : {kBlockSortBlockBytes - 1, kBlockSortBlockBytes, kBlockSortBlockBytes + 1}) {
    for (std::uint32_t period : {1u, 3u, 7u, n}) {
      const ByteBuffer unit = test::MakeSample(test::Sample::kRandom, period, period);
      std::vector<std::uint8_t> in(n);
      for (std::uint32_t i = 0; i < n; ++i) in[i] = unit.data()[i % period];
      ByteBuffer b = SortedComplete(in);
      if (period == n) {  // random: the budgeted sort finishes too, with the same result
        ByteBuffer budgeted(in.data(), n);
        ASSERT_TRUE(BlockSortEncode(budgeted, RotationSort::kBudgeted));
        EXPECT_TRUE(b.equals(budgeted)) << n;
      }
      ASSERT_TRUE(BlockSortDecode(b, n)) << n << " period " << period;
      EXPECT_TRUE(std::equal(in.begin(), in.end(), b.data())) << n << " period " << period;
    }
  }
}

TEST(SuffixSorter, MatchesStdSortOfTheSuffixes) {
  SuffixSorter sorter(5000);
  for (std::uint32_t seed = 0; seed < 300; ++seed) {
    const std::uint32_t n = 1 + (seed * 7919) % 5000;
    const std::vector<std::uint8_t> text = StressBlock(seed, n);
    std::vector<std::uint32_t> order(n);
    sorter.Sort(text.data(), n, order.data());
    std::vector<std::uint32_t> expected(n);
    std::iota(expected.begin(), expected.end(), 0u);
    std::sort(expected.begin(), expected.end(), [&](std::uint32_t x, std::uint32_t y) {
      return std::lexicographical_compare(text.begin() + x, text.end(), text.begin() + y, text.end());
    });
    ASSERT_EQ(order, expected) << "seed " << seed << " n " << n;
  }
}

TEST(BlockSort, DecodeRoundTripsAndRefusesInconsistentContainers) {
  for (const char* hex : {"", "61", "6162", "616263", "61626162", "62616e616e61", "00000000000000000000"}) {
    ByteBuffer b = FromHex(hex);
    ASSERT_TRUE(BlockSortEncode(b, RotationSort::kBudgeted));
    ASSERT_TRUE(BlockSortDecode(b, 100));
    EXPECT_EQ(ToHex(b), hex);
  }
  const char* bad[] = {
      "",          // no block count
      "00",        // half a block count
      "01000000",  // index cut short
      "0000"
      "61",                        // data without a block
      "020000000000000061626364",  // two blocks for four bytes
      "0100"
      "040000"
      "61626364",  // primary index past the block
      "0100"
      "010000"
      "61",  // the same for a copied block
  };
  for (const char* hex : bad) {
    ByteBuffer b = FromHex(hex);
    EXPECT_FALSE(BlockSortDecode(b, 100)) << hex;
    EXPECT_EQ(ToHex(b), hex);
  }
  ByteBuffer b = FromHex(
      "0100"
      "000000"
      "62626161");
  EXPECT_FALSE(BlockSortDecode(b, 3));
  EXPECT_TRUE(BlockSortDecode(b, 4));
  EXPECT_EQ(ToHex(b), "61626162");
}

}  // namespace
}  // namespace qs
