; The Windows installer, built with NSIS (makensis) on Linux by the build's
; windows_setup target, which passes:
;   VERSION  the program's version, four numbers (1.0.0.1)
;   FILES    the folder holding the stripped tavendrillox.exe and the help page
;   ICON     the program's icon (.ico)
;   OUTFILE  the setup program to write
;
; A per-user install that needs no administrator rights: the program and its
; help page go into the user's own programs folder, with one Start-menu link
; and an uninstaller registered for this user only. The uninstaller removes
; the files it put down by name and the folder only when that leaves it empty:
; the user may have chosen a folder that holds other things (/D=C:\Tools).
;
; 64-bit, like the program it installs: there is nothing to install on 32-bit
; Windows, and a 64-bit Wine runs it without 32-bit support.

Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavendrillox"
!define LINK "$SMPROGRAMS\Tavendrillox.lnk"

Name "Tavendrillox"
OutFile "${OUTFILE}"
; Where Windows puts programs installed for one user; a reinstall or an
; upgrade goes where the last one went.
InstallDir "$LOCALAPPDATA\Programs\Tavendrillox"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Tavendrillox"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tavendrillox ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright 2026 Tavendrillox maintainers. All rights reserved."

!include LogicLib.nsh
!include MUI2.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION RunFromLink
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section
  SetOutPath "$INSTDIR"
  File "${FILES}\tavendrillox.exe"
  ; F1 and Help open the page next to the program; the picture is its own.
  File "${FILES}\tavendrillox.html"
  File "${FILES}\tavendrillox-dialog.png"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The program keeps tavendrillox.ini in the folder it is started in, and
  ; its file choosers open there, so the link starts it in the user's
  ; Documents: not in the program's folder, which holds only what was
  ; installed (and which the uninstaller could not then remove).
  SetOutPath "$DOCUMENTS"
  CreateShortcut "${LINK}" "$INSTDIR\tavendrillox.exe" "" "$INSTDIR\tavendrillox.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tavendrillox"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavendrillox.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tavendrillox maintainers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; "Run Tavendrillox" on the last page starts it as the Start-menu link does.
Function RunFromLink
  ExecShell "" "${LINK}"
FunctionEnd

Section Uninstall
  ; The program first: while it runs it cannot be deleted, and nothing else
  ; should go before it can.
  ClearErrors
  Delete "$INSTDIR\tavendrillox.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Tavendrillox is running. Close it, then uninstall it again." /SD IDOK
    Abort
  ${EndIf}
  Delete "$INSTDIR\tavendrillox.html"
  Delete "$INSTDIR\tavendrillox-dialog.png"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${LINK}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
