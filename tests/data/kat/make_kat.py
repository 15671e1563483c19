#!/usr/bin/env python3
"""Writes the known-answer containers, computed straight from the format's
formula, independently of the C++ code. Run once; the outputs are kept as data.

Manifest line: id|password hex (cp932)|file name (UTF-8)|body length|container file
Body byte i is (i * 131 + 17) mod 256."""
import os

SUFFIX = bytes.fromhex("5E D1 09 A3 77 C4 2B 4B 65 73 74 72 65 6C 57 69 6E 67")
assert len(SUFFIX) == 18 and SUFFIX[7:] == b"KestrelWing"

VECTORS = [
    ("ascii10", "secret", "report.doc", 16),
    ("japanese", "パスワード", "報告書.txt", 37),
    ("empty", "a", "empty.bin", 0),
    ("chunk102400", "pw", "big.dat", 102400),
    ("chunk102401", "pw", "big.dat", 102401),
    ("name255", "k" * 255, "n" * 251 + ".txt", 300),
]


def body(n):
    return bytes((i * 131 + 17) % 256 for i in range(n))


def encode(key, data, pos):
    k = sum(key) % 256
    out = bytearray()
    for j, b in enumerate(data):
        out.append(((b ^ k) + key[(pos + j) % len(key)]) % 256)
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    lines = []
    for vid, password, name, size in VECTORS:
        pw = password.encode("cp932")
        key = pw + SUFFIX
        stored = name.encode("cp932")
        assert len(stored) <= 255
        container = bytes([1, len(stored)]) + encode(key, stored, 2) + encode(key, body(size), 2 + len(stored))
        assert len(container) == 2 + len(stored) + size
        fname = vid + ".pvx"
        with open(os.path.join(here, fname), "wb") as f:
            f.write(container)
        lines.append("|".join([vid, pw.hex(), name, str(size), fname]))
    with open(os.path.join(here, "vectors.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
