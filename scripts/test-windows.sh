#!/usr/bin/env bash
# Cross-builds for Windows (scripts/build-windows.sh) and runs the whole test suite under Wine, with the
# offscreen platform. The installer test compares the installed kvdui.exe's packets with those of the
# Linux kvdui, which is built here too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" windows
host="${KVD_HOST_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$host" --target kvdui
export KVD_HOST_KVDUI="$host/tools/kvdui"
"$root/scripts/build-windows.sh"
build="${KVD_BUILD_DIR:-$root/build-windows}"
# One Wine prefix for the run, made before the tests start so that they do not race to create it.
export WINEPREFIX="$build/wineprefix"
"$root/scripts/wine-run.sh" cmd /c exit 0
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
