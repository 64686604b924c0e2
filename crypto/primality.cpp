#include "crypto/primality.h"

#include <array>
#include <random>

#include "base/byte_order.h"
#include "crypto/modular.h"
#include "platform/clock.h"
#include "platform/system_random.h"

namespace qs {
namespace {

constexpr std::uint32_t kSmallPrimeLimit = 1000;
constexpr std::size_t kOddPrimesBelowLimit = 167;

constexpr std::array<std::uint16_t, kOddPrimesBelowLimit> OddPrimesBelowLimit() {
  std::array<std::uint16_t, kOddPrimesBelowLimit> primes{};
  std::size_t count = 0;
  for (std::uint16_t n = 3; n < kSmallPrimeLimit; n += 2) {
    bool prime = true;
    for (std::uint16_t d = 3; d * d <= n; d += 2) prime = prime && n % d != 0;
    if (prime) primes[count++] = n;
  }
  return primes;
}

constexpr std::array<std::uint16_t, kOddPrimesBelowLimit> kOddPrimes = OddPrimesBelowLimit();
static_assert(kOddPrimes.back() == 997, "every odd prime below 1000");

// The witness source of this thread; seeded on first use from the system generator, with
// the clocks mixed in so that a failing system source still varies between runs.
std::mt19937_64& WitnessSource() {
  thread_local std::mt19937_64 source = [] {
    std::array<std::uint8_t, 32> bytes{};
    platform::SystemRandom(bytes);
    std::array<std::uint32_t, 10> words{};
    for (std::size_t i = 0; i < 8; ++i) words[i] = LoadLe32(bytes.data() + 4 * i);
    words[8] = static_cast<std::uint32_t>(platform::CalendarSeconds());
    words[9] = platform::ProcessClockTicks();
    std::seed_seq seed(words.begin(), words.end());
    return std::mt19937_64(seed);
  }();
  return source;
}

// A base in 2 .. m − 2 for m >= 5.
BigInt DrawBase(const BigInt& m, const BigInt& mMinus3) {
  std::mt19937_64& source = WitnessSource();
  BigInt base;
  for (std::uint32_t i = 0; i < m.usedWords(); ++i) base.words()[i] = static_cast<std::uint32_t>(source());
  base.setUsedWords(m.usedWords());
  Mod(base, mMinus3, base);
  Add(base, BigInt(2), base);
  return base;
}

// One strong-probable-prime round for odd m = d·2^s + 1.
bool PassesRound(const BigInt& m, const BigInt& mMinus1, const BigInt& d, std::uint32_t s,
                 const BigInt& base) {
  BigInt x;
  ModExp(base, d, m, x);
  if (x == BigInt(1) || x == mMinus1) return true;
  for (std::uint32_t i = 1; i < s; ++i) {
    Multiply(x, x, x);
    Mod(x, m, x);
    if (x == BigInt(1)) return false;
    if (x == mMinus1) return true;
  }
  return false;
}

}  // namespace

bool IsProbablePrime(const BigInt& m) {
  if (m.negative() || m < BigInt(2)) return false;
  if (m == BigInt(2)) return true;
  if (!m.isOdd()) return false;
  for (const std::uint16_t p : kOddPrimes) {
    if (ModSmall(m, p) == 0) return m == BigInt(p);
  }
  if (m < BigInt(kSmallPrimeLimit)) return true;  // no odd prime below 1000 divides it

  BigInt mMinus1;
  Subtract(m, BigInt(1), mMinus1);
  BigInt mMinus3;
  Subtract(m, BigInt(3), mMinus3);
  BigInt d = mMinus1;
  std::uint32_t s = 0;
  while (!d.isOdd()) {
    d.shiftRight1();
    ++s;
  }
  for (int round = 0; round < kMillerRabinRounds; ++round) {
    if (!PassesRound(m, mMinus1, d, s, DrawBase(m, mMinus3))) return false;
  }
  return true;
}

}  // namespace qs
