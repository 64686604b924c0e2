#include <ostream>
#include <sstream>

#include "base/byte_stream.h"
#include "base/record.h"
#include "base/timestamp.h"
#include "base/whole_file.h"
#include "cli/command.h"
#include "cli/json_line.h"
#include "cli/messages.h"
#include "cli/settings_text.h"
#include "crypto/encrypted_data.h"
#include "crypto/key_wrap.h"
#include "crypto/random_generator.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "formats/recipients_header.h"
#include "formats/signing_context.h"
#include "keys/cert_keys.h"
#include "keys/certificate.h"
#include "keys/certification.h"
#include "keys/data_fields.h"
#include "keys/key_store.h"
#include "keys/locked_key.h"
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

std::string Bits(std::uint32_t bytes) { return std::to_string(bytes * 8) + cli_text::kBits; }

std::string Time(std::uint32_t seconds) { return FormatTimestamp(seconds).str(); }

void PrintFingerprint(std::ostream& out, const ByteBuffer& record, const char* indent = "") {
  if (const std::optional<ByteBuffer> fp = ComputeFingerprint(record)) {
    out << indent << cli_text::kFingerprintLabel << HexString(*fp) << '\n';
  }
}

void PrintDataFields(std::ostream& out, const DecodedDataFields& decoded, const char* indent) {
  out << indent << cli_text::kTimestampLabel << Time(decoded.timestamp) << '\n';
  for (const DataField& f : decoded.fields) {
    out << indent << "  " << DisplayText(f.name) << ": " << DisplayText(f.value) << '\n';
  }
}

void PrintKeyRecord(std::ostream& out, const ByteBuffer& record) {
  if (const std::optional<KeyTypes> types = ReadKeyTypes(record)) {
    out << cli_text::kEncryptionAlgorithmLabel << KeyTypeName(types->encryption) << '\n'
        << cli_text::kSigningAlgorithmLabel << KeyTypeName(types->signing) << '\n';
  }
  PrintFingerprint(out, record);
}

void PrintLock(std::ostream& out, KeyLock lock) {
  out << cli_text::kLockLabel;
  switch (lock) {
    case KeyLock::kNone:
      out << cli_text::kLockNone;
      break;
    case KeyLock::kAccount:
      out << cli_text::kLockAccount;
      break;
    case KeyLock::kPassphrase:
      out << cli_text::kLockPassphrase;
      break;
  }
  out << '\n';
}

void PrintCertKey(std::ostream& out, const ByteBuffer& record, const char* indent = "") {
  if (const std::optional<CertKeyHeader> header = ReadCertKeyHeader(record)) {
    out << indent << cli_text::kOrganisationLabel << DisplayText(header->organisation) << '\n'
        << indent << cli_text::kTypeLabel << KeyTypeName(header->keyType) << '\n'
        << indent << cli_text::kKeyIdLabel << HexString(header->keyId) << '\n';
  }
}

// The signed-information block and signature of a "Signature" record.
void PrintSignature(std::ostream& out, const SignatureRecord& record, const char* indent) {
  out << indent << cli_text::kRecordLabel << DisplayText(TextString(record.label)) << '\n'
      << indent << cli_text::kTimestampLabel << Time(record.timestamp) << '\n'
      << indent << cli_text::kMessageLabel << DisplayText(record.message) << '\n'
      << indent << cli_text::kSigningKeyLabel << Bits(record.signature.length()) << '\n';
}

// The table is sealed; its size bounds the chunk count, and without compression every
// chunk but the last has the same sealed size.
void PrintChunkCount(std::ostream& out, EncryptedFileReader& reader, bool compressed) {
  const std::optional<ByteBuffer> table = reader.readSealedTable();
  if (!table) return;
  if (!compressed) {
    const std::uint64_t full = ChunkBufferBytes(kChunkBytes);
    out << cli_text::kChunkCountLabel << (reader.unreadBytes() + full - 1) / full << '\n';
  } else if (const std::optional<std::uint64_t> least = LeastChunkCount(table->length())) {
    out << cli_text::kChunkCountLabel << *least << cli_text::kUpTo << *least + 3 << '\n';
  }
}

void PrintSenderSignature(std::ostream& out, const SignatureRecord& signature) {
  out << cli_text::kSenderNotNamed << '\n' << cli_text::kSenderSignatureLabel << '\n';
  PrintSignature(out, signature, "  ");
}

