; The Windows installer, made with NSIS by scripts/windows.sh:
;   makensis -DVERSION=1.0 -DORIGEN=<folder of the programs> -DICONO=<brazo.ico> -DSALIDA=<installer.exe> instalador.nsi
; For the user who runs it, or for every user of the machine when run as an administrator
; (/AllUsers or /CurrentUser choose, /S installs without asking). A Start-menu entry with
; the program's icon, and an uninstaller that takes away the program and leaves the
; user's data (the registry of employees in %APPDATA%\TorvaneElectronico) alone.
; An optional page asks for the school's texts of the Ayuda menu and writes them to
; escuela.ini, for every user or for this one as the program is installed; a silent install
; takes them as /PLANTEL=... /PROFESOR=... /INTEGRANTES=... (names separated by ';'). The
; uninstaller leaves that file too.
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
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "nsDialogs.nsh"

Name "${NOMBRE} ${VERSION}"
OutFile "${SALIDA}"
!define MUI_ICON "${ICONO}"
!define MUI_UNICON "${ICONO}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
Page custom PaginaEscuela PaginaEscuelaSalir
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

; The school's texts: from the command line, then from the page, which shows them first.
Var Plantel
Var Profesor
Var Integrantes
Var CampoPlantel
Var CampoProfesor
Var CampoIntegrantes

Function .onInit
  !insertmacro MULTIUSER_INIT
  ; A value with spaces goes as typed in cmd: /PLANTEL=Escuela N.º 3 or /PLANTEL="Escuela N.º 3",
  ; in quotes when it holds a '/', where GetOptions would see the next option begin.
  ${GetParameters} $R0
  ${GetOptions} $R0 "/PLANTEL=" $Plantel
  ${GetOptions} $R0 "/PROFESOR=" $Profesor
  ${GetOptions} $R0 "/INTEGRANTES=" $Integrantes
  ClearErrors
FunctionEnd

Function PaginaEscuela
  !insertmacro MUI_HEADER_TEXT "Textos de la escuela" "Lo que muestran los cuadros del menú Ayuda (opcional)."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ; Where the file goes follows the choice of users made before.
  ${NSD_CreateLabel} 0 0 100% 30u "Lo que escriba se guarda en $APPDATA\TorvaneElectronico\escuela.ini. Lo que deje en \
blanco muestra el texto que trae el programa; con los tres en blanco no se escribe nada y un archivo que ya \
esté se conserva."
  Pop $0
  ${NSD_CreateLabel} 0 34u 100% 10u "Nombre del &plantel:"
  Pop $0
  ${NSD_CreateText} 0 45u 100% 12u "$Plantel"
  Pop $CampoPlantel
  ${NSD_CreateLabel} 0 62u 100% 10u "Nombre del p&rofesor:"
  Pop $0
  ${NSD_CreateText} 0 73u 100% 12u "$Profesor"
  Pop $CampoProfesor
  ${NSD_CreateLabel} 0 90u 100% 10u "&Integrantes, separados por punto y coma (;):"
  Pop $0
  ${NSD_CreateText} 0 101u 100% 12u "$Integrantes"
  Pop $CampoIntegrantes
  ${NSD_SetFocus} $CampoPlantel
  nsDialogs::Show
FunctionEnd

Function PaginaEscuelaSalir
  ${NSD_GetText} $CampoPlantel $Plantel
  ${NSD_GetText} $CampoProfesor $Profesor
  ${NSD_GetText} $CampoIntegrantes $Integrantes
FunctionEnd

; Appends a text to a file opened with FileOpen, in UTF-8, the encoding the program reads:
; FileWrite would write the system's ANSI code page. Stack: the file, then the text.
Function EscribirUtf8
  Exch $0
  Exch
  Exch $1
  Push $2
  Push $3
  ; The bytes it takes, the final zero included; then the text converted into them.
  System::Call "kernel32::WideCharToMultiByte(i 65001, i 0, w r1, i -1, p 0, i 0, p 0, p 0) i .r2"
  System::Alloc $2
  Pop $3
  System::Call "kernel32::WideCharToMultiByte(i 65001, i 0, w r1, i -1, p r3, i r2, p 0, p 0) i .r2"
  IntOp $2 $2 - 1
  System::Call "kernel32::WriteFile(p r0, p r3, i r2, *i .r2, p 0)"
  System::Free $3
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

!macro EscribirLinea Archivo Texto
  Push `${Texto}$\r$\n`
  Push ${Archivo}
  Call EscribirUtf8
!macroend

; escuela.ini with the texts given: in %PROGRAMDATA% for every user (MultiUser made
; $APPDATA the machine's), in %APPDATA% for this one.
Function EscribirEscuela
  ${If} "$Plantel$Profesor$Integrantes" == ""
    Return
  ${EndIf}
  StrCpy $R1 "$APPDATA\TorvaneElectronico\escuela.ini"
  CreateDirectory "$APPDATA\TorvaneElectronico"
  ClearErrors
  FileOpen $R0 $R1 w
  ${If} ${Errors}
    DetailPrint "No se pudo escribir $R1; los cuadros del menú Ayuda mostrarán los textos del programa."
    Return
  ${EndIf}
  !insertmacro EscribirLinea $R0 "# Los textos de los cuadros del menú Ayuda del ${NOMBRE}."
  !insertmacro EscribirLinea $R0 "[escuela]"
  ${If} $Plantel != ""
    !insertmacro EscribirLinea $R0 "plantel = $Plantel"
  ${EndIf}
  ${If} $Profesor != ""
    !insertmacro EscribirLinea $R0 "profesor = $Profesor"
  ${EndIf}
  ${If} $Integrantes != ""
    !insertmacro EscribirLinea $R0 "integrantes = $Integrantes"
  ${EndIf}
  FileClose $R0
  DetailPrint "Textos de la escuela: $R1"
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File /r "${ORIGEN}/*.*"
  WriteUninstaller "$INSTDIR\desinstalar.exe"
  Call EscribirEscuela
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
  ; Only the folder the installer made; the user's data and escuela.ini live elsewhere and stay.
  RMDir /r "$INSTDIR"
  RMDir "$INSTDIR\.."
  DeleteRegKey SHCTX "${CLAVE}"
SectionEnd
