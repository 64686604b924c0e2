// The approval of a certificate: what each certification shows, the identity a verified one
// vouches for, and the answers.
#include "app/approval_dialog.h"

#include <gtest/gtest.h>

#include "app/key_selection.h"
#include "app/resource_ids.h"
#include "base/timestamp.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"
#include "tests/app/app_fixture.h"
#include "tests/keys/key_fixtures.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

Rows CellsOf(const test::FakeControl& list) {
  Rows rows;
  for (const test::FakeRow& row : list.rows) rows.push_back(row.cells);
  return rows;
}

class ApprovalDialogTest : public test::AppTest {
 protected:
  // Checks the certificate and opens the approval with the script; its result.
  int open(const std::string& certificate, test::FakeUi::Script script) {
    KeyResult<PeerCertificate> peer = CheckPeerCertificate(certificate, dir_.path());
    EXPECT_TRUE(peer.ok());
    if (!peer.ok()) return -1;
    peer_ = std::move(peer.value);
    ApprovalDialog dialog(ui_, state_, peer_);
    ui_.onDialog(IDD_APPROVAL, std::move(script));
    return ui_.runDialog(IDD_APPROVAL, dialog, &main());
  }

  PeerCertificate peer_;
};

TEST_F(ApprovalDialogTest, ListsEveryCertificationAndTheVerifiedIdentity) {
  trustAuthority("Acme");
  const std::string certificate = writeCertificate("bob.certificate", "bob", {"Acme", "Beta"});
  EXPECT_EQ(open(certificate,
                 [this](test::FakeView& v) {
                   EXPECT_EQ(v.placement(), "centred on 101");
                   const test::FakeControl& list = v.control(IDC_APPROVAL_CERTIFICATIONS);
                   ASSERT_EQ(list.columns.size(), 4u);
                   EXPECT_EQ(list.columns[2].title, "Status");
                   EXPECT_EQ(list.columns[2].width, 160);
                   EXPECT_EQ(list.icons, (std::vector<int>{IDI_KEY_FOUND, IDI_KEY_MISSING}));
                   EXPECT_EQ(CellsOf(list),
                             (Rows{{"Acme", HexString(test::AuthorityKeyId("Acme")), "Hittade nyckel",
                                    FormatTimestamp(1700000000).str()},
                                   {"(ej verifierad) Beta", HexString(test::AuthorityKeyId("Beta")),
                                    "Ingen betrodd nyckel hittades", "--"}}));
                   EXPECT_EQ(list.rows[0].icon, 0);
                   EXPECT_EQ(list.rows[1].icon, 1);
                   EXPECT_EQ(list.selectedRow, 0);
                   // The first row is shown from the start.
                   EXPECT_EQ(v.text(IDC_APPROVAL_ORGANISATION), "Acme");
                   EXPECT_EQ(v.text(IDC_APPROVAL_KEY_ID), HexString(test::AuthorityKeyId("Acme")));
                   EXPECT_EQ(CellsOf(v.control(IDC_APPROVAL_FIELDS)),
                             (Rows{{"Namn", "bob Åkesson"}, {"E-post", "bob@example.se"}}));
                   EXPECT_EQ(v.text(IDC_APPROVAL_FINGERPRINT), HexString(peer_.fingerprint));
                   EXPECT_EQ(v.text(IDC_APPROVAL_FINGERPRINT).size(), 64u);

                   v.chooseRow(IDC_APPROVAL_CERTIFICATIONS, 1);  // untrusted: nothing vouched for
                   EXPECT_EQ(v.text(IDC_APPROVAL_ORGANISATION), "");
                   EXPECT_EQ(v.text(IDC_APPROVAL_KEY_ID), "");
                   EXPECT_TRUE(v.control(IDC_APPROVAL_FIELDS).rows.empty());
                   v.chooseRow(IDC_APPROVAL_CERTIFICATIONS, 0);
                   EXPECT_EQ(v.control(IDC_APPROVAL_FIELDS).rows.size(), 2u);
                   v.chooseRow(IDC_APPROVAL_CERTIFICATIONS, std::nullopt);
                   EXPECT_EQ(v.text(IDC_APPROVAL_ORGANISATION), "");
                   EXPECT_TRUE(v.control(IDC_APPROVAL_FIELDS).rows.empty());
                   v.click(IDC_APPROVAL_YES);
                 }),
            1);
}

TEST_F(ApprovalDialogTest, ACertificateWithoutCertificationsShowsOnlyItsFingerprint) {
  const std::string certificate = writeCertificate("bob.certificate", "bob");
  EXPECT_EQ(open(certificate,
                 [](test::FakeView& v) {
                   EXPECT_TRUE(v.control(IDC_APPROVAL_CERTIFICATIONS).rows.empty());
                   EXPECT_FALSE(v.control(IDC_APPROVAL_CERTIFICATIONS).selectedRow);
                   EXPECT_EQ(v.text(IDC_APPROVAL_ORGANISATION), "");
                   EXPECT_EQ(v.text(IDC_APPROVAL_FINGERPRINT).size(), 64u);
                   v.close();
                 }),
            0);
  EXPECT_EQ(ui_.log(), (Log{"dialog 115@101", "end 115: 0"}));
}

TEST_F(ApprovalDialogTest, NoWarnsBeforeRefusing) {
  const std::string certificate = writeCertificate("bob.certificate", "bob", {"Beta"});
  EXPECT_EQ(open(certificate, [](test::FakeView& v) { v.click(IDC_APPROVAL_NO); }), 0);
  EXPECT_EQ(ui_.log(), (Log{"dialog 115@101", "warn@115: Du bör bara använda certifikat som är pålitliga.",
                            "end 115: 0"}));
}

