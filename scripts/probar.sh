#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once on a normal build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer; then a few seconds of each fuzz
# target, built with clang.
source "$(dirname "$0")/common.sh"
instalar_paquetes "${PAQUETES_PROGRAMA[@]}" "${PAQUETES_PRUEBAS[@]}"

compilar build-pruebas -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAZO_BENCH=ON
(cd "$ROOT/build-pruebas" && ctest --output-on-failure -j2)

if [ "${BRAZO_SIN_SANITIZADORES:-0}" != "1" ]; then
  compilar build-asan -DCMAKE_BUILD_TYPE=Debug -DBRAZO_SANITIZE=ON
  (cd "$ROOT/build-asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     ctest --output-on-failure -j2 -LE e2e)

  # libFuzzer comes with clang. The runs read the seed corpus and write nothing but the
  # input of a crash, kept in build-fuzz/fuzz/; a crash or a sanitizer report fails here.
  CC=clang-14 CXX=clang++-14 compilar build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRAZO_FUZZ=ON -DBRAZO_TESTS=OFF
  (cd "$ROOT/build-fuzz" && ctest --output-on-failure -j2 -L fuzz --no-tests=error)
fi
