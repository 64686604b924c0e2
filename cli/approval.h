#pragma once
#include <string>
#include <utility>
#include <vector>

#include "cli/session.h"

namespace qs::cli {

// What the approval dialogs show, as text.
struct ApprovalRow {
  std::string organisation;
  std::string keyId;
  bool trusted = false;          // a trusted key with this id exists and the signature holds
  std::string timestamp;         // "YYYY-MM-DD HH:MM" when trusted
  std::vector<std::pair<std::string, std::string>> fields;  // when trusted
};

// Prints the rows and the fingerprint, then approves: --expect-fingerprint decides alone
// (a mismatch is refused), else --yes, else the user's answer to question on a terminal;
// without a terminal nothing is approved. False after a message saying why.
bool ApproveCertificate(Session& session, const std::vector<ApprovalRow>& rows, const std::string& fingerprint);

// The same for one certification key about to be trusted.
bool ApproveTrustedKey(Session& session, const std::string& organisation, const std::string& keyId,
                       const std::string& fingerprint);

}  // namespace qs::cli
