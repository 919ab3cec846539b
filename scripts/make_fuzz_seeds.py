#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets that read images, patches, settings, key
notations, tunes, argument text and patches (IPS, BPS, UPS, and image pairs for the makers): a few small valid inputs each, so a fuzzing run starts
from inputs that get past the first checks.

Every file is built from fixed bytes, so running the script again gives the same corpus.
Only the folders of the targets named below are written; other targets' seeds stay.

Usage: scripts/make_fuzz_seeds.py [folder]   (default: fuzz/corpus)
"""
import os
import struct
import sys
import zlib

SMD_HEADER = 512
SMD_BLOCK = 16384


def put(data, at, text):
    raw = text.encode("latin-1") if isinstance(text, str) else text
    assert at + len(raw) <= len(data), "a field would grow the image"
    data[at:at + len(raw)] = raw


def checksum(image):
    """The header checksum: big-endian words from 0x200 on, an odd last byte as a high byte."""
    total = 0
    for at in range(0x200, len(image), 2):
        total += image[at] << 8 | (image[at + 1] if at + 1 < len(image) else 0)
    return total & 0xFFFF


def cartridge(size, seed, fields):
    """A plain image of `size` bytes: a byte pattern, the header `fields` (offset -> bytes),
    ROM end at 0x1A4 and a checksum that matches."""
    data = bytearray((i * 7 + seed) & 0xFF for i in range(size))
    for at in range(0x100, min(0x200, size)):
        data[at] = 0
    for at, text in fields.items():
        put(data, at, text)
    data[0x1A0:0x1A4] = (0).to_bytes(4, "big")
    data[0x1A4:0x1A8] = (size - 1).to_bytes(4, "big")
    data[0x18E:0x190] = checksum(data).to_bytes(2, "big")
    return bytes(data)


SONIC = {
    0x100: "SEGA MEGA DRIVE ",
    0x110: "(C)SEGA 1991.APR",
    0x120: "SONIC THE               HEDGEHOG",
    0x150: "SONIC THE               HEDGEHOG",
    0x180: "GM 00001009-00",
    0x190: "J6              ",
    0x1B0: "BIG CARTS" + " " * 55,
    0x1F0: "JUE",
}

# Text cut by NULs with bytes after them, device letters no box knows, a comment holding
# binary data, Latin-1 letters and a region of the newer model.
ODD_FIELDS = {
    0x100: b"SEGA GENESIS\0\0\0\0",
    0x110: b"(C)T-12 1993\0JUN",
    0x120: b"CAF\xc9 \xd1and\xfa\0old title",
    0x150: b"\0OVERSEAS AFTER A NUL",
    0x180: b"GM T-12345 -01",
    0x190: b"GJx6\0\0M         ",
    0x1B0: b"RA\xf8\x20\x00\x20\x00\x01modem\0\0\x1b[2J",
    0x1F0: b"4\0\0",
}


def smd(image, stated=None):
    """The SMD form of `image` (whole blocks): copier header, then per block the odd bytes
    and the even bytes. `stated` overrides the block count in header byte 0."""
    blocks = len(image) // SMD_BLOCK
    header = bytearray(SMD_HEADER)
    header[0] = blocks if stated is None else stated
    header[1], header[8], header[9], header[10] = 3, 0xAA, 0xBB, 6
    out = bytes(header)
    for b in range(blocks):
        block = image[b * SMD_BLOCK:(b + 1) * SMD_BLOCK]
        out += block[1::2] + block[0::2]
    return out


def ips(records, truncate=None):
    """An IPS patch; a record is (offset, data bytes) or (offset, run length, fill byte)."""
    out = b"PATCH"
    for record in records:
        if len(record) == 2:
            offset, data = record
            out += offset.to_bytes(3, "big") + len(data).to_bytes(2, "big") + data
        else:
            offset, length, fill = record
            out += offset.to_bytes(3, "big") + b"\0\0" + length.to_bytes(2, "big") + bytes([fill])
    out += b"EOF"
    if truncate is not None:
        out += truncate.to_bytes(3, "big")
    return out


def ips_seed(image_size, filler, patch):
    """The ips target reads the image's size (two bytes) and filler (one) before the patch."""
    return image_size.to_bytes(2, "big") + bytes([filler]) + patch


