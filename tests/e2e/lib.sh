# Shared by the end-to-end scripts: sourced with the session state folder, the marlox.exe and
# the wintool.exe of the build under test as $1, $2 and $3.
set -euo pipefail
state=$1 marlox_exe=$2 wintool_exe=$3
# shellcheck disable=SC1091
source "$state/env"

work=$(mktemp -d "${TMPDIR:-/tmp}/marlox-e2e-XXXXXX")
marlox_pid=
cleanup() {
    if [ -n "$marlox_pid" ]; then kill "$marlox_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
# Every test runs its own copy of the program, so the program folder starts empty.
program_folder=$work/program
mkdir -p "$program_folder"
# What ships beside the exe: the RAR library and its license, and the texts.
cp "$marlox_exe" "$program_folder/marlox.exe"
cp "$(dirname "$marlox_exe")/UnRAR.dll" "$(dirname "$marlox_exe")/license.txt" "$program_folder/"
cp -r "$(dirname "${BASH_SOURCE[0]}")/../../data/." "$program_folder/"

# Message `n` of the English catalog, and the version as the program's source says it.
message() { sed -n "$(($1 + 2))p" "$program_folder/Common.catalog_en" | tr -d '\r'; }
version=$(sed -n 's/.*kVersion\[\] = "\(.*\)";/\1/p' "$(dirname "${BASH_SOURCE[0]}")/../../src/state/version.h")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs wintool in the session; its output without the CRs of Wine's console.
wintool() { timeout 60 "$WINE" "$wintool_exe" "$@" | tr -d '\r'; }

windows_path() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Starts marlox.exe with the given arguments in the background; its pid in $marlox_pid.
start_marlox() {
    (cd "$program_folder" && exec timeout -k 5 90 "$WINE" "$program_folder/marlox.exe" "$@") &
    marlox_pid=$!
}

# Waits for the started marlox.exe to end; its exit code in $marlox_rc.
wait_marlox() {
    marlox_rc=0
    wait "$marlox_pid" || marlox_rc=$?
}

# The main window's title once it shows, within $1 seconds; closing it and waiting for the end.
main_window() { wintool title "$(message 29) V" "$1"; }
close_marlox() { wintool close "$(main_window 5)" || fail "window not closed"; wait_marlox; }
