#!/usr/bin/env bash
# Takes a screenshot of the real marlox.exe under Wine, in the virtual desktop of a headless
# session: screenshot.sh OUT.png [arguments for marlox.exe...]
# The picture shows the main window (or the whole desktop with MARLOX_SHOT=desktop).
# Run scripts/build.sh first. The program folder is build/shot/, so a configuration written
# by an earlier shot is used again; delete it for a first-start picture.
set -euo pipefail
out=$(realpath -m "$1")
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win
arch=win32
grep -q 'CMAKE_TOOLCHAIN_FILE:.*x86_64' "$build/CMakeCache.txt" 2>/dev/null && arch=win64

state=$root/build/shot-session
program=$root/build/shot
mkdir -p "$program" "$(dirname "$out")"
cp "$build/marlox.exe" "$build/UnRAR.dll" "$build/license.txt" "$program/"
cp -r "$root/data/." "$program/"

"$root/tools/wine-session.sh" start "$state" "$arch"
trap '"$root/tools/wine-session.sh" stop "$state"' EXIT
# shellcheck disable=SC1091
source "$state/env"
wintool() { timeout 60 "$WINE" "$build/tests/wintool.exe" "$@" | tr -d '\r'; }

(cd "$program" && exec timeout 120 "$WINE" "$program/marlox.exe" "$@") &
pid=$!
wintool title "Marlox V" 30 >/dev/null || { echo "no Marlox window appeared" >&2; exit 1; }
sleep "${MARLOX_SHOT_DELAY:-2}"
if [ "${MARLOX_SHOT:-window}" = desktop ]; then
    import -window root "$out"
else
    import -window root -crop "$(wintool rect "Marlox V")" +repage "$out"
fi
title=$(wintool title "Marlox V" 1)
wintool close "$title" || true
wait "$pid" || true
echo "screenshot: $out"
