; Corvane's installer: the programs into Program Files, the browser helper's i686 build beside
; them for 32-bit browsers, an entry in the list of installed programs and the event source;
; then corvane-configure puts in place what the options and the stored switches ask for.
; Its uninstaller ends a running user mode, takes away what Corvane wrote and removes the files.
; The settings tree stays unless /PURGE is given.
;
; Options (silent with /S):
;   /SETTINGS=FILE   import settings exported from another kiosk (reg export of the tree)
;   /LUMBREL         switch the browser helper on
;   /STARTATLOGON    start user mode at every logon
;   /RECOMMENDED     store the recommended lockdown (over imported settings)
; A 64-bit setup program and uninstaller for the 64-bit programs: they run where 32-bit
; programs do not (Windows without WoW64, 64-bit Wine alone), see the registry and the file
; system as the programs they install do, and need no redirection turned off.
Target amd64-unicode
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!ifndef VERSION
  !error "VERSION must be given"
!endif
!ifndef BIN
  !error "BIN must name the folder of the packaged programs"
!endif
!ifndef OUTFILE
  !define OUTFILE "Corvane-${VERSION}-setup.exe"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
!define SETTINGS_KEY "Software\Vemtrix\Corvane"
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Corvane"
; Exit codes beside NSIS's own (0 done, 1 cancelled, 2 aborted).
!define EXIT_NEEDS_ADMIN 740
!define EXIT_SETTINGS_REFUSED 3
!define EXIT_SWITCH_FAILED 4

Name "Corvane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Corvane"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Corvane"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Vemtrix"
VIAddVersionKey "FileDescription" "Corvane Setup"
VIAddVersionKey "LegalCopyright" "Vemtrix"

Var SettingsFile
Var ConfigureArgs

!macro RequireAdministrator what
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP|MB_OK "${what} needs administrator rights. Start it again as an administrator." /SD IDOK
    SetErrorLevel ${EXIT_NEEDS_ADMIN}
    Quit
  ${EndIf}
!macroend

; A running user mode hands over to a second start with /q (started alone, /q would open the
; configuration page, so only when its window is there); its hooks leave with it.
!macro EndRunningUserMode
  FindWindow $0 "#32770" "Corvane"
  ${If} $0 <> 0
  ${AndIf} ${FileExists} "$INSTDIR\Corvane.exe"
    ExecWait '"$INSTDIR\Corvane.exe" /q'
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RequireAdministrator "Corvane Setup"
  ; A 64-bit setup program starts only on 64-bit Windows; kept for a build of another target.
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP|MB_OK "Corvane needs 64-bit Windows." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetRegView 64
  ${GetParameters} $R0
  StrCpy $ConfigureArgs ""
  ClearErrors
  ${GetOptions} $R0 "/SETTINGS=" $SettingsFile
  ${IfNot} ${Errors}
    ; From where the installer was started: the installation changes the current folder.
    GetFullPathName $SettingsFile $SettingsFile
    ${IfNot} ${FileExists} $SettingsFile
      MessageBox MB_ICONSTOP|MB_OK "The settings file given with /SETTINGS= does not exist." /SD IDOK
      SetErrorLevel ${EXIT_SETTINGS_REFUSED}
      Quit
    ${EndIf}
    StrCpy $ConfigureArgs '$ConfigureArgs --import "$SettingsFile"'
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/LUMBREL" $0
  ${IfNot} ${Errors}
    StrCpy $ConfigureArgs "$ConfigureArgs --lumbrel on"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/STARTATLOGON" $0
  ${IfNot} ${Errors}
    StrCpy $ConfigureArgs "$ConfigureArgs --start-at-logon"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/RECOMMENDED" $0
  ${IfNot} ${Errors}
    StrCpy $ConfigureArgs "$ConfigureArgs --recommended"
  ${EndIf}
FunctionEnd

