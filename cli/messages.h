#pragma once

// The Swedish texts of what only the command line does, UTF-8; the outcomes both front ends
// share are in operations/messages.h, operations/key_messages.h and operations/cause_text.cpp.
// A text that names a file or folder is followed by it.
namespace qs::cli::cli_text {

// Approvals without a dialog.
inline constexpr char kFingerprintMismatch[] =
    "Fingerprint stämmer inte med --expect-fingerprint; inget har godkänts.";
inline constexpr char kApprovalNeeded[] =
    "Godkännande krävs: kör i en terminal, eller ange --yes eller --expect-fingerprint.";
inline constexpr char kCertificateApprovalNeeded[] =
    "Godkännande krävs: kör i en terminal, eller ange --expect-fingerprint, eller --yes tillsammans med "
    "--expect-field NAMN=VÄRDE.";
inline constexpr char kTrustApprovalNeeded[] =
    "Godkännande krävs: kör i en terminal, eller ange certifieringsnyckelns fingerprint med "
    "--expect-fingerprint.";
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
inline constexpr char kStreamNeedsOneSender[] =
    "standard in (-) läses bara en gång: ange en enda --from för det som kommer på standard in";
inline constexpr char kNoCandidateSender[] = "Ingen av avsändarna i --from har signerat filen.";
// Followed by the certificate that a file's signature showed to be its sender's.
inline constexpr char kSenderLabel[] = "Avsändare: ";
inline constexpr char kNoSuchWorkdir[] = "Arbetsmappen i --workdir finns inte: ";
inline constexpr char kWorkdirMadeBy[] =
    ". Kontrollera namnet; en ny arbetsmapp skapas bara av keygen, key restore och ca create.";
inline constexpr char kSameOutput[] = "två infiler skulle skrivas till samma utfil: ";
inline constexpr char kOutputIsInput[] = "en utfil är också en av infilerna: ";
inline constexpr char kFileUnreadable[] = "Kunde inte läsa filen: ";
inline constexpr char kOutputNotWritten[] = "Kunde inte skriva till standard ut.";
inline constexpr char kUnknownFileKind[] = "Okänd filtyp: ";
inline constexpr char kNotOurFile[] = " är ingen fil som Quillseal skriver.";

// What inspect tells beside a file's fields.
inline constexpr char kSenderNotNamed[] =
    "Avsändare: anges inte i filen (decrypt kan pröva flera certifikat: --from A --from B)";
inline constexpr char kOkiAuthenticates[] =
    "Avsändarens signatur täcker bara nyckelkapseln, inte datan. Att samma avsändare förseglade "
    "datan visar datans IV, som bara mottagaren kan kontrollera; filer från äldre versioner saknar "
    "den bindningen.";

// Usage mistakes, shown before kSeeHelp. Texts that begin with a space follow the option
// ("--name" or "flaggan --name"), those that end with one are followed by a word of the
// command.
inline constexpr char kNoCommand[] = "inget kommando angavs";
inline constexpr char kUnknownCommand[] = "okänt kommando: ";
inline constexpr char kTooFewArguments[] = "för få argument till ";
inline constexpr char kTooManyArguments[] = "för många argument till ";
inline constexpr char kUnknownOption[] = "okänd flagga: ";
inline constexpr char kOptionNamed[] = "flaggan ";
inline constexpr char kGivenTwice[] = " får bara anges en gång";
inline constexpr char kTakesNoValue[] = " tar inget värde";
inline constexpr char kNeedsValueAfterEquals[] = " behöver ett värde efter =";
inline constexpr char kNeedsValue[] = " behöver ett värde";
// Between the option and the character, then after the character.
inline constexpr char kCharacter[] = ": tecknet \"";
inline constexpr char kNotStorable[] =
    " finns inte i Windows-1252, den teckenuppsättning som nycklar, certifikat och signaturer lagrar text i; "
    "skriv texten utan det tecknet";
inline constexpr char kMustBeGiven[] = " måste anges";
inline constexpr char kTakesField[] = " tar NAMN=VÄRDE";
inline constexpr char kTakesKeyBits[] = " tar 2048, 3072 eller 4096";
inline constexpr char kFormatValues[] = "--format tar quillseal eller oki";
inline constexpr char kCompressionValues[] = "--compression tar on eller off";
inline constexpr char kCompressExclusive[] = "--compress och --no-compress utesluter varandra";
inline constexpr char kCompressValues[] = "--compress tar inget värde eller strong";
inline constexpr char kToSelfExclusive[] = "--to-self och --no-to-self utesluter varandra";
inline constexpr char kTooManyRecipients[] =
    "en fil kan krypteras till högst 64 mottagare, du själv inräknad";
inline constexpr char kToSelfValues[] = "--to-self tar on eller off";
inline constexpr char kNotEncryptedName[] = " slutar inte på .encrypted";
inline constexpr char kNotEncryptedNameGiveOutput[] = "filen slutar inte på .encrypted: ange -o UTFIL";
inline constexpr char kVerifyTakesPairs[] = "verify tar par av INFIL och SIGNATURFIL";
// The standard streams, "-" on the command line.
inline constexpr char kStandardInputTwice[] = "standard in (-) kan bara läsas en gång per kommando";
inline constexpr char kStandardInputAlone[] =
    "standard in (-) kan bara vara den enda infilen; en fil som heter - anges som ./-";
inline constexpr char kStandardOutputOneInput[] = "-o - skriver till standard ut och tar bara en infil";
inline constexpr char kSignatureNotStandardInput[] =
    "signaturfilen kan inte läsas från standard in; en fil som heter - anges som ./-";
inline constexpr char kCheckWritesNothing[] = "--check skriver ingenting och tar inte -o";
// How messages name the streams.
inline constexpr char kStandardInputName[] = "<standard in>";
inline constexpr char kStandardOutputName[] = "<standard ut>";
// Followed by the command's words, if any, and --help'.
inline constexpr char kSeeHelp[] = "Se 'quillseal-cli ";

// Help: the program's, then the usage line of a command or group, followed by its words.
inline constexpr char kProgramHelp[] =
    "Användning: quillseal-cli [--workdir MAPP] [--yes] [--expect-fingerprint HEX] [--expect-field "
    "NAMN=VÄRDE]...\n"
    "                          [--quiet] [--passphrase-file FIL] KOMMANDO ...\n"
    "\n"
    "Skyddar filer med publik nyckel-kryptering: samma filer, format och arbetsmapp som Quillseal.\n"
    "\n"
    "Globala flaggor:\n"
    "  --workdir MAPP              arbetsmappen (annars programmets vanliga arbetsmapp QS_wd)\n"
    "  --yes                       godkänn utan att fråga: ett certifikat bara med --expect-field\n"
    "                              eller --expect-fingerprint, en betrodd nyckel aldrig\n"
    "  --expect-fingerprint HEX    godkänn bara ett certifikat eller en nyckel med detta fingerprint\n"
    "  --expect-field NAMN=VÄRDE   godkänn bara ett certifikat där en certifiering av en betrodd\n"
    "                              certifieringsnyckel har fältet (kan upprepas: alla i samma)\n"
    "  --quiet                     visa ingen förloppsindikator\n"
    "  --passphrase-file FIL       lösenfrasen för skyddade nycklar: filens första rad (annars\n"
    "                              frågas i terminalen, utan eko)\n"
    "  --help                      visa hjälp (fungerar på varje nivå)\n"
    "  --version                   visa programmets version\n"
    "\n"
    "Slumptal: utan fröfil (rand.bin) hämtar kommandoraden 64 byte från operativsystemets\n"
    "slumptalskälla och sparar rand.bin, eftersom den inte kan samla musrörelser.\n"
    "\n"
    "Privata nycklar: i Windows låses priv_key.bin och rand.bin till ditt Windows-konto på den här\n"
    "datorn. --passphrase (keygen, key protect, key backup, ca create) skyddar i stället med en\n"
    "lösenfras. En säkerhetskopia utan --passphrase är okrypterad, så att den öppnas överallt.\n"
    "\n"
    "Slutstatus:\n"
    "  0    lyckades\n"
    "  1    systemet svek: en fil, disken, minnet\n"
    "  2    felaktig användning\n"
    "  3    datan avvisades: skadad, förfalskad, inte för denna nyckel, signaturen stämmer inte\n"
    "  4    inte godkänd: certifikatet är inte betrott, svaret var nej, eller ingen lösenfras gavs\n"
    "  130  avbruten (Ctrl-C, även vid en fråga)\n"
    "Med flera filer gäller den allvarligaste: 130, 3, 4, 2, 1.\n"
    "\n"
    "Godkännandetexter, frågor och varningar skrivs på standard fel; --quiet utelämnar\n"
    "godkännandetexter som ingen fråga följer.\n"
    "\n"
    "Kommandon:\n";
inline constexpr char kUsage[] = "Användning: quillseal-cli ";
inline constexpr char kGroupSynopsis[] = "KOMMANDO ...";

// Help: each command's options and operands, its one-line summary and more text, in help order.
// keygen
inline constexpr char kKeygenSynopsis[] =
    "--name NAMN [--encryption-bits 2048|3072|4096] [--signing-bits 2048|3072|4096] [--force] [--passphrase]";
inline constexpr char kKeygenSummary[] = "skapa ett nytt nyckelpar (krypterings- och signeringsnyckel)";
inline constexpr char kKeygenDetails[] =
    "Nyckelparet sparas i arbetsmappen (priv_key.bin). Ett lagrat nyckelpar skrivs bara över med --force.\n"
    "I Windows låses de privata nycklarna till ditt Windows-konto. Med --passphrase skyddas de med en\n"
    "lösenfras (terminalen, två gånger, eller --passphrase-file FIL).\n";
// key show
inline constexpr char kKeyShowSummary[] = "visa det lagrade nyckelparets namn, algoritmer och fingerprint";
// key export
inline constexpr char kKeyExportSynopsis[] = "[-o FIL.public_key] [--force]";
inline constexpr char kKeyExportSummary[] = "spara den publika nyckeln för certifiering";
inline constexpr char kKeyExportDetails[] =
    "Utan -o sparas filen i aktuell mapp under nyckelparets namn. Bredvid den sparas\n"
    "FIL.public_key.signature, nyckelns egen signatur över filen: beviset på att du har nyckeln,\n"
    "som certifieringsinstansen kräver. Skicka båda filerna.\n";
// key backup
inline constexpr char kKeyBackupSynopsis[] = "[-o FIL.key_backup] [--force] [--passphrase]";
inline constexpr char kKeyBackupSummary[] =
    "säkerhetskopiera nyckelparet (den privata nyckeln lagras okrypterad!)";
inline constexpr char kKeyBackupDetails[] =
    "Utan -o sparas filen i aktuell mapp under nyckelns fingerprint. Utan --passphrase är den privata\n"
    "nyckeln okrypterad i filen, så att den kan öppnas på vilken dator som helst; med --passphrase\n"
    "skyddas den med en lösenfras (terminalen, två gånger, eller --passphrase-file FIL).\n";
// key restore
inline constexpr char kKeyRestoreSynopsis[] = "FIL.key_backup [--force]";
inline constexpr char kKeyRestoreSummary[] = "återställ nyckelparet från en säkerhetskopia";
inline constexpr char kKeyRestoreDetails[] =
    "Filen måste innehålla ett nyckelpar. Ett lagrat nyckelpar skrivs bara över med --force.\n";
// ca create
inline constexpr char kCaCreateSynopsis[] =
    "--organisation ORG [--bits 2048|3072|4096] [-o PREFIX] [--trust] [--force] [--passphrase]";
inline constexpr char kCaCreateSummary[] = "skapa ett certifieringsnyckelpar";
inline constexpr char kCaCreateDetails[] =
    "Skriver PREFIX.private_cert_key och PREFIX.public_cert_key (utan -o: organisationen och\n"
    "Nyckel-ID). --trust lägger till den publika nyckeln som betrodd i arbetsmappen. I Windows låses\n"
    "den privata nyckeln till ditt Windows-konto; med --passphrase skyddas den med en lösenfras.\n";
// ca certify
inline constexpr char kCaCertifySynopsis[] =
    "--public-key FIL --ca-key FIL [--proof FIL] --field NAMN=VÄRDE [--field ...] [-o FIL.certification] "
    "[--force]";
inline constexpr char kCaCertifySummary[] = "certifiera en användares publika nyckel med datafält";
inline constexpr char kCaCertifyDetails[] =
    "Högst 20 fält; namn högst 20 och värden högst 150 tecken. Nyckeln certifieras bara med\n"
    "ägarens innehavsbevis, signaturen som key export sparar bredvid nyckelfilen\n"
    "(FIL.signature, eller den fil --proof anger).\n";
// certificate create
inline constexpr char kCertificateCreateSynopsis[] = "[FIL.certification ...] [-o FIL.certificate] [--force]";
inline constexpr char kCertificateCreateSummary[] = "skapa ett personligt certifikat av certifieringarna";
inline constexpr char kCertificateCreateDetails[] =
    "Certifieringarna måste gälla det lagrade nyckelparets publika nyckel.\n";
// trust list
inline constexpr char kTrustListSummary[] = "visa de betrodda certifieringsnycklarna";
// trust add
inline constexpr char kTrustAddSynopsis[] = "FIL.public_cert_key";
inline constexpr char kTrustAddSummary[] = "lägg till en betrodd certifieringsnyckel efter godkännande";
// trust remove
inline constexpr char kTrustRemoveSynopsis[] = "NYCKEL-ID|FINGERPRINT";
inline constexpr char kTrustRemoveSummary[] = "ta bort en betrodd certifieringsnyckel";
inline constexpr char kTrustRemoveDetails[] =
    "Har flera betrodda nycklar samma Nyckel-ID anges nyckelns fingerprint.\n";
// encrypt
inline constexpr char kEncryptSynopsis[] =
    "--to FIL.certificate... [--to-self|--no-to-self] [--format quillseal|oki] "
    "[--compress[=strong]|--no-compress] "
    "INFIL... [-o UTFIL|MAPP] [--force] [--json]";
inline constexpr char kEncryptSummary[] = "kryptera filer för mottagarna i certifikaten";
inline constexpr char kEncryptDetails[] =
    "--to kan anges flera gånger: var och en av mottagarna kan dekryptera filen. --to-self lägger till\n"
    "din egen nyckel, så att du kan öppna det du har skickat. Högst 64 mottagare; varje certifikat\n"
    "godkänns som vanligt. Med fler än en mottagare skrivs filen i version 1 av formatet, som äldre\n"
    "versioner av programmet inte läser; med en enda blir den som förut.\n"
    "Format, kompression och --to-self tas från inställningarna om inga flaggor anges.\n"
    "--compress=strong komprimerar hårdare och långsammare, i samma format som alla versioner läser.\n"
    "- som infil läser standard in (utan att klartext hamnar på disken), -o - skriver till\n"
    "standard ut; en fil som heter - anges som ./-.\n"
    "Utfilen blir INFIL.encrypted bredvid infilen om -o saknas. Med flera infiler anger -o en mapp,\n"
    "och varje fil får en rad om hur det gick.\n";
// decrypt
inline constexpr char kDecryptSynopsis[] =
    "--from FIL.certificate... [--check] INFIL... [-o UTFIL|MAPP] [--force] [--json]";
inline constexpr char kDecryptSummary[] = "dekryptera filer från avsändaren i certifikatet";
inline constexpr char kDecryptDetails[] =
    "Formatet läses från filen. Utfilen blir infilen utan .encrypted om -o saknas. Med flera\n"
    "infiler anger -o en mapp, och varje fil får en rad om hur det gick. Med flera --from\n"
    "visar varje fils signatur vilket certifikat som är avsändarens; bara det godkänns, och\n"
    "raden \"Avsändare: FIL.certificate\" säger vilket. --json: ett JSON-objekt per fil.\n"
    "--check kontrollerar varje del av filerna utan att skriva något och skriver \"INFIL: hel\"\n"
    "för varje hel fil; tar inte -o.\n"
    "- som infil läser standard in, -o - skriver till standard ut. En skada längre fram i filen\n"
    "upptäcks först efter att delarna före den har skrivits till standard ut: kontrollera\n"
    "slutstatusen.\n";
// sign
inline constexpr char kSignSynopsis[] =
    "INFIL... [--message TEXT] [-o FIL.signature|MAPP] [--force] [--json]";
inline constexpr char kSignSummary[] = "signera filer med det lagrade nyckelparet";
inline constexpr char kSignDetails[] =
    "Signaturfilen blir INFIL_<nyckelns namn>.signature bredvid infilen om -o saknas. Med flera\n"
    "infiler anger -o en mapp, och varje fil får en rad om hur det gick.\n"
    "- som infil läser standard in, -o - skriver signaturfilen till standard ut.\n";
// verify
inline constexpr char kVerifySynopsis[] =
    "--from FIL.certificate... INFIL SIGNATURFIL [INFIL SIGNATURFIL]... [--json]";
inline constexpr char kVerifySummary[] = "verifiera signaturer mot avsändarens certifikat";
inline constexpr char kVerifyDetails[] =
    "Med flera par får varje fil en rad om hur det gick. Med flera --from godkänns bara det\n"
    "certifikat vars nyckel har gjort signaturen. --json: ett JSON-objekt per fil. - som INFIL\n"
    "läser datafilen från standard in.\n";
// settings
inline constexpr char kSettingsSynopsis[] =
    "[--format quillseal|oki] [--compression on|off] [--to-self on|off]";
inline constexpr char kSettingsSummary[] = "visa eller ändra inställningarna för kryptering";
inline constexpr char kSettingsDetails[] =
    "Utan flaggor visas inställningarna i config.bin. Kompression gäller bara Quillseal-formatet.\n"
    "--to-self on krypterar varje fil även till din egen nyckel (bara Quillseal-formatet).\n";
// inspect
inline constexpr char kInspectSynopsis[] = "[--json] FIL";
inline constexpr char kInspectSummary[] = "visa vad en fil från Quillseal innehåller (utan att dekryptera)";

// What the commands tell as they go; the line of each of several files ends with its output.
inline constexpr char kEncryptedTo[] = "krypterad till";
inline constexpr char kDecryptedTo[] = "dekrypterad till";
inline constexpr char kCheckedWhole[] = "hel";
inline constexpr char kSignedIn[] = "signerad i";
inline constexpr char kSignatureOk[] = "Signaturen OK.";
inline constexpr char kYesNoPrompt[] = " [j/N] ";
inline constexpr char kInterrupted[] = "Avbrutet.";
inline constexpr char kTimeLeft[] = " kvar";
// The working folder's name goes between the two.
inline constexpr char kFolderOpenToOthers[] = "Varning: Andra användare kan läsa eller öppna arbetsmappen ";
inline constexpr char kCloseFolder[] = "; stäng den med chmod 700.";

// Labels of what key show, settings and inspect print, each followed by its value.
inline constexpr char kKeyNameLabel[] = "Nyckelns namn: ";
inline constexpr char kEncryptionAlgorithmLabel[] = "Algoritm för kryptering: ";
inline constexpr char kSigningAlgorithmLabel[] = "Algoritm för signering: ";
inline constexpr char kFingerprintLabel[] = "Fingerprint: ";
inline constexpr char kTimestampLabel[] = "Tidstämpel: ";
inline constexpr char kMessageLabel[] = "Meddelande: ";
inline constexpr char kOrganisationLabel[] = "Organisation: ";
inline constexpr char kKeyIdLabel[] = "Nyckel-ID: ";
inline constexpr char kTypeLabel[] = "Typ: ";
inline constexpr char kFileFormatLabel[] = "Filformat: ";
inline constexpr char kCompressionLabel[] = "Kompression: ";
inline constexpr char kToSelfLabel[] = "Kryptera även till mig själv: ";
inline constexpr char kOn[] = "på";
inline constexpr char kOff[] = "av";
inline constexpr char kQuillsealFormat[] = "Quillseal-format";
inline constexpr char kOkiFormat[] = "OKI-format";
inline constexpr char kOkiFormatInFull[] = "Open Key Infrastructure (OKI-format)";

// What an approval shows before its question. The padded labels line up under
// kOrganisationLabel.
inline constexpr char kCertificationsLabel[] = "Certifieringar:";
inline constexpr char kNoCertifications[] = "(inga)";
inline constexpr char kPaddedKeyId[] = "Nyckel-ID:    ";
inline constexpr char kPaddedStatus[] = "Status:       ";
inline constexpr char kPaddedTimestamp[] = "Tidstämpel:   ";
inline constexpr char kPaddedFingerprint[] = "Fingerprint:  ";
inline constexpr char kCertificationKeyLabel[] = "Certifieringsnyckel:";
// Followed by the public key file's name and ":".
inline constexpr char kCertificationOf[] = "Certifiering av ";
// Its own spelling, as users have seen it.
inline constexpr char kCertificationTimestampLabel[] = "Tidsstämpel: ";

// What inspect prints: the kind of file, named with the tag of its record, then its fields.
inline constexpr char kNativeEncryptedKind[] = "Krypterad fil (Quillseal-format), post \"EncryptedFile\"";
inline constexpr char kOkiEncryptedKind[] = "Krypterad fil (OKI-format), post \"EncryptedData\"";
inline constexpr char kCertificateKind[] = "Personligt certifikat, post \"Certificate\"";
inline constexpr char kSignatureFileKind[] = "Signaturfil, post \"Signature\"";
inline constexpr char kPublicKeyKind[] = "Publik nyckel för certifiering, post \"PublicKey\"";
// Publik or Privat, then kCertKeyKind, then the tag and a quote.
inline constexpr char kPublic[] = "Publik";
inline constexpr char kPrivate[] = "Privat";
inline constexpr char kCertKeyKind[] = " certifieringsnyckel, post \"";
inline constexpr char kCertificationKind[] = "Certifiering, post \"Certification\"";
inline constexpr char kKeyPairKind[] =
    "Nyckelpar (priv_key.bin eller säkerhetskopia), posterna \"PrivateKey\" och \"PublicKey\"";
inline constexpr char kLockedKeyPairKind[] =
    "Nyckelpar (priv_key.bin eller säkerhetskopia), posterna \"LockedKey\" och \"PublicKey\"";
inline constexpr char kSettingsKind[] = "Inställningar (config.bin)";
inline constexpr char kSeedFileKind[] = "Fröfil för slumptalsgeneratorn (rand.bin)";
inline constexpr char kLockedCertKeyKind[] =
    "Privat certifieringsnyckel, skyddad (post \"LockedKey\"); organisation och Nyckel-ID syns först när den "
    "öppnas";
inline constexpr char kTrustedKeyListKind[] = "Betrodda certifieringsnycklar (cert_key_list.bin): ";
inline constexpr char kMethodLabel[] = "Metod: ";
inline constexpr char kVersionLabel[] = "Version: ";
inline constexpr char kRecipientsLabel[] = "Mottagare: ";
inline constexpr char kRecipientsUnnamed[] = " (filen säger inte vilka)";
inline constexpr char kPlainSizeLabel[] = "Storlek okrypterad: ";
inline constexpr char kCompressedLabel[] = "Komprimerad: ";
inline constexpr char kYes[] = "ja";
inline constexpr char kNo[] = "nej";
inline constexpr char kRecipientKeyLabel[] = "Mottagarens krypteringsnyckel: RSA ";
inline constexpr char kSenderSignatureLabel[] = "Avsändarens signatur:";
inline constexpr char kSenderSigningKeyLabel[] = "Avsändarens signeringsnyckel: RSA ";
inline constexpr char kEncryptedDataLabel[] = "Krypterad data: ";
inline constexpr char kCertificationsCountLabel[] = "Certifieringar: ";
inline constexpr char kCertifiedFingerprintLabel[] = "Certifierad nyckels fingerprint: ";
inline constexpr char kRecordLabel[] = "Etikett: ";
inline constexpr char kSigningKeyLabel[] = "Signeringsnyckel: RSA ";
// Followed by the count, or the least count, kUpTo and the most.
inline constexpr char kChunkCountLabel[] = "Antal delar: ";
inline constexpr char kUpTo[] = " till ";
inline constexpr char kBits[] = " bitar";
inline constexpr char kBytes[] = " byte";

// Trusted keys: the list (its labels padded to kFingerprintLabel), and a removal.
inline constexpr char kNoTrustedKeys[] = "Inga betrodda certifieringsnycklar.";
inline constexpr char kListedType[] = "Typ:         ";
inline constexpr char kListedKeyId[] = "Key-ID:      ";
inline constexpr char kKeyIdNotUnique[] =
    "Flera betrodda certifieringsnycklar har detta Nyckel-ID; ange nyckelns fingerprint i stället.";

// Passphrases of locked keys. A prompt that names a file is followed by it and ": ".
inline constexpr char kPassphrasePrompt[] = "Lösenfras för ";
inline constexpr char kWrongPassphraseAgain[] = "Fel lösenfras. Försök igen.";
inline constexpr char kNewPassphrasePrompt[] = "Ny lösenfras: ";
inline constexpr char kRepeatPassphrasePrompt[] = "Samma lösenfras en gång till: ";
inline constexpr char kPassphrasesDiffer[] = "Lösenfraserna var olika; inget har ändrats.";
inline constexpr char kPassphraseEmpty[] = "En tom lösenfras skyddar inget; inget har ändrats.";
inline constexpr char kPassphraseNeedsTerminal[] =
    "Nyckeln är skyddad med en lösenfras: kör i en terminal eller ange --passphrase-file FIL.";
inline constexpr char kNewPassphraseNeedsTerminal[] =
    "--passphrase kräver en terminal att skriva lösenfrasen i, eller --passphrase-file FIL.";
inline constexpr char kPassphraseFileUnreadable[] = "Lösenfrasfilen kan inte läsas: ";
inline constexpr char kPassphraseFileEmpty[] = "Lösenfrasfilen har ingen lösenfras på första raden: ";
inline constexpr char kNoAccountProtection[] =
    "Här finns inget skydd av användarkontot (det finns bara i Windows); använd --passphrase.";
inline constexpr char kProtectedByAccount[] =
    "Nyckelparet är skyddat av ditt Windows-konto på den här datorn.";
inline constexpr char kProtectedByPassphrase[] = "Nyckelparet är skyddat med lösenfrasen.";
inline constexpr char kLockLabel[] = "Skydd: ";
inline constexpr char kLockNone[] = "inget (den privata nyckeln är okrypterad)";
inline constexpr char kLockAccount[] = "Windows-kontot på den dator som skrev filen";
inline constexpr char kLockPassphrase[] = "lösenfras";
// key protect
inline constexpr char kKeyProtectSynopsis[] = "[--passphrase]";
inline constexpr char kKeyProtectSummary[] = "skydda det lagrade nyckelparets privata nycklar";
inline constexpr char kKeyProtectDetails[] =
    "Utan --passphrase låses nycklarna till ditt Windows-konto på den här datorn (bara i Windows).\n"
    "Med --passphrase skyddas de med en lösenfras, som frågas efter i terminalen (två gånger)\n"
    "eller läses från --passphrase-file FIL.\n";

}  // namespace qs::cli::cli_text
