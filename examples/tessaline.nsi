; Tessaline, the product: an NSIS installer whose uninstall entry is what the uninstall launcher
; needs; it installs the launcher too, in a folder of its own, and its uninstaller removes it.
; Build: makensis -DOUTFILE=tessaline-setup.exe tessaline.nsi; the launcher is taken from the
; folder above this one, as in the release zip, or from -DLAUNCHER=<file>. -DWIN64 makes an x64
; installer that writes the 64-bit registry view, which the shipped 32-bit launcher does not read:
; it goes only with the launcher's x86_64 test build. Install silently: tessaline-setup.exe /S
Unicode true
!ifdef WIN64
  Target amd64-unicode
  !define PROGRAMS "$PROGRAMFILES64"
!else
  !define PROGRAMS "$PROGRAMFILES"
!endif
!ifndef OUTFILE
  !define OUTFILE "tessaline-setup.exe"
!endif
!ifndef LAUNCHER
  !define LAUNCHER "..\uninstall-launcher.exe"
!endif
!define ENTRY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaline"
; Never inside the install folder, which the launcher clears.
!define TOOLS "${PROGRAMS}\Vendor Tools"

Name "Tessaline"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS}\Vendor\Tessaline"
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

Section "Tessaline"
  SetOutPath "${TOOLS}"
  File "/oname=uninstall-launcher.exe" "${LAUNCHER}"
  SetOutPath "$INSTDIR"
  File "payload\Tessaline.txt"
  File "payload\Tessaline.ini"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${ENTRY}" "DisplayName" "Tessaline"
  WriteRegStr HKLM "${ENTRY}" "Publisher" "Vendor"
  ; The launcher clears this folder once the entry is gone.
  WriteRegStr HKLM "${ENTRY}" "TargetPath" "$INSTDIR"
  ; _?= makes the uninstaller run in place instead of starting a copy of itself and returning at
  ; once, so the launcher waits until the uninstall is really done.
  WriteRegStr HKLM "${ENTRY}" "UninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
SectionEnd

Function un.onInit
  !insertmacro UseOwnRegistryView
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\Tessaline.txt"
  Delete "$INSTDIR\Tessaline.ini"
  ; The launcher waits for this uninstaller and cannot delete its own file: started by it, the
  ; launcher and its folder go at the next start of Windows; started on its own, at once.
  Delete /REBOOTOK "${TOOLS}\uninstall-launcher.exe"
  RMDir /REBOOTOK "${TOOLS}"
  ; Last: the launcher reads a missing entry as "uninstalled" and then removes what is left of
  ; the install folder, including this uninstaller, which cannot delete itself while it runs.
  DeleteRegKey HKLM "${ENTRY}"
SectionEnd
