#!/usr/bin/env bash
# Cross-builds Qt 6.4.2 (qtbase only, PrintSupport included) and the QCustomPlot plotting
# library for 64-bit Windows with MinGW-w64, once, into a cache folder outside the checkout;
# later runs only say where they are.
#   BRAZO_WINDOWS_CACHE   cache folder (default: ${XDG_CACHE_HOME:-$HOME/.cache}/brazo-windows)
#   BRAZO_DEBIAN_MIRROR   mirror for the source packages (default: the one apt uses for bookworm)
# shellcheck disable=SC2016  # the single-quoted $ are meant for bash -c and apt-get, not for here
set -euo pipefail
AQUI="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$AQUI/../common.sh"   # instalar_paquetes

QT_VERSION=6.4.2
CACHE="${BRAZO_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brazo-windows}"
PREFIX="$CACHE/qt-$QT_VERSION"
MARCA="$CACHE/qt-$QT_VERSION.completo"   # written only after a complete install
REGISTRO="$CACHE/registro.txt"
inicio=$SECONDS

# The cross compiler, Wine and NSIS for the later steps; the rest builds SQLite and Qt (the host
# Qt gives moc, rcc, uic and the CMake files that a cross build of Qt needs; tcl generates
# SQLite's amalgamation; dpkg-dev unpacks the source packages).
instalar_paquetes g++-mingw-w64-x86-64-posix wine wine64 nsis \
  build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools python3 perl tcl dpkg-dev xz-utils

mkdir -p "$CACHE"
exec 9>"$CACHE/.cerrojo"
flock -n 9 || { echo "Otra ejecución está compilando Qt en $CACHE; esperando a que termine..."; flock 9; }

# The monitor's plot needs QCustomPlot, and QCustomPlot needs Qt's PrintSupport: a Qt built
# before the plot existed is built again.
QCP_MARCA="$CACHE/qcustomplot.completo"
if [ -f "$MARCA" ] && [ -x "$PREFIX/bin/qt-cmake" ] && [ -f "$PREFIX/bin/Qt6PrintSupport.dll" ] && [ -f "$QCP_MARCA" ]; then
  echo "Qt $QT_VERSION y QCustomPlot para Windows ya están instalados en: $PREFIX ($(cat "$MARCA"))"
  exit 0
fi
if [ ! -f "$PREFIX/bin/Qt6PrintSupport.dll" ]; then
  rm -f "$MARCA"   # a marker left beside a damaged or older install must not survive a new attempt
fi
rm -f "$QCP_MARCA"

# paso TEXTO ORDEN...: runs a long step into the log and shows its end if it fails.
paso() {
  local texto="$1"; shift
  echo "$(date +%H:%M:%S) $texto"
  echo "=== $texto" >>"$REGISTRO"
  "$@" >>"$REGISTRO" 2>&1 || { tail -n 40 "$REGISTRO" >&2; echo "Error en: $texto (registro completo: $REGISTRO)" >&2; exit 1; }
}

# Debian's source packages, through a sources list and lists folder of our own so that the
# system's apt configuration stays as it is. Unpacked into a temporary folder and moved at
# the end, so that an interrupted download is started again.
obtener_fuentes() {
  local espejo clave="" lista="$CACHE/apt/fuentes.list"
  espejo="${BRAZO_DEBIAN_MIRROR:-$(apt-get indextargets --format '$(REPO_URI)' 'Codename: bookworm' 'Component: main' | head -n 1)}"
  [ -n "$espejo" ] || { echo "No encuentro el servidor de Debian bookworm en la configuración de apt; indíquelo en BRAZO_DEBIAN_MIRROR." >&2; exit 1; }
  [ -f /usr/share/keyrings/debian-archive-keyring.gpg ] && clave="[signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] "
  mkdir -p "$CACHE/apt/listas/partial"
  echo "deb-src ${clave}${espejo} bookworm main" >"$lista"
  local apt=(apt-get -q -o Dir::Etc::sourcelist="$lista" -o Dir::Etc::sourceparts=-
             -o Dir::State::Lists="$CACHE/apt/listas" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
             -o APT::Sandbox::User="$(id -un)")
  rm -rf "$CACHE/fuentes.tmp" && mkdir -p "$CACHE/fuentes.tmp"
  paso "Actualizando la lista de paquetes fuente de Debian" "${apt[@]}" update
  paso "Descargando las fuentes de qt6-base, sqlite3 y qcustomplot" \
    bash -c 'cd "$1" && shift && "$@" source qt6-base sqlite3 qcustomplot' _ "$CACHE/fuentes.tmp" "${apt[@]}"
  mv "$CACHE/fuentes.tmp" "$CACHE/fuentes"
}

