#!/usr/bin/env bash
# Drives the real KvdUIBuilder on its own Xvfb display with xdotool, as a user would: inserting with a
# tool, dragging, Esc during a drag, the editing keys on the surface, in the tree, in the inspector's
# editor and in the log pane, Save, Undo and Quit. Every result is read back from the saved layout file
# and the window title. Every wait is bounded; the whole run ends within a few minutes even on a loaded
# machine. Exit status 77 (skipped) when Xvfb or xdotool is missing.
set -uo pipefail

builder=${1:?usage: xdotool_suite.sh KvdUIBuilder}
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || { echo "Xvfb or xdotool missing"; exit 77; }

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }

# wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds; false after SECONDS.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ $SECONDS -ge $deadline ] && return 1
        sleep 0.1
    done
}

# An X server of its own on a free display.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
wait_for 20 test -s "$work/display" || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# The display number is written once the server listens; the program starts once it also answers a client.
x_ready() { xdotool getdisplaygeometry >/dev/null 2>&1; }
wait_for 20 x_ready || { echo "Xvfb does not answer on $DISPLAY"; cat "$work/xvfb.log"; exit 1; }

# The program runs as a copy, so that its settings file (beside it) is the test's own; the window is
# placed at the screen's corner so that positions inside it are screen positions.
mkdir -p "$work/bin"
cp "$builder" "$work/bin/KvdUIBuilder"
cat >"$work/bin/KvdUIBuilder.ini" <<INI
[frmMain]
Left=0
Top=0
Width=644
Height=611
ShowCmd=1
INI
layout="$work/layout.kvdui"
printf '<?xml version="1.0"?>\n<ui/>\n' >"$layout"

# Recovery copies go to a data folder of the test's own: one left by an earlier, killed run must not be
# offered here, and this run's must not be offered to the user's next start.
export XDG_DATA_HOME="$work/data"
"$work/bin/KvdUIBuilder" "$layout" >"$work/app.log" 2>&1 &
app_pid=$!

find_window() { wid=$(xdotool search --name 'layout\.kvdui' 2>/dev/null | head -1); [ -n "$wid" ]; }
wait_for 60 find_window || { echo "no window"; cat "$work/app.log" "$work/xvfb.log"; exit 1; }
xdotool windowfocus --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid"


