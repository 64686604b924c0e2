#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "base/byte_buffer.h"

namespace qs {

// The seed file in the working folder.
inline constexpr char kSeedFileName[] = "rand.bin";

// The process-wide source of every secret random byte: a 4096-byte pool that entropy is
// XORed into byte by byte, stirred with AES-256 (ECB over the pool) under the SHA-256 of the
// pool whenever 4096 bytes have gone in, and read as an AES-256 counter keystream under the
// same kind of key after one more such encryption. Output needs an entropy credit of 1024:
// 1024 distinct mouse positions or one seed file.
//
// Threads: the user-interface thread mixes events and seeds; one worker at a time calls
// output. A small atomic state keeps them apart: an event that arrives while output runs is
// dropped (its credit still counts), and output waits for a mix in progress to finish.
// A seed file's content. Plain: one field, the seed (512 bytes: 520 with the container).
// Where the user's account can lock data (platform/account_protection.h): an empty field,
// then a field of the seed locked to the account, which a reader of the plain form takes for
// a seed too short to use and gathers fresh entropy instead. Empty when the lock fails.
ByteBuffer SeedFileContent(const ByteBuffer& seed);

// The seed in either form, the locked one opened for this account; empty when the locked
// form does not open here (another account or machine, damage).
ByteBuffer SeedInFileContent(const ByteBuffer& content);

// Whether content has one of the two forms with nothing after it, whether or not it opens
// here.
bool IsSeedFileContent(const ByteBuffer& content);

class RandomGenerator {
 public:
  static constexpr std::uint32_t kPoolBytes = 4096;
  static constexpr std::uint32_t kRequiredCredit = 1024;
  static constexpr std::uint32_t kMinimumSeedBytes = 32;
  static constexpr std::uint32_t kSeedFileBytes = 512;

  // The pool starts as a fixed byte sequence, position 0, credit 0.
  RandomGenerator();
  RandomGenerator(const RandomGenerator&) = delete;
  RandomGenerator& operator=(const RandomGenerator&) = delete;
  ~RandomGenerator();

  // Mixes the low bytes of a and b, their second bytes, then c least significant byte
  // first. Dropped while output runs.
  void mixEvent(std::uint16_t a, std::uint16_t b, std::uint32_t c);

  // A mouse move to (x, y): ignored when it repeats the last position (initially (0, 0)),
  // else mixed with the calendar time XOR the process clock and worth one credit.
  void mouseEvent(std::uint16_t x, std::uint16_t y);

  // Mixes the bytes, then extra least significant byte first; credit adds 1024. False, with
  // nothing mixed, for fewer than 32 bytes.
  bool addSeed(std::span<const std::uint8_t> bytes, std::uint32_t extra, bool credit);

  // length bytes of keystream; empty when the credit is below 1024 or length is 0. Each call
  // re-encrypts the pool first, so two calls never return the same bytes.
  ByteBuffer output(std::uint32_t length);

  std::uint32_t credit() const { return credit_.load(std::memory_order_acquire); }
  // The pool index the next mixed byte goes to.
  std::uint32_t position() const { return position_; }

  // Run once at start: a seed file (SeedInFileContent) of at least 32 bytes (credited), the calendar time,
  // the process clock and 32 bytes of the operating system's generator (not credited); a seed file that was
  // used is then replaced by a fresh one. False when the system generator or that rewrite fails; a missing or
  // short seed file is no error. The seed file's folder is locked (platform/folder_lock.h) from the read to
  // the rewrite; false when it stays busy. A seed file locked to another account or machine counts as
  // missing.
  bool startUp(const std::string& seedPath);

  // Replaces the seed file with 512 fresh output bytes (content: SeedFileContent, inside the
  // whole-file container), holding its folder's lock. False below 1024 credit, when the
  // folder stays busy, the seed cannot be locked or the file cannot be written; an older
  // file is then left as it was.
  bool writeSeedFile(const std::string& seedPath);

 private:
  enum State : std::uint8_t { kIdle = 0, kProducing = 1, kMixing = 2 };

  bool writeSeed(const std::string& seedPath);  // with the folder's lock held
  void mixByte(std::uint8_t v);                 // with the pool held
  void stir();
  void encryptPoolUnderItsHash(std::span<std::uint8_t, 32> key);  // leaves the key in key
  void release() { state_.store(kIdle, std::memory_order_release); }
  bool tryHold(State as);
  void hold(State as);

  std::array<std::uint8_t, kPoolBytes> pool_{};
  std::uint32_t position_ = 0;
  std::atomic<std::uint32_t> credit_{0};
  std::atomic<std::uint8_t> state_{kIdle};
  std::uint16_t lastX_ = 0;  // user-interface thread only
  std::uint16_t lastY_ = 0;
};

}  // namespace qs
