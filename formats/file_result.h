#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/whole_file.h"
#include "crypto/sender_binding.h"
#include "platform/file_error.h"

namespace qs {

// Why a native or OKI-format encrypt or decrypt pipeline failed; the front ends choose their
// message by it.
enum class ResultCode : int {
  kSource = 0,       // the source could not be read or is not a well-formed file
  kTarget = 1,       // the target could not be written
  kKeys = 2,         // wrapping, signing, the sender's signature or unwrapping failed
  kOtherMethod = 3,  // the file was encrypted with another method
  kCancelled = 4,
};

// What a pipeline found wrong, beyond what the code says: the part a user acts on.
enum class Finding : std::uint8_t {
  kNone,
  kSystem,            // the system refused the file; FileCause::error says how
  kSameFile,          // the target is the source itself
  kTruncated,         // ends before its own lengths say; at = bytes there, of = bytes needed or 0
  kTrailingBytes,     // bytes after the end of what it holds
  kNotEncryptedFile,  // not an encrypted file of either format
  kNotSignatureFile,  // not a signature file
  kOtherMethod,       // a native file of another encryption method
  kDamaged,           // a sealed part does not open: changed or damaged
  kDamagedChunk,      // the same for one chunk; at = its number (from 1), of = chunks
  // Encrypted for another key pair: its key does not unwrap, or what the key opens first
  // does not open, which is what another key pair's key gives (damage there reads the same).
  kNotForThisKey,
  kNotBySender,        // signed or bound by someone else than the chosen sender
  kSignatureMismatch,  // the data changed, or the signature is not the chosen signer's
  kTooLarge,           // above what the format holds (250 MiB for the OKI format)
  kOwnKeyUnusable,     // the own key pair cannot sign or open anything
};

// The file a failure concerns, as the caller named it, and what was wrong with it.
struct FileCause {
  std::string file;
  Finding finding = Finding::kNone;
  platform::FileError error = platform::FileError::kNone;
  std::uint64_t at = 0;
  std::uint64_t of = 0;
};

// How a pipeline ended: nothing in failure on success.
struct FileResult {
  std::optional<ResultCode> failure;
  FileCause cause;
  SenderBinding binding = SenderBinding::kUnbound;  // decryption, on success

  bool ok() const { return !failure.has_value(); }
  explicit operator bool() const { return ok(); }
};

// The code of a finding about a source file or the keys.
ResultCode CodeOfFinding(Finding finding);

inline FileResult Failed(ResultCode code, FileCause cause) { return FileResult{code, std::move(cause), {}}; }

// The last failing file call's error, on that file.
inline FileResult SystemFailed(ResultCode code, const std::string& file) {
  return Failed(code, FileCause{file, Finding::kSystem, platform::LastFileError()});
}

// What ReadWholeFile said about a file that holds a record of some kind: notThisKind for
// content that cannot be one.
FileResult WholeFileFailed(ResultCode code, const std::string& file, const WholeFileProblem& problem,
                           Finding notThisKind);

// A finding about the source file.
inline FileResult SourceFailed(const std::string& source, Finding finding, std::uint64_t at = 0,
                               std::uint64_t of = 0) {
  return Failed(CodeOfFinding(finding), FileCause{source, finding, platform::FileError::kNone, at, of});
}

}  // namespace qs