# SQLite as a static Windows library (Debian's qtbase source leaves the bundled copy out): the
# amalgamation is generated with host tools, then compiled with the cross compiler.
compilar_sqlite() {
  local src b="$CACHE/build/sqlite"
  src="$(find "$CACHE/fuentes" -maxdepth 1 -type d -name 'sqlite3-*' | head -n 1)"
  rm -rf "$b" "$CACHE/sqlite" "$CACHE/sqlite.tmp" && mkdir -p "$b" "$CACHE/sqlite.tmp/include" "$CACHE/sqlite.tmp/lib"
  paso "Generando la amalgamación de SQLite" bash -c 'cd "$1" && "$2/configure" --disable-tcl && make sqlite3.c' _ "$b" "$src"
  # Qt's driver needs column metadata (sqlite3_column_table_name16).
  paso "Compilando SQLite para Windows" x86_64-w64-mingw32-gcc-posix -O2 -c "$b/sqlite3.c" -o "$b/sqlite3.o" \
    -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3 -DSQLITE_ENABLE_FTS3_PARENTHESIS \
    -DSQLITE_ENABLE_FTS5 -DSQLITE_ENABLE_RTREE -DSQLITE_THREADSAFE=1
  x86_64-w64-mingw32-ar rcs "$CACHE/sqlite.tmp/lib/libsqlite3.a" "$b/sqlite3.o"
  cp "$b/sqlite3.h" "$b/sqlite3ext.h" "$CACHE/sqlite.tmp/include/"
  mv "$CACHE/sqlite.tmp" "$CACHE/sqlite"
}

# QCustomPlot (one .cpp, one .h, GPL-3) as a static library beside Qt, with a CMake package
# of the same name and target as Debian's libqcustomplot-dev, so that the program's CMake
# files find it the same way on both systems.
compilar_qcustomplot() {
  local src b="$CACHE/build/qcustomplot"
  src="$(find "$CACHE/fuentes" -maxdepth 1 -type d -name 'qcustomplot-*' | head -n 1)"
  rm -rf "$b" && mkdir -p "$b/fuentes"
  cp "$src/qcustomplot.cpp" "$src/qcustomplot.h" "$b/fuentes/"
  cat >"$b/fuentes/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(QCustomPlotQt6 LANGUAGES CXX)
set(CMAKE_AUTOMOC ON)
find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport)
add_library(QCustomPlotQt6 STATIC qcustomplot.cpp qcustomplot.h)
target_link_libraries(QCustomPlotQt6 PUBLIC Qt6::Widgets Qt6::PrintSupport)
target_include_directories(QCustomPlotQt6 PUBLIC $<INSTALL_INTERFACE:include>)
install(TARGETS QCustomPlotQt6 EXPORT QCustomPlotQt6Targets ARCHIVE DESTINATION lib)
install(FILES qcustomplot.h DESTINATION include)
install(EXPORT QCustomPlotQt6Targets NAMESPACE QCustomPlotQt6:: DESTINATION lib/cmake/QCustomPlotQt6)
file(WRITE ${CMAKE_BINARY_DIR}/QCustomPlotQt6Config.cmake
     "include(CMakeFindDependencyMacro)\nfind_dependency(Qt6 COMPONENTS Widgets PrintSupport)\n"
     "include(\${CMAKE_CURRENT_LIST_DIR}/QCustomPlotQt6Targets.cmake)\n")
