#include "formats/signature_file.h"

#include "base/whole_file.h"
#include "formats/signing_context.h"
#include "platform/file.h"

namespace qs {
namespace {

// Far more than a signature with the longest message anyone types.
constexpr std::uint64_t kMaxSignatureFileBytes = 1u << 20;

}  // namespace

FileResult HashDataFile(const std::string& source, SignatureRequest& request, SigningContext& context) {
  std::optional<platform::File> opened;
  std::uint64_t size = 0;
  if (request.sourceStream == nullptr) {
    opened = platform::File::openRead(source);
    const std::optional<std::uint64_t> known = opened ? opened->size() : std::nullopt;
    if (!known) return SystemFailed(ResultCode::kSource, source);
    size = *known;
  }
  platform::File* file = opened ? &*opened : request.sourceStream;
  if (request.progress != nullptr) {
    request.progress->count =
        static_cast<std::uint32_t>((size + kSignatureHashBlock - 1) / kSignatureHashBlock);
    request.progress->current = 0;
  }
  if (!context.setLabel(request.label)) return Failed(ResultCode::kSource, {});

  ByteBuffer block = ByteBuffer::zeros(kSignatureHashBlock);  // wiped when it goes
  for (;;) {
    const std::optional<std::size_t> got = file->readUpTo(block.data(), kSignatureHashBlock);
    if (!got) return SystemFailed(ResultCode::kSource, source);
    if (!context.addData({block.data(), *got})) return Failed(ResultCode::kSource, {});
    if (*got < kSignatureHashBlock) return FileResult{};
    if (request.progress != nullptr) {
      request.progress->current.fetch_add(1);
      if (request.progress->cancelRequested()) return Failed(ResultCode::kCancelled, {});
    }
  }
}

FileResult SignFile(SignatureRequest& request, const ByteBuffer& ownPrivate, const std::string& source,
                    const std::string& target) {
  // Replacing the document with its signature would lose it.
  const bool named = request.sourceStream == nullptr && request.targetStream == nullptr;
  if (named && platform::SameFile(source, target)) return SourceFailed(target, Finding::kSameFile);
  SigningContext context(request.generator);
  FileResult hashed = HashDataFile(source, request, context);
  if (!hashed) return hashed;
  std::optional<ByteBuffer> record =
      context.sign(ownPrivate, request.timestamp, WideText::fromTextString(request.message));
  if (!record) return Failed(ResultCode::kKeys, {});
  if (request.targetStream != nullptr) {
    if (!WriteContainer(*request.targetStream, ByteStream(std::move(*record))))
      return SystemFailed(ResultCode::kTarget, target);
    return FileResult{};
  }
  if (!WriteWholeFile(ByteStream(std::move(*record)), target, platform::FileAccess::kUsual,
                      request.overwrite))
    return SystemFailed(ResultCode::kTarget, target);
  return FileResult{};
}

FileResult VerifyFile(SignatureRequest& request, const std::string& source, const ByteBuffer& signerPublic,
                      const std::string& signatureFile) {
  ByteStream stored;
  WholeFileProblem problem;
  if (!ReadWholeFile(stored, signatureFile, &problem)) {
    // A length no signature has is another kind of file (the data file given in its place,
    // say), not a cut-short signature.
    if (problem.kind == WholeFileProblem::kTruncated && problem.needed > kMaxSignatureFileBytes)
      problem.kind = WholeFileProblem::kTooLong;
    return WholeFileFailed(ResultCode::kSource, signatureFile, problem, Finding::kNotSignatureFile);
  }
  if (!ReadSignatureRecord(stored.bytes)) return SourceFailed(signatureFile, Finding::kNotSignatureFile);
  SigningContext context(request.generator);
  FileResult hashed = HashDataFile(source, request, context);
  if (!hashed) return hashed;
  WideText message;
  if (!context.verify(stored.bytes, signerPublic, request.timestamp, message))
    return Failed(ResultCode::kKeys, {source, Finding::kSignatureMismatch});
  request.message = message.toTextString();
  return FileResult{};
}

}  // namespace qs
