#!/usr/bin/env bash
# Makes the archives the Windows tests read, with the real RAR and cabinet tools, into $1:
#   src/            the files packed: a.txt, data.txt, sub/b.txt, Grüße.txt (2005-03-07 14:30)
#   five.rar        RAR 5 of a.txt, sub/b.txt and Grüße.txt
#   stored.cab      a cabinet of a.txt, data.txt and sub\b.txt, stored
#   mszip.cab       the same, MSZIP-compressed
#   hostile.cab     one member named ..\x.txt
#   one.cab, two.cab  a member same.mlxt each, "one" and "two"
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out/src/sub" "$out/hostile/zz"
cd "$out/src"
printf 'alpha\n' >a.txt
printf 'data\n' >data.txt
seq 1 3000 >sub/b.txt
printf 'gruss' >'Grüße.txt'
touch -d '2005-03-07 14:30' a.txt data.txt sub/b.txt 'Grüße.txt'
LC_ALL=C.UTF-8 rar a -idq -r ../five.rar a.txt sub/b.txt 'Grüße.txt'
gcab -c ../stored.cab a.txt data.txt sub/b.txt
gcab -cz ../mszip.cab a.txt data.txt sub/b.txt
for name in one two; do
    mkdir -p "$out/$name" && printf $name >"$out/$name/same.mlxt"
    (cd "$out/$name" && gcab -c "../$name.cab" same.mlxt)
done
# gcab drops ".." from names: a member "zz\x.txt" is renamed in place.
cd "$out/hostile"
printf 'outside' >zz/x.txt
gcab -c ../hostile.cab zz/x.txt
python3 - "$out/hostile.cab" <<'PY'
import sys
data = open(sys.argv[1], 'rb').read()
open(sys.argv[1], 'wb').write(data.replace(b'zz\\x.txt', b'..\\x.txt'))
PY
