#!/usr/bin/env bash
# Installs what is missing, builds the builder and starts it. Extra arguments go to the program
# (for example a .kvdui file to open).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build="${KVD_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target KvdUIBuilder
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    exec xvfb-run -a "$build/app/KvdUIBuilder" "$@"
fi
exec "$build/app/KvdUIBuilder" "$@"
