#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "base/byte_buffer.h"

namespace qs {

class RandomGenerator;

// An authority signs whatever "PublicKey" record it is given, so a record that joins one
// person's encryption key to another's signing key would be certified under the first
// person's name, and every signature of the second would then verify as his. Before it
// certifies, the authority therefore asks for proof that the record's signing key is the
// requester's own: an ordinary signature file over the exported ".public_key" file, made
// with that signing key when the key is exported, carrying kPossessionProofMessage
// (so that no signature the owner made over some document counts as one), and saved beside
// the key file.

// The proof's signature message. It is part of the file, compared byte for byte when a proof
// is checked, so it lives here with the format rather than among the texts; UTF-8, written
// with an escape so that this file holds no user text.
inline constexpr char kPossessionProofMessage[] = "Innehavsbevis f\u00f6r certifiering";

// Where the proof of a ".public_key" file lies unless told otherwise: "<file>.signature".
std::string PossessionProofPath(const std::string& publicKeyPath);

// The "Signature" record (a signature file's content) over the ".public_key" file that
// holds exactly this "PublicKey" record, by the signing key of the "PrivateKey" record of the
// same pair; nothing when signing fails (for example below a generator credit of 1024) or
// the signature does not verify with the public record, as when the stored pair's halves
// differ.
std::optional<ByteBuffer> SignPossessionProof(RandomGenerator& generator, const ByteBuffer& privateRecord,
                                              const ByteBuffer& publicRecord, std::uint32_t timestamp);

// True when proof (a signature file's content) is a "SignedFile" signature with the proof's
// message over the ".public_key" file holding exactly this record, by the signing key inside
// the record.
bool VerifyPossessionProof(const ByteBuffer& publicRecord, const ByteBuffer& proof);

}  // namespace qs
