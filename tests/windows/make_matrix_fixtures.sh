#!/usr/bin/env bash
# Makes the archives of the back-end matrix (backend_matrix_win_test.cpp) into $1: every case
# as CASE.zip, CASE.rar and CASE.cab, made by Info-ZIP `zip`, Python's zipfile, `rar` and `gcab`
# from the files in $1/CASE/. Where a tool will not write a case (a damaged member, a hostile or
# repeated name, a file beside a folder of its name), an archive with stand-in names or intact
# data is patched: RAR 5 headers get their CRC-32 again, cabinet names carry none. The hostile
# names are ../../x.txt and C:/y.txt (in RAR /y.txt, as UnRAR itself turns a ":" into "_"); the
# names case is in Windows-1252 bytes in ZIP, Unicode in RAR, and in the cabinet the first name
# in UTF-8 (attribute 0x80), the second in plain bytes. The unicode case is Python's ZIP (the UTF-8
# flag), rar's archive and gcab's cabinet of a German, a Polish and a Cyrillic name. one.cab and
# two.cab hold a same.mlxt each. RAR alone: secret.rar (members encrypted) and headers.rar (headers
# too) with the password "secret", and the three volumes volumes.part1.rar to volumes.part3.rar.
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out"
cd "$out"
export LC_ALL=C.UTF-8

