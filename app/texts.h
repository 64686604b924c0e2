#pragma once
// Every Swedish text the controllers show or set (UTF-8). Texts that never change live in
// the dialog resources; the outcomes of key operations have theirs in keys/messages.h.

namespace qs::text {

// Start-up
inline constexpr char kNoWorkingFolder[] = "Fel: Kunde inte välja arbetsmapp!";
inline constexpr char kNoGenerator[] = "Fel: Kunde inte initiera slumptalsgenerator!";
inline constexpr char kOfferKeyPair[] =
    "Det finns inget nyckelpar lagrat i programmet. Vill du skapa ett nytt nyckelpar?";

// Main dialog and its file commands
inline constexpr char kNoSourceName[] = "Du måste ange ett filnamn på källfilen!";
inline constexpr char kGeneratorNotReady[] = "Fel: Slumptalsgeneratorn är inte initierad!";
inline constexpr char kEncryptAgain[] = "Vill du kryptera filen ytterligare en gång?";
inline constexpr char kSignSignature[] = "Vill du signera den digitala signaturen?";
inline constexpr char kVerifySignatureFile[] =
    "Källfilen är en signaturfil, antagligen vill du välja den andra filen som datakälla istället. "
    "Vill du verkligen verifiera en signatur över en signaturfil? ";
inline constexpr char kRecipientCertificateTitle[] = "Välj mottagarens certifikat...";
inline constexpr char kSenderCertificateTitle[] = "Välj sändarens certifikat...";

// Progress dialog and the operation worker
inline constexpr char kEncrypting[] = "Krypterar...";
inline constexpr char kCompressingAndEncrypting[] = "Komprimerar och krypterar...";
inline constexpr char kDecrypting[] = "Dekrypterar...";
inline constexpr char kSigning[] = "Signerar...";
inline constexpr char kVerifying[] = "Verifierar...";
inline constexpr char kCancelling[] = "Avbryter...";
inline constexpr char kSourceError[] = "Fel vid läsning av källfilen.";
inline constexpr char kTargetError[] = "Fel vid skrivning till målfilen.";
inline constexpr char kKeyError[] =
    "Krypteringsfel, kontrollera format på fil eller om rätt sändande certifikat har använts.";
inline constexpr char kOtherMethod[] =
    "Felaktigt format på filen, filen är krypterad med en annan krypteringsmetod.";
inline constexpr char kUnknownError[] = "Okänt fel.";
inline constexpr char kOkiTooLarge[] =
    "Filen är för stor för OKI-formatet. Filen kan krypteras om formatet ändras i inställningsdialogen.";
inline constexpr char kOkiEncryptError[] = "Fel vid kryptering av fil.";
inline constexpr char kReadError[] = "Fel vid läsning av fil.";
inline constexpr char kOkiDecryptError[] = "Fel vid dekryptering av fil, kontrollera sändarens certifikat.";
inline constexpr char kSignError[] = "Fel vid signering av fil.";
inline constexpr char kSignatureMismatch[] = "Signaturen stämmer ej mot den valda filen.";

// Key-pair creation and entropy collection
inline constexpr char kOrganisationLabel[] = "Namn på organisation:";
inline constexpr char kCounterSuffix[] = " / 1024";
inline constexpr char kNeedKeyName[] = "Du måste skriva in ett namn på nyckeln.";
inline constexpr char kNeedOrganisation[] = "Du måste skriva in ett namn på organisationen.";
inline constexpr char kGenerating[] = "Vänta medan nyckelparet genereras. Detta kan ta flera minuter.";
inline constexpr char kKeyGenerationFailed[] = "Fel: Kunde inte skapa krypteringsnyckel.";
inline constexpr char kKeyPairNotSaved[] = "Fel: Kunde inte spara ned krypteringsnyckeln.";

// Certification
inline constexpr char kNeedFieldNameAndValue[] = "Du måste skriva in ett fältnamn och värde.";
inline constexpr char kNoFieldSelected[] = "Inget datafält är valt i listan.";
}  // namespace qs::text
