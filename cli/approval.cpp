#include "cli/approval.h"

#include <cctype>
#include <istream>
#include <ostream>

#include "keys/approval.h"

namespace qs::cli {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The common decision once the details have been printed.
bool Decide(Session& session, const std::string& fingerprint, const char* question, const char* declined) {
  Io& io = session.io();
  const GlobalOptions& options = session.options();
  if (options.expectFingerprint) {
    if (Upper(*options.expectFingerprint) == fingerprint) return true;
    session.fail("Fingerprint stämmer inte med --expect-fingerprint; inget har godkänts.");
    return false;
  }
  if (options.yes) return true;
  if (!io.inputIsTerminal) {
    session.fail("Godkännande krävs: kör i en terminal, eller ange --yes eller --expect-fingerprint.");
    return false;
  }
  io.out << question << " [j/N] " << std::flush;
  std::string answer;
  std::getline(io.in, answer);
  const std::string a = Upper(answer);
  if (a == "J" || a == "JA" || a == "Y" || a == "YES") return true;
  session.fail(declined);
  return false;
}

}  // namespace

bool ApproveCertificate(Session& session, const CertificationResults& results, const std::string& fingerprint) {
  std::ostream& out = session.io().out;
  out << "Certifieringar:\n";
  if (results.empty()) out << "  (inga)\n";
  for (const CertificationResult& result : results) {
    const ApprovalRow row = DescribeCertification(result);
    out << "  Organisation: " << row.organisation << "\n  Nyckel-ID:    " << row.keyId
        << "\n  Status:       " << row.status << "\n  Tidstämpel:   " << row.timestamp << '\n';
    if (const std::optional<VerifiedIdentity> identity = VerifiedIdentityOf(result)) {
      for (const auto& [name, value] : identity->fields) out << "    " << name << ": " << value << '\n';
    }
  }
  out << "Fingerprint: " << fingerprint << '\n';
  return Decide(session, fingerprint, "Är det här certifikatet pålitligt?",
                "Du bör bara använda certifikat som är pålitliga.");
}

bool ApproveTrustedKey(Session& session, const std::string& organisation, const std::string& keyId,
                       const std::string& fingerprint) {
  session.io().out << "Certifieringsnyckel:\n  Organisation: " << organisation << "\n  Nyckel-ID:    " << keyId
                   << "\n  Fingerprint:  " << fingerprint << '\n';
  return Decide(session, fingerprint, "Godkänner du detta som en pålitlig nyckel?", "Nyckeln lades inte till.");
}

}  // namespace qs::cli