// A version-0 header: one recipient, whose key size the wrap shows.
bool ReportOneRecipient(std::ostream& out, const ByteBuffer& header, bool& compressed) {
  Finding why = Finding::kNone;
  const std::optional<FileHeaderFields> fields = ReadFileHeaderFields(header, why);
  if (!fields) return false;
  const std::optional<ByteBuffer> ciphertext = ReadEncryptedKey(fields->encryptedKeyRecord);
  const std::optional<SignatureRecord> signature = ReadSignatureRecord(fields->signature);
  if (!ciphertext || !signature) return false;
  compressed = fields->compressed;
  out << cli_text::kNativeEncryptedKind << '\n'
      << cli_text::kVersionLabel << 0 << '\n'
      << cli_text::kMethodLabel << static_cast<int>(kEncryptionMethod) << '\n'
      << cli_text::kCompressedLabel << (compressed ? cli_text::kYes : cli_text::kNo) << '\n'
      << cli_text::kRecipientsLabel << 1 << '\n'
      << cli_text::kRecipientKeyLabel << Bits(ciphertext->length()) << '\n';
  PrintSenderSignature(out, *signature);
  return true;
}

// A version-1 header: how many can read the file, not who.
bool ReportRecipients(std::ostream& out, const ByteBuffer& header, bool& compressed) {
  Finding why = Finding::kNone;
  const std::optional<RecipientsHeaderFields> fields = ReadRecipientsHeaderFields(header, why);
  const std::optional<SignatureRecord> signature =
      fields ? ReadSignatureRecord(fields->signature) : std::nullopt;
  if (!signature) return false;
  compressed = fields->compressed;
  out << cli_text::kNativeEncryptedKind << '\n'
      << cli_text::kVersionLabel << kRecipientsHeaderVersion << '\n'
      << cli_text::kMethodLabel << static_cast<int>(kEncryptionMethod) << '\n'
      << cli_text::kCompressedLabel << (compressed ? cli_text::kYes : cli_text::kNo) << '\n'
      << cli_text::kPlainSizeLabel << fields->plainSize << cli_text::kBytes << '\n'
      << cli_text::kRecipientsLabel << fields->recipients << cli_text::kRecipientsUnnamed << '\n';
  PrintSenderSignature(out, *signature);
  return true;
}

bool ReportNative(std::ostream& out, const std::string& path) {
  EncryptedFileReader reader(path);
  const std::optional<ByteBuffer> header = reader.readHeader();
  if (!header) return false;
  bool compressed = false;
  const bool known = HeaderVersion(*header) == kRecipientsHeaderVersion
                         ? ReportRecipients(out, *header, compressed)
                         : ReportOneRecipient(out, *header, compressed);
  if (!known) return false;
  PrintChunkCount(out, reader, compressed);
  return true;
}

bool ReportOki(std::ostream& out, const std::string& path) {
  FileResult unreadable;
  if (DetectEncryptedFormat(path, unreadable) != EncryptedFormat::kOki) return false;
  const std::optional<ByteBuffer> record = ReadOkiRecord(path, unreadable);
  const std::optional<EncryptedDataFields> fields = record ? ReadEncryptedData(*record) : std::nullopt;
  if (!fields) return false;
  out << cli_text::kOkiEncryptedKind << '\n'
      << cli_text::kRecipientKeyLabel << Bits(fields->ciphertext.length()) << '\n'
      << cli_text::kSenderSigningKeyLabel << Bits(fields->signature.length()) << '\n'
      << cli_text::kEncryptedDataLabel << fields->sealed.length() << cli_text::kBytes << '\n'
      << cli_text::kSenderNotNamed << '\n'
      << cli_text::kOkiAuthenticates << '\n';
  return true;
}

bool ReportCertificate(std::ostream& out, const ByteBuffer& content) {
  const std::optional<CertificateRecord> certificate = ReadCertificate(content);
  if (!certificate) return false;
  out << cli_text::kCertificateKind << '\n';
  PrintKeyRecord(out, certificate->publicKeyRecord);
  out << cli_text::kCertificationsCountLabel << certificate->certifications.size() << '\n';
  for (const CertificateEntry& entry : certificate->certifications) {
    out << "  " << cli_text::kOrganisationLabel << DisplayText(WideText::fromRecordBytes(entry.organisation))
        << "\n  " << cli_text::kKeyIdLabel << HexString(entry.keyId) << '\n';
    PrintDataFields(out, entry.decoded, "  ");
  }
  return true;
}

