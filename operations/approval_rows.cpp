#include "operations/approval_rows.h"

#include "base/timestamp.h"
#include "keys/approval.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"

namespace qs {

ApprovalRow DescribeCertification(const CertificationResult& result) {
  ApprovalRow row;
  row.verified = result.status == CertificationStatus::kVerified;
  row.organisation = row.verified
                         ? DisplayText(result.organisation)
                         : std::string(key_text::kUnverifiedMark) + ' ' + DisplayText(result.organisation);
  row.keyId = HexString(result.keyId);
  row.status = row.verified ? key_text::kTrustedKeyFound : key_text::kNoTrustedKeyFound;
  row.timestamp = row.verified ? FormatTimestamp(result.timestamp).str() : key_text::kNoTimestamp;
  return row;
}

std::string ConflictWarning(const CertificationResults& results) {
  const std::vector<std::string> keyIds = ConflictingKeyIds(results);
  if (keyIds.empty()) return {};
  std::string warning = key_text::kConflictingCertifications;
  for (std::size_t i = 0; i < keyIds.size(); ++i) warning += (i ? ", " : "") + keyIds[i];
  return warning;
}

}  // namespace qs
