#!/usr/bin/env python3
"""Writes the known-answer containers of the strong format (version 2) with
Debian's python3-cryptography, independently of the C++ code. Run once; the
outputs are kept as data.

Manifest line: id|password (UTF-8, hex)|iterations|pass salt hex|file salt hex|
file name (UTF-8)|body|container file
where body is "text:" + hex bytes, or "mod251:" + length (byte i is i mod 251)."""
import hashlib
import os
import struct

from cryptography.hazmat.primitives import hashes
from cryptography.hazmat.primitives.ciphers.aead import AESGCM
from cryptography.hazmat.primitives.kdf.hkdf import HKDF
from cryptography.hazmat.primitives.kdf.pbkdf2 import PBKDF2HMAC

CHUNK = 65536
PASS_SALT = bytes(range(0, 16))
FILE_SALT = bytes(range(16, 32))

VECTORS = [
    # id, password, iterations, name, body
    ("report", "パスワード", 1000, "報告書.txt", ("text", b"secret body\r\n")),
    ("twochunks", "pw", 1000, "data.bin", ("mod251", 70000)),
    ("empty", "pw", 1000, "empty.bin", ("mod251", 0)),
    # 2 + 8 name bytes + body: exactly one chunk, one byte past it, exactly two.
    ("edge", "pw", 1000, "edge.bin", ("mod251", CHUNK - 10)),
    ("edge1", "pw", 1000, "edge.bin", ("mod251", CHUNK - 9)),
    ("edge2", "pw", 1000, "edge.bin", ("mod251", 2 * CHUNK - 10)),
    # A name and a password that code page 932 cannot hold.
    ("unicode", "pässwörd😀", 1000, "한국어 résumé😀.txt", ("mod251", 100)),
    ("iter5000", "パスワード", 5000, "報告書.txt", ("mod251", 10)),
]

REPORT = ("0200504c56580101e8030000000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
          "d8d48edf7eb234c5769fff3dbff3b64ba709200a1677f741150d1b2637fc9fe8ec81c33072704d73c603c502")
TWOCHUNKS_SHA256 = "f72847b0a94f30487d5b2bdf0894e197629c15dfbae21e764e50d809b9208aae"


def body_bytes(kind, value):
    return value if kind == "text" else bytes(i % 251 for i in range(value))


def container(password, iterations, name, body):
    header = bytes([2, 0]) + b"PLVX" + bytes([1, 1]) + struct.pack("<I", iterations) + PASS_SALT + FILE_SALT
    master = PBKDF2HMAC(hashes.SHA256(), 32, PASS_SALT, iterations).derive(password.encode("utf-8"))
    key = HKDF(hashes.SHA256(), 32, FILE_SALT, b"plivex v2 file key").derive(master)
    stream = struct.pack("<H", len(name)) + name + body
    out = bytearray(header)
    chunks = [stream[i:i + CHUNK] for i in range(0, len(stream), CHUNK)]
    for i, chunk in enumerate(chunks):
        nonce = bytes(7) + struct.pack(">I", i) + bytes([1 if i == len(chunks) - 1 else 0])
        out += AESGCM(key).encrypt(nonce, chunk, header)
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    lines = []
    for vid, password, iterations, name, (kind, value) in VECTORS:
        data = container(password, iterations, name.encode("utf-8"), body_bytes(kind, value))
        if vid == "report":
            assert data.hex() == REPORT
        if vid == "twochunks":
            assert len(data) == 70086 and hashlib.sha256(data).hexdigest() == TWOCHUNKS_SHA256
        fname = "v2_" + vid + ".pvx"
        with open(os.path.join(here, fname), "wb") as f:
            f.write(data)
        body = "text:" + value.hex() if kind == "text" else "mod251:" + str(value)
        lines.append("|".join([vid, password.encode("utf-8").hex(), str(iterations), PASS_SALT.hex(),
                               FILE_SALT.hex(), name, body, fname]))
    with open(os.path.join(here, "strong_vectors.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
