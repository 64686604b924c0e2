#pragma once
#include <vector>

#include "app/app_state.h"
#include "app/mouse_entropy.h"
#include "keys/trusted_keys.h"

namespace qs {

// "Betrodda certifieringsnycklar" (108): the trusted certification keys, with adding from a
// ".public_cert_key" file (after the confirmation dialog 126) and removing. Ends with 1.
class TrustedKeysDialog : public MouseFeedingController {
 public:
  TrustedKeysDialog(ui::Ui& ui, AppState& state)
      : MouseFeedingController(state.generator), ui_(ui), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(1); }

 private:
  void fill(ui::View& view);
  void add(ui::View& view);
  void remove(ui::View& view);
  void tell(ui::View& view, const KeyStatus& status);

  ui::Ui& ui_;
  AppState& state_;
  // The shown rows, each with its place in the file.
  std::vector<TrustedKeyRow> rows_;
};

// "Godkännande av certifieringsnyckel" (126): what the offered key is. "Ja" gives 1, "Nej"
// and closing 0.
class TrustConfirmDialog : public MouseFeedingController {
 public:
  TrustConfirmDialog(AppState& state, const TrustedKeyCandidate& candidate)
      : MouseFeedingController(state.generator), state_(state), candidate_(candidate) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(0); }

 private:
  AppState& state_;
  const TrustedKeyCandidate& candidate_;
};

}  // namespace qs
