#!/usr/bin/env bash
# Times the real marlox.exe under Wine in Xvfb, driven from outside by wintool.exe, beside a
# peer doing the same work in the same run, and prints the ratios (marlox / peer; below 1.0
# Marlox is faster) and whether each goal is met. Where the work is on files, the peer is
# Info-ZIP built for Windows (bench/win_peers.sh: Debian's UnZip and Zip sources, the MinGW
# compiler of marlox.exe's kind) and run in the same Wine session on the same files, so that
# Wine costs both sides alike; Info-ZIP running natively stands beside it for reference:
#   list-60k     start with a 60,000-member archive until all rows are there and the window
#                answers                                   vs  unzip -l          goal: under 2 s
#   start-1      the same with a 1-member archive (the start's own share)  vs  unzip -l
#   sort-60k     a click on the name column's header until the window answers again
#                                                          vs  unzip -l | sort   goal: under 1 s
#   list-1m      list-60k with 1,000,000 members (ZIP64 end record)  vs  unzip -l
#                                                                              goal: under 3 s
#   sort-1m      sort-60k on that list                     vs  unzip -l | sort   goal: under 2 s
#   memory-1m    the private memory of marlox.exe (RssAnon in /proc/PID/status of the Wine
#                process running it) once the 1,000,000 rows are shown and after the sort, and
#                its peak resident size (VmHWM)                                goal: under 400 MB
#   extract-20k  20,000 small members into an empty folder through the extract dialog
#                vs  unzip.exe -q -o                           (native: unzip -q -o)
#                                                                               goal: ratio 1
#   delete-20k   one member of 20,000 deleted (safe = 0)   vs  zip.exe -d
#                                          (native: unzip, then zip -9 of the rest, as Marlox does)
#                                                                               goal: under 3 s
#   add-5k       a folder of 5,000 files added through the add dialog (relative paths, with
#                folders) to a 1-member archive    vs  zip.exe -9 -r -D  (native: zip -9 -r -D)
#                                                                               goal: ratio 1
#   files-20k    for reference, no goal: a bare Windows program (wintool mkfiles) making the
#                20,000 files of extract-20k with the calls an extraction makes, in the same
#                session: what Wine alone costs for them   vs  unzip.exe -q -o, unzip -q -o
#   wine-start   for reference: Wine starting unzip.exe to print its version, which each figure
#                of a Windows peer holds and no Marlox figure after the start does
# Where a Windows peer cannot be built, the reason is printed and files-20k is the yardstick of
# its operations.
# Peer figures are the best of three runs; a Windows peer's include Wine's start of it. A Marlox figure is the best of three runs, or one run
# where that takes over 10 s. wintool measures each Marlox figure itself, from just before its
# action (starting the exe, a click, a command) to the moment the window shows the result and
# answers WM_NULL, so Wine's start of wintool is not in it. Beside it stands the CPU time
# marlox.exe used meanwhile (its least over the runs), which other work on the machine changes
# less than the elapsed time.
#
# Usage: bench/gui_bench.sh (after scripts/build.sh). GUI_BENCH_THEME=off switches off Wine's
# window theme in the session, to see what drawing the themed controls costs. GUI_BENCH_ONLY
# names the parts to run, of "list million extract delete add" (all by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win
marlox_exe=$build/marlox.exe
wintool_exe=$build/tests/wintool.exe
if [ ! -f "$marlox_exe" ] || [ ! -f "$wintool_exe" ]; then
    echo "no $marlox_exe or $wintool_exe: run scripts/build.sh first" >&2
    exit 1
fi
arch=win32
grep -q 'CMAKE_TOOLCHAIN_FILE:.*x86_64' "$build/CMakeCache.txt" 2>/dev/null && arch=win64
"$root/bench/win_peers.sh" "$arch"
win_peers=$root/build/win-peers/$arch

state=$root/build/gui-bench-session
work=$(mktemp -d "${TMPDIR:-/tmp}/marlox-gui-bench-XXXXXX")
cleanup() {
    # Stopping the session's wineserver also ends any marlox.exe this script left running.
    "$root/tools/wine-session.sh" stop "$state" || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
    echo "gui_bench: $*" >&2
    exit 1
}

