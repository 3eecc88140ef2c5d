; Installer of the Remote Control utility.
;
; Puts RemoteControl.exe under the 32-bit Program Files, starts it at every user's logon,
; adds a Start-menu shortcut and lets the user pick the default TV application. Beside it goes
; RemoteMonitor.exe, the console program behind the Start-menu shortcuts "Test the remote" and
; "Edit the remote's keys". The utility's settings are machine-wide (HKLM), so the
; installation is too.
;
; Built by cmake/installer.cmake:
;   makensis -DRC_EXE=RemoteControl.exe -DRC_MONITOR_EXE=RemoteMonitor.exe -DRC_ICON=remote.ico
;            -DRC_OUTFILE=Setup.exe RemoteControl.nsi
; Silent use, for tests and deployment:
;   RemoteControl-Setup-5.0.0.1.exe /S [/DEFAULTAPP=n]   n: 1, 2, 6, 7 or 9, if installed
;   Uninstall.exe /S [/REMOVESETTINGS]
; A copy of the utility that runs in another session (another user's, or a Remote Desktop
; one) cannot be closed from here; the installer then asks to have it ended (Retry, Cancel),
; and a silent install or uninstall ends at once with exit code 2 and changes nothing.

Unicode true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "Remote Control"
!define MAKER "Zarvin Multimedia"
!define /ifndef VERSION "5.0.0.1"
!define EXE_NAME "RemoteControl.exe"
!define UNINSTALLER "Uninstall.exe"
!define WINDOW_CLASS "Remote Control"
; The named object that every running copy holds, seen from every session.
!define RUNNING_OBJECT "Global\Remote Control is running"
!define OTHER_SESSION_TEXT "Remote Control is running for another user. Ask them to exit it from its tray menu, or restart Windows, then choose Retry."
!define SHORTCUT "$SMPROGRAMS\Remote Control.lnk"
!define MONITOR_EXE_NAME "RemoteMonitor.exe"
!define MONITOR_SHORTCUT "$SMPROGRAMS\Test the remote.lnk"
!define KEYS_SHORTCUT "$SMPROGRAMS\Edit the remote's keys.lnk"
!define SETTINGS_KEY "SOFTWARE\Zarvin Multimedia\Tuner Utilities"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Remote Control"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\RemoteControl"
!define COMMON_KEY "Software\Zarvin Multimedia\TV Duo\DTVR"

!ifndef RC_EXE
  !error "Define RC_EXE, the program to install, on the makensis command line"
!endif
!ifndef RC_MONITOR_EXE
  !error "Define RC_MONITOR_EXE, the remote's test program, on the makensis command line"
!endif
!ifndef RC_ICON
  !error "Define RC_ICON, the installer's icon, on the makensis command line"
!endif
!ifndef RC_OUTFILE
  !error "Define RC_OUTFILE, the installer to write, on the makensis command line"
!endif

Name "${PRODUCT}"
OutFile "${RC_OUTFILE}"
; $PROGRAMFILES is the 32-bit Program Files folder, and a 32-bit installer reads and writes
; the 32-bit registry view, which is the one the 32-bit utility sees.
InstallDir "$PROGRAMFILES\${MAKER}\Tuner Utilities"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${MAKER}"

!define MUI_ICON "${RC_ICON}"
!define MUI_UNICON "${RC_ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
Page custom DefaultAppPage DefaultAppPageLeave
!insertmacro MUI_PAGE_INSTFILES
; Not started from here: setup runs elevated, and so would the utility.
!define MUI_FINISHPAGE_TEXT "Remote Control has been installed. It starts at every logon; \
    to start it now, choose Remote Control in the Start menu."
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_TEXT_TOP "The settings (the default TV application and the \
    AlwaysRemoteOff switch) are kept unless you tick the box below."
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${MAKER}"

; Per application, in the order of the utility's lists: 1 when it is installed.
Var Installed1
Var Installed2
Var Installed6
Var Installed7
Var Installed9
Var DefaultApp      ; the application the user picked, or empty
Var AppList         ; the list control of the default-application page

; ---------------------------------------------------------------------------------------
; Finding the TV applications, as the utility does at start

