// A statistical timing test of the RSA private operation, after dudect: the time of one
// operation is measured for two classes of input, one fixed value and fresh random values,
// drawn in random order, and Welch's t statistic compares the two distributions. An
// operation whose time depends on its input shows |t| growing with the number of runs; the
// bar is |t| < 5. As dudect does, the statistic is also taken over the runs below several
// percentiles, since interrupts and other programs add a long tail to both classes.
// Prints one line per key size and path: "<bits> <path> <runs per class> <median µs fixed>
// <median µs random> <max |t|> <percentile of that t>".
// Usage: rsa_timing [runs per class, default 20000]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "crypto/cpu_features.h"
#include "crypto/random_generator.h"
#include "crypto/rsa_keygen.h"

namespace {

using Clock = std::chrono::steady_clock;

// Running mean and variance (Welford), one per class.
struct Moments {
  double n = 0;
  double mean = 0;
  double m2 = 0;

  void add(double x) {
    n += 1;
    const double delta = x - mean;
    mean += delta / n;
    m2 += delta * (x - mean);
  }
  double variance() const { return n > 1 ? m2 / (n - 1) : 0; }
};

double WelchT(const Moments& a, const Moments& b) {
  const double spread = std::sqrt(a.variance() / a.n + b.variance() / b.n);
  return spread > 0 ? (a.mean - b.mean) / spread : 0;
}

struct Sample {
  bool fixed;
  double ns;
};

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2),
                   values.end());
  return values[values.size() / 2];
}

// The largest |t| over all runs and over the runs below each cropping percentile.
void Report(std::uint32_t bits, const char* path, const std::vector<Sample>& samples) {
  std::vector<double> all;
  std::vector<double> fixed;
  std::vector<double> random;
  for (const Sample& s : samples) {
    all.push_back(s.ns);
    (s.fixed ? fixed : random).push_back(s.ns);
  }
  std::sort(all.begin(), all.end());
  double worst = 0;
  int worstPercentile = 100;
  for (const int percentile : {100, 99, 95, 90, 75, 50}) {
    const double limit =
        all[std::min(all.size() - 1, all.size() * static_cast<std::size_t>(percentile) / 100)];
    Moments a;
    Moments b;
    for (const Sample& s : samples) {
      if (s.ns <= limit) (s.fixed ? a : b).add(s.ns);
    }
    const double t = std::fabs(WelchT(a, b));
    if (t > worst) {
      worst = t;
      worstPercentile = percentile;
    }
  }
  std::printf("%u %s %zu %.1f %.1f %.2f %d\n", bits, path, fixed.size(), Median(fixed) / 1000,
              Median(random) / 1000, worst, worstPercentile);
  std::fflush(stdout);
}

qs::BigInt Below(const qs::RsaKey& key, qs::RandomGenerator& generator) {
  qs::BigInt c = qs::BigInt::fromBytes(generator.output(key.modulusBytes));
  qs::ReduceBelowModulus(c, key.n);
  return c;
}

void Measure(const qs::RsaKey& key, const char* path, int runs, qs::RandomGenerator& generator) {
  const qs::BigInt fixedInput = Below(key, generator);
  std::vector<Sample> samples;
  samples.reserve(static_cast<std::size_t>(runs) * 2);
  // Inputs are drawn in batches outside the timed calls, so drawing costs no class anything.
  constexpr int kBatch = 256;
  std::vector<qs::BigInt> inputs(kBatch);
  std::vector<bool> classes(kBatch);
  qs::BigInt r;
  for (int done = 0; done < runs * 2; done += kBatch) {
    const qs::ByteBuffer coins = generator.output(kBatch);
    for (int i = 0; i < kBatch; ++i) {
      classes[i] = (coins.at(static_cast<std::uint32_t>(i)) & 1) != 0;
      inputs[i] = classes[i] ? fixedInput : Below(key, generator);
    }
    for (int i = 0; i < kBatch; ++i) {
      const Clock::time_point start = Clock::now();
      const bool ok = qs::RsaPrivate(key, inputs[i], r);
      const Clock::time_point end = Clock::now();
      if (!ok) std::abort();
      samples.push_back({classes[i], std::chrono::duration<double, std::nano>(end - start).count()});
    }
  }
  Report(key.modulusBytes * 8, path, samples);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20000;
  qs::RandomGenerator generator;
  std::uint8_t seed[32] = {7, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  generator.addSeed(seed, 0, true);
  for (const std::uint32_t bits : {2048u, 4096u}) {
    const qs::RsaKey key = qs::GenerateRsaKey(bits, qs::KeyUsage::kSigning, generator, nullptr);
    if (!key.valid) return 1;
    if (qs::HardwareIfmaEnabled()) Measure(key, "vector", runs, generator);
    qs::ForcePortableCrypto(true);
    Measure(key, "limb", runs, generator);
    qs::ForcePortableCrypto(false);
  }
  return 0;
}
