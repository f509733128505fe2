#!/usr/bin/env python3
"""Makes defkr5180.mem, the neutral starting image of the KR5180 programmer.

The image is the raw 256-byte radio memory. Addresses no window uses stay in the
erased state 0xFF; the calibration block is mid-scale; every setting is inside its
range; no channel is in a scan or silent memory; no receive-only channel is in use;
CTCSS is off. Run it from anywhere: it writes beside itself and prints what it chose.
"""
import os
import sys

SIZE = 256
image = bytearray([0xFF] * SIZE)
chosen = []


def put(address, value, what):
    image[address] = value
    chosen.append((address, value, what))


def put_range(first, last, value, what):
    for a in range(first, last + 1):
        image[a] = value
    chosen.append((first, value, f"{what} (addresses {first}-{last})"))


put_range(0, 27, 0x80, "calibration block, mid-scale")
put(30, 0x00, "radio options byte 30, no bits set")
put(32, 5, "squelch level (1..9)")
put(33, 60, "transmit time-out, seconds (0..180)")
put_range(34, 41, 0x00, "option bits: scan off, no options set")
put(48, 20, "mute open debounce, ms")
put(49, 10, "minimum mute open time, x10 ms")
put(50, 5, "priority check rate (1..10)")
put(52, 1 + 128, "priority channel code: CB channel 1")
put(53, 0x00, "duplex channels: none")
put(56, 0, "CTCSS tone: off")
put(57, 0, "CTCSS receive tone: off")
put_range(64, 71, 0x00, "scan memory 1: empty")
put_range(72, 79, 0x00, "scan memory 2: empty")
put_range(88, 95, 0x00, "silent channel memories: empty")
put_range(216, 255, 0xFF, "receive-only channels 41-60: not in use")

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "defkr5180.mem")
if len(sys.argv) > 1:
    out = sys.argv[1]
with open(out + ".tmp", "wb") as f:
    f.write(image)
os.replace(out + ".tmp", out)

print(f"wrote {out} ({len(image)} bytes)")
for address, value, what in chosen:
    print(f"  {address:3d}: 0x{value:02X} ({value:3d})  {what}")
print("  every other address: 0xFF (erased, carried unchanged)")
