#!/usr/bin/env python3
"""Draws the pictures of the preview templates and of the default theme into
data/program/ (or the folder given):

  icones.png          the icon sheet of the Today screen, Start menu and bubbles
  NormalBubble.png    the shape and face of the notification bubble (90 x 184)
  CriticalBubble.png  the shape and face of the alert bubble (222 x 121)
  facelift.png        title and command bar faces of the taskbar layout (240 x 52)
  Blank.jpg           a plain white 240 x 268 picture
  Default.THM, DefaultTDY000.gif, DefaultSTA000.gif   the default theme

Pure standard library for the PNG pictures; ImageMagick's `convert` turns the
default theme's pictures into GIF and writes the JPEG.

and writes the skin descriptions of the templates (the Today screens, Start
menus and bubbles of both handheld styles, the taskbar layout).

Usage: scripts/make-templates.py [OUTPUT_FOLDER] [--skins-only]
"""
import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

SS = 4  # sub-samples per pixel side for edge coverage

# Where every icon of the sheet lies: 16 x 16 icons on the first row, 32 x 32
# icons on the second. The templates address them by these positions.
ICONS16 = ["flag", "battery", "message", "speaker", "bell", "owner", "inbox", "calendar",
           "tasks", "today", "activesync", "contacts", "explorer", "notes", "gprs", "phone",
           "programs", "settings", "find", "help", "keyboard", "uparrow", "date", "signal"]
ICONS32 = ["bigbattery", "bigbell", "film"]


# ----------------------------------------------------------------- canvas

