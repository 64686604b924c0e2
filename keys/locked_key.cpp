#include "keys/locked_key.h"

#include "base/byte_stream.h"
#include "base/record.h"
#include "crypto/hmac_sha256.h"
#include "crypto/random_generator.h"
#include "crypto/sha256.h"
#include "crypto/symmetric_context.h"
#include "platform/account_protection.h"

namespace qs {
namespace {

constexpr std::uint32_t kSaltBytes = 32;
constexpr char kAccountEntropy[] = "Quillseal locked key";

// The parts of a locked record, as offsets into it.
struct LockedParts {
  LockedKeyHeader header;
  ByteBuffer salt;
  std::uint32_t headerEnd = 0;  // where the sealed field starts
  ByteBuffer sealed;
  std::uint32_t checkStart = 0;
  ByteBuffer check;
};

// The digest of bytes of the record followed by the bound bytes: the check over the record
// before the check field, and what the account's entropy carries of the header.
ByteBuffer DigestWithBound(const ByteBuffer& recordBytes, const ByteBuffer& bound) {
  Sha256Context context;
  context.update(recordBytes.span());
  context.update(bound.span());
  ByteBuffer digest;
  context.digest(digest);
  return digest;
}

std::vector<std::uint8_t> AccountEntropy(const ByteBuffer& header, const ByteBuffer& bound) {
  std::vector<std::uint8_t> entropy(kAccountEntropy, kAccountEntropy + sizeof kAccountEntropy - 1);
  const ByteBuffer digest = DigestWithBound(header, bound);
  entropy.insert(entropy.end(), digest.data(), digest.data() + digest.length());
  return entropy;
}

// The master key of the passphrase seal: the scrypt output keyed over the header and the
// bound bytes, so changing either gives another key.
ByteBuffer PassphraseKey(const std::string& passphrase, const ByteBuffer& salt, const ScryptCost& cost,
                         const ByteBuffer& header, const ByteBuffer& bound) {
  const std::span<const std::uint8_t> secret(reinterpret_cast<const std::uint8_t*>(passphrase.data()),
                                             passphrase.size());
  const ByteBuffer derived = Scrypt(secret, salt.span(), cost, SymmetricContext::kMasterKeyBytes);
  if (derived.empty()) return {};
  ByteBuffer message = header;
  message.append(bound);
  return HmacSha256Context(derived.span()).compute(message.span());
}

ByteBuffer FromVector(std::vector<std::uint8_t>& bytes) {
  ByteBuffer out(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  SecureWipe(bytes.data(), bytes.size());
  return out;
}

std::optional<LockedParts> SplitLocked(const ByteBuffer& record) {
  ByteStream in(record);
  if (!ReadRecordHeader(in, tag::kLockedKey)) return std::nullopt;
  LockedParts parts;
  const std::uint16_t lock = in.readU16();
  if (lock == static_cast<std::uint16_t>(KeyLock::kPassphrase)) {
    parts.header.lock = KeyLock::kPassphrase;
    parts.header.cost.log2N = in.readU8();
    parts.header.cost.r = in.readU32();
    parts.header.cost.p = in.readU32();
    std::optional<ByteBuffer> salt = in.readCompleteField();
    if (!salt || salt->length() != kSaltBytes) return std::nullopt;
    parts.salt = std::move(*salt);
  } else if (lock == static_cast<std::uint16_t>(KeyLock::kAccount)) {
    parts.header.lock = KeyLock::kAccount;
  } else {
    return std::nullopt;
  }
  parts.headerEnd = in.cursor;
  std::optional<ByteBuffer> sealed = in.readCompleteField();
  parts.checkStart = in.cursor;
  std::optional<ByteBuffer> check = in.readCompleteField();
  if (!sealed || sealed->empty() || !check || in.remaining() != 0 || in.cursor != record.length())
    return std::nullopt;
  parts.sealed = std::move(*sealed);
  parts.check = std::move(*check);
  return parts;
}

}  // namespace

KeyLocking DefaultLocking() {
  KeyLocking locking;
  if (platform::AccountProtectionAvailable()) locking.lock = KeyLock::kAccount;
  return locking;
}

std::optional<ByteBuffer> LockKeyRecord(const ByteBuffer& plainRecord, const ByteBuffer& bound,
                                        const KeyLocking& locking) {
  if (locking.lock == KeyLock::kNone) return plainRecord;
  ByteBuffer header;
  AppendRecordHeader(header, tag::kLockedKey);
  header.appendU16(static_cast<std::uint16_t>(locking.lock));
  ByteBuffer sealed;
  if (locking.lock == KeyLock::kPassphrase) {
    if (!locking.generator || !ScryptCostAllowed(locking.cost)) return std::nullopt;
    const ByteBuffer salt = locking.generator->output(kSaltBytes);
    if (salt.length() != kSaltBytes) return std::nullopt;
    header.appendU8(locking.cost.log2N);
    header.appendU32(locking.cost.r);
    header.appendU32(locking.cost.p);
    header.appendField(salt);
    const ByteBuffer key = PassphraseKey(locking.passphrase.str(), salt, locking.cost, header, bound);
    SymmetricContext context(key.span(), locking.generator);
    sealed = plainRecord;
    if (key.empty() || context.failed() || !context.encrypt(sealed)) return std::nullopt;
  } else {
    std::optional<std::vector<std::uint8_t>> locked =
        platform::ProtectForAccount(plainRecord.span(), AccountEntropy(header, bound));
    if (!locked || locked->empty()) return std::nullopt;
    sealed = FromVector(*locked);
  }
  ByteBuffer record = header;
  record.appendField(sealed);
  record.appendField(DigestWithBound(record, bound));
  return record;
}

bool IsLockedKey(const ByteBuffer& record) { return HasRecordTag(record, tag::kLockedKey); }

KeyLock LockOf(const ByteBuffer& record) {
  const std::optional<LockedParts> parts = SplitLocked(record);
  return parts ? parts->header.lock : KeyLock::kNone;
}

UnlockFailure ReadLockedKey(const ByteBuffer& record, const ByteBuffer& bound, LockedKeyHeader& header) {
  const std::optional<LockedParts> parts = SplitLocked(record);
  if (!parts || !parts->check.equals(DigestWithBound(record.slice(parts->checkStart, 0), bound)))
    return UnlockFailure::kDamaged;
  header = parts->header;
  if (header.lock == KeyLock::kPassphrase && !ScryptCostAllowed(header.cost))
    return UnlockFailure::kCostRefused;
  return UnlockFailure::kNone;
}

Unlocked UnlockKey(const ByteBuffer& record, const ByteBuffer& bound, const std::string& passphrase) {
  LockedKeyHeader header;
  if (const UnlockFailure failure = ReadLockedKey(record, bound, header); failure != UnlockFailure::kNone)
    return {failure, {}};
  const std::optional<LockedParts> parts = SplitLocked(record);
  const ByteBuffer headerBytes = record.slice(parts->headerEnd, 0);
  if (header.lock == KeyLock::kAccount) {
    if (!platform::AccountProtectionAvailable()) return {UnlockFailure::kNotHere, {}};
    std::optional<std::vector<std::uint8_t>> plain =
        platform::UnprotectForAccount(parts->sealed.span(), AccountEntropy(headerBytes, bound));
    if (!plain) return {UnlockFailure::kOtherAccount, {}};
    return {UnlockFailure::kNone, FromVector(*plain)};
  }
  const ByteBuffer key = PassphraseKey(passphrase, parts->salt, header.cost, headerBytes, bound);
  SymmetricContext context(key.span(), nullptr);
  ByteBuffer plain = parts->sealed;
  if (key.empty() || context.failed() || !context.decrypt(plain))
    return {UnlockFailure::kWrongPassphrase, {}};
  return {UnlockFailure::kNone, std::move(plain)};
}

}  // namespace qs
