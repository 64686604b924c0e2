#include "codec/block_sort.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "codec/limits.h"
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

std::string Container(const std::string& hex) {
  ByteBuffer b = FromHex(hex);
  EXPECT_TRUE(BlockSortEncode(b));
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
  EXPECT_EQ(Container("61626162"), "0100000000" "62626161");
  // Distinct rotations of "banana": order 5 3 1 0 4 2 (a, ana, anana, banana, na, nana).
  EXPECT_EQ(Container("62616e616e61"), "0100030000" "6e6e62616161");
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
    const bool ok = BlockSortEncode(b);
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
  EXPECT_FALSE(BlockSortEncode(b));
  EXPECT_TRUE(b.equals(in));
}

TEST(BlockSort, SplitsIntoTwoMebibyteBlocks) {
  for (std::uint32_t n : {kBlockSortBlockBytes, kBlockSortBlockBytes + 1}) {
    const ByteBuffer in = test::MakeSample(test::Sample::kRandom, n);
    ByteBuffer b(in);
    ASSERT_TRUE(BlockSortEncode(b));
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

TEST(BlockSort, DecodeRoundTripsAndRefusesInconsistentContainers) {
  for (const char* hex : {"", "61", "6162", "616263", "61626162", "62616e616e61", "00000000000000000000"}) {
    ByteBuffer b = FromHex(hex);
    ASSERT_TRUE(BlockSortEncode(b));
    ASSERT_TRUE(BlockSortDecode(b, 100));
    EXPECT_EQ(ToHex(b), hex);
  }
  const char* bad[] = {
      "",                        // no block count
      "00",                      // half a block count
      "01000000",                // index cut short
      "0000" "61",               // data without a block
      "020000000000000061626364",  // two blocks for four bytes
      "0100" "040000" "61626364",  // primary index past the block
      "0100" "010000" "61",        // the same for a copied block
  };
  for (const char* hex : bad) {
    ByteBuffer b = FromHex(hex);
    EXPECT_FALSE(BlockSortDecode(b, 100)) << hex;
    EXPECT_EQ(ToHex(b), hex);
  }
  ByteBuffer b = FromHex("0100" "000000" "62626161");
  EXPECT_FALSE(BlockSortDecode(b, 3));
  EXPECT_TRUE(BlockSortDecode(b, 4));
  EXPECT_EQ(ToHex(b), "61626162");
}

}  // namespace
}  // namespace qs
