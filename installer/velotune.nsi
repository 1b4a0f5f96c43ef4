; The Velotune setup program. The build runs it as
;   makensis -WX -DVERSION=2.0 -DVERSION_QUAD=2.0.0.0 -DBUILD_DIR=<build>
;            -DASSETS=<assets> -DOUT_FILE=<setup exe> velotune.nsi
; so the version has one home, the project version in CMakeLists.txt.
;
; Switches: /S silent, /D=<folder> (last and unquoted), /AUTOSTART=yes|no,
; /SHORTCUTS=yes|no, /CLOSE (close a running Velotune instead of failing).
; The uninstaller takes /S, /CLOSE and /RESTORE=yes|no (put back the settings
; Velotune changed; silently the default is no, a person is asked).

Unicode true
; The program is 64-bit: so is Setup, which then sees the 64-bit Program
; Files and registry.
Target amd64-unicode

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include WinMessages.nsh

!ifdef VERSION & VERSION_QUAD & BUILD_DIR & ASSETS & OUT_FILE
!else
  !error "Built by CMake: VERSION, VERSION_QUAD, BUILD_DIR, ASSETS and OUT_FILE must be defined"
!endif

; The program's own version resource must agree with what Setup calls it.
!getdllversion "${BUILD_DIR}/velotune.exe" EXE_
!if "${EXE_1}.${EXE_2}.${EXE_3}.${EXE_4}" != "${VERSION_QUAD}"
  !error "velotune.exe is version ${EXE_1}.${EXE_2}.${EXE_3}.${EXE_4}, Setup is ${VERSION_QUAD}"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velotune"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; What the program holds while it runs, and its application window's class.
!define MUTEX "imVelotunewhoaREyOu"
!define APP_WINDOW_CLASS "VelotuneApplication"
!define MENU_FOLDER "$SMPROGRAMS\Velotune"
; Silent failures end with this exit code; a person's Cancel ends with 1.
!define EXIT_FAILED 2

Name "Velotune ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\Velotune"
; An upgrade goes where the earlier install went, unless /D= says otherwise.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "Quorvane Velotune ${VERSION}"
; A file that cannot be replaced fails the install; silently, skipping
; would be the default answer, and the old file would stay.
AllowSkipFiles off
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion ${VERSION_QUAD}
VIFileVersion ${VERSION_QUAD}

Var CloseSwitch
Var PreviousFolder
; Uninstaller: 1 restore, 0 keep the current settings, "" ask.
Var RestoreChoice

;--------------------------------------------------------------------------
; Pages

!define MUI_ICON "${ASSETS}/velotune.ico"
!define MUI_UNICON "${ASSETS}/velotune.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${BUILD_DIR}/license.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Run Velotune"
; Setup runs elevated: the program asks the desktop's shell to start it with
; the user's own token, so the copy that stays in the tray is an ordinary one.
!define MUI_FINISHPAGE_RUN_FUNCTION RunVelotuneAsUser
Function RunVelotuneAsUser
  Exec '"$INSTDIR\velotune.exe" --start-as-user'
FunctionEnd
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Quorvane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Velotune"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Velotune ${VERSION} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) Quorvane"

;--------------------------------------------------------------------------
; Shared by Setup and the uninstaller

