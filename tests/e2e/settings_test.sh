#!/usr/bin/env bash
# The settings dialog driven from outside: ticking the three archive types registers Marlox for
# them, clearing one gives that type back to the program it had before and keeps the others
# Marlox's, and clearing the last gives .zip back to its program too.
source "$(dirname "$0")/lib.sh"

reg() { "$WINE" reg "$@" 2>/dev/null | tr -d '\r'; }
default_of() { reg query "HKCR\\$1" /ve | sed -n 's/.*REG_SZ *//p'; }
command_key='HKCR\Applications\marlox.exe\shell\Marlox\command'
reg add 'HKCR\.zip' /ve /d Stranger.zip /f >/dev/null
reg add 'HKCR\.rar' /ve /d Stranger.rar /f >/dev/null
trap 'for ext in zip rar cab; do reg delete "HKCR\.$ext" /f >/dev/null || true; done; cleanup' EXIT

# Runs the settings dialog in the running program, clicks the boxes given, and confirms.
change_settings() {
    wintool command "$(wintool title "$(message 29) V" 30)" 1
    wintool wait "$(message 33)" 20 >/dev/null || fail "no settings dialog"
    for box in "$@"; do wintool click "$(message 33)" "$box"; done
    wintool press "$(message 33)" 107
    sleep 1
}

start_marlox
change_settings 102 103 104
for ext in zip rar cab; do
    [ "$(default_of ".$ext")" = "${ext}_auto_file" ] || fail ".$ext is not Marlox's"
done
expected_command="\"$(windows_path "$program_folder/marlox.exe")\" \"%1\""
[ "$(reg query "$command_key" /ve | sed -n 's/.*REG_SZ *//p')" = "$expected_command" ] ||
    fail "Marlox's command reads: $(reg query "$command_key" /ve)"

change_settings 103
[ "$(default_of .rar)" = Stranger.rar ] || fail ".rar is not given back: $(default_of .rar)"
[ "$(default_of .zip)" = zip_auto_file ] && [ "$(default_of .cab)" = cab_auto_file ] ||
    fail ".zip and .cab lost Marlox"
reg query "$command_key" /ve >/dev/null || fail "clearing .rar removed Marlox's command"

change_settings 102 104
[ "$(default_of .zip)" = Stranger.zip ] || fail ".zip is not given back: $(default_of .zip)"
reg query "$command_key" /ve >/dev/null && fail "Marlox's command outlives its last type"
wintool close "$(wintool title "$(message 29) V" 5)"
wait_marlox
echo "settings: ok"
