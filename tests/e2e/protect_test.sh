#!/usr/bin/env bash
# A protected archive given on the command line, driven from outside: the password is asked
# before anything is listed, the right one lists the members, and Yes to the question at exit
# leaves the file protected again, byte for byte as before. The archive's folder takes no new
# files (the immutable mark holds for root and for Wine too) while the archive itself is writable:
# the password opens it and it is protected again all the same (where the file system has no
# such mark, the folder stays open and the rest is tested).
source "$(dirname "$0")/lib.sh"

password_title=$(message 191)
mkdir -p "$work/src" "$work/box"
printf 'alpha\n' >"$work/src/a.txt"
seq 1 2000 >"$work/src/b.txt"
(cd "$work/src" && zip -q -X ../box/a.zip a.txt b.txt)
# RC4 over the whole file with the password "Secret".
python3 - "$work/box/a.zip" <<'EOF'
import sys
key, data = b'Secret', bytearray(open(sys.argv[1], 'rb').read())
s, j = list(range(256)), 0
for i in range(256):
    j = (j + s[i] + key[i % len(key)]) % 256; s[i], s[j] = s[j], s[i]
i = j = 0
for p in range(len(data)):
    i = (i + 1) % 256; j = (j + s[i]) % 256; s[i], s[j] = s[j], s[i]
    data[p] ^= s[(s[i] + s[j]) % 256]
open(sys.argv[1], 'wb').write(data)
EOF
cp "$work/box/a.zip" "$work/protected.zip"
if chattr +i "$work/box" 2>/dev/null; then
    trap 'chattr -i "$work/box"; cleanup' EXIT
else
    echo "note: no immutable folders here; the archive's folder takes new files"
fi
main="${listed_title}a.zip"

start_marlox "$(windows_path "$work/box/a.zip")"
wintool wait "$password_title" 30 >/dev/null || fail "no password asked at the start"
wintool settext "$password_title" 602 Secret
wintool press "$password_title" 1
wintool title "$main" 30 >/dev/null || fail "a.zip not listed after its password"
[ "$(wintool rows "$main" | cut -d'|' -f2 | tr '\n' ' ')" = "a.txt b.txt " ] ||
    fail "rows: $(wintool rows "$main")"
wintool close "$main"
wintool wait "$(message 178)" 20 >/dev/null || fail "no question at exit"
wintool press "$(message 178)" 6
wait_marlox
cmp -s "$work/box/a.zip" "$work/protected.zip" || fail "a.zip is not protected again at exit"
echo "protect: ok"
