#pragma once
#include "app/app_state.h"
#include "app/mouse_entropy.h"
#include "keys/select_keys.h"

namespace qs {

// "Godkännande av certifikat" (115): what the check of a certificate found, one row per
// certification, the identity a verified one vouches for, and the certificate key's
// fingerprint. "Ja" gives 1; "Nej" warns and gives 0, as closing does.
class ApprovalDialog : public MouseFeedingController {
 public:
  ApprovalDialog(ui::Ui& ui, AppState& state, const PeerCertificate& peer)
      : MouseFeedingController(state.generator), ui_(ui), state_(state), peer_(peer) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(0); }
  void onSelectionChanged(ui::View& view, int control) override;

 private:
  void showIdentity(ui::View& view);

  ui::Ui& ui_;
  AppState& state_;
  const PeerCertificate& peer_;
};

}  // namespace qs
