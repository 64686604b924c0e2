#include "operations/key_messages.h"

#include "keys/key_store.h"
#include "keys/record_text.h"

namespace qs {

const char* MessageText(KeyOutcome outcome) {
  switch (outcome) {
    case KeyOutcome::kOk:
      return "";
    case KeyOutcome::kNoPublicKey:
      return "Hittade ingen publik nyckel!";
    case KeyOutcome::kPublicKeyNotSaved:
      return "Kunde inte spara nyckeln!";
    case KeyOutcome::kPublicKeyNotSigned:
      return "Kunde inte signera den publika nyckeln, så den sparades inte!";
    case KeyOutcome::kKeysUnavailable:
      return "Fel: Kunde inte hämta krypteringsnycklar!";
    case KeyOutcome::kKeyPairNotSaved:
      return "Fel: Kunde inte spara krypteringsnyckeln.";
    case KeyOutcome::kKeyPairNotGenerated:
      return key_text::kKeyGenerationFailed;
    case KeyOutcome::kNewKeyPairNotSaved:
      return key_text::kKeyPairNotSaved;
    case KeyOutcome::kKeyPairExists:
      return "Ett annat program har sparat ett nyckelpar under tiden. Det har inte skrivits över.";
    case KeyOutcome::kCertKeysNotCreated:
      return "Fel: Kunde inte skapa krypteringsnycklar.";
    case KeyOutcome::kNewCertKeysUnreadable:
      return "Fel: Kunde inte läsa nya krypteringsnycklar.";
    case KeyOutcome::kPrivateCertKeyNotWritten:
      return "Fel: Kunde inte skriva den privata nyckel till fil.";
    case KeyOutcome::kPublicCertKeyNotWritten:
      return "Fel: Kunde inte skriva den publika nyckel till fil.";
    case KeyOutcome::kPublicKeyFileUnreadable:
      return "Kunde inte läsa publika nyckelfilen!";
    case KeyOutcome::kPrivateCertKeyUnreadable:
      return "Kunde inte läsa privata certifieringsnyckeln!";
    case KeyOutcome::kNoDataFields:
      return "Du måste ange minst ett datafält i certifieringen!";
    case KeyOutcome::kPublicKeyNoFingerprint:
      return "Kunde inte läsa från den publika nyckeln!";
    case KeyOutcome::kPossessionProofMissing:
      return "Hittade inget innehavsbevis för den publika nyckeln! Be nyckelns ägare exportera den igen "
             "och skicka både .public_key-filen och dess .signature-fil.";
    case KeyOutcome::kPossessionProofInvalid:
      return "Innehavsbeviset är inte gjort med den publika nyckelns egen signeringsnyckel över just "
             "denna fil! Nyckeln certifieras inte.";
    case KeyOutcome::kCertificationNotCreated:
      return "Kunde int skapa certifiering!";
    case KeyOutcome::kCertificationHeaderUnreadable:
      return "Fel vid certifiering!";
    case KeyOutcome::kCertificationNotWritten:
      return "Kunde inte skriva certifiering till fil!";
    case KeyOutcome::kCertificationFileUnreadable:
      return "Kunde inte läsa certifiering från fil!";
    case KeyOutcome::kNoCertificationSelected:
      return "Ingen certifiering är vald i listan.";
    case KeyOutcome::kCertificateNotCreated:
      return "Kunde inte skapa certifikatet. Kontrollera att certifieringarna gäller för den publika "
             "nyckeln tillhörande den lagrade privata nyckeln och ingen annan nyckel.";
    case KeyOutcome::kCertificateNotWritten:
      return "Kunde inte skriva till fil!";
    case KeyOutcome::kCertKeyBadFormat:
      return "Felaktigt format på certifieringsnyckeln!";
    case KeyOutcome::kTrustedKeyDuplicate:
      return "Denna nyckel finns redan i listan av betrodda nycklar!";
    case KeyOutcome::kTrustedKeyNotSaved:
      return "Kunde inte spara certifieringsnyckeln!";
    case KeyOutcome::kKeyFileUnreadable:
      return "Kunde inte läsa nyckelfilen!";
    case KeyOutcome::kKeyUnreadable:
      return "Kunde inte läsa nyckeln!";
    case KeyOutcome::kFingerprintUnreadable:
      return "Kunde inte läsa fingerprint!";
    case KeyOutcome::kNoTrustedKeySelected:
      return "Ingen nyckel är vald i listan!";
    case KeyOutcome::kTrustedListUnreadable:
      return "Kunde inte läsa in listan.";
    case KeyOutcome::kTrustedListNotWritten:
      return "Kunde inte skriva uppdaterade listan av nycklar.";
    case KeyOutcome::kStoredTrustedKeyUnreadable:
      return "Kunde inte läsa lagrad nyckel!";
    case KeyOutcome::kNothingToBackUp:
      return "Det finns ingen privat nyckel att säkerhetskopiera.";
    case KeyOutcome::kBackupNoFingerprint:
      return "Fel: Kunde inte läsa fingerprint.";
    case KeyOutcome::kBackupUnreadable:
      return "Fel: Kunde inte läsa säkerhetskopian.";
    case KeyOutcome::kBackupDamaged:
      return "Fel: Säkerhetskopian är skadad, dess nycklar fungerar inte. Det lagrade nyckelparet har inte "
             "ändrats.";
    case KeyOutcome::kFolderBusy:
      return "Arbetsmappen används av ett annat Quillseal-program just nu. Försök igen om en stund.";
  }
  return "";
}

std::string KeyTypeName(KeyType type) { return KnownKeyTypeName(type).value_or(key_text::kUnknownKeyType); }

std::string SharedKeyIdWarning(const std::string& keyId, const std::string& fingerprint,
                               const std::vector<std::string>& trustedFingerprints) {
  std::string text = "Varning! Nyckel-ID " + keyId +
                     " finns redan i listan av betrodda nycklar, men för en annan nyckel.\n"
                     "Den valda nyckelns fingerprint: " +
                     fingerprint + "\n";
  for (const std::string& trusted : trustedFingerprints) {
    text += "Betrodd nyckel med samma Nyckel-ID: " + trusted + "\n";
  }
  text +=
      "Nyckel-ID väljs fritt av den som skapar en nyckel. Godkänn bara nyckeln om du har kontrollerat "
      "dess fingerprint med utfärdaren, och ta bort den betrodda nyckel som inte är äkta.";
  return text;
}

std::optional<std::string> SharedKeyIdWarningFor(const std::string& workingFolder,
                                                 const TrustedKeyCandidate& candidate) {
  std::vector<std::string> others;
  for (const ByteBuffer& entry : ReadTrustedKeys(workingFolder)) {
    // The key itself is trusted already, and adding it is refused as the duplicate it is.
    if (entry.equals(candidate.record)) return std::nullopt;
    const std::optional<CertKeyHeader> header = ReadCertKeyHeader(entry);
    const std::optional<ByteBuffer> fingerprint = ComputeFingerprint(entry);
    if (header && fingerprint && header->keyId.equals(candidate.header.keyId)) {
      others.push_back(HexString(*fingerprint));
    }
  }
  if (others.empty()) return std::nullopt;
  return SharedKeyIdWarning(HexString(candidate.header.keyId), HexString(candidate.fingerprint), others);
}

}  // namespace qs