elements() { grep -o '<element ' "$layout" | wc -l; }
attr() { grep -o "<element [^>]*" "$layout" | sed -n "${2}p" | grep -o " $1=\"[^\"]*\"" | cut -d'"' -f2; }
saved_count() { [ "$(elements)" -eq "$1" ]; }
key() { xdotool key --delay 60 "$@"; sleep 0.3; }
click() { xdotool mousemove --sync "$1" "$2" click 1; sleep 0.3; }
# drag X1 Y1 X2 Y2 [KEY]: presses at the first point, moves to the second in steps, presses KEY (if
# given) while the button is still down, releases.
drag() {
    xdotool mousemove --sync "$1" "$2" mousedown 1
    sleep 0.2
    local i
    for i in 1 2 3 4 5 6 7 8; do
        xdotool mousemove --sync $(($1 + ($3 - $1) * i / 8)) $(($2 + ($4 - $2) * i / 8))
        sleep 0.05
    done
    sleep 0.2
    [ $# -ge 5 ] && xdotool key "$5" && sleep 0.3
    xdotool mouseup 1
    sleep 0.3
}
save_and_expect() { # COUNT WHAT
    key ctrl+s
    if wait_for 20 saved_count "$1"; then pass "$2"; else fail "$2 (file has $(elements) elements)"; fi
}

# Positions in the default window (644 x 611 at the screen's corner, default pane sizes).
SX=230; SY=74                   # the design surface's top left corner
ADD_BUTTON="324 32"             # the tool bar's "Add Button"
TREE_ROOT="60 62"               # the tree's first row
INSPECTOR_LEFT="150 506"        # the inspector's value of Left, with a button selected
LOG_PANE="430 540"
EMPTY_SURFACE="$((SX + 300)) $((SY + 300))"

# Insert: the tool, then a rectangle dragged on the surface.
click $ADD_BUTTON
drag $((SX + 30)) $((SY + 26)) $((SX + 110)) $((SY + 66))
save_and_expect 1 "a button inserted with the tool and saved with Ctrl+S"
[ "$(attr rel_left 1),$(attr width 1)" = "30,80" ] || fail "inserted at $(attr rel_left 1) width $(attr width 1)"

# Move by dragging.
drag $((SX + 70)) $((SY + 46)) $((SX + 110)) $((SY + 66))
key ctrl+s
if wait_for 20 test "$(attr rel_left 1),$(attr rel_top 1)" = "70,46"; then pass "drag moves"; else
    fail "drag left the button at $(attr rel_left 1),$(attr rel_top 1)"; fi

# Esc while dragging puts the button back; Select all, Copy and Paste on the surface.
drag $((SX + 110)) $((SY + 66)) $((SX + 170)) $((SY + 126)) Escape
click $EMPTY_SURFACE
key ctrl+a
key ctrl+c
key ctrl+v
save_and_expect 2 "Ctrl+A, Ctrl+C, Ctrl+V on the surface"
[ "$(attr rel_left 1),$(attr rel_top 1)" = "70,46" ] && pass "Esc cancels a drag" ||
    fail "Esc left the button at $(attr rel_left 1),$(attr rel_top 1)"

# Undo (it does not mark the document modified: a nudge with Ctrl+Right makes it savable).
sleep 0.5
key ctrl+z
key ctrl+a
key ctrl+Right
save_and_expect 1 "Ctrl+Z on the surface"
[ "$(attr rel_left 1)" = "72" ] && pass "Ctrl+Right moves the selection" || fail "Ctrl+Right: $(attr rel_left 1)"

# In the log pane the editing keys leave the elements alone.
click $LOG_PANE
key ctrl+a
key ctrl+v
key Delete
key ctrl+x
click $EMPTY_SURFACE
key ctrl+s
sleep 1
[ "$(elements)" -eq 1 ] && pass "the log pane keeps its keys" || fail "keys in the log pane changed the layout"

# In the tree: the element's row, Delete, then Ctrl+Z (and a nudge on the surface).
click $TREE_ROOT
key Down
key Delete
save_and_expect 0 "Delete in the tree"
sleep 0.5
key ctrl+z
click $EMPTY_SURFACE
key ctrl+a
key ctrl+Right
save_and_expect 1 "Ctrl+Z in the tree"

# In the inspector's editor Ctrl+A and Delete act on the text: the element stays and takes the value.
click $((SX + 80)) $((SY + 50))
click $INSPECTOR_LEFT
key ctrl+a
key Delete
xdotool type --delay 80 44
key Return
key ctrl+s
if wait_for 20 test "$(elements),$(attr rel_left 1)" = "1,44"; then pass "the inspector's editor keeps its keys"; else
    fail "inspector: $(elements) elements, left $(attr rel_left 1)"; fi

# The title names the file; Ctrl+Q ends the program, which writes its settings.
xdotool getwindowname "$wid" | grep -q "Korvadia UI Builder - \[.*layout.kvdui\]" && pass "window title" ||
    fail "window title: $(xdotool getwindowname "$wid")"
key ctrl+q
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
if wait_for 60 ended; then
    wait "$app_pid"
    status=$?
    app_pid=""
    [ $status -eq 0 ] && pass "Ctrl+Q quits" || fail "the program ended with status $status"
    grep -q "^TreeWidth=" "$work/bin/KvdUIBuilder.ini" && pass "settings written" || fail "no pane sizes in the settings"
else
    fail "Ctrl+Q did not end the program"
fi

[ $failures -eq 0 ] || { echo "--- program output"; cat "$work/app.log"; }
echo "$failures failure(s)"
[ $failures -eq 0 ]
