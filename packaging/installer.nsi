; The Smearscope installer: finds every player that can load vis_Smearscope.dll (Winamp, WACUP,
; MediaPortal; 64-bit copies are named and passed over) and puts the DLL and its texts (README,
; licence, third-party notices) into each one's plug-in folder, and optionally the app
; (smearscope.exe) with the plug-in and Start-menu entries. The uninstaller lives in our own folder
; with a list of every place the plug-in went, and takes away only what the installer put there.
; Built by scripts/package:
;   makensis -DVERSION=1.0.0 -DDLL=path -DAPP=path -DLICENSE_FILE=path -DREADME_FILE=path
;            -DNOTICES_FILE=path -DICON_FILE=path -DOUTFILE=path [-DTARGET=amd64-unicode]
; Command line: /S silent (every 32-bit player found; none found: exit 2 without writing, unless
; /WITHOUTWINAMP asks for the app alone), /WITHOUTWINAMP also the app and its Start-menu entries,
; /D=FOLDER that player's folder only (last, unquoted). The uninstaller takes /S and /DELETESETTINGS
; (also remove Smearscope.ini and its VirtualStore copy from each place, otherwise kept).

!macro Required NAME
  !ifndef ${NAME}
    !error "${NAME} must be defined on makensis's command line"
  !endif
!macroend
!insertmacro Required VERSION
!insertmacro Required DLL
!insertmacro Required APP
!insertmacro Required LICENSE_FILE
!insertmacro Required README_FILE
!insertmacro Required NOTICES_FILE
!insertmacro Required ICON_FILE
!insertmacro Required OUTFILE
!ifdef TARGET
  Target ${TARGET}
!else
  Unicode true
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"
!include "Sections.nsh"
!include "nsDialogs.nsh"

!define UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define UNINSTALL_KEY "${UNINSTALL_ROOT}\Smearscope"
!define UNINSTALLER "Smearscope-uninstall.exe"
!define PLUGIN_DLL "vis_Smearscope.dll"
!define SETTINGS_FILE "Smearscope.ini"
; A player's plug-in folder is shared with other plug-ins: our texts carry our name.
!define README_NAME "Smearscope-README.txt"
!define LICENSE_NAME "Smearscope-LICENSE.txt"
!define NOTICES_NAME "Smearscope-THIRD-PARTY-NOTICES.txt"
!define APP_EXE "smearscope.exe"
; Beside the app, its licence and notices under the zip's names, as About names them.
!define APP_LICENSE "LICENSE"
!define APP_NOTICES "THIRD-PARTY-NOTICES.txt"
; What earlier builds put in the app's folder: an upgrade takes it away.
!define OLD_HOST_EXE "smearscope-host.exe"
; Ours: the uninstaller, the list of places, and the app when its part is chosen.
!define OUR_FOLDER "$PROGRAMFILES\Smearscope"
!define PLACES_FILE "places.ini"
; The app runs a per-user copy of the plug-in with its settings and log in the user's folder.
!define USER_FOLDER "$LOCALAPPDATA\Smearscope"
; The players found ([Player1]... and [Other], the folder named by /D= or the directory page) and
; the places this run writes, while it runs.
!define PLAYERS "$PLUGINSDIR\players.ini"
!define PLAN "$PLUGINSDIR\plan.ini"
!define CANNOT_LOAD "64-bit: cannot load this plug-in"

; Every file the installer puts in (or takes from) each place, and the app's folder: the installer
; checks them all before its first write, and the uninstaller checks and then deletes the same. A
; part that installs a new file adds it here, beside its File line.
!macro PluginFiles CALL FOLDER
  !insertmacro ${CALL} "${FOLDER}\${PLUGIN_DLL}"
  !insertmacro ${CALL} "${FOLDER}\${README_NAME}"
  !insertmacro ${CALL} "${FOLDER}\${LICENSE_NAME}"
  !insertmacro ${CALL} "${FOLDER}\${NOTICES_NAME}"
!macroend
!macro StandaloneFiles CALL FOLDER
  !insertmacro ${CALL} "${FOLDER}\${APP_EXE}"
  !insertmacro ${CALL} "${FOLDER}\${APP_LICENSE}"
  !insertmacro ${CALL} "${FOLDER}\${APP_NOTICES}"
  !insertmacro ${CALL} "${FOLDER}\${OLD_HOST_EXE}"
  !insertmacro ${CALL} "${FOLDER}\${PLUGIN_DLL}"
!macroend

Name "Smearscope ${VERSION}"
OutFile "${OUTFILE}"
; Players live under Program Files, and the uninstall entry goes to HKLM.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
; A DLL that cannot be written stops the install or is retried; skipping it would leave the
; uninstaller's list naming someone else's file.
AllowSkipFiles off
BrandingText "Smearscope ${VERSION}"

Var folderOption     ; 1 when /D= named the player's folder
Var anotherFolder    ; 1 when the directory page (or /D=) names a folder of a player we do not know
Var anotherFolderBox
Var readmePath       ; the first place's README, for the finish page ("" when none)
Var readmeBox
Var ownsUninstallEntry
Var standaloneFolder ; the uninstaller's: where the app went, "" when it was not installed

