#!/usr/bin/env python3
"""Writes the credits tune, "Cartridge Morning", as a Standard MIDI File.

The tune was composed for Vantorel. It is stored the way the program keeps it:
every byte b as 255 - b (resources/about/credits.mid.inv). Run again after changing
the notes and commit the generated file with the script.

Usage: scripts/make_tune.py [--plain out.mid] [output.mid.inv]
"""
import os
import struct
import sys

DIVISION = 480             # ticks per quarter note
EIGHTH = DIVISION // 2
BAR = 8 * EIGHTH
# 80 bars of 4/4 fill the 136985 ms after which the show restarts the tune, so the loop
# joins without a gap: 136985 ms / 320 quarter notes.
TEMPO_US = 136985000 // 320

NOTE = {"C": 0, "C#": 1, "D": 2, "D#": 3, "E": 4, "F": 5, "F#": 6,
        "G": 7, "G#": 8, "A": 9, "A#": 10, "B": 11}


def pitch(name):
    """'A4' -> 69, 'G#5' -> 80; 'R' is a rest."""
    if name == "R":
        return None
    return 12 * (int(name[-1]) + 1) + NOTE[name[:-1]]


CHORDS = {  # root in the bass octave and the triad for the pad
    "Am": ("A2", ["A3", "C4", "E4"]),
    "F": ("F2", ["A3", "C4", "F4"]),
    "C": ("C3", ["G3", "C4", "E4"]),
    "G": ("G2", ["G3", "B3", "D4"]),
    "E": ("E2", ["G#3", "B3", "E4"]),
    "Em": ("E2", ["G3", "B3", "E4"]),
    "Dm": ("D3", ["A3", "D4", "F4"]),
}

# Melody phrases: one list per bar of (note, length in eighths).
A1 = [
    [("A4", 2), ("C5", 2), ("E5", 3), ("D5", 1)],
    [("C5", 2), ("A4", 2), ("F4", 2), ("A4", 2)],
    [("G4", 2), ("C5", 2), ("E5", 2), ("G5", 2)],
    [("F5", 3), ("E5", 1), ("D5", 4)],
    [("E5", 2), ("A5", 2), ("G5", 2), ("E5", 2)],
    [("F5", 2), ("E5", 2), ("C5", 2), ("A4", 2)],
    [("B4", 2), ("D5", 2), ("G5", 3), ("F5", 1)],
    [("E5", 6), ("G#4", 2)],
]
A2 = [
    [("A4", 2), ("C5", 2), ("E5", 3), ("D5", 1)],
    [("C5", 2), ("A4", 2), ("F5", 2), ("E5", 2)],
    [("G5", 2), ("E5", 2), ("C5", 2), ("E5", 2)],
    [("D5", 3), ("C5", 1), ("B4", 4)],
    [("C5", 2), ("E5", 2), ("A5", 3), ("G5", 1)],
    [("F5", 2), ("A5", 2), ("C6", 2), ("A5", 2)],
    [("G5", 2), ("F5", 2), ("D5", 2), ("B4", 2)],
    [("A4", 8)],
]
A_CHORDS = ["Am", "F", "C", "G", "Am", "F", "G", "E"]
A2_CHORDS = ["Am", "F", "C", "G", "Am", "F", "G", "Am"]

B1 = [
    [("A5", 4), ("G5", 2), ("F5", 2)],
    [("G5", 4), ("D5", 4)],
    [("E5", 2), ("G5", 2), ("B5", 2), ("G5", 2)],
    [("A5", 6), ("E5", 2)],
    [("F5", 2), ("A5", 2), ("D6", 2), ("C6", 2)],
    [("B5", 3), ("A5", 1), ("G5", 4)],
    [("E5", 2), ("G5", 2), ("C6", 2), ("E6", 2)],
    [("D6", 2), ("B5", 2), ("G#5", 2), ("E5", 2)],
]
B2 = B1[:4] + [
    [("F5", 2), ("E5", 2), ("D5", 2), ("F5", 2)],
    [("B5", 2), ("A5", 2), ("G5", 2), ("F5", 2)],
    [("E5", 3), ("D5", 1), ("C5", 4)],
    [("B4", 2), ("G#4", 2), ("E4", 4)],
]
B_CHORDS = ["F", "G", "Em", "Am", "Dm", "G", "C", "E"]

BRIDGE = [
    [("D5", 8)],
    [("C5", 4), ("E5", 4)],
    [("F5", 6), ("E5", 2)],
    [("G#5", 8)],
    [("A5", 4), ("F5", 4)],
    [("G5", 4), ("B5", 4)],
    [("A5", 8)],
    [("E5", 8)],
]
BRIDGE_CHORDS = ["Dm", "Am", "Dm", "E", "F", "G", "Am", "E"]

REST_BAR = [("R", 8)]


