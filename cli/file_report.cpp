#include <ostream>

#include "base/byte_stream.h"
#include "base/record.h"
#include "base/timestamp.h"
#include "base/whole_file.h"
#include "cli/command.h"
#include "cli/messages.h"
#include "crypto/encrypted_data.h"
#include "crypto/key_wrap.h"
#include "crypto/random_generator.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "formats/signing_context.h"
#include "keys/cert_keys.h"
#include "keys/certificate.h"
#include "keys/certification.h"
#include "keys/data_fields.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "keys/trusted_keys.h"
#include "operations/cause_text.h"
#include "operations/key_messages.h"
#include "operations/settings.h"
#include "platform/file.h"
#include "platform/file_error.h"

namespace qs::cli {
namespace {

// Describes files without any key: what a file is and what it shows in the clear.

std::string Bits(std::uint32_t bytes) { return std::to_string(bytes * 8) + " bitar"; }

std::string Time(std::uint32_t seconds) { return FormatTimestamp(seconds).str(); }

void PrintFingerprint(std::ostream& out, const ByteBuffer& record, const char* indent = "") {
  if (const std::optional<ByteBuffer> fp = ComputeFingerprint(record)) {
    out << indent << "Fingerprint: " << HexString(*fp) << '\n';
  }
}

void PrintDataFields(std::ostream& out, const DecodedDataFields& decoded, const char* indent) {
  out << indent << "Tidstämpel: " << Time(decoded.timestamp) << '\n';
  for (const DataField& f : decoded.fields) {
    out << indent << "  " << DisplayText(f.name) << ": " << DisplayText(f.value) << '\n';
  }
}

void PrintKeyRecord(std::ostream& out, const ByteBuffer& record) {
  if (const std::optional<KeyTypes> types = ReadKeyTypes(record)) {
    out << "Algoritm för kryptering: " << KeyTypeName(types->encryption)
        << "\nAlgoritm för signering: " << KeyTypeName(types->signing) << '\n';
  }
  PrintFingerprint(out, record);
}

void PrintCertKey(std::ostream& out, const ByteBuffer& record, const char* indent = "") {
  if (const std::optional<CertKeyHeader> header = ReadCertKeyHeader(record)) {
    out << indent << "Organisation: " << DisplayText(header->organisation) << '\n'
        << indent << "Typ: " << KeyTypeName(header->keyType) << '\n'
        << indent << "Nyckel-ID: " << HexString(header->keyId) << '\n';
  }
}

// The signed-information block and signature of a "Signature" record.
void PrintSignature(std::ostream& out, const SignatureRecord& record, const char* indent) {
  out << indent << "Etikett: " << DisplayText(TextString(record.label)) << '\n'
      << indent << "Tidstämpel: " << Time(record.timestamp) << '\n'
      << indent << "Meddelande: " << DisplayText(record.message) << '\n'
      << indent << "Signeringsnyckel: RSA " << Bits(record.signature.length()) << '\n';
}

// The table is sealed; its size bounds the chunk count, and without compression every
// chunk but the last has the same sealed size.
void PrintChunkCount(std::ostream& out, EncryptedFileReader& reader, bool compressed) {
  const std::optional<ByteBuffer> table = reader.readSealedTable();
  if (!table) return;
  if (!compressed) {
    const std::uint64_t full = ChunkBufferBytes(kChunkBytes);
    out << "Antal delar: " << (reader.unreadBytes() + full - 1) / full << '\n';
  } else if (const std::optional<std::uint64_t> least = LeastChunkCount(table->length())) {
    out << "Antal delar: " << *least << " till " << *least + 3 << '\n';
  }
}

bool ReportNative(std::ostream& out, const std::string& path) {
  EncryptedFileReader reader(path);
  const std::optional<ByteBuffer> header = reader.readHeader();
  if (!header) return false;
  Finding why = Finding::kNone;
  const std::optional<FileHeaderFields> fields = ReadFileHeaderFields(*header, why);
  if (!fields) return false;
  const std::optional<ByteBuffer> ciphertext = ReadEncryptedKey(fields->encryptedKeyRecord);
  const std::optional<SignatureRecord> signature = ReadSignatureRecord(fields->signature);
  if (!ciphertext || !signature) return false;

  out << "Krypterad fil (Quillseal-format), post \"EncryptedFile\"\n"
      << "Metod: " << static_cast<int>(kEncryptionMethod)
      << "\nKomprimerad: " << (fields->compressed ? "ja" : "nej") << "\nMottagarens krypteringsnyckel: RSA "
      << Bits(ciphertext->length()) << "\nAvsändarens signatur:\n";
  PrintSignature(out, *signature, "  ");
  PrintChunkCount(out, reader, fields->compressed);
  return true;
}

bool ReportOki(std::ostream& out, const std::string& path) {
  FileResult unreadable;
  if (DetectEncryptedFormat(path, unreadable) != EncryptedFormat::kOki) return false;
  const std::optional<ByteBuffer> record = ReadOkiRecord(path, unreadable);
  const std::optional<EncryptedDataFields> fields = record ? ReadEncryptedData(*record) : std::nullopt;
  if (!fields) return false;
  out << "Krypterad fil (OKI-format), post \"EncryptedData\"\n"
      << "Mottagarens krypteringsnyckel: RSA " << Bits(fields->ciphertext.length())
      << "\nAvsändarens signeringsnyckel: RSA " << Bits(fields->signature.length())
      << "\nKrypterad data: " << fields->sealed.length() << " byte\n"
      << cli_text::kOkiAuthenticates << '\n';
  return true;
}

bool ReportCertificate(std::ostream& out, const ByteBuffer& content) {
  const std::optional<CertificateRecord> certificate = ReadCertificate(content);
  if (!certificate) return false;
  out << "Personligt certifikat, post \"Certificate\"\n";
  PrintKeyRecord(out, certificate->publicKeyRecord);
  out << "Certifieringar: " << certificate->certifications.size() << '\n';
  for (const CertificateEntry& entry : certificate->certifications) {
    out << "  Organisation: " << DisplayText(WideText::fromRecordBytes(entry.organisation))
        << "\n  Nyckel-ID: " << HexString(entry.keyId) << '\n';
    PrintDataFields(out, entry.decoded, "  ");
  }
  return true;
}

// rand.bin holds one field of fresh generator output and nothing else.
bool IsSeedFile(const ByteBuffer& content) {
  ByteStream in(content);
  const std::optional<ByteBuffer> seed = in.readCompleteField();
  return seed && seed->length() == RandomGenerator::kSeedFileBytes && in.remaining() == 0;
}

// Files in the whole-file container, told apart by their first record's tag.
bool ReportContainer(std::ostream& out, const std::string& path) {
  ByteStream file;
  if (!ReadWholeFile(file, path) || file.bytes.empty()) return false;
  const ByteBuffer& content = file.bytes;
  if (HasRecordTag(content, tag::kSignature)) {
    const std::optional<SignatureRecord> signature = ReadSignatureRecord(content);
    if (!signature) return false;
    out << "Signaturfil, post \"Signature\"\n";
    PrintSignature(out, *signature, "");
  } else if (HasRecordTag(content, tag::kPublicKey)) {
    out << "Publik nyckel för certifiering, post \"PublicKey\"\n";
    PrintKeyRecord(out, content);
  } else if (HasRecordTag(content, tag::kPublicCertKey) || HasRecordTag(content, tag::kPrivateCertKey)) {
    const bool isPublic = HasRecordTag(content, tag::kPublicCertKey);
    out << (isPublic ? "Publik" : "Privat") << " certifieringsnyckel, post \""
        << (isPublic ? tag::kPublicCertKey : tag::kPrivateCertKey) << "\"\n";
    PrintCertKey(out, content);
    PrintFingerprint(out, content);
  } else if (HasRecordTag(content, tag::kCertification)) {
    const std::optional<CertificationRecord> c = ReadCertification(content);
    if (!c) return false;
    out << "Certifiering, post \"Certification\"\nOrganisation: "
        << DisplayText(WideText::fromRecordBytes(c->organisation)) << "\nNyckel-ID: " << HexString(c->keyId)
        << "\nCertifierad nyckels fingerprint: " << HexString(c->keyFingerprint) << '\n';
    if (const std::optional<DecodedDataFields> decoded = DecodeDataFields(c->dataFields)) {
      PrintDataFields(out, *decoded, "");
    }
  } else if (HasRecordTag(content, tag::kCertificate)) {
    return ReportCertificate(out, content);
  } else if (const StoredKeyPair pair = DecodeStoredKeyPair(content);
             HasRecordTag(pair.privateRecord, tag::kPrivateKey)) {
    out << "Nyckelpar (priv_key.bin eller säkerhetskopia), posterna \"PrivateKey\" och \"PublicKey\"\n"
        << "Nyckelns namn: " << DisplayText(pair.keyName) << '\n';
    PrintKeyRecord(out, pair.publicRecord);
  } else if (content.length() == kSettingsBytes) {
    const Settings settings = DecodeSettings(content);
    out << "Inställningar (config.bin)\nFilformat: "
        << (settings.fileFormat == Settings::kOki ? "OKI-format" : "Quillseal-format")
        << "\nKompression: " << (settings.compression == 1 ? "på" : "av") << '\n';
  } else if (IsSeedFile(content)) {
    out << "Fröfil för slumptalsgeneratorn (rand.bin)\n";
  } else {
    const std::vector<ByteBuffer> trusted = DecodeTrustedKeyList(content);
    if (trusted.empty() || !HasRecordTag(trusted.front(), tag::kPublicCertKey)) return false;
    out << "Betrodda certifieringsnycklar (cert_key_list.bin): " << trusted.size() << '\n';
    for (const ByteBuffer& entry : trusted) {
      PrintCertKey(out, entry, "  ");
      PrintFingerprint(out, entry, "  ");
    }
  }
  return true;
}

int RunFileReport(Session& session, const ParsedArgs& args) {
  const std::string path = args.positionals()[0];
  std::ostream& out = session.io().out;
  if (!platform::File::openRead(path))
    return session.fail(cli_text::kFileUnreadable +
                        CauseText({path, Finding::kSystem, platform::LastFileError()}));
  if (ReportNative(out, path) || ReportOki(out, path) || ReportContainer(out, path)) return kSuccess;
  return session.fail(cli_text::kUnknownFileKind + path + cli_text::kNotOurFile);
}

}  // namespace

std::vector<Command> FileReportCommands() {
  return {
      {.words = {"inspect"},
       .minPositionals = 1,
       .maxPositionals = 1,
       .synopsis = "FIL",
       .summary = "visa vad en fil från Quillseal innehåller (utan att dekryptera)",
       .run = RunFileReport},
  };
}

}  // namespace qs::cli
