#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qs {

// What a key, certification, certificate, trusted-list or backup operation came to. Every
// failure that the user is told about has its own value, so the GUI and the command line
// show the same words; MessageText gives them.
enum class KeyOutcome : std::uint8_t {
  kOk,
  // The stored key pair and its export.
  kNoPublicKey,         // no readable priv_key.bin to export from
  kPublicKeyNotSaved,   // the ".public_key" file could not be written
  kPublicKeyNotSigned,  // its proof of possession could not be made; nothing written
  kKeysUnavailable,     // the keys for a file command could not be gathered
  kKeyPairNotSaved,     // priv_key.bin (restore) or a backup could not be written
  kNewKeyPairNotSaved,  // a generated key pair could not be written to priv_key.bin
  kKeyPairExists,       // a key pair was stored meanwhile that nobody agreed to replace
  // Certification key pairs.
  kCertKeysNotCreated,
  kNewCertKeysUnreadable,
  kPrivateCertKeyNotWritten,
  kPublicCertKeyNotWritten,
  // Certifying a public key.
  kPublicKeyFileUnreadable,
  kPrivateCertKeyUnreadable,
  kNoDataFields,
  kPublicKeyNoFingerprint,
  kPossessionProofMissing,  // no readable signature file beside the ".public_key" file
  kPossessionProofInvalid,  // not the record's own signing key's proof over that file
  kCertificationNotCreated,
  kCertificationHeaderUnreadable,
  kCertificationNotWritten,
  // Assembling a certificate.
  kCertificationFileUnreadable,
  kNoCertificationSelected,
  kCertificateNotCreated,
  kCertificateNotWritten,
  // Trusted certification keys.
  kCertKeyBadFormat,
  kTrustedKeyDuplicate,
  kTrustedKeyNotSaved,
  kKeyFileUnreadable,
  kKeyUnreadable,
  kFingerprintUnreadable,
  kNoTrustedKeySelected,
  kTrustedListUnreadable,
  kTrustedListNotWritten,
  kStoredTrustedKeyUnreadable,
  // Backup and restore.
  kNothingToBackUp,
  kBackupNoFingerprint,
  kBackupUnreadable,
  kBackupDamaged,  // a key pair whose keys do not work: p·q ≠ n, or a private operation fails
  // Any change of a working-folder file.
  kFolderBusy,  // another program kept the working folder's lock through the whole wait
};

// The Swedish message of an outcome, UTF-8; empty for kOk.
const char* MessageText(KeyOutcome outcome);

// The warning before a certification key is approved whose Key-ID trusted keys have already:
// the Key-ID, the offered key's fingerprint and each trusted one's, one a line (hex).
std::string SharedKeyIdWarning(const std::string& keyId, const std::string& fingerprint,
                               const std::vector<std::string>& trustedFingerprints);

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
// The message of the signature that proves, when a public key is exported, that its owner
// holds its signing key (keys/possession_proof.h).
inline constexpr char kPossessionProofMessage[] = "Innehavsbevis för certifiering";
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