!define MUI_ABORTWARNING
!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
; The pages are laid out in dialog units: Windows scales them with the font at every dpi.
ManifestDPIAware true
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!define MUI_COMPONENTSPAGE_TEXT_TOP "Without Winamp, Smearscope can draw whatever the PC plays: tick it to install the Smearscope program with its own copy of the plug-in, and Start-menu entries."
!insertmacro MUI_PAGE_COMPONENTS
Page custom PlayersPage PlayersPageLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipUnlessAnotherFolder
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup copies ${PLUGIN_DLL} into the Plugins folder of the player's folder. Choose the folder that holds the player's program (winamp.exe for Winamp)."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Player's folder"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckPlayerFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The finish page is one of our own: MUI's finish label holds a few lines, and the places with how
; to choose the plug-in in each player take more; a read-only field scrolls instead of cutting.
Page custom FinishPage FinishPageLeave

UninstPage custom un.PlacesPage
!define MUI_COMPONENTSPAGE_TEXT_TOP "Smearscope.ini holds your window size, position and switches. Tick it to remove it too, with the copy Windows may keep in your VirtualStore folder."
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.HideSpaceRequired
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Smearscope"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Smearscope ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 the Smearscope developers"

; NOTE: NSIS cannot tell which program holds a file, and Wine's Restart Manager names nobody: the
; box names the file, and the programs that may hold it.
LangString FileInUse ${LANG_ENGLISH} "$R9 is in use.$\r$\n$\r$\nClose the program that holds it (the player, or Smearscope without Winamp), then click Retry. Cancel leaves everything as it was."

; ---- What a player's program is -------------------------------------------------------------

; $0: a program's path -> $0: "32-bit" (i386, loads the plug-in), "64-bit" (x64 or ARM64), or ""
; (missing, too short, not a PE program, or a machine we do not know). The machine is the word 4
; bytes after the "PE\0\0" that the offset at 0x3C points to.
Function ReadMachine
  Push $1
  Push $2
  Push $3
  StrCpy $3 ""
  ClearErrors
  FileOpen $1 $0 r
  ${IfNot} ${Errors}
    FileSeek $1 60 SET
    Call ReadWord
    StrCpy $2 $0
    Call ReadWord
    IntOp $0 $0 << 16
    IntOp $2 $2 | $0
    ; Every read that ran out of the file has set the error flag: nothing below answers then.
    FileSeek $1 $2 SET
    Call ReadWord
    StrCpy $2 $0
    Call ReadWord
    ${If} $0 = 0
    ${AndIf} $2 = 0x4550  ; "PE"
      Call ReadWord
      ${IfNot} ${Errors}
        ${If} $0 = 0x014C
          StrCpy $3 "32-bit"
        ${ElseIf} $0 = 0x8664
        ${OrIf} $0 = 0xAA64
          StrCpy $3 "64-bit"
        ${EndIf}
      ${EndIf}
    ${EndIf}
    FileClose $1
  ${EndIf}
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; ReadMachine's: the little-endian word at file $1's position into $0; a read past the end sets
; the error flag and gives 0.
Function ReadWord
  Push $4
  FileReadByte $1 $0
  FileReadByte $1 $4
  IntOp $0 $0 + 0
  IntOp $4 $4 + 0
  IntOp $4 $4 << 8
  IntOp $0 $0 | $4
  Pop $4
FunctionEnd

; ---- Where Winamp keeps its visualisation plug-ins ----------------------------------------

