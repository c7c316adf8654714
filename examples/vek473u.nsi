; vek473u, a companion package: an NSIS installer. The launcher runs its UninstallString after the
; product's and waits for it; it does not touch this package's folder, so the uninstaller removes
; everything itself. Build: makensis -DOUTFILE=vek473u-setup.exe vek473u.nsi (-DWIN64: x64, as
; in tessaline.nsi, only for the launcher's x86_64 test build).
Unicode true
!ifdef WIN64
  Target amd64-unicode
  !define PROGRAMS "$PROGRAMFILES64"
!else
  !define PROGRAMS "$PROGRAMFILES"
!endif
!ifndef OUTFILE
  !define OUTFILE "vek473u-setup.exe"
!endif
!define ENTRY "Software\Microsoft\Windows\CurrentVersion\Uninstall\vek473u"

Name "vek473u"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS}\vek473u"
RequestExecutionLevel admin
SetDateSave off

!macro UseOwnRegistryView
  !ifdef WIN64
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro UseOwnRegistryView
FunctionEnd

Section "vek473u"
  SetOutPath "$INSTDIR"
  File "payload\vek473u.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${ENTRY}" "DisplayName" "vek473u"
  WriteRegStr HKLM "${ENTRY}" "Publisher" "Vendor"
  WriteRegStr HKLM "${ENTRY}" "UninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
SectionEnd

Function un.onInit
  !insertmacro UseOwnRegistryView
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\vek473u.txt"
  DeleteRegKey HKLM "${ENTRY}"
  ; Running in place, the uninstaller cannot delete itself now: it goes, with the folder, at the
  ; next start of Windows.
  Delete /REBOOTOK "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
SectionEnd
