# Shared by iniciar.sh and probar.sh: installs what is missing, configures and builds.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# What building and running the program need.
PAQUETES_PROGRAMA=(build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite
                   libqcustomplot-dev qt6-translations-l10n fonts-liberation2)
# What the tests, the benchmarks and the fuzz targets add: pseudo-terminals, an X server to
# drive, the accessibility bus and its Python client, the validators of the installed files,
# clang with its sanitizer and fuzzer runtimes.
PAQUETES_PRUEBAS=(socat xvfb xauth xdotool imagemagick libbenchmark-dev liborocos-kdl-dev
                  dbus at-spi2-core python3-pyatspi gir1.2-atspi-2.0 desktop-file-utils appstream
                  clang libclang-rt-14-dev)

# instalar_paquetes PAQUETE...: installs those not installed yet, as root or through sudo.
instalar_paquetes() {
  local faltan=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
  done
  [ ${#faltan[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Instalando: ${faltan[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${faltan[@]}"
}

# compilar DIR [opciones de cmake...]
compilar() {
  local dir="$1"; shift
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja "$@" >/dev/null
  cmake --build "$ROOT/$dir" -j2
}
