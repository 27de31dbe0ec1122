; The Luvaro installer for Windows, made by scripts/package-windows with Debian's makensis:
;   makensis -DVERSAO=<version> -DORIGEM=<laid-out program folder> -DSAIDA=<installer.exe> luvaro.nsi
; It installs for the current user, without administrator rights, into the user's program folder
; (%LOCALAPPDATA%\Programs\Luvaro), where the program may write its Logs and Docs folders beside
; the executable. /SILENT (what the program's own update passes) and NSIS's /S install without
; a question. Started by the program's update (LUVARO_PID in the environment), it first ends the
; waiting program, whose executable it is about to replace.
; A 64-bit installer for the 64-bit program (and for Wine without its 32-bit half).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define CHAVE_DESINSTALAR "Software\Microsoft\Windows\CurrentVersion\Uninstall\Luvaro"

Name "Luvaro ${VERSAO}"
OutFile "${SAIDA}"
InstallDir "$LOCALAPPDATA\Programs\Luvaro"
InstallDirRegKey HKCU "${CHAVE_DESINSTALAR}" "InstallLocation"
BrandingText "Orvane Sistemas"
VIProductVersion "${VERSAO}.0.0"
VIAddVersionKey "ProductName" "Luvaro"
VIAddVersionKey "CompanyName" "Orvane Sistemas"
VIAddVersionKey "FileDescription" "Instalador do Luvaro"
VIAddVersionKey "FileVersion" "${VERSAO}"
VIAddVersionKey "ProductVersion" "${VERSAO}"
VIAddVersionKey "LegalCopyright" "Orvane Sistemas"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SILENT" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
FunctionEnd

; The program that started this installer only waits for it, with the exit code it holds (0, as
; nothing failed); it is ended so that its executable can be replaced.
Function EncerrarLuvaroAguardando
  ReadEnvStr $0 LUVARO_PID
  ${If} $0 == ""
    Return
  ${EndIf}
  ; SYNCHRONIZE | PROCESS_TERMINATE
  System::Call "kernel32::OpenProcess(i 0x00100001, i 0, i $0) p .r1"
  ${If} $1 P= 0
    Return
  ${EndIf}
  System::Call "kernel32::TerminateProcess(p r1, i 0)"
  System::Call "kernel32::WaitForSingleObject(p r1, i 10000)"
  System::Call "kernel32::CloseHandle(p r1)"
FunctionEnd

Section "Luvaro"
  Call EncerrarLuvaroAguardando
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${ORIGEM}\Luvaro.exe"
  File "${ORIGEM}\LEIAME.txt"
  File "${ORIGEM}\eSocialServicos.ini"
  File "${ORIGEM}\ReinfServicos.ini"
  ; The schemas and authorities of this version replace the earlier ones whole.
  RMDir /r "$INSTDIR\schemas"
  RMDir /r "$INSTDIR\cadeias"
  File /r "${ORIGEM}\schemas"
  File /r "${ORIGEM}\cadeias"
  ; The program keeps its daily log only when this folder exists.
  CreateDirectory "$INSTDIR\Logs"
  WriteUninstaller "$INSTDIR\Desinstalar.exe"
  WriteRegStr HKCU "${CHAVE_DESINSTALAR}" "DisplayName" "Luvaro"
  WriteRegStr HKCU "${CHAVE_DESINSTALAR}" "DisplayVersion" "${VERSAO}"
  WriteRegStr HKCU "${CHAVE_DESINSTALAR}" "Publisher" "Orvane Sistemas"
  WriteRegStr HKCU "${CHAVE_DESINSTALAR}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${CHAVE_DESINSTALAR}" "DisplayIcon" "$INSTDIR\Luvaro.exe"
  WriteRegStr HKCU "${CHAVE_DESINSTALAR}" "UninstallString" '"$INSTDIR\Desinstalar.exe"'
  WriteRegStr HKCU "${CHAVE_DESINSTALAR}" "QuietUninstallString" '"$INSTDIR\Desinstalar.exe" /S'
  WriteRegDWORD HKCU "${CHAVE_DESINSTALAR}" "NoModify" 1
  WriteRegDWORD HKCU "${CHAVE_DESINSTALAR}" "NoRepair" 1
SectionEnd

; The program's files go; what it wrote (Logs, Docs, Luvaro.param) stays for the office.
Section "Uninstall"
  Delete "$INSTDIR\Luvaro.exe"
  Delete "$INSTDIR\LEIAME.txt"
  Delete "$INSTDIR\eSocialServicos.ini"
  Delete "$INSTDIR\ReinfServicos.ini"
  Delete "$INSTDIR\Luvaro-install.exe"
  RMDir /r "$INSTDIR\schemas"
  RMDir /r "$INSTDIR\cadeias"
  Delete "$INSTDIR\Desinstalar.exe"
  RMDir "$INSTDIR\Logs"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${CHAVE_DESINSTALAR}"
SectionEnd
