#!/usr/bin/env bash
# The Python package the way pip takes it, without the network: a wheel built from a copy of
# bindings/python, installed into a folder of its own and imported from there.
#
#   python_wheel.sh PYTHON SOURCE     (KVDUI_LIBRARY and PIT_STOP from the environment)
set -euo pipefail
python=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source" "$work/src"
pip=("$python" -m pip --disable-pip-version-check --no-input --no-cache-dir)
"${pip[@]}" wheel --no-index --no-build-isolation --no-deps -w "$work/wheels" "$work/src" >"$work/wheel.log" 2>&1 ||
    { cat "$work/wheel.log" >&2; exit 1; }
wheel=$(ls "$work"/wheels/kvdui-1.0.0-*.whl)
"$python" -m zipfile -l "$wheel" >"$work/wheel.txt"
grep -q 'kvdui/py.typed' "$work/wheel.txt" || { echo "the wheel lacks py.typed" >&2; exit 1; }
"${pip[@]}" install --no-index --no-deps --target "$work/site" "$wheel" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; exit 1; }
found=$(cd "$work" && PYTHONPATH="$work/site" "$python" -c '
import sys, kvdui
print(kvdui.__file__.startswith(sys.argv[1]), kvdui.version(), kvdui.Layout.open(sys.argv[2]).id("fuel_plus"))' \
    "$work/site" "$PIT_STOP")
[ "$found" = "True 1.0.0 3" ] || { echo "the installed wheel gave: $found" >&2; exit 1; }
echo "wheel $(basename "$wheel") installs and loads"
