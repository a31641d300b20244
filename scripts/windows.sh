#!/usr/bin/env bash
# The program for Windows, built on this Debian machine and tested under Wine:
#   bash scripts/windows.sh
# Installs what it needs, builds Qt for Windows once into a cache folder (scripts/windows/qt.sh),
# cross-builds brazo.exe and brazo-enviar.exe with the project's CMake files, runs the tests
# under Wine, makes a portable ZIP and an installer, installs it under Wine, drives the
# installed program over TCP on an X server of its own, and uninstalls it. Prints where the
# ZIP and the installer are.
set -euo pipefail
source "$(dirname "$0")/common.sh"

bash "$ROOT/scripts/windows/qt.sh"
# The checks: a serial line's far end, an X server to drive, Qt's Spanish texts and the
# fonts the offscreen tests measure with.
instalar_paquetes socat xvfb xauth xdotool qt6-translations-l10n fonts-liberation2

CACHE="${BRAZO_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brazo-windows}"
export BRAZO_WINDOWS_CACHE="$CACHE"
BUILD="$ROOT/build-windows"
WINE=/usr/lib/wine/wine64
EN_WINE="$ROOT/scripts/windows/wine.sh"

echo "== Compilando para Windows en $BUILD"
"$CACHE/qt-6.4.2/bin/qt-cmake" -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRAZO_TESTS=ON \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$EN_WINE" >/dev/null
cmake --build "$BUILD" -j2
VERSION="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"

# A Wine prefix of its own, made anew. A new prefix points COM1 at /dev/ttyS0, which here is
# the machine's console: it is pointed at the checks' own line before anything opens it.
export BRAZO_WINEPREFIX="$CACHE/wine-pruebas"
export WINEPREFIX="$BRAZO_WINEPREFIX" WINEDEBUG=-all
TRABAJO="$(mktemp -d)"
limpiar() {
  "${WINE%/*}/wineserver" -k 2>/dev/null || true
  [ -n "${SOCAT:-}" ] && kill "$SOCAT" 2>/dev/null || true
  [ -n "${XVFB:-}" ] && kill "$XVFB" 2>/dev/null || true
  rm -rf "$TRABAJO"
}
trap limpiar EXIT
rm -rf "$WINEPREFIX"
"$WINE" wineboot -i >/dev/null 2>&1
puerto_libre() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
EXTREMO="$(puerto_libre)"
# COM1 is a pseudo-terminal whose far end is a TCP port, where the serial test plays the machine.
socat pty,raw,echo=0,link="$TRABAJO/com1" tcp-listen:"$EXTREMO",bind=127.0.0.1,reuseaddr &
SOCAT=$!
for _ in $(seq 50); do [ -e "$TRABAJO/com1" ] && break; sleep 0.1; done
"$WINE" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$TRABAJO/com1" /f >/dev/null 2>&1
"${WINE%/*}/wineserver" -w
"$WINE" reg query 'HKLM\Software\Wine\Ports' >/dev/null 2>&1
if [ "$(readlink "$WINEPREFIX/dosdevices/com1")" != "$TRABAJO/com1" ]; then
  echo "COM1 de Wine no apunta a la línea de prueba; no se sigue." >&2
  exit 1
fi

echo "== Pruebas bajo Wine"
(cd "$BUILD" && BRAZO_PRUEBA_COM=COM1 BRAZO_PRUEBA_EXTREMO="$EXTREMO" ctest --output-on-failure -j2 --timeout 180)

echo "== Paquetes"
PAQUETES="$BUILD/paquetes"
NOMBRE="brazo-$VERSION-windows-x64"
rm -rf "$PAQUETES" && mkdir -p "$PAQUETES"
cmake --install "$BUILD" --prefix "$PAQUETES/$NOMBRE" >/dev/null
# Without their debugging symbols the programs and Qt take half the room.
find "$PAQUETES/$NOMBRE" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
ZIP="$PAQUETES/$NOMBRE.zip"
(cd "$PAQUETES" && cmake -E tar cf "$ZIP" --format=zip "$NOMBRE")
INSTALADOR="$PAQUETES/brazo-$VERSION-instalador.exe"
makensis -V2 -DVERSION="$VERSION" -DORIGEN="$PAQUETES/$NOMBRE" -DICONO="$ROOT/resources/programa/brazo.ico" \
  -DSALIDA="$INSTALADOR" "$ROOT/scripts/windows/instalador.nsi"

echo "== Instalación bajo Wine, el programa instalado por TCP, desinstalación"
# The school's texts as typed in cmd. Wine quotes an argument that holds spaces as a whole,
# which GetOptions does not read, so each word goes as an argument of its own: the command
# line is the same.
"$WINE" "$INSTALADOR" /S /PLANTEL=Escuela Técnica Industrial N.º 3 /PROFESOR=Ing. Laura Gómez \
  '/INTEGRANTES=Ana' 'Pérez;Luis' 'Ortega;Marta' 'Ríos'
