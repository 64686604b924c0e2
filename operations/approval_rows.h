#pragma once
#include <string>

#include "keys/certificate.h"

namespace qs {

// What the approval of a certificate shows for one certification, UTF-8 with every text
// from the certificate escaped (DisplayText).
struct ApprovalRow {
  // The trusted key's organisation; without a trusted key, what the certificate's sender
  // wrote, behind key_text::kUnverifiedMark so that it cannot pass for a verified one.
  std::string organisation;
  std::string keyId;      // hex
  std::string status;     // "Hittade nyckel" or "Ingen betrodd nyckel hittades"
  std::string timestamp;  // YYYY-MM-DD HH:MM local time, or "--" without a trusted key
  bool verified = false;  // picks the row's icon
};

ApprovalRow DescribeCertification(const CertificationResult& result);

// The warning to show before the approval when some authority certified different data
// fields, naming the Key-IDs of those authorities (ConflictingKeyIds); empty when none did.
std::string ConflictWarning(const CertificationResults& results);

}  // namespace qs
