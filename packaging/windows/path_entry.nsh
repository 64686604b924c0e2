; The installation folder as one entry of the system PATH, so that quillseal-cli runs from any
; prompt. Only that entry is added or removed: every other character of the value stays as it
; was, and so does its type. NSIS strings hold 1024 characters and a longer PATH is usual, so
; the value is read, searched and written in buffers of its own size through the System
; plug-in; an NSIS string never holds it, and a PATH that cannot be read is never written.
;
; AddPathEntry appends ";<folder>" (or "<folder>;" to a value that ends with ";"), unless the
; entry is there already in any case, so an upgrade adds nothing. RemovePathEntry takes out
; every "<folder>" entry with one of its separators, which gives back the value it was added
; to. Both broadcast WM_SETTINGCHANGE, so that programs started afterwards see the change.

!include "LogicLib.nsh"
!include "Util.nsh"
!include "WinMessages.nsh"

!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
!define HKEY_LOCAL_MACHINE 0x80000002
!define KEY_QUERY_AND_SET_VALUE 0x3
!define REG_SZ 1
!define REG_EXPAND_SZ 2
!define ERROR_FILE_NOT_FOUND 2

!macro PathEntryFunctions UN
; Opens the environment key and reads Path: $R0 the key, $R1 a zeroed buffer holding the value
; with room for 2 * $INSTDIR + 4 more characters, $R2 the value's type, $R3 its length in
; characters (-1 when there is no Path). Sets the error flag, with nothing left open, when the
; key cannot be opened or Path is not text.
Function ${UN}ReadPath
  ClearErrors
  System::Call 'advapi32::RegOpenKeyExW(p ${HKEY_LOCAL_MACHINE}, w "${ENVIRONMENT_KEY}", i 0, i ${KEY_QUERY_AND_SET_VALUE}, *p .R0) i .r0'
  ${If} $0 <> 0
    SetErrors
    Return
  ${EndIf}
  System::Call 'advapi32::RegQueryValueExW(p R0, w "Path", p 0, *i .R2, p 0, *i 0 R4) i .r0'
  ${If} $0 = ${ERROR_FILE_NOT_FOUND}
    StrCpy $R2 ${REG_EXPAND_SZ}
    StrCpy $R4 0
  ${ElseIf} $0 <> 0
    StrCpy $R2 0
  ${EndIf}
  ${If} $R2 <> ${REG_SZ}
  ${AndIf} $R2 <> ${REG_EXPAND_SZ}
    System::Call 'advapi32::RegCloseKey(p R0)'
    SetErrors
    Return
  ${EndIf}
  StrLen $1 "$INSTDIR"
  IntOp $1 $1 * 4
  IntOp $1 $1 + 8
  IntOp $1 $1 + $R4
  System::Alloc $1
  Pop $R1
  StrCpy $R3 -1
  ${If} $0 = 0
    System::Call 'advapi32::RegQueryValueExW(p R0, w "Path", p 0, p 0, p R1, *i R4) i .r0'
    ${If} $0 <> 0
      Call ${UN}ClosePath
      SetErrors
      Return
    ${EndIf}
    System::Call 'kernel32::lstrlenW(p R1) i .R3'
  ${EndIf}
FunctionEnd

; Frees the buffer and closes the key ReadPath left.
Function ${UN}ClosePath
  System::Free $R1
  System::Call 'advapi32::RegCloseKey(p R0)'
FunctionEnd

; Writes the text at $0 as Path with the type it had ($R2), closes the path and tells every
; window.
Function ${UN}WritePath
  System::Call 'kernel32::lstrlenW(p r0) i .r1'
  IntOp $1 $1 + 1
  IntOp $1 $1 * 2
  System::Call 'advapi32::RegSetValueExW(p R0, w "Path", i 0, i R2, p r0, i r1) i .r1'
  ${If} $1 <> 0
    DetailPrint "$(PathNotWritten)"
  ${EndIf}
  Call ${UN}ClosePath
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
FunctionEnd

; Leaves in $R5 a new buffer holding ";" + Path + ";" (every entry then stands between two
; separators), for the caller to free.
Function ${UN}FramedPath
  IntOp $1 $R3 + 3
  IntOp $1 $1 * 2
  System::Alloc $1
  Pop $R5
  System::Call 'kernel32::lstrcpyW(p R5, w ";")'
  System::Call 'kernel32::lstrcatW(p R5, p R1)'
  System::Call 'kernel32::lstrcatW(p R5, w ";")'
FunctionEnd

Function ${UN}RemovePathEntry
  Call ${UN}ReadPath
  ${If} ${Errors}
    DetailPrint "$(PathNotRead)"
    Return
  ${EndIf}
  Call ${UN}FramedPath
  ; Each ";<folder>;" becomes ";": the entry goes with the separator before it.
  StrLen $2 "$INSTDIR"
  IntOp $2 $2 + 1
  IntOp $2 $2 * 2
  StrCpy $6 0
  ${Do}
    System::Call 'shlwapi::StrStrIW(p R5, w ";$INSTDIR;") p .r3'
    ${If} $3 P= 0
      ${Break}
    ${EndIf}
    ${IntPtrOp} $4 $3 + $2
    System::Call 'kernel32::lstrlenW(p r4) i .r5'
    IntOp $5 $5 + 1
    IntOp $5 $5 * 2
    System::Call 'ntdll::RtlMoveMemory(p r3, p r4, p r5)'
    StrCpy $6 1
  ${Loop}
  ; A PATH without the entry is left alone.
  ${If} $6 = 0
    System::Free $R5
    Call ${UN}ClosePath
    Return
  ${EndIf}
  ; Without the two framing separators again: skip the first, cut the last.
  ${IntPtrOp} $0 $R5 + 2
  System::Call 'kernel32::lstrlenW(p r0) i .r1'
  ${If} $1 > 0
    IntOp $1 $1 - 1
    IntOp $1 $1 * 2
    ${IntPtrOp} $1 $0 + $1
    System::Call '*$1(&i2 0)'
  ${EndIf}
  Call ${UN}WritePath
  System::Free $R5
FunctionEnd
!macroend

!insertmacro PathEntryFunctions ""
!insertmacro PathEntryFunctions "un."

Function AddPathEntry
  ; A folder with ";" in its name would split into two entries.
  System::Call 'shlwapi::StrChrW(w "$INSTDIR", i 59) p .r0'
  ${If} $0 P<> 0
    DetailPrint "$(PathNotWritten)"
    Return
  ${EndIf}
  Call ReadPath
  ${If} ${Errors}
    DetailPrint "$(PathNotRead)"
    Return
  ${EndIf}
  Call FramedPath
  System::Call 'shlwapi::StrStrIW(p R5, w ";$INSTDIR;") p .r0'
  System::Free $R5
  ${If} $0 P<> 0
    Call ClosePath
    Return
  ${EndIf}
  ${If} $R3 <= 0
    System::Call 'kernel32::lstrcpyW(p R1, w "$INSTDIR")'
  ${Else}
    IntOp $1 $R3 - 1
    IntOp $1 $1 * 2
    ${IntPtrOp} $1 $R1 + $1
    System::Call '*$1(&i2 .r2)'
    ${If} $2 = 59
      System::Call 'kernel32::lstrcatW(p R1, w "$INSTDIR;")'
    ${Else}
      System::Call 'kernel32::lstrcatW(p R1, w ";$INSTDIR")'
    ${EndIf}
  ${EndIf}
  StrCpy $0 $R1
  Call WritePath
FunctionEnd
