#include <ostream>

#include "app/settings.h"
#include "base/timestamp.h"
#include "base/windows1252.h"
#include "cli/command.h"
#include "cli/output_file.h"
#include "cli/output_names.h"
#include "cli/own_keys.h"
#include "cli/progress_display.h"
#include "formats/encrypted_file.h"
#include "formats/encrypted_file_stream.h"
#include "formats/oki_file.h"
#include "formats/signature_file.h"
#include "platform/clock.h"

namespace qs::cli {
namespace {

constexpr char kSignFailure[] = "Fel vid signering av fil.";
constexpr char kSignatureMismatch[] = "Signaturen stämmer ej mot den valda filen.";

const char* ResultCodeText(ResultCode code) {
  switch (code) {
    case ResultCode::kSource:
      return "Fel vid läsning av källfilen.";
    case ResultCode::kTarget:
      return "Fel vid skrivning till målfilen.";
    case ResultCode::kKeys:
      return "Krypteringsfel, kontrollera format på fil eller om rätt sändande certifikat har använts.";
    case ResultCode::kOtherMethod:
      return "Felaktigt format på filen, filen är krypterad med en annan krypteringsmetod.";
    case ResultCode::kCancelled:
      break;
  }
  return "Okänt fel.";
}

// Progress of a chunked pipeline: chunks done of the count, 2 MiB each.
ProgressSource ChunkSource(ChunkProgress& progress) {
  return {[&progress] {
            const std::uint32_t count = progress.count;
            return count == 0 ? 0.0 : (progress.current + 1.0) / count;
          },
          [&progress] {
            return progress.count == 0 ? std::uint64_t{0} : (progress.current + std::uint64_t{1}) * kChunkBytes;
          },
          [&progress] { progress.cancel = 1; }};
}

// Progress of an in-memory pipeline: cipher and MAC each count every byte once.
ProgressSource ByteSource(ProgressHook& hook, const OkiParams& params) {
  return {[&hook, &params] {
            const std::uint32_t total = params.totalBytes.load(std::memory_order_relaxed);
            return total == 0 ? 0.0 : static_cast<std::uint32_t>(hook.count) / (2.0 * total);
          },
          [&hook] { return static_cast<std::uint64_t>(static_cast<std::uint32_t>(hook.count) / 2); },
          [&hook] { hook.cancel = 1; }};
}

// Ends a command whose operation failed: 130 after Ctrl-C, else the message.
int Finish(Session& session, const ProgressDisplay& display, bool ok, const char* failure) {
  if (display.interrupted()) return session.interrupted();
  return ok ? kSuccess : session.fail(failure);
}

int RunEncrypt(Session& session, const ParsedArgs& args) {
  const std::string source = args.positionals()[0];
  const std::optional<std::string> folder = session.workingFolder();
  if (!folder) return kFailure;
  Settings settings = ReadSettings(*folder);
  if (const std::optional<std::string> format = args.value("format")) {
    if (*format != "quillseal" && *format != "oki") throw UsageError("--format tar quillseal eller oki");
    settings.fileFormat = *format == "oki" ? Settings::kOki : Settings::kQuillseal;
  }
  if (args.has("compress") && args.has("no-compress")) throw UsageError("--compress och --no-compress utesluter varandra");
  if (args.has("compress")) settings.compression = 1;
  if (args.has("no-compress")) settings.compression = 0;

  const std::string target = args.value("output").value_or(source + kEncryptedSuffix);
  if (!MayWrite(session, target, args.has("force"))) return kFailure;
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;
  const std::optional<ByteBuffer> peer = ApprovedPeerKey(session, args.required("to"));
  if (!peer) return kFailure;
  const std::optional<OwnKeys> own = ReadOwnKeys(session);
  if (!own) return kFailure;

  ProgressDisplay display(session.io(), session.options().quiet);
  if (settings.fileFormat == Settings::kOki) {
    ProgressHook hook;
    OkiParams params{generator, &hook, 0};
    bool tooLarge = false;
    const bool ok = display.run(ByteSource(hook, params), [&] {
      return EncryptOkiFile(params, source, target, *peer, own->privateRecord, tooLarge);
    });
    if (tooLarge) {
      return session.fail(
          "Filen är för stor för OKI-formatet. Filen kan krypteras om formatet ändras i inställningsdialogen.");
    }
    return Finish(session, display, ok,
                  params.targetFailed ? ResultCodeText(ResultCode::kTarget) : "Fel vid kryptering av fil.");
  }
  ChunkProgress progress;
  ResultCode code = ResultCode::kCancelled;
  const PipelineParams params{generator, settings.compression == 1, &progress};
  const bool ok = display.run(ChunkSource(progress), [&] {
    return EncryptFile(params, own->privateRecord, *peer, source, target, code);
  });
  return Finish(session, display, ok, ResultCodeText(code));
}

int RunDecrypt(Session& session, const ParsedArgs& args) {
  const std::string source = args.positionals()[0];
  const std::optional<std::string> suggested = DecryptedFileName(source);
  if (!args.value("output") && !suggested) throw UsageError("filen slutar inte på .encrypted: ange -o UTFIL");
  const std::string target = args.value("output").value_or(suggested.value_or(""));
  if (!MayWrite(session, target, args.has("force"))) return kFailure;
  bool isOki = false;
  if (!DetectOkiFile(source, isOki)) return session.fail("Fel vid läsning av fil.");
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;
  const std::optional<ByteBuffer> peer = ApprovedPeerKey(session, args.required("from"));
  if (!peer) return kFailure;
  const std::optional<OwnKeys> own = ReadOwnKeys(session);
  if (!own) return kFailure;

  ProgressDisplay display(session.io(), session.options().quiet);
  if (isOki) {
    ProgressHook hook;
    OkiParams params{generator, &hook, 0};
    const bool ok = display.run(ByteSource(hook, params), [&] {
      return DecryptOkiFile(params, source, target, *peer, own->privateRecord);
    });
    // A full disk is not the sender's fault: say which file failed.
    return Finish(session, display, ok,
                  params.targetFailed ? ResultCodeText(ResultCode::kTarget)
                                      : "Fel vid dekryptering av fil, kontrollera sändarens certifikat.");
  }
  ChunkProgress progress;
  ResultCode code = ResultCode::kCancelled;
  const PipelineParams params{generator, false, &progress};
  const bool ok = display.run(ChunkSource(progress), [&] {
    return DecryptFile(params, own->privateRecord, *peer, source, target, code);
  });
  return Finish(session, display, ok, ResultCodeText(code));
}

int RunSign(Session& session, const ParsedArgs& args) {
  const std::string source = args.positionals()[0];
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;
  const std::optional<OwnKeys> own = ReadOwnKeys(session);
  if (!own) return kFailure;
  const std::string target = args.value("output").value_or(SignatureFileName(source, own->keyName));
  if (!MayWrite(session, target, args.has("force"))) return kFailure;

  ChunkProgress progress;
  SignatureRequest request;
  request.generator = generator;
  request.progress = &progress;
  request.message = TextString(Utf8ToWindows1252(args.value("message").value_or("")));
  request.timestamp = static_cast<std::uint32_t>(platform::CalendarSeconds());
  ProgressDisplay display(session.io(), session.options().quiet);
  const bool ok =
      display.run(ChunkSource(progress), [&] { return SignFile(request, own->privateRecord, source, target); });
  return Finish(session, display, ok, kSignFailure);
}

int RunVerify(Session& session, const ParsedArgs& args) {
  const std::string source = args.positionals()[0];
  const std::string signature = args.positionals()[1];
  RandomGenerator* generator = session.generator();
  if (generator == nullptr) return kFailure;
  const std::optional<ByteBuffer> peer = ApprovedPeerKey(session, args.required("from"));
  if (!peer) return kFailure;

  ChunkProgress progress;
  SignatureRequest request;
  request.generator = generator;
  request.progress = &progress;
  ProgressDisplay display(session.io(), session.options().quiet);
  const bool ok = display.run(ChunkSource(progress), [&] { return VerifyFile(request, source, *peer, signature); });
  const int status = Finish(session, display, ok, kSignatureMismatch);
  if (status != kSuccess) return status;
  session.io().out << "Signaturen OK.\nTidstämpel: " << FormatTimestamp(request.timestamp).str()
                   << "\nMeddelande: " << Windows1252ToUtf8(request.message.bytes().slice(request.message.characterCount(), 0)) << '\n';
  return kSuccess;
}

}  // namespace

std::vector<Command> FileCommands() {
  const OptionSpec output{"output", 'o', true};
  const OptionSpec force{"force"};
  return {
      {{"encrypt"},
       {{"to", 0, true}, {"format", 0, true}, {"compress"}, {"no-compress"}, output, force},
       1,
       1,
       "--to FIL.certificate [--format quillseal|oki] [--compress|--no-compress] INFIL [-o UTFIL] [--force]",
       "kryptera en fil för mottagaren i certifikatet",
       "Format och kompression tas från inställningarna om inga flaggor anges.\n"
       "Utfilen blir INFIL.encrypted bredvid infilen om -o saknas.\n",
       RunEncrypt},
      {{"decrypt"},
       {{"from", 0, true}, output, force},
       1,
       1,
       "--from FIL.certificate INFIL [-o UTFIL] [--force]",
       "dekryptera en fil från avsändaren i certifikatet",
       "Formatet läses från filen. Utfilen blir infilen utan .encrypted om -o saknas.\n",
       RunDecrypt},
      {{"sign"},
       {{"message", 0, true}, output, force},
       1,
       1,
       "INFIL [--message TEXT] [-o FIL.signature] [--force]",
       "signera en fil med det lagrade nyckelparet",
       "Signaturfilen blir INFIL_<nyckelns namn>.signature bredvid infilen om -o saknas.\n",
       RunSign,
       kSignFailure},
      {{"verify"},
       {{"from", 0, true}},
       2,
       2,
       "--from FIL.certificate INFIL SIGNATURFIL",
       "verifiera en signatur mot avsändarens certifikat",
       "",
       RunVerify,
       kSignatureMismatch},
  };
}

}  // namespace qs::cli
