#include "app/file_dialogs.h"

namespace qs {
namespace {

const ui::FileFilter kAllFiles{"Alla filer (*.*)", "*.*"};
const ui::FileFilter kEncryptedFiles{"Krypterade filer (*.encrypted)", "*.encrypted"};
const ui::FileFilter kSignatureFile{"Signaturfil (*.signature)", "*.signature"};

}  // namespace

ui::FileDialog ChooseSourceDialog() { return {"Välj fil...", {kAllFiles, kEncryptedFiles}, "*", ""}; }

ui::FileDialog EncryptTargetDialog(const std::string& suggestion) {
  return {"Välj plats för den krypterade filen...",
          {{"Krypterad fil (*.encrypted)", "*.encrypted"}},
          "encrypted",
          suggestion};
}

ui::FileDialog DecryptTargetDialog(const std::string& suggestion) {
  return {"Välj plats för filen...", {kAllFiles}, "", suggestion};
}

ui::FileDialog SignTargetDialog(const std::string& suggestion) {
  return {"Välj plats för signaturfilen...", {kSignatureFile}, "signature", suggestion};
}

ui::FileDialog SignatureFileDialog() { return {"Välj signaturfil...", {kSignatureFile}, "signature", ""}; }

ui::FileDialog SignedFileDialog() { return {"Välj filen som signaturen gäller...", {kAllFiles}, "", ""}; }

ui::FileDialog CertificateDialog(const std::string& title) {
  return {title.empty() ? "Välj certifikat..." : title,
          {{"Certifikat (*.certificate)", "*.certificate"}},
          "certificate",
          ""};
}

ui::FileDialog PrivateCertKeyDialog(const std::string& suggestion) {
  return {"Välj plats för den privata certifieringsnyckeln...",
          {{"Privat certifieringsnyckel (*.private_cert_key)", "*.private_cert_key"}},
          "private_cert_key",
          suggestion};
}

ui::FileDialog PublicCertKeyDialog(const std::string& suggestion) {
  return {"Välj plats för den publika certifieringsnyckeln...",
          {{"Publik certifieringsnyckel (*.public_cert_key)", "*.public_cert_key"}},
          "public_cert_key",
          suggestion};
}

ui::FileDialog TrustedKeyFileDialog() {
  return {"Välj publik certifieringsnyckel...",
          {{"Publik certifieringsnyckel (*.public_cert_key)", "*.public_cert_key"}},
          "public_cert_key",
          ""};
}

ui::FileDialog PublicKeyExportDialog(const std::string& suggestion) {
  return {"Välj plats för den publika nyckeln...",
          {{"Publik nyckel (*.public_key)", "*.public_key"}},
          "public_key",
          suggestion};
}

ui::FileDialog BackupSaveDialog(const std::string& suggestion) {
  return {"Välj plats för säkerhetskopian...",
          {{"Säkerhetskopia av privat nyckel (*.key_backup)", "*.key_backup"}},
          "key_backup",
          suggestion};
}

// The filter's wording differs from the save dialog's; users have seen it so.
ui::FileDialog BackupOpenDialog() {
  return {"Välj säkerhetskopia...",
          {{"Säkerhetskopieras privat nyckel (*.key_backup)", "*.key_backup"}},
          "key_backup",
          ""};
}

ui::FileDialog CertificationOpenDialog() {
  return {
      "Välj certifiering...", {{"Certifiering (*.certification)", "*.certification"}}, "certification", ""};
}

ui::FileDialog CertificationSaveDialog(const std::string& suggestion) {
  return {"Välj plats för certifieringen...",
          {{"Certifiering (*.certification)", "*.certification"}},
          "certification",
          suggestion};
}

ui::FileDialog PublicKeyOpenDialog() {
  return {"Välj publik nyckel...", {{"Publik nyckel (*.public_key)", "*.public_key"}}, "public_key", ""};
}

ui::FileDialog PrivateCertKeyOpenDialog() {
  return {"Välj privat certifieringsnyckel...",
          {{"Privat certifieringsnyckel (*.private_cert_key)", "*.private_cert_key"}},
          "private_cert_key",
          ""};
}

ui::FileDialog CertificateSaveDialog(const std::string& suggestion) {
  return {"Välj plats för certifikatet...",
          {{"Certifikat (*.certificate)", "*.certificate"}},
          "certificate",
          suggestion};
}

}  // namespace qs
