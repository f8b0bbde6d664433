#!/usr/bin/env bash
# Makes the pictures of docs/guide.md from the real programs, so that they show what users see: the
# builder on a virtual X display of its own (driven with xdotool), kvdsim showing the example layout
# sent by `kvdui show`, and `kvdui render`. Run it again whenever the programs change how they look.
#
#   scripts/guide-pictures.sh            (builds into build/, writes docs/pictures/*.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
for p in imagemagick; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
        { sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo); "${sudo_cmd[@]}" apt-get install -y -qq "$p"; }
done
build="${KVD_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target KvdUIBuilder kvdui kvdsim

layout="$root/docs/pit-stop.kvdui"
out="$root/docs/pictures"
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own; the builder runs as a copy beside a settings file that puts its window at the
# screen's corner, with data and configuration folders of its own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
unset QT_QPA_PLATFORM
mkdir -p "$work/bin"
cp "$build/app/KvdUIBuilder" "$work/bin/KvdUIBuilder"
printf '[frmMain]\nLeft=0\nTop=0\nWidth=644\nHeight=611\nShowCmd=1\n' >"$work/bin/KvdUIBuilder.ini"
cp "$layout" "$work/pit-stop.kvdui"

shot() { # name: the builder's window
    sleep 0.7
    import -window root -crop 644x611+0+0 +repage "$out/$1.png"
}
# Design pixel (x, y) of the surface on the screen, with the window at the corner.
surface_x=229
surface_y=73

"$work/bin/KvdUIBuilder" "$work/pit-stop.kvdui" >"$work/builder.log" 2>&1 &
builder=$!
pids+=($builder)
sleep 3
# A button selected: its handles, its node in the tree and its properties in the inspector.
xdotool mousemove $((surface_x + 70)) $((surface_y + 96)) click 1
shot builder-design
# Edit -> Arrange with the two tyre buttons selected (Shift+click adds the second).
xdotool keydown shift mousemove $((surface_x + 160)) $((surface_y + 104)) click 1 keyup shift
xdotool mousemove 54 7 click 1
sleep 0.5
xdotool mousemove 90 234
sleep 0.5
xdotool mousemove 320 234
shot builder-arrange
xdotool key Escape Escape
sleep 0.3
# The Problems tab under the surface.
xdotool mousemove 301 573 click 1
shot builder-problems
# The simulator look (View -> Simulator look).
xdotool mousemove 93 7 click 1
sleep 0.4
xdotool mousemove 130 30 click 1
shot builder-simlook
# Back to the plain look, then View -> Element names with the Fuel +5 L button selected.
xdotool mousemove 93 7 click 1
sleep 0.4
xdotool mousemove 130 30 click 1
xdotool mousemove 93 7 click 1
sleep 0.4
xdotool mousemove 130 52 click 1
sleep 0.3
xdotool mousemove $((surface_x + 70)) $((surface_y + 66)) click 1
shot builder-names
kill "$builder" 2>/dev/null || true

# kvdsim showing the layout as a client sends it.
port=$((30000 + RANDOM % 20000))
"$build/sim/kvdsim" --port "$port" >"$work/kvdsim.log" 2>&1 &
pids+=($!)
sleep 2
"$build/tools/kvdui" show "$layout" --port "$port" --name "Pit wall" --set lap=12 --set laps=57 \
    >"$work/show.log" 2>&1 &
pids+=($!)
sleep 2
sim_window=$(xdotool search --onlyvisible --name kvdsim | head -1)
eval "$(xdotool getwindowgeometry --shell "$sim_window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/kvdsim-preview.png"

# The command line's picture of the same layout.
"$build/tools/kvdui" render "$layout" -o "$out/render.png" --set lap=12 --set laps=57 --scale 2
ls -l "$out"
