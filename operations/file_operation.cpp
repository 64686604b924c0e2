#include "operations/file_operation.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "crypto/key_records.h"
#include "formats/encrypted_file.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "formats/signature_file.h"
#include "operations/standard_streams.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/working_folder.h"

namespace qs {
namespace {

OperationResult Ended(FileOutcome outcome, FileCause cause = {}) {
  OperationResult result;
  result.outcome = outcome;
  result.cause = std::move(cause);
  return result;
}

OperationResult CancelledAtOnce() {
  OperationResult result = Ended(FileOutcome::kCancelled);
  result.pause = false;
  return result;
}

// The outcome of a failed native pipeline, and of the OKI-format ones for the target, which
// both formats say the same way.
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

FileJob JobFor(OperationRequest& request, RandomGenerator& generator) {
  FileJob job;
  job.source = request.sourceName;
  job.target = request.targetName;
  job.generator = &generator;
  job.compression = request.compression;
  job.chunks = &request.chunkProgress;
  job.bytes = &request.byteProgress;
  job.totalBytes = &request.totalBytes;
  job.overwrite = request.overwrite;
  job.checkOnly = request.checkOnly;
  return job;
}

// Where the bytes of a stream wait: a temporary file in the stream folder.
std::string WaitingBeside(const OperationRequest& request) {
  return platform::JoinPath(request.streamFolder, "stream");
}

// The standard stream a pipeline reads or writes in order, when the request names one.
struct StandardStreams {
  std::optional<platform::File> in;
  std::optional<platform::File> out;
};

// Opens what the request takes from the standard streams; nothing after a failure in result.
std::optional<StandardStreams> OpenStreams(const OperationRequest& request, bool in, bool out,
                                           FileResult& result) {
  StandardStreams streams;
  if (in && !(streams.in = platform::File::standardInput())) {
    result = SystemFailed(ResultCode::kSource, request.sourceName);
    return std::nullopt;
  }
  if (out && !(streams.out = platform::File::standardOutput())) {
    result = SystemFailed(ResultCode::kTarget, request.targetName);
    return std::nullopt;
  }
  return streams;
}

OperationResult Decrypted(const FileResult& result) {
  OperationResult decrypted = Ended(FileOutcome::kOk);
  decrypted.senderUnbound = result.binding != SenderBinding::kBound;
  return decrypted;
}

OperationResult NativeEnded(const OperationRequest& request, FileResult result) {
  if (!result)
    return Ended(NativeOutcome(*result.failure, request.chunkProgress.cancelRequested()), result.cause);
  return request.code == OperationCode::kDecrypt ? Decrypted(result) : Ended(FileOutcome::kOk);
}

// The OKI-format pipelines stop at once on a cancel. A target that cannot be written is said
// as for the native format; anything else gets the pipeline's own outcome.
OperationResult OkiEnded(const OperationRequest& request, FileResult result, FileOutcome otherwise) {
  if (result) return request.code == OperationCode::kDecrypt ? Decrypted(result) : Ended(FileOutcome::kOk);
  if (request.byteProgress.cancelRequested()) return CancelledAtOnce();
  if (result.cause.finding == Finding::kTooLarge) return Ended(FileOutcome::kOkiTooLarge, result.cause);
  return Ended(*result.failure == ResultCode::kTarget ? FileOutcome::kTargetUnwritable : otherwise,
               result.cause);
}

FileResult EncryptAs(const OperationRequest& request, const FileJob& job,
                     const std::vector<ByteBuffer>& recipients) {
  if (request.format == Settings::kOki)
    return EncryptOkiFile(job, request.ownPrivateKey, request.peerPublicKey);
  return EncryptFile(job, request.ownPrivateKey, recipients);
}

// To standard output the sealed file is made whole in a temporary file first, since a file
// cut short by a failure could not be taken back, then copied out.
FileResult EncryptToStandardOutput(const OperationRequest& request, FileJob job,
                                   const std::vector<ByteBuffer>& recipients) {
  std::optional<platform::TemporaryFile> sealed = platform::TemporaryFile::create(WaitingBeside(request));
  if (!sealed || !sealed->close()) return SystemFailed(ResultCode::kTarget, WaitingBeside(request));
  job.target = sealed->path();
  job.overwrite = platform::Overwrite::kReplace;
  FileResult result = EncryptAs(request, job, recipients);
  if (result) result = CopyToStandardOutput(sealed->path(), request.targetName);
  result.cause = NamedAsStream(std::move(result.cause), sealed->path(), request.targetName);
  return result;
}

OperationResult Encrypt(OperationRequest& request, RandomGenerator& generator) {
  FileJob job = JobFor(request, generator);
  const std::vector<ByteBuffer> recipients = RecipientsOf(request);
  if (request.format == Settings::kOki && recipients.size() > 1) return Ended(FileOutcome::kOkiOneRecipient);
  FileResult result;
  std::optional<StandardStreams> streams = OpenStreams(request, request.sourceIsStandardInput, false, result);
  if (streams) {
    job.sourceStream = streams->in ? &*streams->in : nullptr;
    result = request.targetIsStandardOutput ? EncryptToStandardOutput(request, job, recipients)
                                            : EncryptAs(request, job, recipients);
  }
  if (request.format == Settings::kOki) return OkiEnded(request, result, FileOutcome::kOkiEncryptionFailed);
  return NativeEnded(request, result);
}

// From standard input the ciphertext is kept in a temporary file first: the format is told
// by its first bytes and a version-1 file is read twice.
OperationResult Decrypt(OperationRequest& request, RandomGenerator& generator) {
  FileJob job = JobFor(request, generator);
  job.compression = ChunkCompression::kNone;
  FileResult unreadable;
  std::optional<platform::TemporaryFile> kept;
  if (request.sourceIsStandardInput) {
    std::optional<platform::TemporaryFile> read =
        KeepStandardInput(WaitingBeside(request), request.sourceName, unreadable);
    if (!read) return Ended(FileOutcome::kFileUnreadable, unreadable.cause);
    kept.emplace(std::move(*read));
    job.source = kept->path();
  }
  const std::string named = job.source;
  const std::optional<EncryptedFormat> format = DetectEncryptedFormat(job.source, unreadable);
  if (!format)
    return Ended(FileOutcome::kFileUnreadable, NamedAsStream(unreadable.cause, named, request.sourceName));
  FileResult result;
  std::optional<StandardStreams> streams =
      OpenStreams(request, false, request.targetIsStandardOutput && !request.checkOnly, result);
  if (streams) {
    job.targetStream = streams->out ? &*streams->out : nullptr;
    result = *format == EncryptedFormat::kOki
                 ? DecryptOkiFile(job, request.ownPrivateKey, request.peerPublicKey)
                 : DecryptFile(job, request.ownPrivateKey, request.peerPublicKey);
  }
  result.cause = NamedAsStream(std::move(result.cause), named, request.sourceName);
  if (*format == EncryptedFormat::kOki) return OkiEnded(request, result, FileOutcome::kOkiDecryptionFailed);
  return NativeEnded(request, result);
}

SignatureRequest SignatureRequestFor(OperationRequest& request, RandomGenerator& generator) {
  SignatureRequest signature;
  signature.generator = &generator;
  signature.progress = &request.chunkProgress;
  signature.overwrite = request.overwrite;
  return signature;
}

// Runs a signature pipeline on what the request takes from the standard streams.
FileResult WithStreams(const OperationRequest& request, SignatureRequest& signature, bool out,
                       const std::function<FileResult()>& pipeline) {
  FileResult result;
  std::optional<StandardStreams> streams = OpenStreams(request, request.sourceIsStandardInput, out, result);
  if (!streams) return result;
  signature.sourceStream = streams->in ? &*streams->in : nullptr;
  signature.targetStream = streams->out ? &*streams->out : nullptr;
  return pipeline();
}

OperationResult Sign(OperationRequest& request, RandomGenerator& generator) {
  SignatureRequest signature = SignatureRequestFor(request, generator);
  signature.message = request.signMessage;
  signature.timestamp = static_cast<std::uint32_t>(platform::CalendarSeconds());
  const FileResult result = WithStreams(request, signature, request.targetIsStandardOutput, [&] {
    return SignFile(signature, request.ownPrivateKey, request.sourceName, request.targetName);
  });
  if (result) return Ended(FileOutcome::kOk);
  if (request.chunkProgress.cancelRequested()) return CancelledAtOnce();
  return Ended(FileOutcome::kSigningFailed, result.cause);
}

OperationResult Verify(OperationRequest& request, RandomGenerator& generator) {
  SignatureRequest signature = SignatureRequestFor(request, generator);
  const FileResult result = WithStreams(request, signature, false, [&] {
    return VerifyFile(signature, request.sourceName, request.peerPublicKey, request.targetName);
  });
  if (!result) {
    if (request.chunkProgress.cancelRequested()) return CancelledAtOnce();
    return Ended(FileOutcome::kSignatureMismatch, result.cause);
  }
  OperationResult verified = Ended(FileOutcome::kOk);
  verified.signedTimestamp = signature.timestamp;
  verified.signedMessage = signature.message;
  return verified;
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
      return Encrypt(request, generator);
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
  const bool named =
      request.code != OperationCode::kVerify && !request.targetIsStandardOutput && !request.checkOnly;
  return named && request.overwrite == platform::Overwrite::kNever &&
         platform::FileExists(request.targetName);
}

OperationResult ExistingTargetKept(const OperationRequest& request, OperationResult result) {
  const bool targetFailed =
      result.outcome == FileOutcome::kTargetUnwritable || result.outcome == FileOutcome::kSigningFailed;
  return targetFailed && TargetInTheWay(request) ? Ended(FileOutcome::kTargetExists) : result;
}

}  // namespace

std::vector<ByteBuffer> RecipientsOf(const OperationRequest& request) {
  std::vector<ByteBuffer> recipients{request.peerPublicKey};
  const auto add = [&recipients](const ByteBuffer& recipient) {
    if (std::none_of(recipients.begin(), recipients.end(),
                     [&](const ByteBuffer& chosen) { return chosen.equals(recipient); }))
      recipients.push_back(recipient);
  };
  for (const ByteBuffer& further : request.furtherRecipients) add(further);
  if (request.toSelf) {
    if (const std::optional<ByteBuffer> own = PublicKeyRecordOf(request.ownPrivateKey)) add(*own);
  }
  return recipients;
}

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
