; The installer of the Windows edition.
;
; It installs one of the two programs, English or German (only one Tavolin
; runs on a machine), with its help document, the ASCII table, the signal
; sound and the console edition into "Program Files\Tavolin"; registers the
; event source "Tavolin" with the program as its message file; starts the
; program at every user's log-on; adds a start-menu entry and an entry under
; "Apps" / "Programs and Features". The uninstaller takes all of that away
; and keeps the settings (HKLM\SOFTWARE\Brellmark\Tavolin) unless asked to
; remove them.
;
; Built by the Windows build (target tavolin-setup, cmake/BuildInstaller.cmake):
;   makensis -DVERSION=2.10.00 -DFILES=<folder with the programs and files>
;            -DRESOURCES=<resources folder> -DOUTFILE=<setup.exe>
;            [-DSIGN_COMMAND=<command with %1 for the file>] tavolin.nsi
;
; The installer's command line:
;   /S              silent: no windows
;   /LANG=en|de     the program's language (without it a dialog asks; a
;                   silent installation takes the language chosen last time,
;                   else German on a German Windows, else English)
;   /D=FOLDER       the installation folder (last, without quotes)
; The uninstaller's: /S (silent) and /REMOVESETTINGS (remove the settings too;
; the uninstaller's window offers it as a check box). Its QuietUninstallString
; runs a copy of it in place ("_?=") through cmd, so that a deployment tool
; gets its real exit code.
; Exit codes: 0 installed (or removed); 1 cancelled; 2 not done: Tavolin is
; running, no administrator rights, a wrong /LANG, or a folder that cannot be
; protected.
;
; A folder outside Program Files gets the access list of Program Files'
; folders: administrators and the system may change it, users read and run
; (the program in it starts at every user's log-on).
;
; The installation is checked with "tavolin-console.exe -e", which ends:
; no Tavolin runs elevated after the installer. Its exit code (0 reading
; started, 5 not) and its output go to install-check.log in the installation
; folder; silently always, with windows when the last page's check box is
; checked, which also shows them. The last page's other check box starts the
; program, with the rights of the user logged on, not the installer's.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!ifndef VERSION | FILES | RESOURCES | OUTFILE
  !error "makensis -DVERSION=... -DFILES=... -DRESOURCES=... -DOUTFILE=... tavolin.nsi"
!endif

!define PRODUCT "Elvor Tavolin"
!define PUBLISHER "Brellmark"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavolin"
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Tavolin"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "SOFTWARE\Brellmark\Tavolin"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define CHECK_LOG "install-check.log"
!define QUIET_COPY "tavolin-uninstall.exe"
; Administrators and SYSTEM: full control; users: read and run; nothing
; inherited from a parent folder that might let users write.
!define FOLDER_ACL "D:PAI(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"

; Signing: the installer and the uninstaller, each once it is written.
!ifdef SIGN_COMMAND
  !finalize '${SIGN_COMMAND}' = 0
  !uninstfinalize '${SIGN_COMMAND}' = 0
!endif

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tavolin"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

; VIProductVersion wants four numbers: 2.10.00 is 2.10.0.0.
!searchparse "${VERSION}" "" VERSION_MAJOR "." VERSION_MINOR "." VERSION_PATCH
!define /math VERSION_PATCH_NUMBER ${VERSION_PATCH} + 0
VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH_NUMBER}.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH_NUMBER}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

Var Program      ; tavolin_en.exe or tavolin_de.exe
Var HelpDocument ; TavoHelp.mht or TavoHilfe.mht

; ---------------------------------------------------------------------------
; Pages

!define MUI_ICON "${RESOURCES}\tavolin.ico"
!define MUI_UNICON "${RESOURCES}\tavolin.ico"
!define MUI_ABORTWARNING

