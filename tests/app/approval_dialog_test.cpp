// The approval of a certificate: what each certification shows, the identity a verified one
// vouches for, and the answers.
#include "app/approval_dialog.h"

#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "base/timestamp.h"
#include "keys/record_text.h"
#include "tests/app/app_fixture.h"

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
    std::optional<PeerCertificate> peer = CheckPeerCertificate(certificate, dir_.path());
    EXPECT_TRUE(peer);
    if (!peer) return -1;
    peer_ = std::move(*peer);
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
                   EXPECT_EQ(CellsOf(list), (Rows{{"Acme", HexString(test::AuthorityKeyId("Acme")),
                                                   "Hittade nyckel", FormatTimestamp(1700000000).str()},
                                                  {"Beta", HexString(test::AuthorityKeyId("Beta")),
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
  EXPECT_EQ(ui_.log().back(), "box@101: Fel: Kunde inte hämta krypteringsnycklar!");
  EXPECT_TRUE(ui_.logOf("dialog").empty()) << "no approval is asked";
}

}  // namespace
}  // namespace qs
