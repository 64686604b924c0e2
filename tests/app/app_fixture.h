#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/main_dialog.h"
#include "crypto/random_generator.h"
#include "keys/data_fields.h"
#include "keys/locked_key.h"
#include "tests/app/fake_ui.h"
#include "tests/support/temp_folder.h"

namespace qs::test {

// A certification authority's key records, made from carol's signing key under a keyId
// derived from the authority's name, which is also its organisation.
ByteBuffer AuthorityKeyId(const std::string& authority);
// Whether text (UTF-8) holds what a terminal acts on or a display hides: a control
// character other than the line end, a bidirectional control or a zero-width character.
bool HoldsRawControls(const std::string& text);

// The fields of every certification that writeCertificate makes for the owner.
std::vector<DataField> OwnerFields(const std::string& owner);
ByteBuffer PublicCertKeyOf(const std::string& authority);
ByteBuffer PrivateCertKeyOf(const std::string& authority);

// A working folder, a generator with full credit, the application state and an open main
// window on the scripted user interface, plus ways to put keys and certificates in place.
// Keys come from the fixed test key pairs: the user is "alice", the peer "bob"; "carol"'s
// signing key serves as a certification authority.
class AppTest : public ::testing::Test {
 protected:
  // credited: the generator starts with the credit every operation needs; else with none.
  explicit AppTest(bool credited = true);
  ~AppTest() override;

  std::string path(const std::string& name) const { return dir_.file(name); }
  std::string folderListing() const { return ListFolder(dir_.path()); }
  // A plain file in the working folder's test area.
  std::string writeFile(const std::string& name, const std::string& content);
  FakeView& main() { return *mainView_; }

  // priv_key.bin holding the named test key pair; with a passphrase, locked with it.
  void storeKeyPair(const std::string& owner, const std::string& keyName);
  void storeKeyPair(const std::string& owner, const std::string& keyName, const std::string& passphrase);
  // A lock with this passphrase, at a cost low enough for tests.
  KeyLocking passphraseLock(const std::string& passphrase);
  // A ".certificate" file for the named key pair, with one certification per authority
  // named (each made with carol's signing key under its own keyId and organisation).
  std::string writeCertificate(const std::string& file, const std::string& owner,
                               const std::vector<std::string>& authorities = {});
  // The authority's certification of the named key pair with these fields and this time;
  // with organisation, the certification claims that organisation instead of the authority's.
  ByteBuffer certificationBy(const std::string& authority, const std::string& owner,
                             const std::vector<DataField>& fields, std::uint32_t timestamp,
                             const std::optional<WideText>& organisation = std::nullopt);
  // A ".certificate" file for the named key pair holding these certifications in this order.
  std::string writeCertificateOf(const std::string& file, const std::string& owner,
                                 const std::vector<ByteBuffer>& certifications);
  // A ".certification" file: the authority's certification of the named key pair.
  std::string writeCertification(const std::string& file, const std::string& owner,
                                 const std::string& authority);
  // A key file (whole-file container) in the test area.
  std::string writeKeyFile(const std::string& name, const ByteBuffer& content);
  // Adds the authority's "PublicCertKey" record to cert_key_list.bin.
  void trustAuthority(const std::string& authority);

  // Queues what the user does to approve (or not) the certificate at path in the
  // approval dialog that follows.
  void approveCertificate(const std::string& certificate, bool approve = true);

  // Queues what the user does in the next passphrase dialog: types text and clicks OK, or,
  // with nothing, clicks "Avbryt". The dialog's wrong-passphrase line goes to
  // passphraseLines_ as it opens; the field must be empty once it ends.
  void answerPassphrase(const std::optional<std::string>& text);

  std::vector<std::string> passphraseLines_;
  TempFolder dir_;
  std::unique_ptr<RandomGenerator> generator_;
  AppState state_;
  FakeUi ui_;

 private:
  MainDialog mainController_;
  std::unique_ptr<FakeView> mainView_;
};

}  // namespace qs::test
