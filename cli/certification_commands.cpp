#include <cctype>
#include <ostream>

#include "base/timestamp.h"
#include "base/visible_text.h"
#include "cli/approval.h"
#include "cli/command.h"
#include "cli/field_option.h"
#include "cli/key_failure.h"
#include "cli/key_type_option.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "cli/progress_display.h"
#include "keys/cert_keys.h"
#include "keys/certify.h"
#include "keys/key_store.h"
#include "keys/personal_certificate.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "keys/trusted_keys.h"
#include "operations/key_messages.h"
#include "platform/clock.h"

namespace qs::cli {
namespace {

int Outcome(Session& session, const KeyStatus& status) {
  return status.ok() ? kSuccess : FailKey(session, status);
}

int RunCaCreate(Session& session, const ParsedArgs& args) {
  const std::string organisation = args.required("organisation");
  if (organisation.empty()) return session.fail(key_text::kNeedOrganisation);
  const KeyType keyType = KeyTypeOption(args, "bits");
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;

  std::optional<CertKeyPairRecords> records;
  if (RunKeyGeneration(session.io(), session.options().quiet, [&](ProgressHook* hook) {
        records = CreateCertificationKeyPair(*generator, RecordText(organisation), keyType, hook);
        return records.has_value();
      }))
    return session.interrupted();
  if (!records) return session.fail(MessageText(KeyOutcome::kCertKeysNotCreated));
  const KeyResult<std::string> suggested = SuggestedCertKeyName(records->publicRecord);
  if (!suggested.ok()) return Outcome(session, suggested.status());

  const std::string prefix = args.value("output").value_or(suggested.value);
  const std::string privatePath = prefix + ".private_cert_key";
  const std::string publicPath = prefix + ".public_cert_key";
  if (!MayWrite(session, privatePath, args.has("force")) ||
      !MayWrite(session, publicPath, args.has("force"))) {
    return kFailure;
  }
  if (const int status = Outcome(session, SaveCertificationKeyPair(*records, privatePath, publicPath));
      status) {
    return status;
  }
  session.io().out << VisibleText(privatePath) << '\n' << VisibleText(publicPath) << '\n';
  if (!args.has("trust")) return kSuccess;
  const std::optional<std::string> folder = session.workingFolder();
  return folder ? Outcome(session, AddTrustedKey(*folder, records->publicRecord)) : kFailure;
}

std::vector<DataField> FieldsOf(const ParsedArgs& args) {
  std::vector<DataField> fields;
  for (const std::string& field : args.values("field")) fields.push_back(FieldOption(field, "field"));
  return fields;
}

int RunCaCertify(Session& session, const ParsedArgs& args) {
  const std::string publicKeyPath = args.required("public-key");
  const std::string caKeyPath = args.required("ca-key");
  const std::string proofPath = args.value("proof").value_or(PossessionProofPath(publicKeyPath));
  const std::vector<DataField> fields = FieldsOf(args);
  const KeyResult<CertificationInputs> inputs =
      ReadCertificationInputs(publicKeyPath, caKeyPath, proofPath, fields);
  if (!inputs.ok()) return Outcome(session, inputs.status());
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;

  // Taken once, so that the time confirmed is the time signed.
  const auto timestamp = static_cast<std::uint32_t>(platform::CalendarSeconds());
  if (!ApproveCertification(session, publicKeyPath, FormatTimestamp(timestamp).str(), fields,
                            HexString(inputs.value.fingerprint))) {
    return kFailure;
  }
  const KeyResult<NewCertification> certification =
      MakeCertification(*generator, inputs.value, fields, timestamp, publicKeyPath);
  if (!certification.ok()) return Outcome(session, certification.status());
  const std::string target =
      args.value("output").value_or(certification.value.suggestedName + ".certification");
  if (!MayWrite(session, target, args.has("force"))) return kFailure;
  if (const int status =
          Outcome(session, WriteCertification(target, certification.value.record, publicKeyPath, caKeyPath));
      status) {
    return status;
  }
  session.io().out << VisibleText(target) << '\n';
  return kSuccess;
}

int RunCertificateCreate(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  KeyCause unreadable;
  const std::optional<StoredKeyPair> own = ReadStoredKeyPair(*folder, &unreadable);
  if (!own) return Outcome(session, {KeyOutcome::kNoPublicKey, unreadable});
  PendingCertifications pending;
  for (const std::string& path : args.positionals()) {
    if (const int status = Outcome(session, pending.add(path)); status) return status;
  }
  const KeyResult<PersonalCertificate> certificate = MakePersonalCertificate(*own, pending);
  if (!certificate.ok()) return Outcome(session, certificate.status());
  const std::string target = args.value("output").value_or(certificate.value.suggestedName + ".certificate");
  if (!MayWrite(session, target, args.has("force"))) return kFailure;
  if (const int status =
          Outcome(session, WritePersonalCertificate(*folder, target, certificate.value.record, pending));
      status) {
    return status;
  }
  session.io().out << VisibleText(target) << '\n';
  return kSuccess;
}

int RunTrustList(Session& session, const ParsedArgs&) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  const TrustedKeyListing listing = ListTrustedKeys(*folder);
  for (std::size_t i = 0; i < listing.unreadable.size(); ++i) {
    session.io().err << MessageText(KeyOutcome::kStoredTrustedKeyUnreadable) << '\n';
  }
  std::ostream& out = session.io().out;
  if (listing.rows.empty()) out << "Inga betrodda certifieringsnycklar.\n";
  for (const TrustedKeyRow& row : listing.rows) {
    out << "Organisation: " << row.organisation << "\n  Typ:         " << KeyTypeName(row.keyType)
        << "\n  Key-ID:      " << row.keyId << "\n  Fingerprint: " << row.fingerprint << '\n';
  }
  return kSuccess;
}

int RunTrustAdd(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  const KeyResult<TrustedKeyCandidate> candidate = ReadTrustedKeyCandidate(args.positionals()[0]);
  if (!candidate.ok()) return Outcome(session, candidate.status());
  const CertKeyHeader& header = candidate.value.header;
  if (const std::optional<std::string> warning = SharedKeyIdWarningFor(*folder, candidate.value)) {
    session.io().err << "quillseal-cli: " << *warning << '\n';
  }
  if (!ApproveTrustedKey(session, DisplayText(header.organisation), HexString(header.keyId),
                         HexString(candidate.value.fingerprint))) {
    return kFailure;
  }
  return Outcome(session, AddTrustedKey(*folder, candidate.value.record));
}

int RunTrustRemove(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  std::string named = args.positionals()[0];
  for (char& c : named) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::vector<TrustedKeyRow> matches;
  for (TrustedKeyRow& row : ListTrustedKeys(*folder).rows) {
    if (row.keyId == named || row.fingerprint == named) matches.push_back(std::move(row));
  }
  // Several trusted keys may share a Key-ID; only the fingerprint says which one goes.
  if (matches.size() > 1) return session.fail(cli_text::kKeyIdNotUnique);
  if (matches.empty()) return session.fail(MessageText(KeyOutcome::kNoTrustedKeySelected));
  return Outcome(session, RemoveTrustedKey(*folder, &matches.front()));
}

}  // namespace

