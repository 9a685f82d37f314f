#!/usr/bin/env bash
# Installs what is missing, builds, and starts marlox.exe under Wine on a sample archive.
# With a display, Marlox opens there; without one, it runs in Xvfb and a screenshot is written
# to build/screenshots/run.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh
bash scripts/build.sh

# The sample archive is made fresh from files of this repository.
sample=$root/build/sample/sample.zip
mkdir -p "$(dirname "$sample")"
rm -f "$sample"
(cd "$root" && zip -q -9 -r "$sample" README.md data)
# Wine shows the Linux root as drive Z:.
sample_windows="Z:$(tr / '\\' <<<"$sample")"

if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    arch=win32
    grep -q 'CMAKE_TOOLCHAIN_FILE:.*x86_64' build/win/CMakeCache.txt && arch=win64
    export WINEPREFIX=$root/build/run-prefix WINEARCH=$arch WINEDEBUG=-all
    wine=/usr/lib/wine/wine
    [ "$arch" = win64 ] && wine=/usr/lib/wine/wine64
    mkdir -p build/run
    cp build/win/marlox.exe build/win/UnRAR.dll build/win/license.txt build/run/
    cp -r data/. build/run/
    cd build/run && exec "$wine" ./marlox.exe "$sample_windows"
fi
MARLOX_SHOT=desktop bash scripts/screenshot.sh "$root/build/screenshots/run.png" "$sample_windows"
