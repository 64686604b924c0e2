#pragma once
#include <string>

#include "app/ui.h"

namespace qs {

// The program's file dialogs: titles, filters and default extensions.

ui::FileDialog ChooseSourceDialog();                                // open
ui::FileDialog EncryptTargetDialog(const std::string& suggestion);  // save
ui::FileDialog DecryptTargetDialog(const std::string& suggestion);  // save
ui::FileDialog SignTargetDialog(const std::string& suggestion);     // save
ui::FileDialog SignatureFileDialog();                               // open
ui::FileDialog SignedFileDialog();                                  // open: a signature's file
// An empty title gives "Välj certifikat...".
ui::FileDialog CertificateDialog(const std::string& title);             // open
ui::FileDialog PrivateCertKeyDialog(const std::string& suggestion);     // save
ui::FileDialog PublicCertKeyDialog(const std::string& suggestion);      // save
ui::FileDialog TrustedKeyFileDialog();                                  // open
ui::FileDialog PublicKeyExportDialog(const std::string& suggestion);    // save
ui::FileDialog BackupSaveDialog(const std::string& suggestion);         // save
ui::FileDialog BackupOpenDialog();                                      // open
ui::FileDialog CertificationOpenDialog();                               // open
ui::FileDialog CertificationSaveDialog(const std::string& suggestion);  // save
ui::FileDialog PublicKeyOpenDialog();                                   // open
ui::FileDialog PrivateCertKeyOpenDialog();                              // open
ui::FileDialog CertificateSaveDialog(const std::string& suggestion);    // save

}  // namespace qs
