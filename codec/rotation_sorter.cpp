#include "codec/rotation_sorter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "base/byte_order.h"
#include "codec/limits.h"

namespace qs {
namespace {

constexpr std::uint32_t kExchangeSortRange = 4;
constexpr std::uint64_t kBudgetPerByte = 40;
constexpr std::uint64_t kMinBudget = 1000;
// Comparisons read up to 4 * words + 3 < n + 7 bytes past a rotation's start (in 8-byte
// loads), so the doubled block needs a few bytes more.
constexpr std::uint32_t kTextSlack = 8;

std::uint64_t LoadTwoWords(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
  return v;
}

}  // namespace

RotationSorter::RotationSorter(std::uint32_t maxBlock)
    : text_(2 * maxBlock + kTextSlack), rotations_(maxBlock), left_(maxBlock / 2 + 1) {}

bool RotationSorter::Transform(const std::uint8_t* block, std::uint32_t n, std::uint8_t* out,
                               std::uint32_t& primary) {
  primary = 0;
  if (n < kMinSortedBlockBytes) {
    std::memcpy(out, block, n);
    return true;
  }
  std::uint8_t* text = text_.data();
  std::memcpy(text, block, n);
  for (std::uint32_t i = n; i < 2 * n + kTextSlack; ++i) text[i] = text[i - n];
  for (std::uint32_t i = 0; i < n; ++i) rotations_[i] = {LoadBe32(text + i), LoadBe32(text + i + 4), i};
  words_ = (n + 3) / 4;
  budget_ = std::max(kBudgetPerByte * n, kMinBudget);
  exhausted_ = false;
  if (!Sort(0, n - 1)) return false;

  for (std::uint32_t j = 0; j < n; ++j) {
    const std::uint32_t start = rotations_[j].start;
    out[j] = text[start + n - 1];  // the byte before the rotation
    if (start == 0) primary = j;
  }
  return true;
}

bool RotationSorter::Sort(std::uint32_t lo, std::uint32_t hi) {
  if (hi - lo + 1 <= kExchangeSortRange) return ExchangeSort(lo, hi);
  const std::uint32_t mid = (lo + hi) / 2;
  return Sort(lo, mid) && Sort(mid + 1, hi) && Merge(lo, mid, hi);
}

bool RotationSorter::ExchangeSort(std::uint32_t lo, std::uint32_t hi) {
  for (std::uint32_t a = lo; a < hi; ++a) {
    for (std::uint32_t i = a + 1; i <= hi; ++i) {
      if (Less(rotations_[i], rotations_[a])) std::swap(rotations_[i], rotations_[a]);
      if (exhausted_) return false;
    }
  }
  return true;
}

bool RotationSorter::Merge(std::uint32_t lo, std::uint32_t mid, std::uint32_t hi) {
  const std::uint32_t leftCount = mid - lo + 1;
  Rotation* r = rotations_.data();
  Rotation* left = left_.data();
  std::memcpy(left, r + lo, leftCount * sizeof(Rotation));
  std::uint32_t l = 0;
  std::uint32_t right = mid + 1;
  std::uint32_t out = lo;
  // The output never overtakes the right run: out = lo + l + (right - mid - 1) < right.
  while (l < leftCount && right <= hi) {
    const Rotation* a = r + right;
    const Rotation* b = left + l;
    std::uint32_t takeRight;
    if (a->word0 != b->word0) {
      takeRight = a->word0 < b->word0;
    } else {
      takeRight = LessFromSecondWord(*a, *b);
      if (exhausted_) return false;
    }
    // The outcome is unpredictable, so the entry is chosen by arithmetic rather than a branch.
    const auto pa = reinterpret_cast<std::uintptr_t>(a);
    const auto pb = reinterpret_cast<std::uintptr_t>(b);
    r[out++] = *reinterpret_cast<const Rotation*>(pb ^ ((pa ^ pb) & (0 - std::uintptr_t{takeRight})));
    right += takeRight;
    l += 1 - takeRight;
  }
  // A rest of the right run is already in place.
  std::memcpy(r + out, left + l, (leftCount - l) * sizeof(Rotation));
  return true;
}

inline bool RotationSorter::Less(const Rotation& x, const Rotation& y) {
  if (x.word0 != y.word0) return x.word0 < y.word0;
  return LessFromSecondWord(x, y);
}

bool RotationSorter::LessFromSecondWord(const Rotation& x, const Rotation& y) {
  if (words_ == 1) return false;
  if (budget_ == 0) {
    exhausted_ = true;
    return false;
  }
  --budget_;
  if (x.word1 != y.word1) return x.word1 < y.word1;
  if (words_ == 2) return false;
  return LessFromThirdWord(x.start, y.start);
}

// Word k (k >= 2) is compared only while the budget lasts, so the scan stops at word
// 1 + budget; the budget pays for every word up to the first that differs.
bool RotationSorter::LessFromThirdWord(std::uint32_t x, std::uint32_t y) {
  const std::uint64_t last = std::min<std::uint64_t>(words_ - 1, 1 + budget_);
  const std::uint8_t* p = text_.data() + x;
  const std::uint8_t* q = text_.data() + y;
  for (std::uint64_t k = 2; k <= last; k += 2) {
    const std::uint64_t a = LoadTwoWords(p + 4 * k);
    const std::uint64_t b = LoadTwoWords(q + 4 * k);
    if (a == b) continue;
    const std::uint64_t word = std::countl_zero(a ^ b) < 32 ? k : k + 1;
    if (word > last) break;
    budget_ -= word - 1;
    return a < b;
  }
  if (last == words_ - 1) {  // every word equal: identical rotations
    budget_ -= last - 1;
    return false;
  }
  exhausted_ = true;
  return false;
}

}  // namespace qs