install(FILES ${CMAKE_BINARY_DIR}/QCustomPlotQt6Config.cmake DESTINATION lib/cmake/QCustomPlotQt6)
CMAKE
  paso "Configurando QCustomPlot" "$PREFIX/bin/qt-cmake" -S "$b/fuentes" -B "$b/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX"
  paso "Compilando QCustomPlot" nice -n 15 ninja -C "$b/build" -j2
  paso "Instalando QCustomPlot en $PREFIX" cmake --install "$b/build"
}

echo "Compilando Qt $QT_VERSION y QCustomPlot para Windows en $CACHE (la primera vez tarda de 20 a 60 minutos)."
echo "Registro: $REGISTRO"
# Sources fetched before QCustomPlot was needed lack it.
if [ -d "$CACHE/fuentes" ] && ! find "$CACHE/fuentes" -maxdepth 1 -type d -name 'qcustomplot-*' | grep -q .; then
  rm -rf "$CACHE/fuentes"
fi
[ -d "$CACHE/fuentes" ] || obtener_fuentes
QTSRC="$(find "$CACHE/fuentes" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)"
grep -q "QT_REPO_MODULE_VERSION \"$QT_VERSION\"" "$QTSRC/.cmake.conf" ||
  { echo "Las fuentes de $QTSRC no son de Qt $QT_VERSION." >&2; exit 1; }
[ -f "$CACHE/sqlite/lib/libsqlite3.a" ] || compilar_sqlite

# Qt records the toolchain file's path in its own qt.toolchain.cmake: give it a copy that lives
# as long as this Qt, wherever the checkout is later.
cp "$AQUI/mingw-w64.cmake" "$CACHE/mingw-w64.cmake"

if [ -f "$MARCA" ]; then
  compilar_qcustomplot
  echo "QCustomPlot para Windows instalado en: $PREFIX" && touch "$QCP_MARCA"
  rm -rf "$CACHE/build" "$CACHE/fuentes" "$CACHE/apt"
  exit 0
fi

# A build folder with build.ninja was configured completely: an interrupted build goes on.
B="$CACHE/build/qtbase"
if [ ! -f "$B/build.ninja" ]; then
  rm -rf "$B" && mkdir -p "$B"
  # Only what the program and its tests use is built. wintab.h is missing in MinGW-w64
  # (tabletevent); direct2d stays on (turning it off broke a link here).
  paso "Configurando qtbase" bash -c 'cd "$1" && shift && "$@"' _ "$B" "$QTSRC/configure" \
    -prefix "$PREFIX" -xplatform win32-g++ -qt-host-path /usr -release -shared \
    -nomake examples -nomake tests -no-opengl -no-dbus -no-icu -no-glib -no-fontconfig \
    -no-openssl -schannel -qt-zlib -qt-pcre -qt-libpng -qt-libjpeg -qt-harfbuzz -qt-freetype \
    -qt-doubleconversion -sql-sqlite -system-sqlite -no-sql-odbc -no-sql-psql -no-sql-mysql \
    -no-sql-ibase -no-sql-db2 -no-sql-oci -no-feature-tabletevent -no-feature-vulkan \
    -no-feature-concurrent -no-feature-xml \
    -- -DCMAKE_TOOLCHAIN_FILE="$CACHE/mingw-w64.cmake" -DBRAZO_WINDOWS_CACHE="$CACHE" \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DSQLite3_INCLUDE_DIR="$CACHE/sqlite/include" -DSQLite3_LIBRARY="$CACHE/sqlite/lib/libsqlite3.a"
fi
# Two cores, shared with whoever else is compiling: low priority.
paso "Compilando qtbase (ninja -j2; el progreso está en el registro)" nice -n 15 ninja -C "$B" -j2
rm -rf "$PREFIX"
paso "Instalando Qt en $PREFIX" cmake --install "$B"
compilar_qcustomplot
touch "$QCP_MARCA"

duracion="$(( (SECONDS - inicio) / 60 )) min $(( (SECONDS - inicio) % 60 )) s"
echo "compilado el $(date '+%F %T') en $duracion" >"$MARCA"
rm -rf "$CACHE/build" "$CACHE/fuentes" "$CACHE/apt"   # several GB, only needed to build
echo "Qt $QT_VERSION y QCustomPlot para Windows instalados en: $PREFIX"
echo "Tiempo total: $duracion"
