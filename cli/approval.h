#pragma once
#include <string>

#include "cli/session.h"
#include "keys/certificate.h"

namespace qs::cli {

// Prints what the approval dialog shows (each certification's organisation, key id, status,
// timestamp and data fields, then the fingerprint) and approves: --expect-fingerprint
// decides alone (a mismatch is refused), else --yes, else the user's answer on a terminal;
// without a terminal nothing is approved. False after a message saying why.
bool ApproveCertificate(Session& session, const CertificationResults& results, const std::string& fingerprint);

// The same for one certification key about to be trusted.
bool ApproveTrustedKey(Session& session, const std::string& organisation, const std::string& keyId,
                       const std::string& fingerprint);

}  // namespace qs::cli
