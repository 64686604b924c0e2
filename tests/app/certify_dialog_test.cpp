// Certifying a public key: the data-field list, the confirmation of time and fingerprint
// (the time shown is the time signed), the suggested name, and every refusal keeping the
// dialog open as it was.
#include "app/certify_dialog.h"

#include <gtest/gtest.h>

#include "app/resource_ids.h"
#include "base/timestamp.h"
#include "keys/certification.h"
#include "keys/data_fields.h"
#include "keys/key_files.h"
#include "keys/key_store.h"
#include "keys/possession_proof.h"
#include "keys/record_text.h"
#include "operations/key_messages.h"
#include "tests/app/app_fixture.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;
using Rows = std::vector<std::vector<std::string>>;

Rows CellsOf(const test::FakeControl& list) {
  Rows rows;
  for (const test::FakeRow& row : list.rows) rows.push_back(row.cells);
  return rows;
}

void AddField(test::FakeView& v, const std::string& name, const std::string& value) {
  v.type(IDC_CERTIFY_FIELD_NAME, name);
  v.type(IDC_CERTIFY_FIELD_VALUE, value);
  v.click(IDC_CERTIFY_ADD_FIELD);
}

class CertifyDialogTest : public test::AppTest {
 protected:
  CertifyDialogTest() {
    publicKey_ = path("alice key.v1.public_key");
    test::WriteExportedPublicKey(publicKey_, "alice");
    certKey_ = writeKeyFile("acme.private_cert_key", test::PrivateCertKeyOf("Acme"));
  }

  void open(test::FakeUi::Script script) {
    ui_.onDialog(IDD_CERTIFY, std::move(script));
    main().click(IDM_CERTIFY);
  }

  // Types both paths and one field, then asks for the certification.
  void certify(test::FakeView& v, const std::string& publicKey, const std::string& certKey) {
    v.type(IDC_CERTIFY_PUBLIC_KEY, publicKey);
    v.type(IDC_CERTIFY_CERT_KEY, certKey);
    if (v.control(IDC_CERTIFY_FIELDS).rows.empty()) AddField(v, "Namn", "Alice Åkesson");
    v.click(IDC_CERTIFY_CREATE);
  }

  void confirm(int button) {
    ui_.onDialog(IDD_CERTIFY_CONFIRM, [button](test::FakeView& v) {
      if (button == 0)
        v.close();
      else
        v.click(button);
    });
  }

  std::string publicKey_;
  std::string certKey_;
};

TEST_F(CertifyDialogTest, ChoosingFilesFillsThePathFields) {
  ui_.chooseFile(publicKey_);
  ui_.chooseFile(certKey_);
  ui_.chooseFile(std::nullopt);
  open([this](test::FakeView& v) {
    const test::FakeControl& list = v.control(IDC_CERTIFY_FIELDS);
    ASSERT_EQ(list.columns.size(), 2u);
    EXPECT_EQ(list.columns[0].title, "Fältnamn");
    EXPECT_EQ(list.columns[0].width, 100);
    EXPECT_EQ(list.columns[1].title, "Värde");
    EXPECT_EQ(list.columns[1].width, 350);
    EXPECT_FALSE(v.isEnabled(IDC_CERTIFY_REMOVE_FIELD));
    v.click(IDC_CERTIFY_CHOOSE_PUBLIC_KEY);
    v.click(IDC_CERTIFY_CHOOSE_CERT_KEY);
    v.click(IDC_CERTIFY_CHOOSE_PUBLIC_KEY);  // cancelled
    EXPECT_EQ(v.text(IDC_CERTIFY_PUBLIC_KEY), publicKey_);
    EXPECT_EQ(v.text(IDC_CERTIFY_CERT_KEY), certKey_);
    v.click(IDC_CERTIFY_CLOSE);
  });
  EXPECT_EQ(
      ui_.log(),
      (Log{"dialog 106@101",
           "open@106: Välj publik nyckel... | Publik nyckel (*.public_key)|*.public_key | public_key | ",
           "open@106: Välj privat certifieringsnyckel... | Privat certifieringsnyckel "
           "(*.private_cert_key)|*.private_cert_key | private_cert_key | ",
           "open@106: Välj publik nyckel... | Publik nyckel (*.public_key)|*.public_key | public_key | ",
           "end 106: 1"}));
}

