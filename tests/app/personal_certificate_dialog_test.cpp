// The personal certificate: gathering certifications, removing them by row, and what the
// written certificate holds; refusals keep the dialog open.
#include "app/personal_certificate_dialog.h"

#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "keys/record_text.h"
#include "keys/select_keys.h"
#include "tests/app/app_fixture.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;

constexpr char kAddDialog[] =
    "open@105: Välj certifiering... | Certifiering (*.certification)|*.certification | certification | ";
constexpr char kSaveDialog[] =
    "save@105: Välj plats för certifikatet... | Certifikat (*.certificate)|*.certificate | certificate | ";

std::vector<std::string> Organisations(const test::FakeControl& list) {
  std::vector<std::string> names;
  for (const test::FakeRow& row : list.rows) names.push_back(row.cells.at(0));
  return names;
}

class PersonalCertificateDialogTest : public test::AppTest {
 protected:
  void open(test::FakeUi::Script script) {
    ui_.onDialog(IDD_CERTIFICATE, std::move(script));
    main().click(IDM_CREATE_CERTIFICATE);
  }
};

TEST_F(PersonalCertificateDialogTest, WithoutAKeyPairNothingCanBeMade) {
  open([](test::FakeView& v) {
    EXPECT_FALSE(v.isEnabled(IDC_CERTIFICATE_ADD));
    EXPECT_FALSE(v.isEnabled(IDC_CERTIFICATE_LIST));
    EXPECT_FALSE(v.isEnabled(IDC_CERTIFICATE_CREATE));
    EXPECT_FALSE(v.isEnabled(IDC_CERTIFICATE_REMOVE));
    v.click(IDC_CERTIFICATE_CLOSE);
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 105@101", "end 105: 1"}));
}

TEST_F(PersonalCertificateDialogTest, GathersCertificationsAndWritesTheCertificate) {
  storeKeyPair("alice", "work key");
  trustAuthority("Acme");
  ui_.chooseFile(writeCertification("acme.certification", "alice", "Acme"));
  ui_.chooseFile(writeCertification("beta.certification", "alice", "Beta"));
  ui_.chooseFile(path("alice.certificate"));
  open([](test::FakeView& v) {
    const test::FakeControl& list = v.control(IDC_CERTIFICATE_LIST);
    ASSERT_EQ(list.columns.size(), 2u);
    EXPECT_EQ(list.columns[0].title, "Organisation");
    EXPECT_EQ(list.columns[0].width, 200);
    EXPECT_EQ(list.columns[1].title, "Nyckel-ID");
    EXPECT_EQ(list.columns[1].width, 174);
    EXPECT_TRUE(v.isEnabled(IDC_CERTIFICATE_ADD));
    EXPECT_FALSE(v.isEnabled(IDC_CERTIFICATE_REMOVE));
    v.click(IDC_CERTIFICATE_ADD);
    EXPECT_TRUE(v.isEnabled(IDC_CERTIFICATE_REMOVE));
    v.click(IDC_CERTIFICATE_ADD);
    EXPECT_EQ(list.rows.at(1).cells,
              (std::vector<std::string>{"Beta", HexString(test::AuthorityKeyId("Beta"))}));
    v.click(IDC_CERTIFICATE_CREATE);
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 105@101", kAddDialog, kAddDialog, std::string(kSaveDialog) + "work_key",
                            "end 105: 1"}));
  const KeyResult<PeerCertificate> written = CheckPeerCertificate(path("alice.certificate"), dir_.path());
  ASSERT_TRUE(written.ok());
  ASSERT_EQ(written.value.results.size(), 2u);
  EXPECT_EQ(DisplayText(written.value.results[0].organisation), "Acme");
}

TEST_F(PersonalCertificateDialogTest, RemovingARowRemovesItsCertification) {
  storeKeyPair("alice", "a");
  ui_.chooseFile(writeCertification("acme.certification", "alice", "Acme"));
  ui_.chooseFile(writeCertification("beta.certification", "alice", "Beta"));
  ui_.chooseFile(writeCertification("gamma.certification", "alice", "Gamma"));
  ui_.chooseFile(path("a.certificate"));
  open([](test::FakeView& v) {
    for (int i = 0; i < 3; ++i) v.click(IDC_CERTIFICATE_ADD);
    v.click(IDC_CERTIFICATE_REMOVE);  // nothing selected
    v.chooseRow(IDC_CERTIFICATE_LIST, 1);
    v.click(IDC_CERTIFICATE_REMOVE);
    EXPECT_EQ(Organisations(v.control(IDC_CERTIFICATE_LIST)), (std::vector<std::string>{"Acme", "Gamma"}));
    v.chooseRow(IDC_CERTIFICATE_LIST, 0);
    v.click(IDC_CERTIFICATE_REMOVE);
    v.chooseRow(IDC_CERTIFICATE_LIST, 0);
    v.click(IDC_CERTIFICATE_REMOVE);
    EXPECT_TRUE(v.control(IDC_CERTIFICATE_LIST).rows.empty());
    EXPECT_FALSE(v.isEnabled(IDC_CERTIFICATE_REMOVE));
    v.click(IDC_CERTIFICATE_CREATE);  // no certifications: still a certificate
  });
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@105: Ingen certifiering är vald i listan."}));
  const KeyResult<PeerCertificate> written = CheckPeerCertificate(path("a.certificate"), dir_.path());
  ASSERT_TRUE(written.ok());
  EXPECT_TRUE(written.value.results.empty());
}

TEST_F(PersonalCertificateDialogTest, OnlyCertificationsOfTheOwnKeyAreAccepted) {
  storeKeyPair("alice", "a");
  ui_.chooseFile(path("missing.certification"));
  ui_.chooseFile(writeKeyFile("acme.public_cert_key", test::PublicCertKeyOf("Acme")));
  ui_.chooseFile(writeCertification("bob.certification", "bob", "Acme"));
  open([](test::FakeView& v) {
    v.click(IDC_CERTIFICATE_ADD);
    v.click(IDC_CERTIFICATE_ADD);
    EXPECT_TRUE(v.control(IDC_CERTIFICATE_LIST).rows.empty());
    v.click(IDC_CERTIFICATE_ADD);
    EXPECT_EQ(v.control(IDC_CERTIFICATE_LIST).rows.size(), 1u);
    v.click(IDC_CERTIFICATE_CREATE);
    v.close();
  });
  EXPECT_EQ(
      ui_.logOf("error"),
      (Log{
          "error@105: Kunde inte läsa certifiering från fil!\n" + path("missing.certification") +
              ": filen finns inte",
          "error@105: Kunde inte läsa certifiering från fil!\n" + path("acme.public_cert_key") +
              ": filen är inte en certifiering",
          "error@105: Kunde inte skapa certifikatet. Kontrollera att certifieringarna gäller för den publika "
          "nyckeln tillhörande den lagrade privata nyckeln och ingen annan nyckel."}));
  EXPECT_TRUE(ui_.logOf("save").empty());
}

TEST_F(PersonalCertificateDialogTest, ACancelledOrRefusedSaveKeepsTheDialogOpen) {
  storeKeyPair("alice", "a");
  const std::string certification = writeCertification("acme.certification", "alice", "Acme");
  ui_.chooseFile(certification);
  ui_.chooseFile(std::nullopt);
  ui_.chooseFile(certification);
  open([](test::FakeView& v) {
    v.click(IDC_CERTIFICATE_ADD);
    v.click(IDC_CERTIFICATE_CREATE);
    EXPECT_FALSE(v.ended());
    v.click(IDC_CERTIFICATE_CREATE);
    EXPECT_FALSE(v.ended());
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@105: Kunde inte skriva till fil!\n" + certification +
                                     ": målfilen är samma fil som källfilen"}));
  EXPECT_TRUE(test::ReadRaw(certification).size() > 0);
  EXPECT_EQ(ui_.log().back(), "end 105: 1");
}

}  // namespace
}  // namespace qs