!macro SharedFunctions un
  ; $0 = 1 while Velotune runs in this session. A copy started by another
  ; account still shows: its mutex exists, only opening it is denied.
  Function ${un}VelotuneRuns
    System::Call 'kernel32::OpenMutexW(i 0x100000, i 0, w "${MUTEX}") p .r0 ?e'
    Pop $1
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      StrCpy $0 1
    ${ElseIf} $1 = 5
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  FunctionEnd

  ; Closes Velotune as its own Exit does and waits up to 15 s for it to end.
  Function ${un}CloseVelotune
    FindWindow $0 "${APP_WINDOW_CLASS}"
    ${If} $0 P<> 0
      System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
    ${EndIf}
    ${For} $2 1 30
      Call ${un}VelotuneRuns
      ${IfThen} $0 = 0 ${|} ${Break} ${|}
      Sleep 500
    ${Next}
  FunctionEnd

  ; Its files must not be replaced or removed while it runs: ask, or with
  ; /CLOSE close it; silently without /CLOSE, fail and change nothing.
  Function ${un}EnsureNotRunning
    Call ${un}VelotuneRuns
    ${IfThen} $0 = 0 ${|} Return ${|}
    ${If} $CloseSwitch != 1
      ${If} ${Silent}
        DetailPrint "Velotune is running. Close it, or give /CLOSE to close it."
        SetErrorLevel ${EXIT_FAILED}
        Quit
      ${EndIf}
      MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Velotune is running.$\r$\n$\r$\nClick OK to \
          close it and continue, or Cancel to quit without changes." IDOK close
      SetErrorLevel 1
      Quit
    ${EndIf}
    close:
    DetailPrint "Closing Velotune"
    Call ${un}CloseVelotune
    ${IfThen} $0 = 0 ${|} Return ${|}
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP "Velotune could not be closed.$\r$\n$\r$\nClose it \
        and click Retry, or click Cancel to quit without changes." /SD IDCANCEL IDRETRY close
    SetErrorLevel ${EXIT_FAILED}
    Quit
  FunctionEnd

  Function ${un}RemoveShortcuts
    Delete "${MENU_FOLDER}\Velotune.lnk"
    Delete "${MENU_FOLDER}\Velotune Help.lnk"
    Delete "${MENU_FOLDER}\Uninstall Velotune.lnk"
    RMDir "${MENU_FOLDER}"
  FunctionEnd

  ; /CLOSE alone, without a value.
  Function ${un}ReadCloseSwitch
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/CLOSE" $R1
    ${IfNot} ${Errors}
      ${If} $R1 != ""
        MessageBox MB_ICONSTOP "Unknown switch: /CLOSE$R1" /SD IDOK
        SetErrorLevel ${EXIT_FAILED}
        Quit
      ${EndIf}
      StrCpy $CloseSwitch 1
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

;--------------------------------------------------------------------------
; Setup

Section "Velotune (required)" SecProgram
  SectionIn RO
  Call EnsureNotRunning

  ; An earlier install elsewhere goes first, so one copy stays registered.
  ${If} $PreviousFolder != ""
  ${AndIf} $PreviousFolder != $INSTDIR
  ${AndIf} ${FileExists} "$PreviousFolder\uninstall.exe"
    DetailPrint "Removing Velotune from $PreviousFolder"
    ExecWait '"$PreviousFolder\uninstall.exe" /S _?=$PreviousFolder' $0
    ${If} $0 != 0
      DetailPrint "The earlier Velotune in $PreviousFolder could not be removed."
      Abort
    ${EndIf}
    ; Run in place, it cannot delete itself.
    Delete "$PreviousFolder\uninstall.exe"
    RMDir "$PreviousFolder"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/velotune.exe"
  File "${BUILD_DIR}/license.txt"
  File "${BUILD_DIR}/velotunehelp.chm"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velotune"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quorvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velotune.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.quorvane.example/"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Contact" "support@quorvane.example"
  SectionGetSize ${SecProgram} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start menu shortcuts" SecShortcuts
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Velotune.lnk" "$INSTDIR\velotune.exe"
  CreateShortcut "${MENU_FOLDER}\Velotune Help.lnk" "$INSTDIR\velotunehelp.chm"
  CreateShortcut "${MENU_FOLDER}\Uninstall Velotune.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

Section /o "Start with Windows (in the notification area)" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Velotune" '"$INSTDIR\velotune.exe" -s'
SectionEnd

; An upgrade that leaves a part out takes away what the earlier install made.
Section "-Parts left out"
  ${IfNot} ${SectionIsSelected} ${SecShortcuts}
    Call RemoveShortcuts
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue HKCU "${RUN_KEY}" "Velotune"
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, its licence and its help file."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecShortcuts} "Start menu entries for Velotune, its help \
      and its uninstaller, for all users."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "Starts Velotune hidden in the notification \
      area when you log on to Windows."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Ticks a part on "yes", unticks it on "no"; any other value fails.
; Sets $R1 to "" when the switch is absent.
!macro ChoiceSwitch switch section
  ClearErrors
  ${GetOptions} $R0 "${switch}=" $R1
  ${If} ${Errors}
    StrCpy $R1 ""
  ${ElseIf} $R1 == "yes"
    !insertmacro SelectSection ${section}
  ${ElseIf} $R1 == "no"
    !insertmacro UnselectSection ${section}
  ${Else}
    MessageBox MB_ICONSTOP "${switch} takes yes or no, not $\"$R1$\"." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  SetShellVarContext all
  Call ReadCloseSwitch
  ReadRegStr $PreviousFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"

  ; Without a switch, an upgrade keeps the earlier choices.
  ${GetParameters} $R0
  !insertmacro ChoiceSwitch "/AUTOSTART" ${SecAutostart}
  ${If} $R1 == ""
    ReadRegStr $R2 HKCU "${RUN_KEY}" "Velotune"
    ${IfThen} $R2 != "" ${|} !insertmacro SelectSection ${SecAutostart} ${|}
  ${EndIf}
  !insertmacro ChoiceSwitch "/SHORTCUTS" ${SecShortcuts}
  ${If} $R1 == ""
  ${AndIf} $PreviousFolder != ""
  ${AndIfNot} ${FileExists} "${MENU_FOLDER}\Velotune.lnk"
    !insertmacro UnselectSection ${SecShortcuts}
  ${EndIf}