; A library still loaded by some program (a browser holds the helper, the hooks' library stays
; mapped until a program's next message) cannot be overwritten, but it can be renamed away.
!macro ReplaceLibrary source name
  ${If} ${FileExists} "$INSTDIR\${name}"
    Delete "$INSTDIR\${name}"
    ${If} ${FileExists} "$INSTDIR\${name}"
      Rename "$INSTDIR\${name}" "$INSTDIR\${name}.old"
      Delete /REBOOTOK "$INSTDIR\${name}.old"
    ${EndIf}
  ${EndIf}
  File "/oname=${name}" "${BIN}/${source}"
!macroend

Section "Corvane"
  !insertmacro EndRunningUserMode
  SetOutPath "$INSTDIR"
  File "${BIN}/Corvane.exe"
  !insertmacro ReplaceLibrary "CorvaneExt.dll" "CorvaneExt.dll"
  !insertmacro ReplaceLibrary "Lumbrel.dll" "Lumbrel.dll"
  File "${BIN}/lumbrel-ruletest.exe"
  File "${BIN}/corvane-cleanup.exe"
  File "${BIN}/corvane-configure.exe"
  CreateDirectory "$INSTDIR\x86"
  !insertmacro ReplaceLibrary "x86/Lumbrel.dll" "x86\Lumbrel.dll"
  ; The administrative templates, to be copied where Group Policy or MDM reads them.
  SetOutPath "$INSTDIR\PolicyDefinitions"
  File "${DEFINITIONS}/Corvane.admx"
  SetOutPath "$INSTDIR\PolicyDefinitions\en-US"
  File "${DEFINITIONS}/en-US/Corvane.adml"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Corvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vemtrix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Corvane.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The event log shows Corvane's entries through the program's own message table.
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\Corvane.exe"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7

  nsExec::ExecToLog '"$INSTDIR\corvane-configure.exe"$ConfigureArgs'
  Pop $0
  ${If} $0 == 2
    MessageBox MB_ICONEXCLAMATION|MB_OK "Corvane is installed, but the settings file $SettingsFile was not imported (nothing of it was written). Run corvane-configure.exe --import with the file to see why." /SD IDOK
    SetErrorLevel ${EXIT_SETTINGS_REFUSED}
  ${ElseIf} $0 != 0
    MessageBox MB_ICONEXCLAMATION|MB_OK "Corvane is installed, but the browser helper or the start at logon could not be put in place; it is switched off." /SD IDOK
    SetErrorLevel ${EXIT_SWITCH_FAILED}
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro RequireAdministrator "Removing Corvane"
  SetRegView 64
FunctionEnd

Section "Uninstall"
  !insertmacro EndRunningUserMode
  nsExec::ExecToLog '"$INSTDIR\corvane-cleanup.exe"'
  Pop $0
  Delete "$INSTDIR\Corvane.exe"
  Delete /REBOOTOK "$INSTDIR\CorvaneExt.dll"
  Delete /REBOOTOK "$INSTDIR\Lumbrel.dll"
  Delete /REBOOTOK "$INSTDIR\x86\Lumbrel.dll"
  Delete "$INSTDIR\lumbrel-ruletest.exe"
  Delete "$INSTDIR\corvane-cleanup.exe"
  Delete "$INSTDIR\corvane-configure.exe"
  Delete "$INSTDIR\PolicyDefinitions\en-US\Corvane.adml"
  RMDir "$INSTDIR\PolicyDefinitions\en-US"
  Delete "$INSTDIR\PolicyDefinitions\Corvane.admx"
  RMDir "$INSTDIR\PolicyDefinitions"
  Delete "$INSTDIR\Uninstall.exe"
  ; The lists compiled from the administrator's rule files, which stay where they are. One a
  ; browser still maps goes at the next restart.
  Delete /REBOOTOK "$INSTDIR\Rules\*.lri"
  RMDir /REBOOTOK "$INSTDIR\Rules"
  RMDir "$INSTDIR\x86"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"

  ${un.GetParameters} $R0
  ClearErrors
  ${un.GetOptions} $R0 "/PURGE" $0
  ${IfNot} ${Errors}
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "Software\Vemtrix"
    ; The event log of the user running the uninstall (the cleanup wrote to it too).
    RMDir /r "$LOCALAPPDATA\Corvane"
  ${EndIf}
SectionEnd
