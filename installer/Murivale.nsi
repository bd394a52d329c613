; Per-user installer of Murivale and Tessaban. Built by tools/make-installer.sh:
;
;   makensis -DX64DIR=dist/x64 -DX86DIR=dist/x86 -DOUTFILE=... installer/Murivale.nsi
;
; X64DIR   folder with the 64-bit Murivale.exe and Tessaban.exe (required)
; X86DIR   folder with the 32-bit ones; the installer then is a 32-bit program that puts the
;          64-bit programs on 64-bit Windows and the 32-bit ones elsewhere
; AMD64    without X86DIR: a 64-bit installer that carries the 64-bit programs only (it runs
;          on 64-bit Windows alone)
; README   the users' ReadMe.txt, with Windows line ends (installer/ReadMe.txt converted)
; OUTFILE  the installer to write
;
; No administrator rights: everything goes below the user's own profile and HKEY_CURRENT_USER.
; Both programs go into one folder, which the user can write: they keep each user's bitmaps
; (<login>_Wallpaper.bmp, <login>_Base.bmp) beside themselves.
;
; Silent use:
;   Murivale-Setup-<version>.exe /S [/NOCOMPAT] [/D=FOLDER]    (/D last, without quotes)
;                               /NOCOMPAT: Murivale is not set to Windows XP compatibility mode
;   Uninstall.exe /S            keeps the configuration in HKCU\Software\Murivale
;   Uninstall.exe /S /PURGE     removes it as well
;
; Murivale runs only where Windows reports version 5 (2000, XP). On Vista and later the
; installer offers, ticked by default, to run it in the system's Windows XP compatibility mode
; for this user: the value the Compatibility tab of the program's properties writes, under
; HKCU\${LAYERS_KEY}, named by the installed Murivale.exe's full path. The uninstaller removes
; that value. On 2000 and XP nothing is written.
; Run interactively, the uninstaller asks whether to remove the configuration; /PURGE removes
; it without asking.

Unicode true
!ifdef AMD64
  !ifdef X86DIR
    !error "AMD64 and X86DIR do not go together: a 64-bit installer does not run on 32-bit Windows"
  !endif
  Target amd64-unicode
!endif
!ifndef X64DIR
  !error "X64DIR (the folder of the 64-bit programs) must be defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE must be defined"
!endif
!ifndef README
  !error "README must be defined"
!endif

; The version is kept in one place, the programs' version header.
!searchparse /file "..\resources\version.h" `#define MURIVALE_VERSION_MAJOR ` VER_MAJOR
!searchparse /file "..\resources\version.h" `#define MURIVALE_VERSION_MINOR ` VER_MINOR
!searchparse /file "..\resources\version.h" `#define MURIVALE_VERSION_PATCH ` VER_PATCH
!define VERSION "${VER_MAJOR}.${VER_MINOR}.${VER_PATCH}"

!define PRODUCT "Murivale"
!define PUBLISHER "Murivale project"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Murivale"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define CONFIG_KEY "Software\Murivale"
!define LAYERS_KEY "Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include WinVer.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SetCompressor /SOLID lzma
InstallDir "$LOCALAPPDATA\Programs\Murivale"
; A reinstallation or update goes where the last one went.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
; A file that cannot be written (a program still running) is not skipped silently.
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VER_MAJOR}.${VER_MINOR}.${VER_PATCH}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) the Murivale project"

!define MUI_ICON "..\resources\Murivale.ico"
!define MUI_UNICON "..\resources\Murivale.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tessaban.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Tessaban now to choose the image folder"

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipComponentsBeforeVista
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Murivale" SecMain
  SectionIn RO
  SetShellVarContext current
  SetOutPath "$INSTDIR"
!ifdef X86DIR
  ; x64 programs on x64 Windows; 32-bit ones elsewhere (32-bit Windows, and ARM64, whose
  ; x86 emulation every version has).
  ${If} ${IsNativeAMD64}
    File "/oname=Murivale.exe" "${X64DIR}\Murivale.exe"
    File "/oname=Tessaban.exe" "${X64DIR}\Tessaban.exe"
  ${Else}
    File "/oname=Murivale.exe" "${X86DIR}\Murivale.exe"
    File "/oname=Tessaban.exe" "${X86DIR}\Tessaban.exe"
  ${EndIf}
!else
  File "/oname=Murivale.exe" "${X64DIR}\Murivale.exe"
  File "/oname=Tessaban.exe" "${X64DIR}\Tessaban.exe"
!endif
  File "/oname=ReadMe.txt" "${README}"

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Murivale"
  CreateShortcut "$SMPROGRAMS\Murivale\Murivale.lnk" "$INSTDIR\Murivale.exe" "" \
    "$INSTDIR\Murivale.exe" 0 SW_SHOWNORMAL "" "Choose a desktop wallpaper"
  CreateShortcut "$SMPROGRAMS\Murivale\Tessaban.lnk" "$INSTDIR\Tessaban.exe" "" \
    "$INSTDIR\Tessaban.exe" 0 SW_SHOWNORMAL "" "Set up Murivale: image folder and logon option"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Murivale.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

