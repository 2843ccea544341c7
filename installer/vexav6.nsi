; The Windows installer of Korvaldine MAC Address Changer: a per-machine install into Program Files,
; the preset file association, a Start-menu shortcut and an uninstaller in "Apps & features".
; ./package makes it; it passes
;   OUTFILE    the installer to write
;   STAGE      the folder that holds the files to install
;   BUILD_DIR  the Windows build tree, whose installer/version.nsh names the version and the texts
;   ICON       (optional) the program's icon for the installer and the uninstaller
;   SIGN_COMMAND (optional) a command that signs the file named by its last argument in place
; and writes STAGE/../files.nsh, the list of files (FOR_EACH_FILE).
;
; Command line: /S (silent), /D=<folder> (the folder, last and without quotes), or a bare folder
; as the update check passes it (the program's own folder: the new version replaces it there).
; Exit code: 0 installed, 1 cancelled, 2 failed; a silent run writes why it failed to
; %TEMP%\vexav6-setup.log.

; A 64-bit installer for the 64-bit program: it cannot start on 32-bit Windows, which the program
; does not run on either.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "${BUILD_DIR}/installer/version.nsh"
!include "${STAGE}/../files.nsh"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define VERSION "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}"
; The preset file association's program identifier: "Vexav" + major + "." + minor, as the program
; itself writes it.
!define PROGID "Vexav${VERSION_MAJOR}.${VERSION_MINOR}"
!define EXE "vexav6.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vexav6"
!define CLASSES "Software\Classes"
!define LOG_FILE "$TEMP\vexav6-setup.log"
; New files are unpacked beside the old ones under these suffixes, and the old ones moved aside,
; so that a failure leaves the installed version as it was.
!define NEW_SUFFIX ".vexav6-new"
!define OLD_SUFFIX ".vexav6-old"

Name "${APP_TITLE}"
Caption "${APP_TITLE} ${VERSION} Setup"
UninstallCaption "${APP_TITLE} ${VERSION} Uninstall"
BrandingText "${APP_TITLE} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP_TITLE}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${APP_TITLE}"
VIAddVersionKey /LANG=1033 "CompanyName" "${APP_PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP_TITLE} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${APP_PUBLISHER}"

!ifdef SIGN_COMMAND
  ; The uninstaller is written into the installer: sign it before it goes in.
  !uninstfinalize '${SIGN_COMMAND} "%1"'
!endif

Var Failure          ; the file that could not be placed, empty while all is well
Var FromUpdateCheck  ; 1 when the update check started the installer with the program's folder

;--------------------------------------------------------------------------------------------------
; Pages

!define MUI_ABORTWARNING
!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP_TITLE}"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

;--------------------------------------------------------------------------------------------------
; Helpers shared by the installer and the uninstaller

; Shows the message (logged too, so that a silent run leaves the reason) and stops with exit code 2.
!macro DEFINE_FAIL UN
  Function ${UN}Fail
    Exch $0
    Push $1
    ClearErrors
    FileOpen $1 "${LOG_FILE}" a
    ${IfNot} ${Errors}
      FileSeek $1 0 END
      FileWrite $1 "${APP_TITLE} ${VERSION}: $0$\r$\n"
      FileClose $1
    ${EndIf}
    DetailPrint "$0"
    MessageBox MB_OK|MB_ICONSTOP "$0" /SD IDOK
    SetErrorLevel 2
    Pop $1
    Pop $0
    Abort
  FunctionEnd
!macroend
!insertmacro DEFINE_FAIL ""
!insertmacro DEFINE_FAIL "un."

!macro FAIL UN TEXT
  Push "${TEXT}"
  Call ${UN}Fail
!macroend

