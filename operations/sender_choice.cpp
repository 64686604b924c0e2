#include "operations/sender_choice.h"

#include "formats/signature_file.h"

namespace qs {
namespace {

SenderSearch FindSigner(OperationRequest& request, std::span<const ByteBuffer> candidates,
                        RandomGenerator& generator) {
  FileCause mismatch;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    SignatureRequest signature;
    signature.generator = &generator;
    const FileResult result = VerifyFile(signature, request.sourceName, candidates[i], request.targetName);
    if (result) return {i, {}};
    if (result.cause.finding != Finding::kSignatureMismatch) return {std::nullopt, result.cause};
    mismatch = result.cause;
  }
  return {std::nullopt, mismatch};
}

}  // namespace

SenderSearch FindSender(OperationRequest& request, std::span<const ByteBuffer> candidates,
                        RandomGenerator& generator) {
  if (request.code == OperationCode::kVerify) return FindSigner(request, candidates, generator);
  return FindEncryptedFileSender(&generator, request.sourceName, request.ownPrivateKey, candidates);
}

}  // namespace qs
