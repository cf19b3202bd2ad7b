#!/usr/bin/env python3
"""Writes the default animated Today page files into data/program/:
vx5n.htm (the page for height 100 on white), vx5n.atc (its settings) and
vx5n.swf (a one-frame Flash movie that only paints its background).

Usage: scripts/make-animation-defaults.py [OUTPUT_FOLDER]
"""
import os
import struct
import sys

WIDTH, HEIGHT = 240, 100          # pixels
BACKGROUND = (0xFF, 0xFF, 0xFF)   # red, green, blue
FRAME_RATE = 12                   # frames per second
SWF_VERSION = 4


def bits(value, count):
    """`value` as `count` bits, most significant first (two's complement)."""
    return format(value & ((1 << count) - 1), "0{}b".format(count))


def rect(xmin, xmax, ymin, ymax):
    """A RECT record: 5 bits of field size, then four signed fields, padded to a byte."""
    size = max(v.bit_length() for v in (xmin, xmax, ymin, ymax)) + 1  # room for the sign bit
    text = bits(size, 5) + "".join(bits(v, size) for v in (xmin, xmax, ymin, ymax))
    text += "0" * (-len(text) % 8)
    return bytes(int(text[i:i + 8], 2) for i in range(0, len(text), 8))


def tag(code, body=b""):
    """A tag with the short header (bodies under 63 bytes)."""
    assert len(body) < 63
    return struct.pack("<H", (code << 6) | len(body)) + body


def movie():
    twips = 20
    header_rest = rect(0, WIDTH * twips, 0, HEIGHT * twips)
    header_rest += struct.pack("<HH", FRAME_RATE << 8, 1)  # 8.8 fixed frame rate, one frame
    tags = tag(9, bytes(BACKGROUND))  # SetBackgroundColor
    tags += tag(1)                    # ShowFrame
    tags += tag(0)                    # End
    length = 8 + len(header_rest) + len(tags)
    return b"FWS" + bytes([SWF_VERSION]) + struct.pack("<I", length) + header_rest + tags


def page(height, colour):
    c = "%02x%02x%02x" % colour
    return ('<HTML><HEAD></HEAD><BODY TOPMARGIN="0" LEFTMARGIN="0" BGCOLOR="#' + c +
            '"><OBJECT classid="clsid:D27CDB6E-AE6D-11cf-96B8-444553540000" ID="pocketpc" WIDTH="240" HEIGHT="' +
            str(height) + '"><PARAM NAME="bgcolor" VALUE="#' + c +
            '"><PARAM NAME="movie" VALUE="vx5n.swf"><PARAM NAME="quality" VALUE="High"></OBJECT></BODY></HTML>')


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "data", "program")
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "vx5n.swf"), "wb") as f:
        f.write(movie())
    with open(os.path.join(out, "vx5n.htm"), "wb") as f:
        f.write(page(HEIGHT, BACKGROUND).encode("ascii"))
    with open(os.path.join(out, "vx5n.atc"), "wb") as f:
        f.write(b"[Today]\r\nsize=%d\r\n" % HEIGHT)


if __name__ == "__main__":
    main()
