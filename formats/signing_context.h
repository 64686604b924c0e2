#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "base/text_string.h"
#include "base/wide_text.h"
#include "crypto/sha256.h"

namespace qs {

class RandomGenerator;

inline constexpr char kSignedFileLabel[] = "SignedFile";
inline constexpr char kEncryptedFileLabel[] = "EncryptedFile";

// Signs or verifies some data together with a small signed-information block. The
// "Signature" record:
//
//   field  tag "Signature"
//   u16    version 0, u16 reserved 0
//   field  signed information:
//            field  label with its terminating zero ("SignedFile", "EncryptedFile")
//            u32    timestamp, seconds since 1970-01-01 00:00 UTC
//            field  message as 16-bit units, high byte first (empty when none)
//   field  signature over SHA-256(data || signed information), k bytes
//
// Use: setLabel, addData one or more times, then sign or verify; either ends the round, and
// the next round starts with setLabel again.
struct SignatureRecord {
  ByteBuffer signedInformation;  // the block as stored: the signature covers these bytes
  ByteBuffer label;              // with its terminating zero
  std::uint32_t timestamp = 0;
  WideText message;
  ByteBuffer signature;
};

// A "Signature" record of this signed-information block and this signature, as sign writes it.
ByteBuffer SignatureRecordOf(const ByteBuffer& signedInformation, const ByteBuffer& signature);

// The parts of a "Signature" record, without checking the signature. Nothing unless the tag,
// version and reserved value are right, the two fields fill the record exactly (their lengths
// are outside what the signature covers) and the block is exactly a signed-information block.
std::optional<SignatureRecord> ReadSignatureRecord(const ByteBuffer& record);

// The signed-information block read exactly: a label field of at least one character and its
// terminating zero, the u32 timestamp, a message field of whole 16-bit units each at most
// 0xFF (messages come from 8-bit text), and nothing after it. The signature covers the data
// followed by the block with nothing marking where one ends, so a block read any more loosely
// lets one signature stand for other data, another time or another message: every other place
// to cut the signed bytes in two would have to parse as such a block too.
struct SignedInformation {
  ByteBuffer label;  // with its terminating zero
  std::uint32_t timestamp = 0;
  WideText message;
};
std::optional<SignedInformation> ReadSignedInformation(std::span<const std::uint8_t> block);

// True when some tail of bytes is a signed-information block: bytes that a signature over
// other data followed by its block could also be taken to sign.
bool EndsWithSignedInformation(std::span<const std::uint8_t> bytes);

class SigningContext {
 public:
  explicit SigningContext(RandomGenerator* generator) : generator_(generator) {}

  // Not owned; attached to the digest before every update, so it counts the data's blocks
  // and its cancel makes addData fail.
  void setHook(ProgressHook* hook) { hook_ = hook; }

  // False for a label without text.
  bool setLabel(const TextString& label);
  // False before a label is set, or when the hook cancelled (the digest then restarts).
  bool addData(std::span<const std::uint8_t> bytes);

  // The "Signature" record, or nothing when no data was added or signing failed (for example
  // with a generator credit below 1024).
  std::optional<ByteBuffer> sign(const ByteBuffer& ownPrivate, std::uint32_t timestamp,
                                 const WideText& message);

  // True when the record is well formed and its signature, by signerPublic's signing key,
  // covers the data and the stored block, whose label must be this round's label, byte for
  // byte. The out values are filled before the signature is checked; use them only after
  // success.
  bool verify(const ByteBuffer& record, const ByteBuffer& signerPublic, std::uint32_t& timestamp,
              WideText& message);

 private:
  enum class State : std::uint16_t { kNoLabel, kLabelSet, kDataAdded };

  // Ends a sign or verify round; true when data had been added.
  bool endRound();

  RandomGenerator* generator_;
  Sha256Context digest_;
  TextString label_;
  State state_ = State::kNoLabel;
  ProgressHook* hook_ = nullptr;
};

}  // namespace qs