def provider_strings(*texts):
    """Strings as libFuzzer's data provider reads them one after another: a backslash is
    doubled, and a backslash followed by another byte ends the string."""
    return b"".join(t.replace(b"\\", b"\\\\") + b"\\\n" for t in texts)


def ini_seed(section, key, value, other_section, other_key, contents):
    return provider_strings(section, key, value, other_section, other_key) + contents


def varlen(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.insert(0, 0x80 | (n & 0x7F))
        n >>= 7
    return bytes(out)


def chunk(kind, body):
    return kind + struct.pack(">I", len(body)) + body


def midi(fmt, division, tracks, extra_chunks=()):
    out = chunk(b"MThd", struct.pack(">HHH", fmt, len(tracks), division))
    for extra in extra_chunks:
        out += extra
    for events in tracks:
        out += chunk(b"MTrk", b"".join(varlen(delta) + event for delta, event in events) + b"\0\xff\x2f\x00")
    return out


TEMPO = b"\xff\x51\x03\x07\xa1\x20"
TIME_SIGNATURE = b"\xff\x58\x04\x04\x02\x18\x08"


def seeds():
    sonic = cartridge(0x8000, 3, SONIC)
    odd = cartridge(0x400, 11, ODD_FIELDS)
    two_blocks = cartridge(2 * SMD_BLOCK, 5, SONIC)
    return {
        "bin2smd": {
            "sonic-32k.bin": sonic,
            "odd-header-1k.bin": odd,
            "part-block.bin": cartridge(SMD_BLOCK + 1001, 9, SONIC),
        },
        "smd2bin": {
            "one-block.smd": smd(cartridge(SMD_BLOCK, 7, SONIC)),
            "two-blocks.smd": smd(two_blocks),
            "count-from-size.smd": smd(two_blocks, stated=0),
            "stated-more-than-held.smd": smd(cartridge(SMD_BLOCK, 13, ODD_FIELDS), stated=2),
        },
        "header": {
            "sonic-32k.bin": sonic,
            "odd-fields-1k.bin": odd,
            "shortest.bin": cartridge(0x1F3, 1, SONIC),
            "odd-length.bin": cartridge(0x201, 2, ODD_FIELDS),
        },
        "ips": {
            "data-run-truncate.ips": ips_seed(0x2000, 0x00, ips([(0x100, b"SEGA GENESIS"), (0x200, 0x40, 0xFF),
                                                                 (0x1F0, b"JUE")], truncate=0x1800)),
            "grows-the-image.ips": ips_seed(0x0400, 0xAA, ips([(0x0380, b"\x01\x02\x03\x04"),
                                                               (0x0500, 0x100, 0x00), (0x0700, b"END")])),
            "records-only.ips": ips_seed(0x1000, 0x5A, ips([(0x000000, b"\x00\xff\x00\xff"),
                                                            (0x000FFE, b"\x12\x34")])),
            "no-records-truncate.ips": ips_seed(0x0800, 0x11, ips([], truncate=0x0400)),
        },
        "ini": {
            "bom-comments-crlf.ini": ini_seed(
                b"Options", b"Language", b"Espanol", b"Emulators", b"Path",
                b"\xef\xbb\xbf; settings\r\n[Options]\r\nLanguage = English\r\nWidth=640\r\n\r\n"
                b"# emulator setup\r\n[Emulators]\r\nPath=\"C:\\Emu\\gens.exe\"\r\nTeclas=100o\r\n"),
            "add-section-lf.ini": ini_seed(
                b"New Section", b"Key", b"value with = sign", b"options", b"LANGUAGE",
                b"[options]\nlanguage='quoted'\nempty=\n[]\n[Options]\nlanguage=second\n"),
            "windows-1252.ini": ini_seed(
                b"Juegos", b"T\xc3\xadtulo", b"Sonic \xc3\x91", b"Juegos", b"Ruta",
                b"[Juegos]\r\nT\xedtulo=Castlevania \xd1\r\nRuta=  C:\\Juegos\\  \r\n"),
        },
        "key_notation": {
            "ctrl-o.txt": b"^o",
            "alt-f4.txt": b"%{F4}",
            "shift-group.txt": b"+(abc)~",
            "named-repeat.txt": b"{TAB 3}{ENTER}{DOWN 2}",
            "braced-specials.txt": b"{{}{}}{+}{^}{%}{~}{(}{)}{[}{]}",
            "path-text.txt": "C:\\ROMs\\Sonic (W) [!] \u00e9.bin".encode("utf-8"),
            "stored-key.txt": b"101o",
        },
        "midi_check": {
            "one-track.mid": midi(0, 96, [[(0, TEMPO), (0, b"\xc0\x00"), (0, b"\x90\x3c\x64"),
                                           (96, b"\x3c\x00"), (0, b"\x40\x64"), (200, b"\x40\x00")]]),
            "two-tracks-sysex.mid": midi(1, 480, [
                [(0, TEMPO), (0, TIME_SIGNATURE), (0, b"\xff\x03\x05Title")],
                [(0, b"\xf0\x05\x7e\x7f\x09\x01\xf7"), (0, b"\x91\x40\x50"), (200, b"\x81\x40\x00"),
                 (0, b"\xb1\x07\x64"), (0, b"\xe1\x00\x40")]]),
            "unknown-chunk-smpte.mid": midi(1, 0xE728, [[(0, TEMPO)], [(10, b"\x92\x30\x40"), (10, b"\x30\x00")]],
                                            extra_chunks=[chunk(b"XFIH", b"skipped by readers")]),
        },
        "parse_command": {
            "play-quoted.txt": b'/p "C:\\ROMs\\Sonic the Hedgehog (W).bin"',
            "convert-bare.txt": b"/c /home/me/roms/game.smd",
            "help.txt": b"/h",
            "language-utf8.txt": '/l "/home/me/My ROMs/\u00d1and\u00fa.bin"'.encode("utf-8"),
            "quoted-path-only.txt": b'"/home/me/game.bin"',
            "capital-switch.txt": b'/P  "a ""quoted"" name.bin"',
            "bare-path.txt": b"/home/me/game.bin",
        },
        "field_value": {
            "system.txt": b"SEGA GENESIS",
            "latin1.txt": "CAF\u00c9 \u00d1and\u00fa".encode("utf-8"),
            "beyond-latin1.txt": "\u20ac 5".encode("utf-8"),
            "devices.txt": b"J6MG",
            "comment-full.txt": b"c" * 64,
        },
    }




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


def write(root, target, name, data):
    folder = os.path.join(root, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def patch_seeds(root):
    """The BPS and UPS seeds: small valid patches with the image they were made for, in the
    fuzz targets' input layout (a flags byte: 1 ignores checksums, 2 writes a fresh patch
    CRC32; a 2-byte big-endian image length, the image, then the patch). The make_ips and
    make_bps seeds are inputs from which fuzz/fuzz_pair.h builds an image pair. The patches
    are built here from the formats' descriptions, independently of the engine."""
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
        write(root, "bps", name, framed(0, source, patch))
        write(root, "bps", name + "_resealed", framed(2, source, patch))
    write(root, "bps", "wrong_image_ignored", framed(1, edited, bps(rom, edited, bps_seeds["edits"][2])))

    ups_pairs = {"edits": (rom, edited), "grows": (rom, grown), "shrinks": (grown, rom), "from_empty": (b"", rom[:40])}
    for name, (source, target) in ups_pairs.items():
        patch = ups(source, target)
        write(root, "ups", name, framed(0, source, patch))
        write(root, "ups", name + "_backwards", framed(2, target, patch))
    write(root, "ups", "wrong_image_ignored", framed(1, rom[:500], ups(rom, edited)))

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
        write(root, "make_ips", name, data)
        if name != "near_eof":
            write(root, "make_bps", name, data)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join("fuzz", "corpus")
    patch_seeds(root)
    for target, files in seeds().items():
        folder = os.path.join(root, target)
        os.makedirs(folder, exist_ok=True)
        for name, data in files.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
