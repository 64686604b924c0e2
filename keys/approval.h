#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keys/certificate.h"

namespace qs {

// What the approval of a certificate shows for one certification, UTF-8.
struct ApprovalRow {
  std::string organisation;
  std::string keyId;      // hex
  std::string status;     // "Hittade nyckel" or "Ingen betrodd nyckel hittades"
  std::string timestamp;  // YYYY-MM-DD HH:MM local time, or "--" without a trusted key
  bool verified = false;  // picks the row's icon
};

ApprovalRow DescribeCertification(const CertificationResult& result);

// The identity a verified certification vouches for: its organisation, keyId and data
// fields (name, value) in order. Nothing for a certification without a trusted key.
struct VerifiedIdentity {
  std::string organisation;
  std::string keyId;
  std::vector<std::pair<std::string, std::string>> fields;
};

std::optional<VerifiedIdentity> VerifiedIdentityOf(const CertificationResult& result);

}  // namespace qs
