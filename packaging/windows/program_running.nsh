; The installer and the uninstaller leave every file alone while the program
; runs. A running program holds the mutex Global\${ZEL_MUTEX}, which every
; account may open, whichever account and session the installer runs in; and
; its account's own Local\${ZEL_MUTEX}-<SID> (see app/instance_lock_win.cpp).
; The system lets go of both however the program ends.

!define ZEL_MUTEX_SYNCHRONIZE 0x00100000
!define ZEL_ERROR_ACCESS_DENIED 5
!define ZEL_TOKEN_QUERY 8
!define ZEL_TOKEN_USER 1

; Jumps to RUNNING when a mutex of that name exists, even one this account
; may not open. Uses $1 and $2.
!macro ZEL_IF_MUTEX NAME RUNNING
  System::Call 'kernel32::OpenMutexW(i ${ZEL_MUTEX_SYNCHRONIZE}, i 0, w "${NAME}") p .r1 ?e'
  Pop $2
  StrCmp $1 0 +3
    System::Call 'kernel32::CloseHandle(p r1)'
    Goto ${RUNNING}
  StrCmp $2 ${ZEL_ERROR_ACCESS_DENIED} ${RUNNING}
!macroend

!macro ZEL_PROGRAM_CHECKS UN
; The SID of the account the installer runs as, into $0; "" when unknown.
Function ${UN}zelAccountSid
  StrCpy $0 ""
  System::Call 'advapi32::OpenProcessToken(p -1, i ${ZEL_TOKEN_QUERY}, *p .r1) i .r2'
  StrCmp $2 0 zelNoToken
  System::Call 'advapi32::GetTokenInformation(p r1, i ${ZEL_TOKEN_USER}, p 0, i 0, *i .r3)'
  System::Alloc $3
  Pop $4
  System::Call 'advapi32::GetTokenInformation(p r1, i ${ZEL_TOKEN_USER}, p r4, i r3, *i .r3) i .r2'
  StrCmp $2 0 zelNoSid
  System::Call '*$4(p .r5)'
  System::Call 'advapi32::ConvertSidToStringSidW(p r5, *p .r6) i .r2'
  StrCmp $2 0 zelNoSid
  System::Call '*$6(&w${NSIS_MAX_STRLEN} .r0)'
  System::Call 'kernel32::LocalFree(p r6)'
  zelNoSid:
  System::Free $4
  System::Call 'kernel32::CloseHandle(p r1)'
  zelNoToken:
FunctionEnd

; Waits until the program is closed, asking the user; without a user (/S),
; or when the user cancels, ends at once with exit code 2, having changed nothing.
Function ${UN}zelWaitForProgram
  Call ${UN}zelAccountSid
  zelCheck:
    !insertmacro ZEL_IF_MUTEX "Global\${ZEL_MUTEX}" zelRunning
    StrCmp $0 "" zelFree
    !insertmacro ZEL_IF_MUTEX "Local\${ZEL_MUTEX}-$0" zelRunning
    Goto zelFree
  zelRunning:
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
