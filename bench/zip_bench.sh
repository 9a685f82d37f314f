#!/bin/sh
# Times the ZIP engine against Info-ZIP on the same files in one run and prints the ratios
# (engine time / peer time; below 1.0 the engine is faster). Each figure is the best of three.
#   extract-all   a 30 MB archive of headers and libraries:   marlox_zip_tool x  vs  unzip
#   create -9     the same files packed at level 9:           marlox_zip_tool c  vs  zip -9
#   walk 100k     listing a 100,000-member archive:           marlox_zip_tool l  vs  unzip -l
#   extract 20k   20,000 small members in 100 folders:        marlox_zip_tool x  vs  unzip
# Builds the tool without sanitizers in build/bench. Usage: bench/zip_bench.sh
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARLOX_SANITIZE=OFF >/dev/null
cmake --build "$build" --target marlox_zip_tool >/dev/null
tool=$build/tests/marlox_zip_tool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# The files: C and C++ headers (text) and a few shared libraries (code).
mkdir -p "$work/files/lib"
cp -r /usr/include/linux /usr/include/c++ "$work/files/"
for f in /usr/lib/x86_64-linux-gnu/libstdc++.so.6.0.* /usr/lib/x86_64-linux-gnu/libcrypto.so.3 \
         /usr/lib/x86_64-linux-gnu/libpython3.11.so.1.0; do
    [ -f "$f" ] && cp "$f" "$work/files/lib/"
done
(cd "$work/files" && zip -q -r -9 -D ../files.zip .)
python3 - "$work" <<'PY'
import sys, zipfile
work = sys.argv[1]
with zipfile.ZipFile(work + "/walk.zip", "w", zipfile.ZIP_STORED) as z:
    for i in range(100000):
        z.writestr(f"folder{i % 500:03}/member{i:06}.txt", b"x")
with zipfile.ZipFile(work + "/small.zip", "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(20000):
        z.writestr(f"d{i % 100:02}/file{i:05}.txt", (f"line {i} of a small file\n" * (1 + i % 20)).encode())
PY

now() { date +%s.%N; }
# One run of command $2 after clean-up $1 (both shell text); the smaller of its time and $3.
timed() {
    sh -c "$1"
    t0=$(now)
    eval "$2" >/dev/null 2>&1 || { echo "failed: $2" >&2; exit 1; }
    t1=$(now)
    echo "$t0 $t1 ${3:-1e9}" | awk '{d = $2 - $1; print (d < $3 ? d : $3)}'
}
# Task $1: the best of three runs of the engine's command $3 and the peer's $4, each after the
# clean-up $2, taken in turn so that both meet the machine in the same state.
task() {
    e="" p=""
    for _ in 1 2 3; do
        e=$(timed "$2" "$3" "$e")
        p=$(timed "$2" "$4" "$p")
    done
    echo "$1 $e $p" | awk '{printf "%-14s engine %7.3f s   peer %7.3f s   ratio %.2f\n", $1, $2, $3, $2 / $3}'
}

# Each extraction starts in an empty folder. The last one's files are moved aside, not deleted:
# on a file system without a journal (ext4 here), a file created soon after others were deleted
# makes the kernel step over each recently freed inode, which costs both programs alike and
# measures the clean-up, not them. Everything goes when the script ends.
out=$work/out
fresh="mkdir -p $work/old && { mv $out $work/old/\$\$ 2>/dev/null; mkdir $out; }"
task extract-all "$fresh" "'$tool' x '$work/files.zip' '$out'" \
    "unzip -q -o -DD '$work/files.zip' -d '$out'"
task create-9 "rm -f $work/c.zip" "'$tool' c '$work/c.zip' '$work/files'" \
    "cd '$work/files' && zip -q -r -9 -D '$work/c.zip' ."
task walk-100k true "'$tool' l '$work/walk.zip'" "unzip -l '$work/walk.zip'"
task extract-20k "$fresh" "'$tool' x '$work/small.zip' '$out'" \
    "unzip -q -o -DD '$work/small.zip' -d '$out'"
