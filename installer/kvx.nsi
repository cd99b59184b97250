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

; Ends a running program the way Windows asks a program to close (Kvx saves the shown list) and
; waits until its process is gone: a running program's file can be neither replaced nor removed.
; Gives up the whole setup, with a message, when it does not end.
!macro Closeprogram un
Function ${un}Closeprogram
  Pop $R0  ; window class
  FindWindow $0 $R0 ""
  ${If} $0 == 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'  ; SYNCHRONIZE
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  ; The user may be asked to keep or save a list first: give it time.
  System::Call 'kernel32::WaitForSingleObject(p r2, i 60000) i .r3'
  System::Call 'kernel32::CloseHandle(p r2)'
  ${If} $3 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "Kvx を終了できませんでした。Kvx を終了してから、もう一度実行してください。" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Function ${un}Closekvx
  Push "KvxForm1"
  Call ${un}Closeprogram
  Push "TebbetForm1"
  Call ${un}Closeprogram
FunctionEnd
!macroend
!insertmacro Closeprogram ""
!insertmacro Closeprogram "un."

; The uninstaller removes files of this folder by pattern: it must be a folder of Kvx's own.
Function .onVerifyInstDir
  ${GetFileName} "$INSTDIR" $0
  ${If} $0 != "Kvx"
    Abort
  ${EndIf}
FunctionEnd

; The Run value starts Kvx with /logon, which plays the logon sound where Windows no longer does.
; Earlier versions wrote the path alone: both forms name this copy.
Function Addrunvalue
  WriteRegStr HKCU "${RUNKEY}" "Kvx" '"$INSTDIR\Kvx.exe" /logon'
FunctionEnd

!macro Runvaluenamesthiscopy un
Function ${un}Runvaluenamesthiscopy
  ReadRegStr $0 HKCU "${RUNKEY}" "Kvx"
  ${If} $0 == '"$INSTDIR\Kvx.exe" /logon'
  ${OrIf} $0 == '"$INSTDIR\Kvx.exe"'
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro Runvaluenamesthiscopy ""
!insertmacro Runvaluenamesthiscopy "un."

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

  ; Kvx already starts with Windows: the value takes its present form.
  Call Runvaluenamesthiscopy
  Pop $0
  ${If} $0 == 1
    Call Addrunvalue
  ${EndIf}

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
  ExecWait '"$INSTDIR\Kvx.exe" /restore' $2
  ${If} $2 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "元に戻せなかったサウンドがあります。その記録はレジストリ（HKEY_CURRENT_USER\Software\Kvx\original）に残します。" /SD IDOK
  ${EndIf}
  Call un.Runvaluenamesthiscopy
  Pop $0
  ${If} $0 == 1
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
    MessageBox MB_YESNO|MB_ICONQUESTION "サウンドリストと設定（読み込んだサウンドセットと変換したサウンドを含む）を残しますか？$\r$\n$\r$\n「はい」を選ぶと、もう一度インストールしたときにそのまま使えます。" /SD IDYES IDYES keep
    Delete "$INSTDIR\*.dat"
    ; The sounds of imported sound sets, which only the lists named.
    RMDir /r "$LOCALAPPDATA\Kvx\sets"
    ; The wave copies of converted sounds, once the originals are back: no .Current names one then.
    ${If} $2 == 0
      RMDir /r "$LOCALAPPDATA\Kvx\converted"
    ${EndIf}
    RMDir "$LOCALAPPDATA\Kvx"
    DeleteRegKey HKCU "Software\Kvx\setting"
    ; Records that could not be put back stay, so that the sounds are not lost for good.
    ${If} $2 == 0
      DeleteRegKey HKCU "Software\Kvx"
    ${EndIf}
  keep:
  ${EndIf}
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTKEY}"
SectionEnd
