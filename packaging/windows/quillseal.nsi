; The Windows installer. scripts/package passes VERSION, BIN (the folder holding the three
; programs) and OUTFILE.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The files' times would make two builds of one commit differ.
SetDateSave off
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "Sections.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillseal"

Name "Quillseal ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Quillseal"
; An upgrade goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1053 "ProductName" "Quillseal"
VIAddVersionKey /LANG=1053 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1053 "CompanyName" "Quillseal"
VIAddVersionKey /LANG=1053 "FileDescription" "Installation av Quillseal"
VIAddVersionKey /LANG=1053 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1053 "LegalCopyright" "Quillseal"

BrandingText "Quillseal ${VERSION}"
!define MUI_ICON "../../app/win32/art/program.ico"
!define MUI_UNICON "../../app/win32/art/program.ico"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Swedish"
!include /CHARSET=UTF8 "texts.nsh"
!include "file_types.nsh"
!include "path_entry.nsh"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; The elevated uninstaller runs rw_clean.exe from the installation folder, so only a folder
; that ordinary users cannot write is accepted: one inside Program Files. Sets $0 to 1 for
; such an $INSTDIR, else 0. The folder need not exist yet, so the text is read as it stands:
; it must begin with Program Files and never step back out of it ("\..").
Function InProgramFiles
  StrCpy $0 0
  StrLen $1 "$PROGRAMFILES64\"
  StrCpy $2 $INSTDIR $1
  StrCmp $2 "$PROGRAMFILES64\" 0 done
  StrCpy $1 0
  next:
    StrCpy $2 $INSTDIR 3 $1
    StrCmp $2 "" inside
    StrCmp $2 "\.." done
    StrCmp $2 "/.." done
    IntOp $1 $1 + 1
    Goto next
  inside:
  StrCpy $0 1
  done:
FunctionEnd

; The directory page's Next stays disabled for any other folder.
Function .onVerifyInstDir
  Call InProgramFiles
  StrCmp $0 1 +2
  Abort
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "$(SectionProgram)" SectionProgram
  SectionIn RO
  ; A silent installation (/D=) sees no directory page.
  Call InProgramFiles
  StrCmp $0 1 +3
  MessageBox MB_ICONSTOP "Quillseal kan bara installeras i en mapp under $PROGRAMFILES64." /SD IDOK
  Abort
  SetOutPath "$INSTDIR"
  File "${BIN}\quillseal.exe"
  File "${BIN}\rw_clean.exe"
  File "${BIN}\quillseal-cli.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quillseal.lnk" "$INSTDIR\quillseal.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quillseal"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quillseal"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillseal.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Explorer: the file types, their icons and verbs, and the command line on the PATH.
Section "-FileTypes"
  !insertmacro RegisterFileTypes
SectionEnd

Section "$(SectionPath)" SectionPath
  Call AddPathEntry
SectionEnd

; An upgrade without the choice takes the entry an earlier installation made.
Section "-PathUnlessChosen"
  ${IfNot} ${SectionIsSelected} ${SectionPath}
    Call RemovePathEntry
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionProgram} "$(SectionProgramText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionPath} "$(SectionPathText)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Before the section below, which removes the folder last.
Section "un.FileTypesAndPath"
  !insertmacro UnregisterFileTypes
  Call un.RemovePathEntry
SectionEnd

Section "Uninstall"
  ; rw_clean removes the backup task and asks the user whether to wipe the working folder;
  ; even when /S keeps the uninstaller silent its questions are shown.
  ExecWait '"$INSTDIR\rw_clean.exe" remove_task'
  Delete "$SMPROGRAMS\Quillseal.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The folder last: its removal tells that the uninstallation is complete.
  Delete "$INSTDIR\quillseal.exe"
  Delete "$INSTDIR\rw_clean.exe"
  Delete "$INSTDIR\quillseal-cli.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
