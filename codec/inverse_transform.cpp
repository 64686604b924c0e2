#include "codec/inverse_transform.h"

#include "base/secure_wipe.h"

namespace qs {
namespace {

// A link holds a row (below 2^24) and a byte in its top 8 bits.
constexpr std::uint32_t kRowMask = 0xFFFFFF;

std::uint32_t Row(std::uint32_t link) { return link & kRowMask; }
std::uint8_t Byte(std::uint32_t link) { return static_cast<std::uint8_t>(link >> 24); }

}  // namespace

InverseTransform::InverseTransform(std::uint32_t maxBlock) : links_(maxBlock), jumps_(maxBlock) {}

// Rows are the sorted rotations. Row j's rotation preceded by L[j] is row
// back(j) = first[L[j]] + (earlier places holding L[j]); forward is its inverse, and F[r], the
// first byte of row r, is the value whose range holds r.
void InverseTransform::BuildLinks(const std::uint8_t* last, std::uint32_t n) {
  std::uint32_t next[256] = {};
  for (std::uint32_t j = 0; j < n; ++j) ++next[last[j]];
  std::uint32_t smaller = 0;
  for (int v = 0; v < 256; ++v) {
    first_[v] = smaller;
    smaller += next[v];
    next[v] = first_[v];
  }
  first_[256] = smaller;
  for (std::uint32_t j = 0; j < n; ++j) links_[j] = std::uint32_t{last[j]} << 24 | next[last[j]]++;
  SecureWipe(next, sizeof next);
}

void InverseTransform::Run(const std::uint8_t* last, std::uint32_t n, std::uint32_t primary, std::uint8_t* out) {
  BuildLinks(last, n);
  if (!WalkBothWays(last, n, primary, out)) {
    BuildLinks(last, n);
    WalkBack(n, primary, out);
  }
  SecureWipe(first_, sizeof first_);
}

// One walk back from primary costs a cache miss per byte, each waiting for the one before. Two
// bytes per step halve the misses, and walking forward from primary at the same time, towards
// the middle, gives the processor two independent misses to wait for. The two walks describe
// the block only when primary lies on a cycle of the back links whose length divides n, which
// every real transform does (one cycle of n); the walks then meet, and otherwise the block is
// walked back the plain way.
bool InverseTransform::WalkBothWays(const std::uint8_t* last, std::uint32_t n, std::uint32_t primary,
                                    std::uint8_t* out) {
  std::uint32_t* links = links_.data();
  std::uint32_t* jumps = jumps_.data();
  // jumps[j]: back(back(j)) with L[back(j)], the second byte that step writes.
  for (std::uint32_t j = 0; j < n; ++j) jumps[j] = links[Row(links[j])];
  // An odd block takes its last byte alone, so that both walks cover an even count.
  const std::uint32_t odd = n & 1;
  std::uint32_t back = odd ? Row(links[primary]) : primary;
  if (odd) out[n - 1] = last[primary];
  // links[r]: forward(forward(r)), the inverse of jumps, with F[r].
  for (std::uint32_t j = 0; j < n; ++j) links[Row(jumps[j])] = j;
  for (int v = 0; v < 256; ++v) {
    for (std::uint32_t r = first_[v]; r < first_[v + 1]; ++r) links[r] |= std::uint32_t(v) << 24;
  }

  const std::uint32_t pairs = (n - odd) / 2;
  const std::uint32_t forwardPairs = pairs / 2;
  std::uint32_t ahead = primary;
  std::uint8_t* front = out;
  std::uint8_t* end = out + (n - odd);
  for (std::uint32_t i = 0; i < forwardPairs; ++i) {
    const std::uint32_t f = links[ahead];
    const std::uint32_t b = jumps[back];
    // F[forward(r)] = L[forward(forward(r))].
    front[0] = Byte(f);
    ahead = Row(f);
    front[1] = last[ahead];
    front += 2;
    end[-1] = last[back];
    end[-2] = Byte(b);
    back = Row(b);
    end -= 2;
  }
  if (pairs - forwardPairs > forwardPairs) {
    const std::uint32_t b = jumps[back];
    end[-1] = last[back];
    end[-2] = Byte(b);
    back = Row(b);
  }
  return ahead == back;
}

void InverseTransform::WalkBack(std::uint32_t n, std::uint32_t primary, std::uint8_t* out) {
  std::uint32_t j = primary;
  for (std::uint32_t pos = n; pos-- > 0;) {
    const std::uint32_t link = links_[j];
    out[pos] = Byte(link);
    j = Row(link);
  }
}

}  // namespace qs
