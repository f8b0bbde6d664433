#!/usr/bin/env bash
# The SDK as a user's program meets it: the project installed into a fresh prefix, the C and C++ pit-stop
# examples built there as separate projects (find_package(KvdUI), and the C one also with pkg-config), each
# run against kvdsim --headless with a click and a typed text sent from the stand-in's standard input.
# The button packets the stand-in receives must equal what kvdui packets gives for the same values.
#
#   sdk_examples.sh BUILD_DIR SOURCE_DIR CMAKE KVDUI KVDSIM
set -euo pipefail
build=$1 source=$2 cmake=$3 kvdui=$4 kvdsim=$5
layout=$source/docs/pit-stop.kvdui
# shellcheck source=../StandIn.sh
. "$(dirname "$0")/../StandIn.sh"
fail_logs='*.log'

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "cmake --install"
libdir=$(dirname "$(find "$prefix" -name 'libkvdui.so.1' -print -quit)")
[ -f "$libdir/pkgconfig/kvdui.pc" ] || fail "no kvdui.pc beside $libdir"
# A library of a sanitizer build needs the sanitizer's runtime loaded first, which a plain program does not do.
# With the C++ runtime too: the sanitizer wraps its exception functions only when that is loaded as early.
preload=$(ldd "$libdir/libkvdui.so.1" | awk '/libasan/ { print $3 }')
[ -n "$preload" ] && preload="$preload:$(ldd "$libdir/libkvdui.so.1" | awk '/libstdc\+\+/ { print $3 }')"

for lang in c cpp; do
    "$cmake" -S "$source/examples/$lang" -B "$work/$lang" -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_BUILD_TYPE=Release >"$work/configure-$lang.log" 2>&1 || fail "configuring examples/$lang"
    "$cmake" --build "$work/$lang" >"$work/build-$lang.log" 2>&1 || fail "building examples/$lang"
done
PKG_CONFIG_PATH=$libdir/pkgconfig
export PKG_CONFIG_PATH
mkdir -p "$work/pc"
# shellcheck disable=SC2046 # pkg-config's flags are meant to split
"$prefix/bin/kvdui" gen "$layout" --lang c --embed -o "$work/pc/pit-stop.kvdui.h" 2>"$work/gen.log" ||
    fail "kvdui gen"
cc -std=c99 -Wall -Wextra -Werror -I"$work/pc" -o "$work/pc/pit_stop" "$source/examples/c/pit_stop.c" \
    $(pkg-config --cflags --libs kvdui) 2>"$work/pkgconfig.log" || fail "building examples/c with pkg-config"

# Generated headers compile in C and C++ and carry a layout with awkward text byte for byte.
mkdir -p "$work/gen"
printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' '<ui>' \
    '  <element type="TKvdUIButton" id="7" name="class" text="a &quot;b&quot; \ ??= caf&#233; {lap} {Lap} {not one}"/>' \
    "  <element type=\"TKvdUIText\" id=\"9\" name=\"go\" text=\"tab\there Ã©\"/>" '</ui>' >"$work/gen/odd.kvdui"
"$kvdui" gen "$work/gen/odd.kvdui" --lang c --embed --prefix ODD -o "$work/gen/odd.h" || fail "kvdui gen --lang c"
"$kvdui" gen "$work/gen/odd.kvdui" --lang cpp --embed --namespace boards::odd -o "$work/gen/odd.hpp" ||
    fail "kvdui gen --lang cpp"
cat >"$work/gen/c.c" <<'C'
#include "odd.h"
#include <stdio.h>
int main(void) {
    printf("%d %d %s\n", ODD_CLASS, ODD_GO, ODD_PLACEHOLDER_LAP);
    fwrite(ODD_LAYOUT, 1, ODD_LAYOUT_LENGTH, stdout);
    return 0;
}
C
cat >"$work/gen/cpp.cpp" <<'CPP'
#include "odd.hpp"
#include <iostream>
int main() {
    std::cout << boards::odd::class_ << ' ' << boards::odd::go << ' ' << boards::odd::placeholder::lap << '\n'
              << boards::odd::layout;
}
CPP
cc -std=c99 -Wall -Wextra -pedantic -Werror -I"$work/gen" -o "$work/gen/c" "$work/gen/c.c" 2>"$work/gen-c.log" ||
    fail "the generated C header does not compile"
c++ -std=c++17 -Wall -Wextra -pedantic -Werror -I"$work/gen" -o "$work/gen/cpp" "$work/gen/cpp.cpp" \
    2>"$work/gen-cpp.log" || fail "the generated C++ header does not compile"
for program in c cpp; do
    "$work/gen/$program" >"$work/gen/$program.out"
    [ "$(head -1 "$work/gen/$program.out")" = "7 9 lap" ] || fail "$program: wrong constants"
    tail -n +2 "$work/gen/$program.out" | cmp -s - "$work/gen/odd.kvdui" || fail "$program: the embedded layout differs"