; $0: a path as Winamp's paths.ini and winamp.ini write it, $1: the program's folder -> $0 the
; full path: {n} is that special folder (26 = the user's AppData), %WINAMP_ROOT_DIR% and
; %WINAMP_PROGRAM_DIR% the program's folder, then environment variables; relative to the program's.
Function ExpandWinampPath
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $2 0
  ${Do}
    StrCpy $3 $0 1 $2
    ${If} $3 == ""
      ${Break}
    ${ElseIf} $3 == "{"
      StrCpy $4 $2
      ${Do}
        IntOp $4 $4 + 1
        StrCpy $3 $0 1 $4
        ${If} $3 == "}"
        ${OrIf} $3 == ""
          ${Break}
        ${EndIf}
      ${Loop}
      ${If} $3 == "}"
        IntOp $5 $4 - $2
        IntOp $5 $5 - 1
        IntOp $3 $2 + 1
        StrCpy $3 $0 $5 $3
        StrCpy $5 ""
        System::Call 'shell32::SHGetSpecialFolderPath(p 0, t .r5, i r3, i 0) i'
        StrCpy $3 $0 $2
        IntOp $4 $4 + 1
        StrCpy $4 $0 "" $4
        StrCpy $0 "$3$5$4"
        StrLen $2 "$3$5"
        IntOp $2 $2 - 1
      ${EndIf}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  ${WordReplace} $0 "%WINAMP_ROOT_DIR%" $1 "+" $0
  ${WordReplace} $0 "%WINAMP_PROGRAM_DIR%" $1 "+" $0
  ExpandEnvStrings $0 $0
  StrCpy $2 $0 2 1
  StrCpy $3 $0 2
  ${If} $0 != ""
  ${AndIf} $2 != ":\"
  ${AndIf} $3 != "\\"
    StrCpy $0 "$1\$0"
  ${EndIf}
  Call FullPath
  Pop $5
  Pop $4
  Pop $3
  Pop $2
FunctionEnd

; $0 -> $0 without "." and ".." steps or a trailing "\", so that one folder has one spelling.
Function FullPath
  Push $1
  ${If} $0 != ""
    System::Call 'kernel32::GetFullPathName(t r0, i ${NSIS_MAX_STRLEN}, t .r0, p 0) i'
    StrCpy $1 $0 1 -1
    ${If} $1 == "\"
      StrCpy $1 $0 "" -2
      ${If} $1 != ":\"
        StrCpy $0 $0 -1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $1
FunctionEnd

; $1: Winamp's folder -> $0: VISDir of the current user's winamp.ini (found through paths.ini's
; inidir, else beside the program) when it names a folder that exists, else "".
Function WinampVisDir
  ReadINIStr $0 "$1\paths.ini" "Winamp" "inidir"
  ${If} $0 == ""
    StrCpy $0 $1
  ${Else}
    Call ExpandWinampPath
  ${EndIf}
  ReadINIStr $0 "$0\winamp.ini" "Winamp" "VISDir"
  ${If} $0 != ""
    Call ExpandWinampPath
  ${EndIf}
  ${If} $0 == ""
  ${OrIfNot} ${FileExists} "$0\*.*"
    StrCpy $0 ""
  ${EndIf}
FunctionEnd

; ---- Finding the players ------------------------------------------------------------------

; $R1: the player's name, $R2: its folder, $R3: its program, $R4: the section in ${PLAYERS} ->
; the player, its machine and the folders its plug-ins go to (Target1, Target2), chosen when it
; can load the plug-in.
Function WritePlayer
  Push $0
  Push $1
  StrCpy $0 $R2
  Call FullPath
  StrCpy $R2 $0
  DeleteINISec "${PLAYERS}" $R4
  WriteINIStr "${PLAYERS}" $R4 "Name" $R1
  WriteINIStr "${PLAYERS}" $R4 "Folder" $R2
  StrCpy $0 "$R2\$R3"
  Call ReadMachine
  WriteINIStr "${PLAYERS}" $R4 "Machine" $0
  ${If} $0 == "32-bit"
    WriteINIStr "${PLAYERS}" $R4 "Chosen" 1
  ${Else}
    WriteINIStr "${PLAYERS}" $R4 "Chosen" 0
  ${EndIf}
  ${If} $R1 == "MediaPortal"
    WriteINIStr "${PLAYERS}" $R4 "Target1" "$R2\MusicPlayer\plugins\visualizations\Plugins"
  ${Else}
    WriteINIStr "${PLAYERS}" $R4 "Target1" "$R2\Plugins"
  ${EndIf}
  ; The installer runs elevated: the winamp.ini read may be another user's, so both folders.
  ${If} $R1 == "Winamp"
    StrCpy $1 $R2
    Call WinampVisDir
    ${If} $0 != ""
    ${AndIf} $0 != "$R2\Plugins"
      WriteINIStr "${PLAYERS}" $R4 "Target2" $0
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; $R5: a folder, or a registry value's text that names one (a folder, or a program's command line)
; -> $R2 set to that folder when $R2 is still "" and the folder holds program $R3.
Function TryPlayerFolder
  ${If} $R2 != ""
  ${OrIf} $R5 == ""
    Return
  ${EndIf}
  StrCpy $R6 $R5 1
  ${If} $R6 == '"'
    StrCpy $R5 $R5 "" 1
    ${WordFind} $R5 '"' "+1{" $R5
  ${EndIf}
  ${If} ${FileExists} "$R5\$R3"
    StrCpy $R2 $R5
  ${ElseIf} ${FileExists} "$R5"
    ${GetParent} $R5 $R6
    ${If} ${FileExists} "$R6\$R3"
      StrCpy $R2 $R6
    ${EndIf}
  ${EndIf}
FunctionEnd

; TryPlayerFolder on registry value ROOT\KEY NAME, in the 32-bit view and then the 64-bit one.
!macro TryRegistryFolder ROOT KEY NAME
  SetRegView 32
  ReadRegStr $R5 ${ROOT} "${KEY}" "${NAME}"
  Call TryPlayerFolder
  SetRegView 64
  ReadRegStr $R5 ${ROOT} "${KEY}" "${NAME}"
  Call TryPlayerFolder
  SetRegView default
!macroend
!macro TryDefaultFolder PATH
  StrCpy $R5 "${PATH}"
  Call TryPlayerFolder
!macroend

; Appends the player in $R2 (found, else "") as [PlayerN].
Function AddFoundPlayer
  ${If} $R2 != ""
    ReadINIStr $R4 "${PLAYERS}" "Players" "Count"
    IntOp $R4 $R4 + 1
    WriteINIStr "${PLAYERS}" "Players" "Count" $R4
    StrCpy $R4 "Player$R4"
    Call WritePlayer
  ${EndIf}
FunctionEnd

; Each player where its installer records it, in that order; the first folder holding the program wins.
Function FindWinamp
  StrCpy $R1 "Winamp"
  StrCpy $R2 ""
  StrCpy $R3 "winamp.exe"
  !insertmacro TryRegistryFolder HKLM "${UNINSTALL_ROOT}\Winamp" "InstallLocation"
  !insertmacro TryRegistryFolder HKLM "${UNINSTALL_ROOT}\Winamp" "UninstallString"
  !insertmacro TryRegistryFolder HKCU "Software\Winamp" ""
  !insertmacro TryRegistryFolder HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\winamp.exe" "Path"
  !insertmacro TryDefaultFolder "$PROGRAMFILES32\Winamp"
  !insertmacro TryDefaultFolder "$PROGRAMFILES64\Winamp"
  Call AddFoundPlayer
FunctionEnd

Function FindWacup
  StrCpy $R1 "WACUP"
  StrCpy $R2 ""
  StrCpy $R3 "wacup.exe"
  !insertmacro TryRegistryFolder HKLM "${UNINSTALL_ROOT}\WACUP" "InstallLocation"
  !insertmacro TryRegistryFolder HKLM "${UNINSTALL_ROOT}\WACUP" "UninstallString"
  !insertmacro TryDefaultFolder "$PROGRAMFILES32\WACUP"
  !insertmacro TryDefaultFolder "$PROGRAMFILES64\WACUP"
  Call AddFoundPlayer
