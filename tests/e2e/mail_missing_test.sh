#!/usr/bin/env bash
# Without the mail library the program explains it in a box and ends with exit code 1 before
# any window or file of its own appears.
source "$(dirname "$0")/lib.sh"

export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mapi32=d"
start_marlox
text=$(wintool wait "MAPI32.dll" 30) || fail "no box titled MAPI32.dll"
[ "$text" = "Cant load dynamic link library !" ] || fail "box text '$text'"
main_window 0 >/dev/null && fail "a main window appeared"
wintool press "MAPI32.dll" 1
wait_marlox
[ "$marlox_rc" = 1 ] || fail "exit code $marlox_rc"
[ ! -e "$program_folder/marlox.ini" ] || fail "marlox.ini written"
echo "mail missing: ok"
