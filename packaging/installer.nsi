; The Smearscope installer: puts vis_Smearscope.dll and its texts (README, licence, third-party
; notices) into the Plugins folder of the player's folder, and optionally the app (smearscope.exe)
; with the plug-in into a folder of their own with Start-menu entries, with an uninstaller that
; takes away only what the installer put there. Built by scripts/package:
;   makensis -DVERSION=1.0.0 -DDLL=path -DAPP=path -DLICENSE_FILE=path -DREADME_FILE=path
;            -DNOTICES_FILE=path -DOUTFILE=path [-DTARGET=amd64-unicode]
; Command line: /S silent, /WITHOUTWINAMP also the app and its Start-menu entries, /D=FOLDER the
; player's folder (last, unquoted). The uninstaller takes /S and /DELETESETTINGS (also remove
; Smearscope.ini and its VirtualStore copy, otherwise kept).

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
!insertmacro Required OUTFILE
!ifdef TARGET
  Target ${TARGET}
!else
  Unicode true
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

!define PLAYER_KEY "Software\Winamp"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Smearscope"
!define UNINSTALLER "Smearscope-uninstall.exe"
!define PLUGIN_DLL "vis_Smearscope.dll"
!define SETTINGS_FILE "Smearscope.ini"
; The Plugins folder is shared with other plug-ins: our texts carry our name.
!define README_NAME "Smearscope-README.txt"
!define LICENSE_NAME "Smearscope-LICENSE.txt"
!define NOTICES_NAME "Smearscope-THIRD-PARTY-NOTICES.txt"
!define APP_EXE "smearscope.exe"
; What earlier builds put in the standalone folder: an upgrade takes it away.
!define OLD_HOST_EXE "smearscope-host.exe"
!define STANDALONE_FOLDER "$PROGRAMFILES\Smearscope"
; The app runs a per-user copy of the plug-in with its settings and log in the user's folder.
!define USER_FOLDER "$LOCALAPPDATA\Smearscope"

; Every file each part puts in (or takes from) its folder: the installer checks them all before its
; first write, and the uninstaller checks and then deletes the same. A part that installs a new file
; adds it here, beside its File line.
!macro PluginFiles CALL FOLDER
  !insertmacro ${CALL} "${FOLDER}\${PLUGIN_DLL}"
  !insertmacro ${CALL} "${FOLDER}\${README_NAME}"
  !insertmacro ${CALL} "${FOLDER}\${LICENSE_NAME}"
  !insertmacro ${CALL} "${FOLDER}\${NOTICES_NAME}"
  !insertmacro ${CALL} "${FOLDER}\${UNINSTALLER}"
!macroend
!macro StandaloneFiles CALL FOLDER
  !insertmacro ${CALL} "${FOLDER}\${APP_EXE}"
  !insertmacro ${CALL} "${FOLDER}\${OLD_HOST_EXE}"
  !insertmacro ${CALL} "${FOLDER}\${PLUGIN_DLL}"
!macroend

Name "Smearscope ${VERSION}"
OutFile "${OUTFILE}"
; The player's folder is usually under Program Files, and the uninstall entry goes to HKLM.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
; A DLL that cannot be written stops the install or is retried; skipping it would leave the
; uninstaller and its entry pointing at someone else's file.
AllowSkipFiles off
BrandingText "Smearscope ${VERSION}"

Var createdPluginsFolder
Var ownsUninstallEntry
Var standaloneFolder   ; the uninstaller's: where the app went, "" when it was not installed

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!define MUI_COMPONENTSPAGE_TEXT_TOP "Without Winamp, Smearscope can draw whatever the PC plays: tick it to install the Smearscope program with its own copy of the plug-in, and Start-menu entries."
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup copies ${PLUGIN_DLL} into the Plugins folder of your Winamp folder. It found the folder below; if Winamp lives elsewhere, choose its folder (the one that holds winamp.exe)."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Winamp folder"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckPlayerFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Smearscope is installed"
!define MUI_FINISHPAGE_TEXT "To use it, start Winamp and open Options > Preferences > Plug-ins > Visualization. Choose $\"Korvath's OpenGL Smearscope$\" and click Start; Configure sets the window size and full screen.$\r$\n$\r$\nThe keys (H shows them in the window), the settings and what to do when a box appears are in ${README_NAME} in the Plugins folder."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Plugins\${README_NAME}"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the README"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Smearscope.ini holds your window size, position and switches. Tick it to remove it too, with the copy Windows may keep in your VirtualStore folder."
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
LangString FileInUse ${LANG_ENGLISH} "$R9 is in use.$\r$\n$\r$\nClose the program that holds it (Winamp, or Smearscope without Winamp), then click Retry. Cancel leaves everything as it was."

; Where the player is: the folder it records in the registry, else the usual program folders.
; /D= on the command line has set INSTDIR already and wins over both.
Function .onInit
  Call SelectStandalone
  ${If} $INSTDIR != ""
    Return
  ${EndIf}
  ReadRegStr $0 HKCU "${PLAYER_KEY}" ""
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\*.*"
    StrCpy $INSTDIR $0
  ${ElseIf} ${FileExists} "$PROGRAMFILES\Winamp\*.*"
    StrCpy $INSTDIR "$PROGRAMFILES\Winamp"
  ${ElseIf} ${FileExists} "$PROGRAMFILES64\Winamp\*.*"
    StrCpy $INSTDIR "$PROGRAMFILES64\Winamp"
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES\Winamp"
  ${EndIf}
FunctionEnd

Function CheckPlayerFolder
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    MessageBox MB_YESNO|MB_ICONQUESTION "$INSTDIR has no winamp.exe. Install into its Plugins folder anyway?" IDYES +2
    Abort
  ${EndIf}
FunctionEnd

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

