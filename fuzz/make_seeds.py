"""Writes a small seed corpus of ZIP archives for the reader fuzzer into the folder given."""
import io
import os
import subprocess
import sys
import tempfile
import zipfile


def archive(members, comment=b"", compression=zipfile.ZIP_DEFLATED):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w", compression) as z:
        for name, data in members:
            info = zipfile.ZipInfo(name, (2015, 6, 1, 12, 30, 0))
            info.compress_type = compression
            info.external_attr = 0x10 if name.endswith("/") else 0x20
            z.writestr(info, data)
        z.comment = comment
    return buffer.getvalue()


def main(folder):
    text = b"The quick brown fox jumps over the lazy dog.\n" * 40
    seeds = {
        "deflated.zip": archive([("a.txt", text), ("dir/b.txt", b"b" * 300)]),
        "stored.zip": archive([("s.txt", b"stored"), ("empty", b"")], compression=zipfile.ZIP_STORED),
        "comment.zip": archive([("c.txt", text)], comment=b"PK\x05\x06 in the comment"),
        "folders.zip": archive([("x/", b""), ("x/y/", b""), ("x/y/z.txt", b"z")]),
        "hostile.zip": archive([("../up.txt", b"u"), ("C:\\win\\d.txt", b"d"), ("a\\b\\c.txt", b"c")]),
        "empty.zip": b"PK\x05\x06" + bytes(18),
    }
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    # Encrypted members as the peers write them, password "secret": the traditional cipher and AES.
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "t.txt"), "wb") as f:
            f.write(text)
        for name, command in (("traditional.zip", ["zip", "-q", "-P", "secret"]),
                              ("aes.zip", ["7zz", "a", "-tzip", "-psecret", "-mem=AES128"])):
            subprocess.run(command + [os.path.abspath(os.path.join(folder, name)), "t.txt"],
                           cwd=work, check=True, stdout=subprocess.DEVNULL)
    prefixed = b"MZ stub " * 8 + seeds["deflated.zip"]
    with open(os.path.join(folder, "prefixed.zip"), "wb") as f:
        f.write(prefixed)


if __name__ == "__main__":
    main(sys.argv[1])
