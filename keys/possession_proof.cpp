#include "keys/possession_proof.h"

#include "formats/signing_context.h"
#include "keys/record_text.h"

namespace qs {
namespace {

// The bytes of the ".public_key" file, as a signature file over it signs them: the
// whole-file container, a u32 length and the record.
ByteBuffer PublicKeyFile(const ByteBuffer& publicRecord) {
  ByteBuffer file;
  file.appendField(publicRecord);
  return file;
}

bool StartRound(SigningContext& context, const ByteBuffer& publicRecord) {
  return context.setLabel(TextString(kSignedFileLabel)) &&
         context.addData(PublicKeyFile(publicRecord).span());
}

}  // namespace

std::string PossessionProofPath(const std::string& publicKeyPath) { return publicKeyPath + ".signature"; }

std::optional<ByteBuffer> SignPossessionProof(RandomGenerator& generator, const ByteBuffer& privateRecord,
                                              const ByteBuffer& publicRecord, std::uint32_t timestamp) {
  SigningContext context(&generator);
  if (!StartRound(context, publicRecord)) return std::nullopt;
  std::optional<ByteBuffer> proof =
      context.sign(privateRecord, timestamp, RecordText(kPossessionProofMessage));
  // Checked as the authority will check it, so that a proof it would refuse is never saved.
  if (!proof || !VerifyPossessionProof(publicRecord, *proof)) return std::nullopt;
  return proof;
}

bool VerifyPossessionProof(const ByteBuffer& publicRecord, const ByteBuffer& proof) {
  SigningContext context(nullptr);
  if (!StartRound(context, publicRecord)) return false;
  std::uint32_t timestamp = 0;
  WideText message;
  return context.verify(proof, publicRecord, timestamp, message) &&
         message.units() == RecordText(kPossessionProofMessage).units();
}

}  // namespace qs