; Push key, then value name; pops 1 when the value is there and fits the utility's
; 128-byte buffer, else 0. A value of another type than text still counts, as it does for
; the utility, which does not look at the type.
Function FolderValueFound
    Exch $R1
    Exch
    Exch $R0
    Push $R2
    Push $R3
    StrCpy $R3 0
    ClearErrors
    ReadRegStr $R2 HKLM $R0 $R1
    ${IfNot} ${Errors}
    ${OrIf} $R2 != ""
        StrLen $R2 $R2
        ${If} $R2 <= 127
            StrCpy $R3 1
        ${EndIf}
    ${EndIf}
    StrCpy $R0 $R3
    Pop $R3
    Pop $R2
    Pop $R1
    Exch $R0
FunctionEnd

!macro FindApp VAR KEY VALUE RETRY
    Push "${KEY}"
    Push "${VALUE}"
    Call FolderValueFound
    Pop ${VAR}
    ; Applications 6 and 9 may be registered under the key their suite shares.
    ${If} ${VAR} == 0
    ${AndIf} ${RETRY} == 1
        Push "${COMMON_KEY}"
        Push "${VALUE}"
        Call FolderValueFound
        Pop ${VAR}
    ${EndIf}
!macroend

Function FindInstalledApps
    !insertmacro FindApp $Installed1 "SOFTWARE\Tolvane\Lumacast" "InstallPath" 0
    !insertmacro FindApp $Installed2 "Software\Marovex\TV Suite\TVR" "AppPath" 0
    !insertmacro FindApp $Installed6 "Software\Zarvin Multimedia\TV Suite\DTVR" "AppPath" 1
    !insertmacro FindApp $Installed7 "SOFTWARE\Marovex\DVB Suite\DVBS" "AppPath" 0
    !insertmacro FindApp $Installed9 "Software\Zarvin Multimedia\TV Hub\DTVR" "AppPath" 1
FunctionEnd

; Push an application number; pops 1 when it is one of the five and installed, else 0.
Function IsInstalledApp
    Exch $R0
    ${Switch} $R0
        ${Case} 1
            StrCpy $R0 $Installed1
            ${Break}
        ${Case} 2
            StrCpy $R0 $Installed2
            ${Break}
        ${Case} 6
            StrCpy $R0 $Installed6
            ${Break}
        ${Case} 7
            StrCpy $R0 $Installed7
            ${Break}
        ${Case} 9
            StrCpy $R0 $Installed9
            ${Break}
        ${Default}
            StrCpy $R0 0
    ${EndSwitch}
    Exch $R0
FunctionEnd

; Push a value name; pops 1 when the settings key holds a value of that name, of any type.
Function SettingExists
    Exch $R0
    Push $R1
    Push $R2
    StrCpy $R2 0
    ${Do}
        ClearErrors
        EnumRegValue $R1 HKLM "${SETTINGS_KEY}" $R2
        ${If} ${Errors}
        ${OrIf} $R1 == ""
            StrCpy $R0 0
            ${Break}
        ${EndIf}
        ${If} $R1 == $R0
            StrCpy $R0 1
            ${Break}
        ${EndIf}
        IntOp $R2 $R2 + 1
    ${Loop}
    Pop $R2
    Pop $R1
    Exch $R0
FunctionEnd

!macro CreateSettingIfMissing NAME VALUE
    Push "${NAME}"
    Call SettingExists
    Pop $R0
    ${If} $R0 == 0
        WriteRegDWORD HKLM "${SETTINGS_KEY}" "${NAME}" ${VALUE}
    ${EndIf}
!macroend

; ---------------------------------------------------------------------------------------
; The default-application page

!macro AddAppEntry ID LABEL
    ${If} $Installed${ID} == 1
        SendMessage $AppList ${LB_ADDSTRING} 0 "STR:${LABEL}"
        ${If} $R1 == ${ID}
            SendMessage $AppList ${LB_SELECTSTRING} -1 "STR:${LABEL}"
        ${EndIf}
    ${EndIf}
!macroend

