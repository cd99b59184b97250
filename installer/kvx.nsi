; Kvx's per-user installer: no administrator rights, everything under the user's own folders
; and HKEY_CURRENT_USER. Built by scripts/release with makensis:
;   makensis -DVERSION=1.4 -DPROGRAMS=<folder of Kvx.exe and Tebbet.exe> -DSOURCE=<repository>
;            -DOUTFILE=<setup.exe> kvx.nsi
; Silent use: setup.exe /S [/AUTOSTART] installs (and adds the Run value); uninstall.exe /S keeps
; the sound lists and settings.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kvx"
!define RUNKEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Kvx"
Caption "Kvx ${VERSION} セットアップ"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kvx"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "Kvx"
VIAddVersionKey /LANG=1041 "CompanyName" "Kivexa"
VIAddVersionKey /LANG=1041 "FileDescription" "Kvx セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"

!define MUI_ICON "${SOURCE}\resources\kvx.ico"
!define MUI_UNICON "${SOURCE}\resources\kvx.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Kvx.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Kvx を起動"
; The finish page's second check box starts Kvx with Windows: the same Run value Kvx's menu sets.
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Windows の起動時に Kvx を起動"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION Addrunvalue

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Ends a running Kvx the way Windows asks a program to close, so that it saves the shown list,
; and waits for it to be gone.
!macro Closekvx un
Function ${un}Closekvx
  FindWindow $0 "KvxForm1" ""
  ${If} $0 == 0
    Return
  ${EndIf}
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  StrCpy $1 0
  ${Do}
    Sleep 200
    IntOp $1 $1 + 1
    FindWindow $0 "KvxForm1" ""
    ${If} $0 == 0
      ${ExitDo}
    ${EndIf}
  ${LoopUntil} $1 >= 150
  ; The process ends just after its window.
  Sleep 500
FunctionEnd
!macroend
!insertmacro Closekvx ""
!insertmacro Closekvx "un."

Function Addrunvalue
  WriteRegStr HKCU "${RUNKEY}" "Kvx" '"$INSTDIR\Kvx.exe"'
FunctionEnd

Section "Kvx"
  Call Closekvx
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\Kvx.exe"
  File "${PROGRAMS}\Tebbet.exe"
  File "${SOURCE}\installer\readme.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Kvx.lnk" "$INSTDIR\Kvx.exe"
  CreateShortcut "$SMPROGRAMS\KVX用イベント設定.lnk" "$INSTDIR\Tebbet.exe"

  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "Kvx"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "Publisher" "Kivexa"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\Kvx.exe"
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTKEY}" "EstimatedSize" $0

  ; Silent installs have no finish page: /AUTOSTART chooses the Run value there.
  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AUTOSTART" $1
    ${IfNot} ${Errors}
      Call Addrunvalue
    ${EndIf}
  ${EndIf}
SectionEnd

Section "Uninstall"
  Call un.Closekvx
  ; The sounds the user had before Kvx, back in place while Kvx.exe is still there to do it.
  ExecWait '"$INSTDIR\Kvx.exe" /restore'
  ReadRegStr $0 HKCU "${RUNKEY}" "Kvx"
  ${If} $0 == '"$INSTDIR\Kvx.exe"'
    DeleteRegValue HKCU "${RUNKEY}" "Kvx"
  ${EndIf}
  Delete "$SMPROGRAMS\Kvx.lnk"
  Delete "$SMPROGRAMS\KVX用イベント設定.lnk"
  Delete "$INSTDIR\Kvx.exe"
  Delete "$INSTDIR\Tebbet.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$INSTDIR\kvx*.tmp"
  ${IfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION "サウンドリストと設定を残しますか？$\r$\n$\r$\n「はい」を選ぶと、もう一度インストールしたときにそのまま使えます。" /SD IDYES IDYES keep
    Delete "$INSTDIR\*.dat"
    DeleteRegKey HKCU "Software\Kvx"
  keep:
  ${EndIf}
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTKEY}"
SectionEnd
