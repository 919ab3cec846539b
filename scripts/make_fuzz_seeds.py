#!/usr/bin/env python3
"""Writes the seed corpora of the patch fuzz targets into fuzz/corpus/<target>/.

The BPS and UPS seeds are small valid patches with the image they were made for, in the
fuzz targets' input layout: a flags byte (1 ignores checksums, 2 writes a fresh patch
CRC32), a 2-byte big-endian image length, the image, then the patch. The make_ips and
make_bps seeds are inputs from which fuzz/fuzz_pair.h builds an image pair. The patches
are built here from the formats' descriptions, independently of the engine.

Run from anywhere: python3 scripts/make_fuzz_seeds.py
"""
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "corpus")


def number(value):
    out = bytearray()
    while True:
        low = value & 0x7F
        value >>= 7
        if value == 0:
            out.append(0x80 | low)
            return bytes(out)
        out.append(low)
        value -= 1


def crc(data):
    return zlib.crc32(data) & 0xFFFFFFFF


def sealed(body):
    return body + struct.pack("<I", crc(body))


def bps(source, target, actions, metadata=b""):
    body = b"BPS1" + number(len(source)) + number(len(target)) + number(len(metadata)) + metadata
    for action in actions:
        kind, length = action[0], action[1]
        body += number(((length - 1) << 2) | kind)
        if kind == 1:
            body += action[2]
        elif kind >= 2:
            offset = action[2]
            body += number((-offset << 1) | 1 if offset < 0 else offset << 1)
    return sealed(body + struct.pack("<II", crc(source), crc(target)))


def ups(source, target):
    body = b"UPS1" + number(len(source)) + number(len(target))
    size = max(len(source), len(target))
    at = lambda b, i: b[i] if i < len(b) else 0
    i = last = 0
    while i < size:
        if at(source, i) == at(target, i):
            i += 1
            continue
        start = i
        run = bytearray()
        while i < size and at(source, i) != at(target, i):
            run.append(at(source, i) ^ at(target, i))
            i += 1
        body += number(start - last) + bytes(run) + b"\x00"
        i += 1
        last = i
    return sealed(body + struct.pack("<II", crc(source), crc(target)))


def framed(flags, image, patch):
    return bytes([flags]) + struct.pack(">H", len(image)) + image + patch


def write(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def main():
    rom = bytes((i * 37 + (i >> 5)) & 0xFF for i in range(600))
    edited = bytearray(rom)
    edited[10:14] = b"EDIT"
    edited[300] ^= 0xFF
    edited = bytes(edited)
    grown = rom[:200] + b"\xAA" * 64 + rom[200:] + b"tail"

    bps_seeds = {
        "edits": (rom, edited, [(0, 10), (1, 4, b"EDIT"), (0, 286), (1, 1, edited[300:301]), (0, 299)]),
        "insert_run": (rom, grown, [(2, 200, 0), (1, 1, b"\xAA"), (3, 63, 200), (2, 400, 0), (1, 4, b"tail")]),
        "moved": (rom, rom[300:] + rom[:300], [(2, 300, 300), (2, 300, -600)]),
        "from_empty": (b"", b"abcabcabcabc", [(1, 3, b"abc"), (3, 9, 0)]),
        "to_empty": (rom, b"", []),
    }
    for name, (source, target, actions) in bps_seeds.items():
        patch = bps(source, target, actions, b"<m/>" if name == "edits" else b"")
        write("bps", name, framed(0, source, patch))
        write("bps", name + "_resealed", framed(2, source, patch))
    write("bps", "wrong_image_ignored", framed(1, edited, bps(rom, edited, bps_seeds["edits"][2])))

    ups_pairs = {"edits": (rom, edited), "grows": (rom, grown), "shrinks": (grown, rom), "from_empty": (b"", rom[:40])}
    for name, (source, target) in ups_pairs.items():
        patch = ups(source, target)
        write("ups", name, framed(0, source, patch))
        write("ups", name + "_backwards", framed(2, target, patch))
    write("ups", "wrong_image_ignored", framed(1, rom[:500], ups(rom, edited)))

    # fuzz_pair.h: mode, 2-byte length, own bytes, then operations of
    # (op, 2-byte position, 2-byte length, value[, bytes]).
    def pair(mode, own, *ops):
        return bytes([mode]) + struct.pack(">H", len(own)) + own + b"".join(ops)

    # The op byte's remainder by 6 is the kind (0 overwrite, 1 insert, 2 delete, 3 run,
    # 4 cut, 5 grow); its top bit allows long lengths, bit 6 grows with zeros.
    def op(kind, position, length, value, extra=b"", long=False, zeros=False):
        code = next(b for b in range(256)
                    if b % 6 == kind and bool(b & 0x80) == long and bool(b & 0x40) == zeros)
        return bytes([code]) + struct.pack(">HH", position, length) + bytes([value]) + extra

    pairs = {
        "overwrite": pair(0, rom, op(0, 10, 3, 0, b"\x01\x02\x03\x04"), op(0, 400, 1, 0, b"\xEE\xEE")),
        "insert_delete": pair(1, rom, op(1, 100, 20, 0x55), op(2, 300, 200, 0, long=True)),
        "long_run": pair(2, rom, op(3, 50, 300, 0xFF, long=True)),
        "truncate": pair(3, rom, op(4, 450, 0, 0)),
        "grow_zeros": pair(4, rom, op(5, 0, 500, 0, long=True, zeros=True)),
        "grow_run": pair(5, rom, op(5, 0, 500, 0x11, long=True)),
        "near_eof": pair(15, rom[:64], op(0, 0x20, 2, 0, b"\x09\x09\x09"), op(3, 0x18, 40, 0x77)),
    }
    for name, data in pairs.items():
        write("make_ips", name, data)
        if name != "near_eof":
            write("make_bps", name, data)


if __name__ == "__main__":
    main()
