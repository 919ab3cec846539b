#!/usr/bin/env python3
"""Writes the seed corpus of the archive fuzzer: a few tiny .zip, .7z and .gz files
holding small images, so a fuzzing run starts from archives that parse.

The .zip and .gz files come from Python's own modules; the .7z files need the 7z tool
(p7zip-full) and are skipped with a note where it is missing. Every file is rebuilt from
fixed bytes and dates, so running the script again gives the same corpus (but for
the encrypted .7z, whose salt 7z draws at random).

Usage: scripts/make_archive_seeds.py [folder]   (default: fuzz/corpus/archive)
"""
import gzip
import io
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

FIXED_DATE = (2001, 2, 3, 4, 5, 6)
FIXED_TIME = 981173106  # the same moment, for files the 7z tool reads


def plain_image(size, seed):
    """A small plain image with "SEGA" at 0x100 and its ROM end at 0x1A4."""
    data = bytearray((i * 7 + seed) & 0xFF for i in range(size))
    data[0x100:0x104] = b"SEGA"
    data[0x1A4:0x1A8] = (size - 1).to_bytes(4, "big")
    return bytes(data)


def smd_image(seed):
    """An SMD file of one block: copier header, then odd bytes and even bytes."""
    plain = plain_image(16384, seed)
    header = bytearray(512)
    header[0], header[1], header[8], header[9], header[10] = 1, 3, 0xAA, 0xBB, 6
    return bytes(header) + plain[1::2] + plain[0::2]


def write_zip(path, files, method):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for name, data in files:
            info = zipfile.ZipInfo(name, FIXED_DATE)
            info.compress_type = method
            info.external_attr = (0o40755 if name.endswith("/") else 0o100644) << 16
            z.writestr(info, data)
    with open(path, "wb") as f:
        f.write(buffer.getvalue())


def write_gzip(path, data):
    with open(path, "wb") as f:
        with gzip.GzipFile(fileobj=f, mode="wb", mtime=0, filename="") as g:
            g.write(data)


def write_7z(path, files, password=None):
    tool = shutil.which("7z")
    if tool is None:
        print(f"7z not installed: {os.path.basename(path)} not made", file=sys.stderr)
        return
    with tempfile.TemporaryDirectory() as work:
        names = []
        for name, data in files:
            full = os.path.join(work, name)
            with open(full, "wb") as f:
                f.write(data)
            os.utime(full, (FIXED_TIME, FIXED_TIME))
            names.append(name)
        target = os.path.abspath(path)
        if os.path.exists(target):
            os.remove(target)
        command = [tool, "a", "-bd", "-mtc=off", "-mta=off", "-mtm=off", target] + names
        if password:
            command.insert(2, "-p" + password)
        subprocess.run(command, cwd=work, check=True, stdout=subprocess.DEVNULL)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join("fuzz", "corpus", "archive")
    os.makedirs(out, exist_ok=True)
    small = plain_image(1024, 3)
    smd = smd_image(5)
    write_zip(os.path.join(out, "one.zip"), [("Game (W).bin", small)], zipfile.ZIP_DEFLATED)
    write_zip(os.path.join(out, "several-stored.zip"),
              [("roms/", b""), ("roms/a.bin", small), ("readme.txt", b"seed\n"), ("roms/b.smd", smd)],
              zipfile.ZIP_STORED)
    write_gzip(os.path.join(out, "one.gz"), smd)
    write_7z(os.path.join(out, "one.7z"), [("Game (E).smd", smd)])
    write_7z(os.path.join(out, "several.7z"), [("a.md", small), ("notes.txt", b"seed\n")])
    write_7z(os.path.join(out, "encrypted.7z"), [("locked.bin", small)], password="seed")


if __name__ == "__main__":
    main()
