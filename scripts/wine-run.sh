#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine, as CTest's emulator and by hand:
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
# Wine passes no QT_* variable to the program, so each is handed over with the WINE prefix that Wine strips.
# The Qt and mingw runtime folders go on the program's PATH, and the offscreen platform gets a font folder.
# A Qt Test program writes nothing to a redirected stdout under Wine; given "-o FILE,txt" (which the
# Windows test registration adds) this prints the report after the run.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
qt="${KVD_QT_MINGW:-${XDG_CACHE_HOME:-$HOME/.cache}/kvduibuilder/qt6-mingw}"
export WINEPREFIX="${WINEPREFIX:-$root/build-windows/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

winpath() { echo "Z:${1//\//\\}"; }
path="$(winpath "$qt/bin");$(winpath /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(winpath /usr/x86_64-w64-mingw32/lib)"
export WINEPATH="$path${WINEPATH:+;$WINEPATH}"
export QT_QPA_FONTDIR="${QT_QPA_FONTDIR:-$(winpath /usr/share/fonts/truetype/dejavu)}"
while IFS='=' read -r name _; do
    [[ "$name" == QT_* ]] && export "WINE$name=${!name}"
done < <(env)

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
fi

report=""
args=("$@")
for ((i = 1; i < ${#args[@]}; i++)); do
    if [ "${args[i - 1]}" = "-o" ] && [[ "${args[i]}" == *,txt ]]; then
        report="${args[i]%,txt}"
        rm -f "$report"
    fi
done
"$wine" "$@"
rc=$?
[ -n "$report" ] && [ -f "$report" ] && cat "$report"
exit $rc