# ---- the archives and files, made now -------------------------------------------------------
python3 - "$work" <<'PY'
import os, random, sys, zipfile
work = sys.argv[1]
# 60,000 stored members in 600 folders, in a shuffled order, so that sorting has work to do.
order = list(range(60000))
random.Random(7).shuffle(order)
with zipfile.ZipFile(work + "/list60k.zip", "w", zipfile.ZIP_STORED) as z:
    for i in order:
        z.writestr(f"folder{i % 600:03}/member{i:05}.txt", b"x")
with zipfile.ZipFile(work + "/one.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("only.txt", b"the only member\n")
# 20,000 small deflated members in 100 folders (as in zip_bench.sh).
with zipfile.ZipFile(work + "/small20k.zip", "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(20000):
        z.writestr(f"d{i % 100:02}/file{i:05}.txt", (f"line {i} of a small file\n" * (1 + i % 20)).encode())
# 5,000 small files in 50 folders of 100, to add.
for i in range(5000):
    folder = f"{work}/add/tree/d{i // 100:02}"
    os.makedirs(folder, exist_ok=True)
    with open(f"{folder}/file{i:05}.txt", "w") as f:
        f.write(f"line {i} of a file to add\n" * (1 + i % 20))
PY
# The name the list shows first after one click on the name header (ascending, case ignored).
first_sorted=$(unzip -Z1 "$work/list60k.zip" | LC_ALL=C sort -f | sed -n 1p)

# ---- the Wine session and the program folder ------------------------------------------------
"$root/tools/wine-session.sh" start "$state" "$arch"
# shellcheck disable=SC1091
source "$state/env"
if [ "${GUI_BENCH_THEME:-on}" = off ]; then
    "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
        /v ThemeActive /d 0 /f >/dev/null 2>&1
fi
program=$work/program
mkdir -p "$program"
cp "$marlox_exe" "$program/"
[ -f "$build/UnRAR.dll" ] && cp "$build/UnRAR.dll" "$program/"
cp -r "$root/data/." "$program/"
# No questions before deleting or overwriting; the list keeps the archive's order on opening.
printf 'safe = 0\r\nsort = 0\r\nlanguage = en\r\n' >"$program/marlox.ini"

catalog() { sed -n "$(($1 + 2))p" "$program/Common.catalog_en" | tr -d '\r'; }
files_text=$(catalog 57)  # " file(s)"
extract_title=$(catalog 107)
add_title=$(catalog 41)

# wintool in the session; its output without the CRs of Wine's console.
wintool() { timeout 90 "$WINE" "$wintool_exe" "$@" | tr -d '\r'; }
winpath() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
exe_win=$(winpath "$program/marlox.exe")

# timed LIMIT TITLE ROWS STATUS0 STATUS1 ACTION...: runs `wintool ready` and prints its seconds.
# Its output goes to files, not to a pipe, so that a program it starts holds nothing open here.
timed() {
    local limit=$1
    shift
    if ! timeout $((limit + 60)) "$WINE" "$wintool_exe" ready "$limit" "$@" \
        >"$work/ready.out" 2>"$work/ready.err"; then
        fail "wintool ready $limit $* gave no result: $(tr -d '\r' <"$work/ready.err")"
    fi
    tr -d '\r' <"$work/ready.out" | tail -n 1
}

# The CPU seconds (user and system) the newest marlox.exe of this run has used so far; 0 when
# none runs.
marlox_cpu() {
    local pid
    pid=$(pgrep -n -f "$(basename "$work").program.marlox.exe") || {
        echo 0
        return
    }
    awk -v tick="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); print ($12 + $13) / tick }' "/proc/$pid/stat"
}

# measure LIMIT TITLE ROWS STATUS0 STATUS1 ACTION...: $took from `wintool ready`, and $cpu, the
# CPU seconds marlox.exe used meanwhile.
measure() {
    local before
    before=$(marlox_cpu)
    took=$(timed "$@")
    cpu=$(awk -v a="$before" -v b="$(marlox_cpu)" 'BEGIN { printf "%.2f", b - a }')
}

# Starts marlox.exe on an archive and waits for its listing; the window's title in $title.
start_on() {
    local archive=$1 rows=$2
    title="Marlox V1.1.6 - $(basename "$archive")"
    measure "${start_limit:-60}" "$title" "$rows" "$rows$files_text" '*' start "$exe_win" "$(winpath "$archive")"
}

# Closes the window titled $title and waits for marlox.exe to end.
quit_marlox() { wintool quit "$title" 30 >/dev/null || fail "marlox.exe did not end after closing '$title'"; }

now() { date +%s.%N; }
minimum() { tr ' ' '\n' | awk 'NF { if (b == "" || $1 < b) b = $1 } END { print b }'; }

# best PREPARE COMMAND...: the best time of three runs of a native command, each after PREPARE.
best() {
    local prepare=$1 t0 t1 times=""
    shift
    for _ in 1 2 3; do
        $prepare
        t0=$(now)
        "$@" >/dev/null 2>&1 || fail "the peer failed: $*"
        t1=$(now)
        times="$times $(awk -v a="$t0" -v z="$t1" 'BEGIN { print z - a }')"
    done
    minimum <<<"$times"
}

# gui_runs RUN: calls the function RUN (which sets $took and $cpu) once, and twice more when
# that run took under 10 s; $runs holds every figure, $gui the best and $gui_cpu the least CPU.
gui_runs() {
    local cpus
    "$1"
    runs=$took cpus=$cpu
    if awk -v t="$took" 'BEGIN { exit !(t < 10) }'; then
        for _ in 2 3; do
            "$1"
            runs="$runs $took" cpus="$cpus $cpu"
        done
    fi
    gui=$(minimum <<<"$runs")
    gui_cpu=$(minimum <<<"$cpus")
}

results=()
# report TASK MARLOX CPU PEER_NAME PEER GOAL RUNS [NATIVE]: one line of the table; the ratio and
# GOAL ("<N" seconds, "xN" ratio or "-" for none) go by PEER, NATIVE is the native peer's
# figure where PEER is not it.
report() {
    local verdict native=""
    case "$6" in
    "<"*) verdict=$(awk -v t="$2" -v g="${6#<}" 'BEGIN { print (t < g ? "met" : "MISSED") }') ;;
    x*) verdict=$(awk -v t="$2" -v p="$5" -v g="${6#x}" 'BEGIN { print (t / p <= g ? "met" : "MISSED") }') ;;
    *) verdict="" ;;
    esac
    [ -z "${8:-}" ] || native=$(awk -v t="$2" -v n="$8" 'BEGIN { printf "   native %6.3f s, ratio %6.2f", n, t / n }')
    results+=("$(awk -v n="$1" -v t="$2" -v c="$3" -v pn="$4" -v p="$5" -v g="$6" -v v="$verdict" -v r="$7" -v nat="$native" 'BEGIN {
        printf "%-12s marlox %8.3f s (cpu %7.2f s)   %-9s %6.3f s   ratio %6.2f   goal %-3s %-6s%s   (runs: %s)\n",
               n, t, c, pn, p, t / p, g, v, nat, r }')")
    echo "${results[-1]}"
}

