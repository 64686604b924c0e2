#include "app/recipient_selection.h"

#include <optional>
#include <string>
#include <vector>

#include "app/file_dialogs.h"
#include "app/texts.h"
#include "formats/recipients_header.h"
#include "operations/messages.h"

namespace qs {
namespace {

// Why so many recipients cannot be used; empty when they can.
std::string Refusal(std::size_t recipients, const Settings& settings) {
  if (recipients > kMaxRecipients) return text::kTooManyRecipients;
  if (recipients > 1 && settings.fileFormat == Settings::kOki)
    return MessageText(FileOutcome::kOkiOneRecipient);
  return "";
}

}  // namespace

KeySelection SelectRecipients(ui::Ui& ui, AppState& state, ui::View* owner, SelectedKeys& keys) {
  keys = SelectedKeys();
  const std::optional<std::vector<std::string>> paths =
      ui.openFiles(owner, CertificateDialog(text::kRecipientCertificateTitle));
  if (!paths || paths->empty()) return KeySelection::kCancelled;
  const std::size_t recipients = paths->size() + (state.settings.encryptToSelf == 1 ? 1 : 0);
  if (const std::string refusal = Refusal(recipients, state.settings); !refusal.empty()) {
    ui.messageBox(owner, refusal, ui::Buttons::kOk, ui::Icon::kError);
    return KeySelection::kRefused;
  }
  for (const std::string& path : *paths) {
    ByteBuffer approved;
    const KeySelection step = ApproveCertificate(ui, state, path, owner, approved, keys.failure);
    if (step != KeySelection::kSelected) return step;
    if (&path == &paths->front()) {
      keys.peerPublicKey = std::move(approved);
    } else {
      keys.furtherRecipients.push_back(std::move(approved));
    }
  }
  return ReadOwnKeyPair(ui, state, owner, keys);
}

}  // namespace qs
