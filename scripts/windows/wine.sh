#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: CTest's emulator, and the checks of
# scripts/windows.sh. Wine gets the prefix made for the checks, the folders of the Qt and
# MinGW DLLs, a font folder for Qt's offscreen platform, and every QT_* variable under the
# name Wine hands on to Windows programs (WINEQT_*).
set -euo pipefail
CACHE="${BRAZO_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brazo-windows}"
export WINEPREFIX="${BRAZO_WINEPREFIX:-$CACHE/wine}"
export WINEDEBUG=-all
export WINEPATH="Z:$CACHE/qt-6.4.2/bin;Z:/usr/lib/gcc/x86_64-w64-mingw32/12-posix;Z:/usr/x86_64-w64-mingw32/lib"
while IFS='=' read -r name value; do
  export "WINE$name=$value"
done < <(env | grep '^QT_' || true)
export WINEQT_FORCE_STDERR_LOGGING=1
export WINEQT_QPA_FONTDIR="Z:/usr/share/fonts/truetype/liberation2"
# A new prefix points COM1 at /dev/ttyS0, which here is the machine's console: nothing may
# run in a prefix that has not been pointed elsewhere (scripts/windows.sh does it).
if [ "$(readlink "$WINEPREFIX/dosdevices/com1" 2>/dev/null)" = /dev/ttyS0 ]; then
  echo "wine.sh: COM1 de $WINEPREFIX apunta a /dev/ttyS0; no se ejecuta nada en ese prefijo." >&2
  exit 3
fi
exec /usr/lib/wine/wine64 "$@"
