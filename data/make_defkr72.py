#!/usr/bin/env python3
"""Writes defkr72.mem, the KR7260 programmer's neutral default image.

The file is 128 little-endian 32-bit integers (512 bytes), one per radio word.
Every setting lies inside the range its editor accepts, calibration values sit
mid-scale, there are no call memories, no spare receive channels (frequency
words 0) and CTCSS is off. Run it from any folder; it writes beside itself
unless a path is given, and prints every non-zero word it chose.
"""
import os
import struct
import sys

WORDS = 128
image = [0] * WORDS
notes = {}


def put(word, value, note):
    assert 0 <= value <= 0xFFFF, (word, value)
    image[word] = value
    notes[word] = note


def pair(high, low):
    return (high << 8) | low


# Word 1: S-meter levels, S1 in the high byte, S9+ in the low byte, either side of mid-scale.
put(1, pair(0x50, 0xB0), "S-meter S1 level 80 (high byte), S9+ level 176 (low byte)")
# Word 2: fixed channel CB 01; high byte 0x0A, as every write to the radio sets it.
put(2, pair(0x0A, 0), "fixed channel CB 01, high byte 0x0A")
# Words 3 to 6: option bits. Only standard alarm timing is on; CTCSS, selcall, page off.
put(4, 0x1000, "standard alarm timing; CTCSS and page/alarm options off")
# Word 7: selcall lead-in delay 0 ms.
# Word 8: transmit time-out 60 s, page/alarm channel CB 01.
put(8, pair(0, 60), "transmit time-out 60 s, page channel CB 01")
# Word 9: priority channel CB 01, priority check rate every 10 channels.
put(9, pair(10, 0), "priority channel CB 01, check rate 10 channels")
# Word 11: no duplex channels; power-down delay 1.0 s.
put(11, pair(10, 0), "no duplex channels, power-down delay 1.0 s")
# Word 12: transmit delay 50 ms, squelch pot threshold 20 %.
put(12, pair(20, 5), "squelch pot 20 %, transmit delay 50 ms")
# Word 13: page and alarm selcalls each sent once.
put(13, pair(1, 1), "alarm repeats 1, pager repeats 1")
# Words 14, 15: typical squelch levels (threshold high byte, tight low byte).
put(14, pair(68, 12), "squelch open threshold 68, tight 12")
put(15, pair(85, 55), "squelch close threshold 85, tight 55")


def slope(pot, threshold, tight):
    m = 255 - (pot * 255 // 100)
    diff = (threshold - tight) & 0xFFFFFFFF
    return (m * 10 // diff) & 0xFF if diff else 0


# Word 16: slopes as the squelch window computes them from words 12, 14, 15.
put(16, pair(slope(20, 68, 12), slope(20, 85, 55)), "squelch slopes (open high, close low)")
# Words 17, 18: mute timing; word 18 high byte 0x0A = 5 alarm output cycles.
put(17, pair(5, 20), "mute off-debounce 50 ms (high), minimum unmute 200 ms (low)")
put(18, pair(0x0A, 5), "5 alarm output cycles (high), mute on-debounce 50 ms (low)")
# Words 19, 20: standard alarm on and off times (100 ms units).
put(19, 3, "alarm on time 0.3 s")
put(20, 17, "alarm off time 1.7 s")
# Word 21: CTCSS receive and transmit tone code 50 = off.
put(21, pair(50, 50), "CB CTCSS tones off (code 50 both)")
# Words 22 to 26: CTCSS detector constants, mid-scale.
put(22, pair(0x80, 0x80), "CTCSS initial cycles 128 (high), filter threshold 128 (low)")
put(23, 16, "CTCSS correlator 16")
put(24, 77, "CTCSS on threshold 60 % of 8 x correlator")
put(25, 51, "CTCSS off threshold 40 % of 8 x correlator")
put(26, pair(0x80, 0x80), "CTCSS Fr 128 (high), Q 128 (low)")
# Words 27 to 42: scan, group scan, quiet and CTCSS silent bitmaps all empty.
# Words 43 to 106: selcall idents and alpha tags empty (zero).
# Words 107 to 126: no spare receive channels (frequency 0).

target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "defkr72.mem")
data = b"".join(struct.pack("<i", w) for w in image)
assert len(data) == 512
with open(target + ".tmp", "wb") as f:
    f.write(data)
os.replace(target + ".tmp", target)

print(f"wrote {target} ({len(data)} bytes); words not listed are 0")
for k in range(WORDS):
    if image[k]:
        print(f"word {k:3d} = 0x{image[k]:04X} ({image[k]:5d})  {notes[k]}")