FunctionEnd

Function FindMediaPortal
  StrCpy $R1 "MediaPortal"
  StrCpy $R2 ""
  StrCpy $R3 "MediaPortal.exe"
  !insertmacro TryRegistryFolder HKLM "${UNINSTALL_ROOT}\MediaPortal" "InstallPath"
  !insertmacro TryDefaultFolder "$PROGRAMFILES32\Team MediaPortal\MediaPortal"
  !insertmacro TryDefaultFolder "$PROGRAMFILES64\Team MediaPortal\MediaPortal"
  Call AddFoundPlayer
FunctionEnd

; $INSTDIR, named by /D= or the directory page, as [Other]: the player whose program it holds.
Function WriteOtherPlayer
  StrCpy $R2 $INSTDIR
  StrCpy $R4 "Other"
  ; A winamp.exe may sit beside WACUP's own program.
  ${If} ${FileExists} "$R2\wacup.exe"
    StrCpy $R1 "WACUP"
    StrCpy $R3 "wacup.exe"
  ${ElseIf} ${FileExists} "$R2\winamp.exe"
    StrCpy $R1 "Winamp"
    StrCpy $R3 "winamp.exe"
  ${ElseIf} ${FileExists} "$R2\MediaPortal.exe"
    StrCpy $R1 "MediaPortal"
    StrCpy $R3 "MediaPortal.exe"
  ${Else}
    StrCpy $R1 "Another player"
    StrCpy $R3 ""
  ${EndIf}
  Call WritePlayer
  WriteINIStr "${PLAYERS}" $R4 "Chosen" 1
FunctionEnd

; ---- The places this run writes -----------------------------------------------------------

; Appends place $R1 (player $R2, folder made by us: $R3) to ${PLAN} unless it is there already.
Function AddPlace
  ${If} $R1 == ""
    Return
  ${EndIf}
  ReadINIStr $R4 "${PLAN}" "Places" "Count"
  IntOp $R4 $R4 + 0
  ${ForEach} $R5 1 $R4 + 1
    ReadINIStr $R6 "${PLAN}" "Place$R5" "Folder"
    ${If} $R6 == $R1
      Return
    ${EndIf}
  ${Next}
  IntOp $R4 $R4 + 1
  WriteINIStr "${PLAN}" "Places" "Count" $R4
  WriteINIStr "${PLAN}" "Place$R4" "Folder" $R1
  WriteINIStr "${PLAN}" "Place$R4" "Player" $R2
  WriteINIStr "${PLAN}" "Place$R4" "Created" $R3
FunctionEnd

; A chosen player's target $R1 (a key of section $R7 of ${PLAYERS}) as a new place.
Function AddTarget
  ReadINIStr $R1 "${PLAYERS}" $R7 $R1
  ReadINIStr $R2 "${PLAYERS}" $R7 "Name"
  StrCpy $R3 1
  ${If} ${FileExists} "$R1\*.*"
    StrCpy $R3 0
  ${EndIf}
  Call AddPlace
FunctionEnd

!macro AddChosenPlayer SECTION
  ReadINIStr $R1 "${PLAYERS}" "${SECTION}" "Chosen"
  ${If} $R1 == 1
    StrCpy $R7 "${SECTION}"
    StrCpy $R1 "Target1"
    Call AddTarget
    StrCpy $R1 "Target2"
    Call AddTarget
  ${EndIf}
!macroend

; ${PLAN}: the places an earlier install recorded that still exist (with who made them), then the
; chosen players' folders; $R8: how many. An upgrade thus covers both, checked all together before
; the first write.
Function MakePlan
  Delete "${PLAN}"
  ; Earlier builds kept their uninstaller in the one Plugins folder they installed into.
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $R1 "$R1\Plugins"
  ${If} $R1 != "\Plugins"
  ${AndIf} ${FileExists} "$R1\${UNINSTALLER}"
    ReadRegDWORD $R3 HKLM "${UNINSTALL_KEY}" "CreatedPluginsFolder"
    IntOp $R3 $R3 + 0
    StrCpy $R2 "Winamp"
    Call AddPlace
  ${EndIf}
  ReadINIStr $R8 "${OUR_FOLDER}\${PLACES_FILE}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R1 "${OUR_FOLDER}\${PLACES_FILE}" "Place$R7" "Folder"
    ReadINIStr $R2 "${OUR_FOLDER}\${PLACES_FILE}" "Place$R7" "Player"
    ReadINIStr $R3 "${OUR_FOLDER}\${PLACES_FILE}" "Place$R7" "Created"
    ${If} ${FileExists} "$R1\*.*"
      Call AddPlace
    ${EndIf}
  ${Next}
  ReadINIStr $R8 "${PLAYERS}" "Players" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R9 1 $R8 + 1
    !insertmacro AddChosenPlayer "Player$R9"
  ${Next}
  ${If} $anotherFolder == 1
    !insertmacro AddChosenPlayer "Other"
  ${EndIf}
  ReadINIStr $R8 "${PLAN}" "Places" "Count"
  IntOp $R8 $R8 + 0
FunctionEnd

; ---- Files in use ---------------------------------------------------------------------------

; Sets $R9 to PATH when it exists and cannot be opened for writing, unless $R9 names one already.
; NOTE: a DLL that a process has loaded, or a program that runs, cannot be opened for writing on
; Windows (it can still be renamed).
!macro NoteFileInUse PATH
  ${If} $R9 == ""
  ${AndIf} ${FileExists} "${PATH}"
    ClearErrors
    FileOpen $0 "${PATH}" a
    ${If} ${Errors}
      StrCpy $R9 "${PATH}"
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
!macroend

