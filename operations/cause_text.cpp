#include "operations/cause_text.h"

namespace qs {
namespace {

std::string FindingText(const FileCause& cause) {
  switch (cause.finding) {
    case Finding::kNone:
      return "";
    case Finding::kSystem:
      return FileErrorText(cause.error);
    case Finding::kSameFile:
      return "målfilen är samma fil som källfilen";
    case Finding::kTruncated:
      if (cause.of == 0) return "filen är avkortad";
      return "filen är avkortad (slutar efter " + GroupedDigits(cause.at) + " av " + GroupedDigits(cause.of) +
             " byte)";
    case Finding::kTrailingBytes:
      return "filen har byte efter sitt slut och har ändrats";
    case Finding::kNotEncryptedFile:
      return "filen är inte en krypterad fil";
    case Finding::kNotSignatureFile:
      return "filen är inte en signaturfil";
    case Finding::kOtherMethod:
      return "filen är krypterad med en annan metod";
    case Finding::kDamaged:
      return "filen är skadad eller ändrad";
    case Finding::kDamagedChunk:
      return "filen är skadad eller ändrad (del " + GroupedDigits(cause.at) + " av " +
             GroupedDigits(cause.of) + ")";
    case Finding::kNotForThisKey:
      return "filen är krypterad för en annan nyckel eller skadad";
    case Finding::kNotBySender:
      return "filen är inte signerad av den valda avsändaren";
    case Finding::kSignatureMismatch:
      return "filen har ändrats eller signaturen är inte gjord av avsändaren";
    case Finding::kTooLarge:
      if (cause.of == 0) return "filen är för stor för formatet";
      return "filen är för stor för formatet (" + GroupedDigits(cause.at) + " byte, högst " +
             GroupedDigits(cause.of) + ")";
  }
  return "";
}

}  // namespace

std::string GroupedDigits(std::uint64_t n) {
  // Built forwards: GCC's release build sees a false overlap in string::insert.
  const std::string digits = std::to_string(n);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ' ';
    grouped += digits[i];
  }
  return grouped;
}

std::string FileErrorText(platform::FileError error) {
  using platform::FileError;
  switch (error) {
    case FileError::kNone:
      return "";
    case FileError::kNotFound:
      return "filen finns inte";
    case FileError::kNoFolder:
      return "mappen finns inte";
    case FileError::kIsFolder:
      return "det är en mapp, inte en fil";
    case FileError::kNotPlainFile:
      return "det är ingen vanlig fil";
    case FileError::kNoPermission:
      return "behörighet saknas";
    case FileError::kDiskFull:
      return "disken är full";
    case FileError::kNameTooLong:
      return "namnet är för långt";
    case FileError::kReadOnly:
      return "disken är skrivskyddad";
    case FileError::kInUse:
      return "filen används av ett annat program";
    case FileError::kOther:
      break;
  }
  return "systemet kunde inte läsa eller skriva filen";
}

std::string CauseText(const FileCause& cause) {
  const std::string text = FindingText(cause);
  if (text.empty() || cause.file.empty()) return text;
  return cause.file + ": " + text;
}

std::string SystemCauseText(const std::string& file) {
  return CauseText(FileCause{file, Finding::kSystem, platform::LastFileError()});
}

namespace {

std::string KeyFindingText(KeyFinding finding) {
  switch (finding) {
    case KeyFinding::kNone:
      return "";
    case KeyFinding::kNotKeyFile:
      return "filen är ingen fil som Quillseal skriver";
    case KeyFinding::kNotCertificate:
      return "filen är inte ett certifikat";
    case KeyFinding::kCertKeyNotCertificate:
      return "filen är en certifieringsnyckel, inte ett certifikat";
    case KeyFinding::kNotPublicKey:
      return "filen är inte en publik nyckel";
    case KeyFinding::kNotPublicCertKey:
      return "filen är inte en publik certifieringsnyckel";
    case KeyFinding::kNotCertification:
      return "filen är inte en certifiering";
    case KeyFinding::kNotKeyPair:
      return "filen innehåller inget nyckelpar";
    case KeyFinding::kUntrustedCertification:
      return "en certifiering i filen är inte gjord av den betrodda certifieringsnyckeln med samma Nyckel-ID";
    case KeyFinding::kLockDamaged:
      return "nyckelns skydd är skadat; återställ nyckeln från en säkerhetskopia";
    case KeyFinding::kLockCostRefused:
      return "nyckeln är skyddad med en lösenfras vars kostnad är större än Quillseal tillåter";
    case KeyFinding::kLockedToWindows:
      return "nyckeln är låst till ett Windows-konto och kan bara öppnas av det kontot på den datorn";
    case KeyFinding::kLockedToOtherAccount:
      return "nyckeln är låst till ett annat Windows-konto eller en annan dator och kan inte öppnas här; "
             "återställ den från en säkerhetskopia";
    case KeyFinding::kWrongPassphrase:
      return "fel lösenfras för nyckeln";
    case KeyFinding::kPassphraseNotGiven:
      return "nyckeln är skyddad med en lösenfras, och ingen lösenfras gavs";
  }
  return "";
}

}  // namespace

std::string KeyCauseText(const KeyCause& cause) {
  const std::string found = KeyFindingText(cause.finding);
  if (found.empty()) return CauseText(cause.file);
  return cause.file.file.empty() ? found : cause.file.file + ": " + found;
}

}  // namespace qs
