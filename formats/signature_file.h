#pragma once
#include <cstdint>
#include <string>

#include "base/byte_buffer.h"
#include "base/text_string.h"
#include "formats/file_result.h"
#include "formats/progress.h"
#include "platform/file.h"

namespace qs {

class RandomGenerator;
class SigningContext;

inline constexpr std::uint32_t kSignatureHashBlock = 20480;

// What the sign and verify pipelines share with their caller.
struct SignatureRequest {
  RandomGenerator* generator = nullptr;
  TextString label{"SignedFile"};
  ChunkProgress* progress = nullptr;  // counts 20,480-byte blocks; optional
  TextString message;                 // sign: embedded; verify: what was embedded
  std::uint32_t timestamp = 0;        // sign: embedded; verify: what was embedded
  platform::Overwrite overwrite =
      platform::Overwrite::kReplace;  // sign: a file at the target name by the end
  // Instead of the named files, which then only name them in messages: the data file read in
  // order from a stream whose size is not known (standard input; the progress has no count),
  // and for sign the signature file written to a stream (standard output).
  platform::File* sourceStream = nullptr;
  platform::File* targetStream = nullptr;
};

// Streams the data file through the context's digest in 20,480-byte blocks, after setting
// the request's label. Progress count = ceil(size / 20,480); current grows after every full
// block, and cancel is checked right after. Fails with kSource (kCancelled).
FileResult HashDataFile(const std::string& source, SignatureRequest& request, SigningContext& context);

// Signs the source into a signature file (whole-file container holding one "Signature"
// record). The target is written only when the signature is complete: a failure or a
// cancel leaves an older file at the target name as it was and no partial file. Fails
// without reading anything when the target is the source itself. Codes: kSource, kTarget,
// kKeys for a key that cannot sign, kCancelled.
FileResult SignFile(SignatureRequest& request, const ByteBuffer& ownPrivate, const std::string& source,
                    const std::string& target);

// Succeeds when the signature file signs the source with signerPublic's signing key; the
// request then holds the embedded message (as 8-bit text) and timestamp. The signature file
// is read first: kSource for it or the source unreadable, or not a signature file; kKeys
// with kSignatureMismatch, on the source, for a changed source or another signer.
FileResult VerifyFile(SignatureRequest& request, const std::string& source, const ByteBuffer& signerPublic,
                      const std::string& signatureFile);

}  // namespace qs