done

# The installed Python binding finds the library of its own install, with no settings.
if [ -x /usr/bin/python3 ]; then
    # (The interpreter's own allocations at exit are no leaks of this project.)
    found=$(cd "$work" && env -u KVDUI_LIBRARY LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0 PYTHONDONTWRITEBYTECODE=1 \
        PYTHONPATH="$libdir/python3/dist-packages" /usr/bin/python3 -c 'import kvdui; print(kvdui.version())' 2>&1) ||
        fail "the installed Python binding: $found"
    [ "$found" = "1.0.0" ] || fail "the installed Python binding gave version $found"
fi

# The installed C# assembly finds the library of its own install too (Mono).
if command -v mcs >/dev/null && command -v mono >/dev/null; then
    assembly=$(find "$prefix" -name Kvdui.dll -print -quit)
    [ -n "$assembly" ] || fail "no Kvdui.dll installed"
    mkdir -p "$work/cs"
    printf 'class P { static void Main() { System.Console.WriteLine(Korvadia.Kvdui.Kvdui.Version); } }\n' >"$work/cs/p.cs"
    mcs -nologo -r:"$assembly" -out:"$work/cs/p.exe" "$work/cs/p.cs" >"$work/mcs.log" 2>&1 || fail "compiling against Kvdui.dll"
    found=$(LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0 MONO_PATH=$(dirname "$assembly") mono "$work/cs/p.exe" 2>&1) ||
        fail "the installed C# assembly: $found"
    [ "$found" = "1.0.0" ] || fail "the installed C# assembly gave version $found"
fi

# The installed Node package finds the library of its own install too, with no settings.
if command -v node >/dev/null && [ -f /usr/include/node/node_api.h ]; then
    package=$libdir/node_modules/kvdui
    [ -f "$package/kvdui.node" ] || fail "no Node package in $package"
    found=$(cd "$work" && env -u KVDUI_LIBRARY -u KVDUI_NODE_ADDON LD_PRELOAD="$preload" ASAN_OPTIONS=detect_leaks=0 node -e \
        'const kvdui = require(process.argv[1]);
         console.log(kvdui.version(), kvdui.Layout.open(process.argv[2]).id("fuel_plus"), kvdui.load().library)' \
        "$package" "$layout" 2>&1) || fail "the installed Node package: $found"
    [ "$found" = "1.0.0 3 $(realpath "$libdir/libkvdui.so.1")" ] || fail "the installed Node package gave: $found"
fi

# What the board's first show must send: kvdui packets for lap 1 of 57, one hex line per packet.
"$kvdui" packets "$layout" --set lap=1 --set laps=57 >"$work/expected.txt" 2>"$work/packets.log" ||
    fail "kvdui packets"
expected_count=$(wc -l <"$work/expected.txt")
[ "$expected_count" -gt 0 ] || fail "kvdui packets gave nothing"

run_example() {
    local name=$1 program=$2 board=$3
    start_sim "$name"
    local out=$sim_log

    LD_PRELOAD=$preload LD_LIBRARY_PATH=$libdir "$program" "$board" "$sim_port" 3 >"$work/example-$name.log" 2>&1 &
    local example=$!
    # The stand-in only clicks buttons it has: wait for the whole first show.
    wait_lines '^1 < .. 2d ' "$expected_count" "$out" || fail "$name: the board's buttons did not arrive"
    echo "click 1 3" >&9
    echo "type 1 8 Max Power" >&9
    wait "$example" || fail "$name: the example failed"
    # On exit the board is hidden: a delete of its IDs, which the stand-in must have logged before it quits.
    wait_lines '^1 < .. 2a ' 1 "$out" || fail "$name: the board was not hidden"
    stop_sim

    grep -q '^click fuel_plus: fuel +5 L$' "$work/example-$name.log" || fail "$name: no click reported"
    grep -q '^typed into driver: Max Power$' "$work/example-$name.log" || fail "$name: no typed text reported"
    sed -n 's/^1 < //p' "$out" | grep -E '^.. 2d ' | head -n "$expected_count" >"$work/received-$name.txt"
    diff "$work/expected.txt" "$work/received-$name.txt" >"$work/diff-$name.log" ||
        fail "$name: the packets differ from kvdui packets"
    # Each second moves the lap on, and only the lap counter's text changes with it.
    local laps
    laps=$(sed -n 's/^1 < //p' "$out" | grep -c -E '^.. 2d ' || true)
    [ "$laps" -gt "$expected_count" ] || fail "$name: no lap update arrived"
    rm -f "$work/sim-$name.log"
    echo "$name: ok"
}

run_example c "$work/c/pit_stop" "$layout"
run_example cpp "$work/cpp/pit_stop" "$layout"
# The layout built into the program by --embed, with no file at run time.
run_example c-pkgconfig "$work/pc/pit_stop" -
