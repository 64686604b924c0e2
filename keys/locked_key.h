#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "base/secret_text.h"
#include "crypto/scrypt.h"

namespace qs {

class RandomGenerator;

// A private record locked at rest, in place of the plain record it holds:
//
//   field "LockedKey", u16 version 0, u16 lock
//   lock 2 (passphrase) only: u8 log2 N, u32 r, u32 p, field salt (32 bytes)
//   field sealed
//   field check: this program's SHA-256 of everything before it and the bound bytes
//
// Lock 1 seals with the system's data protection for the user's account (Windows); its
// entropy covers the header and the bound bytes. Lock 2 seals with SymmetricContext under
// HMAC-SHA256(scrypt(passphrase, salt), header and bound bytes), so a changed header or
// bound byte makes the MAC fail. The bound bytes are what the file keeps beside the record
// in plain (the public record and the key name of a key pair), so neither can be swapped
// under a locked key. The check only tells damage from a wrong passphrase or account; the
// seal is what protects.
enum class KeyLock : std::uint16_t { kNone = 0, kAccount = 1, kPassphrase = 2 };

struct KeyLocking {
  KeyLock lock = KeyLock::kNone;
  SecretText passphrase;                 // lock kPassphrase only
  RandomGenerator* generator = nullptr;  // salt and IV for kPassphrase; not owned
  ScryptCost cost = kProtectionCost;
};

// kAccount where the account can lock data, kNone elsewhere.
KeyLocking DefaultLocking();

// The locked record, or nothing when locking failed (no generator credit, the system
// refused). kNone gives the plain record back.
std::optional<ByteBuffer> LockKeyRecord(const ByteBuffer& plainRecord, const ByteBuffer& bound,
                                        const KeyLocking& locking);

// True when the record's tag is "LockedKey"; nothing else is examined.
bool IsLockedKey(const ByteBuffer& record);

// The lock a record says it has: kNone for any record that is not a well-formed locked one.
// The check is not examined, so a damaged record still shows what it was.
KeyLock LockOf(const ByteBuffer& record);

struct LockedKeyHeader {
  KeyLock lock = KeyLock::kNone;
  ScryptCost cost{};
};

enum class UnlockFailure : std::uint8_t {
  kNone,
  kDamaged,       // not a well-formed locked record, or its check fails
  kCostRefused,   // a passphrase cost this program will not spend
  kNotHere,       // locked to an account, on a system without account protection
  kOtherAccount,  // this account on this machine cannot open it
  kWrongPassphrase,
};

// The header of a well-formed locked record whose check holds; kDamaged otherwise, and
// kCostRefused for a cost outside ScryptCostAllowed.
UnlockFailure ReadLockedKey(const ByteBuffer& record, const ByteBuffer& bound, LockedKeyHeader& header);

// The plain record; passphrase is used for lock 2 only.
struct Unlocked {
  UnlockFailure failure = UnlockFailure::kNone;
  ByteBuffer record;
};
Unlocked UnlockKey(const ByteBuffer& record, const ByteBuffer& bound, const std::string& passphrase);

}  // namespace qs
