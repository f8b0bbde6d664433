#!/usr/bin/env bash
# The Windows installer, end to end under Wine:
#   windows_installer.sh BUILD_DIR CPACK LAYOUT [HOST_KVDUI]
# builds KvdUIBuilder-<version>-win64.exe with cpack, installs it silently into a fresh Wine prefix (so
# nothing but what the installer brings is there), checks the Start-menu entry and the .kvdui file type,
# runs the installed kvdui.exe (--version, packets LAYOUT) and compares its packets with the Linux
# kvdui's byte for byte (line endings aside), then uninstalls silently and checks that all of it is gone.
# Exits 77 (skipped) when makensis or Wine is missing.
set -uo pipefail
build=$1 cpack=$2 layout=$3 host_kvdui=${4:-}
wine=/usr/lib/wine/wine64
command -v makensis >/dev/null && [ -x "$wine" ] || { echo "makensis or wine64 missing: skipped"; exit 77; }

fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'WINEPREFIX="$work/prefix" /usr/lib/wine/wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH

cd "$build" || fail "no build folder $build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' CMakeCache.txt)
installer="$build/KvdUIBuilder-$version-win64.exe"
rm -f "$installer"
"$cpack" -G NSIS -B "$build" > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack -G NSIS"; }
[ -f "$installer" ] || fail "cpack made no $installer"
echo "built $(basename "$installer") ($(stat -c %s "$installer") bytes)"

"$wine" wineboot -i >/dev/null 2>&1
"$wine" "$installer" /S || fail "the silent install exited with $?"
dir="$WINEPREFIX/drive_c/Program Files/Korvadia UI Builder"
for f in bin/KvdUIBuilder.exe bin/kvdui.exe bin/kvdsim.exe bin/Qt6Core.dll bin/Qt6Widgets.dll \
         bin/platforms/qwindows.dll bin/libstdc++-6.dll share/doc/KvdUIBuilder/guide.md Uninstall.exe; do
    [ -f "$dir/$f" ] || fail "not installed: $f"
done
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Korvadia UI Builder"
[ -f "$menu/Korvadia UI Builder.lnk" ] || fail "no Start-menu entry in $menu: $(ls "$menu" 2>&1)"
"$wine" reg query 'HKCR\.kvdui' /ve 2>/dev/null | tr -d '\r' | grep -q 'Korvadia.KvdUILayout' ||
    fail ".kvdui is not registered"
"$wine" reg query 'HKCR\Korvadia.KvdUILayout\shell\open\command' /ve 2>/dev/null | tr -d '\r' |
    grep -qF 'Korvadia UI Builder\bin\KvdUIBuilder.exe" "%1"' || fail "no open command for .kvdui"

kvdui='C:\Program Files\Korvadia UI Builder\bin\kvdui.exe'
shown=$("$wine" "$kvdui" --version | tr -d '\r')
[ "$shown" = "kvdui $version" ] || fail "kvdui.exe --version printed '$shown'"
cp "$layout" "$work/layout.kvdui"
"$wine" "$kvdui" packets "Z:${work//\//\\}\\layout.kvdui" \
    > "$work/windows.txt" || fail "kvdui.exe packets exited with $?"
tr -d '\r' < "$work/windows.txt" > "$work/windows.lf"
[ -s "$work/windows.lf" ] || fail "kvdui.exe packets printed nothing"
if [ -n "$host_kvdui" ]; then
    "$host_kvdui" packets "$work/layout.kvdui" > "$work/linux.txt" || fail "the Linux kvdui failed"
    cmp "$work/linux.txt" "$work/windows.lf" || fail "the packets differ from the Linux kvdui's"
    echo "packets: $(wc -l < "$work/linux.txt") lines, the same as the Linux kvdui's"
fi

# "_?=FOLDER" keeps the uninstaller in place, so that it finishes before Wine returns. It must reach the
# uninstaller unquoted, which only a batch file's command line does.
printf '@"C:\\Program Files\\Korvadia UI Builder\\Uninstall.exe" /S _?=C:\\Program Files\\Korvadia UI Builder\r\n@exit %%ERRORLEVEL%%\r\n' \
    > "$work/uninstall.bat"
"$wine" cmd /c "Z:${work//\//\\}\\uninstall.bat" || fail "the silent uninstall exited with $?"
left=$(cd "$dir" && find . -mindepth 1 ! -name Uninstall.exe)
[ -z "$left" ] || fail "left after uninstalling: $(echo "$left" | head)"
[ ! -e "$menu" ] || fail "the Start-menu entry is left after uninstalling"
if "$wine" reg query 'HKCR\Korvadia.KvdUILayout' >/dev/null 2>&1; then fail "the file type is left after uninstalling"; fi
echo "installed, ran and uninstalled cleanly"