; Returns when FUNCTION finds no file in use (it sets $R9); else asks, naming the file, and Retry
; checks every file again. Cancel (silent: at once) aborts before anything was written.
!macro WaitWhileFilesInUse FUNCTION
  ${Do}
    StrCpy $R9 ""
    Call ${FUNCTION}
    ${If} $R9 == ""
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(FileInUse)" /SD IDCANCEL IDRETRY +2
    Abort "$R9 is in use; nothing was changed."
  ${Loop}
!macroend

; $R9 as NoteFileInUse sets it, for every place in list FILE (the plan, or the uninstaller's record).
!macro NoteFilesInUseAtPlaces FILE
  ReadINIStr $R8 "${FILE}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R6 "${FILE}" "Place$R7" "Folder"
    !insertmacro PluginFiles NoteFileInUse "$R6"
  ${Next}
!macroend

; First of all: every file the chosen parts replace, at every place, so that a cancelled upgrade
; leaves each file and registry value as it was, not some of them new.
Section "-Files in use"
  Call MakePlan
  !insertmacro WaitWhileFilesInUse FindFileInUse
SectionEnd

; ---- Installing -----------------------------------------------------------------------------

Section "Plug-in" SecPlugin
  SectionIn RO
  StrCpy $readmePath ""
  ReadINIStr $R8 "${PLAN}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R6 "${PLAN}" "Place$R7" "Folder"
    ReadINIStr $R5 "${PLAN}" "Place$R7" "Player"
    ; Each place: the plug-in and its texts, and no uninstaller of an earlier build.
    SetOutPath $R6
    SetOverwrite on
    File "${DLL}"
    File "/oname=${README_NAME}" "${README_FILE}"
    File "/oname=${LICENSE_NAME}" "${LICENSE_FILE}"
    File "/oname=${NOTICES_NAME}" "${NOTICES_FILE}"
    Delete "$R6\${UNINSTALLER}"
    ${If} $readmePath == ""
      StrCpy $readmePath "$R6\${README_NAME}"
    ${EndIf}
  ${Next}

  SetOutPath "${OUR_FOLDER}"
  WriteUninstaller "${OUR_FOLDER}\${UNINSTALLER}"
  CopyFiles /SILENT "${PLAN}" "${OUR_FOLDER}\${PLACES_FILE}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Smearscope (Winamp visualisation plug-in)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the Smearscope developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${OUR_FOLDER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${OUR_FOLDER}\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${OUR_FOLDER}\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  DeleteRegValue HKLM "${UNINSTALL_KEY}" "CreatedPluginsFolder"
SectionEnd

; The app plays the player's part: "Smearscope" draws what the PC plays, "Smearscope settings"
; opens the plug-in's configuration. It runs a copy of the plug-in beside it from the user's
; %LOCALAPPDATA%\Smearscope, which keeps that copy's Smearscope.ini.
Section /o "Without Winamp" SecStandalone
  SetOutPath "${OUR_FOLDER}"
  File "${APP}"
  File "${DLL}"
  File "/oname=${APP_LICENSE}" "${LICENSE_FILE}"
  File "/oname=${APP_NOTICES}" "${NOTICES_FILE}"
  Delete "${OUR_FOLDER}\${OLD_HOST_EXE}"
  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\Smearscope.lnk" "${OUR_FOLDER}\${APP_EXE}" "" "${OUR_FOLDER}\${APP_EXE}" 0 SW_SHOWNORMAL
  CreateShortCut "$SMPROGRAMS\Smearscope settings.lnk" "${OUR_FOLDER}\${APP_EXE}" "--config" "${OUR_FOLDER}\${APP_EXE}" 0 SW_SHOWNORMAL
  WriteRegStr HKLM "${UNINSTALL_KEY}" "StandaloneFolder" "${OUR_FOLDER}"
SectionEnd

; Adds the size of file PATH, when there, to $1 (bytes).
!macro AddFileSize PATH
  ClearErrors
  FileOpen $0 "${PATH}" r
  ${IfNot} ${Errors}
    FileSeek $0 0 END $2
    FileClose $0
    IntOp $1 $1 + $2
  ${EndIf}
!macroend

; Last: the list of programs shows the app's icon where it was installed (else the uninstaller's),
; and the size of what this install put at every place and in our folder, in KB.
Section "-Uninstall entry"
  ${If} ${SectionIsSelected} ${SecStandalone}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"${OUR_FOLDER}\${APP_EXE}",0'
  ${Else}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"${OUR_FOLDER}\${UNINSTALLER}",0'
  ${EndIf}
  StrCpy $1 0
  ReadINIStr $R8 "${PLAN}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R6 "${PLAN}" "Place$R7" "Folder"
    !insertmacro PluginFiles AddFileSize "$R6"
  ${Next}
  !insertmacro AddFileSize "${OUR_FOLDER}\${UNINSTALLER}"
  !insertmacro AddFileSize "${OUR_FOLDER}\${PLACES_FILE}"
  !insertmacro StandaloneFiles AddFileSize "${OUR_FOLDER}"
  IntOp $1 $1 + 1023
  IntOp $1 $1 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

; After the sections: it asks which are chosen.
Function FindFileInUse
  !insertmacro NoteFilesInUseAtPlaces "${PLAN}"
  ${If} ${SectionIsSelected} ${SecStandalone}
    !insertmacro StandaloneFiles NoteFileInUse "${OUR_FOLDER}"
  ${EndIf}
