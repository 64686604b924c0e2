#pragma once
// Every Swedish text the controllers show or set (UTF-8). Texts that never change live in
// the dialog resources; the outcomes of key operations have theirs in operations/key_messages.h,
// those of file operations and the start-up failures in operations/messages.h, and the causes
// in operations/cause_text.cpp.

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
inline constexpr char kGeneratorNotReady[] = "Fel: Slumptalsgeneratorn är inte initierad!";
inline constexpr char kEncryptAgain[] = "Vill du kryptera filen ytterligare en gång?";
inline constexpr char kSignSignature[] = "Vill du signera den digitala signaturen?";
inline constexpr char kVerifySignatureFile[] =
    "Källfilen är en signaturfil, antagligen vill du välja den andra filen som datakälla istället. "
    "Vill du verkligen verifiera en signatur över en signaturfil? ";
inline constexpr char kRecipientCertificateTitle[] = "Välj mottagarens certifikat...";
inline constexpr char kTooManyRecipients[] =
    "En fil kan krypteras till högst 64 mottagare, du själv inräknad när du krypterar även till "
    "dig själv. Välj färre certifikat.";
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

// The passphrase of a locked key: the prompt names the file between its two parts
inline constexpr char kPassphrasePromptBefore[] = "Nyckeln i ";
inline constexpr char kPassphrasePromptAfter[] = " är skyddad med en lösenfras. Skriv lösenfrasen:";
inline constexpr char kWrongPassphrase[] = "Fel lösenfras. Försök igen.";

// Open and save dialogs: titles, then the descriptions of their filters
inline constexpr char kChooseFileTitle[] = "Välj fil...";
inline constexpr char kEncryptTargetTitle[] = "Välj plats för den krypterade filen...";
inline constexpr char kDecryptTargetTitle[] = "Välj plats för filen...";
inline constexpr char kSignTargetTitle[] = "Välj plats för signaturfilen...";
inline constexpr char kSignatureFileTitle[] = "Välj signaturfil...";
inline constexpr char kSignedFileTitle[] = "Välj filen som signaturen gäller...";
inline constexpr char kCertificateTitle[] = "Välj certifikat...";
inline constexpr char kPrivateCertKeyTargetTitle[] = "Välj plats för den privata certifieringsnyckeln...";
inline constexpr char kPublicCertKeyTargetTitle[] = "Välj plats för den publika certifieringsnyckeln...";
inline constexpr char kTrustedKeyFileTitle[] = "Välj publik certifieringsnyckel...";
inline constexpr char kPublicKeyTargetTitle[] = "Välj plats för den publika nyckeln...";
inline constexpr char kBackupTargetTitle[] = "Välj plats för säkerhetskopian...";
inline constexpr char kBackupFileTitle[] = "Välj säkerhetskopia...";
inline constexpr char kCertificationFileTitle[] = "Välj certifiering...";
inline constexpr char kCertificationTargetTitle[] = "Välj plats för certifieringen...";
inline constexpr char kPublicKeyFileTitle[] = "Välj publik nyckel...";
inline constexpr char kPrivateCertKeyFileTitle[] = "Välj privat certifieringsnyckel...";
inline constexpr char kCertificateTargetTitle[] = "Välj plats för certifikatet...";
inline constexpr char kAllFilesFilter[] = "Alla filer (*.*)";
inline constexpr char kEncryptedFilesFilter[] = "Krypterade filer (*.encrypted)";
inline constexpr char kEncryptedFileFilter[] = "Krypterad fil (*.encrypted)";
inline constexpr char kSignatureFileFilter[] = "Signaturfil (*.signature)";
inline constexpr char kCertificateFilter[] = "Certifikat (*.certificate)";
inline constexpr char kPrivateCertKeyFilter[] = "Privat certifieringsnyckel (*.private_cert_key)";
inline constexpr char kPublicCertKeyFilter[] = "Publik certifieringsnyckel (*.public_cert_key)";
inline constexpr char kPublicKeyFilter[] = "Publik nyckel (*.public_key)";
inline constexpr char kBackupSaveFilter[] = "Säkerhetskopia av privat nyckel (*.key_backup)";
// The open dialog's filter is worded otherwise than the save dialog's; users have seen it so.
inline constexpr char kBackupOpenFilter[] = "Säkerhetskopieras privat nyckel (*.key_backup)";
inline constexpr char kCertificationFilter[] = "Certifiering (*.certification)";

// Column headings of the certification and data-field lists
inline constexpr char kOrganisationColumn[] = "Organisation";
inline constexpr char kKeyIdColumn[] = "Nyckel-ID";
inline constexpr char kStatusColumn[] = "Status";
inline constexpr char kTimestampColumn[] = "Tidstämpel";
inline constexpr char kFieldNameColumn[] = "Fältnamn";
inline constexpr char kFieldValueColumn[] = "Värde";
}  // namespace qs::text
