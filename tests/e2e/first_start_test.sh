#!/usr/bin/env bash
# Without the mail library the program explains it in a box and ends with exit code 1 before
# any window or file of its own appears. Then one start and exit without a configuration file:
# the Send To shortcut is written, the window is titled without the space after "V", and exit
# writes the configuration.
source "$(dirname "$0")/lib.sh"

send_to=$(find "$WINEPREFIX/drive_c/users" -maxdepth 6 -type d -name SendTo | head -n 1)
[ -n "$send_to" ] || fail "no Send To folder in the prefix"
rm -f "$send_to/Marlox.lnk"  # a shortcut the user deleted is back after the next start

WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mapi32=d" start_marlox
text=$(wintool wait "MAPI32.dll" 30) || fail "no box titled MAPI32.dll"
[ "$text" = "Cant load dynamic link library !" ] || fail "box text '$text'"
main_window 0 >/dev/null && fail "a main window appeared"
wintool press "MAPI32.dll" 1
wait_marlox
[ "$marlox_rc" = 1 ] || fail "exit code $marlox_rc"
[ ! -e "$program_folder/marlox.ini" ] || fail "marlox.ini written"

start_marlox
title=$(main_window 30) || fail "no main window"
[ "$title" = "$(message 29) V$version" ] || fail "title '$title'"
[ -f "$send_to/Marlox.lnk" ] || fail "Marlox.lnk not written"
close_marlox
[ "$marlox_rc" = 0 ] || fail "exit code $marlox_rc"

# A second start with the configuration written at exit titles the window with a space after
# "V". A damaged shortcut is written anew.
echo damaged >"$send_to/Marlox.lnk"
start_marlox
title=$(main_window 10) || fail "no main window on the second start"
[ "$title" = "$(message 29) V $version" ] || fail "second title '$title'"
close_marlox
[ "$marlox_rc" = 0 ] || fail "second exit code $marlox_rc"
exe=$(windows_path "$program_folder/marlox.exe")
link=$(wintool lnk "$(windows_path "$send_to/Marlox.lnk")")
for line in "target=$exe" "arguments=" "description=Marlox" "working=" "show=1" "hotkey=0" \
    "icon=$exe" "icon_index=0"; do
    grep -qxF "$line" <<<"$link" || fail "link lacks '$line': $link"
done
echo "first start: ok"
