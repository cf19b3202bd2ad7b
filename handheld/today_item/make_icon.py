#!/usr/bin/env python3
"""Writes TodayItem.ico: the Today item's 16 x 16 icon (32-bit colour with an
AND mask), a blue page with a white "M" on a transparent ground.

    python3 make_icon.py [OUTPUT]      (default: TodayItem.ico beside this script)
"""
import os
import struct
import sys

SIZE = 16
M_ROWS = [  # the letter, 10 x 7 pixels, top row first
    "1000001",
    "1100011",
    "1010101",
    "1001001",
    "1000001",
    "1000001",
    "1000001",
]


def pixel(x, y):
    """BGRA of the pixel at (x, y), y = 0 at the top."""
    if not (1 <= x <= 14 and 1 <= y <= 14):
        return (0, 0, 0, 0)
    if x in (1, 14) or y in (1, 14):
        return (0x40, 0x20, 0x10, 0xFF)  # dark blue frame
    mx, my = x - 4, y - 4
    if 0 <= my < len(M_ROWS) and 0 <= mx < 7 and M_ROWS[my][mx] == "1":
        return (0xFF, 0xFF, 0xFF, 0xFF)
    return (0xC0, 0x70, 0x20, 0xFF)  # blue page


def icon_bytes():
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        row_mask = 0
        for x in range(SIZE):
            b, g, r, a = pixel(x, y)
            xor += bytes((b, g, r, a))
            if a == 0:
                row_mask |= 1 << (15 - x)
        mask += struct.pack(">H", row_mask) + b"\0\0"  # rows padded to 32 bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 22)
    return directory + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "TodayItem.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes())
