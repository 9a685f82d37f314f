#!/usr/bin/env bash
# A RAR archive and a cabinet, each given on the command line: the rows read from outside, then
# the archive converted into a ZIP archive beside it whose members are byte-identical to the
# files packed, and which Info-ZIP and 7-Zip accept.
source "$(dirname "$0")/lib.sh"

mkdir -p "$work/src/sub" "$work/rar" "$work/cab"
printf 'alpha\n' >"$work/src/a.txt"
seq 1 3000 >"$work/src/sub/b.txt"
printf 'gruss' >"$work/src/Grüße.txt"
(cd "$work/src" && LC_ALL=C.UTF-8 rar a -idq -r ../rar/five.rar a.txt sub/b.txt 'Grüße.txt' &&
    gcab -cz ../cab/six.cab a.txt sub/b.txt)

# Lists and converts the archive $1 in the folder $2; $3 is what its rows' names read.
check_archive() {
    local archive=$1 folder=$work/$2 names=$3 title="${listed_title}$1"
    start_marlox "$(windows_path "$folder/$archive")"
    wintool title "$title" 30 >/dev/null || fail "$archive not listed"
    [ "$(wintool rows "$title" | cut -d'|' -f2 | tr '\n' ' ')" = "$names" ] ||
        fail "$archive rows: $(wintool rows "$title")"
    local zip="${archive%.*}.zip"
    wintool command "$title" 7
    wintool title "${listed_title}$zip" 30 >/dev/null || fail "$archive not converted"
    unzip -tq "$folder/$zip" >/dev/null || fail "unzip -t rejects $zip"
    7zz t "$folder/$zip" >/dev/null || fail "7zz t rejects $zip"
    for file in a.txt sub/b.txt; do
        unzip -p "$folder/$zip" "$file" | cmp -s - "$work/src/$file" || fail "$zip: $file differs"
    done
    wintool close "${listed_title}$zip"
    wait_marlox
}

# RAR names come with Windows separators, Grüße.txt in Windows-1252 as the program shows it.
check_archive five.rar rar "a.txt sub\\b.txt $(printf 'Gr\xfc\xdfe.txt') "
check_archive six.cab cab "a.txt sub\\b.txt "
echo "formats: ok"
