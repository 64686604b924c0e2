#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/byte_buffer.h"
#include "keys/key_result.h"
#include "keys/key_store.h"

namespace qs {

// The certifications gathered for a new personal certificate, in the order they were added.
// Only certifications are taken, so every entry has its row and a row's index is its entry.
class PendingCertifications {
 public:
  struct Row {
    std::string organisation;  // UTF-8
    std::string keyId;         // hex
  };

  // Reads a ".certification" file and appends it; kCertificationFileUnreadable when it
  // cannot be read or is not a "Certification" record of version 0.
  KeyStatus add(const std::string& path);
  // kNoCertificationSelected without a row or for a row past the end.
  KeyOutcome remove(std::optional<std::size_t> row);
  void clear();

  std::vector<Row> rows() const;
  const std::vector<ByteBuffer>& contents() const { return contents_; }
  const std::vector<std::string>& paths() const { return paths_; }
  bool empty() const { return contents_.empty(); }

 private:
  std::vector<ByteBuffer> contents_;
  std::vector<std::string> paths_;
};

struct PersonalCertificate {
  ByteBuffer record;          // "Certificate"
  std::string suggestedName;  // the key name as a safe file name
};

// The certificate of the own public key (as read when the certifications were gathered)
// with every pending certification; kCertificateNotCreated when one was made for another
// key or the public record is not a "PublicKey" record.
KeyResult<PersonalCertificate> MakePersonalCertificate(const StoredKeyPair& own,
                                                       const PendingCertifications& pending);

// kCertificateNotWritten when the file cannot be written or names priv_key.bin or one of
// the pending certification files.
KeyStatus WritePersonalCertificate(const std::string& workingFolder, const std::string& path,
                                   const ByteBuffer& record, const PendingCertifications& pending);

}  // namespace qs
