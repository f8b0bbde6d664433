#!/usr/bin/env bash
# Cross-builds KvdUIBuilder.exe, kvdui.exe and kvdsim.exe (and the tests) for Windows on Debian, and lays
# the programs out runnable with their DLLs in build-windows/dist/bin.
# Qt for mingw-w64: KVD_QT_MINGW (any Qt 6 built for mingw, e.g. one from Qt's installer), else the archive
# in ../shared/windows/ (or KVD_QT_ARCHIVE), unpacked once into ~/.cache/kvduibuilder/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" windows

if [ -z "${KVD_QT_MINGW:-}" ]; then
    archive="${KVD_QT_ARCHIVE:-$root/../shared/windows/qt6-mingw-6.4.2.tar.xz}"
    cache="${XDG_CACHE_HOME:-$HOME/.cache}/kvduibuilder"
    KVD_QT_MINGW="$cache/qt6-mingw"
    stamp="$cache/qt6-mingw.from"
    if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$(sha256sum < "$archive")" ]; then
        [ -f "$archive" ] || { echo "No Qt for mingw: set KVD_QT_MINGW or put the archive at $archive" >&2; exit 1; }
        echo "Unpacking $(basename "$archive") into $cache"
        rm -rf "$KVD_QT_MINGW" "$stamp"
        mkdir -p "$cache"
        tar xJf "$archive" -C "$cache"
        sha256sum < "$archive" > "$stamp"
    fi
fi
export KVD_QT_MINGW

build="${KVD_BUILD_DIR:-$root/build-windows}"
opts=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DKVD_QT_MINGW="$KVD_QT_MINGW"
      -DCMAKE_BUILD_TYPE=Release -DKVD_BENCH=OFF)
[ -n "${KVD_HOST_KVDUI:-}" ] && opts+=(-DKVD_HOST_KVDUI="$KVD_HOST_KVDUI")
cmake -S "$root" -B "$build" -G Ninja "${opts[@]}" >/dev/null
cmake --build "$build"
rm -rf "$build/dist"
cmake --install "$build" --prefix "$build/dist" >/dev/null
echo "Windows programs with their DLLs: $build/dist/bin"