# The bare-Wine floor in $floor (seconds) and wintool's line in $probe, measured once.
floor_once() {
    [ -z "${floor:-}" ] || return 0
    mkdir -p "$work/probe"
    probe=$(wintool mkfiles "$(winpath "$work/probe")" 20000 200) || fail "wintool mkfiles failed"
    floor=$(awk '{ print $2 }' <<<"$probe")
}

# windows_peer EXE PREPARE RUN CHECK: in $peer_name and $peer the best of three runs of RUN, a
# Windows peer under Wine, each after PREPARE, and CHECK of the last run's result; where EXE
# could not be built, the floor stands in.
windows_peer() {
    if [ -f "$win_peers/$1" ]; then
        peer_name=$1 peer=$(best "$2" "$3")
        "$4"
    else
        echo "no Windows $1 ($(cat "$win_peers/${1%.exe}.failed")): files-20k stands in" >&2
        floor_once
        peer_name=files-20k peer=$floor
    fi
}

echo "marlox.exe: $(objdump -f "$marlox_exe" | awk '/file format/ { print $NF }') in a $arch Wine prefix" \
    "($("$WINE" --version)), theme ${GUI_BENCH_THEME:-on}, $(nproc) cores, load $(uptime | sed 's/.*load average: //')"
echo "Windows peers ($(find "$win_peers" -name '*.exe' -printf '%f ' | sed 's/ $//')) from:"
sed 's/^/  /' "$win_peers/sources.txt" 2>/dev/null || true