Function DefaultAppPage
    !insertmacro MUI_HEADER_TEXT "Default TV application" \
        "Choose the TV application that the Power key of the remote starts."
    nsDialogs::Create 1018
    Pop $R0
    ${If} $R0 == error
        Abort
    ${EndIf}

    IntOp $R2 $Installed1 + $Installed2
    IntOp $R2 $R2 + $Installed6
    IntOp $R2 $R2 + $Installed7
    IntOp $R2 $R2 + $Installed9
    ${If} $R2 == 0
        ${NSD_CreateLabel} 0 0 100% 40u "No supported TV application is installed on this \
            computer. Install one, then choose it in the utility's Setting dialog (right-click \
            the remote icon in the notification area)."
        Pop $R0
        StrCpy $AppList ""
        nsDialogs::Show
        Return
    ${EndIf}

    ${NSD_CreateLabel} 0 0 100% 24u "These TV applications are installed. The Power key of \
        the remote starts the one you select; you can change it later in the Setting dialog."
    Pop $R0
    ${NSD_CreateListBox} 0 30u 60% 70u ""
    Pop $AppList

    ; Preselect the user's choice on the command line, else the current setting, else the
    ; utility's own default (9); when that is not installed, the first entry.
    StrCpy $R1 $DefaultApp
    ${If} $R1 == ""
        ClearErrors
        ReadRegDWORD $R1 HKLM "${SETTINGS_KEY}" "DefaultTVAPP"
        ${If} ${Errors}
            StrCpy $R1 9
        ${EndIf}
    ${EndIf}
    !insertmacro AddAppEntry 1 "Lumacast"
    !insertmacro AddAppEntry 2 "VantorTVR"
    !insertmacro AddAppEntry 6 "Omnivue"
    !insertmacro AddAppEntry 7 "DVBS SUITE"
    !insertmacro AddAppEntry 9 "OmnivueCenter"
    SendMessage $AppList ${LB_GETCURSEL} 0 0 $R0
    ${If} $R0 == ${LB_ERR}
        SendMessage $AppList ${LB_SETCURSEL} 0 0
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function DefaultAppPageLeave
    ${If} $AppList == ""
        Return
    ${EndIf}
    ${NSD_LB_GetSelection} $AppList $R0
    ${Switch} $R0
        ${Case} "Lumacast"
            StrCpy $DefaultApp 1
            ${Break}
        ${Case} "VantorTVR"
            StrCpy $DefaultApp 2
            ${Break}
        ${Case} "Omnivue"
            StrCpy $DefaultApp 6
            ${Break}
        ${Case} "DVBS SUITE"
            StrCpy $DefaultApp 7
            ${Break}
        ${Case} "OmnivueCenter"
            StrCpy $DefaultApp 9
            ${Break}
    ${EndSwitch}
FunctionEnd

; ---------------------------------------------------------------------------------------
; Ending a running copy. The utility ends when its hidden window of class "Remote
; Control" receives WM_CLOSE; the file stays locked until its process is gone. A copy in
; another session has no window here, only its mark, which it gives back when it ends.

!macro CloseRunningCopy UN
Function ${UN}CloseRunningCopy
    StrCpy $R1 0
    ${Do}
        FindWindow $R0 "${WINDOW_CLASS}"
        ${If} $R0 == 0
            ${Break}
        ${EndIf}
        DetailPrint "Closing the running Remote Control"
        SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=3000
        Sleep 200
        IntOp $R1 $R1 + 1
    ${LoopWhile} $R1 < 25
FunctionEnd

; Pushes 1 while a copy holds its mark. A mark that this account may not open (another
; user's) still exists.
Function ${UN}CopyHoldsMark
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_OBJECT}") p.r0 ?e'
    Pop $1
    ${If} $0 != 0
        System::Call 'kernel32::CloseHandle(p r0)'
        Push 1
    ${ElseIf} $1 == 5
        Push 1
    ${Else}
        Push 0
    ${EndIf}
FunctionEnd

; Before anything is written or removed: the closed copy of this session gives its mark back
; as its process ends; a mark still held then is another session's copy.
Function ${UN}WaitForOtherSessions
    StrCpy $R1 0
    ${Do}
        Call ${UN}CopyHoldsMark
        Pop $R0
        ${If} $R0 == 0
            ${Break}
        ${EndIf}
        ${If} $R1 < 50
            Sleep 200
            IntOp $R1 $R1 + 1
            ${Continue}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${OTHER_SESSION_TEXT}" /SD IDCANCEL IDRETRY retry
        Abort "Remote Control is running for another user: nothing was changed."
      retry:
    ${Loop}
FunctionEnd

; Waits until the program file can go.
Function ${UN}FreeProgramFile
    StrCpy $R1 0
    ${Do}
        ClearErrors
        Delete "$INSTDIR\${EXE_NAME}"
        ${IfNot} ${Errors}
            ${Break}
        ${EndIf}
        Sleep 200
        IntOp $R1 $R1 + 1
    ${LoopWhile} $R1 < 25
