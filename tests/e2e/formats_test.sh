#!/usr/bin/env bash
# A RAR archive given on the command line: the rows read from outside, then the archive converted
# into a ZIP archive beside it whose members are byte-identical to the files packed, and which
# Info-ZIP and 7-Zip accept. Cabinets go the same way in the back-end matrix.
source "$(dirname "$0")/lib.sh"

mkdir -p "$work/src/sub" "$work/rar"
printf 'alpha\n' >"$work/src/a.txt"
seq 1 3000 >"$work/src/sub/b.txt"
printf 'gruss' >"$work/src/Grüße.txt"
(cd "$work/src" && LC_ALL=C.UTF-8 rar a -idq -r ../rar/five.rar a.txt sub/b.txt 'Grüße.txt')

title="${listed_title}five.rar" zip=$work/rar/five.zip
start_marlox "$(windows_path "$work/rar/five.rar")"
wintool title "$title" 30 >/dev/null || fail "five.rar not listed"
# Names come with Windows separators, Grüße.txt in Windows-1252 as the program shows it.
names="a.txt sub\\b.txt $(printf 'Gr\xfc\xdfe.txt') "
[ "$(wintool rows "$title" | cut -d'|' -f2 | tr '\n' ' ')" = "$names" ] ||
    fail "five.rar rows: $(wintool rows "$title")"
wintool command "$title" 7
wintool title "${listed_title}five.zip" 30 >/dev/null || fail "five.rar not converted"
unzip -tq "$zip" >/dev/null || fail "unzip -t rejects five.zip"
7zz t "$zip" >/dev/null || fail "7zz t rejects five.zip"
for file in a.txt sub/b.txt; do
    unzip -p "$zip" "$file" | cmp -s - "$work/src/$file" || fail "five.zip: $file differs"
done
wintool close "${listed_title}five.zip"
wait_marlox
echo "formats: ok"
