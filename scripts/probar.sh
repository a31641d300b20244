#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once on a normal build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
source "$(dirname "$0")/common.sh"
instalar_paquetes "${PAQUETES_PROGRAMA[@]}" "${PAQUETES_PRUEBAS[@]}"

compilar build-pruebas -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAZO_BENCH=ON
(cd "$ROOT/build-pruebas" && ctest --output-on-failure -j2)

if [ "${BRAZO_SIN_SANITIZADORES:-0}" != "1" ]; then
  compilar build-asan -DCMAKE_BUILD_TYPE=Debug -DBRAZO_SANITIZE=ON
  (cd "$ROOT/build-asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     ctest --output-on-failure -j2 -LE e2e)
fi
