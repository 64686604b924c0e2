// Times one scrypt derivation at kProtectionCost, the cost new protected keys are written
// with, and prints "scrypt log2N=<n> r=<r> p=<p> <MiB> MiB <seconds> s" (the fastest of three
// runs, processor time, so that other work on a shared machine counts less). "scrypt_bench
// <log2N> <r>" times another cost instead, to choose a new one; "scrypt_bench rfc" checks
// RFC 7914's 1 GiB vector, which the unit tests leave out.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "crypto/scrypt.h"

namespace {

// RFC 7914 section 12: P = "pleaseletmein", S = "SodiumChloride", N = 2^20, r = 8, p = 1.
constexpr std::uint8_t kRfcKey[64] = {
    0x21, 0x01, 0xcb, 0x9b, 0x6a, 0x51, 0x1a, 0xae, 0xad, 0xdb, 0xbe, 0x09, 0xcf, 0x70, 0xf8, 0x81,
    0xec, 0x56, 0x8d, 0x57, 0x4a, 0x2f, 0xfd, 0x4d, 0xab, 0xe5, 0xee, 0x98, 0x20, 0xad, 0xaa, 0x47,
    0x8e, 0x56, 0xfd, 0x8f, 0x4b, 0xa5, 0xd0, 0x9f, 0xfa, 0x1c, 0x6d, 0x92, 0x7c, 0x40, 0xf4, 0xc3,
    0x37, 0x30, 0x40, 0x49, 0xe8, 0xa9, 0x52, 0xfb, 0xcb, 0xf4, 0x5c, 0x6f, 0xa7, 0x7a, 0x41, 0xa4};

double Seconds(std::clock_t since) { return static_cast<double>(std::clock() - since) / CLOCKS_PER_SEC; }

}  // namespace

int main(int argc, char** argv) {
  const qs::ByteBuffer passphrase = qs::ByteBuffer::fromText("pleaseletmein");
  const qs::ByteBuffer salt = qs::ByteBuffer::fromText("SodiumChloride");

  if (argc > 1 && std::strcmp(argv[1], "rfc") == 0) {
    const std::clock_t start = std::clock();
    const qs::ByteBuffer key = qs::Scrypt(passphrase.span(), salt.span(), {20, 8, 1}, sizeof(kRfcKey));
    const double seconds = Seconds(start);
    const bool match =
        key.length() == sizeof(kRfcKey) && std::memcmp(key.data(), kRfcKey, sizeof(kRfcKey)) == 0;
    std::printf("rfc log2N=20 r=8 p=1 1024 MiB %.3f s %s\n", seconds, match ? "match" : "MISMATCH");
    return match ? 0 : 1;
  }

  qs::ScryptCost cost = qs::kProtectionCost;
  if (argc > 2) {
    cost.log2N = static_cast<std::uint8_t>(std::atoi(argv[1]));
    cost.r = static_cast<std::uint32_t>(std::atoi(argv[2]));
  }
  if (!qs::ScryptCostAllowed(cost)) {
    std::fprintf(stderr, "cost not allowed\n");
    return 2;
  }
  double best = 0;
  for (int run = 0; run < 3; ++run) {
    const std::clock_t start = std::clock();
    const qs::ByteBuffer key = qs::Scrypt(passphrase.span(), salt.span(), cost, 32);
    const double seconds = Seconds(start);
    if (key.length() != 32) std::abort();
    if (run == 0 || seconds < best) best = seconds;
  }
  const double mib = 128.0 * cost.r * static_cast<double>(std::uint64_t{1} << cost.log2N) / (1024 * 1024);
  std::printf("scrypt log2N=%d r=%u p=%u %.0f MiB %.3f s\n", int{cost.log2N}, cost.r, cost.p, mib, best);
  return 0;
}