class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(fill) for _ in range(w * h)]

    def blend(self, x, y, colour, a):
        """Straight-alpha 'over' of one pixel with coverage a (0..1)."""
        if a <= 0 or x < 0 or y < 0 or x >= self.w or y >= self.h:
            return
        r, g, b = colour[:3]
        sa = (colour[3] / 255.0 if len(colour) > 3 else 1.0) * min(1.0, a)
        d = self.px[y * self.w + x]
        da = d[3] / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        for i, c in enumerate((r, g, b)):
            d[i] = int(round((c * sa + d[i] * da * (1 - sa)) / oa))
        d[3] = int(round(oa * 255))

    def shape(self, inside, colour, box=None):
        """Fills every pixel by the share of its sub-samples for which inside(x, y) holds."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                n = 0
                for j in range(SS):
                    for i in range(SS):
                        if inside(x + (i + 0.5) / SS, y + (j + 0.5) / SS):
                            n += 1
                if n:
                    self.blend(x, y, colour, n / (SS * SS))

    def rect(self, x0, y0, x1, y1, colour):
        if not all(float(v).is_integer() for v in (x0, y0, x1, y1)):
            self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour, (x0, y0, x1, y1))
            return
        x0, y0, x1, y1 = int(x0), int(y0), int(x1), int(y1)
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.blend(x, y, colour, 1.0)

    def clear(self, x0, y0, x1, y1):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y * self.w + x] = [0, 0, 0, 0]

    def round_rect(self, x0, y0, x1, y1, r, colour):
        def inside(x, y):
            if x < x0 or x > x1 or y < y0 or y > y1:
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self.shape(inside, colour, (x0 - 1, y0 - 1, x1 + 1, y1 + 1))

    def circle(self, cx, cy, r, colour):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour,
                   (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1))

    def ring(self, cx, cy, r, width, colour):
        self.shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= width / 2.0, colour,
                   (cx - r - width, cy - r - width, cx + r + width, cy + r + width))

    def polygon(self, pts, colour):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            c = False
            n = len(pts)
            for i in range(n):
                ax, ay = pts[i]
                bx, by = pts[(i + 1) % n]
                if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
                    c = not c
            return c
        self.shape(inside, colour, (min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1))

    def line(self, ax, ay, bx, by, width, colour):
        def inside(x, y):
            dx, dy = bx - ax, by - ay
            L = dx * dx + dy * dy
            t = 0 if L == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / L))
            return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) <= width / 2.0
        self.shape(inside, colour, (min(ax, bx) - width, min(ay, by) - width,
                                    max(ax, bx) + width, max(ay, by) + width))

    def vgradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(y0, y1):
            t = (y - y0) / max(1, (y1 - y0 - 1))
            c = tuple(int(round(top[i] + (bottom[i] - top[i]) * t)) for i in range(3)) + (255,)
            self.rect(x0, y, x1, y + 1, c)

    def blit(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                p = other.px[y * other.w + x]
                if p[3]:
                    self.blend(ox + x, oy + y, p, 1.0)

    def png(self, path, alpha=True):
        rows = bytearray()
        for y in range(self.h):
            rows.append(0)
            for x in range(self.w):
                p = self.px[y * self.w + x]
                rows.extend(p if alpha else p[:3])

        def chunk(kind, data):
            c = struct.pack(">I", len(data)) + kind + data
            return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        head = struct.pack(">IIBBBBB", self.w, self.h, 8, 6 if alpha else 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) +
                    chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


# ----------------------------------------------------------------- icons

DARK = (40, 40, 48, 255)
WHITE = (255, 255, 255, 255)


def icon16(c, name):
    """Draws icon `name` into the 16 x 16 canvas c."""
    if name == "flag":  # four waving panes
        for (ox, oy, col) in ((1, 2, (230, 60, 40)), (8.5, 1, (60, 180, 60)),
                              (1, 9, (50, 110, 230)), (8.5, 8, (250, 200, 30))):
            c.polygon([(ox, oy + 1), (ox + 6, oy), (ox + 6.5, oy + 5.5), (ox + 0.5, oy + 6.5)], col + (255,))
    elif name == "battery":  # a light body, so that it shows on dark trays too
        c.round_rect(1, 4, 13.5, 12, 1.5, DARK)
        c.rect(13.5, 6, 15, 10, DARK)
        c.rect(2, 5, 12.5, 11, (245, 245, 245, 255))
        c.rect(3, 6, 7, 10, (230, 50, 40, 255))
    elif name == "message":
        c.rect(1, 3, 15, 13, DARK)
        c.rect(2, 4, 14, 12, (250, 250, 245, 255))
        c.line(2, 4.5, 8, 9, 1.2, DARK)
        c.line(14, 4.5, 8, 9, 1.2, DARK)
    elif name == "speaker":
        c.polygon([(2, 6), (5, 6), (9, 2.5), (9, 13.5), (5, 10), (2, 10)], WHITE)
        c.ring(9, 8, 4.5, 1.2, WHITE)
        c.clear(0, 0, 10, 16)
        c.polygon([(2, 6), (5, 6), (9, 2.5), (9, 13.5), (5, 10), (2, 10)], WHITE)
    elif name == "bell":
        c.polygon([(8, 2), (11.5, 4.5), (12, 10), (14, 12), (2, 12), (4, 10), (4.5, 4.5)], (250, 210, 60, 255))
        c.circle(8, 13.2, 1.6, (250, 210, 60, 255))
    elif name == "owner":
        c.circle(8, 5, 3, (200, 140, 100, 255))
        c.round_rect(2.5, 9, 13.5, 15.5, 3, (60, 100, 170, 255))
    elif name == "inbox":
        c.rect(1, 3, 15, 13, (60, 90, 150, 255))
        c.rect(2, 4, 14, 12, (235, 240, 250, 255))
        c.line(2, 4.5, 8, 9, 1.3, (60, 90, 150, 255))
        c.line(14, 4.5, 8, 9, 1.3, (60, 90, 150, 255))
    elif name in ("calendar", "date"):
        c.rect(1, 2, 15, 15, DARK)
        c.rect(2, 6, 14, 14, WHITE)
        c.rect(2, 3, 14, 6, (200, 40, 40, 255) if name == "calendar" else (40, 110, 200, 255))
        for (x, y) in ((4, 8), (7, 8), (10, 8), (4, 11), (7, 11), (10, 11)):
            c.rect(x, y, x + 2, y + 2, (120, 120, 130, 255))
    elif name == "tasks":
        c.rect(2, 1, 14, 15, DARK)
        c.rect(3, 2, 13, 14, WHITE)
        c.line(4.5, 6, 6.5, 8, 1.4, (40, 150, 60, 255))
        c.line(6.5, 8, 11, 3.5, 1.4, (40, 150, 60, 255))
        c.rect(5, 10, 11, 11, (120, 120, 130, 255))
        c.rect(5, 12, 11, 13, (120, 120, 130, 255))
    elif name == "today":
        c.circle(8, 8, 4, (250, 190, 30, 255))
        for k in range(8):
            a = k * math.pi / 4
            c.line(8 + 5 * math.cos(a), 8 + 5 * math.sin(a), 8 + 7 * math.cos(a), 8 + 7 * math.sin(a), 1.2,
                   (250, 160, 20, 255))
    elif name == "activesync":
        c.ring(8, 8, 5, 1.8, (40, 150, 60, 255))
        c.clear(0, 7, 16, 9)
        c.polygon([(11, 5), (15, 8), (11, 8)], (40, 150, 60, 255))
        c.polygon([(5, 11), (1, 8), (5, 8)], (40, 150, 60, 255))
    elif name == "contacts":
        c.round_rect(1, 2, 15, 14, 1.5, (90, 120, 170, 255))
        c.rect(2, 3, 14, 13, (245, 245, 235, 255))
        c.circle(6, 7, 2, (200, 140, 100, 255))
        c.round_rect(3, 9.5, 9, 13, 1.5, (90, 120, 170, 255))
        c.rect(10, 6, 13, 7, (120, 120, 130, 255))
        c.rect(10, 9, 13, 10, (120, 120, 130, 255))
    elif name == "explorer":
        c.circle(8, 8, 6, (40, 120, 220, 255))
        c.circle(8, 8, 3.6, WHITE)
        c.circle(8, 8, 2.2, (40, 120, 220, 255))
        c.rect(5, 8, 13, 9.5, (40, 120, 220, 255))
        c.ring(8, 8, 7, 1, (250, 200, 40, 255))
    elif name == "notes":
        c.rect(2, 1, 14, 15, (230, 200, 60, 255))
        c.rect(3, 3, 13, 14, (255, 250, 200, 255))
        for y in (5, 8, 11):
            c.rect(4, y, 12, y + 1, (150, 150, 160, 255))
    elif name == "gprs":
        for i, h in enumerate((3, 6, 9, 12)):
            c.rect(2 + i * 3, 14 - h, 4 + i * 3, 14, (40, 140, 200, 255))
    elif name == "signal":
        for i, h in enumerate((3, 6, 9, 12)):
            c.rect(2 + i * 3, 14 - h, 4 + i * 3, 14, WHITE)
    elif name == "phone":
        c.line(4, 3, 4, 11, 3, (60, 60, 70, 255))
        c.line(4, 3, 11, 3, 2, (60, 60, 70, 255))
        c.line(4, 12, 11, 12, 2, (60, 60, 70, 255))
        c.circle(12, 3, 1.8, (60, 60, 70, 255))
        c.circle(12, 12, 1.8, (60, 60, 70, 255))
    elif name == "programs":
        c.polygon([(1, 4), (6, 4), (7.5, 5.5), (15, 5.5), (15, 14), (1, 14)], (230, 180, 60, 255))
        c.rect(1, 7, 15, 14, (250, 210, 90, 255))
    elif name == "settings":
        for k in range(8):
            a = k * math.pi / 4
            c.line(8, 8, 8 + 6.5 * math.cos(a), 8 + 6.5 * math.sin(a), 2.4, (110, 115, 130, 255))
        c.circle(8, 8, 4.5, (110, 115, 130, 255))
        c.circle(8, 8, 1.8, WHITE)
    elif name == "find":
        c.ring(6.5, 6.5, 4, 1.8, (60, 60, 70, 255))
        c.circle(6.5, 6.5, 3, (200, 230, 250, 255))
        c.line(9.5, 9.5, 14, 14, 2.6, (60, 60, 70, 255))
    elif name == "help":
        c.circle(8, 8, 7, (40, 110, 200, 255))
        c.ring(8, 6, 2.5, 1.6, WHITE)
        c.rect(4, 6, 8, 10, (40, 110, 200, 255))
        c.rect(7.2, 8, 8.8, 10.5, WHITE)
        c.rect(7.2, 11.5, 8.8, 13, WHITE)
    elif name == "keyboard":
        c.round_rect(0.5, 3.5, 15.5, 12.5, 1.5, DARK)
        for y in (5, 7.5):
            for x in range(2, 14, 3):
                c.rect(x, int(y), x + 2, int(y) + 2, WHITE)
        c.rect(4, 10, 12, 11, WHITE)
    elif name == "uparrow":
        c.polygon([(4, 10), (8, 5), (12, 10)], DARK)


def icon32(c, name):
    if name == "bigbattery":
        c.round_rect(2, 9, 27, 23, 2.5, DARK)
        c.rect(27, 13, 30, 19, DARK)
        c.rect(4.5, 11.5, 24.5, 20.5, (245, 245, 245, 255))
        c.rect(6, 13, 10, 19, (220, 40, 30, 255))
        c.polygon([(18, 3), (21, 3), (20, 10), (18, 10)], (220, 40, 30, 255))
        c.circle(19.5, 12.5, 1.4, (220, 40, 30, 255))
    elif name == "bigbell":
        c.polygon([(16, 3), (23, 8), (24, 19), (28, 23), (4, 23), (8, 19), (9, 8)], (245, 200, 50, 255))
        c.circle(16, 26, 3, (245, 200, 50, 255))
        c.ring(16, 3, 1.8, 1.2, (200, 150, 30, 255))
    elif name == "film":
        c.round_rect(2, 6, 30, 26, 3, (60, 60, 70, 255))
        c.polygon([(13, 10), (22, 16), (13, 22)], WHITE)


def make_icons(out):
    sheet = Canvas(16 * len(ICONS16), 48)
    for i, name in enumerate(ICONS16):
        c = Canvas(16, 16)
        icon16(c, name)
        sheet.blit(c, i * 16, 0)
    for i, name in enumerate(ICONS32):
        c = Canvas(32, 32)
        icon32(c, name)
        sheet.blit(c, i * 32, 16)
    sheet.png(os.path.join(out, "icones.png"))


# ----------------------------------------------------------------- bubbles

KEY = (255, 0, 255, 255)  # the colour outside the shape (ExcludeColor 255,0,255)


def bubble(w, h, tail_x, tail_top, body_top, path, face, border):
    """A rounded balloon with a tail rising to (tail_x, tail_top)."""
    c = Canvas(w, h)
    outline = [(tail_x - 7, body_top + 1), (tail_x + 1, tail_top), (tail_x + 6, body_top + 1)]
    c.round_rect(0, body_top, w, h, 7, border)
    c.polygon(outline, border)
    c.round_rect(1, body_top + 1, w - 1, h - 1, 6, face)
    c.polygon([(tail_x - 5.3, body_top + 1.6), (tail_x + 1, tail_top + 2.2), (tail_x + 4.6, body_top + 1.6)], face)
    # The window shape keeps a pixel or drops it, so the balloon is drawn on
    # nothing and each edge pixel either keeps its own colour, fully opaque,
    # or becomes the key colour: no edge pixel mixes with the key colour.
    for p in c.px:
        if p[3] < 128:
            p[:] = list(KEY)
        p[3] = 255
    c.png(path, alpha=False)


# ----------------------------------------------------------------- taskbar faces

def make_facelift(out):
    c = Canvas(240, 52, (0, 0, 0, 255))
    # Title bar face: a dark slate gloss with a soft highlight.
    c.vgradient(0, 0, 240, 26, (70, 86, 110), (20, 28, 44))
    c.vgradient(0, 0, 240, 12, (110, 128, 156), (64, 80, 104))
    c.rect(0, 25, 240, 26, (150, 170, 200, 255))
    # Command bar face.
    c.vgradient(0, 26, 240, 52, (236, 240, 246), (196, 204, 216))
    c.rect(0, 26, 240, 27, (120, 130, 150, 255))
    c.png(os.path.join(out, "facelift.png"), alpha=False)


# ----------------------------------------------------------------- default theme

def make_today_picture():
    """A calm landscape at dawn: sky, sun, hills, a lake."""
    w, h = 240, 268
    c = Canvas(w, h, (0, 0, 0, 255))
    c.vgradient(0, 0, w, 150, (196, 222, 246), (250, 236, 214))
    c.circle(176, 96, 22, (255, 246, 214, 255))
    c.circle(176, 96, 30, (255, 240, 200, 90))
    for base, amp, freq, phase, col in ((136, 16, 0.020, 0.5, (150, 178, 196)),
                                        (150, 12, 0.031, 2.0, (118, 156, 142)),
                                        (166, 10, 0.045, 4.0, (86, 132, 104))):
        pts = [(x, base - amp * math.sin(x * freq + phase)) for x in range(0, w + 8, 8)]
        c.polygon([(0, h)] + pts + [(w, h)], col + (255,))
    c.vgradient(0, 186, w, h, (150, 190, 214), (208, 226, 236))
    for y, x0, x1 in ((200, 30, 110), (214, 120, 200), (232, 50, 150), (248, 150, 230)):
        c.rect(x0, y, x1, y + 1, (236, 244, 250, 255))
    c.vgradient(0, 176, w, 188, (86, 132, 104), (96, 140, 112))
    return c


def make_start_picture():
    """A light watermark for the Start menu: a pale gradient with soft leaves."""
    w, h = 150, 290
    c = Canvas(w, h, (0, 0, 0, 255))
    c.vgradient(0, 0, w, h, (250, 252, 255), (222, 234, 246))
    for k, (cx, cy, r) in enumerate(((120, 230, 40), (96, 262, 30), (138, 180, 26))):
        c.circle(cx, cy, r, (190, 212, 234, 110 - k * 20))
    for k in range(5):
        a = -0.9 + k * 0.35
        c.line(130, 290, 130 + 80 * math.cos(a - math.pi / 2), 290 + 80 * math.sin(a - math.pi / 2), 1.5,
               (176, 200, 226, 160))
    return c


DEFAULT_COLOURS = [  # index, red, green, blue (table order of the handheld colours)
    (4, 0, 0, 0), (5, 0, 70, 140), (6, 150, 170, 190), (7, 214, 222, 231), (8, 0, 51, 102),
    (9, 255, 255, 255), (10, 51, 102, 170), (11, 0, 40, 80), (12, 255, 200, 60), (13, 0, 80, 160),
    (14, 120, 170, 220), (25, 160, 0, 0), (26, 240, 120, 100), (15, 255, 255, 255),
    (16, 200, 220, 240), (36, 0, 60, 140), (37, 90, 150, 220), (27, 255, 255, 255),
    (28, 255, 255, 255), (39, 0, 0, 0), (38, 255, 255, 255), (40, 0, 90, 200),
]


def default_project():
    """The project file as the theme model writes it."""
    lines = ["[Theme]", "PDAcolors=1", "Alias=Default", "Note=", "TskType=0"]
    for i, (name, real) in enumerate((("DefaultTDY000.gif", "tdywater.gif"),
                                      ("DefaultSTA000.gif", "stwater.gif"))):
        lines += ["[File%d]" % i, "Transparency=0", "HFlip=0", "Left=0", "Right=0", "Top=0", "Bottom=0",
                  "Rotation=0", "TransparencyColor=255,255,255", "Name=" + name, "Realname=" + real, "type=1"]
    for i, (index, r, g, b) in enumerate(DEFAULT_COLOURS):
        lines += ["[Reg%d]" % i, "SubKey=HKLM,Software\\Microsoft\\Color", "Name=%d" % index, "Flags=1",
                  "Data=%02x,%02x,%02x,00" % (r, g, b), "type=2"]
    lines += ["[CustomColors]"] + ["%d=16777215" % i for i in range(16)]
    return "\r\n".join(lines) + "\r\n"


def to_gif(canvas, path):
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, "in.png")
        canvas.png(src, alpha=False)
        subprocess.run(["convert", src, "+dither", "-colors", "256", "-define", "gif:version=87a",
                        "-strip", "GIF87:" + path], check=True)


# ----------------------------------------------------------------- skin descriptions
#
# The templates are written from the layout below so that the four Today
# screens share one set of rows. Colour values name the handheld colour by
# index through the placeholder the preview resolves against the theme.

def col(index):
    return "%%HKLM,Software\\Microsoft\\Color,%d%%" % index


ICON = {name: i * 16 for i, name in enumerate(ICONS16)}


class Skin:
    def __init__(self, comment, width, height):
        self.out = ["; " + line for line in comment.strip().split("\n")]
        self.out += ["", "[General]", "size=%d,%d" % (width, height)]

    def section(self, name, comment=None, **keys):
        self.out.append("")
        if comment:
            self.out.append("; " + comment)
        self.out.append("[%s]" % name)
        for k, v in keys.items():
            self.out.append("%s=%s" % (k.replace("_", " "), v))

    def font(self, name, point_tenths, bold=False):
        keys = {"type": "FontGDI", "pointSize": point_tenths, "FaceName": "Tahoma"}
        if bold:
            keys["Bold"] = 1
        self.section(name, **keys)

    def rect(self, name, colour, l, t, r, b, **keys):
        self.section(name, type="Rect", Color=colour, Rect="%d,%d,%d,%d" % (l, t, r, b), **keys)

    def hotspot(self, name, l, t, r, b, comment=None, **keys):
        """An element without a picture: it draws nothing and takes the clicks over its area."""
        self.section(name, comment, type="image", Window="0,0,%d,%d" % (r - l, b - t), pos="%d,%d" % (l, t), **keys)

    def icon(self, name, icon, x, y, file="icones.png", **keys):
        left = ICON[icon]
        self.section(name, type="image", File=file, Window="%d,0,%d,16" % (left, left + 16), pos="%d,%d" % (x, y),
                     **keys)

    def big_icon(self, name, index, x, y, file="icones.png", **keys):
        self.section(name, type="image", File=file, Window="%d,16,%d,48" % (index * 32, index * 32 + 32),
                     pos="%d,%d" % (x, y), **keys)

    def text(self, name, text, colour, l, t, r, b, fmt="SINGLELINE|VCENTER|LEFT|END_ELLIPSIS", font=None, **keys):
        # A text element aligns and shortens its line only when it is laid out
        # word by word; without WORDBREAK it is broken by characters at the
        # left edge. Every single-line text therefore carries WORDBREAK too.
        if "SINGLELINE" in fmt and "WORDBREAK" not in fmt:
            fmt = "WORDBREAK|" + fmt
        k = {"type": "text", "text": text, "TextColor": colour, "Window": "%d,%d,%d,%d" % (l, t, r, b),
             "Format": fmt}
        if font:
            k["font"] = font
        k.update(keys)
        self.section(name, **k)

    def line(self, name, colour, x0, y0, x1, y1, width=1, **keys):
        self.section(name, type="Line", Start="%d,%d" % (x0, y0), End="%d,%d" % (x1, y1), Color=colour,
                     Width=width, **keys)

    def write(self, path):
        with open(path, "w", newline="") as f:
            f.write("\r\n".join(self.out) + "\r\n")


TITLE_H = 26           # title bar
BAR_TOP = 294          # command bar
ROW_H = 23             # one line of the Today screen
# A text's click area is its measured extent from the top of its window, so
# text windows hug their line (16 pixels) rather than fill a taller bar or row.
TEXT_H = 16
TITLE_T, TITLE_B = (TITLE_H - TEXT_H) // 2, (TITLE_H + TEXT_H) // 2


def today_screen(style, kind):
    """kind: 'plain', 'animated' or 'taskbar'; style: 2002 or 2003."""
    names = {"plain": "Today screen", "animated": "Today screen with an animated page",
             "taskbar": "Today screen with a picture title bar"}
    s = Skin("%s of a Pocket PC %s handheld, 240 x 320.\n"
             "Placeholders are resolved by the Today screen preview against the theme." % (names[kind], style),
             240, 320)
    s.font("Bold", 85, bold=True)
    s.font("Small", 80)
    new03 = style == 2003

    # ---- background
    s.section("IMAGE_TODAY", "The Today picture of the theme.", type="image", File="%TDYWATER%",
              pos="0,%d" % TITLE_H)
    s.hotspot("Today picture hot", 0, TITLE_H, 240, BAR_TOP, "A tap anywhere on it selects the picture.",
              Action="IMAGE_TODAY")

    # ---- title bar
    if kind == "taskbar":
        s.section("Title face", "Title bar drawn when the theme carries no taskbar picture.", type="image",
                  File="facelift.png", Window="0,0,240,26", pos="0,0")
        s.section("Taskbar", "The taskbar picture of the theme.", type="image", File="%TEMPPATH%taskbar.gif",
                  Window="0,0,240,26", pos="0,0")
        s.hotspot("Taskbar hot", 0, 0, 240, TITLE_H, Action="taskbar.gif")
    elif new03:
        s.section("Title bar", "Title bar gradient; each half selects its colour.", type="GradientRect",
                  LeftColor=col(36), RightColor=col(37), Rect="0,0,240,%d" % TITLE_H,
                  LeftAction="CE_COLOR_36", RightAction="CE_COLOR_37")
        s.line("Title edge", col(8), 0, TITLE_H - 1, 240, TITLE_H - 1, width=1)
        s.hotspot("Title edge hot", 0, TITLE_H - 2, 240, TITLE_H, Action="CE_COLOR_8")
    else:
        s.rect("Navigation bar", col(8), 0, 0, 240, TITLE_H)
        s.hotspot("CE_COLOR_8", 0, 0, 240, TITLE_H, "The navigation bar selects its colour.")

    # Notification state of the title bar (hidden until a notification shows).
    s.rect("Notification background", col(10), 0, 0, 240, TITLE_H - (1 if new03 else 0), show=0)
    if new03:
        s.rect("Start button", col(5), 2, 3, 70, 23)
    else:
        s.rect("Start button", col(5), 0, 0, 72, TITLE_H)
    s.rect("Notification bar", col(11), 124, 0, 204, TITLE_H - (1 if new03 else 0), show=0)
    s.rect("Notification Hilight", col(12), 146, 3, 166, 23, show=0)
    s.hotspot("CE_COLOR_10", 144, 0, 186, TITLE_H, "The notification area shows and hides the alert.")
    s.icon("Message icon", "message", 148, 5, show=0, Action="CE_COLOR_12")
    s.icon("Battery icon", "battery", 168, 5, show=0, Action="CE_COLOR_11")

    s.hotspot("Start hot", 0, 0, 60, TITLE_H, "Start drops the menu.", Action="SWITCH_MENU")
    s.hotspot("Start edge", 60, 0, 72, TITLE_H, Action="CE_COLOR_5")
    s.icon("Start flag", "flag", 5, 5, Action="SWITCH_MENU")
    if new03 or kind == "taskbar":
        s.text("Start shadow", "%START%", col(8), 25, TITLE_T + 1, 72, TITLE_B + 1, font="Bold",
               Action="CE_COLOR_8")
    s.text("Start", "%START%", col(9), 24, TITLE_T, 72, TITLE_B, font="Bold", Action="SWITCH_MENU")
    s.icon("Reminder", "bell", 128, 5, Action="SWITCH_NORMAL")
    s.icon("Speaker", "speaker", 186, 5, Action="CE_COLOR_9")
    if new03 or kind == "taskbar":
        s.text("Clock shadow", "10:38", col(8), 201, TITLE_T + 1, 238, TITLE_B + 1, fmt="SINGLELINE|VCENTER|RIGHT",
               Action="CE_COLOR_8")
    s.text("Clock", "10:38", col(9), 200, TITLE_T, 237, TITLE_B, fmt="SINGLELINE|VCENTER|RIGHT",
           Action="CE_COLOR_9")

    # ---- Today lines
    y = TITLE_H
    if new03:
        s.section("Date band", "Date line over the list header gradient.", type="GradientRect",
                  LeftColor=col(15), RightColor=col(16), Rect="0,%d,240,%d" % (y, y + ROW_H),
                  LeftAction="CE_COLOR_15", RightAction="CE_COLOR_16")
    rows = [("Date", "date", "%DATE%", "CE_COLOR_4", "Bold")]
    browser_top = None
    if kind == "animated":
        browser_top = y + ROW_H + 1
        rows.append(None)
    rows += [("Owner", "owner", "%OWNERINFO%", "CE_COLOR_4", None),
             ("Inbox", "inbox", "%INBOXINFO%", "CE_COLOR_4", None),
             ("Calendar", "calendar", "%CALENDARINFO%", "SWITCH_CALENDAR", None),
             ("Tasks", "tasks", "%TASKINFO%", "CE_COLOR_4", None)]
    for n, row in enumerate(rows):
        if row is None:  # the animated page's place
            h = 100
            # The page itself covers the top of this area, as tall as the
            # theme's page; only a named strip lies under its first pixels,
            # so that a short page leaves the Today picture visible below it.
            s.hotspot("ANIMATION", 0, y + 1, 240, y + 1 + h, "The animated page selects the animation.")
            s.rect("Animation area", "255,255,255", 0, y + 1, 240, y + 19)
            s.text("Animation label", "%ANIMATION%", "96,96,96", 0, y + 1, 240, y + 19,
                   fmt="SINGLELINE|VCENTER|CENTER", font="Small", Action="ANIMATION")
            s.section("HTML browser", "The animated page; the preview sets its height.", type="WebBrowser",
                      Url="%TEMPPATH%vx5n.htm", Rect="0,%d,240,%d" % (y + 1, y + 1 + h))
            y += h + 1
            continue
        name, icon, text, action, font = row
        if action == "SWITCH_CALENDAR":
            s.hotspot(name + " row", 0, y + 1, 240, y + ROW_H, Action="SWITCH_CALENDAR")
        s.icon(name + " icon", icon, 5, y + (ROW_H - 16) // 2 + 1, Action=action)
        text_t = y + 1 + (ROW_H - 1 - TEXT_H) // 2
        s.text(name, text, col(4), 27, text_t, 236, text_t + TEXT_H, font=font, Action=action)
        y += ROW_H
        if n == 0 and new03:
            continue  # the band ends the date line
        s.line(name + " rule", col(6), 0, y, 240, y)
        s.hotspot(name + " rule hot", 0, y - 1, 240, y + 2, Action="CE_COLOR_6")

    # ---- command bar
    if kind == "taskbar":
        s.section("Command face", type="image", File="facelift.png", Window="0,26,240,52", pos="0,%d" % BAR_TOP)
    else:
        s.rect("Menu bar", col(7), 0, BAR_TOP, 240, 320)
        s.line("Menu bar edge", "128,128,128" if not new03 else "255,255,255", 0, BAR_TOP, 240, BAR_TOP)
    s.hotspot("CE_COLOR_7", 0, BAR_TOP, 240, 320, "The command bar selects its colour.")
    # The command bar's texts are menu texts, black on the bar's colour (the
    # Today text colour is chosen for the picture and may vanish on the bar).
    bar_t = BAR_TOP + (320 - BAR_TOP - TEXT_H) // 2
    s.text("New", "%NEW%", "0,0,0", 6, bar_t, 40, bar_t + TEXT_H, font="Bold", Action="CE_COLOR_7")
    s.icon("New arrow", "uparrow", 36, BAR_TOP + 5)
    s.icon("Input panel", "keyboard", 200 if not new03 else 112, BAR_TOP + 5, Action="CE_COLOR_7")
    s.icon("Input arrow", "uparrow", 216 if not new03 else 128, BAR_TOP + 5)

    # ---- calendar page (group 2, shown by a tap on the calendar line)
    g = dict(Group=2, show=0)
    s.rect("Calendar page", "255,255,255", 0, TITLE_H, 240, BAR_TOP, **g)
    if new03:
        # The title bar again, with the application's name where Start was.
        s.section("Calendar title back", type="GradientRect", LeftColor=col(36), RightColor=col(37),
                  Rect="0,0,240,%d" % (TITLE_H - 1), LeftAction="CE_COLOR_36", RightAction="CE_COLOR_37", **g)
        s.icon("Calendar flag", "flag", 5, 5, Action="SWITCH_MENU", **g)
        s.icon("Calendar bell", "bell", 128, 5, Action="SWITCH_NORMAL", **g)
        s.icon("Calendar speaker", "speaker", 186, 5, Action="CE_COLOR_9", **g)
        s.text("Calendar clock shadow", "10:38", col(8), 201, TITLE_T + 1, 238, TITLE_B + 1,
               fmt="SINGLELINE|VCENTER|RIGHT", Action="CE_COLOR_8", **g)
        s.text("Calendar clock", "10:38", col(9), 200, TITLE_T, 237, TITLE_B, fmt="SINGLELINE|VCENTER|RIGHT",
               Action="CE_COLOR_9", **g)
        s.text("Calendar title shadow", "%CALENDAR%", col(8), 27, TITLE_T + 1, 121, TITLE_B + 1, font="Bold",
               Action="CE_COLOR_8", **g)
    else:
        s.rect("Calendar title back", col(8), 24, 0, 120, TITLE_H, **g)
    s.text("Calendar title", "%CALENDAR%", col(9), 26, TITLE_T, 120, TITLE_B, font="Bold", Action="SWITCH_TODAY",
           **g)
    hy = TITLE_H
    if new03:
        s.section("Calendar header", type="GradientRect", LeftColor=col(15), RightColor=col(16),
                  Rect="0,%d,240,%d" % (hy, hy + 20), LeftAction="SWITCH_TODAY", RightAction="SWITCH_TODAY", **g)
    else:
        s.rect("Calendar header", col(7), 0, hy, 240, hy + 20, **g)
        s.hotspot("Calendar header hot", 0, hy, 240, hy + 20, Action="SWITCH_TODAY", **g)
    # The calendar is an application page: its texts are black on white, not
    # in the Today screen's text colour.
    s.text("Calendar day", "%SHORTDATE%", "0,0,0", 6, hy + 2, 70, hy + 18, font="Bold", Action="SWITCH_TODAY", **g)
    s.text("Calendar week", "S  M  T  W  T  F  S", "0,0,0", 80, hy + 2, 236, hy + 18, fmt="SINGLELINE|VCENTER|RIGHT",
           font="Small", Action="SWITCH_TODAY", **g)
    top = hy + 20
    for k, hour in enumerate(range(8, 18)):
        yy = top + k * 24
        s.line("Hour rule %d" % hour, col(6), 0, yy + 24, 240, yy + 24, **g)
        s.text("Hour %d" % hour, "%d" % hour if hour <= 12 else "%d" % (hour - 12), "96,96,96", 2, yy, 24, yy + 16,
               fmt="SINGLELINE|TOP|RIGHT", font="Small", **g)
    s.line("Hour column", col(6), 28, top, 28, top + 240, **g)
    ay = top + 2 * 24  # the 10 o'clock hour, as the message says
    s.rect("Appointment", "206,224,250", 30, ay + 1, 238, ay + 24, **g)
    s.rect("Appointment edge", "40,80,180", 30, ay + 1, 34, ay + 24, **g)
    s.text("Appointment text", "%CALENDARMSG%", "0,0,0", 38, ay + 2, 236, ay + 23,
           fmt="WORDBREAK|TOP|LEFT", font="Small", **g)
    if new03:
        # The tap-and-hold circle over a free hour (2 o'clock).
        cx, cy, r = 150, top + 6 * 24 + 12, 10
        for k in range(8):
            if k % 2:
                continue
            a0, a1 = k * math.pi / 4, (k + 1) * math.pi / 4
            s.line("Hold dot %d" % k, col(40), int(round(cx + r * math.cos(a0))), int(round(cy + r * math.sin(a0))),
                   int(round(cx + r * math.cos(a1))), int(round(cy + r * math.sin(a1))), width=3, **g)
        s.hotspot("Hold circle hot", cx - r - 2, cy - r - 2, cx + r + 3, cy + r + 3, Action="CE_COLOR_40", **g)
    return s


def today_menu(style):
    new03 = style == 2003
    s = Skin("Start menu of a Pocket PC %d handheld, dropped below the title bar (140 x 288).\n"
             "The menu preview upper-cases every value before it resolves it, so texts\n"
             "come from the placeholders only." % style, 140, 288)
    s.font("Menu", 85)
    s.font("MenuBold", 85, bold=True)
    # The menu's background shows in the strip of recently used programs; the
    # theme's picture fills the menu below it.
    s.rect("Menu back", col(38) if new03 else "255,255,255", 0, 0, 140, 288)
    s.section("IMAGE_MENU", "The Start-menu picture of the theme.", type="image", File="%temppath%stwater.gif",
              pos="0,23")
    s.hotspot("Menu picture hot", 0, 23, 140, 288, Action="IMAGE_MENU")
    recent = {}
    if new03:
        s.hotspot("Menu back hot", 0, 0, 140, 23, "The strip of recent programs selects the background.",
                  Action="CE_COLOR_38")
        recent = {"Action": "CE_COLOR_38"}
    text = col(39) if new03 else "0,0,0"
    # Recently used programs.
    for k, icon in enumerate(("today", "calendar", "contacts", "inbox", "explorer", "notes")):
        s.icon("Recent %d" % k, icon, 6 + k * 22, 3, **recent)
    s.line("Recent rule", "128,128,128", 2, 22, 138, 22)
    items = [("today", "%IDS_TODAY%"), ("activesync", "%IDS_ACTIVESYNC%"), ("calendar", "%IDS_CALENDAR%"),
             ("contacts", "%IDS_CONTACTS%"), ("inbox", "%IDS_INBOX%"),
             ("explorer", "%IDS_INTERNETEXPLORER%"), ("notes", "%IDS_NOTES%"), ("tasks", "%IDS_TASKS%"),
             ("gprs", "%IDS_GPRSMANAGER%"), ("phone", "%IDS_POCKETPHONETOOLS%"),
             None,
             ("programs", "%IDS_PROGRAMS%"), ("settings", "%IDS_SETTINGS%"), ("find", "%IDS_FIND%"),
             ("help", "%IDS_HELP%")]
    y = 24
    for k, item in enumerate(items):
        if item is None:
            s.line("Menu rule", "128,128,128", 2, y + 1, 138, y + 1)
            y += 3
            continue
        icon, label = item
        if k == 0:
            s.rect("Menu highlight", col(10), 1, y, 139, y + 18)
            s.hotspot("Menu highlight hot", 1, y, 139, y + 18, Action="CE_COLOR_10")
            colour, action = col(9), "CE_COLOR_9"
        else:
            colour, action = text, "CE_COLOR_39" if new03 else "IMAGE_MENU"
        s.icon("Item icon %d" % k, icon, 4, y + 1, Action=action)
        s.text("Item %d" % k, label, colour, 24, y, 136, y + 18, font="Menu", Action=action)
        y += 18
    # Frame of the drop-down.
    s.line("Frame right", "64,64,64", 139, 0, 139, 288)
    s.line("Frame bottom", "64,64,64", 0, 287, 140, 287)
    return s


def bubble_skin(style, critical):
    new03 = style == 2003
    if critical:
        w, h, top, picture = 222, 121, 22, "CriticalBubble.png"
        title, left, right, title_text = "%CRITICALTITLE%", 25, 26, 28
    else:
        w, h, top, picture = 90, 184, 14, "NormalBubble.png"
        title, left, right, title_text = "%NORMALTITLE%", 13, 14, 27
    s = Skin("%s bubble of a Pocket PC %d handheld (%d x %d); its shape comes from %s\n"
             "without the colour 255,0,255." % ("Alert" if critical else "Notification", style, w, h, picture),
             w, h)
    s.font("Bold", 85, bold=True)
    s.font("Small", 80)
    s.section("Bubble", type="Shape", File=picture, pos="0,0", ExcludeColor="255,0,255")
    tl, tr = 6, w - 6
    s.section("Title", "Title gradient; each half selects its colour.", type="GradientRect",
              LeftColor=col(left), RightColor=col(right), Rect="%d,%d,%d,%d" % (tl, top + 5, tr, top + 23),
              LeftAction="CE_COLOR_%d" % left, RightAction="CE_COLOR_%d" % right)
    s.text("Title text", title, col(title_text) if new03 else "255,255,255", tl + 4, top + 5, tr - 2, top + 23,
           font="Bold", Action="CE_COLOR_%d" % (title_text if new03 else left))
    if critical:
        s.big_icon("Alert icon", 0, 10, top + 30)
        s.text("Alert message", "%CRITICALMESSAGE%", "0,0,0", 48, top + 28, w - 8, h - 30,
               fmt="WORDBREAK|TOP|LEFT", font="Small")
        button_y = h - 27
        s.rect("Dismiss back", "228,228,232", w - 72, button_y, w - 10, button_y + 20)
        s.line("Dismiss edge", "110,110,120", w - 72, button_y + 20, w - 10, button_y + 20)
        s.text("Dismiss", "Dismiss", "0,0,0", w - 72, button_y, w - 10, button_y + 20,
               fmt="SINGLELINE|VCENTER|CENTER", Action="SWITCH_CRITICAL")
        s.hotspot("Dismiss hot", w - 72, button_y, w - 10, button_y + 20, Action="SWITCH_CRITICAL")
    else:
        s.big_icon("Reminder icon", 1, (w - 32) // 2, top + 32)
        s.text("Reminder subject", "Meeting", "0,0,0", 6, top + 70, w - 6, top + 88,
               fmt="SINGLELINE|VCENTER|CENTER|END_ELLIPSIS", font="Bold")
        s.text("Reminder time", "10:00 - 11:00", "64,64,64", 6, top + 88, w - 6, top + 104,
               fmt="SINGLELINE|VCENTER|CENTER", font="Small")
        s.text("Reminder place", "Room 2", "64,64,64", 6, top + 104, w - 6, top + 120,
               fmt="SINGLELINE|VCENTER|CENTER", font="Small")
        for k, label in enumerate(("Snooze", "Dismiss")):
            by = h - 52 + k * 24
            s.rect("Button back %d" % k, "228,228,232", 10, by, w - 10, by + 20)
            s.line("Button edge %d" % k, "110,110,120", 10, by + 20, w - 10, by + 20)
            s.text("Button %d" % k, label, "0,0,0", 10, by, w - 10, by + 20, fmt="SINGLELINE|VCENTER|CENTER",
                   Action="SWITCH_NORMAL")
            s.hotspot("Button hot %d" % k, 10, by, w - 10, by + 20, Action="SWITCH_NORMAL")
    return s


def make_skins(out):
    for style, suffix in ((2002, ""), (2003, "2003")):
        today_screen(style, "plain").write(os.path.join(out, "SkinToday%s.inf" % suffix))
        today_screen(style, "animated").write(os.path.join(out, "SkinAnimated%s.inf" % suffix))
        today_menu(style).write(os.path.join(out, "TodayMenu%s.inf" % suffix))
        bubble_skin(style, False).write(os.path.join(out, "NormalBubble%s.inf" % suffix))
        bubble_skin(style, True).write(os.path.join(out, "CriticalBubble%s.inf" % suffix))
    today_screen(2002, "taskbar").write(os.path.join(out, "facelift.inf"))


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    out = args[0] if args else os.path.join(os.path.dirname(__file__), "..", "data", "program")
    os.makedirs(out, exist_ok=True)
    make_skins(out)
    if "--skins-only" in sys.argv:
        return
    make_icons(out)
    bubble(90, 184, 36, 0, 14, os.path.join(out, "NormalBubble.png"), (255, 255, 240, 255), (70, 70, 80, 255))
    bubble(222, 121, 166, 0, 22, os.path.join(out, "CriticalBubble.png"), (255, 250, 248, 255), (110, 30, 30, 255))
    make_facelift(out)
    subprocess.run(["convert", "-size", "240x268", "xc:white", "-strip", "-quality", "90",
                    "JPEG:" + os.path.join(out, "Blank.jpg")], check=True)
    to_gif(make_today_picture(), os.path.join(out, "DefaultTDY000.gif"))
    to_gif(make_start_picture(), os.path.join(out, "DefaultSTA000.gif"))
    with open(os.path.join(out, "Default.THM"), "w", newline="") as f:
        f.write(default_project())


if __name__ == "__main__":
    main()
