; Installer of the player and the channel-list control. Built by the "installer" target:
;   makensis -INPUTCHARSET UTF8 -DDIST=<shipped folder> -DOUTFILE=<setup.exe> -DICON=<icon> TrovaPlayer6.nsi
; Silent use: TrovaPlayer6-setup.exe /S [/D=C:\folder]   and   uninstall.exe /S

; A 32-bit installer of the 32-bit programs: its RegDLL loads them in its own process, so the
; COM servers land in the 32-bit registry view, and the program folder is the 32-bit one.
Target x86-unicode
!define PROGRAM_FILES "$PROGRAMFILES32"
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!ifndef DIST
  !error "Pass the shipped folder with -DDIST=..."
!endif
!ifndef OUTFILE
  !define OUTFILE "TrovaPlayer6-setup.exe"
!endif
!ifndef VERSION
  !define VERSION "6.0.0.1"
!endif

!define PRODUCT "TrovaPlayer6"
!define COMPANY "Vantel"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; The running player's single-instance window, and the message that makes it quit.
!define SINGLETON_CLASS "TrovaPlayerSWWndClass"
!define SINGLETON_TITLE "TrovaPlayerSWWnd"
!define WM_PLAYER_QUIT 0x07F0
!define INSTANCE_MUTEX "TROVAPLAYERRTM"

Name "${COMPANY} ${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${COMPANY}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show
BrandingText "${COMPANY} ${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${COMPANY}"

!include "MUI2.nsh"
!include "LogicLib.nsh"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the fall-back; Windows' own UI language picks among them.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString PlayerStillRunning ${LANG_ENGLISH} "${PRODUCT} is still running. Close it, then choose Retry."
LangString PlayerStillRunning ${LANG_SIMPCHINESE} "播放器仍在运行。请关闭播放器后点击“重试”。"
LangString RegisterFailed ${LANG_ENGLISH} "Could not register $0. The channel list or the video may not appear."
LangString RegisterFailed ${LANG_SIMPCHINESE} "无法注册 $0，频道列表或视频可能无法显示。"
LangString ShortcutUninstall ${LANG_ENGLISH} "Uninstall ${PRODUCT}"
LangString ShortcutUninstall ${LANG_SIMPCHINESE} "卸载 ${PRODUCT}"

; Asks a running player to quit (the message that outside programs use for it) and waits
; until its window and instance mutex are gone, so that its files can be replaced or removed.
!macro DEFINE_CLOSE_PLAYER prefix
Function ${prefix}ClosePlayer
  StrCpy $2 0
  ${Do}
    FindWindow $0 "${SINGLETON_CLASS}" "${SINGLETON_TITLE}"
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r1'
    ${If} $1 P<> 0
      System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
    ${If} $0 = 0
    ${AndIf} $1 P= 0
      ${Break}
    ${EndIf}
    ${If} $0 <> 0
      SendMessage $0 ${WM_PLAYER_QUIT} 0 0 /TIMEOUT=5000
    ${EndIf}
    Sleep 250
    IntOp $2 $2 + 1
    ${If} $2 >= 60
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(PlayerStillRunning)" /SD IDCANCEL IDRETRY +2
      Abort
      StrCpy $2 0
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_PLAYER ""
!insertmacro DEFINE_CLOSE_PLAYER "un."

; Registers the COM server named in $0 (relative to $INSTDIR); a failure is shown and makes
; the installer end with exit code 2, but the rest of the installation stays.
!macro REGISTER_SERVER file
  StrCpy $0 "${file}"
  ClearErrors
  RegDLL "$INSTDIR\${file}"
  ${If} ${Errors}
    DetailPrint "$(RegisterFailed)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(RegisterFailed)" /SD IDOK
    SetErrorLevel 2
  ${EndIf}
!macroend

Function .onInit
  SetRegView 32
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  Call ClosePlayer

  ; The control's own folder is searched for its DLLs (sqlite3.dll, TRCore.dll) on registering.
  SetOutPath "$INSTDIR"
  File "${DIST}/${PRODUCT}.exe"
  File "${DIST}/TrovaCL.dll"
  File "${DIST}/TRCore.dll"
  File "${DIST}/TrovaPlayerCtl.dll"
  File "${DIST}/UpdateProbe.dll"
  File "${DIST}/sqlite3.dll"
  SetOutPath "$INSTDIR\skin\general"
  File "${DIST}/skin/general/*.*"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"

  !insertmacro REGISTER_SERVER "TrovaCL.dll"
  !insertmacro REGISTER_SERVER "TrovaPlayerCtl.dll"

  ; trova:// links open in the player (a running player gets them handed over).
  WriteRegStr HKCR "trova" "" "URL:trova Protocol"
  WriteRegStr HKCR "trova" "URL Protocol" ""
  WriteRegStr HKCR "trova\DefaultIcon" "" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr HKCR "trova\shell\open\command" "" '"$INSTDIR\${PRODUCT}.exe" -trova "%1"'

  CreateDirectory "$SMPROGRAMS\${COMPANY}"
  CreateShortcut "$SMPROGRAMS\${COMPANY}\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"
  CreateShortcut "$SMPROGRAMS\${COMPANY}\$(ShortcutUninstall).lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${COMPANY} ${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 32
  SetShellVarContext all
FunctionEnd

; Removes the program, its registrations and shortcuts. The user's data folder
; (%APPDATA%\Vantel) and settings (HKCU\Software\Vantel) stay for a later installation.
Section "Uninstall"
  Call un.ClosePlayer

  SetOutPath "$INSTDIR"
  UnRegDLL "$INSTDIR\TrovaCL.dll"
  UnRegDLL "$INSTDIR\TrovaPlayerCtl.dll"
  SetOutPath "$TEMP"

  ; Only registrations that point at this installation are removed.
  ReadRegStr $0 HKCR "trova\shell\open\command" ""
  StrLen $1 '"$INSTDIR\${PRODUCT}.exe"'
  StrCpy $0 $0 $1
  ${If} $0 == '"$INSTDIR\${PRODUCT}.exe"'
    DeleteRegKey HKCR "trova"
  ${EndIf}
  ; The start-with-Windows value holds the program's path followed by " -startmin".
  ReadRegStr $0 HKLM "${RUN_KEY}" "vantel-tray"
  StrLen $1 "$INSTDIR\${PRODUCT}.exe"
  StrCpy $0 $0 $1
  ${If} $0 == "$INSTDIR\${PRODUCT}.exe"
    DeleteRegValue HKLM "${RUN_KEY}" "vantel-tray"
  ${EndIf}

  Delete "$SMPROGRAMS\${COMPANY}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${COMPANY}\$(ShortcutUninstall).lnk"
  RMDir "$SMPROGRAMS\${COMPANY}"

  Delete /REBOOTOK "$INSTDIR\${PRODUCT}.exe"
  Delete /REBOOTOK "$INSTDIR\TrovaCL.dll"
  Delete /REBOOTOK "$INSTDIR\TRCore.dll"
  Delete /REBOOTOK "$INSTDIR\TrovaPlayerCtl.dll"
  Delete /REBOOTOK "$INSTDIR\UpdateProbe.dll"
  Delete /REBOOTOK "$INSTDIR\sqlite3.dll"
  RMDir /r "$INSTDIR\skin"
  Delete "$INSTDIR\uninstall.exe"
  ; Folders are removed only when nothing of the user's is left in them.
  RMDir /REBOOTOK "$INSTDIR"
  RMDir "${PROGRAM_FILES}\${COMPANY}"

  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
