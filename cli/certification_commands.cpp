#include <cctype>
#include <ostream>

#include "base/timestamp.h"
#include "base/visible_text.h"
#include "cli/approval.h"
#include "cli/command.h"
#include "cli/field_option.h"
#include "cli/json_line.h"
#include "cli/key_failure.h"
#include "cli/key_type_option.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "cli/passphrase.h"
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
  const std::string organisation = StorableText(args.required("organisation"), "organisation");
  if (organisation.empty()) return session.fail(key_text::kNeedOrganisation, kUsage);
  const KeyType keyType = KeyTypeOption(args, "bits");
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;
  const std::optional<KeyLocking> locking = ChosenLocking(session, args);
  if (!locking) return kFailure;

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
  if (const int status =
          Outcome(session, SaveCertificationKeyPair(*records, privatePath, publicPath, *locking));
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
      ReadCertificationInputs(publicKeyPath, caKeyPath, proofPath, fields, session.passphrases());
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

int RunTrustList(Session& session, const ParsedArgs& args) {
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  const TrustedKeyListing listing = ListTrustedKeys(*folder);
  for (std::size_t i = 0; i < listing.unreadable.size(); ++i) {
    session.io().err << MessageText(KeyOutcome::kStoredTrustedKeyUnreadable) << '\n';
  }
  std::ostream& out = session.io().out;
  if (args.has("json")) {
    for (const TrustedKeyRow& row : listing.rows) {
      out << JsonLine()
                 .add("organisation", row.organisation)
                 .add("type", KeyTypeName(row.keyType))
                 .add("keyId", row.keyId)
                 .add("fingerprint", row.fingerprint)
                 .str()
          << '\n';
    }
    return kSuccess;
  }
  if (listing.rows.empty()) out << cli_text::kNoTrustedKeys << '\n';
  for (const TrustedKeyRow& row : listing.rows) {
    out << cli_text::kOrganisationLabel << row.organisation << "\n  " << cli_text::kListedType
        << KeyTypeName(row.keyType) << "\n  " << cli_text::kListedKeyId << row.keyId << "\n  "
        << cli_text::kFingerprintLabel << row.fingerprint << '\n';
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
                   force,
                   {.name = "passphrase"}},
       .synopsis = cli_text::kCaCreateSynopsis,
       .summary = cli_text::kCaCreateSummary,
       .details = cli_text::kCaCreateDetails,
       .run = RunCaCreate,
       .createsKeyPair = true},
      {.words = {"ca", "certify"},
       .options = {{.name = "public-key", .takesValue = true},
                   {.name = "ca-key", .takesValue = true},
                   {.name = "proof", .takesValue = true},
                   {.name = "field", .takesValue = true, .repeatable = true},
                   output,
                   force},
       .synopsis = cli_text::kCaCertifySynopsis,
       .summary = cli_text::kCaCertifySummary,
       .details = cli_text::kCaCertifyDetails,
       .run = RunCaCertify},
      {.words = {"certificate", "create"},
       .options = {output, force},
       .maxPositionals = 1000,
       .synopsis = cli_text::kCertificateCreateSynopsis,
       .summary = cli_text::kCertificateCreateSummary,
       .details = cli_text::kCertificateCreateDetails,
       .run = RunCertificateCreate},
      {.words = {"trust", "list"},
       .options = {{.name = "json"}},
       .synopsis = "[--json]",
       .summary = cli_text::kTrustListSummary,
       .run = RunTrustList},
      {.words = {"trust", "add"},
       .minPositionals = 1,
       .maxPositionals = 1,
       .synopsis = cli_text::kTrustAddSynopsis,
       .summary = cli_text::kTrustAddSummary,
       .run = RunTrustAdd},
      {.words = {"trust", "remove"},
       .minPositionals = 1,
       .maxPositionals = 1,
       .synopsis = cli_text::kTrustRemoveSynopsis,
       .summary = cli_text::kTrustRemoveSummary,
       .details = cli_text::kTrustRemoveDetails,
       .run = RunTrustRemove},
  };
}

}  // namespace qs::cli