; First of all: every file the chosen parts replace, so that a cancelled upgrade leaves each file
; and registry value as it was, not half of them new.
Section "-Files in use"
  !insertmacro WaitWhileFilesInUse FindFileInUse
SectionEnd

Section "Smearscope" SecPlugin
  SectionIn RO

  ; The Plugins folder is removed on uninstall only if this installer made it. An upgrade in the
  ; same folder keeps what the first install found.
  StrCpy $createdPluginsFolder 0
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 == $INSTDIR
    ReadRegDWORD $createdPluginsFolder HKLM "${UNINSTALL_KEY}" "CreatedPluginsFolder"
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\Plugins\*.*"
    StrCpy $createdPluginsFolder 1
  ${EndIf}

  SetOutPath "$INSTDIR\Plugins"
  SetOverwrite on
  File "${DLL}"
  File "/oname=${README_NAME}" "${README_FILE}"
  File "/oname=${LICENSE_NAME}" "${LICENSE_FILE}"
  File "/oname=${NOTICES_NAME}" "${NOTICES_FILE}"
  WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Smearscope (Winamp visualisation plug-in)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the Smearscope developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "CreatedPluginsFolder" $createdPluginsFolder
  ${GetSize} "$INSTDIR\Plugins" "/M=${PLUGIN_DLL} /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The app plays the player's part: "Smearscope" draws what the PC plays, "Smearscope settings"
; opens the plug-in's configuration. It runs a copy of the plug-in beside it from the user's
; %LOCALAPPDATA%\Smearscope, which keeps that copy's Smearscope.ini.
Section /o "Smearscope without Winamp" SecStandalone
  SetOutPath "${STANDALONE_FOLDER}"
  File "${APP}"
  File "${DLL}"
  Delete "${STANDALONE_FOLDER}\${OLD_HOST_EXE}"
  SetShellVarContext all
  CreateShortCut "$SMPROGRAMS\Smearscope.lnk" "${STANDALONE_FOLDER}\${APP_EXE}" "" "" 0 SW_SHOWNORMAL
  CreateShortCut "$SMPROGRAMS\Smearscope settings.lnk" "${STANDALONE_FOLDER}\${APP_EXE}" "--config" "" 0 SW_SHOWNORMAL
  WriteRegStr HKLM "${UNINSTALL_KEY}" "StandaloneFolder" "${STANDALONE_FOLDER}"
SectionEnd

; After the sections: it asks which are chosen.
Function FindFileInUse
  !insertmacro PluginFiles NoteFileInUse "$INSTDIR\Plugins"
  ${If} ${SectionIsSelected} ${SecStandalone}
    !insertmacro StandaloneFiles NoteFileInUse "${STANDALONE_FOLDER}"
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

; The uninstaller's own file is the running one (or the one that started this copy, ending): it is
; never in the way.
!macro NoteFileInUseButUninstaller PATH
  !if "${PATH}" != "$INSTDIR\${UNINSTALLER}"
    !insertmacro NoteFileInUse "${PATH}"
  !endif
!macroend

Function un.FindFileInUse
  !insertmacro PluginFiles NoteFileInUseButUninstaller "$INSTDIR"
  ${If} $standaloneFolder != ""
    !insertmacro StandaloneFiles NoteFileInUse "$standaloneFolder"
  ${EndIf}
FunctionEnd

!macro DeleteFile PATH
  Delete "${PATH}"
!macroend

Section "-un.Files in use"
  !insertmacro WaitWhileFilesInUse un.FindFileInUse
SectionEnd

Section "un.Smearscope" UnSecPlugin
  SectionIn RO
  !insertmacro PluginFiles DeleteFile "$INSTDIR"
  ${If} $ownsUninstallEntry == 1
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
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

Section /o "un.Your settings (${SETTINGS_FILE})" UnSecSettings
  Delete "$INSTDIR\${SETTINGS_FILE}"
  ; NOTE: Windows redirects a program's writes under Program Files that it may not make to the
  ; user's VirtualStore, the same path without its drive: the plug-in's settings may live there.
  StrCpy $0 $INSTDIR 2 1
  ${If} $0 == ":\"
    StrCpy $0 $INSTDIR "" 3
    Delete "$LOCALAPPDATA\VirtualStore\$0\${SETTINGS_FILE}"
  ${EndIf}
  ${If} $standaloneFolder != ""
    Delete "$standaloneFolder\${SETTINGS_FILE}"
    Delete "${USER_FOLDER}\${SETTINGS_FILE}"
    Delete "${USER_FOLDER}\smearscope-app.ini"
  ${EndIf}
SectionEnd

Section "-un.Plugins folder"
  ${If} $createdPluginsFolder == 1
    RMDir "$INSTDIR"  ; only when empty: other plug-ins and kept settings stay
  ${EndIf}
  ${If} $standaloneFolder != ""
    RMDir "$standaloneFolder"  ; only when empty: kept settings stay
    RMDir "${USER_FOLDER}"
  ${EndIf}
SectionEnd

; The uninstaller lives in the Plugins folder, so here INSTDIR is that folder. The entry in the
; list of programs describes the latest install; after an install into a second player's folder it
; is that one's, and uninstalling the first leaves it (and knows nothing of who made the folder).
Function un.onInit
  StrCpy $ownsUninstallEntry 0
  StrCpy $createdPluginsFolder 0
  StrCpy $standaloneFolder ""
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} $0 == '"$INSTDIR\${UNINSTALLER}"'
    StrCpy $ownsUninstallEntry 1
    ReadRegDWORD $createdPluginsFolder HKLM "${UNINSTALL_KEY}" "CreatedPluginsFolder"
    ReadRegStr $standaloneFolder HKLM "${UNINSTALL_KEY}" "StandaloneFolder"
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DELETESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