; Returns when no program runs from $INSTDIR. A running program file cannot be opened for writing,
; which tells both the window mode and a command line at work. The update check ends the program
; right after starting the installer, so then the installer first waits up to 10 seconds.
!macro DEFINE_ENSURE_PROGRAM_CLOSED UN ACTION
  Function ${UN}EnsureProgramClosed
    Push $0
    Push $1
    StrCpy $1 0
    check:
      ${IfNot} ${FileExists} "$INSTDIR\${EXE}"
        Goto closed
      ${EndIf}
      ClearErrors
      FileOpen $0 "$INSTDIR\${EXE}" a
      ${IfNot} ${Errors}
        FileClose $0
        Goto closed
      ${EndIf}
      ${If} $FromUpdateCheck == 1
      ${AndIf} $1 < 20
        IntOp $1 $1 + 1
        Sleep 500
        Goto check
      ${EndIf}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${APP_TITLE} is running from $INSTDIR.$\r$\n$\r$\nClose it (also in the notification area), then click Retry. Cancel stops the ${ACTION} and changes nothing." /SD IDCANCEL IDRETRY check
      !insertmacro FAIL "${UN}" "${APP_TITLE} is running from $INSTDIR: the ${ACTION} was stopped and nothing was changed. Close the program and try again."
    closed:
    Pop $1
    Pop $0
  FunctionEnd
!macroend
!insertmacro DEFINE_ENSURE_PROGRAM_CLOSED "" "installation"
!insertmacro DEFINE_ENSURE_PROGRAM_CLOSED "un." "removal"

;--------------------------------------------------------------------------------------------------
; Installing one file in three steps: unpack beside, move the old one aside, put the new one in.

!macro UNPACK_NEW NAME
  ${If} $Failure == ""
    ClearErrors
    File "/oname=$INSTDIR\${NAME}${NEW_SUFFIX}" "${STAGE}/${NAME}"
    ${If} ${Errors}
      StrCpy $Failure "${NAME}"
    ${EndIf}
  ${EndIf}
!macroend

!macro DROP_NEW NAME
  Delete "$INSTDIR\${NAME}${NEW_SUFFIX}"
!macroend

!macro MOVE_OLD_ASIDE NAME
  ${If} $Failure == ""
  ${AndIf} ${FileExists} "$INSTDIR\${NAME}"
    Delete "$INSTDIR\${NAME}${OLD_SUFFIX}"
    ClearErrors
    Rename "$INSTDIR\${NAME}" "$INSTDIR\${NAME}${OLD_SUFFIX}"
    ${If} ${Errors}
      StrCpy $Failure "${NAME}"
    ${EndIf}
  ${EndIf}
!macroend

; After a failed move aside: what was moved goes back; what was not is still in its place.
!macro RESTORE_OLD NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}${OLD_SUFFIX}"
    Rename "$INSTDIR\${NAME}${OLD_SUFFIX}" "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

!macro PUT_NEW NAME
  ${If} $Failure == ""
    ClearErrors
    Rename "$INSTDIR\${NAME}${NEW_SUFFIX}" "$INSTDIR\${NAME}"
    ${If} ${Errors}
      StrCpy $Failure "${NAME}"
    ${EndIf}
  ${EndIf}
!macroend

; After a failed put: every old file was moved aside, so a file in its place is a new one.
!macro TAKE_NEW_BACK NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}${OLD_SUFFIX}"
    Delete "$INSTDIR\${NAME}"
    Rename "$INSTDIR\${NAME}${OLD_SUFFIX}" "$INSTDIR\${NAME}"
  ${ElseIfNot} ${FileExists} "$INSTDIR\${NAME}${NEW_SUFFIX}"
    Delete "$INSTDIR\${NAME}"
  ${EndIf}
!macroend

!macro DROP_FILE NAME
  Delete "$INSTDIR\${NAME}"
!macroend

!macro DROP_OLD NAME
  Delete "$INSTDIR\${NAME}${OLD_SUFFIX}"
!macroend

; The package's files and the uninstaller.
!macro FOR_EACH_INSTALLED STEP
  !insertmacro FOR_EACH_FILE ${STEP}
  !insertmacro ${STEP} "${UNINSTALLER}"
!macroend

