#pragma once
#include <optional>

#include "app/app_state.h"
#include "app/mouse_entropy.h"
#include "keys/personal_certificate.h"

namespace qs {

// "Skapa personligt certifikat" (105): gathers ".certification" files for the stored key
// pair and writes them with its public key as a ".certificate" file. Ends with 1, on success
// as on "Stäng".
class PersonalCertificateDialog : public MouseFeedingController {
 public:
  PersonalCertificateDialog(ui::Ui& ui, AppState& state)
      : MouseFeedingController(state.generator), ui_(ui), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(1); }

 private:
  void add(ui::View& view);
  void remove(ui::View& view);
  void create(ui::View& view);
  void showPending(ui::View& view);
  void tell(ui::View& view, const KeyStatus& status);

  ui::Ui& ui_;
  AppState& state_;
  // The key pair as read when the dialog opened: the certificate is for its public key.
  std::optional<StoredKeyPair> own_;
  PendingCertifications pending_;
};

}  // namespace qs
