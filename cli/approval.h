#pragma once
#include <string>
#include <vector>

#include "cli/session.h"
#include "keys/certificate.h"
#include "keys/data_fields.h"

namespace qs::cli {

// Prints what the approval dialog shows (each certification's organisation, key id, status,
// timestamp and data fields, then the fingerprint; an unverified certification's
// organisation only as unverified), after a warning when one authority certified different
// fields, and approves. Every --expect-field must be held by one verified certification
// (VouchesFor), else it is refused; then --expect-fingerprint decides alone (a mismatch is
// refused), else --yes when --expect-field was given, else the user's answer on a terminal;
// without a terminal nothing else is approved. False after a message saying why.
bool ApproveCertificate(Session& session, const CertificationResults& results,
                        const std::string& fingerprint);

// The same for one certification key about to be trusted, where --yes is never enough.
bool ApproveTrustedKey(Session& session, const std::string& organisation, const std::string& keyId,
                       const std::string& fingerprint);

// The same for a public key about to be certified, showing what is signed; --yes approves.
bool ApproveCertification(Session& session, const std::string& publicKeyName, const std::string& timestamp,
                          const std::vector<DataField>& fields, const std::string& fingerprint);

}  // namespace qs::cli
