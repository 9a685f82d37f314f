#!/usr/bin/env bash
# One start and exit without a configuration file: the Send To shortcut is written, the window
# is titled without the space after "V", and exit writes the defaults.
source "$(dirname "$0")/lib.sh"

send_to=$(find "$WINEPREFIX/drive_c/users" -maxdepth 6 -type d -name SendTo | head -n 1)
[ -n "$send_to" ] || fail "no Send To folder in the prefix"
rm -f "$send_to/Marlox.lnk"  # a shortcut the user deleted is back after the next start

start_marlox
title=$(wintool title "$(message 29) V" 30) || fail "no main window"
[ "$title" = "$(message 29) V$version" ] || fail "title '$title'"
[ -f "$send_to/Marlox.lnk" ] || fail "Marlox.lnk not written"
wintool close "$title" || fail "could not close the window"
wait_marlox
[ "$marlox_rc" = 0 ] || fail "exit code $marlox_rc"

expected=$(printf 'zip = 0\r\nrar = 0\r\ncab = 0\r\nsafe = 1\r\npos = 0\r\nsize = 0\r\nsort = 0\r\nlanguage = en\r\ncount = 0\r\n')
[ "$(cat "$program_folder/marlox.ini")" = "$expected" ] || {
    od -c "$program_folder/marlox.ini" | head -20
    fail "marlox.ini differs"
}

# A second start with the configuration in place titles the window with a space after "V". The
# file now says it holds more viewers than an int can count: the window comes as quickly as
# ever, and exit writes a count the program can keep. A damaged shortcut is written anew.
sed -i 's/^count = 0\r$/count = 2147483647\r/' "$program_folder/marlox.ini"
printf '0 = viewer.exe\r\n' >>"$program_folder/marlox.ini"
echo damaged >"$send_to/Marlox.lnk"
start_marlox
title=$(wintool title "$(message 29) V" 10) || fail "no main window on the second start"
[ "$title" = "$(message 29) V $version" ] || fail "second title '$title'"
wintool close "$title"
wait_marlox
[ "$marlox_rc" = 0 ] || fail "second exit code $marlox_rc"
grep -q $'^count = 5\r$' "$program_folder/marlox.ini" || fail "count not repaired: $(cat "$program_folder/marlox.ini")"
exe=$(windows_path "$program_folder/marlox.exe")
link=$(wintool lnk "$(windows_path "$send_to/Marlox.lnk")")
for line in "target=$exe" "arguments=" "description=Marlox" "working=" "show=1" "hotkey=0" \
    "icon=$exe" "icon_index=0"; do
    grep -qxF "$line" <<<"$link" || fail "link lacks '$line': $link"
done
echo "first start: ok"