// Files in the whole-file container, told apart by their first record's tag.
bool ReportContainer(std::ostream& out, const std::string& path) {
  ByteStream file;
  if (!ReadWholeFile(file, path) || file.bytes.empty()) return false;
  const ByteBuffer& content = file.bytes;
  if (HasRecordTag(content, tag::kSignature)) {
    const std::optional<SignatureRecord> signature = ReadSignatureRecord(content);
    if (!signature) return false;
    out << cli_text::kSignatureFileKind << '\n';
    PrintSignature(out, *signature, "");
  } else if (HasRecordTag(content, tag::kPublicKey)) {
    out << cli_text::kPublicKeyKind << '\n';
    PrintKeyRecord(out, content);
  } else if (HasRecordTag(content, tag::kPublicCertKey) || HasRecordTag(content, tag::kPrivateCertKey)) {
    const bool isPublic = HasRecordTag(content, tag::kPublicCertKey);
    out << (isPublic ? cli_text::kPublic : cli_text::kPrivate) << cli_text::kCertKeyKind
        << (isPublic ? tag::kPublicCertKey : tag::kPrivateCertKey) << "\"\n";
    PrintCertKey(out, content);
    PrintFingerprint(out, content);
  } else if (HasRecordTag(content, tag::kCertification)) {
    const std::optional<CertificationRecord> c = ReadCertification(content);
    if (!c) return false;
    out << cli_text::kCertificationKind << '\n'
        << cli_text::kOrganisationLabel << DisplayText(WideText::fromRecordBytes(c->organisation)) << '\n'
        << cli_text::kKeyIdLabel << HexString(c->keyId) << '\n'
        << cli_text::kCertifiedFingerprintLabel << HexString(c->keyFingerprint) << '\n';
    if (const std::optional<DecodedDataFields> decoded = DecodeDataFields(c->dataFields)) {
      PrintDataFields(out, *decoded, "");
    }
  } else if (HasRecordTag(content, tag::kCertificate)) {
    return ReportCertificate(out, content);
  } else if (IsLockedKey(content)) {
    out << cli_text::kLockedCertKeyKind << '\n';
    PrintLock(out, LockOf(content));
  } else if (const StoredKeyPair pair = DecodeStoredKeyPair(content);
             HasRecordTag(pair.privateRecord, tag::kPrivateKey) || IsLockedKey(pair.privateRecord)) {
    out << (IsLockedKey(pair.privateRecord) ? cli_text::kLockedKeyPairKind : cli_text::kKeyPairKind) << '\n'
        << cli_text::kKeyNameLabel << DisplayText(pair.keyName) << '\n';
    PrintKeyRecord(out, pair.publicRecord);
    PrintLock(out, KeyPairLock(content));
  } else if (content.length() == kSettingsBytes || content.length() == kSettingsBytesWithSelf) {
    out << cli_text::kSettingsKind << '\n';
    PrintSettings(out, DecodeSettings(content), cli_text::kOkiFormat);
  } else if (IsSeedFileContent(content)) {
    out << cli_text::kSeedFileKind << '\n';
  } else {
    const std::vector<ByteBuffer> trusted = DecodeTrustedKeyList(content);
    if (trusted.empty() || !HasRecordTag(trusted.front(), tag::kPublicCertKey)) return false;
    out << cli_text::kTrustedKeyListKind << trusted.size() << '\n';
    for (const ByteBuffer& entry : trusted) {
      PrintCertKey(out, entry, "  ");
      PrintFingerprint(out, entry, "  ");
    }
  }
  return true;
}

// The report as one JSON object: the first line is the kind, every further line a row of its
// depth (two spaces each), label and value, as the text shows them.
std::string ReportJson(const std::string& report) {
  std::istringstream lines(report);
  std::string kind;
  std::getline(lines, kind);
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos) continue;
    const std::size_t colon = line.find(": ", indent);
    const std::string label =
        line.substr(indent, colon == std::string::npos ? std::string::npos : colon - indent);
    std::string value = colon == std::string::npos ? "" : line.substr(colon + 2);
    value.erase(0, value.find_first_not_of(' '));
    rows.push_back(JsonLine()
                       .add("depth", static_cast<std::int64_t>(indent / 2))
                       .add("label", label)
                       .add("value", value)
                       .str());
  }
  return JsonLine().add("kind", kind).addJson("rows", JsonArray(rows)).str();
}

int RunFileReport(Session& session, const ParsedArgs& args) {
  const std::string path = args.positionals()[0];
  if (!platform::File::openRead(path))
    return session.fail(cli_text::kFileUnreadable +
                        CauseText({path, Finding::kSystem, platform::LastFileError()}));
  std::ostringstream report;
  if (!(ReportNative(report, path) || ReportOki(report, path) || ReportContainer(report, path)))
    return session.fail(cli_text::kUnknownFileKind + path + cli_text::kNotOurFile);
  session.io().out << (args.has("json") ? ReportJson(report.str()) + "\n" : report.str());
  return kSuccess;
}

}  // namespace

std::vector<Command> FileReportCommands() {
  return {
      {.words = {"inspect"},
       .options = {{.name = "json"}},
       .minPositionals = 1,
       .maxPositionals = 1,
       .synopsis = cli_text::kInspectSynopsis,
       .summary = cli_text::kInspectSummary,
       .run = RunFileReport},
  };
}

}  // namespace qs::cli
