; The Windows installer, made with NSIS by scripts/windows.sh:
;   makensis -DVERSION=1.0 -DORIGEN=<folder of the programs> -DICONO=<brazo.ico> -DSALIDA=<installer.exe> instalador.nsi
; For the user who runs it, or for every user of the machine when run as an administrator
; (/AllUsers or /CurrentUser choose, /S installs without asking). A Start-menu entry with
; the program's icon, and an uninstaller that takes away the program and leaves the
; user's data (the registry of employees in %APPDATA%\TorvaneElectronico) alone.
; A 64-bit installer for a 64-bit program (and Wine without 32-bit support can run it).
Target amd64-unicode
SetCompressor /SOLID lzma

!define NOMBRE "Simulador de brazo robótico"
!define CLAVE "Software\Microsoft\Windows\CurrentVersion\Uninstall\TorvaneSimuladorBrazo"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "TorvaneElectronico\Simulador de brazo"
; The uninstaller finds in which mode the program was installed.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${CLAVE}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "Modo"
!include "MultiUser.nsh"
!include "MUI2.nsh"

Name "${NOMBRE} ${VERSION}"
OutFile "${SALIDA}"
!define MUI_ICON "${ICONO}"
!define MUI_UNICON "${ICONO}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File /r "${ORIGEN}/*.*"
  WriteUninstaller "$INSTDIR\desinstalar.exe"
  CreateShortcut "$SMPROGRAMS\${NOMBRE}.lnk" "$INSTDIR\brazo.exe" "" "$INSTDIR\brazo.exe" 0
  WriteRegStr SHCTX "${CLAVE}" "DisplayName" "${NOMBRE}"
  WriteRegStr SHCTX "${CLAVE}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${CLAVE}" "DisplayIcon" "$INSTDIR\brazo.exe"
  WriteRegStr SHCTX "${CLAVE}" "Publisher" "Torvane Electrónico"
  WriteRegStr SHCTX "${CLAVE}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${CLAVE}" "UninstallString" '"$INSTDIR\desinstalar.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${CLAVE}" "Modo" "$MultiUser.InstallMode"
  WriteRegDWORD SHCTX "${CLAVE}" "NoModify" 1
  WriteRegDWORD SHCTX "${CLAVE}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${NOMBRE}.lnk"
  ; Only the folder the installer made; the user's data lives elsewhere and stays.
  RMDir /r "$INSTDIR"
  RMDir "$INSTDIR\.."
  DeleteRegKey SHCTX "${CLAVE}"
SectionEnd
