#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keys/certificate.h"
#include "keys/data_fields.h"

namespace qs {

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

// The Key-IDs (hex, each once, in order) of the authorities that verifiably certified
// different data fields in one certificate: the user is warned about them (ConflictWarning).
std::vector<std::string> ConflictingKeyIds(const CertificationResults& results);

// True when one verified certification holds every expected field (name and value exactly)
// and no certification of its authority that is at least as new holds other fields: an
// authority's newest word about the key is the one that counts.
bool VouchesFor(const CertificationResults& results, const std::vector<DataField>& expected);

}  // namespace qs