FunctionEnd

; Ticked by /WITHOUTWINAMP, and when an earlier install has it, so that an upgrade keeps it current.
Function SelectStandalone
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "StandaloneFolder"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/WITHOUTWINAMP" $2
  ${IfNot} ${Errors}
  ${OrIf} $1 != ""
    !insertmacro SelectSection ${SecStandalone}
  ${EndIf}
FunctionEnd

; ---- Start and pages (after the sections: they ask which are chosen) ---------------------

; /D= has set INSTDIR already: that folder only. Otherwise every player found. /S with no place
; to install (and not only the app asked for) writes nothing and exits with 2.
Function .onInit
  InitPluginsDir
  Call SelectStandalone
  StrCpy $folderOption 0
  StrCpy $anotherFolder 0
  ${If} $INSTDIR != ""
    StrCpy $folderOption 1
    StrCpy $anotherFolder 1
    Call WriteOtherPlayer
  ${Else}
    Call FindWinamp
    Call FindWacup
    Call FindMediaPortal
  ${EndIf}
  ${If} ${Silent}
    Call MakePlan
    ${If} $R8 = 0
    ${AndIfNot} ${SectionIsSelected} ${SecStandalone}
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

;  ---- What each part is, under the tree of parts --------------------------------------------

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPlugin} "${PLUGIN_DLL} with its README, licence and notices, into the plug-in folder of each player you tick on the next page."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStandalone} "The Smearscope program: draws whatever the PC plays, with no player. Into ${OUR_FOLDER} with its own copy of the plug-in, and Start-menu entries."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; EDIT's text grows by TEXT at its end. NOTE: an NSIS string holds at most ${NSIS_MAX_STRLEN}
; characters, fewer than the places and the players' words take: the field is filled piece by piece.
!macro AppendText EDIT TEXT
  SendMessage ${EDIT} ${WM_GETTEXTLENGTH} 0 0 $9
  SendMessage ${EDIT} ${EM_SETSEL} $9 $9
  SendMessage ${EDIT} ${EM_REPLACESEL} 0 "STR:${TEXT}"
!macroend
!define AppendText "!insertmacro AppendText"
; EDIT shown from its first line (appending scrolled it to its last).
!macro TextFieldFromTop EDIT
  SendMessage ${EDIT} ${EM_SETSEL} 0 0
  SendMessage ${EDIT} ${EM_SCROLLCARET} 0 0
!macroend

; A page's read-only field, scrolled when the text is longer than it: HEIGHT in dialog units.
; Leaves its window in $0.
!macro CreateTextField HEIGHT
  nsDialogs::CreateControl EDIT ${DEFAULT_STYLES}|${WS_TABSTOP}|${WS_VSCROLL}|${ES_MULTILINE}|${ES_READONLY}|${ES_AUTOVSCROLL} ${WS_EX_CLIENTEDGE} 0 0 100% ${HEIGHT} ""
  Pop $0
!macroend

; $R1: a player's name -> how to choose the plug-in in it, into field $0.
Function AppendChoosing
  ${If} $R1 == "Winamp"
  ${OrIf} $R1 == "WACUP"
    ${AppendText} $0 "$\r$\nIn $R1: Options > Preferences > Plug-ins > Visualization, choose $\"Korvath's OpenGL Smearscope$\" and click Start; Configure sets the window size and full screen."
  ${ElseIf} $R1 == "MediaPortal"
    ${AppendText} $0 "$\r$\nIn MediaPortal: choose $\"Korvath's OpenGL Smearscope$\" in the music player's visualisation settings."
  ${Else}
    ${AppendText} $0 "$\r$\nIn another player: choose $\"Korvath's OpenGL Smearscope$\" where it lists Winamp's visualisation plug-ins."
  ${EndIf}
FunctionEnd

; Every place the plug-in went and our own folder, and how to choose it in each player that got it.
Function FinishPage
  !insertmacro MUI_HEADER_TEXT "Smearscope is installed" "Where it went, and how to start it."
  nsDialogs::Create 1018
  Pop $0
  !insertmacro CreateTextField 112u
  ReadINIStr $R8 "${PLAN}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${If} $R8 = 0
    ${AppendText} $0 "The plug-in went into no player's folder this time."
  ${Else}
    ${AppendText} $0 "The plug-in is in:"
  ${EndIf}
  StrCpy $R2 "|"
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R6 "${PLAN}" "Place$R7" "Folder"
    ReadINIStr $R1 "${PLAN}" "Place$R7" "Player"
    ${AppendText} $0 "$\r$\n  $R1: $R6"
  ${Next}
  ${AppendText} $0 "$\r$\n$\r$\nSetup's own folder: ${OUR_FOLDER}$\r$\n  the uninstaller and its list of these places"
  ${If} ${SectionIsSelected} ${SecStandalone}
    ${AppendText} $0 ", and the Smearscope program with its copy of the plug-in"
  ${EndIf}
  ${AppendText} $0 "$\r$\n"
  ; Each player once, in the order its first place came.
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R1 "${PLAN}" "Place$R7" "Player"
    ClearErrors
    ${WordFind} $R2 "|$R1|" "E+1{" $R3
    ${If} ${Errors}
      StrCpy $R2 "$R2$R1|"
      Call AppendChoosing
    ${EndIf}
  ${Next}
  ${If} ${SectionIsSelected} ${SecStandalone}
    ${AppendText} $0 "$\r$\nWithout Winamp: start $\"Smearscope$\" in the Start menu; $\"Smearscope settings$\" opens the plug-in's settings."
  ${EndIf}
  ${If} $readmePath != ""
    ${AppendText} $0 "$\r$\n$\r$\nThe keys (H shows them in the window), the settings and what to do when a box appears are in ${README_NAME} beside the DLL."
  ${EndIf}
  !insertmacro TextFieldFromTop $0
  ${If} $readmePath != ""
    ${NSD_CreateCheckbox} 0 116u 100% 12u "Show the README"
    Pop $readmeBox
  ${EndIf}
  ; The last page: Finish, and nothing left to go back to or cancel.
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:&Finish"
  GetDlgItem $0 $HWNDPARENT 2
  EnableWindow $0 0
  GetDlgItem $0 $HWNDPARENT 3
  EnableWindow $0 0
  nsDialogs::Show
