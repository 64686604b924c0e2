#include "keys/approval.h"

#include "base/timestamp.h"
#include "keys/messages.h"
#include "keys/record_text.h"

namespace qs {

ApprovalRow DescribeCertification(const CertificationResult& result) {
  ApprovalRow row;
  row.organisation = DisplayText(result.organisation);
  row.keyId = HexString(result.keyId);
  row.verified = result.status == CertificationStatus::kVerified;
  row.status = row.verified ? key_text::kTrustedKeyFound : key_text::kNoTrustedKeyFound;
  row.timestamp = row.verified ? FormatTimestamp(result.timestamp).str() : key_text::kNoTimestamp;
  return row;
}

std::optional<VerifiedIdentity> VerifiedIdentityOf(const CertificationResult& result) {
  if (result.status != CertificationStatus::kVerified) return std::nullopt;
  VerifiedIdentity identity;
  identity.organisation = DisplayText(result.organisation);
  identity.keyId = HexString(result.keyId);
  for (const DataField& field : result.fields) {
    identity.fields.emplace_back(DisplayText(field.name), DisplayText(field.value));
  }
  return identity;
}

}  // namespace qs
