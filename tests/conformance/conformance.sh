#!/usr/bin/env bash
# One scripted session in every language the runtime is reached from: each runs against its own
# kvdsim --headless, with the click and the typed text sent from the stand-in's standard input and the
# connection closed by it after the hide. Every language must send byte-identical packets and print the
# same lines (events and error codes) as the C session.
#
#   conformance.sh KVDSIM LAYOUT NAME=COMMAND...   (each COMMAND is run with LAYOUT PORT BADFILE after it)
set -euo pipefail
kvdsim=$1 layout=$2
shift 2
# shellcheck source=../StandIn.sh
. "$(dirname "$0")/../StandIn.sh"
printf 'this is not a layout' >"$work/bad.kvdui"

first=
for entry in "$@"; do
    name=${entry%%=*}
    read -r -a command <<<"${entry#*=}"
    start_sim "$name"
    log=$sim_log
    "${command[@]}" "$layout" "$sim_port" "$work/bad.kvdui" >"$work/out-$name.txt" 2>"$work/err-$name.txt" &
    session=$!
    wait_lines '^1 < .. 2d ' 10 "$log" || fail "$name: the show and the set did not arrive"
    echo "click 1 3" >&9
    echo "type 1 8 Max Power" >&9
    wait_lines '^1 < .. 2a ' 1 "$log" || fail "$name: the hide did not arrive"
    echo "close 1" >&9
    wait "$session" || fail "$name: the session failed"
    stop_sim
    sed -n 's/^1 < //p' "$log" | grep -E '^.. (2d|2a) ' >"$work/packets-$name.txt" || true
    tr -d '\r' <"$work/out-$name.txt" >"$work/lines-$name.txt"
    if [ -z "$first" ]; then
        first=$name
        # The C session's own lines, as the description of what every language must print.
        diff - "$work/lines-$name.txt" <<'LINES' >"$work/diff-$name.txt" || fail "$name: unexpected lines"
show 9
set 1
click 3 fuel_plus 1
text 8 driver Max Power
hide 1
disconnected
closed 9
unknown-name 5
odd-values 1
bad-file 4
no-simulator 8
LINES
    else
        diff "$work/packets-$first.txt" "$work/packets-$name.txt" >"$work/diff-$name.txt" ||
            fail "$name: other packets than $first"
        diff "$work/lines-$first.txt" "$work/lines-$name.txt" >"$work/diff-$name.txt" ||
            fail "$name: other lines than $first"
    fi
    echo "$name: same as $first ($(wc -l <"$work/packets-$name.txt") packets)"
done
