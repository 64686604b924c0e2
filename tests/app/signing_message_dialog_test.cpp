// The signing-message dialog and the signature result dialog, and what all small dialogs share.
#include "app/signing_message_dialog.h"

#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "app/settings_dialog.h"
#include "app/signature_result_dialog.h"
#include "base/timestamp.h"
#include "tests/app/app_fixture.h"

namespace qs {
namespace {

class SigningMessageTest : public test::AppTest {
 protected:
  int open(test::FakeUi::Script script) {
    SigningMessageDialog dialog(state_);
    ui_.onDialog(IDD_SIGNING_MESSAGE, std::move(script));
    return ui_.runDialog(IDD_SIGNING_MESSAGE, dialog, &main());
  }

  std::string message() const { return state_.operation.signMessage.str(); }
};

TEST_F(SigningMessageTest, TheCheckBoxGovernsTheMessage) {
  EXPECT_EQ(open([](test::FakeView& v) {
              EXPECT_EQ(v.placement(), "centred on 101");
              EXPECT_FALSE(v.isEnabled(IDC_SIGNING_MESSAGE));
              v.clickCheckBox(IDC_SIGNING_WITH_MESSAGE);
              EXPECT_TRUE(v.isEnabled(IDC_SIGNING_MESSAGE));
              v.type(IDC_SIGNING_MESSAGE, "Rad ett\r\nrad två");
              v.click(IDC_SIGNING_CONTINUE);
            }),
            1);
  EXPECT_EQ(message(), "Rad ett  rad tv\xE5");  // Windows-1252, each line break two spaces

  // Unchecked again: the typed text is not taken.
  EXPECT_EQ(open([](test::FakeView& v) {
              v.clickCheckBox(IDC_SIGNING_WITH_MESSAGE);
              v.type(IDC_SIGNING_MESSAGE, "glömt");
              v.clickCheckBox(IDC_SIGNING_WITH_MESSAGE);
              EXPECT_FALSE(v.isEnabled(IDC_SIGNING_MESSAGE));
              v.click(IDC_SIGNING_CONTINUE);
            }),
            1);
  EXPECT_EQ(message(), "");
}

TEST_F(SigningMessageTest, CancelKeepsTheEarlierMessage) {
  state_.operation.signMessage = TextString("tidigare");
  EXPECT_EQ(open([](test::FakeView& v) {
              v.clickCheckBox(IDC_SIGNING_WITH_MESSAGE);
              v.type(IDC_SIGNING_MESSAGE, "ny");
              v.click(IDC_SIGNING_CANCEL);
            }),
            0);
  EXPECT_EQ(open([](test::FakeView& v) { v.close(); }), 0);
  EXPECT_EQ(message(), "tidigare");
}

TEST_F(SigningMessageTest, AtMost4999CharactersAreKept) {
  open([](test::FakeView& v) {
    v.clickCheckBox(IDC_SIGNING_WITH_MESSAGE);
    v.type(IDC_SIGNING_MESSAGE, std::string(4998, 'm') + "äöx");
    v.click(IDC_SIGNING_CONTINUE);
  });
  EXPECT_EQ(message(), std::string(4998, 'm') + "\xE4");
}

TEST_F(SigningMessageTest, TheResultShowsTheVerifiedSignature) {
  state_.verifyTimestamp = 0;
  state_.verifyMessage = TextString();
  SignatureResultDialog dialog(state_);
  ui_.onDialog(IDD_SIGNATURE_RESULT, [](test::FakeView& v) {
    EXPECT_EQ(v.placement(), "centred on 101");
    EXPECT_EQ(v.text(IDC_RESULT_MESSAGE), "");
    EXPECT_EQ(v.text(IDC_RESULT_TIMESTAMP), FormatTimestamp(0).str());
    v.close();
  });
  EXPECT_EQ(ui_.runDialog(IDD_SIGNATURE_RESULT, dialog, &main()), 0);
}

// Every dialog but the progress dialog feeds pointer movement to the generator.
TEST_F(SigningMessageTest, DialogsFeedMouseMovesToTheGenerator) {
  SettingsDialog settings(ui_, state_);
  SigningMessageDialog message(state_);
  SignatureResultDialog result(state_);
  const std::vector<std::pair<int, ui::Controller*>> dialogs{
      {IDD_SETTINGS, &settings}, {IDD_SIGNING_MESSAGE, &message}, {IDD_SIGNATURE_RESULT, &result}};
  for (const auto& [resource, controller] : dialogs) {
    const std::uint32_t before = state_.generator.credit();
    ui_.onDialog(resource, [](test::FakeView& v) {
      v.mouseMoves(3);
      v.close();
    });
    ui_.runDialog(resource, *controller, &main());
    EXPECT_EQ(state_.generator.credit(), before + 3) << resource;
  }
}

}  // namespace
}  // namespace qs
