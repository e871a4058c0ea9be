; Corvane's installer: the programs into Program Files, an entry in the list of installed
; programs, and an uninstaller that ends a running user mode, takes away what Corvane wrote and
; removes the files. The settings tree stays.
Unicode true
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!ifndef VERSION
  !error "VERSION must be given"
!endif
!ifndef BIN
  !error "BIN must name the folder of the built programs"
!endif
!ifndef OUTFILE
  !define OUTFILE "Corvane-${VERSION}-setup.exe"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"

Name "Corvane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Corvane"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

Function RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP|MB_OK "Corvane Setup needs administrator rights. Start it again as an administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
FunctionEnd

Function .onInit
  Call RequireAdministrator
  SetRegView 64
FunctionEnd

Function un.onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP|MB_OK "Removing Corvane needs administrator rights." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  SetRegView 64
FunctionEnd

Section "Corvane"
  SetOutPath "$INSTDIR"
  File "${BIN}/Corvane.exe"
  File "${BIN}/CorvaneExt.dll"
  File "${BIN}/Lumbrel.dll"
  File "${BIN}/lumbrel-ruletest.exe"
  File "${BIN}/corvane-cleanup.exe"
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
SectionEnd

Section "Uninstall"
  ; A running user mode hands over to a second start with /q; started alone, /q would open the
  ; configuration page, so only when its window is there.
  FindWindow $0 "#32770" "Corvane"
  ${If} $0 <> 0
    ExecWait '"$INSTDIR\Corvane.exe" /q'
  ${EndIf}
  ExecWait '"$INSTDIR\corvane-cleanup.exe"'
  Delete "$INSTDIR\Corvane.exe"
  Delete "$INSTDIR\CorvaneExt.dll"
  Delete "$INSTDIR\Lumbrel.dll"
  Delete "$INSTDIR\lumbrel-ruletest.exe"
  Delete "$INSTDIR\corvane-cleanup.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