# A first start fills Wine's caches; it is not counted.
start_on "$work/one.zip" 1
quit_marlox

# Whether part $1 is to run.
wanted() { [ -z "${GUI_BENCH_ONLY:-}" ] || [[ " $GUI_BENCH_ONLY " == *" $1 "* ]]; }

# ---- 1 and 2: listing, the start alone, sorting ------------------------------------------
# list_and_sort: starts on $list_archive of $list_rows members, then clicks the name header and
# checks that $list_first comes first; the sort's figures gather in $sort_runs and $sort_cpus.
list_and_sort() {
    local listed listed_cpu first
    start_on "$list_archive" "$list_rows"
    listed=$took listed_cpu=$cpu
    [ -z "${after_list:-}" ] || "$after_list" list
    measure 30 "$title" "$list_rows" "$list_rows$files_text" '*' header "$title" 1
    first=$(wintool rows "$title" 0 1 | awk -F'|' '{ print $2 }')
    [ "$first" = "$list_first" ] || fail "after the header click the first row is '$first', not '$list_first'"
    sort_runs="${sort_runs:-} $took" sort_cpus="${sort_cpus:-} $cpu"
    [ -z "${after_list:-}" ] || "$after_list" sort
    quit_marlox
    took=$listed cpu=$listed_cpu
}
start_one() {
    start_on "$work/one.zip" 1
    quit_marlox
}
if wanted list; then
    list_archive=$work/list60k.zip list_rows=60000 list_first=$first_sorted sort_runs="" sort_cpus=""
    gui_runs list_and_sort
    peer=$(best true unzip -l "$work/list60k.zip")
    report list-60k "$gui" "$gui_cpu" native "$peer" "<2" "$runs"
    peer=$(best true sh -c "unzip -l '$work/list60k.zip' | LC_ALL=C sort -f -k4 >/dev/null")
    report sort-60k "$(minimum <<<"$sort_runs")" "$(minimum <<<"$sort_cpus")" native "$peer" "<1" "${sort_runs# }"
    gui_runs start_one
    peer=$(best true unzip -l "$work/one.zip")
    report start-1 "$gui" "$gui_cpu" native "$peer" - "$runs"
fi

# ---- 1m: a million members ------------------------------------------------------------
# memory_of WHEN: the memory figures of the newest marlox.exe of this run, kept in $memory.
memory_of() {
    local pid
    pid=$(pgrep -n -f "$(basename "$work").program.marlox.exe") || fail "no marlox.exe to measure"
    memory="${memory:-} $1:$(awk '$1 == "RssAnon:" || $1 == "VmHWM:" { printf " %s %.0f MB", $1, $2 / 1024 }' "/proc/$pid/status");"
}
if wanted million; then
    python3 - "$work" <<'PY'
import random, sys, zipfile
# As list60k.zip with 1,000,000 members in 1,000 folders; zipfile writes ZIP64 end records.
order = list(range(1000000))
random.Random(7).shuffle(order)
with zipfile.ZipFile(sys.argv[1] + "/list1m.zip", "w", zipfile.ZIP_STORED) as z:
    for i in order:
        z.writestr(f"folder{i % 1000:03}/member{i:06}.txt", b"x")
