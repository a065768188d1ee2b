; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer of the 32-bit program, made by makensis with the build
; (packaging/windows/CMakeLists.txt defines PROGRAM, README, LICENSE, ICON, VERSION,
; MUTEX and OUTFILE). It installs for all users into Program Files, with a Start-menu shortcut,
; an entry in "Apps and features" and the AutoPlay handler for audio CDs. Run again, it
; repairs or upgrades that one install, also when told another folder (the program
; moves there). The uninstaller removes what the installer put there and nothing else:
; c:\lyrabox\ holds the user's bookmarks and settings and stays. Neither touches the
; program while it runs. Silent: /S, with /D=FOLDER last to choose the folder.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include x64.nsh
!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lyrabox"
!define AUTOPLAY_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\AutoplayHandlers"
!define HANDLER "LyraboxPlayCDAudioOnArrival"
!define PROGID "Lyrabox.AudioCD"
!define SHORTCUT "$SMPROGRAMS\Lyrabox.lnk"

Name "Lyrabox"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Lyrabox"
; Run again, it proposes the folder of the install it repairs (/D overrides this).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The player holds the mutex MUTEX from its start to its end. Replacing or removing a
; program that runs would leave it half there, so both wait for it to close; silent,
; they end at once with status 2 and change nothing.
!macro WaitForPlayerToClose
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX}") p .r0'
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Lyrabox is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY +3
    SetErrorLevel 2
    Abort
  ${Loop}
!macroend

; Explorer reads the AutoPlay handlers in the system's own registry view: the 64-bit one
; on 64-bit Windows, which this 32-bit installer must ask for; 32-bit Windows has one.
!macro UseExplorersRegistryView
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
!macroend

; The program's files in FOLDER, and FOLDER when nothing else is left in it.
!macro RemoveProgramFiles FOLDER
  Delete "${FOLDER}\lyrabox.exe"
  Delete "${FOLDER}\README.txt"
  Delete "${FOLDER}\LICENSE.txt"
  Delete "${FOLDER}\uninstall.exe"
  RMDir "${FOLDER}"
!macroend

Function .onInit
  !insertmacro WaitForPlayerToClose
FunctionEnd

Function un.onInit
  !insertmacro WaitForPlayerToClose
FunctionEnd

Section "Lyrabox" main_section
  SetShellVarContext all
  ; An earlier install in another folder moves here: one install, never two.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    !insertmacro RemoveProgramFiles $0
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=lyrabox.exe" "${PROGRAM}"
  File "/oname=README.txt" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\lyrabox.exe"

  ; "Apps and features", in the 32-bit view where a 32-bit program's entry belongs.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Lyrabox"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Lyrabox"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lyrabox.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${main_section} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The AutoPlay handler: the box shows "Play audio CD using Lyrabox", and the choice
  ; runs the ProgID's open verb, which starts the player with /Play.
  !insertmacro UseExplorersRegistryView
  WriteRegStr HKLM "${AUTOPLAY_KEY}\Handlers\${HANDLER}" "Action" "Play audio CD"
  WriteRegStr HKLM "${AUTOPLAY_KEY}\Handlers\${HANDLER}" "Provider" "Lyrabox"
  WriteRegStr HKLM "${AUTOPLAY_KEY}\Handlers\${HANDLER}" "DefaultIcon" "$INSTDIR\lyrabox.exe,0"
  WriteRegStr HKLM "${AUTOPLAY_KEY}\Handlers\${HANDLER}" "InvokeProgID" "${PROGID}"
  WriteRegStr HKLM "${AUTOPLAY_KEY}\Handlers\${HANDLER}" "InvokeVerb" "open"
  WriteRegStr HKLM "${AUTOPLAY_KEY}\EventHandlers\PlayCDAudioOnArrival" "${HANDLER}" ""
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Audio CD"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\lyrabox.exe,0"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\lyrabox.exe" /Play'
  SetRegView 32
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; The program first: when it cannot go, nothing else has gone.
  Delete "$INSTDIR\lyrabox.exe"
  ${If} ${FileExists} "$INSTDIR\lyrabox.exe"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\lyrabox.exe could not be removed." /SD IDOK
    Abort
  ${EndIf}
  Delete "${SHORTCUT}"
  !insertmacro UseExplorersRegistryView
  DeleteRegValue HKLM "${AUTOPLAY_KEY}\EventHandlers\PlayCDAudioOnArrival" "${HANDLER}"
  DeleteRegKey HKLM "${AUTOPLAY_KEY}\Handlers\${HANDLER}"
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  SetRegView 32
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  !insertmacro RemoveProgramFiles $INSTDIR
SectionEnd
