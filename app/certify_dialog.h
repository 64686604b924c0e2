#pragma once
#include <cstdint>
#include <vector>

#include "app/app_state.h"
#include "app/mouse_entropy.h"
#include "base/byte_buffer.h"
#include "keys/data_fields.h"

namespace qs {

// "Certifiera nyckel" (106): a certification authority certifies a user's ".public_key"
// file with its ".private_cert_key" file and the data fields typed here, once the proof of
// possession beside the key file has been checked and the time and the key's fingerprint
// confirmed (122). Ends with 1 once the ".certification" file is written, and on "Stäng";
// every failure leaves it open as it was.
class CertifyDialog : public MouseFeedingController {
 public:
  // Characters kept of a typed field name or value; the record's own limits are smaller
  // and refuse the certification.
  static constexpr std::uint32_t kMaxTyped = 999;

  CertifyDialog(ui::Ui& ui, AppState& state)
      : MouseFeedingController(state.generator), ui_(ui), state_(state) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(1); }

 private:
  void choose(ui::View& view, int edit, const ui::FileDialog& dialog);
  void addField(ui::View& view);
  void removeField(ui::View& view);
  void showFields(ui::View& view);
  void certify(ui::View& view);
  void tell(ui::View& view, const std::string& text);

  ui::Ui& ui_;
  AppState& state_;
  std::vector<DataField> fields_;
};

// "Godkännande av certifiering" (122): the timestamp that will be signed and the public
// key's fingerprint. "Ja" gives 1, "Nej" and closing 0.
class CertifyConfirmDialog : public MouseFeedingController {
 public:
  CertifyConfirmDialog(AppState& state, std::uint32_t timestamp, const ByteBuffer& fingerprint)
      : MouseFeedingController(state.generator),
        state_(state),
        timestamp_(timestamp),
        fingerprint_(fingerprint) {}

  void onInit(ui::View& view) override;
  void onCommand(ui::View& view, int control) override;
  void onClose(ui::View& view) override { view.endDialog(0); }

 private:
  AppState& state_;
  std::uint32_t timestamp_;
  const ByteBuffer& fingerprint_;
};

}  // namespace qs
