// The trusted certification keys: the list and its rows, adding through the confirmation,
// removing, and what each refusal leaves.
#include "app/trusted_keys_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/resource_ids.h"
#include "cli/cli.h"
#include "keys/key_store.h"
#include "keys/record_text.h"
#include "keys/select_keys.h"
#include "keys/trusted_keys.h"
#include "tests/app/app_fixture.h"
#include "tests/keys/key_fixtures.h"
#include "tests/support/hex.h"
#include "tests/support/processes.h"
#include "tests/support/test_keys.h"

namespace qs {
namespace {

using Log = std::vector<std::string>;

constexpr char kAddTitle[] =
    "open@108: Välj publik certifieringsnyckel... | Publik certifieringsnyckel "
    "(*.public_cert_key)|*.public_cert_key "
    "| public_cert_key | ";

std::vector<std::string> Organisations(const test::FakeControl& list) {
  std::vector<std::string> names;
  for (const test::FakeRow& row : list.rows) names.push_back(row.cells.at(0));
  return names;
}

std::vector<std::string> TrustedOrganisations(const std::string& folder) {
  std::vector<std::string> names;
  for (const ByteBuffer& entry : ReadTrustedKeys(folder)) {
    const std::optional<CertKeyHeader> header = ReadCertKeyHeader(entry);
    names.push_back(header ? DisplayText(header->organisation) : "?");
  }
  return names;
}

class TrustedKeysDialogTest : public test::AppTest {
 protected:
  // Opens the dialog from the menu with the script.
  void open(test::FakeUi::Script script) {
    ui_.onDialog(IDD_TRUSTED_KEYS, std::move(script));
    main().click(IDM_TRUSTED_KEYS);
  }

  std::string publicCertKeyFile(const std::string& authority) {
    return writeKeyFile(authority + ".public_cert_key", test::PublicCertKeyOf(authority));
  }