PY
    list_archive=$work/list1m.zip list_rows=1000000 sort_runs="" sort_cpus="" memory=""
    list_first=$(unzip -Z1 "$list_archive" | LC_ALL=C sort -f | sed -n 1p)
    start_limit=120 after_list=memory_of gui_runs list_and_sort
    peer=$(best true unzip -l "$list_archive")
    report list-1m "$gui" "$gui_cpu" native "$peer" "<3" "$runs"
    peer=$(best true sh -c "unzip -l '$list_archive' | LC_ALL=C sort -f -k4 >/dev/null")
    report sort-1m "$(minimum <<<"$sort_runs")" "$(minimum <<<"$sort_cpus")" native "$peer" "<2" "${sort_runs# }"
    results+=("$(printf '%-12s marlox.exe (RssAnon, VmHWM of /proc/PID/status) after each:%s' memory-1m "$memory")")
    echo "${results[-1]}"
    rm -f "$list_archive"
fi

# ---- 3: extraction through the dialog -------------------------------------------------------
# The reference tree, as unzip extracts it.
mkdir -p "$work/reference"
unzip -q "$work/small20k.zip" -d "$work/reference"
extract_run() {
    local place
    place=$(mktemp -d "$work/extract-XXXX")
    mkdir -p "$place/archive" "$place/out"
    cp "$work/small20k.zip" "$place/archive/"
    start_on "$place/archive/small20k.zip" 20000
    wintool command "$title" 6
    wintool wait "$extract_title" 20 >/dev/null || fail "no extract dialog"
    # WM_APP + 1 selects the empty target folder in the dialog's tree.
    wintool sendpath "$extract_title" 32769 "$(winpath "$place/out")" >/dev/null ||
        fail "the extract dialog did not find $place/out"
    wintool click "$extract_title" 301  # overwrite without asking
    sleep 0.3
    # Done when the dialog is gone and the progress text in status field 1 is cleared.
    measure 1800 "$title" 20000 "20000$files_text" "" click "$extract_title" 1
    diff -r "$work/reference" "$place/out" >/dev/null || fail "the extracted tree differs from unzip's"
    quit_marlox
    rm -rf "$place"
}
win_extract_prepare() { rm -rf "$work/win-out"; }
win_extract() (cd "$work" && "$WINE" "$win_peers/unzip.exe" -q -o small20k.zip -d win-out)
win_extract_check() { diff -r "$work/reference" "$work/win-out" >/dev/null || fail "unzip.exe's tree differs from unzip's"; }
if wanted extract; then
    gui_runs extract_run
    windows_peer unzip.exe win_extract_prepare win_extract win_extract_check
    native=$(best "rm -rf $work/peer-out" unzip -q -o "$work/small20k.zip" -d "$work/peer-out")
    report extract-20k "$gui" "$gui_cpu" "$peer_name" "$peer" x1 "$runs" "$native"
    # The same number of files, made by the calls an extraction makes (two look-ups, create,
    # write, close, open, date, close) in folders of 200, with nothing else around them.
    floor_once
    results+=("$(awk -v p="$peer" -v pn="$peer_name" -v n="$native" '{
        printf "%-12s wintool mkfiles %.3f s, ratio %.2f to %s, %.2f to native unzip: %s\n", "files-20k", $2, $2 / p, pn, $2 / n, $0 }' <<<"$probe")")
    echo "${results[-1]}"
    if [ -f "$win_peers/unzip.exe" ]; then
        start=$(best true "$WINE" "$win_peers/unzip.exe" -v)
        results+=("$(printf '%-12s Wine starting unzip.exe -v: %.3f s' wine-start "$start")")
        echo "${results[-1]}"
    fi
fi

