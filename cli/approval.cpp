#include "cli/approval.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "base/visible_text.h"
#include "cli/messages.h"
#include "keys/approval.h"
#include "keys/record_text.h"
#include "operations/approval_rows.h"
#include "operations/key_messages.h"

namespace qs::cli {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// What the user is asked to approve, and what --yes may approve of it.
struct Question {
  const char* text;
  const char* declined;
  // Why --yes alone does not approve this; nothing when it does.
  const char* yesNotEnough = nullptr;
};

// The common decision once the details have been printed: --expect-fingerprint decides alone,
// then --yes where it is enough, then the user's answer on a terminal.
bool Decide(Session& session, const std::string& fingerprint, const Question& question) {
  Io& io = session.io();
  const GlobalOptions& options = session.options();
  if (options.expectFingerprint) {
    if (Upper(*options.expectFingerprint) == fingerprint) return true;
    session.fail(cli_text::kFingerprintMismatch);
    return false;
  }
  if (options.yes && question.yesNotEnough == nullptr) return true;
  if (!io.inputIsTerminal) {
    session.fail(options.yes ? question.yesNotEnough : cli_text::kApprovalNeeded);
    return false;
  }
  io.out << question.text << " [j/N] " << std::flush;
  std::string answer;
  std::getline(io.in, answer);
  const std::string a = Upper(answer);
  if (a == "J" || a == "JA" || a == "Y" || a == "YES") return true;
  session.fail(question.declined);
  return false;
}

}  // namespace

bool ApproveCertificate(Session& session, const CertificationResults& results,
                        const std::string& fingerprint) {
  if (const std::string warning = ConflictWarning(results); !warning.empty()) session.tell(warning);
  std::ostream& out = session.io().out;
  out << "Certifieringar:\n";
  if (results.empty()) out << "  (inga)\n";
  for (const CertificationResult& result : results) {
    const ApprovalRow row = DescribeCertification(result);
    // What the sender wrote as the organisation of an unverified certification is left out:
    // padded, it would wrap on a terminal into lines that look like a verified one's.
    out << "  Organisation: " << (row.verified ? row.organisation : key_text::kUnverifiedMark)
        << "\n  Nyckel-ID:    " << row.keyId << "\n  Status:       " << row.status
        << "\n  Tidstämpel:   " << row.timestamp << '\n';
    if (const std::optional<VerifiedIdentity> identity = VerifiedIdentityOf(result)) {
      for (const auto& [name, value] : identity->fields) out << "    " << name << ": " << value << '\n';
    }
  }
  out << "Fingerprint: " << fingerprint << '\n';
  const std::vector<DataField>& expected = session.options().expectFields;
  if (!expected.empty() && !VouchesFor(results, expected)) {
    session.fail(cli_text::kExpectedFieldsNotCertified);
    return false;
  }
  // A certified key is still only the person the script expects when the script says whom.
  return Decide(session, fingerprint,
                {key_text::kApproveCertificateQuestion, key_text::kUntrustedCertificateWarning,
                 expected.empty() ? cli_text::kYesNeedsExpectation : nullptr});
}

bool ApproveTrustedKey(Session& session, const std::string& organisation, const std::string& keyId,
                       const std::string& fingerprint) {
  session.io().out << "Certifieringsnyckel:\n  Organisation: " << organisation
                   << "\n  Nyckel-ID:    " << keyId << "\n  Fingerprint:  " << fingerprint << '\n';
  // Every later approval rests on this list, so --yes never adds to it.
  return Decide(session, fingerprint,
                {key_text::kTrustKeyQuestion, cli_text::kKeyNotAdded, cli_text::kYesCannotTrust});
}

bool ApproveCertification(Session& session, const std::string& publicKeyName, const std::string& timestamp,
                          const std::vector<DataField>& fields, const std::string& fingerprint) {
  std::ostream& out = session.io().out;
  out << "Certifiering av " << VisibleText(publicKeyName) << ":\n  Tidsstämpel: " << timestamp << '\n';
  for (const DataField& field : fields)
    out << "    " << DisplayText(field.name) << ": " << DisplayText(field.value) << '\n';
  out << "Fingerprint: " << fingerprint << '\n';
  return Decide(session, fingerprint,
                {key_text::kConfirmCertificationQuestion, cli_text::kNoCertificationMade});
}

}  // namespace qs::cli
