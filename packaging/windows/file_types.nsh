; Quillseal's file types in Explorer: a ProgID of the program's own per extension, with its
; Swedish type name and its icon from quillseal.exe, the verbs that run the file commands, and
; the two menu entries every file gets. An extension is pointed at its ProgID only while no
; other program owns it, and ".encrypted" and ".signature" list it under OpenWithProgids too,
; so another program's association is never taken away. Removal deletes what was added and
; leaves an extension that another program still uses. Everything lies under
; HKLM\Software\Classes, the machine's part of HKEY_CLASSES_ROOT.

!include "LogicLib.nsh"
!include "Integration.nsh"

!define CLASSES "Software\Classes"
!define PROGRAM "$INSTDIR\quillseal.exe"
!searchparse /file "../../app/resource_ids.h" "#define IDI_FILE_ENCRYPTED " ICON_ENCRYPTED
!searchparse /file "../../app/resource_ids.h" "#define IDI_FILE_SIGNATURE " ICON_SIGNATURE
!searchparse /file "../../app/resource_ids.h" "#define IDI_FILE_CERTIFICATE " ICON_CERTIFICATE
!searchparse /file "../../app/resource_ids.h" "#define IDI_FILE_CERTIFICATION " ICON_CERTIFICATION
!searchparse /file "../../app/resource_ids.h" "#define IDI_FILE_PUBLIC_KEY " ICON_PUBLIC_KEY
!searchparse /file "../../app/resource_ids.h" "#define IDI_FILE_PUBLIC_CERT_KEY " ICON_PUBLIC_CERT_KEY
!searchparse /file "../../app/resource_ids.h" "#define IDI_FILE_PRIVATE_CERT_KEY " ICON_PRIVATE_CERT_KEY
!searchparse /file "../../app/resource_ids.h" "#define IDI_FILE_KEY_BACKUP " ICON_KEY_BACKUP

; The ProgID with its type name and icon; the extension points at it unless another
; program's ProgID stands there.
!macro AddFileType EXTENSION PROGID TYPE_NAME ICON
  WriteRegStr HKLM "${CLASSES}\${PROGID}" "" "${TYPE_NAME}"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\DefaultIcon" "" "${PROGRAM},-${ICON}"
  ReadRegStr $0 HKLM "${CLASSES}\${EXTENSION}" ""
  ${If} $0 == ""
  ${OrIf} $0 == "${PROGID}"
    WriteRegStr HKLM "${CLASSES}\${EXTENSION}" "" "${PROGID}"
  ${EndIf}
!macroend

; A verb of a ProgID (or of "*", every file): its menu text and the command line that runs it.
!macro AddVerb CLASS VERB MENU_TEXT SWITCH
  WriteRegStr HKLM "${CLASSES}\${CLASS}\shell\${VERB}" "" "${MENU_TEXT}"
  WriteRegStr HKLM "${CLASSES}\${CLASS}\shell\${VERB}" "Icon" "${PROGRAM}"
  WriteRegStr HKLM "${CLASSES}\${CLASS}\shell\${VERB}\command" "" '"${PROGRAM}" ${SWITCH} "%1"'
!macroend

!macro AddOpenWith EXTENSION PROGID
  WriteRegStr HKLM "${CLASSES}\${EXTENSION}\OpenWithProgids" "${PROGID}" ""
!macroend

!macro RemoveFileType EXTENSION PROGID _TYPE_NAME _ICON
  DeleteRegKey HKLM "${CLASSES}\${PROGID}"
  ReadRegStr $0 HKLM "${CLASSES}\${EXTENSION}" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKLM "${CLASSES}\${EXTENSION}" ""
  ${EndIf}
  DeleteRegValue HKLM "${CLASSES}\${EXTENSION}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "${CLASSES}\${EXTENSION}\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "${CLASSES}\${EXTENSION}"
!macroend

!macro FileTypes ACTION
  !insertmacro ${ACTION}FileType ".encrypted" "Quillseal.Encrypted" "$(TypeEncrypted)" ${ICON_ENCRYPTED}
  !insertmacro ${ACTION}FileType ".signature" "Quillseal.Signature" "$(TypeSignature)" ${ICON_SIGNATURE}
  !insertmacro ${ACTION}FileType ".certificate" "Quillseal.Certificate" "$(TypeCertificate)" ${ICON_CERTIFICATE}
  !insertmacro ${ACTION}FileType ".certification" "Quillseal.Certification" "$(TypeCertification)" ${ICON_CERTIFICATION}
  !insertmacro ${ACTION}FileType ".public_key" "Quillseal.PublicKey" "$(TypePublicKey)" ${ICON_PUBLIC_KEY}
  !insertmacro ${ACTION}FileType ".public_cert_key" "Quillseal.PublicCertKey" "$(TypePublicCertKey)" ${ICON_PUBLIC_CERT_KEY}
  !insertmacro ${ACTION}FileType ".private_cert_key" "Quillseal.PrivateCertKey" "$(TypePrivateCertKey)" ${ICON_PRIVATE_CERT_KEY}
  !insertmacro ${ACTION}FileType ".key_backup" "Quillseal.KeyBackup" "$(TypeKeyBackup)" ${ICON_KEY_BACKUP}
!macroend

!macro RegisterFileTypes
  !insertmacro FileTypes Add
  ; Double-clicking runs the first verb: decrypt an encrypted file, verify the file a
  ; signature belongs to.
  WriteRegStr HKLM "${CLASSES}\Quillseal.Encrypted\shell" "" "dekryptera"
  !insertmacro AddVerb "Quillseal.Encrypted" "dekryptera" "$(VerbDecrypt)" "/dekryptera"
  WriteRegStr HKLM "${CLASSES}\Quillseal.Signature\shell" "" "verifiera"
  !insertmacro AddVerb "Quillseal.Signature" "verifiera" "$(VerbVerify)" "/verifiera"
  !insertmacro AddOpenWith ".encrypted" "Quillseal.Encrypted"
  !insertmacro AddOpenWith ".signature" "Quillseal.Signature"
  ; Static verbs of every file; Windows 11 shows them under "Visa fler alternativ".
  !insertmacro AddVerb "*" "Quillseal.Kryptera" "$(VerbEncrypt)" "/kryptera"
  !insertmacro AddVerb "*" "Quillseal.Signera" "$(VerbSign)" "/signera"
  ${NotifyShell_AssocChanged}
!macroend

!macro UnregisterFileTypes
  !insertmacro FileTypes Remove
  DeleteRegKey HKLM "${CLASSES}\*\shell\Quillseal.Kryptera"
  DeleteRegKey HKLM "${CLASSES}\*\shell\Quillseal.Signera"
  DeleteRegKey /ifempty HKLM "${CLASSES}\*\shell"
  DeleteRegKey /ifempty HKLM "${CLASSES}\*"
  ${NotifyShell_AssocChanged}
!macroend
