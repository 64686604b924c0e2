#pragma once
#include <cstdint>

#include "codec/work_array.h"

namespace qs {

// Sorts the suffixes of a byte string by induced sorting (Nong, Zhang and Chan, 2009) in time
// linear in its length. The string is taken to end in a marker below every byte, so a suffix
// that is a prefix of another sorts first. The recursion keeps its reduced strings inside the
// output array; its own arrays are allocated once and reused for every string.
class SuffixSorter {
 public:
  // Room for strings of up to maxLength bytes.
  explicit SuffixSorter(std::uint32_t maxLength);

  // Writes the starts of the n suffixes of text (1 <= n <= maxLength), smallest first, to order.
  void Sort(const std::uint8_t* text, std::uint32_t n, std::uint32_t* order);

 private:
  template <class Symbol>
  void SortLevel(const Symbol* s, std::uint32_t n, std::uint32_t alphabet, std::uint32_t* order,
                 std::uint8_t* typeBits);

  WorkArray<std::uint32_t> counts_;   // occurrences of each symbol of the current level
  WorkArray<std::uint32_t> buckets_;  // the next free place of each symbol's bucket
  WorkArray<std::uint8_t> typeBits_;  // one bit per suffix and level: smaller than its successor
};

}  // namespace qs
