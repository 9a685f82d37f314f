#!/usr/bin/env bash
# Extraction through the real dialog: all members come out byte for byte with their dates, a
# pattern extracts exactly the matching members, and the window keeps answering while a large
# member is inflated.
source "$(dirname "$0")/lib.sh"

src=$work/src
mkdir -p "$src/docs" "$work/all" "$work/some"
printf 'readme\n' >"$src/readme.txt"
printf 'upper\n' >"$src/NOTES.TXT"
seq 1 20000 >"$src/docs/numbers.doc"
touch -d '2005-03-07 14:07:10' "$src/readme.txt"
touch -d '2012-08-01 09:30:00' "$src/NOTES.TXT"
touch -d '1999-12-31 23:59:58' "$src/docs/numbers.doc"
(cd "$src" && zip -q -X -r "$work/all/a.zip" readme.txt NOTES.TXT docs)
cp "$work/all/a.zip" "$work/some/a.zip"
dialog=$(sed -n '109p' "$program_folder/Common.catalog_en" | tr -d '\r')

# Extracts the archive shown by the running marlox.exe into its own folder (where the tree
# opens), after the given dialog actions.
extract_with() {
    wintool command "Marlox V1.1.6 - " 6
    wintool wait "$dialog" 20 >/dev/null || fail "no extract dialog"
    "$@"
    wintool press "$dialog" 1
}

start_marlox "$(windows_path "$work/all/a.zip")"
wintool title "Marlox V1.1.6 - a.zip" 30 >/dev/null || fail "a.zip not listed"
extract_with true
for f in readme.txt NOTES.TXT docs/numbers.doc; do
    for _ in $(seq 100); do [ -f "$work/all/$f" ] && break; sleep 0.1; done
    cmp -s "$src/$f" "$work/all/$f" || fail "$f differs after extracting all"
    # Member dates keep the minute: the seconds are not carried over.
    [ "$(($(stat -c %Y "$src/$f") / 60 * 60))" = "$(stat -c %Y "$work/all/$f")" ] ||
        fail "$f has the date $(stat -c %y "$work/all/$f")"
done
wintool close "Marlox V1.1.6 - a.zip"
wait_marlox

start_marlox "$(windows_path "$work/some/a.zip")"
wintool title "Marlox V1.1.6 - a.zip" 30 >/dev/null || fail "a.zip not listed the second time"
choose_txt_pattern() {
    wintool click "$dialog" 306
    sleep 0.3
    wintool settext "$dialog" 307 '*.txt'
}
extract_with choose_txt_pattern
for _ in $(seq 100); do [ -f "$work/some/NOTES.TXT" ] && break; sleep 0.1; done
sleep 1
[ -f "$work/some/readme.txt" ] && [ -f "$work/some/NOTES.TXT" ] || fail "*.txt did not extract both text files"
[ ! -e "$work/some/docs" ] || fail "*.txt extracted docs/numbers.doc"
wintool close "Marlox V1.1.6 - a.zip"
wait_marlox

# A member of 200 MB: the window answers messages while it is inflated.
mkdir -p "$work/big"
head -c 200000000 /dev/zero >"$work/big.bin"
(cd "$work" && zip -q -1 "$work/big/big.zip" big.bin)
rm "$work/big.bin"
start_marlox "$(windows_path "$work/big/big.zip")"
wintool title "Marlox V1.1.6 - big.zip" 30 >/dev/null || fail "big.zip not listed"
# Ask the window for an answer again and again from before the extraction starts until it
# ends; every question must be answered within a second.
: >"$work/answers"
(
    while [ ! -e "$work/stop" ]; do
        if wintool responsive "Marlox V1.1.6 - big.zip" 1000; then echo yes; else echo no; fi
    done >>"$work/answers"
) &
poller=$!
extract_with true
for _ in $(seq 600); do
    [ "$(stat -c %s "$work/big/big.bin" 2>/dev/null)" = 200000000 ] && break
    sleep 0.2
done
touch "$work/stop"
wait "$poller"
[ "$(stat -c %s "$work/big/big.bin" 2>/dev/null)" = 200000000 ] || fail "big.bin not extracted"
grep -q yes "$work/answers" || fail "the window never answered"
! grep -q no "$work/answers" || fail "the window did not answer within a second: $(tr '\n' ' ' <"$work/answers")"
wintool close "Marlox V1.1.6 - big.zip"
wait_marlox
echo "extract: ok"
