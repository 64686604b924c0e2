#include "crypto/random_generator.h"

#include <thread>
#include <vector>

#include "base/byte_stream.h"
#include "base/secure_wipe.h"
#include "base/whole_file.h"
#include "crypto/cipher_context.h"
#include "crypto/secret_bytes.h"
#include "crypto/sha256.h"
#include "platform/account_protection.h"
#include "platform/clock.h"
#include "platform/file_error.h"
#include "platform/folder_lock.h"
#include "platform/system_random.h"
#include "platform/working_folder.h"

namespace qs {
namespace {

std::uint32_t LowCalendarSeconds() { return static_cast<std::uint32_t>(platform::CalendarSeconds()); }

using Key = SecretBytes<kSha256DigestBytes>;

// Binds a locked seed to this use of the account's key.
constexpr char kSeedEntropy[] = "Quillseal seed";

std::span<const std::uint8_t> SeedEntropy() {
  return {reinterpret_cast<const std::uint8_t*>(kSeedEntropy), sizeof(kSeedEntropy) - 1};
}

}  // namespace

ByteBuffer SeedFileContent(const ByteBuffer& seed) {
  ByteBuffer content;
  if (!platform::AccountProtectionAvailable()) {
    content.appendField(seed);
    return content;
  }
  // A seed that cannot be locked is not written in the clear where locking is expected.
  const std::optional<std::vector<std::uint8_t>> locked =
      platform::ProtectForAccount(seed.span(), SeedEntropy());
  if (!locked) return {};
  content.appendField(ByteBuffer());
  content.appendField(ByteBuffer(std::span<const std::uint8_t>(*locked)));
  return content;
}

ByteBuffer SeedInFileContent(const ByteBuffer& content) {
  ByteStream in(content);
  ByteBuffer first = in.readField();
  // The plain form, read as it always was: trailing content is no concern of a seed.
  if (!first.empty() || in.remaining() == 0) return first;
  const std::optional<ByteBuffer> locked = in.readCompleteField();
  if (!locked || in.remaining() != 0) return {};
  std::optional<std::vector<std::uint8_t>> opened =
      platform::UnprotectForAccount(locked->span(), SeedEntropy());
  if (!opened) return {};
  // Wiped also when the copy fails.
  const struct Wiper {
    std::vector<std::uint8_t>& bytes;
    ~Wiper() { SecureWipe(bytes.data(), bytes.size()); }
  } wiper{*opened};
  return ByteBuffer(std::span<const std::uint8_t>{*opened});
}

bool IsSeedFileContent(const ByteBuffer& content) {
  ByteStream in(content);
  const std::optional<ByteBuffer> first = in.readCompleteField();
  if (!first) return false;
  if (first->empty()) {
    const std::optional<ByteBuffer> locked = in.readCompleteField();
    return locked && !locked->empty() && in.remaining() == 0;
  }
  return first->length() == RandomGenerator::kSeedFileBytes && in.remaining() == 0;
}

RandomGenerator::RandomGenerator() {
  // The portable rand() of the C standard, seed 1: a fixed start that carries no credit and
  // leaves the runtime's own generator alone.
  std::uint32_t next = 1;
  for (std::uint8_t& b : pool_) {
    next = next * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>((next / 65536u) % 32768u);
  }
}

RandomGenerator::~RandomGenerator() { SecureWipe(pool_.data(), pool_.size()); }

bool RandomGenerator::tryHold(State as) {
  std::uint8_t idle = kIdle;
  return state_.compare_exchange_strong(idle, as, std::memory_order_acquire, std::memory_order_relaxed);
}

void RandomGenerator::hold(State as) {
  // The other side holds the pool for at most one stir or one output.
  while (!tryHold(as)) std::this_thread::yield();
}

void RandomGenerator::encryptPoolUnderItsHash(std::span<std::uint8_t, 32> key) {
  Sha256Context hash;
  hash.update(pool_);
  hash.digest(key);
  CipherContext cipher(key);
  cipher.encryptPool(pool_);
}

void RandomGenerator::stir() {
  Key key;
  encryptPoolUnderItsHash(key.span());
  position_ = 0;
}

void RandomGenerator::mixByte(std::uint8_t v) {
  pool_[position_] ^= v;
  if (++position_ == kPoolBytes) stir();
}

void RandomGenerator::mixEvent(std::uint16_t a, std::uint16_t b, std::uint32_t c) {
  if (!tryHold(kMixing)) return;  // output is running: the event is dropped
  mixByte(static_cast<std::uint8_t>(a));
  mixByte(static_cast<std::uint8_t>(b));
  mixByte(static_cast<std::uint8_t>(a >> 8));
  mixByte(static_cast<std::uint8_t>(b >> 8));
  for (int i = 0; i < 4; ++i) mixByte(static_cast<std::uint8_t>(c >> (8 * i)));
  release();
}

void RandomGenerator::mouseEvent(std::uint16_t x, std::uint16_t y) {
  if (x == lastX_ && y == lastY_) return;
  mixEvent(x, y, LowCalendarSeconds() ^ platform::ProcessClockTicks());
  credit_.fetch_add(1, std::memory_order_acq_rel);
  lastX_ = x;
  lastY_ = y;
}

bool RandomGenerator::addSeed(std::span<const std::uint8_t> bytes, std::uint32_t extra, bool credit) {
  if (bytes.size() < kMinimumSeedBytes) return false;
  hold(kMixing);  // a seed is never dropped
  for (const std::uint8_t b : bytes) mixByte(b);
  for (int i = 0; i < 4; ++i) mixByte(static_cast<std::uint8_t>(extra >> (8 * i)));
  release();
  if (credit) credit_.fetch_add(kRequiredCredit, std::memory_order_acq_rel);
  return true;
}

ByteBuffer RandomGenerator::output(std::uint32_t length) {
  if (credit() < kRequiredCredit || length == 0) return {};
  hold(kProducing);
  Key key;
  encryptPoolUnderItsHash(key.span());
  CipherContext cipher(key.span());
  std::optional<ByteBuffer> stream = cipher.keystream(length);
  release();
  if (!stream || stream->length() != length) return {};
  return std::move(*stream);
}

bool RandomGenerator::startUp(const std::string& seedPath) {
  // Read and replaced under one lock, so that two programs starting together never both
  // start from the same seed file.
  // A failure that is no file's (the lock busy, the system's source silent) then names none.
  platform::SetLastFileError(platform::FileError::kNone);
  const platform::FolderLock lock(platform::FolderOf(seedPath));
  if (!lock.held()) return false;
  ByteStream file;
  bool seeded = false;
  if (ReadWholeFile(file, seedPath)) {
    const ByteBuffer seed = SeedInFileContent(file.bytes);
    seeded = addSeed(seed.span(), LowCalendarSeconds(), true);
  }
  platform::SetLastFileError(platform::FileError::kNone);  // a first start has no seed file
  const std::uint32_t t = LowCalendarSeconds();
  mixEvent(static_cast<std::uint16_t>(t), static_cast<std::uint16_t>(t >> 16), 0);
  const std::uint32_t k = platform::ProcessClockTicks();
  mixEvent(static_cast<std::uint16_t>(k), static_cast<std::uint16_t>(k >> 16), 0);

  SecretBytes<32> system;
  if (!platform::SystemRandom(system.span())) return false;
  addSeed(system.span(), LowCalendarSeconds(), false);
  return !seeded || writeSeed(seedPath);
}

bool RandomGenerator::writeSeedFile(const std::string& seedPath) {
  const platform::FolderLock lock(platform::FolderOf(seedPath));
  return lock.held() && writeSeed(seedPath);
}

bool RandomGenerator::writeSeed(const std::string& seedPath) {
  const ByteBuffer seed = output(kSeedFileBytes);
  if (seed.empty()) return false;
  ByteStream content(SeedFileContent(seed));
  if (content.bytes.empty()) return false;
  // Whoever reads the seed can tell the keys and IVs drawn after it.
  return WriteWholeFile(content, seedPath, platform::FileAccess::kOwnerOnly);
}

}  // namespace qs