# ---- 4: deleting one member -----------------------------------------------------------------
delete_run() {
    local place victim names
    place=$(mktemp -d "$work/delete-XXXX")
    cp "$work/small20k.zip" "$place/"
    start_on "$place/small20k.zip" 20000
    victim=$(wintool rows "$title" 0 1 | awk -F'|' '{ print $2 }')
    wintool select "$title" 0
    # Done when the archive is listed again with one row less and the status is cleared.
    measure 3600 "$title" 19999 "19999$files_text" "" command "$title" 8
    unzip -tq "$place/small20k.zip" >/dev/null || fail "unzip -t rejects the archive after deleting"
    names=$(unzip -Z1 "$place/small20k.zip")
    [ "$(wc -l <<<"$names")" = 19999 ] || fail "not 19,999 members after deleting"
    ! grep -qxF "$victim" <<<"$names" || fail "$victim is still there"
    quit_marlox
    rm -rf "$place"
}
# The peer rebuilds as Marlox does: every other member out, then packed again at level 9.
peer_prepare() { rm -rf "$work/peer-del" && mkdir "$work/peer-del" && cp "$work/small20k.zip" "$work/peer-del/"; }
peer_delete() (
    cd "$work/peer-del" && unzip -q small20k.zip -d rest && rm rest/d00/file00000.txt &&
        (cd rest && zip -q -9 -r -D ../rebuilt.zip .) && mv rebuilt.zip small20k.zip
)
win_delete_prepare() { rm -rf "$work/win-del" && mkdir "$work/win-del" && cp "$work/small20k.zip" "$work/win-del/"; }
win_delete() (cd "$work/win-del" && "$WINE" "$win_peers/zip.exe" -q -d small20k.zip d00/file00000.txt)
win_delete_check() {
    unzip -tq "$work/win-del/small20k.zip" >/dev/null || fail "unzip -t rejects zip.exe's archive after deleting"
    [ "$(unzip -Z1 "$work/win-del/small20k.zip" | wc -l)" = 19999 ] || fail "not 19,999 members after zip.exe -d"
}
if wanted delete; then
    gui_runs delete_run
    windows_peer zip.exe win_delete_prepare win_delete win_delete_check
    native=$(best peer_prepare peer_delete)
    report delete-20k "$gui" "$gui_cpu" "$peer_name" "$peer" "<3" "$runs" "$native"
fi

# ---- 5: adding a folder through the add dialog ----------------------------------------------
add_run() {
    local place row
    place=$(mktemp -d "$work/addto-XXXX")
    cp "$work/one.zip" "$place/base.zip"
    start_on "$place/base.zip" 1
    wintool command "$title" 9
    wintool wait "$add_title" 20 >/dev/null || fail "no add dialog"
    # WM_APP + 1 shows the folder holding "tree" in the dialog's list.
    wintool sendpath "$add_title" 32769 "$(winpath "$work/add")" >/dev/null ||
        fail "the add dialog could not show $work/add"
    row=$(wintool rows "$add_title" | awk -F'|' '$1 == "tree" { print NR - 1 }')
    [ -n "$row" ] || fail "the add dialog's list shows no tree folder"
    wintool select "$add_title" "$row"
    wintool click "$add_title" 406  # include folders
    sleep 0.3
    wintool click "$add_title" 403  # mode 1: paths relative to the list's folder
    sleep 0.3
    measure 1800 "$title" 5001 "5001$files_text" '*' click "$add_title" 1
    unzip -tq "$place/base.zip" >/dev/null || fail "unzip -t rejects the archive after adding"
    [ "$(unzip -Z1 "$place/base.zip" | wc -l)" = 5001 ] || fail "not 5,001 members after adding"
    unzip -p "$place/base.zip" tree/d49/file04999.txt | cmp -s - "$work/add/tree/d49/file04999.txt" ||
        fail "tree/d49/file04999.txt differs in the archive"
    quit_marlox
    rm -rf "$place"
}
peer_add_prepare() { cp "$work/one.zip" "$work/peer-add.zip"; }
win_add_prepare() { cp "$work/one.zip" "$work/win-add.zip"; }
win_add() (cd "$work/add" && "$WINE" "$win_peers/zip.exe" -q -9 -r -D ../win-add.zip tree)
win_add_check() {
    unzip -tq "$work/win-add.zip" >/dev/null || fail "unzip -t rejects zip.exe's archive after adding"
    [ "$(unzip -Z1 "$work/win-add.zip" | wc -l)" = 5001 ] || fail "not 5,001 members after zip.exe -r"
}
if wanted add; then
    gui_runs add_run
    windows_peer zip.exe win_add_prepare win_add win_add_check
    native=$(best peer_add_prepare sh -c "cd '$work/add' && zip -q -9 -r -D '$work/peer-add.zip' tree")
    report add-5k "$gui" "$gui_cpu" "$peer_name" "$peer" x1 "$runs" "$native"
fi

echo
echo "summary:"
printf '%s\n' "${results[@]}"
