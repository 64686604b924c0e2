#pragma once
// Every Swedish text the controllers show or set (UTF-8). Texts that never change live in
// the dialog resources; the outcomes of key operations have theirs in keys/messages.h, those
// of file operations and the start-up failures in operations/messages.h.

namespace qs::text {

// Start-up
inline constexpr char kOfferKeyPair[] =
    "Det finns inget nyckelpar lagrat i programmet. Vill du skapa ett nytt nyckelpar?";

// The command line: a refusal, then the usage
inline constexpr char kUnknownCommandLineVerb[] = "Fel: Okänt kommando på kommandoraden: ";
inline constexpr char kOneVerbOneFile[] = "Fel: Kommandoraden kan bara ange en fil och högst ett kommando.";
inline constexpr char kVerbWithoutFile[] = "Fel: Kommandot saknar ett filnamn: ";
inline constexpr char kNoSuchFile[] = "Fel: Filen finns inte: ";
inline constexpr char kCommandLineUsage[] =
    "Användning: quillseal.exe [/kryptera | /dekryptera | /signera | /verifiera] fil";

// Main dialog and its file commands
inline constexpr char kNoSourceName[] = "Du måste ange ett filnamn på källfilen!";
// After the source's name, on the second line of the command's failure message.
inline constexpr char kSourceMissing[] = ": filen finns inte";
inline constexpr char kSourceNotReadable[] = ": filen är ingen vanlig fil eller får inte läsas";
inline constexpr char kGeneratorNotReady[] = "Fel: Slumptalsgeneratorn är inte initierad!";
inline constexpr char kEncryptAgain[] = "Vill du kryptera filen ytterligare en gång?";
inline constexpr char kSignSignature[] = "Vill du signera den digitala signaturen?";
inline constexpr char kVerifySignatureFile[] =
    "Källfilen är en signaturfil, antagligen vill du välja den andra filen som datakälla istället. "
    "Vill du verkligen verifiera en signatur över en signaturfil? ";
inline constexpr char kRecipientCertificateTitle[] = "Välj mottagarens certifikat...";
inline constexpr char kSenderCertificateTitle[] = "Välj sändarens certifikat...";

// Progress dialog
inline constexpr char kEncrypting[] = "Krypterar...";
inline constexpr char kCompressingAndEncrypting[] = "Komprimerar och krypterar...";
inline constexpr char kDecrypting[] = "Dekrypterar...";
inline constexpr char kSigning[] = "Signerar...";
inline constexpr char kVerifying[] = "Verifierar...";
inline constexpr char kCancelling[] = "Avbryter...";

// Key-pair creation and entropy collection
inline constexpr char kOrganisationLabel[] = "Namn på organisation:";
inline constexpr char kCounterSuffix[] = " / 1024";
inline constexpr char kGenerating[] = "Vänta medan nyckelparet genereras. Detta kan ta flera minuter.";

// Certification
inline constexpr char kNeedFieldNameAndValue[] = "Du måste skriva in ett fältnamn och värde.";
inline constexpr char kNoFieldSelected[] = "Inget datafält är valt i listan.";
}  // namespace qs::text
