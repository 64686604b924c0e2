#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "base/byte_buffer.h"
#include "formats/file_result.h"

namespace qs {

class RandomGenerator;

// Which of several possible senders signed an encrypted file of either format, found before
// anything is decrypted: the native header's signature, or the OKI format's signature over
// its key capsule, checked against each candidate's "PublicKey" record in turn. Only the
// signature is checked; decryption then checks everything with the one found.
struct SenderSearch {
  std::optional<std::size_t> sender;  // the index of the candidate whose signature it is
  // Without a sender, what was wrong: kNotBySender when every signature check failed, else
  // what kept the file from being read that far.
  FileCause cause;
};

SenderSearch FindEncryptedFileSender(RandomGenerator* generator, const std::string& source,
                                     const ByteBuffer& recipientPrivate,
                                     std::span<const ByteBuffer> candidates);

}  // namespace qs
