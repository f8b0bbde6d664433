#!/usr/bin/env bash
# Builds the link's tests and the kvdui tool under ThreadSanitizer (build-tsan/) and runs them: the
# reader and writer threads, the hand-off to the client's thread and the shutdown races.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${KVD_BUILD_DIR:-$root/build-tsan}"
tests=(tst_linkrecords tst_kvddromo tst_linkfaults tst_linkstress test_kvdui_link)
opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVD_TSAN=ON -DKVD_BENCH=OFF)
cmake -S "$root" -B "$build" -G Ninja "${opts[@]}" >/dev/null
cmake --build "$build" --target "${tests[@]}" kvdui
cd "$build"
QT_QPA_PLATFORM=offscreen ctest -R "^($(IFS='|'; echo "${tests[*]}"))\$" --output-on-failure --timeout 300
