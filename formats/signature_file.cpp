#include "formats/signature_file.h"

#include "base/whole_file.h"
#include "formats/signing_context.h"
#include "platform/file.h"

namespace qs {

bool HashDataFile(const std::string& source, SignatureRequest& request, SigningContext& context) {
  std::optional<platform::File> file = platform::File::openRead(source);
  if (!file) return false;
  const std::optional<std::uint64_t> size = file->size();
  if (!size) return false;
  if (request.progress != nullptr) {
    request.progress->count =
        static_cast<std::uint32_t>((*size + kSignatureHashBlock - 1) / kSignatureHashBlock);
    request.progress->current = 0;
  }
  if (!context.setLabel(request.label)) return false;

  ByteBuffer block = ByteBuffer::zeros(kSignatureHashBlock);  // wiped when it goes
  for (;;) {
    std::uint32_t got = 0;
    while (got < kSignatureHashBlock) {
      const std::optional<std::size_t> n = file->read(block.data() + got, kSignatureHashBlock - got);
      if (!n) return false;
      if (*n == 0) break;
      got += static_cast<std::uint32_t>(*n);
    }
    if (!context.addData({block.data(), got})) return false;
    if (got < kSignatureHashBlock) return true;
    if (request.progress != nullptr) {
      request.progress->current.fetch_add(1);
      if (request.progress->cancelRequested()) return false;
    }
  }
}

bool SignFile(SignatureRequest& request, const ByteBuffer& ownPrivate, const std::string& source,
              const std::string& target) {
  // Replacing the document with its signature would lose it.
  if (platform::SameFile(source, target)) return false;
  SigningContext context(request.generator);
  if (!HashDataFile(source, request, context)) return false;
  std::optional<ByteBuffer> record =
      context.sign(ownPrivate, request.timestamp, WideText::fromTextString(request.message));
  if (!record) return false;
  return WriteWholeFile(ByteStream(std::move(*record)), target, platform::FileAccess::kUsual,
                        request.overwrite);
}

bool VerifyFile(SignatureRequest& request, const std::string& source, const ByteBuffer& signerPublic,
                const std::string& signatureFile) {
  SigningContext context(request.generator);
  if (!HashDataFile(source, request, context)) return false;
  ByteStream stored;
  if (!ReadWholeFile(stored, signatureFile)) return false;
  WideText message;
  if (!context.verify(stored.bytes, signerPublic, request.timestamp, message)) return false;
  request.message = message.toTextString();
  return true;
}

}  // namespace qs
