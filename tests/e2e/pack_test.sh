#!/usr/bin/env bash
# As the Send To shortcut starts it: two files given on the command line are packed into a new
# archive named after the first, through the add dialog answered from outside; the archive
# passes Info-ZIP's and 7-Zip's tests.
source "$(dirname "$0")/lib.sh"

dialog=$(message 41)
mkdir -p "$work/src"
printf 'first file\n' >"$work/src/a.txt"
seq 1 5000 >"$work/src/b.txt"

start_marlox "$(windows_path "$work/src/a.txt")" "$(windows_path "$work/src/b.txt")"
wintool wait "$dialog" 30 >/dev/null || fail "no add dialog for the given files"
wintool press "$dialog" 1
wintool title "${listed_title}a.zip" 30 >/dev/null || fail "a.zip not listed after packing"
unzip -tq "$work/src/a.zip" >/dev/null || fail "unzip -t rejects a.zip"
7zz t "$work/src/a.zip" >/dev/null || fail "7zz t rejects a.zip"
[ "$(unzip -Z1 "$work/src/a.zip" | tr '\n' ' ')" = "a.txt b.txt " ] || fail "packed members"
unzip -p "$work/src/a.zip" b.txt | cmp -s - "$work/src/b.txt" || fail "b.txt differs in a.zip"
wintool close "${listed_title}a.zip"
wait_marlox
echo "pack: ok"
