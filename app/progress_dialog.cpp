#include "app/progress_dialog.h"

#include <algorithm>

#include "app/resource_ids.h"
#include "app/signature_result_dialog.h"
#include "app/texts.h"
#include "app/two_line_message.h"
#include "operations/cause_text.h"

namespace qs {
namespace {

constexpr unsigned kTimerMilliseconds = 100;
// The bar's range: finer than its width in pixels at any usual size.
constexpr int kBarSteps = 1000;
// The user sees the final state of the bar for this long before the dialog closes.
constexpr unsigned kFinalPause = 1000;

const char* StatusText(const OperationRequest& request) {
  switch (request.code) {
    case OperationCode::kEncrypt:
      return request.compression != ChunkCompression::kNone && request.format == Settings::kQuillseal
                 ? text::kCompressingAndEncrypting
                 : text::kEncrypting;
    case OperationCode::kDecrypt:
      return text::kDecrypting;
    case OperationCode::kSign:
      return text::kSigning;
    case OperationCode::kVerify:
      return text::kVerifying;
  }
  return "";
}

}  // namespace

void ProgressDialog::onInit(ui::View& view) {
  view.centreOn(*state_.mainWindow);
  OperationRequest& request = state_.operation;
  ResetProgress(request);
  view.setProgressRange(IDC_PROGRESS_BAR, 0, kBarSteps);
  view.setProgressPosition(IDC_PROGRESS_BAR, 0);
  message_.clear();
  warning_.clear();
  view.setText(IDC_PROGRESS_STATUS, StatusText(request));
  ui::View* dialog = &view;
  ui_.startWorker([this, dialog] {
    OperationResult result = RunFileOperation(state_.operation, state_.generator);
    if (result.pause) ui_.pause(kFinalPause);
    // Nothing of this thread may run once the task is posted: the dialog, and with it this
    // controller, may be gone by the time the thread ends.
    ui_.post(*dialog, [this, dialog, result = std::move(result)] { finish(*dialog, result); });
  });
  view.startTimer(kTimerMilliseconds);
}

void ProgressDialog::onCommand(ui::View& view, int control) {
  if (control == IDC_PROGRESS_CANCEL) cancel(view);
}

void ProgressDialog::onTimer(ui::View& view) {
  // The command line shows the same fraction; it can pass 1 for a moment as a pipeline counts.
  const double done = std::min(ProgressFraction(state_.operation), 1.0);
  view.setProgressPosition(IDC_PROGRESS_BAR, static_cast<int>(done * kBarSteps));
}

void ProgressDialog::cancel(ui::View& view) {
  RequestCancel(state_.operation);
  view.setText(IDC_PROGRESS_STATUS, text::kCancelling);
  view.enable(IDC_PROGRESS_CANCEL, false);
}

void ProgressDialog::finish(ui::View& view, const OperationResult& result) {
  view.stopTimer();
  if (result.outcome != FileOutcome::kOk) {
    message_ = TwoLineMessage(MessageText(result.outcome), CauseText(result.cause));
    view.endDialog(0);
    return;
  }
  if (state_.operation.code == OperationCode::kVerify) {
    state_.verifyTimestamp = result.signedTimestamp;
    state_.verifyMessage = result.signedMessage;
    SignatureResultDialog shown(state_);
    ui_.runDialog(IDD_SIGNATURE_RESULT, shown, &view);
  }
  if (result.senderUnbound) warning_ = file_text::kSenderUnbound;
  state_.mainWindow->setText(IDC_MAIN_FILE_NAME, "");
  view.endDialog(1);
}

void RunOperationDialog(ui::Ui& ui, AppState& state) {
  ProgressDialog progress(ui, state);
  ui.runDialog(IDD_PROGRESS, progress, state.mainWindow);
  state.operation.ownPrivateKey.clear();
  state.operation.peerPublicKey.clear();
  state.operation.furtherRecipients.clear();
  if (!progress.message().empty()) {
    ui.messageBox(state.mainWindow, progress.message(), ui::Buttons::kOk, ui::Icon::kError);
  }
  if (!progress.warning().empty()) {
    ui.messageBox(state.mainWindow, progress.warning(), ui::Buttons::kOk, ui::Icon::kWarning);
  }
}

}  // namespace qs