TEST_F(CertifyDialogTest, FieldsAreAddedAndRemovedByRow) {
  open([](test::FakeView& v) {
    AddField(v, "Namn", "");
    AddField(v, "", "x");
    EXPECT_TRUE(v.control(IDC_CERTIFY_FIELDS).rows.empty());
    AddField(v, "Namn", "Alice");
    EXPECT_EQ(v.text(IDC_CERTIFY_FIELD_NAME), "");
    EXPECT_EQ(v.text(IDC_CERTIFY_FIELD_VALUE), "");
    EXPECT_TRUE(v.isEnabled(IDC_CERTIFY_REMOVE_FIELD));
    AddField(v, "E-post", "alice@example.se");
    AddField(v, "Ort", "Umeå");
    v.click(IDC_CERTIFY_REMOVE_FIELD);  // nothing selected
    v.chooseRow(IDC_CERTIFY_FIELDS, 1);
    v.click(IDC_CERTIFY_REMOVE_FIELD);
    EXPECT_EQ(CellsOf(v.control(IDC_CERTIFY_FIELDS)), (Rows{{"Namn", "Alice"}, {"Ort", "Umeå"}}));
    v.chooseRow(IDC_CERTIFY_FIELDS, 0);
    v.click(IDC_CERTIFY_REMOVE_FIELD);
    v.chooseRow(IDC_CERTIFY_FIELDS, 0);
    v.click(IDC_CERTIFY_REMOVE_FIELD);
    EXPECT_FALSE(v.isEnabled(IDC_CERTIFY_REMOVE_FIELD));
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@106: Du måste skriva in ett fältnamn och värde.",
                                     "error@106: Du måste skriva in ett fältnamn och värde.",
                                     "error@106: Inget datafält är valt i listan."}));
}

// Escape, the close button and "Stäng" drop what was typed alike, without a question.
TEST_F(CertifyDialogTest, EscapeEndsItAsStängDoes) {
  const std::vector<test::FakeUi::Script> ways{[](test::FakeView& v) { v.click(IDC_CERTIFY_CLOSE); },
                                               [](test::FakeView& v) { v.close(); },
                                               [](test::FakeView& v) { v.pressEscape(); }};
  for (const auto& end : ways) {
    open([&end](test::FakeView& v) {
      v.type(IDC_CERTIFY_PUBLIC_KEY, "C:\\alice.public_key");
      AddField(v, "Namn", "Alice");
      v.type(IDC_CERTIFY_FIELD_NAME, "Ort");
      end(v);
    });
  }
  EXPECT_EQ(ui_.log(), (Log{"dialog 106@101", "end 106: 1", "dialog 106@101", "end 106: 1", "dialog 106@101",
                            "end 106: 1"}));
}

TEST_F(CertifyDialogTest, TheConfirmedTimeIsTheSignedTime) {
  std::string shownTime;
  ui_.onDialog(IDD_CERTIFY_CONFIRM, [&shownTime](test::FakeView& v) {
    shownTime = v.text(IDC_CERTIFY_CONFIRM_TIMESTAMP);
    EXPECT_EQ(v.text(IDC_CERTIFY_CONFIRM_FINGERPRINT),
              HexString(*ComputeFingerprint(test::KeyPairOf("alice").publicRecord)));
    v.click(IDC_CERTIFY_CONFIRM_YES);
  });
  const std::string target = path("alice.certification");
  ui_.chooseFile(target);
  open([this](test::FakeView& v) {
    AddField(v, "Namn", "Alice Åkesson");
    AddField(v, "E-post", "alice@example.se");
    certify(v, publicKey_, certKey_);
  });
  EXPECT_EQ(ui_.log().back(), "end 106: 1");
  EXPECT_EQ(
      ui_.logOf("save"),
      (Log{"save@106: Välj plats för certifieringen... | Certifiering (*.certification)|*.certification | "
           "certification | alice_key_Acme_" +
           HexString(test::AuthorityKeyId("Acme"))}));
  const std::optional<ByteBuffer> written = ReadKeyFile(target);
  ASSERT_TRUE(written);
  const std::optional<CertificationRecord> record = ReadCertification(*written);
  ASSERT_TRUE(record);
  const std::optional<DecodedDataFields> fields = DecodeDataFields(record->dataFields);
  ASSERT_TRUE(fields);
  EXPECT_EQ(FormatTimestamp(fields->timestamp).str(), shownTime);
  ASSERT_EQ(fields->fields.size(), 2u);
  EXPECT_EQ(DisplayText(fields->fields[0].value), "Alice Åkesson");
  EXPECT_EQ(DisplayText(fields->fields[1].name), "E-post");
}