;--------------------------------------------------------------------------------------------------
; Installer

Function .onInit
  SetRegView 64
  SetShellVarContext all
  StrCpy $FromUpdateCheck 0

  ; An earlier installation is upgraded where it is, unless /D= names another folder.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $INSTDIR == "$PROGRAMFILES64\${APP_TITLE}"
    StrCpy $INSTDIR $0
  ${EndIf}

  ; The update check starts the installer with the program's folder as the whole command line,
  ; unquoted: the new version goes there.
  ${GetParameters} $0
  Push $0
  Call StripSetupOptions
  Pop $0
  ${If} $0 != ""
    StrCpy $1 $0 1
    ${If} $1 != "/"
      ${If} ${FileExists} "$0\*.*"
        StrCpy $INSTDIR $0
        StrCpy $FromUpdateCheck 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; The parameters less the options the installer itself takes (/S, /NCRC), blanks, quotes and a
; closing backslash: what is left is a folder, or an option.
Function StripSetupOptions
  Exch $0
  Push $1
  loop:
    StrCpy $1 $0 1
    ${If} $1 == " "
    ${OrIf} $1 == '"'
      StrCpy $0 $0 "" 1
      Goto loop
    ${EndIf}
    StrCpy $1 $0 3
    ${If} $1 == "/S "
      StrCpy $0 $0 "" 3
      Goto loop
    ${EndIf}
    ${If} $0 == "/S"
      StrCpy $0 ""
    ${EndIf}
    StrCpy $1 $0 6
    ${If} $1 == "/NCRC "
      StrCpy $0 $0 "" 6
      Goto loop
    ${EndIf}
  trim_end:
    StrCpy $1 $0 1 -1
    ${If} $1 == " "
    ${OrIf} $1 == '"'
    ${OrIf} $1 == "\"
      StrCpy $0 $0 -1
      Goto trim_end
    ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; Before anything changes: the folder takes files, and no program runs from it.
Function CheckFolder
  Push $0
  Push $1
  StrCpy $1 0
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    ClearErrors
    CreateDirectory "$INSTDIR"
    ${If} ${Errors}
      !insertmacro FAIL "" "Setup cannot create the folder $INSTDIR. Choose a folder you may write to: nothing was installed."
    ${EndIf}
    StrCpy $1 1
  ${EndIf}
  ClearErrors
  FileOpen $0 "$INSTDIR\~vexav6-setup.tmp" w
  ${If} ${Errors}
    ${If} $1 == 1
      RMDir "$INSTDIR"
    ${EndIf}
    !insertmacro FAIL "" "Setup cannot write to the folder $INSTDIR. Choose a folder you may write to: nothing was installed."
  ${EndIf}
  FileClose $0
  Delete "$INSTDIR\~vexav6-setup.tmp"
  Pop $1
  Pop $0
FunctionEnd

