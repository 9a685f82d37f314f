#!/usr/bin/env bash
# The settings dialog driven from outside: the language changed from German to English speaks at
# the next start; ticking the three archive types registers Marlox for them, clearing one gives
# that type back to the program it had before and keeps the others Marlox's, and clearing the
# last gives .zip back to its program too.
source "$(dirname "$0")/lib.sh"

reg() { "$WINE" reg "$@" 2>/dev/null | tr -d '\r'; }
default_of() { reg query "HKCR\\$1" /ve | sed -n 's/.*REG_SZ *//p'; }
command_key='HKCR\Applications\marlox.exe\shell\Marlox\command'
printf 'language = de\r\n' >"$program_folder/marlox.ini"
for ext in zip rar; do reg add "HKCR\\.$ext" /ve /d "Stranger.$ext" /f >/dev/null; done
trap 'for ext in zip rar cab; do reg delete "HKCR\.$ext" /f >/dev/null || true; done; cleanup' EXIT

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

start_marlox
language=EN change_settings Einstellungen 102 103 104
# The notice "geänderte Sprache", found by the start of its title.
wintool wait "ge*" 20 >/dev/null || fail "no notice of the new language"
wintool press "ge*" 1
for ext in zip rar cab; do
    [ "$(default_of ".$ext")" = "${ext}_auto_file" ] || fail ".$ext is not Marlox's"
done
expected_command="\"$(windows_path "$program_folder/marlox.exe")\" \"%1\""
[ "$(reg query "$command_key" /ve | sed -n 's/.*REG_SZ *//p')" = "$expected_command" ] ||
    fail "Marlox's command reads: $(reg query "$command_key" /ve)"

change_settings Einstellungen 103
[ "$(default_of .rar)" = Stranger.rar ] || fail ".rar is not given back: $(default_of .rar)"
[ "$(default_of .zip)" = zip_auto_file ] && [ "$(default_of .cab)" = cab_auto_file ] ||
    fail ".zip and .cab lost Marlox"
reg query "$command_key" /ve >/dev/null || fail "clearing .rar removed Marlox's command"

close_marlox

# The next start speaks English.
start_marlox
change_settings "$(message 33)" 102 104
[ "$(default_of .zip)" = Stranger.zip ] || fail ".zip is not given back: $(default_of .zip)"
reg query "$command_key" /ve >/dev/null && fail "Marlox's command outlives its last type"
close_marlox
echo "settings: ok"
