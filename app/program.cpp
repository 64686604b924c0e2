#include "app/program.h"

#include "app/app_state.h"
#include "app/command_line.h"
#include "app/entropy_dialog.h"
#include "app/key_pair_dialog.h"
#include "app/main_dialog.h"
#include "app/resource_ids.h"
#include "app/texts.h"
#include "app/two_line_message.h"
#include "keys/key_store.h"
#include "operations/cause_text.h"
#include "operations/messages.h"

namespace qs {
namespace {

// Without a stored key pair: a new one, or at least enough entropy to work with. False when
// the user left without either.
bool FirstRun(ui::Ui& ui, AppState& state) {
  if (ui.messageBox(nullptr, text::kOfferKeyPair, ui::Buttons::kYesNo, ui::Icon::kQuestion) ==
      ui::Answer::kYes) {
    state.keyGenFirstRun = true;
    state.keyGenCertificationMode = false;
    KeyPairDialog keyPair(ui, state);
    if (ui.runDialog(IDD_KEY_PAIR, keyPair, nullptr) != 0) return true;
  }
  if (state.generator.credit() >= RandomGenerator::kRequiredCredit) return true;
  EntropyDialog entropy(state);
  return ui.runDialog(IDD_ENTROPY, entropy, nullptr) != 0;
}

}  // namespace

int RunProgram(ui::Ui& ui, RandomGenerator& generator, const std::optional<std::string>& workingFolder,
               const std::vector<std::string>& arguments) {
  CommandLine command = ReadCommandLine(arguments);
  if (!command.refusal.empty()) {
    ui.messageBox(nullptr, command.refusal, ui::Buttons::kOk, ui::Icon::kError);
    return 1;
  }
  if (!workingFolder) {
    ui.messageBox(nullptr, start_text::kNoWorkingFolder, ui::Buttons::kOk, ui::Icon::kError);
    return 1;
  }
  AppState state(generator, *workingFolder);
  const std::string seedFile = state.file(kSeedFileName);
  if (!generator.startUp(seedFile)) {
    ui.messageBox(nullptr, TwoLineMessage(start_text::kNoGenerator, SystemCauseText(seedFile)),
                  ui::Buttons::kOk, ui::Icon::kError);
    return 1;
  }
  if (!KeyPairStored(state.workingFolder) && !FirstRun(ui, state)) return 1;
  state.signingContext.emplace(&generator);
  MainDialog main(ui, state, std::move(command.request));
  ui.runDialog(IDD_MAIN, main, nullptr);
  state.mainWindow = nullptr;
  state.signingContext.reset();
  return 0;
}

}  // namespace qs
