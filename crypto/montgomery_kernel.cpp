#include "crypto/montgomery_kernel.h"

#include "base/constant_time.h"

namespace qs {
namespace {

__extension__ using U128 = unsigned __int128;

std::uint64_t Low(U128 v) { return static_cast<std::uint64_t>(v); }
std::uint64_t High(U128 v) { return static_cast<std::uint64_t>(v >> 64); }

// A column sum of three limbs: the products of one column of the schoolbook product plus
// what the column below carried up.
struct Accumulator {
  std::uint64_t c0 = 0;
  std::uint64_t c1 = 0;
  std::uint64_t c2 = 0;

  // The carries must stay in the flags: computed in C++ (a comparison for the carry out),
  // the compiler turns some of them into branches on the values.
  [[gnu::always_inline]] void add(U128 v) {
#if defined(__x86_64__)
    __asm__("addq %[low], %[c0]\n\tadcq %[high], %[c1]\n\tadcq $0, %[c2]"
            : [c0] "+r"(c0), [c1] "+r"(c1), [c2] "+r"(c2)
            : [low] "r"(Low(v)), [high] "r"(High(v))
            : "cc");
#else
    const U128 low = static_cast<U128>(c0) + Low(v);
    const U128 high = static_cast<U128>(c1) + High(v) + High(low);
    c0 = Low(low);
    c1 = Low(high);
    c2 += High(high);
#endif
  }
  [[gnu::always_inline]] void multiplyAdd(std::uint64_t x, std::uint64_t y) { add(static_cast<U128>(x) * y); }
  [[gnu::always_inline]] void add(const Accumulator& other) {
    add((static_cast<U128>(other.c1) << 64) | other.c0);
    c2 += other.c2;
  }
  [[gnu::always_inline]] void addTwice(const Accumulator& other) {
    add((static_cast<U128>((other.c1 << 1) | (other.c0 >> 63)) << 64) | (other.c0 << 1));
    c2 += (other.c2 << 1) | (other.c1 >> 63);
  }
  // Hands the low limb to the column just finished and moves up by one.
  [[gnu::always_inline]] std::uint64_t shift() {
    const std::uint64_t low = c0;
    c0 = c1;
    c1 = c2;
    c2 = 0;
    return low;
  }
};

// for i in [from, to): body(i). With a fixed width every loop is unrolled in full, so the
// column bounds become constants and the products straight-line code.
template <std::uint32_t kFixed, typename Body>
[[gnu::always_inline]] inline void Repeat(std::uint32_t from, std::uint32_t to, Body body) {
  if constexpr (kFixed != 0) {
#pragma GCC unroll 64
    for (std::uint32_t i = from; i < to; ++i) body(i);
  } else {
    for (std::uint32_t i = from; i < to; ++i) body(i);
  }
}

// Column col of the reduction, q[i]·m[col − i] for i in [from, to), added to acc as one sum
// formed in a carry chain of its own, beside that of the column's products.
template <std::uint32_t kFixed>
[[gnu::always_inline]] inline void AddReduction(std::uint32_t col, std::uint32_t from, std::uint32_t to,
                                                const std::uint64_t* q, const std::uint64_t* m,
                                                Accumulator& acc) {
  Accumulator reduction;
  Repeat<kFixed>(
      from,
      to, [&](std::uint32_t i) __attribute__((always_inline)) { reduction.multiplyAdd(q[i], m[col - i]); });
  acc.add(reduction);
}

// Finishes column col below n: its quotient limb q[col] makes the low limb vanish.
[[gnu::always_inline]] inline void ChooseQuotient(std::uint32_t col, const std::uint64_t* m,
                                                  std::uint64_t m0inv, std::uint64_t* q, Accumulator& acc) {
  q[col] = acc.c0 * m0inv;
  acc.multiplyAdd(q[col], m[0]);
  acc.shift();
}

// Product scanning with the reduction in the same columns: column col gathers a[i]·b[j]
// and q[i]·m[j] for i + j = col. The result, top·R + out, is below 2m.
template <std::uint32_t kFixed>
void MultiplyColumns(std::uint32_t width, const std::uint64_t* a, const std::uint64_t* b,
                     const std::uint64_t* m, std::uint64_t m0inv, std::uint64_t* q, std::uint64_t* out) {
  const std::uint32_t n = kFixed != 0 ? kFixed : width;
  Accumulator acc;
  Repeat<kFixed>(
      0, n, [&](std::uint32_t col) __attribute__((always_inline)) {
        Repeat<kFixed>(
            0, col + 1, [&](std::uint32_t i) __attribute__((always_inline)) {
              acc.multiplyAdd(a[i], b[col - i]);
            });
        AddReduction<kFixed>(col, 0, col, q, m, acc);
        ChooseQuotient(col, m, m0inv, q, acc);
      });
  // One chain for both kinds of product measures faster here than two.
  Repeat<kFixed>(
      n, 2 * n - 1, [&](std::uint32_t col) __attribute__((always_inline)) {
        Repeat<kFixed>(
            col - n + 1, n, [&](std::uint32_t i) __attribute__((always_inline)) {
              acc.multiplyAdd(a[i], b[col - i]);
              acc.multiplyAdd(q[i], m[col - i]);
            });
        out[col - n] = acc.shift();
      });
  out[n - 1] = acc.shift();
  SubtractModulusMasked(n, out, acc.c0, m, out);
}

// The same for a·a: column col takes the products a[i]·a[col − i] for i < col − i once,
// doubled, and the square a[col/2]² in an even column.
template <std::uint32_t kFixed>
void SquareColumns(std::uint32_t width, const std::uint64_t* a, const std::uint64_t* m, std::uint64_t m0inv,
                   std::uint64_t* q, std::uint64_t* out) {
  const std::uint32_t n = kFixed != 0 ? kFixed : width;
  Accumulator acc;
  const auto addProducts = [&](std::uint32_t col, std::uint32_t from) __attribute__((always_inline)) {
    Accumulator cross;
    Repeat<kFixed>(
        from, (col + 1) / 2, [&](std::uint32_t i) __attribute__((always_inline)) {
          cross.multiplyAdd(a[i], a[col - i]);
        });
    if (col % 2 == 0) acc.multiplyAdd(a[col / 2], a[col / 2]);
    acc.addTwice(cross);
  };
  Repeat<kFixed>(
      0, n, [&](std::uint32_t col) __attribute__((always_inline)) {
        addProducts(col, 0);
        AddReduction<kFixed>(col, 0, col, q, m, acc);
        ChooseQuotient(col, m, m0inv, q, acc);
      });
  Repeat<kFixed>(
      n, 2 * n - 1, [&](std::uint32_t col) __attribute__((always_inline)) {
        addProducts(col, col - n + 1);
        AddReduction<kFixed>(col, col - n + 1, n, q, m, acc);
        out[col - n] = acc.shift();
      });
  out[n - 1] = acc.shift();
  SubtractModulusMasked(n, out, acc.c0, m, out);
}

}  // namespace

std::uint64_t MultiplyAddLimbs(std::uint64_t* r, const std::uint64_t* a, std::uint64_t b, std::uint32_t n) {
  std::uint64_t carry = 0;
  for (std::uint32_t j = 0; j < n; ++j) {
    const U128 s = static_cast<U128>(a[j]) * b + r[j] + carry;
    r[j] = Low(s);
    carry = High(s);
  }
  return carry;
}

// The RSA sizes (the halves of 2048- and 4096-bit keys, and the whole 2048-bit modulus) get
// their own unrolled code; every other width shares the loops.
void MontgomeryMultiplyLimbs(std::uint32_t n, const std::uint64_t* a, const std::uint64_t* b,
                             const std::uint64_t* m, std::uint64_t m0inv, std::uint64_t* t,
                             std::uint64_t* out) {
  std::uint64_t* result = t + n;  // written last, so out may alias a or b
  switch (n) {
    case 16:
      MultiplyColumns<16>(n, a, b, m, m0inv, t, result);
      break;
    case 32:
      MultiplyColumns<32>(n, a, b, m, m0inv, t, result);
      break;
    default:
      MultiplyColumns<0>(n, a, b, m, m0inv, t, result);
      break;
  }
  for (std::uint32_t i = 0; i < n; ++i) out[i] = result[i];
}

void MontgomerySquareLimbs(std::uint32_t n, const std::uint64_t* a, const std::uint64_t* m,
                           std::uint64_t m0inv, std::uint64_t* t, std::uint64_t* out) {
  // Forming each cross product once pays for its extra work per column only from about 32
  // limbs on (measured); narrower squares go through the product.
  if (n != 32) {
    MontgomeryMultiplyLimbs(n, a, a, m, m0inv, t, out);
    return;
  }
  std::uint64_t* result = t + n;
  SquareColumns<32>(n, a, m, m0inv, t, result);
  for (std::uint32_t i = 0; i < n; ++i) out[i] = result[i];
}

void SubtractModulusMasked(std::uint32_t n, const std::uint64_t* value, std::uint64_t top,
                           const std::uint64_t* m, std::uint64_t* out) {
  // The borrow of value − m first, then the subtraction of m or of zero; value[i] is read
  // before out[i] is written, so out may alias value.
  std::uint64_t borrow = 0;
  for (std::uint32_t i = 0; i < n; ++i) borrow = High(static_cast<U128>(value[i]) - m[i] - borrow) & 1;
  // Negative exactly when the top limb cannot pay the last borrow: then keep the value.
  const std::uint64_t keep = (0 - borrow) & ct::IsZeroMask64(top);
  borrow = 0;
  for (std::uint32_t i = 0; i < n; ++i) {
    const U128 d = static_cast<U128>(value[i]) - (m[i] & ~keep) - borrow;
    out[i] = Low(d);
    borrow = High(d) & 1;
  }
}

}  // namespace qs