TEST_F(CertifyDialogTest, DecliningOrCancellingWritesNothingAndKeepsTheFields) {
  confirm(IDC_CERTIFY_CONFIRM_NO);
  confirm(0);
  confirm(IDC_CERTIFY_CONFIRM_YES);
  ui_.chooseFile(std::nullopt);
  const std::string before = folderListing();
  open([this](test::FakeView& v) {
    for (int i = 0; i < 3; ++i) certify(v, publicKey_, certKey_);
    EXPECT_FALSE(v.ended());
    EXPECT_EQ(v.control(IDC_CERTIFY_FIELDS).rows.size(), 1u);
    EXPECT_EQ(v.text(IDC_CERTIFY_PUBLIC_KEY), publicKey_);
    v.close();
  });
  EXPECT_TRUE(ui_.logOf("error").empty());
  EXPECT_EQ(folderListing(), before);
}

// A certification key locked with a passphrase is opened last, after the user gives it; a
// cancel is no failure to tell.
TEST_F(CertifyDialogTest, ALockedCertificationKeyAsksForItsPassphrase) {
  const std::optional<ByteBuffer> locked =
      LockKeyRecord(test::PrivateCertKeyOf("Acme"), {}, passphraseLock("acme fras"));
  ASSERT_TRUE(locked);
  const std::string lockedKey = writeKeyFile("locked.private_cert_key", *locked);
  answerPassphrase(std::nullopt);
  answerPassphrase("acme fras");
  confirm(IDC_CERTIFY_CONFIRM_YES);
  ui_.chooseFile(path("alice.certification"));
  open([this, &lockedKey](test::FakeView& v) {
    certify(v, publicKey_, lockedKey);
    EXPECT_FALSE(v.ended());
    certify(v, publicKey_, lockedKey);
  });
  EXPECT_EQ(ui_.logOf("dialog"),
            (Log{"dialog 106@101", "dialog 127@106", "dialog 127@106", "dialog 122@106"}));
  EXPECT_TRUE(ui_.logOf("error").empty());
  EXPECT_EQ(ui_.log().back(), "end 106: 1");
  EXPECT_TRUE(ReadCertification(*ReadKeyFile(path("alice.certification"))));
}

TEST_F(CertifyDialogTest, InputsAreCheckedBeforeTheConfirmation) {
  open([this](test::FakeView& v) {
    v.type(IDC_CERTIFY_PUBLIC_KEY, publicKey_);
    v.type(IDC_CERTIFY_CERT_KEY, certKey_);
    v.click(IDC_CERTIFY_CREATE);  // no fields yet
    certify(v, path("missing.public_key"), certKey_);
    certify(v, publicKey_, path("missing.private_cert_key"));
    certify(v, writeKeyFile("empty.public_key", ByteBuffer()), certKey_);
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@106: Du måste ange minst ett datafält i certifieringen!",
                                     "error@106: Kunde inte läsa publika nyckelfilen!\n" +
                                         path("missing.public_key") + ": filen finns inte",
                                     "error@106: Kunde inte läsa privata certifieringsnyckeln!\n" +
                                         path("missing.private_cert_key") + ": filen finns inte",
                                     "error@106: Kunde inte läsa från den publika nyckeln!\n" +
                                         path("empty.public_key") + ": filen är inte en publik nyckel"}));
  EXPECT_TRUE(ui_.logOf("dialog 122").empty());
}