FunctionEnd

Function FinishPageLeave
  ${If} $readmePath != ""
    ${NSD_GetState} $readmeBox $0
    ${If} $0 == ${BST_CHECKED}
      ExecShell "open" "$readmePath"
    ${EndIf}
  ${EndIf}
FunctionEnd

; One box per player found, ticked when it can load the plug-in; a 64-bit one is named and greyed,
; one whose program setup cannot read is left for the user to tick.
; "Another folder..." (ticked when none was found) leads to the directory page.
Function PlayersPage
  ${If} $folderOption == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose the players" "Setup installs the plug-in into each player ticked."
  nsDialogs::Create 1018
  Pop $0
  ReadINIStr $R8 "${PLAYERS}" "Players" "Count"
  IntOp $R8 $R8 + 0
  ${If} $R8 = 0
    StrCpy $0 "Setup found no player that takes Winamp's plug-ins (Winamp, WACUP, MediaPortal). Choose the player's folder on the next page."
  ${Else}
    StrCpy $0 "Setup found these players. It copies ${PLUGIN_DLL} into the plug-in folder of each one ticked; a 64-bit player cannot load it."
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 20u $0
  Pop $0
  StrCpy $R7 24
  ${ForEach} $R9 1 $R8 + 1
    ReadINIStr $R1 "${PLAYERS}" "Player$R9" "Name"
    ReadINIStr $R2 "${PLAYERS}" "Player$R9" "Folder"
    ReadINIStr $R3 "${PLAYERS}" "Player$R9" "Machine"
    ReadINIStr $R4 "${PLAYERS}" "Player$R9" "Chosen"
    StrCpy $R5 "$R1 ($R2)"
    ${If} $R3 == "64-bit"
      StrCpy $R5 "$R5: ${CANNOT_LOAD}"
    ${ElseIf} $R3 == ""
      StrCpy $R5 "$R5: setup cannot tell whether it is 32-bit"
    ${EndIf}
    ; Three lines each: the name, then the folder and why it is not ticked, wrapped.
    ${NSD_CreateCheckbox} 0 $R7u 100% 26u $R5
    Pop $0
    ${NSD_AddStyle} $0 ${BS_MULTILINE}|${BS_TOP}
    WriteINIStr "${PLAYERS}" "Player$R9" "Box" $0
    ${If} $R4 == 1
      ${NSD_Check} $0
    ${EndIf}
    ${If} $R3 == "64-bit"
      EnableWindow $0 0
    ${EndIf}
    IntOp $R7 $R7 + 28
  ${Next}
  ${NSD_CreateCheckbox} 0 $R7u 100% 12u "Another folder..."
  Pop $anotherFolderBox
  ${If} $R8 = 0
  ${OrIf} $anotherFolder == 1
    ${NSD_Check} $anotherFolderBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function PlayersPageLeave
  StrCpy $R6 0
  ReadINIStr $R8 "${PLAYERS}" "Players" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R9 1 $R8 + 1
    ReadINIStr $0 "${PLAYERS}" "Player$R9" "Box"
    ${NSD_GetState} $0 $1
    ${If} $1 == ${BST_CHECKED}
      WriteINIStr "${PLAYERS}" "Player$R9" "Chosen" 1
      StrCpy $R6 1
    ${Else}
      WriteINIStr "${PLAYERS}" "Player$R9" "Chosen" 0
    ${EndIf}
  ${Next}
  ${NSD_GetState} $anotherFolderBox $1
  ${If} $1 == ${BST_CHECKED}
    StrCpy $anotherFolder 1
    StrCpy $R6 1
  ${Else}
    StrCpy $anotherFolder 0
  ${EndIf}
  ${If} $R6 == 0
  ${AndIfNot} ${SectionIsSelected} ${SecStandalone}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Tick a player, or Another folder..."
    Abort
  ${EndIf}
FunctionEnd

Function SkipUnlessAnotherFolder
  ${If} $anotherFolder != 1
    Abort
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES\Winamp"
  ${EndIf}
FunctionEnd

; A folder that holds no player program we know, or a 64-bit one, is taken only when confirmed.
Function CheckPlayerFolder
  Call WriteOtherPlayer
  ReadINIStr $0 "${PLAYERS}" "Other" "Machine"
  ${If} $0 == "64-bit"
    MessageBox MB_YESNO|MB_ICONQUESTION "The player in $INSTDIR is 64-bit: it cannot load this plug-in. Install into it anyway?" IDYES +2
    Abort
  ${ElseIf} $0 == ""
    MessageBox MB_YESNO|MB_ICONQUESTION "$INSTDIR holds no player setup knows (winamp.exe, wacup.exe, MediaPortal.exe). Install into its Plugins folder anyway?" IDYES +2
    Abort
  ${EndIf}
FunctionEnd