; The language of the installer is the language of the program.
!define MUI_LANGDLL_ALWAYSSHOW
!define MUI_LANGDLL_WINDOWTITLE "${PRODUCT} ${VERSION}"
!define MUI_LANGDLL_INFO "Language of the program / Sprache des Programms:"
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Language"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(CheckInstallation)"
!define MUI_FINISHPAGE_RUN_FUNCTION CheckInstallation
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(StartProgram)"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION StartProgram
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString CheckInstallation ${LANG_ENGLISH} "Check the installation: read once from the reader"
LangString CheckInstallation ${LANG_GERMAN} "Installation prüfen: einmal vom Leser lesen"
LangString StartProgram ${LANG_ENGLISH} "Start ${PRODUCT} now"
LangString StartProgram ${LANG_GERMAN} "${PRODUCT} jetzt starten"
LangString CheckFailed ${LANG_ENGLISH} "Reading did not start. To change the settings, start ${PRODUCT} as administrator (right-click, Run as administrator) and open Settings."
LangString CheckFailed ${LANG_GERMAN} "Das Lesen startete nicht. Um die Einstellungen zu ändern, ${PRODUCT} als Administrator starten (Rechtsklick, Als Administrator ausführen) und Einstellungen öffnen."
LangString Running ${LANG_ENGLISH} "${PRODUCT} is running. End it (Exit in its window) and try again."
LangString Running ${LANG_GERMAN} "${PRODUCT} läuft. Bitte beenden (Beenden im Programmfenster) und noch einmal versuchen."
LangString NotProtected ${LANG_ENGLISH} "The folder $INSTDIR cannot be protected against changes by users. Choose another folder."
LangString NotProtected ${LANG_GERMAN} "Der Ordner $INSTDIR kann nicht vor Änderungen durch Benutzer geschützt werden. Bitte einen anderen Ordner wählen."
LangString NoAdmin ${LANG_ENGLISH} "Installing ${PRODUCT} needs administrator rights."
LangString NoAdmin ${LANG_GERMAN} "Die Installation von ${PRODUCT} braucht Administratorrechte."
LangString WrongLanguage ${LANG_ENGLISH} "/LANG= takes en or de."
LangString WrongLanguage ${LANG_GERMAN} "/LANG= erwartet en oder de."
LangString ProgramSection ${LANG_ENGLISH} "Program, start-menu entry, start at log-on, event source"
LangString ProgramSection ${LANG_GERMAN} "Programm, Startmenüeintrag, Start bei der Anmeldung, Ereignisquelle"
LangString SettingsSection ${LANG_ENGLISH} "Settings (reader, card data, additional characters)"
LangString SettingsSection ${LANG_GERMAN} "Einstellungen (Leser, Kartendaten, zusätzliche Zeichen)"

; ---------------------------------------------------------------------------
; Shared by installer and uninstaller

; A message box, or nothing when silent; then the end with exit code 2.
!macro RefuseWith text
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel 2
  Abort
!macroend

; Files of a running program cannot be replaced: Tavolin holds its mutex
; for as long as it runs, in any session (a program of another
; administrator refuses access to it).
!macro RefuseWhileRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Global\TavolinMutex") p .r0 ?e'
  Pop $1
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    !insertmacro RefuseWith "$(Running)"
  ${ElseIf} $1 = 5
    !insertmacro RefuseWith "$(Running)"
  ${EndIf}
!macroend

!macro RefuseWithoutAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    !insertmacro RefuseWith "$(NoAdmin)"
  ${EndIf}
!macroend

; ---------------------------------------------------------------------------
; Installer

Function .onInit
  SetShellVarContext all
  SetRegView 64
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/LANG=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == "de"
      StrCpy $LANGUAGE ${LANG_GERMAN}
    ${ElseIf} $R1 == "en"
      StrCpy $LANGUAGE ${LANG_ENGLISH}
    ${Else}
      !insertmacro RefuseWith "$(WrongLanguage)"
    ${EndIf}
  ${Else}
    !insertmacro MUI_LANGDLL_DISPLAY
  ${EndIf}
  !insertmacro RefuseWithoutAdmin
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "-Program"
  ${If} $LANGUAGE = ${LANG_GERMAN}
    StrCpy $Program "tavolin_de.exe"
    StrCpy $HelpDocument "TavoHilfe.mht"
  ${Else}
    StrCpy $Program "tavolin_en.exe"
    StrCpy $HelpDocument "TavoHelp.mht"
  ${EndIf}

  SetOutPath "$INSTDIR"
  Call ProtectFolder
  ; The other language's files, from an installation before.
  Delete "$INSTDIR\tavolin_en.exe"
  Delete "$INSTDIR\tavolin_de.exe"
  Delete "$INSTDIR\TavoHelp.mht"
  Delete "$INSTDIR\TavoHilfe.mht"
  ${If} $LANGUAGE = ${LANG_GERMAN}
    File "${FILES}\tavolin_de.exe"
    File "${FILES}\TavoHilfe.mht"
  ${Else}
    File "${FILES}\tavolin_en.exe"
    File "${FILES}\TavoHelp.mht"
  ${EndIf}
  File "${FILES}\Ascii.htm"
  File "${FILES}\Elvorbeep.wav"
  File "${FILES}\tavolin-console.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The event viewer takes the texts of the entries from the program's
  ; message table.
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\$Program"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7

  ; Every user's log-on starts it; the first one keeps running, later ones
  ; say that it runs and end.
  WriteRegStr HKLM "${RUN_KEY}" "Tavolin" '"$INSTDIR\$Program"'
  CreateShortcut "${SHORTCUT}" "$INSTDIR\$Program" "" "$INSTDIR\$Program" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\$Program"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  ; An uninstaller started from its folder runs on as a copy and returns
  ; at once, with 0 whatever happens; its copy is made here, and run in
  ; place of it ("_?="), so that cmd returns its real exit code.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$SYSDIR\cmd.exe" /d /c copy /y "$INSTDIR\uninstall.exe" "%TEMP%\${QUIET_COPY}" >nul && "%TEMP%\${QUIET_COPY}" /S _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Language" $LANGUAGE
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; Silent: the console edition checks, and its answer is kept for
  ; whoever installed.
  ${If} ${Silent}
    Call CheckWithConsole
  ${EndIf}
