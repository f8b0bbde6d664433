#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Safe to run again:
# packages already present are not touched, and nothing asks a question.
set -euo pipefail
# xdotool drives the builder on Xvfb in the desktop tests; desktop-file-utils, shared-mime-info and
# dpkg-dev check the installation and build its Debian package; pkgconf builds the C example against
# the installed kvdui.pc; python3-pytest tests the Python binding and pip with wheel builds and installs
# its wheel, Mono builds and runs the C# one;
# libxtst and libxdamage let a benchmark click the stand-in's window on Xvfb and see it change.
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev libbenchmark-dev xvfb xauth xdotool
          desktop-file-utils shared-mime-info dpkg-dev file pkgconf python3 python3-setuptools python3-pytest
          python3-pip python3-wheel mono-mcs mono-runtime libxtst-dev libxdamage-dev)
# "deps.sh windows": also the cross compiler, Wine to run the tests, NSIS for the installer and the fonts
# Qt's offscreen platform draws with on Windows.
if [ "${1:-}" = windows ]; then
    packages+=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 nsis fonts-dejavu-core xz-utils)
fi
# Node and its headers build and test the Node binding, and TypeScript checks its types: Debian's nodejs and
# libnode-dev unless a node is installed already (NodeSource's, which brings its headers and cannot have
# libnode-dev beside it); node-typescript goes with either package of nodejs.
if ! command -v node >/dev/null; then
    packages+=(nodejs libnode-dev node-typescript)
elif dpkg-query -W -f='${Status}' nodejs 2>/dev/null | grep -q "install ok installed"; then
    packages+=(node-typescript)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_cmd[@]}" apt-get update -qq
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
