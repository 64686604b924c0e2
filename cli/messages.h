#pragma once

// The Swedish texts of what only the command line does, UTF-8; the outcomes both front ends
// share are in operations/messages.h and keys/messages.h. A text that names a file or folder
// is followed by it.
namespace qs::cli::cli_text {

// Approvals without a dialog.
inline constexpr char kFingerprintMismatch[] =
    "Fingerprint stämmer inte med --expect-fingerprint; inget har godkänts.";
inline constexpr char kApprovalNeeded[] =
    "Godkännande krävs: kör i en terminal, eller ange --yes eller --expect-fingerprint.";
inline constexpr char kYesNeedsExpectation[] =
    "--yes godkänner ett certifikat bara när kommandot också säger vem det väntar sig: ange --expect-field "
    "NAMN=VÄRDE, som en certifiering av en betrodd certifieringsnyckel måste ha, eller --expect-fingerprint, "
    "eller svara i en terminal.";
inline constexpr char kExpectedFieldsNotCertified[] =
    "Ingen certifiering av en betrodd certifieringsnyckel har fälten i --expect-field; inget har godkänts.";
// Followed by the option's word.
inline constexpr char kExpectedFieldNotRecordText[] =
    "--expect-field kan bara jämföras med text som ett certifikat kan hålla (tecken i Windows-1252, inga "
    "styrtecken): ";
inline constexpr char kYesCannotTrust[] =
    "--yes räcker inte för att lägga till en betrodd certifieringsnyckel; ange --expect-fingerprint eller "
    "svara i en terminal.";
inline constexpr char kKeyNotAdded[] = "Nyckeln lades inte till.";
inline constexpr char kNoCertificationMade[] = "Ingen certifiering har skapats.";

// Outputs and inputs.
inline constexpr char kOutputExists[] = "Filen finns redan: ";
inline constexpr char kUseForce[] = " (använd --force för att skriva över den).";
inline constexpr char kKeyPairExists[] =
    "Det finns redan ett lagrat nyckelpar. Använd --force för att skriva över det nyckelparet.";
inline constexpr char kFolderNotMade[] = "Kunde inte skapa mappen: ";
inline constexpr char kSameOutput[] = "två infiler skulle skrivas till samma utfil: ";
inline constexpr char kOutputIsInput[] = "en utfil är också en av infilerna: ";
inline constexpr char kFileUnreadable[] = "Kunde inte läsa filen: ";
inline constexpr char kOutputNotWritten[] = "Kunde inte skriva till standard ut.";
inline constexpr char kUnknownFileKind[] = "Okänd filtyp: ";
inline constexpr char kNotOurFile[] = " är ingen fil som Quillseal skriver.";

// What inspect tells beside a file's fields.
inline constexpr char kOkiAuthenticates[] =
    "Avsändarens signatur täcker bara nyckelkapseln, inte datan. Att samma avsändare förseglade "
    "datan visar datans IV, som bara mottagaren kan kontrollera; filer från äldre versioner saknar "
    "den bindningen.";

// Trusted keys.
inline constexpr char kKeyIdNotUnique[] =
    "Flera betrodda certifieringsnycklar har detta Nyckel-ID; ange nyckelns fingerprint i stället.";

}  // namespace qs::cli::cli_text