  // Queues the file and the confirmation's answer for the next "Lägg till...".
  void offer(const std::string& file, int button) {
    ui_.chooseFile(file);
    ui_.onDialog(IDD_TRUST_CONFIRM, [button](test::FakeView& v) {
      if (button == 0)
        v.close();
      else
        v.click(button);
    });
  }
};

TEST_F(TrustedKeysDialogTest, OpeningListsEveryTrustedKey) {
  trustAuthority("Acme");
  trustAuthority("Beta");
  open([](test::FakeView& v) {
    const test::FakeControl& list = v.control(IDC_TRUSTED_LIST);
    ASSERT_EQ(list.columns.size(), 4u);
    const std::vector<std::pair<std::string, int>> columns{
        {"Organisation", 150}, {"Typ", 75}, {"Key-ID", 125}, {"Fingerprint", 425}};
    for (std::size_t i = 0; i < columns.size(); ++i) {
      EXPECT_EQ(list.columns[i].title, columns[i].first);
      EXPECT_EQ(list.columns[i].width, columns[i].second);
    }
    ASSERT_EQ(list.rows.size(), 2u);
    EXPECT_EQ(list.rows[0].cells,
              (std::vector<std::string>{"Acme", "RSA 2048bit", HexString(test::AuthorityKeyId("Acme")),
                                        HexString(*ComputeFingerprint(test::PublicCertKeyOf("Acme")))}));
    EXPECT_EQ(list.rows[1].cells.at(0), "Beta");
    EXPECT_TRUE(v.isEnabled(IDC_TRUSTED_REMOVE));
    v.click(IDC_TRUSTED_CLOSE);
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 108@101", "end 108: 1"}));
}

TEST_F(TrustedKeysDialogTest, WithoutAListNothingCanBeRemoved) {
  open([this](test::FakeView& v) {
    EXPECT_TRUE(v.control(IDC_TRUSTED_LIST).rows.empty());
    EXPECT_FALSE(v.isEnabled(IDC_TRUSTED_REMOVE));
    v.close();
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 108@101", "end 108: 1"}));
  EXPECT_FALSE(ReadTrustedKeyList(dir_.path()));
}

TEST_F(TrustedKeysDialogTest, AddingShowsTheKeyAndRebuildsTheList) {
  ui_.chooseFile(publicCertKeyFile("Acme"));
  ui_.onDialog(IDD_TRUST_CONFIRM, [](test::FakeView& v) {
    EXPECT_EQ(v.text(IDC_TRUST_ORGANISATION), "Acme");
    EXPECT_EQ(v.text(IDC_TRUST_KEY_ID), HexString(test::AuthorityKeyId("Acme")));
    EXPECT_EQ(v.text(IDC_TRUST_FINGERPRINT), HexString(*ComputeFingerprint(test::PublicCertKeyOf("Acme"))));
    v.click(IDC_TRUST_YES);
  });
  open([](test::FakeView& v) {
    EXPECT_FALSE(v.isEnabled(IDC_TRUSTED_REMOVE));
    v.click(IDC_TRUSTED_ADD);
    EXPECT_EQ(Organisations(v.control(IDC_TRUSTED_LIST)), (std::vector<std::string>{"Acme"}));
    EXPECT_TRUE(v.isEnabled(IDC_TRUSTED_REMOVE));
    v.click(IDC_TRUSTED_CLOSE);
  });
  EXPECT_EQ(ui_.log(), (Log{"dialog 108@101", kAddTitle, "dialog 126@108", "end 126: 1", "end 108: 1"}));
  const std::vector<ByteBuffer> trusted = ReadTrustedKeys(dir_.path());
  ASSERT_EQ(trusted.size(), 1u);
  EXPECT_EQ(test::ToHex(trusted[0]), test::ToHex(test::PublicCertKeyOf("Acme")));
}

TEST_F(TrustedKeysDialogTest, TheSameKeyTwiceIsRefusedAndListedOnce) {
  trustAuthority("Acme");
  offer(publicCertKeyFile("Acme"), IDC_TRUST_YES);
  open([](test::FakeView& v) {
    v.click(IDC_TRUSTED_ADD);
    EXPECT_EQ(Organisations(v.control(IDC_TRUSTED_LIST)), (std::vector<std::string>{"Acme"}));
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@108: Denna nyckel finns redan i listan av betrodda nycklar!"}));
  EXPECT_EQ(TrustedOrganisations(dir_.path()), (std::vector<std::string>{"Acme"}));
}

// A fake authority that took the real one's Key-ID and was trusted first: the real key is
// told apart by its fingerprint before the confirmation, added beside it, and certifies.
TEST_F(TrustedKeysDialogTest, AKeyIdTakenByAnotherKeyIsToldWithBothFingerprints) {
  const ByteBuffer fake =
      test::CertKeyFrom("bob", "Acme", HexString(test::AuthorityKeyId("Acme"))).publicRecord;
  ASSERT_EQ(AddTrustedKey(dir_.path(), fake), KeyOutcome::kOk);
  const std::string certificate = writeCertificate("alice.certificate", "alice", {"Acme"});
  ASSERT_FALSE(CheckPeerCertificate(certificate, dir_.path()).ok())
      << "the fake key fails the genuine certification";
  offer(publicCertKeyFile("Acme"), IDC_TRUST_YES);
  open([](test::FakeView& v) {
    v.click(IDC_TRUSTED_ADD);
    EXPECT_EQ(Organisations(v.control(IDC_TRUSTED_LIST)), (std::vector<std::string>{"Acme", "Acme"}));
    v.close();
  });
  const std::string real = HexString(*ComputeFingerprint(test::PublicCertKeyOf("Acme")));
  const Log log = ui_.log();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[2].rfind("warn@108: Varning! Nyckel-ID " + HexString(test::AuthorityKeyId("Acme")) +
                             " finns redan i listan av betrodda nycklar, men för en annan nyckel.\n"
                             "Den valda nyckelns fingerprint: " +
                             real + "\nBetrodd nyckel med samma Nyckel-ID: " +
                             HexString(*ComputeFingerprint(fake)) + "\n",
                         0),
            0u)
      << log[2];
  EXPECT_EQ(log[3], "dialog 126@108");
  EXPECT_TRUE(ui_.logOf("error").empty());
  const KeyResult<PeerCertificate> peer = CheckPeerCertificate(certificate, dir_.path());
  ASSERT_TRUE(peer.ok());
  EXPECT_EQ(peer.value.results.at(0).status, CertificationStatus::kVerified);

  // The very same key again is the duplicate it always was, without the warning.
  offer(publicCertKeyFile("Acme"), IDC_TRUST_YES);
  ui_.clearLog();
  open([](test::FakeView& v) {
    v.click(IDC_TRUSTED_ADD);
    v.close();
  });
  EXPECT_TRUE(ui_.logOf("warn").empty());
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@108: Denna nyckel finns redan i listan av betrodda nycklar!"}));
}

TEST_F(TrustedKeysDialogTest, DecliningOrCancellingAddsNothing) {
  offer(publicCertKeyFile("Acme"), IDC_TRUST_NO);
  offer(publicCertKeyFile("Acme"), 0);
  ui_.chooseFile(std::nullopt);
  open([](test::FakeView& v) {
    v.click(IDC_TRUSTED_ADD);
    v.click(IDC_TRUSTED_ADD);
    v.click(IDC_TRUSTED_ADD);
    EXPECT_TRUE(v.control(IDC_TRUSTED_LIST).rows.empty());
    v.close();
  });
  EXPECT_TRUE(ui_.logOf("error").empty());
  EXPECT_EQ(ui_.logOf("end 126"), (Log{"end 126: 0", "end 126: 0"}));
  EXPECT_FALSE(ReadTrustedKeyList(dir_.path())) << "no list is made";
}

TEST_F(TrustedKeysDialogTest, FilesThatAreNoPublicCertificationKeyAreRefused) {
  ui_.chooseFile(path("missing.public_cert_key"));
  ui_.chooseFile(writeKeyFile("alice.public_key", test::KeyPairOf("alice").publicRecord));
  ui_.chooseFile(writeKeyFile("Acme.private_cert_key", test::PrivateCertKeyOf("Acme")));
  open([](test::FakeView& v) {
    v.click(IDC_TRUSTED_ADD);
    v.click(IDC_TRUSTED_ADD);
    v.click(IDC_TRUSTED_ADD);
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"),
            (Log{"error@108: Kunde inte läsa nyckelfilen!\n" + path("missing.public_cert_key") +
                     ": filen finns inte",
                 "error@108: Kunde inte läsa nyckeln!\n" + path("alice.public_key") +
                     ": filen är inte en publik certifieringsnyckel",
                 "error@108: Kunde inte läsa fingerprint!\n" + path("Acme.private_cert_key") +
                     ": filen är inte en publik certifieringsnyckel"}));
  EXPECT_TRUE(ui_.logOf("dialog 126").empty());
  EXPECT_FALSE(ReadTrustedKeyList(dir_.path()));
}

TEST_F(TrustedKeysDialogTest, RemovingAMiddleEntryKeepsTheOthersInOrder) {
  trustAuthority("Acme");
  trustAuthority("Beta");
  trustAuthority("Gamma");
  ui_.answer(ui::Answer::kYes);
  open([](test::FakeView& v) {
    v.chooseRow(IDC_TRUSTED_LIST, 1);
    v.click(IDC_TRUSTED_REMOVE);
    EXPECT_EQ(Organisations(v.control(IDC_TRUSTED_LIST)), (std::vector<std::string>{"Acme", "Gamma"}));
    v.close();
  });
  EXPECT_EQ(ui_.logOf("ask"), (Log{"ask@108: Är du säker på att du vill ta bort certifieringsnyckeln?"}));
  EXPECT_EQ(TrustedOrganisations(dir_.path()), (std::vector<std::string>{"Acme", "Gamma"}));
}

TEST_F(TrustedKeysDialogTest, RemovingTheLastEntryDisablesRemove) {
  trustAuthority("Acme");
  ui_.answer(ui::Answer::kYes);
  open([](test::FakeView& v) {
    v.chooseRow(IDC_TRUSTED_LIST, 0);
    v.click(IDC_TRUSTED_REMOVE);
    EXPECT_TRUE(v.control(IDC_TRUSTED_LIST).rows.empty());
    EXPECT_FALSE(v.isEnabled(IDC_TRUSTED_REMOVE));
    v.close();
  });
  ASSERT_TRUE(ReadTrustedKeyList(dir_.path()));
  EXPECT_TRUE(ReadTrustedKeyList(dir_.path())->empty()) << "an empty list stays";
}

TEST_F(TrustedKeysDialogTest, NoSelectionOrNoAnswerRemovesNothing) {
  trustAuthority("Acme");
  ui_.answer(ui::Answer::kNo);
  open([](test::FakeView& v) {
    v.click(IDC_TRUSTED_REMOVE);
    v.chooseRow(IDC_TRUSTED_LIST, 0);
    v.click(IDC_TRUSTED_REMOVE);
    EXPECT_EQ(v.control(IDC_TRUSTED_LIST).rows.size(), 1u);
    v.close();
  });
  EXPECT_EQ(ui_.logOf("error"), (Log{"error@108: Ingen nyckel är vald i listan!"}));
  EXPECT_EQ(ui_.logOf("ask").size(), 1u);
  EXPECT_EQ(TrustedOrganisations(dir_.path()), (std::vector<std::string>{"Acme"}));
}

// A damaged entry gets no row and its message where it is met; the rows after it still
// remove their own entries.
TEST_F(TrustedKeysDialogTest, RowsPastAnUnreadableEntryRemoveTheirOwn) {
  const ByteBuffer damaged = ByteBuffer::zeros(12);
  writeKeyFile("cert_key_list.bin", EncodeTrustedKeyList({damaged, test::PublicCertKeyOf("Acme"), damaged,
                                                          test::PublicCertKeyOf("Beta"), damaged}));
  ui_.logRows();
  ui_.answer(ui::Answer::kYes);
  open([](test::FakeView& v) {
    EXPECT_EQ(Organisations(v.control(IDC_TRUSTED_LIST)), (std::vector<std::string>{"Acme", "Beta"}));
    v.chooseRow(IDC_TRUSTED_LIST, 1);
    v.click(IDC_TRUSTED_REMOVE);
    EXPECT_EQ(Organisations(v.control(IDC_TRUSTED_LIST)), (std::vector<std::string>{"Acme"}));
    v.close();
  });
  constexpr char kUnreadable[] = "error@108: Kunde inte läsa lagrad nyckel!";
  EXPECT_EQ(ui_.log(), (Log{"dialog 108@101", kUnreadable, "row@108: Acme", kUnreadable, "row@108: Beta",
                            kUnreadable, "ask@108: Är du säker på att du vill ta bort certifieringsnyckeln?",
                            kUnreadable, "row@108: Acme", kUnreadable, kUnreadable, "end 108: 1"}));
  EXPECT_EQ(TrustedOrganisations(dir_.path()), (std::vector<std::string>{"?", "Acme", "?", "?"}));
}

// The GUI and the command line change the list at the same time, each in its own process:
// every key that either added with success is in the list afterwards.
TEST_F(TrustedKeysDialogTest, TheGuiAndTheCommandLineAddAtOnceAndKeepEachOthersKeys) {
  const std::vector<std::string> gui{"G1", "G2", "G3", "G4"};
  const std::vector<std::string> cli{"C1", "C2", "C3", "C4"};
  for (const std::string& name : gui) publicCertKeyFile(name);
  for (const std::string& name : cli) publicCertKeyFile(name);
  const std::vector<bool> done = test::RunTogether(2, [&](int side) {
    if (side == 1) {
      for (const std::string& name : cli) {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        cli::Io io{in, out, err, false, false};
        const std::string fingerprint = HexString(*ComputeFingerprint(test::PublicCertKeyOf(name)));
        if (cli::Run({"--workdir", dir_.path(), "--expect-fingerprint", fingerprint, "trust", "add",
                      path(name + ".public_cert_key")},
                     io) != cli::kSuccess) {
          return false;
        }
      }
      return true;
    }
    for (const std::string& name : gui) offer(path(name + ".public_cert_key"), IDC_TRUST_YES);
    open([&](test::FakeView& v) {
      for (std::size_t i = 0; i < gui.size(); ++i) v.click(IDC_TRUSTED_ADD);
      v.click(IDC_TRUSTED_CLOSE);
    });
    return ui_.logOf("error").empty();  // no failure was shown
  });
  EXPECT_EQ(done, std::vector<bool>(2, true));
  std::vector<std::string> trusted = TrustedOrganisations(dir_.path());
  std::sort(trusted.begin(), trusted.end());
  EXPECT_EQ(trusted, (std::vector<std::string>{"C1", "C2", "C3", "C4", "G1", "G2", "G3", "G4"}));
}

}  // namespace
}  // namespace qs
