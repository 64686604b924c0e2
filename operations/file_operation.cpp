#include "operations/file_operation.h"

#include <optional>

#include "formats/encrypted_file.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "formats/signature_file.h"
#include "platform/clock.h"
#include "platform/file.h"

namespace qs {
namespace {

OperationResult Ended(FileOutcome outcome) { return OperationResult{outcome, true, 0, {}}; }
OperationResult CancelledAtOnce() { return OperationResult{FileOutcome::kCancelled, false, 0, {}}; }

OperationResult Decrypted(SenderBinding binding) {
  OperationResult result = Ended(FileOutcome::kOk);
  result.senderUnbound = binding != SenderBinding::kBound;
  return result;
}

// What the OKI-format progress measures against; the pipelines work on the whole file at once.
std::uint32_t SizeForProgress(const std::string& path) {
  std::optional<platform::File> file = platform::File::openRead(path);
  const std::optional<std::uint64_t> size = file ? file->size() : std::nullopt;
  if (!size || *size > kMaxOkiRecordBytes) return 0;
  return static_cast<std::uint32_t>(*size);
}

FileOutcome NativeOutcome(ResultCode code, bool cancelRequested) {
  switch (code) {
    case ResultCode::kSource:
      return FileOutcome::kSourceUnreadable;
    case ResultCode::kTarget:
      return FileOutcome::kTargetUnwritable;
    case ResultCode::kKeys:
      return FileOutcome::kWrongKeys;
    case ResultCode::kOtherMethod:
      return FileOutcome::kOtherMethod;
    case ResultCode::kCancelled:
      break;
  }
  return cancelRequested ? FileOutcome::kCancelled : FileOutcome::kUnknown;
}

// A target that cannot be written is said so, as for the native format; anything else gets
// the pipeline's own outcome.
OperationResult OkiFailure(const OperationRequest& request, const OkiParams& params, FileOutcome otherwise) {
  if (request.byteProgress.cancelRequested()) return CancelledAtOnce();
  return Ended(params.targetFailed ? FileOutcome::kTargetUnwritable : otherwise);
}

OperationResult EncryptOki(OperationRequest& request, RandomGenerator& generator) {
  OkiParams params{&generator, &request.byteProgress, 0, false, request.overwrite};
  request.totalBytes = SizeForProgress(request.sourceName);
  bool tooLarge = false;
  if (EncryptOkiFile(params, request.sourceName, request.targetName, request.peerPublicKey,
                     request.ownPrivateKey, tooLarge)) {
    return Ended(FileOutcome::kOk);
  }
  if (tooLarge) return Ended(FileOutcome::kOkiTooLarge);
  return OkiFailure(request, params, FileOutcome::kOkiEncryptionFailed);
}

OperationResult DecryptOki(OperationRequest& request, RandomGenerator& generator) {
  OkiParams params{&generator, &request.byteProgress, 0, false, request.overwrite};
  request.totalBytes = SizeForProgress(request.sourceName);
  if (DecryptOkiFile(params, request.sourceName, request.targetName, request.peerPublicKey,
                     request.ownPrivateKey)) {
    return Decrypted(params.senderBinding);
  }
  return OkiFailure(request, params, FileOutcome::kOkiDecryptionFailed);
}

ChunkCompression CompressionOf(std::uint8_t compression) {
  if (compression == kStrongCompression) return ChunkCompression::kStrong;
  return compression == 1 ? ChunkCompression::kFormat : ChunkCompression::kNone;
}

OperationResult RunNative(bool encrypt, OperationRequest& request, RandomGenerator& generator) {
  SenderBinding binding = SenderBinding::kUnbound;
  const PipelineParams params{&generator,
                              encrypt ? CompressionOf(request.compression) : ChunkCompression::kNone,
                              &request.chunkProgress, &binding, request.overwrite};
  ResultCode code = ResultCode::kSource;
  const bool done = encrypt ? EncryptFile(params, request.ownPrivateKey, request.peerPublicKey,
                                          request.sourceName, request.targetName, code)
                            : DecryptFile(params, request.ownPrivateKey, request.peerPublicKey,
                                          request.sourceName, request.targetName, code);
  if (!done) return Ended(NativeOutcome(code, request.chunkProgress.cancelRequested()));
  return encrypt ? Ended(FileOutcome::kOk) : Decrypted(binding);
}

OperationResult Decrypt(OperationRequest& request, RandomGenerator& generator) {
  bool isOki = false;
  if (!DetectOkiFile(request.sourceName, isOki)) return Ended(FileOutcome::kFileUnreadable);
  return isOki ? DecryptOki(request, generator) : RunNative(false, request, generator);
}

SignatureRequest SignatureRequestFor(OperationRequest& request, RandomGenerator& generator) {
  SignatureRequest signature;
  signature.generator = &generator;
  signature.progress = &request.chunkProgress;
  signature.overwrite = request.overwrite;
  return signature;
}

OperationResult Sign(OperationRequest& request, RandomGenerator& generator) {
  SignatureRequest signature = SignatureRequestFor(request, generator);
  signature.message = request.signMessage;
  signature.timestamp = static_cast<std::uint32_t>(platform::CalendarSeconds());
  if (SignFile(signature, request.ownPrivateKey, request.sourceName, request.targetName)) {
    return Ended(FileOutcome::kOk);
  }
  if (request.chunkProgress.cancelRequested()) return CancelledAtOnce();
  return Ended(FileOutcome::kSigningFailed);
}

OperationResult Verify(OperationRequest& request, RandomGenerator& generator) {
  SignatureRequest signature = SignatureRequestFor(request, generator);
  if (!VerifyFile(signature, request.sourceName, request.peerPublicKey, request.targetName)) {
    if (request.chunkProgress.cancelRequested()) return CancelledAtOnce();
    return Ended(FileOutcome::kSignatureMismatch);
  }
  return OperationResult{FileOutcome::kOk, true, signature.timestamp, signature.message};
}

// What an operation says when it fails for a reason it cannot name, such as running out of
// memory. Encryption and decryption have no such message of their own.
FileOutcome UnforeseenFailure(OperationCode code) {
  if (code == OperationCode::kSign) return FileOutcome::kSigningFailed;
  if (code == OperationCode::kVerify) return FileOutcome::kSignatureMismatch;
  return FileOutcome::kUnknown;
}

OperationResult Run(OperationRequest& request, RandomGenerator& generator) {
  switch (request.code) {
    case OperationCode::kEncrypt:
      if (request.okiFormat == 1) return EncryptOki(request, generator);
      return RunNative(true, request, generator);
    case OperationCode::kDecrypt:
      return Decrypt(request, generator);
    case OperationCode::kSign:
      return Sign(request, generator);
    case OperationCode::kVerify:
      return Verify(request, generator);
  }
  return Ended(FileOutcome::kUnknown);
}

// Whether a target that may not be replaced is in the way. A failure to put the output in
// place is the target's: the file that appeared meanwhile is the likely cause, and is named.
bool TargetInTheWay(const OperationRequest& request) {
  return request.code != OperationCode::kVerify && request.overwrite == platform::Overwrite::kNever &&
         platform::FileExists(request.targetName);
}

OperationResult ExistingTargetKept(const OperationRequest& request, OperationResult result) {
  const bool targetFailed =
      result.outcome == FileOutcome::kTargetUnwritable || result.outcome == FileOutcome::kSigningFailed;
  return targetFailed && TargetInTheWay(request) ? Ended(FileOutcome::kTargetExists) : result;
}

}  // namespace

OperationResult RunFileOperation(OperationRequest& request, RandomGenerator& generator) {
  if (TargetInTheWay(request)) return Ended(FileOutcome::kTargetExists);
  // The pipelines' temporary files are removed as the exception unwinds through them.
  try {
    return ExistingTargetKept(request, Run(request, generator));
  } catch (...) {
    return Ended(UnforeseenFailure(request.code));
  }
}

void RequestCancel(OperationRequest& request) {
  request.chunkProgress.cancel = 1;
  request.byteProgress.cancel = 1;
}

void ResetProgress(OperationRequest& request) {
  request.chunkProgress.cancel = 0;
  request.chunkProgress.current = 0;
  request.chunkProgress.count = 0;
  request.byteProgress.cancel = 0;
  request.byteProgress.count = 0;
  request.totalBytes = 0;
}

// The chunked pipelines count chunks of kChunkBytes; the in-memory ones count every byte
// twice, once for the cipher and once for the MAC.
double ProgressFraction(const OperationRequest& request) {
  const std::uint32_t count = request.chunkProgress.count;
  if (count != 0) return (request.chunkProgress.current + 1.0) / count;
  const std::uint32_t total = request.totalBytes;
  if (total != 0) return static_cast<std::uint32_t>(request.byteProgress.count) / (2.0 * total);
  return 0.0;
}

std::uint64_t ProgressBytes(const OperationRequest& request) {
  if (request.chunkProgress.count != 0)
    return (request.chunkProgress.current + std::uint64_t{1}) * kChunkBytes;
  return static_cast<std::uint32_t>(request.byteProgress.count) / 2;
}

}  // namespace qs