put() {  # put CASE NAME TEXT [NAME TEXT...]
    local c=$1
    shift
    while [ $# -gt 1 ]; do
        mkdir -p "$(dirname "$c/$1")"
        printf '%s' "$2" >"$c/$1"
        touch -d '2005-03-07 14:30' "$c/$1"
        shift 2
    done
}
put damaged a.txt alpha c.txt gamma
seq 1 20000 >damaged/b.txt
put plain a.txt alpha sub/b.txt beta
put hostile ZZZZZZx.txt x Cqqy.txt y qy.txt y
put case Makefile upper makefile lower
put dups dup.txt first duq.txt second
put link a.txt alpha c.txt gamma
ln -s ../../outside.txt link/ln
put ref a.txt alpha copy.txt alpha z.txt zeta
put filefolder zz/x.txt x zq file
put names 'Grüße.txt' gruss 'Straße.txt' strasse 'StraXe.txt' strasse
put secret a.txt alpha sub/b.txt beta
put volumes big.txt "$(head -c 60000 /dev/zero | tr '\0' v)" a.txt alpha
put unicode 'Grüße.txt' gruss 'Łódź.txt' lodz 'Мир.txt' mir

# One archive per tool and case, in the order given; stand-in names are patched below.
for row in "damaged a.txt b.txt c.txt" "plain a.txt sub/b.txt" "case Makefile makefile" \
    "filefolder zz/x.txt zq" "dups dup.txt duq.txt" "unicode Grüße.txt Łódź.txt Мир.txt"; do
    read -r c files <<<"$row"
    # shellcheck disable=SC2086
    (cd "$c" && rar a -idq -qo- -m3 "../$c.rar" $files && gcab -cz "../$c.cab" $files)
done
# A cabinet in which every member has a folder (a compressed stream) of its own, as in the
# cabinets that Windows' own tools make from several sources: damage stays in its member.
for f in a b c; do (cd damaged && gcab -cz "$f.cab" "$f.txt"); done
(cd hostile && rar a -idq -qo- -m3 ../hostile.rar ZZZZZZx.txt qy.txt && gcab -cz ../hostile.cab ZZZZZZx.txt Cqqy.txt)
(cd ref && ln a.txt hard.txt && rar a -idq -qo- -oi:1 ../ref.rar a.txt copy.txt z.txt &&
    rar a -idq -qo- -oh ../hard.rar a.txt hard.txt z.txt)
(cd link && rar a -idq -qo- -ol ../link.rar a.txt ln c.txt && zip -qy ../link.zip a.txt ln c.txt)
(cd names && rar a -idq -qo- ../names.rar 'Grüße.txt' 'Straße.txt' && gcab -c ../names.cab 'Grüße.txt' StraXe.txt)
(cd secret && rar a -idq -qo- -m3 -psecret ../secret.rar a.txt sub/b.txt &&
    rar a -idq -qo- -m3 -hpsecret ../headers.rar a.txt sub/b.txt)
(cd volumes && rar a -idq -qo- -m0 -v25k ../volumes.rar big.txt a.txt)
# Encrypted members, password "secret", for the system's cryptography (system_win_test.cpp).
mkdir crypt && seq 1 30000 >crypt/n.txt && head -c 70001 /dev/urandom >crypt/r.bin
(cd crypt && zip -q -P secret ../crypt-zip.zip n.txt r.bin && for bits in 128 256; do
    7zz a -tzip -psecret -mem=AES$bits ../crypt-aes$bits.zip n.txt r.bin >/dev/null; done)
for n in one two; do put $n same.mlxt $n && (cd $n && gcab -c "../$n.cab" same.mlxt); done
(cd names && mv 'Grüße.txt' $'Gr\xfc\xdfe.txt' && mv 'Straße.txt' $'Stra\xdfe.txt' &&
    LC_ALL=C zip -q ../names.zip $'Gr\xfc\xdfe.txt' $'Stra\xdfe.txt')

python3 - <<'PY'
import struct, warnings, zipfile, zlib
warnings.simplefilter('ignore')  # zipfile warns of the duplicate name it is asked for

def vint(data, at):
    value = shift = 0
    while True:
        byte = data[at]; at += 1
        value |= (byte & 0x7F) << shift; shift += 7
        if not byte & 0x80: return value, at

def flip(data, start, length):
    """63 bytes in the middle of the `length` bytes of `data` from `start` inverted: a cabinet's
    checksum is the XOR of its words, which an even count of inverted words leaves as it was."""
    for i in range(start + length // 2, start + length // 2 + 63): data[i] ^= 0xFF

def patch(path, *renames, damage=None):
    """Names replaced by others of their length. In a RAR, the data of the member whose header
    holds `damage` damaged and every header's CRC-32 made anew; elsewhere `damage` is
    (start, length)."""
    data = bytearray(open(path, 'rb').read())
    for old, new in renames:
        assert old in data, (path, old)
        data = data.replace(old, new)
    if isinstance(damage, tuple): flip(data, *damage)
    at = 8
    while path.endswith('.rar') and at < len(data):
        size, header = vint(data, at + 4)
        p = vint(data, header)[1]
        flags, p = vint(data, p)
        if flags & 1: p = vint(data, p)[1]
        body = header + size
        end = body + (vint(data, p)[0] if flags & 2 else 0)
        if damage and damage in data[header:body]: flip(data, body, end - body)
        data[at:at + 4] = struct.pack('<I', zlib.crc32(data[at + 4:body]))
        at = end
    open(path, 'wb').write(data)

def write_zip(path, members, method=zipfile.ZIP_STORED):
    with zipfile.ZipFile(path, 'w') as z:
        for name, text in members:
            z.writestr(zipfile.ZipInfo(name, (2005, 3, 7, 14, 30, 0)), text, method)

write_zip('damaged.zip', [('a.txt', 'alpha'), ('b.txt', open('damaged/b.txt').read()),
                          ('c.txt', 'gamma')], zipfile.ZIP_DEFLATED)
b = zipfile.ZipFile('damaged.zip').getinfo('b.txt')
patch('damaged.zip', damage=(b.header_offset + 30 + len('b.txt'), b.compress_size))
patch('damaged.rar', damage=b'b.txt')

def merge_cabinets(path, parts):
    """One cabinet of the one-member cabinets `parts`, each member in a folder of its own."""
    cabs = [open(part, 'rb').read() for part in parts]
    files = [cab[struct.unpack('<I', cab[16:20])[0]:struct.unpack('<I', cab[36:40])[0]]
             for cab in cabs]
    files = [entry[:8] + struct.pack('<H', i) + entry[10:] for i, entry in enumerate(files)]
    at = 36 + 8 * len(cabs) + sum(map(len, files))
    folders, data = b'', b''
    for cab in cabs:
        start = struct.unpack('<I', cab[36:40])[0]
        folders += struct.pack('<I', at + len(data)) + cab[40:44]
        data += cab[start:]
    size = 36 + len(folders) + sum(map(len, files)) + len(data)
    header = (cabs[0][:8] + struct.pack('<II', size, 0) +
              struct.pack('<II', 36 + len(folders), 0) + cabs[0][24:26] +
              struct.pack('<HH', len(cabs), len(cabs)) + cabs[0][30:36])
    open(path, 'wb').write(header + folders + b''.join(files) + data)
    return size - len(data)  # where the data of the first folder starts

data_start = merge_cabinets('damaged.cab', ['damaged/a.cab', 'damaged/b.cab', 'damaged/c.cab'])
a, b = (open('damaged/%s.cab' % f, 'rb').read() for f in 'ab')
data_of = lambda cab: len(cab) - struct.unpack('<I', cab[36:40])[0]
patch('damaged.cab', damage=(data_start + data_of(a), data_of(b)))

write_zip('plain.zip', [('a.txt', 'alpha'), ('sub/b.txt', 'beta')])
write_zip('unicode.zip', [('Grüße.txt', 'gruss'), ('Łódź.txt', 'lodz'), ('Мир.txt', 'mir')])
write_zip('hostile.zip', [('../../x.txt', 'x'), ('C:/y.txt', 'y')])
patch('hostile.rar', (b'ZZZZZZx.txt', b'../../x.txt'), (b'\x06qy.txt', b'\x06/y.txt'))
patch('hostile.cab', (b'ZZZZZZx.txt\0', b'..\\..\\x.txt\0'), (b'Cqqy.txt\0', b'C:\\y.txt\0'))
write_zip('case.zip', [('Makefile', 'upper'), ('makefile', 'lower')])
write_zip('dups.zip', [('dup.txt', 'first'), ('dup.txt', 'second')])
patch('dups.rar', (b'\x07duq.txt', b'\x07dup.txt'))
patch('dups.cab', (b'duq.txt\0', b'dup.txt\0'))
write_zip('filefolder.zip', [('zz/x.txt', 'x'), ('zz', 'file')])
patch('filefolder.rar', (b'\x02zq', b'\x02zz'))
patch('filefolder.cab', (b'zq\0', b'zz\0'))
patch('names.cab', (b'StraXe.txt\0', b'Stra\xdfe.txt\0'))
PY