// An untrusted authority's organisation is whatever the certificate's sender wrote. Padded,
// with controls and bidirectional overrides, it still shows only behind the mark, escaped,
// and never where the verified identity stands.
TEST_F(ApprovalDialogTest, AnUnverifiedOrganisationCannotPassForAVerifiedOne) {
  trustAuthority("Org");
  const std::u16string padding(120, u' ');
  const WideText hostile(u"Evil" + padding + u"Hittade nyckel" + padding +
                         u"Namn\x1B[2K\r\n\x81\x9D\xAD"
                         u"\u202Eecila\u200B");
  const std::string certificate = writeCertificateOf(
      "bob.certificate", "bob",
      {certificationBy("Org", "bob", test::OwnerFields("bob"), 1700000000),
       certificationBy("Evil", "bob", test::Fields({{"Namn", "Alice"}}), 1700000000, hostile)});
  EXPECT_EQ(open(certificate,
                 [](test::FakeView& v) {
                   const test::FakeControl& list = v.control(IDC_APPROVAL_CERTIFICATIONS);
                   ASSERT_EQ(list.rows.size(), 2u);
                   const std::string shown = list.rows[1].cells[0];
                   EXPECT_EQ(shown.rfind("(ej verifierad) Evil ", 0), 0u) << shown;
                   EXPECT_FALSE(test::HoldsRawControls(shown));
                   // Units above 255 show as ÿ, C0 controls as spaces; the rest is escaped.
                   EXPECT_NE(shown.find("Namn [2K  \\u0081\\u009D\\u00ADÿecilaÿ"), std::string::npos)
                       << shown;
                   EXPECT_EQ(list.rows[1].cells[2], "Ingen betrodd nyckel hittades");
                   EXPECT_EQ(list.rows[1].icon, 1);
                   v.chooseRow(IDC_APPROVAL_CERTIFICATIONS, 1);
                   EXPECT_EQ(v.text(IDC_APPROVAL_ORGANISATION), "");
                   EXPECT_EQ(v.text(IDC_APPROVAL_KEY_ID), "");
                   EXPECT_TRUE(v.control(IDC_APPROVAL_FIELDS).rows.empty());
                   v.chooseRow(IDC_APPROVAL_CERTIFICATIONS, 0);
                   EXPECT_EQ(v.text(IDC_APPROVAL_ORGANISATION), "Org");
                   EXPECT_EQ(CellsOf(v.control(IDC_APPROVAL_FIELDS)),
                             (Rows{{"Namn", "bob Åkesson"}, {"E-post", "bob@example.se"}}));
                   v.click(IDC_APPROVAL_NO);
                 }),
            0);
}

// The holder put the older certification first, and the dialog shows the first row's
// identity: the newer one comes first, after a warning.
TEST_F(ApprovalDialogTest, DifferingCertificationsOfOneAuthorityAreShownNewestFirstAfterAWarning) {
  storeKeyPair("alice", "a");
  trustAuthority("Org");
  const std::string certificate = writeCertificateOf(
      "bob.certificate", "bob",
      {certificationBy("Org", "bob", test::Fields({{"Namn", "Bob"}, {"Roll", "Styrelse"}}), 1600000000),
       certificationBy("Org", "bob", test::Fields({{"Namn", "Bob"}, {"Roll", "Medlem"}}), 1700000000)});
  ui_.chooseFile(certificate);
  ui_.onDialog(IDD_APPROVAL, [](test::FakeView& v) {
    const test::FakeControl& list = v.control(IDC_APPROVAL_CERTIFICATIONS);
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0].cells[3], FormatTimestamp(1700000000).str());
    EXPECT_EQ(list.rows[1].cells[3], FormatTimestamp(1600000000).str());
    EXPECT_EQ(CellsOf(v.control(IDC_APPROVAL_FIELDS)), (Rows{{"Namn", "Bob"}, {"Roll", "Medlem"}}));
    v.click(IDC_APPROVAL_YES);
  });
  SelectedKeys keys;
  EXPECT_EQ(SelectKeys(ui_, state_, KeyNeeds::kPeerAndOwn, "", &main(), keys), KeySelection::kSelected);
  const std::string warning = std::string("warn@101: ") + key_text::kConflictingCertifications +
                              HexString(test::AuthorityKeyId("Org"));
  EXPECT_EQ(ui_.log(),
            (Log{"open@101: Välj certifikat... | Certifikat (*.certificate)|*.certificate | certificate | ",
                 warning, "dialog 115@101", "end 115: 1"}));
}

TEST_F(ApprovalDialogTest, OneForgedCertificationMakesTheCertificateUnusable) {
  storeKeyPair("alice", "a");
  trustAuthority("Acme");
  trustAuthority("Beta");
  const std::string certificate = writeCertificate("bob.certificate", "bob", {"Acme", "Beta"});
  std::string bytes = test::ReadRaw(certificate);
  bytes.back() ^= 0x01;  // the last certification's signature
  test::WriteRaw(certificate, bytes);
  ui_.chooseFile(certificate);
  main().type(IDC_MAIN_FILE_NAME, writeFile("a.txt", "a"));
  main().click(IDC_MAIN_ENCRYPT);
  EXPECT_EQ(ui_.log().back(), "error@101: Fel: Kunde inte hämta krypteringsnycklar!\n" + certificate +
                                  ": en certifiering i filen är inte gjord av den betrodda "
                                  "certifieringsnyckeln med samma Nyckel-ID");
  EXPECT_TRUE(ui_.logOf("dialog").empty()) << "no approval is asked";
}

}  // namespace
}  // namespace qs
