#pragma once
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_buffer.h"
#include "base/progress_hook.h"
#include "crypto/sender_binding.h"
#include "platform/file.h"

namespace qs {

class RandomGenerator;

// The OKI-format: u32 L, then one "EncryptedData" record of L bytes holding the whole file,
// and nothing after it. Everything happens in memory, hence the limits.
//
// What it authenticates: the sender signs only the SHA-256 of C, the KEM ciphertext, with no
// label; the data is sealed under the key C carries. So the signature shows who made C, and
// the sealed data's IV (crypto/sender_binding.h) that the one who made C also sealed the
// data. A C whose tail reads as a signed-information block is refused: a signature file over
// a document of the right length and its block would otherwise pass as a sender signature.
inline constexpr std::uint32_t kMaxOkiPlainBytes = 262144000;   // 250 MiB
inline constexpr std::uint32_t kMaxOkiRecordBytes = 288358400;  // 275 MiB
inline constexpr std::uint32_t kOkiDetectionBytes = 100;

// isOki tells whether the first field after the length prefix is "EncryptedData". False
// when the file cannot be read or holds fewer than 100 bytes.
bool DetectOkiFile(const std::string& source, bool& isOki);

// The "EncryptedData" record of an OKI-format file; nothing when the file cannot be read or
// L is above the limit or does not end exactly at the file's end.
std::optional<ByteBuffer> ReadOkiRecord(const std::string& source);

struct OkiParams {
  RandomGenerator* generator = nullptr;
  ProgressHook* progress = nullptr;  // counts cipher and MAC blocks; carries the cancel
  // out: bytes being processed, read by the progress display while the pipeline runs
  std::atomic<std::uint32_t> totalBytes = 0;
  bool targetFailed = false;  // out: the failure was the target's (unwritable, full disk)
  platform::Overwrite overwrite = platform::Overwrite::kReplace;  // a file at the target name by the end
  // out, decryption: whether the file binds its sender (set on success)
  SenderBinding senderBinding = SenderBinding::kUnbound;
};

// Both refuse a target that is the source itself, and put the target in place only when it
// is complete: on failure or cancel nothing is left behind and an older file at the target
// name stays as it was. tooLarge is set only for a source above 250 MiB, which is then not
// read at all.
bool EncryptOkiFile(OkiParams& params, const std::string& source, const std::string& target,
                    const ByteBuffer& recipientPublic, const ByteBuffer& ownPrivate, bool& tooLarge);

bool DecryptOkiFile(OkiParams& params, const std::string& source, const std::string& target,
                    const ByteBuffer& senderPublic, const ByteBuffer& ownPrivate);

}  // namespace qs
