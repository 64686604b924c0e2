#include "codec/suffix_sorter.h"

#include <algorithm>
#include <cstring>

namespace qs {
namespace {

constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
constexpr std::uint32_t kByteAlphabet = 256;
// Each level's bits are rounded up to whole bytes; there are at most 32 levels.
constexpr std::uint32_t kTypeBitsSlack = 32;

// Suffix i is S when it is smaller than suffix i + 1, L otherwise; the last suffix is L, as the
// end marker is smaller. A leftmost S (LMS) suffix is an S suffix after an L suffix.
class SuffixTypes {
 public:
  template <class Symbol>
  SuffixTypes(const Symbol* s, std::uint32_t n, std::uint8_t* bits) : bits_(bits) {
    std::memset(bits, 0, (n + 7) / 8);
    bool smaller = false;
    for (std::uint32_t i = n - 1; i-- > 0;) {
      smaller = s[i] < s[i + 1] || (s[i] == s[i + 1] && smaller);
      if (smaller) bits_[i >> 3] |= static_cast<std::uint8_t>(1u << (i & 7));
    }
  }

  bool Small(std::uint32_t i) const { return (bits_[i >> 3] >> (i & 7) & 1) != 0; }
  bool Leftmost(std::uint32_t i) const { return i > 0 && Small(i) && !Small(i - 1); }

