#include <algorithm>
#include <functional>
#include <limits>
#include <ostream>

#include "base/timestamp.h"
#include "base/visible_text.h"
#include "base/windows1252.h"
#include "cli/command.h"
#include "cli/exit_status.h"
#include "cli/field_option.h"
#include "cli/json_line.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "cli/own_keys.h"
#include "cli/progress_display.h"
#include "cli/standard_streams.h"
#include "formats/oki_file.h"
#include "formats/recipients_header.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "operations/cause_text.h"
#include "operations/file_operation.h"
#include "operations/output_names.h"
#include "operations/sender_choice.h"
#include "operations/settings.h"
#include "platform/file.h"
#include "platform/working_folder.h"

namespace qs::cli {
namespace {

constexpr std::size_t kAnyNumber = std::numeric_limits<std::size_t>::max();

// One input of a command and where its output goes (verify: the signature file).
struct FileTask {
  std::string source;
  std::string target;
};

// One task's output may be neither another's (the second would replace the first, even with
// --force) nor another task's input (read after it was replaced): a usage error before
// anything is written. Names are compared as the file system compares them.
void RefuseCollisions(const std::vector<FileTask>& tasks) {
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    for (std::size_t j = 0; j < tasks.size(); ++j) {
      if (i == j) continue;
      if (j > i && platform::SamePlace(tasks[i].target, tasks[j].target))
        throw UsageError(cli_text::kSameOutput + tasks[j].target);
      if (platform::SamePlace(tasks[i].target, tasks[j].source))
        throw UsageError(cli_text::kOutputIsInput + tasks[i].target);
    }
  }
}

// Where each input's output goes: outputName(input) beside the input, or with -o the named
// file for a single input (inside it when it is an existing folder) and the named folder,
// made when missing, for several.
std::optional<std::vector<FileTask>> PlanTasks(
    Session& session, const ParsedArgs& args,
    const std::function<std::string(const std::string&)>& outputName) {
  const std::vector<std::string>& sources = args.positionals();
  const std::optional<std::string> output = args.value("output");
  RefuseStreamMisuse(sources, output, true);
  std::vector<FileTask> tasks;
  const bool intoFolder = output && (sources.size() > 1 || platform::IsFolder(*output));
  for (const std::string& source : sources) {
    // What is read from standard input goes to standard output unless -o says otherwise.
    std::string target = IsStandardStream(source) ? source : outputName(source);
    if (intoFolder && target.empty()) throw UsageError(cli_text::kNotEncryptedNameGiveOutput);
    if (output) target = intoFolder ? platform::JoinPath(*output, FileNamePart(target)) : *output;
    tasks.push_back({source, std::move(target)});
  }
  RefuseCollisions(tasks);
  if (output && sources.size() > 1 && !platform::CreateFolder(*output)) {
    session.fail(cli_text::kFolderNotMade + *output);
    return std::nullopt;
  }
  return tasks;
}

// How the results of a command's files are told: with several inputs each line names its
// file; with --json each file is one JSON object on stdout instead.
struct TaskReport {
  bool several = false;
  const char* done = "";  // what a success is called, "krypterad till"
  bool json = false;
};

// The --json object of a file that failed.
JsonLine FailedLine(const FileTask& task, ExitStatus status, const std::string& cause) {
  JsonLine line;
  line.add("input", task.source).add("output", task.target).add("outcome", "failed");
  line.add("status", std::int64_t{status}).add("cause", cause);
  return line;
}

// What decrypt --check reads: each input, with no output.
std::vector<FileTask> CheckTasks(std::span<const std::string> sources) {
  RefuseStreamMisuse(sources, std::nullopt, false);
  std::vector<FileTask> tasks;
  for (const std::string& source : sources) tasks.push_back({source, {}});
  return tasks;
}

// Drops the tasks whose target exists (without --force) after a line for each; nothing is
// left when none may be written.
void KeepWritable(Session& session, const ParsedArgs& args, std::vector<FileTask>& tasks, bool& anyFailed) {
  std::vector<FileTask> kept;
  for (FileTask& task : tasks) {
    if (IsStandardStream(task.target) || MayWrite(session, task.target, args.has("force"))) {
      kept.push_back(std::move(task));
      continue;
    }
    if (args.has("json"))
      session.io().out << FailedLine(task, kFailure, OutputExistsText(task.target)).str() << '\n';
    anyFailed = true;
  }
  tasks = std::move(kept);
}

// What is told of one file: with several inputs its line names it.
std::string AboutFile(bool several, const std::string& source, const std::string& text) {
  return several ? source + ": " + text : text;
}

// The outcome's message, then what was wrong with which file when that is known; gives the
// words told.
std::string FailFile(Session& session, bool several, const FileTask& task, FileOutcome outcome,
                     const FileCause& cause) {
  const std::string text =
      outcome == FileOutcome::kTargetExists ? OutputExistsText(task.target) : MessageText(outcome);
  const std::string why = CauseText(cause);
  const std::string told = why.empty() ? text : text + " " + why;
  session.fail(AboutFile(several, task.source, told), StatusOf(outcome, cause));
  return told;
}

ProgressSource SourceOf(OperationRequest& request) {
  return {[&request] { return ProgressFraction(request); }, [&request] { return ProgressBytes(request); },
          [&request] { RequestCancel(request); }};
}

// What a single file's success prints; several files print one line each instead.
void PrintVerified(std::ostream& out, const OperationResult& result, bool oneLine,
                   const std::string& source) {
  const std::string timestamp = FormatTimestamp(result.signedTimestamp).str();
  const std::string message = DisplayText(result.signedMessage);
  if (oneLine) {
    out << VisibleText(source) << ": " << cli_text::kSignatureOk << ' ' << cli_text::kTimestampLabel
        << timestamp << ". " << cli_text::kMessageLabel << message << '\n';
  } else {
    out << cli_text::kSignatureOk << '\n'
        << cli_text::kTimestampLabel << timestamp << '\n'
        << cli_text::kMessageLabel << message << '\n';
  }
}

// What a file command needs before its first file, asked in this order: the random generator,
// the approved peers' keys from the certificates (all but sign; the first is peerPublicKey,
// encryption takes the others as further recipients) and the own key pair (all but verify),
// whose name it gives to *keyName. Nullptr after a message.
RandomGenerator* PrepareRequest(Session& session, std::span<const std::string> certificates,
                                OperationRequest& request, std::string* keyName = nullptr) {
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return nullptr;
  for (const std::string& certificate : certificates) {
    std::optional<ByteBuffer> peer = ApprovedPeerKey(session, certificate);
    if (!peer) return nullptr;
    if (request.peerPublicKey.empty()) {
      request.peerPublicKey = std::move(*peer);
    } else {
      request.furtherRecipients.push_back(std::move(*peer));
    }
  }
  if (request.code != OperationCode::kVerify) {
    std::optional<OwnKeys> own = ReadOwnKeys(session);
    if (!own) return nullptr;
    request.ownPrivateKey = std::move(own->privateRecord);
    if (keyName != nullptr) *keyName = std::move(own->keyName);
  }
  return generator;
}

// The certificates of several --from: checked at once, each approved only when a file shows
// that it is that file's sender.
struct CandidateSenders {
  std::vector<std::string> certificates;
  std::vector<PeerCertificate> peers;
  std::vector<ByteBuffer> keys;
  std::vector<bool> approved;
};

// Nothing after a message when a certificate cannot be used.
std::optional<CandidateSenders> CheckCandidates(Session& session,
                                                const std::vector<std::string>& certificates) {
  CandidateSenders candidates;
  for (const std::string& certificate : certificates) {
    std::optional<PeerCertificate> peer = CheckedPeer(session, certificate);
    if (!peer) return std::nullopt;
    candidates.certificates.push_back(certificate);
    candidates.keys.push_back(peer->publicRecord);
    candidates.peers.push_back(std::move(*peer));
    candidates.approved.push_back(false);
  }
  return candidates;
}

enum class SenderChoice { kChosen, kNoneMatches, kNotApproved };

// Puts the task's sender among the candidates in the request, approved, and tells which it
// is. A file none of them sent fails alone; a declined approval stops the command.
SenderChoice ChooseSender(Session& session, OperationRequest& request, RandomGenerator& generator,
                          CandidateSenders& candidates, const FileTask& task, const TaskReport& report,
                          JsonLine& line) {
  const SenderSearch found = FindSender(request, candidates.keys, generator);
  if (!found.sender) {
    const std::string why = CauseText(found.cause);
    const std::string told = std::string(cli_text::kNoCandidateSender) + (why.empty() ? "" : " " + why);
    const ExitStatus status = StatusOf(FileOutcome::kWrongKeys, found.cause);
    session.fail(AboutFile(report.several, task.source, told), status);
    line = FailedLine(task, status, told);
    return SenderChoice::kNoneMatches;
  }
  const std::size_t i = *found.sender;
  if (!candidates.approved[i]) {
    if (!ApprovePeer(session, candidates.peers[i])) return SenderChoice::kNotApproved;
    candidates.approved[i] = true;
  }
  request.peerPublicKey = candidates.keys[i];
  line.add("sender", candidates.certificates[i]);
  if (!report.json)
    session.io().out << (report.several ? VisibleText(task.source) + ": " : "") << cli_text::kSenderLabel
                     << VisibleText(candidates.certificates[i]) << '\n';
  return SenderChoice::kChosen;
}

// What --json tells of a verified signature.
void AddVerified(JsonLine& line, const OperationResult& result, const ByteBuffer& signer) {
  line.add("time", FormatTimestamp(result.signedTimestamp).str())
      .add("message", DisplayText(result.signedMessage))
      .add("signer", HexString(ComputeFingerprint(signer).value_or(ByteBuffer())));
}

// What a success prints without --json.
void PrintDone(std::ostream& out, const OperationRequest& request, const OperationResult& result,
               const FileTask& task, const TaskReport& report) {
  if (request.checkOnly) {
    out << VisibleText(task.source) << ": " << cli_text::kCheckedWhole << '\n';
  } else if (request.code == OperationCode::kVerify) {
    PrintVerified(out, result, report.several, task.source);
  } else if (report.several) {
    out << VisibleText(task.source) << ": " << report.done << ' ' << VisibleText(task.target) << '\n';
  }
}

// Runs the request on each task in turn, each under its own progress display. One input is
// told as before: nothing on success, the message on failure. Several get one line each:
// "INFIL: <done> UTFIL" on stdout, "quillseal-cli: INFIL: <message>" on stderr; with --json
// stdout has one object per file instead. Ctrl-C stops the command (130); otherwise the
// failures' status (Session::failureStatus) when any file failed, the others still done.
// With candidates, each file's sender is found among them first.
int RunTasks(Session& session, OperationRequest& request, RandomGenerator& generator,
             const std::vector<FileTask>& tasks, const TaskReport& report, bool anyFailed,
             CandidateSenders* candidates = nullptr) {
  std::ostream& out = session.io().out;
  if (const std::optional<std::string> folder = session.workingFolder()) request.streamFolder = *folder;
  for (const FileTask& task : tasks) {
    DirectStreams(request, task.source, task.target);
    // What the command has printed goes out before the output written to standard output.
    out.flush();
    JsonLine line;
    line.add("input", task.source).add("output", task.target);
    if (candidates != nullptr) {
      const SenderChoice choice = ChooseSender(session, request, generator, *candidates, task, report, line);
      if (choice == SenderChoice::kNotApproved) return session.failureStatus();
      if (choice == SenderChoice::kNoneMatches) {
        if (report.json) out << line.str() << '\n';
        anyFailed = true;
        continue;
      }
    }
    ResetProgress(request);
    ProgressDisplay display(session.io(), session.options().quiet);
    OperationResult result;
    display.run(SourceOf(request), [&] {
      result = RunFileOperation(request, generator);
      return result.outcome == FileOutcome::kOk;
    });
    if (display.interrupted()) return session.interrupted();
    if (result.outcome != FileOutcome::kOk) {
      const std::string told = FailFile(session, report.several, task, result.outcome, result.cause);
      line.add("outcome", "failed")
          .add("status", std::int64_t{StatusOf(result.outcome, result.cause)})
          .add("cause", told);
      anyFailed = true;
    } else {
      line.add("outcome", "ok").add("status", std::int64_t{kSuccess});
      if (request.code == OperationCode::kVerify) AddVerified(line, result, request.peerPublicKey);
      if (!report.json) PrintDone(out, request, result, task, report);
    }
    if (result.senderUnbound) {
      session.tell(AboutFile(report.several, task.source, file_text::kSenderUnbound));
      line.add("warning", file_text::kSenderUnbound);
    }
    if (report.json) out << line.str() << '\n';
  }
  return anyFailed ? session.failureStatus() : kSuccess;
}

int RunEncrypt(Session& session, const ParsedArgs& args) {
  const std::vector<std::string>& certificates = args.values("to");
  if (certificates.empty()) args.required("to");
  if (args.has("to-self") && args.has("no-to-self")) throw UsageError(cli_text::kToSelfExclusive);
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  Settings settings = ReadSettings(*folder);
  if (const std::optional<std::string> format = args.value("format")) {
    if (*format != "quillseal" && *format != "oki") throw UsageError(cli_text::kFormatValues);
    settings.fileFormat = *format == "oki" ? Settings::kOki : Settings::kQuillseal;
  }
  if (args.has("compress") && args.has("no-compress")) throw UsageError(cli_text::kCompressExclusive);
  if (args.has("compress")) settings.compression = 1;
  if (args.has("no-compress")) settings.compression = 0;
  const std::string compressValue = args.value("compress").value_or("");
  if (!compressValue.empty() && compressValue != "strong") throw UsageError(cli_text::kCompressValues);
  if (args.has("to-self")) settings.encryptToSelf = 1;
  if (args.has("no-to-self")) settings.encryptToSelf = 0;
  OperationRequest request;
  request.code = OperationCode::kEncrypt;
  request.toSelf = settings.encryptToSelf == 1;
  const std::size_t recipients = certificates.size() + (request.toSelf ? 1 : 0);
  if (recipients > kMaxRecipients) throw UsageError(cli_text::kTooManyRecipients);
  // Said before any certificate is approved: no answer could make it work.
  if (settings.fileFormat == Settings::kOki && recipients > 1)
    return session.fail(MessageText(FileOutcome::kOkiOneRecipient), kUsage);

  std::optional<std::vector<FileTask>> tasks = PlanTasks(session, args, EncryptedFileName);
  if (!tasks) return kFailure;
  bool anyFailed = false;
  KeepWritable(session, args, *tasks, anyFailed);
  if (tasks->empty()) return kFailure;
  RandomGenerator* generator = PrepareRequest(session, certificates, request);
  if (generator == nullptr) return kFailure;
  request.compression = compressValue == "strong" ? ChunkCompression::kStrong : ChosenCompression(settings);
  request.format = settings.fileFormat;
  request.overwrite = OverwriteOf(args);
  return RunTasks(session, request, *generator, *tasks,
                  {args.positionals().size() > 1, cli_text::kEncryptedTo, args.has("json")}, anyFailed);
}

// Inputs whose format cannot even be told fail before the sender's certificate is asked about.
void KeepReadable(Session& session, std::vector<FileTask>& tasks, const TaskReport& report, bool& anyFailed) {
  std::vector<FileTask> kept;
  for (FileTask& task : tasks) {
    FileResult unreadable;
    if (IsStandardStream(task.source) || DetectEncryptedFormat(task.source, unreadable)) {
      kept.push_back(std::move(task));
      continue;
    }
    const std::string told =
        FailFile(session, report.several, task, FileOutcome::kFileUnreadable, unreadable.cause);
    if (report.json)
      session.io().out
          << FailedLine(task, StatusOf(FileOutcome::kFileUnreadable, unreadable.cause), told).str() << '\n';
    anyFailed = true;
  }
  tasks = std::move(kept);
}

// The senders of --from: one is approved before the first file, several are candidates.
// Standard input is read once, so its sender cannot be searched for among several.
std::vector<std::string> SendersOf(const ParsedArgs& args) {
  const std::vector<std::string>& senders = args.values("from");
  if (senders.empty()) args.required("from");
  const std::vector<std::string>& inputs = args.positionals();
  if (senders.size() > 1 && std::any_of(inputs.begin(), inputs.end(), IsStandardStream))
    throw UsageError(cli_text::kStreamNeedsOneSender);
  return senders;
}

// The request's keys and, with several --from, the candidate senders; nullptr after a message.
RandomGenerator* PrepareFromSenders(Session& session, const std::vector<std::string>& senders,
                                    OperationRequest& request, std::optional<CandidateSenders>& candidates) {
  if (senders.size() == 1) return PrepareRequest(session, senders, request);
  RandomGenerator* generator = PrepareRequest(session, {}, request);
  if (generator == nullptr) return nullptr;
  candidates = CheckCandidates(session, senders);
  return candidates ? generator : nullptr;
}

int RunDecrypt(Session& session, const ParsedArgs& args) {
  const std::vector<std::string> senders = SendersOf(args);
  const bool several = args.positionals().size() > 1;
  const bool check = args.has("check");
  if (check && args.value("output")) throw UsageError(cli_text::kCheckWritesNothing);
  for (const std::string& source : args.positionals()) {
    if (check || IsStandardStream(source) || DecryptedFileName(source)) continue;
    if (several) throw UsageError(source + cli_text::kNotEncryptedName);
    if (!args.value("output")) throw UsageError(cli_text::kNotEncryptedNameGiveOutput);
  }
  std::optional<std::vector<FileTask>> tasks =
      check ? CheckTasks(args.positionals()) : PlanTasks(session, args, [](const std::string& source) {
        return DecryptedFileName(source).value_or("");
      });
  if (!tasks) return kFailure;
  bool anyFailed = false;
  if (!check) KeepWritable(session, args, *tasks, anyFailed);
  const TaskReport report{several, cli_text::kDecryptedTo, args.has("json")};
  KeepReadable(session, *tasks, report, anyFailed);
  if (tasks->empty()) return kFailure;
  OperationRequest request;
  request.code = OperationCode::kDecrypt;
  request.checkOnly = check;
  std::optional<CandidateSenders> candidates;
  RandomGenerator* generator = PrepareFromSenders(session, senders, request, candidates);
  if (generator == nullptr) return kFailure;
  request.overwrite = OverwriteOf(args);
  return RunTasks(session, request, *generator, *tasks, report, anyFailed,
                  candidates ? &*candidates : nullptr);
}

int RunSign(Session& session, const ParsedArgs& args) {
  OperationRequest request;
  request.code = OperationCode::kSign;
  std::string keyName;
  RandomGenerator* generator = PrepareRequest(session, {}, request, &keyName);
  if (generator == nullptr) return kFailure;
  std::optional<std::vector<FileTask>> tasks = PlanTasks(
      session, args, [&keyName](const std::string& source) { return SignatureFileName(source, keyName); });
  if (!tasks) return kFailure;
  bool anyFailed = false;
  KeepWritable(session, args, *tasks, anyFailed);
  if (tasks->empty()) return kFailure;
  request.overwrite = OverwriteOf(args);
  request.signMessage =
      TextString(Utf8ToWindows1252(StorableText(args.value("message").value_or(""), "message")));
  return RunTasks(session, request, *generator, *tasks,
                  {args.positionals().size() > 1, cli_text::kSignedIn, args.has("json")}, anyFailed);
}

int RunVerify(Session& session, const ParsedArgs& args) {
  const std::vector<std::string> senders = SendersOf(args);
  const std::vector<std::string>& words = args.positionals();
  if (words.size() % 2 != 0) throw UsageError(cli_text::kVerifyTakesPairs);
  std::vector<FileTask> tasks;
  std::vector<std::string> dataFiles;
  for (std::size_t i = 0; i < words.size(); i += 2) {
    if (IsStandardStream(words[i + 1])) throw UsageError(cli_text::kSignatureNotStandardInput);
    tasks.push_back({words[i], words[i + 1]});
    dataFiles.push_back(words[i]);
  }
  RefuseStreamMisuse(dataFiles, std::nullopt, false);
  OperationRequest request;
  request.code = OperationCode::kVerify;
  std::optional<CandidateSenders> candidates;
  RandomGenerator* generator = PrepareFromSenders(session, senders, request, candidates);
  if (generator == nullptr) return kFailure;
  return RunTasks(session, request, *generator, tasks, {tasks.size() > 1, "", args.has("json")}, false,
                  candidates ? &*candidates : nullptr);
}

}  // namespace

