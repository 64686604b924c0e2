#include "app/file_dialogs.h"

#include "app/texts.h"

namespace qs {
namespace {

const ui::FileFilter kAllFiles{text::kAllFilesFilter, "*.*"};
const ui::FileFilter kEncryptedFiles{text::kEncryptedFilesFilter, "*.encrypted"};
const ui::FileFilter kSignatureFile{text::kSignatureFileFilter, "*.signature"};

}  // namespace

ui::FileDialog ChooseSourceDialog() {
  return {text::kChooseFileTitle, {kAllFiles, kEncryptedFiles}, "*", ""};
}

ui::FileDialog EncryptTargetDialog(const std::string& suggestion) {
  return {text::kEncryptTargetTitle, {{text::kEncryptedFileFilter, "*.encrypted"}}, "encrypted", suggestion};
}

ui::FileDialog DecryptTargetDialog(const std::string& suggestion) {
  return {text::kDecryptTargetTitle, {kAllFiles}, "", suggestion};
}

ui::FileDialog SignTargetDialog(const std::string& suggestion) {
  return {text::kSignTargetTitle, {kSignatureFile}, "signature", suggestion};
}

ui::FileDialog SignatureFileDialog() {
  return {text::kSignatureFileTitle, {kSignatureFile}, "signature", ""};
}

ui::FileDialog SignedFileDialog() { return {text::kSignedFileTitle, {kAllFiles}, "", ""}; }

ui::FileDialog CertificateDialog(const std::string& title) {
  return {title.empty() ? text::kCertificateTitle : title,
          {{text::kCertificateFilter, "*.certificate"}},
          "certificate",
          ""};
}

ui::FileDialog PrivateCertKeyDialog(const std::string& suggestion) {
  return {text::kPrivateCertKeyTargetTitle,
          {{text::kPrivateCertKeyFilter, "*.private_cert_key"}},
          "private_cert_key",
          suggestion};
}

ui::FileDialog PublicCertKeyDialog(const std::string& suggestion) {
  return {text::kPublicCertKeyTargetTitle,
          {{text::kPublicCertKeyFilter, "*.public_cert_key"}},
          "public_cert_key",
          suggestion};
}

ui::FileDialog TrustedKeyFileDialog() {
  return {
      text::kTrustedKeyFileTitle, {{text::kPublicCertKeyFilter, "*.public_cert_key"}}, "public_cert_key", ""};
}

ui::FileDialog PublicKeyExportDialog(const std::string& suggestion) {
  return {text::kPublicKeyTargetTitle, {{text::kPublicKeyFilter, "*.public_key"}}, "public_key", suggestion};
}

ui::FileDialog BackupSaveDialog(const std::string& suggestion) {
  return {text::kBackupTargetTitle, {{text::kBackupSaveFilter, "*.key_backup"}}, "key_backup", suggestion};
}

ui::FileDialog BackupOpenDialog() {
  return {text::kBackupFileTitle, {{text::kBackupOpenFilter, "*.key_backup"}}, "key_backup", ""};
}

ui::FileDialog CertificationOpenDialog() {
  return {
      text::kCertificationFileTitle, {{text::kCertificationFilter, "*.certification"}}, "certification", ""};
}

ui::FileDialog CertificationSaveDialog(const std::string& suggestion) {
  return {text::kCertificationTargetTitle,
          {{text::kCertificationFilter, "*.certification"}},
          "certification",
          suggestion};
}

ui::FileDialog PublicKeyOpenDialog() {
  return {text::kPublicKeyFileTitle, {{text::kPublicKeyFilter, "*.public_key"}}, "public_key", ""};
}

ui::FileDialog PrivateCertKeyOpenDialog() {
  return {text::kPrivateCertKeyFileTitle,
          {{text::kPrivateCertKeyFilter, "*.private_cert_key"}},
          "private_cert_key",
          ""};
}

ui::FileDialog CertificateSaveDialog(const std::string& suggestion) {
  return {text::kCertificateTargetTitle,
          {{text::kCertificateFilter, "*.certificate"}},
          "certificate",
          suggestion};
}

}  // namespace qs