FunctionEnd
!macroend
!insertmacro CloseRunningCopy ""
!insertmacro CloseRunningCopy "un."

; ---------------------------------------------------------------------------------------
; Installer

Function .onInit
    SetShellVarContext all
    Call FindInstalledApps
    StrCpy $DefaultApp ""
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/DEFAULTAPP=" $R1
    ${IfNot} ${Errors}
        Push $R1
        Call IsInstalledApp
        Pop $R2
        ${If} $R2 == 1
            StrCpy $DefaultApp $R1
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Remote Control" SecProgram
    SectionIn RO
    Call CloseRunningCopy
    Call WaitForOtherSessions
    SetOutPath "$INSTDIR"
    Call FreeProgramFile
    File "/oname=${EXE_NAME}" "${RC_EXE}"
    File "/oname=${MONITOR_EXE_NAME}" "${RC_MONITOR_EXE}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateShortCut "${SHORTCUT}" "$INSTDIR\${EXE_NAME}" "" "$INSTDIR\${EXE_NAME}" 0
    ; The console program opens a console window of its own and waits for Enter at its end.
    CreateShortCut "${MONITOR_SHORTCUT}" "$INSTDIR\${MONITOR_EXE_NAME}" "" \
        "$INSTDIR\${EXE_NAME}" 0 SW_SHOWNORMAL "" "See what the remote sends, and what Remote Control would do with it"
    ; The user's own keys.ini, made from a commented template if there is none yet, in
    ; Notepad; the console stays open only to show why that failed.
    CreateShortCut "${KEYS_SHORTCUT}" "$INSTDIR\${MONITOR_EXE_NAME}" "--edit-keys" \
        "$INSTDIR\${EXE_NAME}" 0 SW_SHOWNORMAL "" "Give the remote's keys your own meaning, for any program"
    ; All users: the settings the utility reads are machine-wide as well.
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${EXE_NAME}"'

    ; The settings: the chosen default application, and whatever the utility would create
    ; at its first start; a value that is already there is never replaced, except
    ; "DefaultTVAPP" by a choice made here. Writing them now, as administrator, keeps a
    ; standard user's first start from making a per-user copy that later changes under
    ; HKLM would not reach.
    ${If} $DefaultApp != ""
        WriteRegDWORD HKLM "${SETTINGS_KEY}" "DefaultTVAPP" $DefaultApp
    ${EndIf}
    !insertmacro CreateSettingIfMissing "DefaultTVAPP" 9
    !insertmacro CreateSettingIfMissing "AlwaysRemoteOff" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE_NAME},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; ---------------------------------------------------------------------------------------
; Uninstaller


Section "-un.Program"
    Call un.CloseRunningCopy
    Call un.WaitForOtherSessions
    Call un.FreeProgramFile
    Delete "$INSTDIR\${EXE_NAME}"
    Delete "$INSTDIR\${MONITOR_EXE_NAME}"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    ; The maker's folder goes when nothing else of the maker's is left in it.
    ${GetParent} "$INSTDIR" $R0
    ${GetFileName} $R0 $R1
    ${If} $R1 == "${MAKER}"
        RMDir $R0
    ${EndIf}
    Delete "${SHORTCUT}"
    Delete "${MONITOR_SHORTCUT}"
    Delete "${KEYS_SHORTCUT}"
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove the settings" SecRemoveSettings
    DeleteRegKey HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "SOFTWARE\${MAKER}"
    ; The copy Windows keeps for this user when the utility ran without administrator
    ; rights (registry virtualization), in the 64-bit and in the 32-bit Windows layout.
    DeleteRegKey HKCU "Software\Classes\VirtualStore\MACHINE\SOFTWARE\WOW6432Node\${MAKER}\Tuner Utilities"
    DeleteRegKey HKCU "Software\Classes\VirtualStore\MACHINE\SOFTWARE\${MAKER}\Tuner Utilities"
SectionEnd

Function un.onInit
    SetShellVarContext all
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/REMOVESETTINGS" $R1
    ${IfNot} ${Errors}
        SectionSetFlags ${SecRemoveSettings} ${SF_SELECTED}
    ${EndIf}
FunctionEnd
