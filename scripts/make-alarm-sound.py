#!/usr/bin/env python3
"""Writes resources/kvz.mid, the default alarm: a short music-box tune over soft chords.

Run: python3 scripts/make-alarm-sound.py
"""
import pathlib
import struct

TICKS = 480  # per quarter note
TEMPO_US = 600_000  # a quarter note lasts 0.6 s (100 per minute)


def var_len(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def track(events):
    """events: (time in ticks, bytes), any order; returns an MTrk chunk."""
    data = b""
    now = 0
    for at, message in sorted(events, key=lambda e: e[0]):
        data += var_len(at - now) + message
        now = at
    data += b"\x00\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def notes(channel, program, volume, sequence, velocity):
    """sequence: (MIDI note or None for a rest, length in eighths)."""
    events = [(0, bytes([0xC0 | channel, program])), (0, bytes([0xB0 | channel, 7, volume]))]
    at = 0
    for note, eighths in sequence:
        length = eighths * TICKS // 2
        if note is not None:
            events.append((at, bytes([0x90 | channel, note, velocity])))
            events.append((at + length - 10, bytes([0x80 | channel, note, 0])))
        at += length
    return events


# E G C' B G E | F A D' C' ... : a rising call that comes home, about 4.5 s.
melody = [(76, 1), (79, 1), (84, 2), (83, 1), (79, 1), (76, 2),
          (77, 1), (81, 1), (86, 2), (84, 4)]
chords = [(48, 4), (53, 4), (55, 2), (48, 4)]

conductor = [(0, b"\xff\x51\x03" + TEMPO_US.to_bytes(3, "big"))]
tune = notes(0, 10, 110, melody, 96)  # music box
bass = notes(1, 88, 70, chords, 60)  # warm pad
header = b"MThd" + struct.pack(">IHHH", 6, 1, 3, TICKS)
out = pathlib.Path(__file__).resolve().parent.parent / "resources" / "kvz.mid"
out.write_bytes(header + track(conductor) + track(tune) + track(bass))
print(f"{out}: {out.stat().st_size} bytes")
