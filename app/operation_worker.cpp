#include "app/operation_worker.h"

#include "app/texts.h"
#include "formats/encrypted_file.h"
#include "formats/oki_file.h"
#include "formats/signature_file.h"
#include "platform/clock.h"
#include "platform/file.h"

namespace qs {
namespace {

OperationOutcome Succeeded() { return OperationOutcome{true, true, {}, 0, {}}; }
OperationOutcome Failed(std::string message) {
  return OperationOutcome{false, true, std::move(message), 0, {}};
}
OperationOutcome CancelledSilently() { return OperationOutcome{false, false, {}, 0, {}}; }

// What the OKI-format bar measures against; the pipelines work on the whole file at once.
std::uint32_t SizeForProgress(const std::string& path) {
  std::optional<platform::File> file = platform::File::openRead(path);
  const std::optional<std::uint64_t> size = file ? file->size() : std::nullopt;
  if (!size || *size > kMaxOkiRecordBytes) return 0;
  return static_cast<std::uint32_t>(*size);
}

// A target that cannot be written is said so, as for the native format; anything else
// gets the pipeline's own message.
OperationOutcome OkiFailure(const OperationRequest& request, const OkiParams& params, const char* otherwise) {
  if (request.byteProgress.cancelRequested()) return CancelledSilently();
  return Failed(params.targetFailed ? text::kTargetError : otherwise);
}

OperationOutcome EncryptOki(OperationRequest& request, RandomGenerator& generator) {
  OkiParams params{&generator, &request.byteProgress, 0};
  request.totalBytes = SizeForProgress(request.sourceName);
  bool tooLarge = false;
  if (EncryptOkiFile(params, request.sourceName, request.targetName, request.peerPublicKey,
                     request.ownPrivateKey, tooLarge)) {
    return Succeeded();
  }
  if (tooLarge) return Failed(text::kOkiTooLarge);
  return OkiFailure(request, params, text::kOkiEncryptError);
}

OperationOutcome RunNative(bool encrypt, OperationRequest& request, RandomGenerator& generator) {
  const PipelineParams params{&generator, encrypt && request.compression == 1, &request.chunkProgress};
  ResultCode code = ResultCode::kSource;
  const bool done = encrypt ? EncryptFile(params, request.ownPrivateKey, request.peerPublicKey,
                                          request.sourceName, request.targetName, code)
                            : DecryptFile(params, request.ownPrivateKey, request.peerPublicKey,
                                          request.sourceName, request.targetName, code);
  if (done) return Succeeded();
  return Failed(ResultCodeMessage(code, request.chunkProgress.cancelRequested()));
}

OperationOutcome Decrypt(OperationRequest& request, RandomGenerator& generator) {
  bool isOki = false;
  if (!DetectOkiFile(request.sourceName, isOki)) return Failed(text::kReadError);
  if (!isOki) return RunNative(false, request, generator);
  OkiParams params{&generator, &request.byteProgress, 0};
  request.totalBytes = SizeForProgress(request.sourceName);
  if (DecryptOkiFile(params, request.sourceName, request.targetName, request.peerPublicKey,
                     request.ownPrivateKey)) {
    return Succeeded();
  }
  return OkiFailure(request, params, text::kOkiDecryptError);
}

OperationOutcome Sign(OperationRequest& request, RandomGenerator& generator) {
  SignatureRequest signature;
  signature.generator = &generator;
  signature.progress = &request.chunkProgress;
  signature.message = request.signMessage;
  signature.timestamp = static_cast<std::uint32_t>(platform::CalendarSeconds());
  if (SignFile(signature, request.ownPrivateKey, request.sourceName, request.targetName)) return Succeeded();
  if (request.chunkProgress.cancelRequested()) return CancelledSilently();
  return Failed(text::kSignError);
}

OperationOutcome Verify(OperationRequest& request, RandomGenerator& generator) {
  SignatureRequest signature;
  signature.generator = &generator;
  signature.progress = &request.chunkProgress;
  if (!VerifyFile(signature, request.sourceName, request.peerPublicKey, request.targetName)) {
    if (request.chunkProgress.cancelRequested()) return CancelledSilently();
    return Failed(text::kSignatureMismatch);
  }
  OperationOutcome outcome = Succeeded();
  outcome.signedTimestamp = signature.timestamp;
  outcome.signedMessage = signature.message;
  return outcome;
}

// What an operation says when it fails for a reason it cannot name: an exception such as
// running out of memory. Encryption and decryption have no such message of their own.
const char* UnforeseenFailureText(OperationCode code) {
  if (code == OperationCode::kSign) return text::kSignError;
  if (code == OperationCode::kVerify) return text::kSignatureMismatch;
  return text::kUnknownError;
}

OperationOutcome Run(OperationRequest& request, RandomGenerator& generator) {
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
  return Failed(text::kUnknownError);
}

}  // namespace

OperationOutcome RunOperation(OperationRequest& request, RandomGenerator& generator) {
  // The pipelines' temporary files are removed as the exception unwinds through them.
  try {
    return Run(request, generator);
  } catch (...) {
    return Failed(UnforeseenFailureText(request.code));
  }
}

std::string ResultCodeMessage(ResultCode code, bool cancelRequested) {
  switch (code) {
    case ResultCode::kSource:
      return text::kSourceError;
    case ResultCode::kTarget:
      return text::kTargetError;
    case ResultCode::kKeys:
      return text::kKeyError;
    case ResultCode::kOtherMethod:
      return text::kOtherMethod;
    case ResultCode::kCancelled:
      break;
  }
  return cancelRequested ? std::string() : std::string(text::kUnknownError);
}

}  // namespace qs
