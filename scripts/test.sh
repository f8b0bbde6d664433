#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite without a display.
# KVD_SANITIZE=address runs the suite in an AddressSanitizer+UBSan build, =thread under ThreadSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
build="${KVD_BUILD_DIR:-$root/build}"
case "${KVD_SANITIZE:-}" in
    "") ;;
    address)
        opts+=(-DKVD_ASAN=ON -DKVD_BENCH=OFF)
        build="${KVD_BUILD_DIR:-$root/build-asan}"
        export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
        export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
        export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}"
        ;;
    thread)
        opts+=(-DKVD_TSAN=ON -DKVD_BENCH=OFF)
        build="${KVD_BUILD_DIR:-$root/build-tsan}"
        export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}"
        ;;
    *) echo "KVD_SANITIZE must be address or thread" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$build" -G Ninja "${opts[@]}" >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