std::vector<Command> FileCommands() {
  const OptionSpec output{.name = "output", .shortName = 'o', .takesValue = true};
  const OptionSpec force{.name = "force"};
  const OptionSpec json{.name = "json"};
  return {
      {.words = {"encrypt"},
       .options = {{.name = "to", .takesValue = true, .repeatable = true},
                   {.name = "to-self"},
                   {.name = "no-to-self"},
                   {.name = "format", .takesValue = true},
                   {.name = "compress", .optionalValue = true},
                   {.name = "no-compress"},
                   output,
                   force,
                   json},
       .minPositionals = 1,
       .maxPositionals = kAnyNumber,
       .synopsis = cli_text::kEncryptSynopsis,
       .summary = cli_text::kEncryptSummary,
       .details = cli_text::kEncryptDetails,
       .run = KeepingStandardOutputForTheOutput<RunEncrypt>},
      {.words = {"decrypt"},
       .options =
           {{.name = "from", .takesValue = true, .repeatable = true}, {.name = "check"}, output, force, json},
       .minPositionals = 1,
       .maxPositionals = kAnyNumber,
       .synopsis = cli_text::kDecryptSynopsis,
       .summary = cli_text::kDecryptSummary,
       .details = cli_text::kDecryptDetails,
       .run = KeepingStandardOutputForTheOutput<RunDecrypt>},
      {.words = {"sign"},
       .options = {{.name = "message", .takesValue = true}, output, force, json},
       .minPositionals = 1,
       .maxPositionals = kAnyNumber,
       .synopsis = cli_text::kSignSynopsis,
       .summary = cli_text::kSignSummary,
       .details = cli_text::kSignDetails,
       .run = KeepingStandardOutputForTheOutput<RunSign>,
       .unforeseenFailure = MessageText(FileOutcome::kSigningFailed)},
      {.words = {"verify"},
       .options = {{.name = "from", .takesValue = true, .repeatable = true}, json},
       .minPositionals = 2,
       .maxPositionals = kAnyNumber,
       .synopsis = cli_text::kVerifySynopsis,
       .summary = cli_text::kVerifySummary,
       .details = cli_text::kVerifyDetails,
       .run = RunVerify,
       .unforeseenFailure = MessageText(FileOutcome::kSignatureMismatch)},
  };
}

}  // namespace qs::cli
