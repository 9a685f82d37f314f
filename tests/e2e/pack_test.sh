#!/usr/bin/env bash
# The write path of the real program, answered from outside: two files given on the command line
# are packed into a new archive through the add dialog; a folder tree is added in the relative
# and the absolute path mode from the dialog's own file list; a member is deleted while the other
# members and the files in the temporary folder stay as they were. Every archive written passes
# Info-ZIP's and 7-Zip's tests.
source "$(dirname "$0")/lib.sh"

message() { sed -n "$(($1 + 2))p" "$program_folder/Common.catalog_en" | tr -d '\r'; }
dialog=$(message 41)
main="Marlox V1.1.6 - a.zip"

check_archive() {
    unzip -tq "$1" >/dev/null || fail "unzip -t rejects $1"
    7zz t "$1" >/dev/null || fail "7zz t rejects $1"
}

# The row number of the entry named $2 in the list view of the window titled $1.
row_named() {
    wintool rows "$1" | awk -F'|' -v name="$2" '$1 == name && !found { print NR - 1; found = 1 }'
}

open_entry() {
    local row
    row=$(row_named "$dialog" "$1")
    [ -n "$row" ] || fail "the add dialog's list shows no $1"
    wintool activate "$dialog" "$row"
}

# Waits until the main window lists $1 rows.
wait_rows() {
    for _ in $(seq 150); do
        [ "$(wintool rows "$main" | wc -l)" = "$1" ] && return 0
        sleep 0.2
    done
    fail "the list does not show $1 rows"
}

# Opens the add dialog on the shown archive, walks its list from the drives to Daten, selects
# Bilder with "inc. Verzeichnisse", presses the option $1 and OK, and waits for $2 rows.
add_bilder() {
    wintool command "$main" 9
    wintool wait "$dialog" 20 >/dev/null || fail "no add dialog for mode $1"
    local part parts
    IFS=/ read -ra parts <<<"${work#/}/Daten"
    open_entry "Z:"
    for part in "${parts[@]}"; do open_entry "$part"; done
    wintool select "$dialog" "$(row_named "$dialog" Bilder)"
    wintool click "$dialog" 406
    sleep 0.3
    wintool click "$dialog" "$1"
    sleep 0.3
    wintool press "$dialog" 1
    wait_rows "$2"
}

names() { unzip -Z1 "$work/src/a.zip" | tr '\n' ' '; }

mkdir -p "$work/src" "$work/Daten/Bilder/Urlaub"
printf 'first file\n' >"$work/src/a.txt"
seq 1 5000 >"$work/src/b.txt"
printf 'picture a' >"$work/Daten/Bilder/a.jpg"
printf 'picture b' >"$work/Daten/Bilder/Urlaub/b.jpg"

# As the Send To shortcut starts it: the files are the arguments.
start_marlox "$(windows_path "$work/src/a.txt")" "$(windows_path "$work/src/b.txt")"
wintool wait "$dialog" 30 >/dev/null || fail "no add dialog for the given files"
wintool press "$dialog" 1
wintool title "$main" 30 >/dev/null || fail "a.zip not listed after packing"
check_archive "$work/src/a.zip"
[ "$(names)" = "a.txt b.txt " ] || fail "packed members: $(names)"
unzip -p "$work/src/a.zip" b.txt | cmp -s - "$work/src/b.txt" || fail "b.txt differs in a.zip"

add_bilder 403 4
add_bilder 404 6
check_archive "$work/src/a.zip"
below_drive=${work#/}/Daten
expected="a.txt b.txt Bilder/a.jpg Bilder/Urlaub/b.jpg $below_drive/Bilder/a.jpg $below_drive/Bilder/Urlaub/b.jpg "
[ "$(names)" = "$expected" ] || fail "members after adding Bilder: $(names)"

# Files of the user's in the temporary folder with the names the deletion works with.
temp=$(echo "$WINEPREFIX"/drive_c/users/*/Temp)
printf 'mine' >"$temp/b.txt"
printf 'mine too' >"$temp/tmp.zip"
wintool select "$main" "$(row_named "$main" a.txt)"
wintool command "$main" 8
question=$(message 50)
wintool wait "$question" 20 >/dev/null || fail "no question before deleting"
wintool press "$question" 6
wait_rows 5
check_archive "$work/src/a.zip"
expected="b.txt Bilder/a.jpg Bilder/Urlaub/b.jpg $below_drive/Bilder/a.jpg $below_drive/Bilder/Urlaub/b.jpg "
[ "$(names)" = "$expected" ] || fail "members after deleting a.txt: $(names)"
unzip -p "$work/src/a.zip" b.txt | cmp -s - "$work/src/b.txt" || fail "b.txt changed by deleting"
unzip -p "$work/src/a.zip" "$below_drive/Bilder/Urlaub/b.jpg" |
    cmp -s - "$work/Daten/Bilder/Urlaub/b.jpg" || fail "Urlaub/b.jpg changed by deleting"
[ "$(cat "$temp/b.txt")" = mine ] && [ "$(cat "$temp/tmp.zip")" = "mine too" ] ||
    fail "the deletion touched files of the user's in the temporary folder"
rm -f "$temp/b.txt" "$temp/tmp.zip"

wintool close "$main"
wait_marlox
echo "pack: ok"