def sections():
    """(melody bars, chords, drum style) in play order: 80 bars."""
    intro = ([REST_BAR] * 4, ["Am", "F", "G", "E"], "intro")
    outro = ([[("A4", 4), ("E5", 4)], [("F5", 4), ("C5", 4)], [("D5", 4), ("B4", 4)], [("A4", 8)]],
             ["Am", "F", "G", "Am"], "outro")
    return [intro,
            (A1, A_CHORDS, "full"), (A2, A2_CHORDS, "full"),
            (B1, B_CHORDS, "full"), (B2, B_CHORDS, "full"),
            (BRIDGE, BRIDGE_CHORDS, "soft"),
            (A1, A_CHORDS, "full"), (A2, A2_CHORDS, "full"),
            (B1, B_CHORDS, "full"), (B2, B_CHORDS, "full"),
            outro]


def varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def track(events, name):
    """events: (tick, order, bytes); note-offs sort before note-ons at the same tick."""
    body = b"\x00\xFF\x03" + varlen(len(name)) + name.encode("ascii")
    now = 0
    for tick, _, data in sorted(events, key=lambda e: (e[0], e[1])):
        body += varlen(tick - now) + data
        now = tick
    body += b"\x00\xFF\x2F\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def note(events, channel, start, length, key, velocity):
    events.append((start, 1, bytes([0x90 | channel, key, velocity])))
    events.append((start + length, 0, bytes([0x80 | channel, key, 0])))


def build():
    melody, bass, pad, drums = [], [], [], []
    for ev, ch, program in ((melody, 0, 80), (bass, 1, 38), (pad, 2, 89)):
        ev.append((0, -1, bytes([0xC0 | ch, program])))
    melody.append((0, -1, bytes([0xB0, 7, 100])))
    pad.append((0, -1, bytes([0xB2, 7, 70])))
    drums.append((0, -1, bytes([0xB9, 7, 100])))

    bar_start = 0
    for bars, chords, style in sections():
        for i, (phrase, chord) in enumerate(zip(bars, chords)):
            t = bar_start
            for name, eighths in phrase:
                key = pitch(name)
                if key is not None:
                    note(melody, 0, t, eighths * EIGHTH - 20, key, 104)
                t += eighths * EIGHTH
            assert t - bar_start == BAR, (style, i, phrase)

            root, triad = CHORDS[chord]
            root_key = pitch(root)
            last_bar = style == "outro" and i == len(bars) - 1
            if last_bar:
                note(bass, 1, bar_start, BAR, root_key, 96)
            else:
                # The octave-pumping bass of the cartridge era.
                for step in range(8):
                    key = root_key + (12 if step in (2, 6) else 0)
                    note(bass, 1, bar_start + step * EIGHTH, EIGHTH - 30, key, 92 if step % 2 == 0 else 80)
            for key in triad:
                note(pad, 2, bar_start, BAR - 10, pitch(key), 64 if style != "soft" else 72)

            if i == 0 and style in ("full", "outro"):
                note(drums, 9, bar_start, EIGHTH, 49, 100)  # crash at each section
            if last_bar:
                note(drums, 9, bar_start, EIGHTH, 36, 110)
            elif style == "soft":
                note(drums, 9, bar_start, EIGHTH, 36, 80)
                note(drums, 9, bar_start + 4 * EIGHTH, EIGHTH, 37, 60)  # side stick
            else:
                for step in range(8):
                    at = bar_start + step * EIGHTH
                    if step in (0, 4, 5):
                        note(drums, 9, at, EIGHTH, 36, 108)
                    if step in (2, 6):
                        note(drums, 9, at, EIGHTH, 38, 100)
                    if style != "intro" or i >= 2:
                        note(drums, 9, at, EIGHTH // 2, 42, 70 if step % 2 else 86)
            bar_start += BAR
    assert bar_start == 80 * BAR

    conductor = [
        (0, 0, b"\xFF\x51\x03" + TEMPO_US.to_bytes(3, "big")),
        (0, 0, b"\xFF\x58\x04\x04\x02\x18\x08"),   # 4/4
        (0, 0, b"\xFF\x59\x02\x00\x01"),           # A minor
        # A marker at the last bar line, so the file lasts the full 80 bars.
        (bar_start, 0, b"\xFF\x06\x03end"),
    ]
    tracks = [track(conductor, "Cartridge Morning"), track(melody, "Lead"), track(bass, "Bass"),
              track(pad, "Pad"), track(drums, "Drums")]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), DIVISION)
    return header + b"".join(tracks)


def main(argv):
    plain = None
    if len(argv) >= 2 and argv[0] == "--plain":
        plain, argv = argv[1], argv[2:]
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = argv[0] if argv else os.path.join(root, "resources", "about", "credits.mid.inv")
    midi = build()
    if plain:
        with open(plain, "wb") as f:
            f.write(midi)
    with open(out, "wb") as f:
        f.write(bytes(255 - b for b in midi))
    print(f"{out}: {len(midi)} bytes")


if __name__ == "__main__":
    main(sys.argv[1:])