Section "-Program"
  SetOutPath "$INSTDIR"
  Call CheckFolder
  Call EnsureProgramClosed

  ; 1. Unpack the new files beside the old ones; the installed version keeps working meanwhile.
  StrCpy $Failure ""
  SetOverwrite try
  !insertmacro FOR_EACH_FILE UNPACK_NEW
  ${If} $Failure == ""
    ClearErrors
    WriteUninstaller "$INSTDIR\${UNINSTALLER}${NEW_SUFFIX}"
    ${If} ${Errors}
      StrCpy $Failure "${UNINSTALLER}"
    ${EndIf}
  ${EndIf}
  ${If} $Failure != ""
    !insertmacro FOR_EACH_INSTALLED DROP_NEW
    !insertmacro FAIL "" "Setup could not write $INSTDIR\$Failure (is the disk full?): nothing was installed."
  ${EndIf}

  ; 2. Swap them in: old files aside, new ones in; on a failure the old ones come back.
  !insertmacro FOR_EACH_INSTALLED MOVE_OLD_ASIDE
  ${If} $Failure != ""
    !insertmacro FOR_EACH_INSTALLED RESTORE_OLD
    !insertmacro FOR_EACH_INSTALLED DROP_NEW
    !insertmacro FAIL "" "Setup could not replace $INSTDIR\$Failure (is it in use?): the installed version was left as it was."
  ${EndIf}
  !insertmacro FOR_EACH_INSTALLED PUT_NEW
  ${If} $Failure != ""
    !insertmacro FOR_EACH_INSTALLED TAKE_NEW_BACK
    !insertmacro FOR_EACH_INSTALLED DROP_NEW
    !insertmacro FAIL "" "Setup could not place $INSTDIR\$Failure: the installed version was left as it was."
  ${EndIf}
  !insertmacro FOR_EACH_INSTALLED DROP_OLD

  ; The preset file association, the same keys the program writes when it associates itself.
  ; A preset file type of an older version goes.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "PresetFileProgId"
  ${If} $0 != ""
  ${AndIf} $0 != "${PROGID}"
    DeleteRegKey HKLM "${CLASSES}\$0"
  ${EndIf}
  DeleteRegKey HKLM "${CLASSES}\${PRESET_FILE_EXTENSION}"
  DeleteRegKey HKLM "${CLASSES}\${PROGID}\shell\open\command"
  DeleteRegKey HKLM "${CLASSES}\${PROGID}\DefaultIcon"
  ClearErrors
  WriteRegStr HKLM "${CLASSES}\${PRESET_FILE_EXTENSION}" "" "${PROGID}"
  WriteRegStr HKLM "${CLASSES}\${PROGID}" "" "${PRESET_FILE_TYPE_NAME}"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\${EXE}" -o "%1"'

  ; "Apps & features".
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $1 $2 $3
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP_TITLE}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${APP_PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${APP_WEB_ADDRESS}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "PresetFileProgId" "${PROGID}"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} ${Errors}
    !insertmacro FAIL "" "Setup installed the program in $INSTDIR but could not write its registry keys. Run Setup again as an administrator."
  ${EndIf}

  CreateShortCut "$SMPROGRAMS\${APP_TITLE}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  ; Explorer shows the new file type at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

;--------------------------------------------------------------------------------------------------
; Uninstaller


Section "un.Program" SecProgram
  SectionIn RO
  Call un.EnsureProgramClosed
  ; The program first: when it cannot go, nothing else goes either.
  ClearErrors
  Delete "$INSTDIR\${EXE}"
  ${If} ${Errors}
    !insertmacro FAIL "un." "${APP_TITLE} could not be removed from $INSTDIR (is it in use?): nothing was removed."
  ${EndIf}
  !insertmacro FOR_EACH_FILE DROP_FILE

  Delete "$SMPROGRAMS\${APP_TITLE}.lnk"

  ; The preset file association, only where it is still the program's.
  ReadRegStr $0 HKLM "${CLASSES}\${PRESET_FILE_EXTENSION}" ""
  ${If} $0 == "${PROGID}"
    DeleteRegKey HKLM "${CLASSES}\${PRESET_FILE_EXTENSION}"
  ${EndIf}
  ReadRegStr $0 HKCU "${CLASSES}\${PRESET_FILE_EXTENSION}" ""
  ${If} $0 == "${PROGID}"
    DeleteRegKey HKCU "${CLASSES}\${PRESET_FILE_EXTENSION}"
  ${EndIf}
  DeleteRegKey HKLM "${CLASSES}\${PROGID}"
  DeleteRegKey HKCU "${CLASSES}\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd

; The user's presets and settings stay unless asked for (/REMOVEUSERFILES when silent).
Section /o "un.Presets and settings" SecUserFiles
  Delete "$INSTDIR\vexav6.set"
  Delete "$INSTDIR\*.kpf"
  Delete "$INSTDIR\*.cpf"
SectionEnd

Section "-un.Folder"
  ; Only an empty folder goes: files the user keeps there stay.
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEUSERFILES" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUserFiles} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
