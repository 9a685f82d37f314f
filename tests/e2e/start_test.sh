#!/usr/bin/env bash
# Starts driven from outside. Without the mail library the program explains it in a box and ends
# with exit code 1 before any window or file of its own appears. A first start without a
# configuration file writes the Send To shortcut and titles the window without the space after
# "V"; its exit writes the configuration, and the next start has the space and writes a damaged
# shortcut anew. There the settings dialog: the language changed from German to English speaks at
# the next start; ticking the three archive types registers Marlox for them, clearing one gives
# that type back to the program it had before and keeps the others Marlox's, and clearing the
# last gives .zip back to its program too.
source "$(dirname "$0")/lib.sh"

reg() { "$WINE" reg "$@" 2>/dev/null | tr -d '\r'; }
default_of() { reg query "HKCR\\$1" /ve | sed -n 's/.*REG_SZ *//p'; }
command_key='Applications\marlox.exe\shell\Marlox\command'  # below HKCR

# Runs the settings dialog titled $1 in the running program, clicks the boxes given after it,
# types $language when it is set, and confirms.
change_settings() {
    local title=$1
    shift
    wintool command "$(main_window 30)" 1
    wintool wait "$title" 20 >/dev/null || fail "no settings dialog"
    for box in "$@"; do wintool click "$title" "$box"; done
    [ -z "${language:-}" ] || wintool settext "$title" 129 "$language"
    wintool press "$title" 107
    sleep 1
}

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

grep -q "^language = " "$program_folder/marlox.ini" || fail "exit wrote no configuration"
echo damaged >"$send_to/Marlox.lnk"
printf 'language = de\r\n' >"$program_folder/marlox.ini"
for ext in zip rar; do reg add "HKCR\\.$ext" /ve /d "Stranger.$ext" /f >/dev/null; done
trap 'for ext in zip rar cab; do reg delete "HKCR\.$ext" /f >/dev/null || true; done; cleanup' EXIT
start_marlox
title=$(main_window 30) || fail "no main window on the second start"
[ "$title" = "$(message 29) V $version" ] || fail "second title '$title'"
language=EN change_settings Einstellungen 102 103 104
# The notice "geänderte Sprache", found by the start of its title.
wintool wait "ge*" 20 >/dev/null || fail "no notice of the new language"
wintool press "ge*" 1
for ext in zip rar cab; do
    [ "$(default_of ".$ext")" = "${ext}_auto_file" ] || fail ".$ext is not Marlox's"
done
exe=$(windows_path "$program_folder/marlox.exe")
[ "$(default_of "$command_key")" = "\"$exe\" \"%1\"" ] ||
    fail "Marlox's command reads: $(default_of "$command_key")"

change_settings Einstellungen 103
[ "$(default_of .rar)" = Stranger.rar ] || fail ".rar is not given back: $(default_of .rar)"
[ "$(default_of .zip)" = zip_auto_file ] && [ "$(default_of .cab)" = cab_auto_file ] ||
    fail ".zip and .cab lost Marlox"
reg query "HKCR\\$command_key" /ve >/dev/null || fail "clearing .rar removed Marlox's command"

close_marlox

# The next start speaks English.
start_marlox
change_settings "$(message 33)" 102 104
[ "$(default_of .zip)" = Stranger.zip ] || fail ".zip is not given back: $(default_of .zip)"
reg query "HKCR\\$command_key" /ve >/dev/null && fail "Marlox's command outlives its last type"
close_marlox
link=$(wintool lnk "$(windows_path "$send_to/Marlox.lnk")")
for line in "target=$exe" "arguments=" "description=Marlox" "working=" "show=1" "hotkey=0" \
    "icon=$exe" "icon_index=0"; do
    grep -qxF "$line" <<<"$link" || fail "link lacks '$line': $link"
done
echo "starts: ok"