std::vector<Command> CertificationCommands() {
  const OptionSpec output{.name = "output", .shortName = 'o', .takesValue = true};
  const OptionSpec force{.name = "force"};
  return {
      {.words = {"ca", "create"},
       .options = {{.name = "organisation", .takesValue = true},
                   {.name = "bits", .takesValue = true},
                   output,
                   {.name = "trust"},
                   force},
       .synopsis = "--organisation ORG [--bits 2048|3072|4096] [-o PREFIX] [--trust] [--force]",
       .summary = "skapa ett certifieringsnyckelpar",
       .details = "Skriver PREFIX.private_cert_key och PREFIX.public_cert_key (utan -o: organisationen och\n"
                  "Nyckel-ID). --trust lägger till den publika nyckeln som betrodd i arbetsmappen.\n",
       .run = RunCaCreate},
      {.words = {"ca", "certify"},
       .options = {{.name = "public-key", .takesValue = true},
                   {.name = "ca-key", .takesValue = true},
                   {.name = "proof", .takesValue = true},
                   {.name = "field", .takesValue = true, .repeatable = true},
                   output,
                   force},
       .synopsis = "--public-key FIL --ca-key FIL [--proof FIL] --field NAMN=VÄRDE [--field ...] [-o "
                   "FIL.certification] [--force]",
       .summary = "certifiera en användares publika nyckel med datafält",
       .details = "Högst 20 fält; namn högst 20 och värden högst 150 tecken. Nyckeln certifieras bara med\n"
                  "ägarens innehavsbevis, signaturen som key export sparar bredvid nyckelfilen\n"
                  "(FIL.signature, eller den fil --proof anger).\n",
       .run = RunCaCertify},
      {.words = {"certificate", "create"},
       .options = {output, force},
       .maxPositionals = 1000,
       .synopsis = "[FIL.certification ...] [-o FIL.certificate] [--force]",
       .summary = "skapa ett personligt certifikat av certifieringarna",
       .details = "Certifieringarna måste gälla det lagrade nyckelparets publika nyckel.\n",
       .run = RunCertificateCreate},
      {.words = {"trust", "list"},
       .synopsis = "",
       .summary = "visa de betrodda certifieringsnycklarna",
       .run = RunTrustList},
      {.words = {"trust", "add"},
       .minPositionals = 1,
       .maxPositionals = 1,
       .synopsis = "FIL.public_cert_key",
       .summary = "lägg till en betrodd certifieringsnyckel efter godkännande",
       .run = RunTrustAdd},
      {.words = {"trust", "remove"},
       .minPositionals = 1,
       .maxPositionals = 1,
       .synopsis = "NYCKEL-ID|FINGERPRINT",
       .summary = "ta bort en betrodd certifieringsnyckel",
       .details = "Har flera betrodda nycklar samma Nyckel-ID anges nyckelns fingerprint.\n",
       .run = RunTrustRemove},
  };
}

}  // namespace qs::cli
