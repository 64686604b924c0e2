#include "operations/messages.h"

#include "operations/key_messages.h"

namespace qs {

const char* MessageText(FileOutcome outcome) {
  switch (outcome) {
    case FileOutcome::kOk:
    case FileOutcome::kCancelled:
      return "";
    case FileOutcome::kSourceUnreadable:
      return "Fel vid läsning av källfilen.";
    case FileOutcome::kTargetUnwritable:
      return "Fel vid skrivning till målfilen.";
    case FileOutcome::kWrongKeys:
      return "Krypteringsfel, kontrollera format på fil eller om rätt sändande certifikat har använts.";
    case FileOutcome::kOtherMethod:
      return "Felaktigt format på filen, filen är krypterad med en annan krypteringsmetod.";
    case FileOutcome::kUnknown:
      break;
    case FileOutcome::kOkiOneRecipient:
      return "OKI-formatet har plats för en enda mottagare. Välj Quillseal-formatet i "
             "inställningarna för att kryptera till flera mottagare eller även till dig själv.";
    case FileOutcome::kOkiTooLarge:
      return "Filen är för stor för OKI-formatet. Filen kan krypteras om formatet ändras i "
             "inställningsdialogen.";
    case FileOutcome::kOkiEncryptionFailed:
      return "Fel vid kryptering av fil.";
    case FileOutcome::kFileUnreadable:
      return "Fel vid läsning av fil.";
    case FileOutcome::kOkiDecryptionFailed:
      return "Fel vid dekryptering av fil, kontrollera sändarens certifikat.";
    case FileOutcome::kSigningFailed:
      return "Fel vid signering av fil.";
    case FileOutcome::kSignatureMismatch:
      return "Signaturen stämmer ej mot den valda filen.";
    case FileOutcome::kTargetExists:
      return "Målfilen finns redan och har inte skrivits över.";
  }
  return "Okänt fel.";  // kUnknown, and any value outside the list
}

const char* MessageText(SettingsOutcome outcome) {
  switch (outcome) {
    case SettingsOutcome::kSaved:
      return "";
    case SettingsOutcome::kNotSaved:
      return "Kunde inte spara inställningarna.";
    case SettingsOutcome::kFolderBusy:
      return MessageText(KeyOutcome::kFolderBusy);
  }
  return "";
}

}  // namespace qs
