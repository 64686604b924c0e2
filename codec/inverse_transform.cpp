#include "codec/inverse_transform.h"

#include <cstring>

#include "base/secure_wipe.h"
#include "codec/limits.h"

namespace qs {
namespace {

// A link holds a row (below 2^23), a mark for the rows walks start from, and a byte in its top
// 8 bits.
constexpr std::uint32_t kRowMask = 0x7FFFFF;
constexpr std::uint32_t kStartMark = 0x800000;
static_assert(kBlockSortBlockBytes <= kRowMask + 1);

std::uint32_t Row(std::uint32_t link) { return link & kRowMask; }
std::uint8_t Byte(std::uint32_t link) { return static_cast<std::uint8_t>(link >> 24); }

// Below this many bytes one walk is quick enough. Low enough that the fuzz target's inputs
// reach the walks in pieces too.
constexpr std::uint32_t kMinPiecewiseBytes = 4096;

std::uint32_t PieceCount(std::uint32_t maxBlock) {
  return maxBlock / InverseTransform::kPieceBytes + InverseTransform::kWalks + 1;
}

}  // namespace

InverseTransform::InverseTransform(std::uint32_t maxBlock)
    : links_(maxBlock),
      pieces_(maxBlock < kMinPiecewiseBytes ? 0 : PieceCount(maxBlock) * kPieceBytes),
      nextPiece_(maxBlock < kMinPiecewiseBytes ? 0 : PieceCount(maxBlock)) {}

// Rows are the sorted rotations. Row j's rotation preceded by L[j] is row
// back(j) = (rows whose last byte is smaller than L[j]) + (earlier places holding L[j]).
void InverseTransform::BuildLinks(const std::uint8_t* last, std::uint32_t n) {
  std::uint32_t next[256] = {};
  for (std::uint32_t j = 0; j < n; ++j) ++next[last[j]];
  std::uint32_t smaller = 0;
  for (std::uint32_t& count : next) {
    const std::uint32_t c = count;
    count = smaller;
    smaller += c;
  }
  for (std::uint32_t j = 0; j < n; ++j) links_[j] = std::uint32_t{last[j]} << 24 | next[last[j]]++;
  SecureWipe(next, sizeof next);
}

void InverseTransform::Run(const std::uint8_t* last, std::uint32_t n, std::uint32_t primary,
                           std::uint8_t* out) {
  BuildLinks(last, n);
  if (n < kMinPiecewiseBytes || !WalkInPieces(n, primary, out)) WalkBack(n, primary, out);
}

// One walk back from primary waits for a cache miss per byte, each after the one before. So
// walks start at once from primary and from rows spread over the block, each stopping at the
// next row another walk started from, and the processor waits for all their misses together.
// Each walk keeps its bytes in pieces, filled from the end since it writes the block backwards.
// The pieces are then put together from primary's walk on, each walk followed by the one that
// starts where it stopped. They make the block only when the walks come back to primary after
// exactly n bytes, as on every real transform (one cycle through all rows); otherwise the block
// is walked back the plain way.
bool InverseTransform::WalkInPieces(std::uint32_t n, std::uint32_t primary, std::uint8_t* out) {
  std::uint32_t start[kWalks];
  std::uint32_t walks = 0;
  start[walks++] = primary;
  for (std::uint32_t k = 1; k < kWalks; ++k) {
    const auto row = static_cast<std::uint32_t>(std::uint64_t{k} * n / kWalks);
    if (row != primary) start[walks++] = row;
  }
  for (std::uint32_t w = 0; w < walks; ++w) links_[start[w]] |= kStartMark;

  std::uint8_t* const pool = pieces_.data();
  std::uint32_t* const nextPiece = nextPiece_.data();
  std::uint32_t freePiece = 0;
  std::uint32_t row[kWalks];
  std::uint32_t length[kWalks];
  std::uint32_t firstPiece[kWalks];
  std::uint32_t piece[kWalks];
  std::uint8_t* at[kWalks];
  std::uint32_t active[kWalks];
  for (std::uint32_t w = 0; w < walks; ++w) {
    firstPiece[w] = piece[w] = freePiece++;
    at[w] = pool + std::size_t{piece[w] + 1} * kPieceBytes;
    // The first step leaves the walk's own marked row.
    const std::uint32_t link = links_[start[w]];
    *--at[w] = Byte(link);
    row[w] = Row(link);
    length[w] = 1;
    active[w] = w;
  }
  // Rows between two marks of a cycle are walked once, so the walks write at most n bytes and
  // take at most n / kPieceBytes pieces beyond their first.
  const std::uint32_t* const links = links_.data();
  for (std::uint32_t running = walks; running > 0;) {
    for (std::uint32_t i = 0; i < running;) {
      const std::uint32_t w = active[i];
      const std::uint32_t link = links[row[w]];
      if (link & kStartMark) {
        active[i] = active[--running];
        continue;
      }
      if (at[w] == pool + std::size_t{piece[w]} * kPieceBytes) {
        nextPiece[piece[w]] = freePiece;
        piece[w] = freePiece++;
        at[w] = pool + std::size_t{piece[w] + 1} * kPieceBytes;
      }
      *--at[w] = Byte(link);
      row[w] = Row(link);
      ++length[w];
      ++i;
    }
  }
  for (std::uint32_t w = 0; w < walks; ++w) links_[start[w]] &= ~kStartMark;

  std::uint32_t end = n;  // the walk being placed ends just below here
  std::uint32_t w = 0;
  for (std::uint32_t placed = 0; placed < walks; ++placed) {
    if (length[w] > end) return false;
    // Full pieces hold the walk's highest bytes; its last piece the rest.
    std::uint32_t p = firstPiece[w];
    for (std::uint32_t left = length[w]; left > 0; p = nextPiece[p]) {
      const std::uint32_t take = left < kPieceBytes ? left : kPieceBytes;
      std::memcpy(out + end - take, pool + std::size_t{p + 1} * kPieceBytes - take, take);
      end -= take;
      left -= take;
    }
    std::uint32_t following = 0;
    while (following < walks && start[following] != row[w]) ++following;
    w = following;
    if (w == 0) return end == 0;
  }
  return false;
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
