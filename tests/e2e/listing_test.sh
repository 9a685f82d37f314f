#!/usr/bin/env bash
# marlox.exe given a ZIP archive lists it: title, status fields and every row exactly as
# formatted from the archive's own headers; an upper-case .ZIP opens too; closing the window
# writes the configuration.
source "$(dirname "$0")/lib.sh"

archive_folder=$work/archives
mkdir -p "$archive_folder/src/sub"
printf 'hello world\n' >"$archive_folder/src/a.txt"
head -c 5000 /dev/zero >"$archive_folder/src/zeros.bin"
printf 'x' >"$archive_folder/src/sub/Setup.exe"
touch -d '2005-03-07 14:07:10' "$archive_folder/src/a.txt"
touch -d '2015-12-31 23:58:00' "$archive_folder/src/zeros.bin"
(cd "$archive_folder/src" && zip -q -X -r ../sample.zip a.txt zeros.bin sub)

# The rows as the archive's headers say they must read.
expected_rows=$(python3 - "$archive_folder/sample.zip" <<'PY'
import ctypes, sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    y, m, d = i.date_time[:3]
    date = "%02d.%02d.%d" % (d, m, y) if d else "--.--.----"
    packed = ctypes.c_float(i.compress_size).value
    rate = ctypes.c_float(packed * 100 / i.file_size).value if i.file_size else 0.0
    print("|%s|%15d|%15d|%s|%6.2f" % (i.filename, i.file_size, i.compress_size, date, rate))
PY
)
files_text=$(sed -n '59p' "$program_folder/Common.catalog_en" | tr -d '\r')
count=$(grep -c . <<<"$expected_rows")

start_marlox "$(windows_path "$archive_folder/sample.zip")"
# The window shows its plain title first; the listing follows.
title=$(wintool title "Marlox V1.1.6 - " 30) || fail "no listed archive: $(wintool title "Marlox" 1)"
[ "$title" = "Marlox V1.1.6 - sample.zip" ] || fail "title '$title'"
[ "$(wintool status "Marlox V" 0)" = "$count$files_text" ] || fail "status 0: $(wintool status "Marlox V" 0)"
[ "$(wintool status "Marlox V" 1)" = "$(windows_path "$archive_folder/sample.zip")" ] ||
    fail "status 1: $(wintool status "Marlox V" 1)"
rows=$(wintool rows "Marlox V")
[ "$rows" = "$expected_rows" ] || fail "rows differ:
$rows
expected:
$expected_rows"
wintool close "$title"
wait_marlox
[ "$marlox_rc" = 0 ] || fail "exit code $marlox_rc"
grep -q '^language = en' "$program_folder/marlox.ini" || fail "no configuration written"

# Upper-case extension; the configuration now exists, so the title has " V " no more: the
# listing's title form is the same with or without it.
cp "$archive_folder/sample.zip" "$archive_folder/UPPER.ZIP"
start_marlox "$(windows_path "$archive_folder/UPPER.ZIP")"
title=$(wintool title "Marlox V1.1.6 - UPPER.ZIP" 30) || fail "UPPER.ZIP not listed"
[ "$(wintool rows "Marlox V")" = "$expected_rows" ] || fail "UPPER.ZIP rows differ"
wintool close "$title"
wait_marlox
echo "listing: ok"
