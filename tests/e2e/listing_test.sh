#!/usr/bin/env bash
# marlox.exe given a ZIP archive on its command line lists it: title, status fields and every
# row exactly as formatted from the archive's own headers, read from outside the program.
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
count=$(grep -c . <<<"$expected_rows")

start_marlox "$(windows_path "$archive_folder/sample.zip")"
title=$(wintool title "$listed_title" 30) || fail "no listed archive: $(wintool title "$(message 29)" 1)"
[ "$title" = "${listed_title}sample.zip" ] || fail "title '$title'"
[ "$(wintool status "$listed_title" 0)" = "$count$(message 57)" ] ||
    fail "status 0: $(wintool status "$listed_title" 0)"
[ "$(wintool status "$listed_title" 1)" = "$(windows_path "$archive_folder/sample.zip")" ] ||
    fail "status 1: $(wintool status "$listed_title" 1)"
rows=$(wintool rows "$listed_title")
[ "$rows" = "$expected_rows" ] || fail "rows differ:
$rows
expected:
$expected_rows"
wintool close "$title"
wait_marlox
[ "$marlox_rc" = 0 ] || fail "exit code $marlox_rc"
echo "listing: ok"
