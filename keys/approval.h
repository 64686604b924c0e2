#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keys/certificate.h"
#include "keys/data_fields.h"

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

// The identity a verified certification vouches for: its organisation, keyId and data
// fields (name, value) in order. Nothing for a certification without a trusted key.
struct VerifiedIdentity {
  std::string organisation;
  std::string keyId;
  std::vector<std::pair<std::string, std::string>> fields;
};

std::optional<VerifiedIdentity> VerifiedIdentityOf(const CertificationResult& result);

// The holder of a certificate chooses the order of its certifications, and the approval
// shows the first one's identity. Where one authority verifiably certified different data
// fields, its certifications are put together at the place of the first of them, newest
// first (equal times in the holder's order); every other result keeps its place.
void OrderForApproval(CertificationResults& results);

// The warning to show before the approval when some authority certified different data
// fields, naming the Key-IDs of those authorities; empty when none did.
std::string ConflictWarning(const CertificationResults& results);

// True when one verified certification holds every expected field (name and value exactly)
// and no certification of its authority that is at least as new holds other fields: an
// authority's newest word about the key is the one that counts.
bool VouchesFor(const CertificationResults& results, const std::vector<DataField>& expected);

}  // namespace qs
