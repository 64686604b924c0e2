#include "crypto/modular.h"

#include "crypto/montgomery.h"

namespace qs {
namespace {

// Right-to-left square-and-multiply with a full product and a remainder per step.
void ModExpEven(const BigInt& b, const BigInt& x, const BigInt& n, BigInt& r) {
  BigInt square;
  Mod(b, n, square);
  BigInt result(1);
  Mod(result, n, result);
  BigInt product;
  const std::uint32_t bits = x.bitLength();
  for (std::uint32_t i = 0; i < bits; ++i) {
    if (x.bit(i)) {
      Multiply(result, square, product);
      Mod(product, n, result);
    }
    if (i + 1 < bits) {
      Multiply(square, square, square);
      Mod(square, n, square);
    }
  }
  r = result;
}

}  // namespace

void ModExp(const BigInt& b, const BigInt& x, const BigInt& n, BigInt& r) {
  BigInt modulus = n;
  if (modulus.negative()) modulus.negate();
  if (modulus.isZero() || modulus == BigInt(1)) {
    r = BigInt();
    return;
  }
  BigInt exponent = x;
  if (exponent.negative()) exponent.negate();
  // Montgomery form reduces any base without dividing by the (possibly secret) modulus; only
  // a negative base is brought into range here.
  BigInt base = b;
  if (base.negative() || !modulus.isOdd()) Mod(b, modulus, base);
  if (!modulus.isOdd()) {
    ModExpEven(base, exponent, modulus, r);
  } else {
    MontgomeryModExpPlain(base, exponent, modulus, r);
  }
}

void Gcd(const BigInt& a, const BigInt& b, BigInt& r) {
  BigInt x = a;
  BigInt y = b;
  if (x.negative()) x.negate();
  if (y.negative()) y.negate();
  BigInt quotient;
  while (!y.isZero()) {
    Divide(x, y, quotient, x);
    std::swap(x, y);
  }
  r = x;
}

bool ModInverse(BigInt& a, const BigInt& m) {
  if (a.negative() || m.negative() || a.isZero() || m.isZero() || a >= m) {
    a.wipe();
    return false;
  }
  // Invariant: remainder_i ≡ coefficient_i · a (mod m).
  BigInt previous = m;
  BigInt current = a;
  BigInt previousCoefficient;
  BigInt coefficient(1);
  BigInt quotient;
  BigInt remainder;
  BigInt step;
  while (!current.isZero()) {
    Divide(previous, current, quotient, remainder);
    previous = current;
    current = remainder;
    Multiply(quotient, coefficient, step);
    Subtract(previousCoefficient, step, step);
    previousCoefficient = coefficient;
    coefficient = step;
  }
  if (previous != BigInt(1)) {
    a.wipe();
    return false;
  }
  if (previousCoefficient.negative()) Add(previousCoefficient, m, previousCoefficient);
  a = previousCoefficient;
  return true;
}

}  // namespace qs
