#!/bin/sh
# Installs the build into a temporary prefix and checks what a desktop reads of it.
set -eu
build=$1
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "sin $tool: prueba omitida"; exit 77; }
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
id=mx.torvane.SimuladorBrazo
test -x "$prefix/bin/brazo"
for size in 16 32 48 64 128 256; do
    test -s "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
done
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
# The entry names an icon and a program that the install provides.
grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop"
grep -qx "Exec=brazo" "$prefix/share/applications/$id.desktop"
