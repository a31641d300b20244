#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
source "$(dirname "$0")/common.sh"
instalar_paquetes "${PAQUETES_PROGRAMA[@]}"
compilar build -DCMAKE_BUILD_TYPE=Release -DBRAZO_TESTS=OFF
exec "$ROOT/build/shell/brazo" "$@"
