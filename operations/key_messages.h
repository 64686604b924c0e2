#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "crypto/key_records.h"
#include "keys/key_outcome.h"
#include "keys/trusted_keys.h"

namespace qs {

// The Swedish message of an outcome, UTF-8; empty for kOk.
const char* MessageText(KeyOutcome outcome);

// As KnownKeyTypeName, with key_text::kUnknownKeyType for any other value.
std::string KeyTypeName(KeyType type);

// The warning before a certification key is approved whose Key-ID trusted keys have already:
// the Key-ID, the offered key's fingerprint and each trusted one's, one a line (hex).
std::string SharedKeyIdWarning(const std::string& keyId, const std::string& fingerprint,
                               const std::vector<std::string>& trustedFingerprints);

// What the user is told before approving a candidate whose Key-ID other trusted keys have
// (SharedKeyIdWarning, with their fingerprints in file order); nothing when none has, when
// the candidate itself is in the list, or when the list cannot be read.
std::optional<std::string> SharedKeyIdWarningFor(const std::string& workingFolder,
                                                 const TrustedKeyCandidate& candidate);

// Texts of this area that are not the outcome of an operation: questions, warnings, notices
// and what the information lists show. UTF-8.
namespace key_text {
inline constexpr char kOverwriteKeyPairQuestion[] =
    "Det finns redan ett lagrat nyckelpar. Vill du skriva över det nyckelparet?";
inline constexpr char kKeyMissing[] = "Nyckel saknas";
inline constexpr char kUnknownKeyType[] = "Okänd typ";
inline constexpr char kBackupWarning[] =
    "VARNING! Nyckelparet innehåller den privata nyckel som måste hållas hemlig, lagra det "
    "exporterade nyckelparet på en säker plats!";
inline constexpr char kBackupSaved[] = "Nyckelparet har säkerhetskopierats!";
inline constexpr char kAddNewCertKeyQuestion[] =
    "Vill du lägga till den nya publika certifieringsnyckeln som en betrodd nyckel i programmet?";
inline constexpr char kConfirmCertificationQuestion[] = "Stämmer tiden och fingerprint för användaren?";
inline constexpr char kTrustKeyQuestion[] = "Godkänner du detta som en pålitlig nyckel?";
inline constexpr char kRemoveTrustedKeyQuestion[] =
    "Är du säker på att du vill ta bort certifieringsnyckeln?";
inline constexpr char kApproveCertificateQuestion[] = "Är det här certifikatet pålitligt?";
inline constexpr char kUntrustedCertificateWarning[] = "Du bör bara använda certifikat som är pålitliga.";
inline constexpr char kTrustedKeyFound[] = "Hittade nyckel";
inline constexpr char kNoTrustedKeyFound[] = "Ingen betrodd nyckel hittades";
inline constexpr char kNoTimestamp[] = "--";
inline constexpr char kUnverifiedMark[] = "(ej verifierad)";
// Followed by the Key-IDs.
inline constexpr char kConflictingCertifications[] =
    "Varning: Samma certifieringsnyckel har certifierat olika uppgifter i certifikatets certifieringar. Den "
    "nyaste visas först; kontrollera att uppgifterna är de du väntar dig. Nyckel-ID: ";
inline constexpr char kNeedKeyName[] = "Du måste skriva in ett namn på nyckeln.";
inline constexpr char kNeedOrganisation[] = "Du måste skriva in ett namn på organisationen.";
inline constexpr char kKeyGenerationFailed[] = "Fel: Kunde inte skapa krypteringsnyckel.";
inline constexpr char kKeyPairNotSaved[] = "Fel: Kunde inte spara ned krypteringsnyckeln.";
}  // namespace key_text

}  // namespace qs