// Refused by the certification itself, after the confirmation: the wrong kinds of key file
// and fields over the record's limits.
TEST_F(CertifyDialogTest, WhatCannotBeCertifiedIsRefusedAfterTheConfirmation) {
  for (int i = 0; i < 4; ++i) confirm(IDC_CERTIFY_CONFIRM_YES);
  const std::string publicCertKey = writeKeyFile("acme.public_cert_key", test::PublicCertKeyOf("Acme"));
  open([&](test::FakeView& v) {
    certify(v, publicCertKey, certKey_);
    certify(v, publicKey_, publicCertKey);
    v.chooseRow(IDC_CERTIFY_FIELDS, 0);
    v.click(IDC_CERTIFY_REMOVE_FIELD);
    AddField(v, std::string(21, 'n'), "v");
    certify(v, publicKey_, certKey_);
    v.chooseRow(IDC_CERTIFY_FIELDS, 0);
    v.click(IDC_CERTIFY_REMOVE_FIELD);
    AddField(v, "Namn", std::string(151, 'v'));
    certify(v, publicKey_, certKey_);
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"), Log(4, "error@106: Kunde int skapa certifiering!"));
  EXPECT_TRUE(ui_.logOf("save").empty());
}

// Mallory's record joins his encryption key to Alice's signing key: certified, every signature
// of hers would verify as his. It is refused before the confirmation, with or without a proof
// he could make, and so is an honest key whose proof is another key's.
TEST_F(CertifyDialogTest, AKeyIsCertifiedOnlyWithItsOwnersProofOfPossession) {
  const std::string hybrid = writeKeyFile("mallory.public_key", test::HybridPublicKey("bob", "alice"));
  const std::string carol = path("carol.public_key");
  test::WriteExportedPublicKey(carol, "carol");
  open([&](test::FakeView& v) {
    certify(v, hybrid, certKey_);
    test::SignFileAs("bob", hybrid, PossessionProofPath(hybrid), kPossessionProofMessage);
    certify(v, hybrid, certKey_);
    test::WriteRaw(PossessionProofPath(publicKey_), test::ReadRaw(PossessionProofPath(carol)));
    certify(v, publicKey_, certKey_);
    EXPECT_FALSE(v.ended());
    v.close();
  });
  const std::string missing =
      "error@106: Hittade inget innehavsbevis för den publika nyckeln! Be nyckelns ägare exportera den igen "
      "och "
      "skicka både .public_key-filen och dess .signature-fil.";
  const std::string invalid =
      "error@106: Innehavsbeviset är inte gjort med den publika nyckelns egen signeringsnyckel över just "
      "denna "
      "fil! Nyckeln certifieras inte.";
  EXPECT_EQ(
      ui_.logOf("error"),
      (Log{missing + "\n" + path("mallory.public_key.signature") + ": filen finns inte", invalid, invalid}));
  EXPECT_TRUE(ui_.logOf("dialog 122").empty());
  EXPECT_TRUE(ui_.logOf("save").empty());
}

// What the menu's export writes is what the dialog certifies.
TEST_F(CertifyDialogTest, AKeyExportedFromTheMenuIsCertified) {
  storeKeyPair("carol", "Carol");
  ui_.chooseFile(path("carol.public_key"));
  main().click(IDM_EXPORT_PUBLIC_KEY);
  confirm(IDC_CERTIFY_CONFIRM_YES);
  ui_.chooseFile(path("carol.certification"));
  open([this](test::FakeView& v) { certify(v, path("carol.public_key"), certKey_); });
  EXPECT_EQ(ui_.log().back(), "end 106: 1");
  const std::optional<CertificationRecord> record =
      ReadCertification(*ReadKeyFile(path("carol.certification")));
  ASSERT_TRUE(record);
  EXPECT_TRUE(record->keyFingerprint.equals(*ComputeFingerprint(test::KeyPairOf("carol").publicRecord)));
}

TEST_F(CertifyDialogTest, TheLimitsThemselvesAreCertified) {
  confirm(IDC_CERTIFY_CONFIRM_YES);
  ui_.chooseFile(path("full.certification"));
  open([this](test::FakeView& v) {
    for (int i = 0; i < 20; ++i)
      AddField(v, std::string(20, static_cast<char>('a' + i)), std::string(150, 'v'));
    certify(v, publicKey_, certKey_);
  });
  EXPECT_EQ(ui_.log().back(), "end 106: 1");
  EXPECT_TRUE(ReadKeyFile(path("full.certification")));
}

TEST_F(CertifyDialogTest, ACertificationIsNeverWrittenOverItsInputs) {
  confirm(IDC_CERTIFY_CONFIRM_YES);
  ui_.chooseFile(certKey_);
  const std::string before = test::ReadRaw(certKey_);
  open([this](test::FakeView& v) {
    certify(v, publicKey_, certKey_);
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@106: Kunde inte skriva certifiering till fil!\n" + certKey_ +
                                     ": målfilen är samma fil som källfilen"}));
  EXPECT_EQ(test::ReadRaw(certKey_), before);
}

}  // namespace
}  // namespace qs
