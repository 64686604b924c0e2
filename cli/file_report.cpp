#include <ostream>

#include "base/byte_stream.h"
#include "base/record.h"
#include "base/timestamp.h"
#include "base/whole_file.h"
#include "cli/command.h"
#include "formats/encrypted_file_header.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "keys/cert_keys.h"
#include "keys/certification.h"
#include "keys/data_fields.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "keys/trusted_keys.h"
#include "platform/file.h"

namespace qs::cli {
namespace {

// Describes files without any key: what a file is and what it shows in the clear.

std::string Bits(std::uint32_t bytes) { return std::to_string(bytes * 8) + " bitar"; }

std::string Time(std::uint32_t seconds) { return FormatTimestamp(seconds).str(); }

std::string TagOf(const ByteBuffer& record) {
  ByteStream in(record);
  const ByteBuffer tag = in.readField();
  return std::string(reinterpret_cast<const char*>(tag.data()), tag.length());
}

void PrintFingerprint(std::ostream& out, const ByteBuffer& record, const char* indent = "") {
  if (const std::optional<ByteBuffer> fp = ComputeFingerprint(record)) out << indent << "Fingerprint: " << HexString(*fp) << '\n';
}

void PrintDataFields(std::ostream& out, const ByteBuffer& dataFields, const char* indent) {
  const std::optional<DecodedDataFields> decoded = DecodeDataFields(dataFields);
  if (!decoded) return;
  out << indent << "Tidstämpel: " << Time(decoded->timestamp) << '\n';
  for (const DataField& f : decoded->fields) {
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
void PrintSignature(std::ostream& out, const ByteBuffer& record, const char* indent) {
  ByteStream in(record);
  in.skipField();
  in.readU16();
  in.readU16();
  ByteStream info(in.readField());
  const ByteBuffer signature = in.readField();
  const TextString label(info.readField());
  const std::uint32_t timestamp = info.readU32();
  const WideText message = WideText::fromRecordBytes(info.readField());
  out << indent << "Etikett: " << label.str() << '\n'
      << indent << "Tidstämpel: " << Time(timestamp) << '\n'
      << indent << "Meddelande: " << DisplayText(message) << '\n'
      << indent << "Signeringsnyckel: RSA " << Bits(signature.length()) << '\n';
}

bool ReportNative(std::ostream& out, const std::string& path) {
  EncryptedFileReader reader(path);
  const std::optional<ByteBuffer> header = reader.readHeader();
  if (!header || TagOf(*header) != tag::kEncryptedFile) return false;
  ByteStream in(*header);
  in.skipField();
  in.readU16();
  in.readU8();
  const std::uint8_t compressed = in.readU8();
  const std::uint8_t method = in.readU8();
  ByteStream wrapped(in.readField());
  wrapped.skipField();
  wrapped.readU16();
  const ByteBuffer ciphertext = wrapped.readField();
  const ByteBuffer signature = in.readField();

  std::optional<platform::File> file = platform::File::openRead(path);
  const std::uint64_t size = file ? file->size().value_or(0) : 0;
  ByteBuffer prefix = ByteBuffer::zeros(4);
  const std::uint64_t tableAt = 4 + header->length();
  const bool tableRead = file && file->seek(tableAt) && file->readFull(prefix.data(), 4);
  const std::uint32_t table = ByteStream(prefix).readU32();

  out << "Krypterad fil (Quillseal-format), post \"EncryptedFile\"\n"
      << "Metod: " << static_cast<int>(method) << "\nKomprimerad: " << (compressed ? "ja" : "nej")
      << "\nMottagarens krypteringsnyckel: RSA " << Bits(ciphertext.length()) << "\nAvsändarens signatur:\n";
  PrintSignature(out, signature, "  ");
  // The table is sealed; its size bounds the chunk count, and without compression every
  // chunk but the last has the same sealed size.
  if (tableRead && table >= 64) {
    const std::uint32_t most = (table - 64) / 4 + 2;
    std::uint32_t least = most >= 3 ? most - 3 : 0;
    while (least < most && SealedTableSize(least) != table) ++least;
    const std::uint64_t full = SymmetricContext::SealedSize(4 + kChunkBytes);
    const std::uint64_t data = size - std::min(size, tableAt + 4 + table);
    if (!compressed) {
      out << "Antal delar: " << (data + full - 1) / full << '\n';
    } else {
      out << "Antal delar: " << least << " till " << least + 3 << '\n';
    }
  }
  return true;
}

bool ReportOki(std::ostream& out, const std::string& path) {
  bool isOki = false;
  if (!DetectOkiFile(path, isOki) || !isOki) return false;
  std::optional<platform::File> file = platform::File::openRead(path);
  const std::optional<std::uint64_t> size = file ? file->size() : std::nullopt;
  if (!size) return false;
  // Detection read more than the prefix, so all four prefix bytes are there.
  const std::optional<std::uint32_t> length = ReadLengthPrefix(*file, *size, kMaxOkiRecordBytes);
  if (!length) return false;
  ByteBuffer record = ByteBuffer::zeros(*length);
  if (!file->readFull(record.data(), *length)) return false;
  ByteStream in(record);
  in.skipField();
  in.readU16();
  in.readU16();
  in.readU16();
  const ByteBuffer ciphertext = in.readField();
  const ByteBuffer signature = in.readField();
  const std::uint32_t sealed = in.readU32();
  out << "Krypterad fil (OKI-format), post \"EncryptedData\"\n"
      << "Mottagarens krypteringsnyckel: RSA " << Bits(ciphertext.length())
      << "\nAvsändarens signeringsnyckel: RSA " << Bits(signature.length())
      << "\nKrypterad data: " << sealed << " byte\n";
  return true;
}

void ReportCertificate(std::ostream& out, const ByteBuffer& record) {
  ByteStream in(record);
  in.skipField();
  in.readU16();
  const ByteBuffer owner = in.readField();
  const std::uint16_t count = in.readU16();
  out << "Personligt certifikat, post \"Certificate\"\n";
  PrintKeyRecord(out, owner);
  out << "Certifieringar: " << count << '\n';
  for (std::uint16_t i = 0; i < count && in.remaining() > 0; ++i) {
    const ByteBuffer keyId = in.readField();
    const WideText organisation = WideText::fromRecordBytes(in.readField());
    const ByteBuffer dataFields = in.readField();
    in.skipField();
    out << "  Organisation: " << DisplayText(organisation) << "\n  Nyckel-ID: " << HexString(keyId) << '\n';
    PrintDataFields(out, dataFields, "  ");
  }
}

// Files in the whole-file container, told apart by their first record's tag.
bool ReportContainer(std::ostream& out, const std::string& path) {
  ByteStream file;
  if (!ReadWholeFile(file, path) || file.bytes.empty()) return false;
  const ByteBuffer& content = file.bytes;
  const std::string tag = TagOf(content);
  if (tag == tag::kSignature) {
    out << "Signaturfil, post \"Signature\"\n";
    PrintSignature(out, content, "");
  } else if (tag == tag::kPublicKey) {
    out << "Publik nyckel för certifiering, post \"PublicKey\"\n";
    PrintKeyRecord(out, content);
  } else if (tag == tag::kPublicCertKey || tag == tag::kPrivateCertKey) {
    out << (tag == tag::kPublicCertKey ? "Publik" : "Privat") << " certifieringsnyckel, post \"" << tag << "\"\n";
    PrintCertKey(out, content);
    PrintFingerprint(out, content);
  } else if (tag == tag::kCertification) {
    const std::optional<CertificationRecord> c = ReadCertification(content);
    if (!c) return false;
    out << "Certifiering, post \"Certification\"\nOrganisation: "
        << DisplayText(WideText::fromRecordBytes(c->organisation)) << "\nNyckel-ID: " << HexString(c->keyId)
        << "\nCertifierad nyckels fingerprint: " << HexString(c->keyFingerprint) << '\n';
    PrintDataFields(out, c->dataFields, "");
  } else if (tag == tag::kCertificate) {
    ReportCertificate(out, content);
  } else if (TagOf(ByteStream(content).readField()) == tag::kPrivateKey) {
    const StoredKeyPair pair = DecodeStoredKeyPair(content);
    out << "Nyckelpar (priv_key.bin eller säkerhetskopia), posterna \"PrivateKey\" och \"PublicKey\"\n"
        << "Nyckelns namn: " << DisplayText(pair.keyName) << '\n';
    PrintKeyRecord(out, pair.publicRecord);
  } else if (content.length() == 2) {
    out << "Inställningar (config.bin)\nFilformat: " << (content.data()[0] ? "OKI-format" : "Quillseal-format")
        << "\nKompression: " << (content.data()[1] ? "på" : "av") << '\n';
  } else if (content.length() == 516 && ByteStream(content).readU32() == 512) {
    out << "Fröfil för slumptalsgeneratorn (rand.bin)\n";
  } else {
    const std::vector<ByteBuffer> trusted = DecodeTrustedKeyList(content);
    if (trusted.empty() || TagOf(trusted.front()) != tag::kPublicCertKey) return false;
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
  if (!platform::File::openRead(path)) return session.fail("Kunde inte läsa filen: " + path);
  if (ReportNative(out, path) || ReportOki(out, path) || ReportContainer(out, path)) return kSuccess;
  return session.fail("Okänd filtyp: " + path + " är ingen fil som Quillseal skriver.");
}

}  // namespace

std::vector<Command> FileReportCommands() {
  return {
      {{"inspect"}, {}, 1, 1, "FIL", "visa vad en fil från Quillseal innehåller (utan att dekryptera)", "",
       RunFileReport},
  };
}

}  // namespace qs::cli
