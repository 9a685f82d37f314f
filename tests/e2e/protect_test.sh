#!/usr/bin/env bash
# Protecting an archive through the real dialogs, driven from outside: protect it and leave;
# start again on it, type the password, extract, and answer Yes at exit. The file on disk is
# then the protected form again, and what was extracted is what was packed.
source "$(dirname "$0")/lib.sh"

password_title=$(message 191)
mkdir -p "$work/src" "$work/box"
printf 'alpha\n' >"$work/src/a.txt"
seq 1 2000 >"$work/src/b.txt"
(cd "$work/src" && zip -q -X ../box/a.zip a.txt b.txt)
main="${listed_title}a.zip"

# Protect, then leave without opening it again.
start_marlox "$(windows_path "$work/box/a.zip")"
wintool title "$main" 30 >/dev/null || fail "a.zip not listed"
wintool command "$main" 14
wintool wait enCrypt 20 >/dev/null || fail "no encipher dialog"
wintool settext enCrypt 602 Secret
wintool settext enCrypt 604 Secret
wintool press enCrypt 1
wintool wait "$password_title" 20 >/dev/null || fail "the protected archive asked for no password"
wintool press "$password_title" 2
wintool close "$(wintool title "$(message 29) V" 5)"
wait_marlox
head -c 2 "$work/box/a.zip" | grep -q PK && fail "a.zip is not protected"
cp "$work/box/a.zip" "$work/protected.zip"

# Open it with its password, extract, and protect it again at exit.
start_marlox "$(windows_path "$work/box/a.zip")"
wintool wait "$password_title" 30 >/dev/null || fail "no password asked at the start"
wintool settext "$password_title" 602 Secret
wintool press "$password_title" 1
wintool title "$main" 30 >/dev/null || fail "a.zip not listed after its password"
wintool command "$main" 6
wintool wait "$(message 107)" 20 >/dev/null || fail "no extract dialog"
wintool press "$(message 107)" 1
for _ in $(seq 100); do [ -f "$work/box/b.txt" ] && break; sleep 0.1; done
cmp -s "$work/src/a.txt" "$work/box/a.txt" && cmp -s "$work/src/b.txt" "$work/box/b.txt" ||
    fail "the members extracted differ"
wintool close "$main"
wintool wait "$(message 178)" 20 >/dev/null || fail "no question at exit"
wintool press "$(message 178)" 6
wait_marlox
cmp -s "$work/box/a.zip" "$work/protected.zip" || fail "a.zip is not protected again at exit"
echo "protect: ok"
