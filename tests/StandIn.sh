# Shell helpers for tests that drive kvdsim --headless from a script (sourced, not run): a work folder that
# goes away with the script, a failure that shows the logs, a bounded wait for log lines, and the stand-in
# started with its standard input on descriptor 9 (commands: echo "click 1 3" >&9) and stopped again.
# The script sets kvdsim to the stand-in's path and fail_logs to the glob of the files a failure shows.

work=$(mktemp -d)
sim_pid=
fail_logs='*'
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
    exec 9>&- 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    local f
    for f in "$work"/$fail_logs; do
        [ -f "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }
    done
    exit 1
}

# Waits up to 10 s until file has at least count lines matching pattern.
wait_lines() {
    local pattern=$1 count=$2 file=$3 round
    for round in $(seq 1 100); do
        [ "$(grep -c -E "$pattern" "$file" 2>/dev/null || true)" -ge "$count" ] && return 0
        sleep 0.1
    done
    return 1
}

# start_sim NAME: kvdsim --headless on a free port, its output in $work/sim-NAME.log (also in sim_log), its
# port in sim_port.
start_sim() {
    sim_log=$work/sim-$1.log
    local fifo=$work/sim-$1.in
    mkfifo "$fifo"
    QT_QPA_PLATFORM=offscreen "$kvdsim" --headless --port 0 <"$fifo" >"$sim_log" 2>&1 &
    sim_pid=$!
    exec 9>"$fifo"
    wait_lines '^listening ' 1 "$sim_log" || fail "$1: kvdsim did not start"
    sim_port=$(sed -n 's/^listening .*:\([0-9]*\)$/\1/p' "$sim_log" | head -1)
}

# Tells the stand-in to quit and waits until it has.
stop_sim() {
    echo quit >&9
    exec 9>&-
    wait "$sim_pid" || true
    sim_pid=
}
