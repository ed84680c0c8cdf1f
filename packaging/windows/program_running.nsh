; The installer and the uninstaller leave every file alone while the program
; runs. A running program holds the mutex Local\zel-orvalis-<user name> in
; the session's namespace (see app/instance_lock_win.cpp); the system lets go
; of it however the program ends.

!define ZEL_MUTEX_SYNCHRONIZE 0x00100000

!macro ZEL_PROGRAM_CHECKS UN
; Waits until the program is closed, asking the user; without a user (/S),
; or when the user cancels, ends at once with exit code 2, having changed nothing.
Function ${UN}zelWaitForProgram
  ; The account name, as the program takes it; a backslash becomes "_".
  System::Call 'advapi32::GetUserNameW(w .r0, *i ${NSIS_MAX_STRLEN}) i .r1'
  StrCmp $1 0 0 +2
    StrCpy $0 ""
  StrCpy $2 ""
  StrCpy $3 0
  zelNameLoop:
    StrCpy $4 $0 1 $3
    StrCmp $4 "" zelNameDone
    StrCmp $4 "\" 0 +2
      StrCpy $4 "_"
    StrCpy $2 "$2$4"
    IntOp $3 $3 + 1
    Goto zelNameLoop
  zelNameDone:
  zelCheck:
    System::Call 'kernel32::OpenMutexW(i ${ZEL_MUTEX_SYNCHRONIZE}, i 0, w "Local\zel-orvalis-$2") p .r1'
    StrCmp $1 0 zelFree
    System::Call 'kernel32::CloseHandle(p r1)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Zel Orvalis is running. Close it, then choose Retry.$\n$\nChoose Cancel to stop; nothing will be changed." \
      /SD IDCANCEL IDRETRY zelCheck
    SetErrorLevel 2
    Quit
  zelFree:
FunctionEnd
!macroend

!insertmacro ZEL_PROGRAM_CHECKS ""
!insertmacro ZEL_PROGRAM_CHECKS "un."

; Called right after the uninstaller has deleted the files it installed, with
; the error flag cleared before: a file that could not be deleted keeps the
; uninstaller, the shortcuts and the Apps & features entry, so the user can
; uninstall again once nothing holds it.
Function un.zelStopIfFilesRemain
  IfErrors 0 zelAllGone
    MessageBox MB_OK|MB_ICONSTOP \
      "Some files in $INSTDIR could not be removed. Close every program that uses them, then uninstall Zel Orvalis again." \
      /SD IDOK
    SetErrorLevel 2
    Quit
  zelAllGone:
FunctionEnd