; The data the Compatibility tab writes for Windows XP mode: Vista knows Windows XP only up to
; SP2; Windows 8 and later put "~ " before the layer.
Section "Run Murivale in Windows XP compatibility mode (needed on this Windows)" SecCompat
  SetShellVarContext current
  ${If} ${AtLeastWin8}
    StrCpy $0 "~ WINXPSP3"
  ${ElseIf} ${AtLeastWin7}
    StrCpy $0 "WINXPSP3"
  ${Else}
    StrCpy $0 "WINXPSP2"
  ${EndIf}
  WriteRegStr HKCU "${LAYERS_KEY}" "$INSTDIR\Murivale.exe" "$0"
  DetailPrint "Murivale runs in Windows XP compatibility mode ($0)"
SectionEnd

Function .onInit
  SetShellVarContext current
!ifdef AMD64
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "This installer is for 64-bit Windows." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!endif
  ; Compatibility mode: offered from Vista on, unless the command line declines it.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOCOMPAT" $R1
  ${IfNot} ${Errors}
  ${OrIfNot} ${AtLeastWinVista}
    !insertmacro UnselectSection ${SecCompat}
  ${EndIf}
  ${IfNot} ${AtLeastWinVista}
    SectionSetText ${SecCompat} ""
  ${EndIf}
FunctionEnd

; The only choice is the compatibility mode, which older Windows has no use for.
Function SkipComponentsBeforeVista
  ${IfNot} ${AtLeastWinVista}
    Abort
  ${EndIf}
FunctionEnd

; ---- Uninstaller ---------------------------------------------------------------------------

!define MSG_STILL_RUNNING "Murivale or Tessaban is still running and could not be removed from$\n$INSTDIR$\n$\nClose it and run the uninstaller again."
!define MSG_ASK_PURGE "Also remove your Murivale settings (image folder, default background, logon option)?$\n$\nChoose No to keep them for a later installation."

Function un.onInit
  SetShellVarContext current
FunctionEnd

; The logon entry as Tessaban writes it for this folder: quoted when the path has a blank.
; Sets $0 to 1 when the entry names this folder's Murivale.exe.
Function un.LogonEntryIsOurs
  StrCpy $0 0
  ReadRegStr $1 HKCU "${RUN_KEY}" "Murivale"
  ${If} $1 == "$INSTDIR\Murivale.exe /p %1"
  ${OrIf} $1 == '"$INSTDIR\Murivale.exe" /p %1'
    StrCpy $0 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The logon entry first: it must not start a program that is gone. An entry that names
  ; another copy of Murivale (a portable one elsewhere) is that copy's and stays.
  Call un.LogonEntryIsOurs
  ${If} $0 == 1
    DeleteRegValue HKCU "${RUN_KEY}" "Murivale"
    DetailPrint "Removed the logon entry"
    ; The configuration now says what is true: Murivale no longer runs at logon.
    ReadRegStr $1 HKCU "${CONFIG_KEY}" "RunOnStartup"
    ${If} $1 == "1"
      WriteRegStr HKCU "${CONFIG_KEY}" "RunOnStartup" "0"
    ${EndIf}
  ${EndIf}

  ; The compatibility mode of this folder's Murivale.exe, if the installer set it.
  DeleteRegValue HKCU "${LAYERS_KEY}" "$INSTDIR\Murivale.exe"

  Delete "$INSTDIR\Murivale.exe"
  Delete "$INSTDIR\Tessaban.exe"
  Delete "$INSTDIR\ReadMe.txt"
  ; Each user's bitmaps, and what an interrupted write may have left beside them.
  Delete "$INSTDIR\*_Wallpaper.bmp"
  Delete "$INSTDIR\*_Base.bmp"
  Delete "$INSTDIR\*_Wallpaper.bmp.*.tmp"
  Delete "$INSTDIR\*_Base.bmp.*.tmp"

  Delete "$SMPROGRAMS\Murivale\Murivale.lnk"
  Delete "$SMPROGRAMS\Murivale\Tessaban.lnk"
  RMDir "$SMPROGRAMS\Murivale"

  ; A program that is still running cannot be removed: say so instead of reporting success.
  ${If} ${FileExists} "$INSTDIR\Murivale.exe"
  ${OrIf} ${FileExists} "$INSTDIR\Tessaban.exe"
    MessageBox MB_OK|MB_ICONEXCLAMATION "${MSG_STILL_RUNNING}" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  Delete "$INSTDIR\Uninstall.exe"
  ; Only an empty folder goes: anything the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINST_KEY}"

  ; The configuration: kept by default, so that a later installation finds it again.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PURGE" $R1
  ${IfNot} ${Errors}
    StrCpy $R2 1
  ${ElseIf} ${Silent}
    StrCpy $R2 0
  ${Else}
    StrCpy $R2 0
    ; Asked only when there are settings to remove.
    ClearErrors
    EnumRegValue $R3 HKCU "${CONFIG_KEY}" 0
    ${IfNot} ${Errors}
    ${AndIf} $R3 != ""
      MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "${MSG_ASK_PURGE}" IDNO +2
      StrCpy $R2 1
    ${EndIf}
  ${EndIf}
  ${If} $R2 == 1
    DeleteRegKey HKCU "${CONFIG_KEY}"
    DetailPrint "Removed the settings (HKEY_CURRENT_USER\${CONFIG_KEY})"
  ${Else}
    DetailPrint "Kept the settings (HKEY_CURRENT_USER\${CONFIG_KEY})"
  ${EndIf}
SectionEnd