FunctionEnd

;--------------------------------------------------------------------------
; Uninstaller: exactly what Setup put there. The user's own files in the
; folder and the program's settings key stay.

; Where velotune.exe keeps what it changed, for the way back; the same path
; machine-wide and for each user.
!define ORIGINALS_KEY "Software\Quorvane\Velotune\Original"

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  Call un.ReadCloseSwitch
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RESTORE=" $R1
  ${If} ${Errors}
    ; Silently nothing is put back unless asked for; a person is asked.
    ${IfThen} ${Silent} ${|} StrCpy $RestoreChoice 0 ${|}
  ${ElseIf} $R1 == "yes"
    StrCpy $RestoreChoice 1
  ${ElseIf} $R1 == "no"
    StrCpy $RestoreChoice 0
  ${Else}
    MessageBox MB_ICONSTOP "/RESTORE takes yes or no, not $\"$R1$\"." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Quit
  ${EndIf}
FunctionEnd

; $0 = 1 when velotune.exe noted settings it changed, machine-wide or for
; this account.
Function un.OriginalsNoted
  StrCpy $0 0
  EnumRegKey $1 HKLM "${ORIGINALS_KEY}" 0
  ${IfThen} $1 != "" ${|} StrCpy $0 1 ${|}
  EnumRegKey $1 HKCU "${ORIGINALS_KEY}" 0
  ${IfThen} $1 != "" ${|} StrCpy $0 1 ${|}
FunctionEnd

; Puts back the settings Velotune changed, through the program itself, before
; its files go. What is not put back stays noted, so that Velotune installed
; again can still restore it. The program's exit code: 0 restored (or
; nothing to restore), 3 something could not be put back, 2 a bad switch.
Function un.RestoreOriginals
  ${If} $RestoreChoice == ""
    Call un.OriginalsNoted
    ${IfThen} $0 = 0 ${|} Return ${|}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON1 "Restore the network and browser \
        settings that Velotune changed to what they were before?$\r$\n$\r$\nClick No to keep \
        the current settings. Velotune keeps a note of the original ones, so that it can still \
        restore them if you install it again." IDYES restore
    Return
  ${ElseIf} $RestoreChoice != 1
    Return
  ${EndIf}
  restore:
  DetailPrint "Restoring the original settings"
  ClearErrors
  ExecWait '"$INSTDIR\velotune.exe" --restore --quiet' $0
  ${If} ${Errors}
    StrCpy $0 "not started"
  ${EndIf}
  ${IfThen} $0 == 0 ${|} Return ${|}
  DetailPrint "Some original settings could not be restored (velotune.exe: $0)."
  ; Nothing is removed yet: the uninstall can be run again.
  ${If} ${Silent}
    SetErrorLevel ${EXIT_FAILED}
    Quit
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "Some of the original settings could not be \
      restored. Velotune keeps a note of them, so that it can still restore them if you install \
      it again.$\r$\n$\r$\nClick OK to go on removing Velotune, or Cancel to quit without \
      removing it." IDOK done
  SetErrorLevel 1
  Quit
  done:
FunctionEnd

Section "Uninstall"
  Call un.EnsureNotRunning
  Call un.RestoreOriginals

  Delete "$INSTDIR\velotune.exe"
  Delete "$INSTDIR\license.txt"
  Delete "$INSTDIR\velotunehelp.chm"
  ${If} ${FileExists} "$INSTDIR\velotune.exe"
  ${OrIf} ${FileExists} "$INSTDIR\license.txt"
  ${OrIf} ${FileExists} "$INSTDIR\velotunehelp.chm"
    ; Keep the entry, so that the uninstall can be run again.
    DetailPrint "Some files in $INSTDIR could not be removed."
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}

  Call un.RemoveShortcuts
  ; The value is ours only while it starts this copy.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Velotune"
  ${If} $0 == '"$INSTDIR\velotune.exe" -s'
    DeleteRegValue HKCU "${RUN_KEY}" "Velotune"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
