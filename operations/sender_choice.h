#pragma once
#include <span>

#include "base/byte_buffer.h"
#include "formats/sender_search.h"
#include "operations/file_operation.h"

namespace qs {

// Which of the candidates' "PublicKey" records sent the decryption's source or made the
// verification's signature, so that only that one is approved. A decryption looks at the
// signature of the header or key capsule alone; a verification verifies the signature with
// each candidate until one matches. Without a match the cause says why: kNotBySender or
// kSignatureMismatch when no candidate's signature it is.
SenderSearch FindSender(OperationRequest& request, std::span<const ByteBuffer> candidates,
                        RandomGenerator& generator);

}  // namespace qs
