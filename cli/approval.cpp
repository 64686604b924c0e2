#include "cli/approval.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <sstream>

#include "base/visible_text.h"
#include "cli/messages.h"
#include "keys/approval.h"
#include "keys/record_text.h"
#include "operations/approval_rows.h"
#include "operations/key_messages.h"
#include "platform/console.h"

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
  // What it takes without a terminal.
  const char* noTerminal;
  // Why --yes alone does not approve this; nothing when it does.
  const char* yesNotEnough = nullptr;
};

// The details are shown on stderr, as is the question: stdout is for results alone. With
// --quiet, details that no question follows are left out.
void ShowDetails(Session& session, const std::string& details) {
  if (!session.options().quiet) session.io().err << details << std::flush;
}

// The common decision on what the details show: --expect-fingerprint decides alone, then
// --yes where it is enough, then the user's answer on a terminal.
bool Decide(Session& session, const std::string& details, const std::string& fingerprint,
            const Question& question) {
  Io& io = session.io();
  const GlobalOptions& options = session.options();
  if (options.expectFingerprint) {
    ShowDetails(session, details);
    if (Upper(*options.expectFingerprint) == fingerprint) return true;
    session.fail(cli_text::kFingerprintMismatch, kNotApproved);
    return false;
  }
  if (options.yes && question.yesNotEnough == nullptr) {
    ShowDetails(session, details);
    return true;
  }
  if (!io.inputIsTerminal) {
    ShowDetails(session, details);
    session.fail(options.yes ? question.yesNotEnough : question.noTerminal, kNotApproved);
    return false;
  }
  io.err << details << question.text << cli_text::kYesNoPrompt << std::flush;
  std::string answer;
  std::getline(io.in, answer);
  // Ctrl-C ends the read of the answer; the command stops as at any other moment.
  if (platform::InterruptRequested()) {
    session.io().err << '\n';
    session.interrupted();
    return false;
  }
  const std::string a = Upper(answer);
  if (a == "J" || a == "JA" || a == "Y" || a == "YES") return true;
  session.fail(question.declined, kNotApproved);
  return false;
}

}  // namespace

bool ApproveCertificate(Session& session, const CertificationResults& results,
                        const std::string& fingerprint) {
  if (const std::string warning = ConflictWarning(results); !warning.empty()) session.tell(warning);
  std::ostringstream out;
  out << cli_text::kCertificationsLabel << '\n';
  if (results.empty()) out << "  " << cli_text::kNoCertifications << '\n';
  for (const CertificationResult& result : results) {
    const ApprovalRow row = DescribeCertification(result);
    // What the sender wrote as the organisation of an unverified certification is left out:
    // padded, it would wrap on a terminal into lines that look like a verified one's.
    out << "  " << cli_text::kOrganisationLabel
        << (row.verified ? row.organisation : key_text::kUnverifiedMark) << "\n  " << cli_text::kPaddedKeyId
        << row.keyId << "\n  " << cli_text::kPaddedStatus << row.status << "\n  "
        << cli_text::kPaddedTimestamp << row.timestamp << '\n';
    if (const std::optional<VerifiedIdentity> identity = VerifiedIdentityOf(result)) {
      for (const auto& [name, value] : identity->fields) out << "    " << name << ": " << value << '\n';
    }
  }
  out << cli_text::kFingerprintLabel << fingerprint << '\n';
  const std::vector<DataField>& expected = session.options().expectFields;
  if (!expected.empty() && !VouchesFor(results, expected)) {
    ShowDetails(session, out.str());
    session.fail(cli_text::kExpectedFieldsNotCertified, kNotApproved);
    return false;
  }
  // A certified key is still only the person the script expects when the script says whom.
  return Decide(session, out.str(), fingerprint,
                {key_text::kApproveCertificateQuestion, key_text::kUntrustedCertificateWarning,
                 expected.empty() ? cli_text::kCertificateApprovalNeeded : cli_text::kApprovalNeeded,
                 expected.empty() ? cli_text::kYesNeedsExpectation : nullptr});
}

bool ApproveTrustedKey(Session& session, const std::string& organisation, const std::string& keyId,
                       const std::string& fingerprint) {
  std::ostringstream out;
  out << cli_text::kCertificationKeyLabel << "\n  " << cli_text::kOrganisationLabel << organisation << "\n  "
      << cli_text::kPaddedKeyId << keyId << "\n  " << cli_text::kPaddedFingerprint << fingerprint << '\n';
  // Every later approval rests on this list, so --yes never adds to it.
  return Decide(session, out.str(), fingerprint,
                {key_text::kTrustKeyQuestion, cli_text::kKeyNotAdded, cli_text::kTrustApprovalNeeded,
                 cli_text::kYesCannotTrust});
}

bool ApproveCertification(Session& session, const std::string& publicKeyName, const std::string& timestamp,
                          const std::vector<DataField>& fields, const std::string& fingerprint) {
  std::ostringstream out;
  out << cli_text::kCertificationOf << VisibleText(publicKeyName) << ":\n  "
      << cli_text::kCertificationTimestampLabel << timestamp << '\n';
  for (const DataField& field : fields)
    out << "    " << DisplayText(field.name) << ": " << DisplayText(field.value) << '\n';
  out << cli_text::kFingerprintLabel << fingerprint << '\n';
  return Decide(
      session, out.str(), fingerprint,
      {key_text::kConfirmCertificationQuestion, cli_text::kNoCertificationMade, cli_text::kApprovalNeeded});
}

}  // namespace qs::cli