INSTALADO="$WINEPREFIX/drive_c/Program Files/TorvaneElectronico/Simulador de brazo"
[ -x "$INSTALADO/brazo.exe" ] || { echo "El instalador no dejó brazo.exe en $INSTALADO" >&2; exit 1; }
[ -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Simulador de brazo robótico.lnk" ] ||
  { echo "El instalador no creó la entrada del menú Inicio" >&2; exit 1; }
# Installed for every user, the texts are in %PROGRAMDATA%, in UTF-8 (the accents' bytes
# written out here) with Windows' line ends; the installer's comment lines aside.
ESCUELA="$WINEPREFIX/drive_c/ProgramData/TorvaneElectronico/escuela.ini"
{
  printf '[escuela]\r\nplantel = Escuela T\303\251cnica Industrial N.\302\272 3\r\n'
  printf 'profesor = Ing. Laura G\303\263mez\r\nintegrantes = Ana P\303\251rez;Luis Ortega;Marta R\303\255os\r\n'
} >"$TRABAJO/escuela.ini"
grep -v '^#' "$ESCUELA" 2>/dev/null | cmp -s - "$TRABAJO/escuela.ini" ||
  { echo "El instalador no escribió los textos de la escuela en $ESCUELA:" >&2; od -c "$ESCUELA" >&2 || true; exit 1; }

# The installed program alone (no Qt of the cache on Wine's path), with Windows' own
# platform on an X server of its own: a client sends A45 and the arm's answer is read from
# the program's message recording. Wine's session started without a display so far: it
# ends first, so that the next one opens its desktop on the X server.
"${WINE%/*}/wineserver" -k 2>/dev/null || true
"${WINE%/*}/wineserver" -w
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$TRABAJO/pantalla" 2>/dev/null &
XVFB=$!
for _ in $(seq 50); do [ -s "$TRABAJO/pantalla" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n 1 "$TRABAJO/pantalla")"
PUERTO="$(puerto_libre)"
(cd "$INSTALADO" && exec "$WINE" brazo.exe --puerto-tcp "$PUERTO" --registro-mensajes "Z:$TRABAJO/registro.csv" \
  >"$TRABAJO/programa.txt" 2>&1) &
disown
# The first window of a new prefix waits for Wine to set up its desktop and fonts.
VENTANA=""
for _ in $(seq 240); do
  VENTANA="$(xdotool search --name '^MDIForm1$' 2>/dev/null | head -n 1 || true)"
  [ -n "$VENTANA" ] && break
  sleep 0.5
done
[ -n "$VENTANA" ] || { echo "El programa instalado no abrió su ventana:" >&2; cat "$TRABAJO/programa.txt" >&2; exit 1; }
xdotool windowfocus --sync "$VENTANA"
xdotool key --delay 300 alt+c i   # "&Controlar desde..." then "&Internet"
xdotool key --delay 300 alt+v r   # "&Ver" then "&Registro de Usuarios": the registry file
python3 - "$PUERTO" <<'PY'
import socket, sys, time
for _ in range(100):
    try:
        s = socket.create_connection(("127.0.0.1", int(sys.argv[1]))); break
    except OSError:
        time.sleep(0.1)
s.sendall(b"A45"); time.sleep(0.5); s.close()
PY
for _ in $(seq 50); do grep -q '"A45",Q1=45' "$TRABAJO/registro.csv" 2>/dev/null && break; sleep 0.2; done
grep -q '"A45",Q1=45' "$TRABAJO/registro.csv" || { echo "A45 no movió el brazo del programa instalado" >&2; exit 1; }
DATOS="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/TorvaneElectronico"
[ -f "$DATOS/TorvaneElectronico.db" ] || { echo "El registro de empleados no está en %APPDATA%\\TorvaneElectronico" >&2; exit 1; }
"${WINE%/*}/wineserver" -k   # Wine ends, the program with it, before its files go
"$WINE" "C:\\Program Files\\TorvaneElectronico\\Simulador de brazo\\desinstalar.exe" /S /AllUsers
for _ in $(seq 60); do [ -e "$INSTALADO" ] || break; sleep 0.5; done
[ ! -e "$INSTALADO" ] || { echo "El desinstalador dejó $INSTALADO" >&2; exit 1; }
[ -f "$DATOS/TorvaneElectronico.db" ] || { echo "El desinstalador borró los datos del usuario" >&2; exit 1; }
[ -f "$ESCUELA" ] || { echo "El desinstalador borró los textos de la escuela ($ESCUELA)" >&2; exit 1; }

echo
echo "Programa para Windows $VERSION, probado bajo Wine:"
echo "  ZIP portátil: $ZIP"
echo "  Instalador:   $INSTALADOR"
