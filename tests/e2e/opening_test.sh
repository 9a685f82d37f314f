#!/usr/bin/env bash
# Opening members of an archive given on the command line by double-clicking their rows, with
# the tests' recorder registered for .txt files: it gets exactly the member, from a private
# folder; a hostile name starts nothing; after exit the private folder is gone and the user's own
# notes.txt in the temporary folder is untouched.
source "$(dirname "$0")/lib.sh"

recorder=$(windows_path "$(dirname "$wintool_exe")/recorder.exe")
# The session's prefix is thrown away when the session ends, and no other script opens a .txt.
"$WINE" reg add 'HKCR\.txt' /ve /d MarloxTestFile /f >/dev/null 2>&1
"$WINE" reg add 'HKCR\MarloxTestFile\shell\open\command' /ve /d "\"$recorder\" \"%1\"" /f \
    >/dev/null 2>&1
export MARLOX_RECORDER_LOG
MARLOX_RECORDER_LOG=$(windows_path "$work/recorder.log")

temp=$("$WINE" cmd /c 'echo %TEMP%' 2>/dev/null | tr -d '\r')
temp_unix=$("$WINE" winepath -u "$temp" 2>/dev/null | tr -d '\r')
printf "the user's own notes\n" >"$temp_unix/notes.txt"
cp "$temp_unix/notes.txt" "$work/users_notes"
# A batch file that would leave a mark, were it ever started.
mark=$(windows_path "$work")'\started'
python3 - "$work/a.zip" "$mark" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("notes.txt", "what the member says\n" * 50)
    z.writestr(zipfile.ZipInfo("../../evil.bat"), "echo x > \"%s\"\r\n" % sys.argv[2])
EOF

title="${listed_title}a.zip"
start_marlox "$(windows_path "$work/a.zip")"
wintool title "$title" 30 >/dev/null || fail "a.zip not listed"
row_of() { wintool rows "$title" | cut -d'|' -f2 | grep -nxF "$1" | cut -d: -f1; }
wintool activate "$title" $(($(row_of notes.txt) - 1))
for _ in $(seq 100); do [ -s "$work/recorder.log" ] && break; sleep 0.1; done
unzip -p "$work/a.zip" notes.txt | cmp -s - "$work/recorder.log.copy" ||
    fail "the recorder got something else than notes.txt"
opened=$(head -1 "$work/recorder.log" | sed 's/.*" "\(.*\)"$/\1/')
case "$opened" in
"$temp"\\marlox_open_*\\notes.txt) ;;
*) fail "notes.txt opened from $opened" ;;
esac
private=$("$WINE" winepath -u "${opened%\\notes.txt}" 2>/dev/null | tr -d '\r')

wintool activate "$title" $(($(row_of ../../evil.bat) - 1))
sleep 2
[ "$(wc -l <"$work/recorder.log")" = 2 ] || fail "something more was started: $(cat "$work/recorder.log")"
[ -e "$work/started" ] && fail "evil.bat was started"
wintool close "$title"
wait_marlox
[ -e "$private" ] && fail "the private folder $private is left after exit"
find "$(dirname "$temp_unix")/.." -name evil.bat | grep -q . && fail "evil.bat left on disk"
cmp -s "$temp_unix/notes.txt" "$work/users_notes" || fail "the user's notes.txt changed"
rm -f "$temp_unix/notes.txt"
echo "opening: ok"
