; The per-user installer of the mouse software, built by installer/CMakeLists.txt.
; The build passes: VERSION, FILE_LISTS (list_files.py's lists of the staged
; program folder), MANUAL (the PDF, or nothing for the page-preview build),
; ART_DIR (make_art.py's pictures), OUTFILE, and the window titles by which the programs find each
; other: MONITOR_TITLE, OPTION_TITLE, OSD_TITLE.
;
; Command line besides NSIS's own /S and /D=FOLDER:
;   /NOLAUNCH   do not start Monitor at the end (scripted installs, ./run-system)

Unicode true
SetCompressor /SOLID lzma
; Settings live beside the programs, so the folder must be the user's own:
; everything goes into the user's profile and nothing asks for elevation.
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Kestra Gaming Mouse"
!define PUBLISHER "Kestra"
!define SETTINGS_KEY "Software\Kestra\Gaming Mouse"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KestraGamingMouse"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Kestra Gaming Mouse"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT}"
; The screenshots find the windows by these titles.
Caption "${PRODUCT} Setup"
UninstallCaption "${PRODUCT} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${SETTINGS_KEY}" "InstallDir"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Kestra Gaming Mouse Software"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Kestra Gaming Mouse Software Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!define MUI_ICON "${ART_DIR}/installer.ico"
!define MUI_UNICON "${ART_DIR}/installer.ico"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "${ART_DIR}/header.bmp"
!define MUI_HEADERIMAGE_UNBITMAP "${ART_DIR}/header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${ART_DIR}/side.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${ART_DIR}/side.bmp"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "This installs the Kestra gaming mouse software for you alone; it needs no administrator rights.$\r$\n$\r$\nMonitor, the tray agent, sends your settings to the mouse and starts at every logon. Option is where you change those settings.$\r$\n$\r$\nIf the software is installed already, it is updated and your settings are kept. Monitor and Option are closed while the files are replaced.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "Your settings are kept in this folder beside the programs, so choose a folder that belongs to you. To update an existing installation, keep the folder it is in."
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "The mouse software is installed and Monitor runs: its mouse icon is in the notification area. Open the mouse settings from that icon or from the Start menu."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Option.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Open the mouse settings now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\User Manual.pdf"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the user manual"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Ends a running program of the system as the programs end each other: by
; its window's title. It gets WM_CLOSE and ten seconds; one that has not
; ended by then is terminated, since its files could not be replaced.
!macro STOP_PROGRAM TITLE
  FindWindow $0 "" "${TITLE}"
  ${If} $0 <> 0
    DetailPrint "Closing $\"${TITLE}$\""
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r2)'
    ; SYNCHRONIZE | PROCESS_TERMINATE
    System::Call 'kernel32::OpenProcess(i 0x100001, i 0, i r2) p .r3'
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $3 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p r3, i 10000) i .r4'
      ${If} $4 <> 0
        DetailPrint "Ending $\"${TITLE}$\", which did not close"
        System::Call 'kernel32::TerminateProcess(p r3, i 1)'
        System::Call 'kernel32::WaitForSingleObject(p r3, i 5000)'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r3)'
    ${Else}
      ; No handle to wait on: wait for the window to go.
      StrCpy $4 0
      ${DoWhile} $4 < 100
        Sleep 100
        FindWindow $0 "" "${TITLE}"
        ${IfThen} $0 = 0 ${|} ${Break} ${|}
        IntOp $4 $4 + 1
      ${Loop}
    ${EndIf}
  ${EndIf}
!macroend

; Option first: Monitor closes it too, but Option may be waiting on Monitor.
; Monitor then closes the display program; it is stopped last in case.
!macro STOP_PROGRAMS UN
Function ${UN}StopPrograms
  !insertmacro STOP_PROGRAM "${OPTION_TITLE}"
  !insertmacro STOP_PROGRAM "${MONITOR_TITLE}"
  !insertmacro STOP_PROGRAM "${OSD_TITLE}"
FunctionEnd
!macroend
!insertmacro STOP_PROGRAMS ""
!insertmacro STOP_PROGRAMS "un."

Section "Programs" SecPrograms
  SectionIn RO
  Call StopPrograms
  SetOutPath "$INSTDIR"
  ; The programs and their parts only: config.ini and config\ are the
  ; user's settings, made by the programs, and are never touched here.
  !include "${FILE_LISTS}/install_files.nsh"
!ifdef MANUAL
  File "/oname=User Manual.pdf" "${MANUAL}"
!endif

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\Monitor.exe"'

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Kestra Gaming Mouse Settings.lnk" "$INSTDIR\Option.exe" "" "$INSTDIR\Option.exe" 0
  CreateShortcut "${MENU_FOLDER}\Kestra Gaming Mouse Monitor.lnk" "$INSTDIR\Monitor.exe" "" "$INSTDIR\Monitor.exe" 0
  CreateShortcut "${MENU_FOLDER}\User Manual.lnk" "$INSTDIR\User Manual.pdf"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Option.exe",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; Started as logon starts it, unless the caller asked not to.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOLAUNCH" $1
  ${If} ${Errors}
    Exec '"$INSTDIR\Monitor.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  Call un.StopPrograms
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  Delete "${MENU_FOLDER}\Kestra Gaming Mouse Settings.lnk"
  Delete "${MENU_FOLDER}\Kestra Gaming Mouse Monitor.lnk"
  Delete "${MENU_FOLDER}\User Manual.lnk"
  RMDir "${MENU_FOLDER}"

  !include "${FILE_LISTS}/uninstall_files.nsh"
  Delete "$INSTDIR\User Manual.pdf"

  ; The settings stay unless the user says otherwise; a silent uninstall
  ; keeps them.
  ${If} ${FileExists} "$INSTDIR\config.ini"
  ${OrIf} ${FileExists} "$INSTDIR\config\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION "Keep your mouse settings (profiles and macros) for a later installation?$\r$\n$\r$\nThey stay in $INSTDIR." /SD IDYES IDYES keep
    Delete "$INSTDIR\config.ini"
    RMDir /r "$INSTDIR\config"
    keep:
  ${EndIf}

  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Kestra"
SectionEnd