 private:
  std::uint8_t* bits_;
};

template <class Symbol>
void Count(const Symbol* s, std::uint32_t n, std::uint32_t alphabet, std::uint32_t* counts) {
  std::fill(counts, counts + alphabet, 0u);
  for (std::uint32_t i = 0; i < n; ++i) ++counts[s[i]];
}

void BucketStarts(const std::uint32_t* counts, std::uint32_t alphabet, std::uint32_t* buckets) {
  std::uint32_t sum = 0;
  for (std::uint32_t c = 0; c < alphabet; ++c) {
    buckets[c] = sum;
    sum += counts[c];
  }
}

void BucketEnds(const std::uint32_t* counts, std::uint32_t alphabet, std::uint32_t* buckets) {
  std::uint32_t sum = 0;
  for (std::uint32_t c = 0; c < alphabet; ++c) {
    sum += counts[c];
    buckets[c] = sum;
  }
}

// Given the LMS suffixes at their buckets' ends, places every L suffix in order: the suffix
// before the end marker first, then each one after the suffix following it. Only L and LMS
// suffixes are met, so a suffix precedes an L suffix exactly when its symbol is not smaller
// (before an LMS suffix there is always an L suffix); the type bits are not needed.
template <class Symbol>
void InduceLarge(const Symbol* s, std::uint32_t n, std::uint32_t* order, const std::uint32_t* counts,
                 std::uint32_t alphabet, std::uint32_t* buckets) {
  BucketStarts(counts, alphabet, buckets);
  order[buckets[s[n - 1]]++] = n - 1;
  for (std::uint32_t j = 0; j < n; ++j) {
    const std::uint32_t i = order[j];
    if (i != kEmpty && i > 0 && s[i - 1] >= s[i]) order[buckets[s[i - 1]]++] = i - 1;
  }
}

// Places every S suffix in order from the back, overwriting the LMS suffixes placed before.
// Only equal neighbouring symbols need the type bits.
template <class Symbol>
void InduceSmall(const Symbol* s, std::uint32_t n, const SuffixTypes& types, std::uint32_t* order,
                 const std::uint32_t* counts, std::uint32_t alphabet, std::uint32_t* buckets) {
  BucketEnds(counts, alphabet, buckets);
  for (std::uint32_t j = n; j-- > 0;) {
    const std::uint32_t i = order[j];
    if (i == kEmpty || i == 0) continue;
    const Symbol before = s[i - 1];
    if (before < s[i] || (before == s[i] && types.Small(i))) order[--buckets[before]] = i - 1;
  }
}

// Whether the LMS substrings at a and b (from an LMS suffix to the next, both included) are
// equal in symbols and types. The one that reaches the end marker equals no other.
template <class Symbol>
bool SameLmsSubstring(const Symbol* s, std::uint32_t n, const SuffixTypes& types, std::uint32_t a,
                      std::uint32_t b) {
  for (std::uint32_t d = 0;; ++d) {
    if (a + d == n || b + d == n) return false;
    if (s[a + d] != s[b + d] || types.Small(a + d) != types.Small(b + d)) return false;
    if (d > 0 && (types.Leftmost(a + d) || types.Leftmost(b + d))) {
      return types.Leftmost(a + d) && types.Leftmost(b + d);
    }
  }
}

}  // namespace

SuffixSorter::SuffixSorter(std::uint32_t maxLength)
    : counts_(std::max(kByteAlphabet, maxLength / 2 + 1)),
      buckets_(std::max(kByteAlphabet, maxLength / 2 + 1)),
      typeBits_(maxLength / 4 + kTypeBitsSlack) {}

void SuffixSorter::Sort(const std::uint8_t* text, std::uint32_t n, std::uint32_t* order) {
  SortLevel(text, n, kByteAlphabet, order, typeBits_.data());
}

// Sorts the LMS substrings by one round of inducing, names them by rank, sorts the string of
// names (recursively when names repeat) and induces the whole order from the sorted LMS
// suffixes. An LMS suffix is never the first, and two are at least 2 apart, so at most n / 2.
template <class Symbol>
void SuffixSorter::SortLevel(const Symbol* s, std::uint32_t n, std::uint32_t alphabet, std::uint32_t* order,
                             std::uint8_t* typeBits) {
  const SuffixTypes types(s, n, typeBits);
  std::uint32_t* counts = counts_.data();
  std::uint32_t* buckets = buckets_.data();

  Count(s, n, alphabet, counts);
  std::fill(order, order + n, kEmpty);
  BucketEnds(counts, alphabet, buckets);
  for (std::uint32_t i = 1; i < n; ++i) {
    if (types.Leftmost(i)) order[--buckets[s[i]]] = i;
  }
  InduceLarge(s, n, order, counts, alphabet, buckets);
  InduceSmall(s, n, types, order, counts, alphabet, buckets);

  // Every place is filled now; the LMS suffixes, sorted by their substrings, move to the front.
  std::uint32_t lmsCount = 0;
  for (std::uint32_t j = 0; j < n; ++j) {
    if (types.Leftmost(order[j])) order[lmsCount++] = order[j];
  }
  // Name each LMS substring by its rank among the distinct ones, kept at lmsCount + start / 2,
  // then packed into the last lmsCount places in string order: the reduced string.
  std::fill(order + lmsCount, order + n, kEmpty);
  std::uint32_t names = 0;
  for (std::uint32_t k = 0; k < lmsCount; ++k) {
    const std::uint32_t start = order[k];
    if (k == 0 || !SameLmsSubstring(s, n, types, order[k - 1], start)) ++names;
    order[lmsCount + start / 2] = names - 1;
  }
  std::uint32_t* reduced = order + n - lmsCount;
  for (std::uint32_t j = n, packed = n; j-- > lmsCount;) {
    if (order[j] != kEmpty) order[--packed] = order[j];
  }

  std::uint32_t* reducedOrder = order;
  if (names < lmsCount) {
    SortLevel(reduced, lmsCount, names, reducedOrder, typeBits + (n + 7) / 8);
    Count(s, n, alphabet, counts);  // the deeper level used the same arrays
  } else {
    for (std::uint32_t k = 0; k < lmsCount; ++k) reducedOrder[reduced[k]] = k;
  }
  // The reduced string's places back to LMS suffixes.
  for (std::uint32_t i = 1, k = 0; i < n; ++i) {
    if (types.Leftmost(i)) reduced[k++] = i;
  }
  for (std::uint32_t k = 0; k < lmsCount; ++k) reducedOrder[k] = reduced[reducedOrder[k]];

  // The sorted LMS suffixes to their buckets' ends, last first; each lands at or after its place.
  std::fill(order + lmsCount, order + n, kEmpty);
  BucketEnds(counts, alphabet, buckets);
  for (std::uint32_t k = lmsCount; k-- > 0;) {
    const std::uint32_t start = order[k];
    order[k] = kEmpty;
    order[--buckets[s[start]]] = start;
  }
  InduceLarge(s, n, order, counts, alphabet, buckets);
  InduceSmall(s, n, types, order, counts, alphabet, buckets);
}

}  // namespace qs
