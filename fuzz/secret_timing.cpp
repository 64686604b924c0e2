// Runs one operation on secret data under valgrind's memcheck: the secret bytes are marked
// undefined, so memcheck reports every branch and every memory index that depends on them.
// The result is marked defined again before it is used, since it is public by design.
// Usage: valgrind --error-exitcode=1 secret_timing rsa_private|mac|fingerprint
#include <valgrind/memcheck.h>

#include <cstdio>
#include <cstring>

#include "base/byte_buffer.h"
#include "base/record.h"
#include "crypto/bigint.h"
#include "crypto/hmac_sha256.h"
#include "crypto/key_records.h"
#include "crypto/rsa_key.h"
#include "fuzz/fuzz_target.h"

namespace {

void Secret(const void* p, std::size_t n) { VALGRIND_MAKE_MEM_UNDEFINED(p, n); }
void Public(const void* p, std::size_t n) { VALGRIND_MAKE_MEM_DEFINED(p, n); }
void Secret(const qs::BigInt& v) { Secret(v.words(), 4 * qs::kBigIntWords); }

// The private-key operation of a 2048-bit key: p, q, dP, dQ and qInv are secret; the
// modulus and the input are public.
bool RsaPrivateOnSecrets() {
  const qs::ByteBuffer record = qs::fuzz::KeyFromPairsFile(QS_KEY_PAIRS_FILE, "carol", "Private");
  const std::optional<qs::KeyRecord> keys = qs::ReadKeyRecord(record, qs::tag::kPrivateKey);
  if (!keys) return false;
  const qs::RsaKey key = qs::LoadRsaKey(2048, keys->encryptionKey, true, qs::KeyUsage::kEncryption, nullptr);
  if (!key.valid) return false;
  for (const qs::BigInt* v : {&key.p, &key.q, &key.dP, &key.dQ, &key.qInv}) Secret(*v);
  qs::BigInt c(12345);
  c.setBit(2000);
  qs::BigInt r;
  bool ok = qs::RsaPrivate(key, c, r);
  Public(&ok, sizeof ok);
  return ok;
}

// A MAC under a secret key checked against a secret expected value.
bool MacOnSecrets() {
  std::uint8_t key[32];
  std::uint8_t expected[32];
  std::memset(key, 0x5A, sizeof key);
  std::memset(expected, 0x11, sizeof expected);
  const std::uint8_t message[100] = {1, 2, 3};
  Secret(key, sizeof key);
  Secret(expected, sizeof expected);
  const qs::HmacSha256Context mac(key);
  bool ok = mac.verify(message, expected);
  Public(&ok, sizeof ok);
  return !ok;
}

// Two fingerprints compared byte for byte.
bool FingerprintOnSecrets() {
  qs::ByteBuffer a = qs::ByteBuffer::zeros(32);
  qs::ByteBuffer b = qs::ByteBuffer::zeros(32);
  b.at(31) = 1;
  Secret(a.data(), a.length());
  Secret(b.data(), b.length());
  bool same = a.equals(b);
  Public(&same, sizeof same);
  return !same;
}

}  // namespace

int main(int argc, char** argv) {
  const char* check = argc == 2 ? argv[1] : "";
  bool ok = false;
  if (std::strcmp(check, "rsa_private") == 0)
    ok = RsaPrivateOnSecrets();
  else if (std::strcmp(check, "mac") == 0)
    ok = MacOnSecrets();
  else if (std::strcmp(check, "fingerprint") == 0)
    ok = FingerprintOnSecrets();
  else {
    std::fprintf(stderr, "usage: secret_timing rsa_private|mac|fingerprint\n");
    return 2;
  }
  std::printf("%s: %s\n", check, ok ? "ran" : "wrong result");
  return ok ? 0 : 1;
}