SectionEnd

; A folder outside Program Files does not inherit Program Files' rights:
; it is given them, before anything is put into it.
Function ProtectFolder
  StrLen $0 "$PROGRAMFILES64\"
  StrCpy $1 "$INSTDIR" $0
  ${If} $1 == "$PROGRAMFILES64\"
    Return
  ${EndIf}
  StrCpy $R9 -1
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${FOLDER_ACL}", i 1, *p .r0, p 0) i .r1'
  ${If} $1 <> 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r0, *i .r2, *p .r3, *i .r4) i .r1'
    ; SE_FILE_OBJECT; DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
    ${If} $1 <> 0
      System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000004, p 0, p 0, p r3, p 0) i .R9'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r0)'
  ${EndIf}
  ${If} $R9 <> 0
    DetailPrint "SetNamedSecurityInfo: $R9"
    RMDir "$INSTDIR"
    !insertmacro RefuseWith "$(NotProtected)"
  ${EndIf}
FunctionEnd

; The console edition reads once and ends; $0: its exit code, $1: what it said.
Function CheckWithConsole
  DetailPrint "tavolin-console.exe -e"
  nsExec::ExecToStack '"$INSTDIR\tavolin-console.exe" -e'
  Pop $0
  Pop $1
  FileOpen $2 "$INSTDIR\${CHECK_LOG}" w
  FileWrite $2 "tavolin-console.exe -e$\r$\nexit code: $0$\r$\n$1"
  FileClose $2
FunctionEnd

; The finish page's check: what the console edition said, and what to do
; when reading did not start. Nothing of it keeps running.
Function CheckInstallation
  Call CheckWithConsole
  ${If} $0 = 0
    MessageBox MB_OK|MB_ICONINFORMATION "$1"
  ${Else}
    MessageBox MB_OK|MB_ICONEXCLAMATION "$1$\r$\n$(CheckFailed)"
  ${EndIf}
FunctionEnd

; Started by the desktop's shell, so with the rights of the user logged on,
; never the installer's.
Function StartProgram
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\$Program"'
FunctionEnd

; ---------------------------------------------------------------------------
; Uninstaller

Section "un.$(ProgramSection)"
  SectionIn RO
  Delete "$INSTDIR\tavolin_en.exe"
  Delete "$INSTDIR\tavolin_de.exe"
  Delete "$INSTDIR\tavolin-console.exe"
  Delete "$INSTDIR\TavoHelp.mht"
  Delete "$INSTDIR\TavoHilfe.mht"
  Delete "$INSTDIR\Ascii.htm"
  Delete "$INSTDIR\Elvorbeep.wav"
  Delete "$INSTDIR\${CHECK_LOG}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; The quiet uninstallation's copy cannot delete itself: it goes at the
  ; next restart.
  ${If} $EXEFILE == "${QUIET_COPY}"
    Delete /REBOOTOK "$EXEPATH"
  ${EndIf}
  Delete "${SHORTCUT}"
  DeleteRegValue HKLM "${RUN_KEY}" "Tavolin"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.$(SettingsSection)" UninstallSettings
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Brellmark"
SectionEnd

; (after the sections, whose indexes it uses)
Function un.onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
  !insertmacro RefuseWithoutAdmin
  !insertmacro RefuseWhileRunning
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UninstallSettings}
  ${EndIf}
FunctionEnd
