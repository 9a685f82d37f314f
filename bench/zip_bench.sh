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
# best TIME of three runs of a command (after a clean-up command)
best() {
    cleanup=$1
    shift
    b=""
    for _ in 1 2 3; do
        sh -c "$cleanup"
        t0=$(now)
        "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
        t1=$(now)
        b=$(echo "$t0 $t1 ${b:-1e9}" | awk '{d = $2 - $1; print (d < $3 ? d : $3)}')
    done
    echo "$b"
}
report() {
    echo "$1 $2 $3" | awk '{printf "%-14s engine %7.3f s   peer %7.3f s   ratio %.2f\n", $1, $2, $3, $2 / $3}'
}

# Each extraction starts in an empty folder. The last one's files are moved aside, not deleted:
# on a file system without a journal (ext4 here), a file created soon after others were deleted
# makes the kernel step over each recently freed inode, which costs both programs alike and
# measures the clean-up, not them. Everything goes when the script ends.
out=$work/out
fresh="mkdir -p $work/old && { mv $out $work/old/\$\$ 2>/dev/null; mkdir $out; }"
e=$(best "$fresh" "$tool" x "$work/files.zip" "$out")
p=$(best "$fresh" unzip -q -o -DD "$work/files.zip" -d "$out")
report extract-all "$e" "$p"
e=$(best "rm -f $work/c.zip" "$tool" c "$work/c.zip" "$work/files")
p=$(best "rm -f $work/c.zip" sh -c "cd '$work/files' && zip -q -r -9 -D '$work/c.zip' .")
report create-9 "$e" "$p"
e=$(best true "$tool" l "$work/walk.zip")
p=$(best true unzip -l "$work/walk.zip")
report walk-100k "$e" "$p"
e=$(best "$fresh" "$tool" x "$work/small.zip" "$out")
p=$(best "$fresh" unzip -q -o -DD "$work/small.zip" -d "$out")
report extract-20k "$e" "$p"
