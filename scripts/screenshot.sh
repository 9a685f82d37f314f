#!/usr/bin/env bash
# Pictures of the real marlox.exe under Wine, in the virtual desktop of a headless session.
#
#   screenshot.sh OUT.png [arguments for marlox.exe...]
#       the main window (or the whole desktop with MARLOX_SHOT=desktop)
#   screenshot.sh --docs [FOLDER]
#       the main window on a sample archive and each of its dialogs, as small PNGs in FOLDER
#       (docs/ by default), the pictures the README shows
#
# Run scripts/build.sh first. The program folder is build/shot/, so a configuration written by
# an earlier shot is used again; delete it for a first-start picture. The --docs pictures show
# nothing of this machine: their session has no drive for the host's files, the program is in
# C:\Program Files\Marlox and the sample archive alone in C:\Samples.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win
arch=win32
grep -q 'CMAKE_TOOLCHAIN_FILE:.*x86_64' "$build/CMakeCache.txt" 2>/dev/null && arch=win64

docs=
if [ "${1:-}" = --docs ]; then
    docs=$(realpath -m "${2:-$root/docs}")
    mkdir -p "$docs"
else
    out=$(realpath -m "$1")
    shift
    mkdir -p "$(dirname "$out")"
fi

state=$root/build/shot-session
"$root/tools/wine-session.sh" start "$state" "$arch" ${docs:+--no-host-drive}
trap '"$root/tools/wine-session.sh" stop "$state"' EXIT
# shellcheck disable=SC1091
source "$state/env"

# Where the program and the window helper lie, and the folder the program starts in.
program=$root/build/shot
wintool_exe=$build/tests/wintool.exe
here=$program
if [ -n "$docs" ]; then
    program="$WINEPREFIX/drive_c/Program Files/Marlox"
    wintool_exe=$WINEPREFIX/drive_c/windows/wintool.exe
    here=$WINEPREFIX/drive_c/Samples
    cp "$build/tests/wintool.exe" "$wintool_exe"
fi
mkdir -p "$program" "$here"
cp "$build/marlox.exe" "$build/UnRAR.dll" "$build/license.txt" "$program/"
cp -r "$root/data/." "$program/"

wintool() { timeout 60 "$WINE" "$wintool_exe" "$@" | tr -d '\r'; }
# Message `n` of the English catalog: the titles of the dialogs.
message() { sed -n "$(($1 + 2))p" "$root/data/Common.catalog_en" | tr -d '\r'; }

start() {
    (cd "$here" && exec timeout 300 "$WINE" "$program/marlox.exe" "$@") &
    pid=$!
    wintool title "Marlox V" 30 >/dev/null || {
        echo "no Marlox window appeared" >&2
        exit 1
    }
    sleep "${MARLOX_SHOT_DELAY:-2}"
}
# Crops the window titled (or, with -p, whose title starts with) $2 from the screen into $1.
shoot() {
    local file=$1 title=$2
    import -window root -crop "$(wintool rect "$title")" +repage "PNG8:$file"
}
stop() {
    wintool close "$(wintool title "Marlox V" 1)" || true
    wait "$pid" || true
}

if [ -z "$docs" ]; then
    start "$@"
    if [ "${MARLOX_SHOT:-window}" = desktop ]; then
        import -window root "$out"
    else
        shoot "$out" "Marlox V"
    fi
    stop
    echo "screenshot: $out"
    exit 0
fi

# The English texts, and a sample archive of this repository's files.
printf 'language = en\r\n' >"$program/marlox.ini"
(cd "$root" && zip -q -9 -r "$here/docs.zip" README.md data src/app src/zip)
start 'C:\Samples\docs.zip'
main=$(wintool title "Marlox V" 5)
shoot "$docs/main.png" "$main"
# Each dialog: its command, its title, the button that closes it, the picture's name.
while read -r command title button name; do
    title=${title//_/ }
    case $title in m[0-9]*) title=$(message "${title#m}") ;; esac
    wintool command "$main" "$command"
    wintool wait "$title" 20 >/dev/null || {
        echo "no window titled $title after command $command" >&2
        exit 1
    }
    sleep 1
    shoot "$docs/$name.png" "$title"
    wintool press "$title" "$button"
    sleep 0.5
done <<'EOF'
6 m107 2 extract
9 m41 2 add
14 enCrypt 2 encipher
1 m33 106 settings
2 m4 1 help
12 Historie/Credits/License 1 history
3 Author 1 about
29 Eigenschaften 1 properties
EOF
stop
# The password question of an archive whose members are encrypted, cancelled; the box naming
# the member left out is then closed.
(cd "$here" && printf 'a letter\n' >letter.txt && zip -q -P secret letter.zip letter.txt &&
    rm letter.txt)
start 'C:\Samples\letter.zip'
main=$(wintool title "Marlox V" 5)
wintool command "$main" 6
wintool wait "$(message 107)" 20 >/dev/null
wintool press "$(message 107)" 1
wintool wait "$(message 191)" 20 >/dev/null || {
    echo "no password question" >&2
    exit 1
}
sleep 1
shoot "$docs/password.png" "$(message 191)"
wintool press "$(message 191)" 2
wintool wait "$(message 50)" 20 >/dev/null && wintool press "$(message 50)" 1
stop
echo "screenshots: $docs"
