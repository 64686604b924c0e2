#include "app/file_commands.h"

#include <optional>
#include <string>

#include "app/file_dialogs.h"
#include "app/file_names.h"
#include "app/key_failure.h"
#include "app/key_selection.h"
#include "app/progress_dialog.h"
#include "app/recipient_selection.h"
#include "app/resource_ids.h"
#include "app/signing_message_dialog.h"
#include "app/source_problem.h"
#include "app/texts.h"
#include "app/two_line_message.h"
#include "crypto/random_generator.h"
#include "keys/cert_keys.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"
#include "operations/messages.h"
#include "operations/output_names.h"

namespace qs {
namespace {

void Tell(ui::Ui& ui, AppState& state, const std::string& text) {
  ui.messageBox(state.mainWindow, text, ui::Buttons::kOk, ui::Icon::kError);
}

bool Ask(ui::Ui& ui, AppState& state, const char* question) {
  return ui.messageBox(state.mainWindow, question, ui::Buttons::kYesNo, ui::Icon::kQuestion) ==
         ui::Answer::kYes;
}

bool GeneratorReady(ui::Ui& ui, AppState& state) {
  if (state.generator.credit() >= RandomGenerator::kRequiredCredit) return true;
  Tell(ui, state, text::kGeneratorNotReady);
  return false;
}

// The source named in the main window, once it is known to be readable. Otherwise the user
// is told: the message of unreadable, the failure the command's operation would end with,
// and the cause on a second line.
std::optional<std::string> ReadSourceName(ui::Ui& ui, AppState& state, FileOutcome unreadable) {
  std::string source = CutAtControl(state.mainWindow->text(IDC_MAIN_FILE_NAME));
  if (source.empty()) {
    Tell(ui, state, text::kNoSourceName);
    return std::nullopt;
  }
  if (const std::string problem = SourceProblem(source); !problem.empty()) {
    Tell(ui, state, TwoLineMessage(MessageText(unreadable), problem));
    return std::nullopt;
  }
  return source;
}

// Reports a key selection's failure; true with the keys selected.
bool Selected(ui::Ui& ui, AppState& state, KeySelection selection, const SelectedKeys& keys) {
  switch (selection) {
    case KeySelection::kSelected:
      return true;
    case KeySelection::kFailed:
      Tell(ui, state, KeyFailureText(keys.failure).c_str());
      return false;
    case KeySelection::kCancelled:
    case KeySelection::kRefused:
      return false;
  }
  return false;
}

bool Select(ui::Ui& ui, AppState& state, KeyNeeds needs, const char* title, SelectedKeys& keys) {
  return Selected(ui, state, SelectKeys(ui, state, needs, title, state.mainWindow, keys), keys);
}

// Starts a request: the fields every operation sets.
void BeginRequest(AppState& state, OperationCode code, const std::string& source) {
  state.operation.code = code;
  state.operation.chunkProgress.cancel = 0;
  state.operation.sourceName = source;
}

// Hands the keys and the target to the request and runs it.
void Run(ui::Ui& ui, AppState& state, SelectedKeys& keys, const std::string& target) {
  state.operation.targetName = CutAtControl(target);
  state.operation.ownPrivateKey = std::move(keys.ownPrivateKey);
  state.operation.peerPublicKey = std::move(keys.peerPublicKey);
  state.operation.furtherRecipients = std::move(keys.furtherRecipients);
  RunOperationDialog(ui, state);
}

}  // namespace

void EncryptCommand(ui::Ui& ui, AppState& state) {
  if (!GeneratorReady(ui, state)) return;
  const std::optional<std::string> source = ReadSourceName(ui, state, FileOutcome::kSourceUnreadable);
  if (!source) return;
  if (EndsWith(*source, kEncryptedSuffix) && !Ask(ui, state, text::kEncryptAgain)) return;
  state.settings = ReadSettings(state.workingFolder);
  state.operation.compression = ChosenCompression(state.settings);
  state.operation.format = state.settings.fileFormat;
  state.operation.toSelf = state.settings.encryptToSelf == 1;
  BeginRequest(state, OperationCode::kEncrypt, *source);
  SelectedKeys keys;
  if (!Selected(ui, state, SelectRecipients(ui, state, state.mainWindow, keys), keys)) return;
  const std::optional<std::string> target =
      ui.saveFile(state.mainWindow, EncryptTargetDialog(EncryptedFileName(FileNamePart(*source))));
  if (!target) return;
  Run(ui, state, keys, *target);
}

void DecryptCommand(ui::Ui& ui, AppState& state) {
  const std::optional<std::string> source = ReadSourceName(ui, state, FileOutcome::kFileUnreadable);
  if (!source) return;
  const std::string name = FileNamePart(*source);
  const std::string suggestion = DecryptedFileName(name).value_or(name);
  SelectedKeys keys;
  if (!Select(ui, state, KeyNeeds::kPeerAndOwn, text::kSenderCertificateTitle, keys)) return;
  const std::optional<std::string> target = ui.saveFile(state.mainWindow, DecryptTargetDialog(suggestion));
  if (!target) return;
  BeginRequest(state, OperationCode::kDecrypt, *source);
  Run(ui, state, keys, *target);
}

void SignCommand(ui::Ui& ui, AppState& state) {
  if (!GeneratorReady(ui, state)) return;
  const std::optional<std::string> source = ReadSourceName(ui, state, FileOutcome::kSigningFailed);
  if (!source) return;
  if (EndsWith(*source, kSignatureSuffix) && !Ask(ui, state, text::kSignSignature)) return;
  SigningMessageDialog message(state);
  if (ui.runDialog(IDD_SIGNING_MESSAGE, message, state.mainWindow) == 0) return;
  BeginRequest(state, OperationCode::kSign, *source);
  SelectedKeys keys;
  if (!Select(ui, state, KeyNeeds::kOwn, "", keys)) return;
  const std::string suggestion = SignatureFileName(FileNamePart(*source), DisplayText(keys.keyName));
  const std::optional<std::string> target = ui.saveFile(state.mainWindow, SignTargetDialog(suggestion));
  if (!target) return;
  Run(ui, state, keys, *target);
}

void VerifyCommand(ui::Ui& ui, AppState& state, const std::optional<std::string>& chosenSignature) {
  const std::optional<std::string> source = ReadSourceName(ui, state, FileOutcome::kSignatureMismatch);
  if (!source) return;
  if (EndsWith(*source, kSignatureSuffix) && !Ask(ui, state, text::kVerifySignatureFile)) return;
  BeginRequest(state, OperationCode::kVerify, *source);
  // A signature is checked with the signer's key alone; the stored key pair stays shut.
  SelectedKeys keys;
  if (!Select(ui, state, KeyNeeds::kPeer, text::kSenderCertificateTitle, keys)) return;
  const std::optional<std::string> signature =
      chosenSignature ? chosenSignature : ui.openFile(state.mainWindow, SignatureFileDialog());
  if (!signature) return;
  Run(ui, state, keys, *signature);
}

}  // namespace qs