; ---- Uninstalling ---------------------------------------------------------------------------

!define RECORD "$INSTDIR\${PLACES_FILE}"

Function un.FindFileInUse
  !insertmacro NoteFilesInUseAtPlaces "${RECORD}"
  ${If} $standaloneFolder != ""
    !insertmacro StandaloneFiles NoteFileInUse "$standaloneFolder"
  ${EndIf}
FunctionEnd

!macro DeleteFile PATH
  Delete "${PATH}"
!macroend

; NOTE: Windows redirects a program's writes under Program Files that it may not make to the
; user's VirtualStore, the same path without its drive: the plug-in's settings may live there.
!macro DeleteSettings FOLDER
  Delete "${FOLDER}\${SETTINGS_FILE}"
  StrCpy $0 "${FOLDER}" 2 1
  ${If} $0 == ":\"
    StrCpy $0 "${FOLDER}" "" 3
    Delete "$LOCALAPPDATA\VirtualStore\$0\${SETTINGS_FILE}"
  ${EndIf}
!macroend

Section "-un.Files in use"
  !insertmacro WaitWhileFilesInUse un.FindFileInUse
SectionEnd

; Each recorded place: our files; then the settings when asked, then the folder when we made it.
Section "un.Smearscope" UnSecPlugin
  SectionIn RO
  ReadINIStr $R8 "${RECORD}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R6 "${RECORD}" "Place$R7" "Folder"
    !insertmacro PluginFiles DeleteFile "$R6"
  ${Next}
SectionEnd

Section "-un.Without Winamp"
  ${If} $standaloneFolder != ""
    !insertmacro StandaloneFiles DeleteFile "$standaloneFolder"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Smearscope.lnk"
    Delete "$SMPROGRAMS\Smearscope settings.lnk"
    ; The settings' VirtualStore copy and the app's folder are the user's own: $LOCALAPPDATA must
    ; be the user's again.
    SetShellVarContext current
    ; The app's copy of the plug-in is a program file, not a setting: it goes with the app.
    Delete "${USER_FOLDER}\${PLUGIN_DLL}"
    Delete "${USER_FOLDER}\smearscope.log"
  ${EndIf}
SectionEnd

Section /o "un.Your settings" UnSecSettings
  ReadINIStr $R8 "${RECORD}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R6 "${RECORD}" "Place$R7" "Folder"
    !insertmacro DeleteSettings "$R6"
  ${Next}
  ${If} $standaloneFolder != ""
    Delete "$standaloneFolder\${SETTINGS_FILE}"
    Delete "${USER_FOLDER}\${SETTINGS_FILE}"
    Delete "${USER_FOLDER}\smearscope-app.ini"
  ${EndIf}
SectionEnd

; A folder we made goes only when empty: other plug-ins and kept settings stay.
Section "-un.Our folders"
  ReadINIStr $R8 "${RECORD}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R6 "${RECORD}" "Place$R7" "Folder"
    ReadINIStr $R5 "${RECORD}" "Place$R7" "Created"
    ${If} $R5 == 1
      RMDir $R6
    ${EndIf}
  ${Next}
  Delete "${RECORD}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ${If} $standaloneFolder != ""
    RMDir "${USER_FOLDER}"
  ${EndIf}
  ${If} $ownsUninstallEntry == 1
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecPlugin} "The plug-in with its texts at every place the first page lists, the Smearscope program and its Start-menu entries, and this uninstaller."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} "${SETTINGS_FILE} at each of those places (your window size, position and switches), its VirtualStore copy, and the Smearscope program's settings."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

; The first page: every place the record names, and our own folder.
Function un.PlacesPage
  !insertmacro MUI_HEADER_TEXT "Remove Smearscope" "Every place the uninstaller takes Smearscope's files from."
  nsDialogs::Create 1018
  Pop $0
  !insertmacro CreateTextField 100%
  ${AppendText} $0 "Smearscope's files go from:"
  ReadINIStr $R8 "${RECORD}" "Places" "Count"
  IntOp $R8 $R8 + 0
  ${ForEach} $R7 1 $R8 + 1
    ReadINIStr $R6 "${RECORD}" "Place$R7" "Folder"
    ReadINIStr $R5 "${RECORD}" "Place$R7" "Player"
    ${AppendText} $0 "$\r$\n  $R5: $R6"
  ${Next}
  ${AppendText} $0 "$\r$\n  Setup's own folder: $INSTDIR"
  ${If} $standaloneFolder != ""
    ${AppendText} $0 " (the Smearscope program too)$\r$\n  The Start-menu entries $\"Smearscope$\" and $\"Smearscope settings$\""
  ${EndIf}
  ${AppendText} $0 "$\r$\n$\r$\nA folder goes only when setup made it and it is empty. Your settings stay unless you tick them on the next page. Close the players first."
  !insertmacro TextFieldFromTop $0
  nsDialogs::Show
FunctionEnd

; NOTE: NSIS shows what the sections need as "Space required", which an uninstaller frees instead.
Function un.HideSpaceRequired
  ShowWindow $mui.ComponentsPage.SpaceRequired ${SW_HIDE}
FunctionEnd

; INSTDIR is our folder. The entry in the list of programs is ours when it names this uninstaller.
Function un.onInit
  StrCpy $ownsUninstallEntry 0
  StrCpy $standaloneFolder ""
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} $0 == '"$INSTDIR\${UNINSTALLER}"'
    StrCpy $ownsUninstallEntry 1
    ReadRegStr $standaloneFolder HKLM "${UNINSTALL_KEY}" "StandaloneFolder"
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DELETESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
