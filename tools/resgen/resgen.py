#!/usr/bin/env python3
"""Draws Setup's pictures: the side bitmap, the two progress animations and
the icons. Deterministic, so the committed files can be checked against a
fresh run:

    python3 tools/resgen/resgen.py OUTDIR          writes them into OUTDIR
    python3 tools/resgen/resgen.py --check DIR     exit 1 unless DIR holds
                                                  exactly what a run writes

The files are side.bmp, copy.avi, registry.avi and seven .ico files; the
tree keeps them in res/images."""
import math
import os
import struct
import sys

# ---------------------------------------------------------------- canvas


class Canvas:
    """A grid of palette indices with the few primitives the pictures use."""

    def __init__(self, width, height, fill=0):
        self.w, self.h = width, height
        self.px = [[fill] * width for _ in range(height)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):  # inclusive corners
        for y in range(max(y0, 0), min(y1, self.h - 1) + 1):
            row = self.px[y]
            for x in range(max(x0, 0), min(x1, self.w - 1) + 1):
                row[x] = c

    def frame(self, x0, y0, x1, y1, c):
        self.rect(x0, y0, x1, y0, c)
        self.rect(x0, y1, x1, y1, c)
        self.rect(x0, y0, x0, y1, c)
        self.rect(x1, y0, x1, y1, c)

    def hline(self, x0, x1, y, c):
        self.rect(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, y0, x, y1, c)

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.set(x, y, c)

    def ring(self, cx, cy, r0, r1, c):
        for y in range(int(cy - r1) - 1, int(cy + r1) + 2):
            for x in range(int(cx - r1) - 1, int(cx + r1) + 2):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if r0 * r0 <= d <= r1 * r1:
                    self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def glyph(self, x, y, rows, c):
        for dy, bits in enumerate(rows):
            for dx, ch in enumerate(bits):
                if ch == "#":
                    self.set(x + dx, y + dy, c)


# 5 x 7 letters for the keycaps.
FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
}

# ---------------------------------------------------------------- file writers


def dib_rows(canvas, bits):
    """Bottom-up rows of palette indices packed at 4 or 8 bits, each padded
    to a multiple of four bytes."""
    out = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        row = canvas.px[y]
        if bits == 8:
            data = bytes(row)
        else:
            data = bytes((row[x] << 4) | (row[x + 1] if x + 1 < canvas.w else 0)
                         for x in range(0, canvas.w, 2))
        out += data + b"\0" * (-len(data) % 4)
    return bytes(out)


def info_header(w, h, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, 0, image_size, 0, 0, colours, 0)


def palette_bytes(pal):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal)


def bmp_file(canvas, pal):
    pixels = dib_rows(canvas, 4)
    head = info_header(canvas.w, canvas.h, 4, 16, len(pixels)) + palette_bytes(pal)
    offset = 14 + len(head)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + head + pixels


def ico_file(canvas, pal, transparent):
    """One 16-colour image; pixels of index `transparent` go into the mask."""
    w, h = canvas.w, canvas.h
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray((w + 31) // 32 * 4)
        for x in range(w):
            if canvas.px[y][x] == transparent:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    # The XOR image shows black where the mask makes the icon transparent.
    black = [[0 if c == transparent else c for c in r] for r in canvas.px]
    xor = dib_rows(_with(canvas, black), 4)
    image = info_header(w, h * 2, 4, 16, len(xor) + len(mask)) + palette_bytes(pal) + xor + bytes(mask)
    return (struct.pack("<HHH", 0, 1, 1) +
            struct.pack("<BBBBHHII", w, h, 16, 0, 1, 4, len(image), 22) + image)


def _with(canvas, px):
    c = Canvas(canvas.w, canvas.h)
    c.px = px
    return c


def chunk(fourcc, data):
    return fourcc + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")


def rle8_rows(canvas):
    """One frame as BI_RLE8, complete in itself: bottom-up rows of runs and
    literal stretches, no skips or deltas, so no earlier frame is needed."""
    out = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        row = canvas.px[y]
        x, n = 0, len(row)
        literal = []

        def flush():
            while literal:
                part, literal[:] = literal[:255], literal[255:]
                if len(part) < 3:  # absolute mode needs three or more
                    for c in part:
                        out.extend((1, c))
                else:
                    out.extend((0, len(part)))
                    out.extend(part)
                    if len(part) % 2:
                        out.append(0)

        while x < n:
            run = 1
            while x + run < n and run < 255 and row[x + run] == row[x]:
                run += 1
            if run >= 3:
                flush()
                out.extend((run, row[x]))
            else:
                literal.extend(row[x:x + run])
            x += run
        flush()
        out.extend((0, 0) if y else (0, 1))  # end of line; end of bitmap
    return bytes(out)


def avi_file(frames, pal, usec_per_frame=100000):
    """Run-length coded 8-bit AVI ("RLE "), one video stream, no sound. The
    animation control draws such frames through the DIB functions itself, so
    no codec is needed; every frame is a key frame."""
    w, h = frames[0].w, frames[0].h
    images = [rle8_rows(f) for f in frames]
    size = max(len(i) for i in images)
    n = len(frames)
    avih = struct.pack("<IIIIIIIIII4I", usec_per_frame, size * 1000000 // usec_per_frame, 0,
                       0x10, n, 0, 1, size, w, h, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"RLE ", 0, 0, 0, 0,
                       1, 1000000 // usec_per_frame, 0, n, size, 0xFFFFFFFF, 0, 0, 0, w, h)
    strf = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1, size, 0, 0, 256, 0) + palette_bytes(pal)
    strl = chunk(b"LIST", b"strl" + chunk(b"strh", strh) + chunk(b"strf", strf))
    hdrl = chunk(b"LIST", b"hdrl" + chunk(b"avih", avih) + strl)
    movi_body = b""
    index = b""
    for img in images:
        index += struct.pack("<4sIII", b"00dc", 0x10, 4 + len(movi_body), len(img))
        movi_body += chunk(b"00dc", img)
    movi = chunk(b"LIST", b"movi" + movi_body)
    return chunk(b"RIFF", b"AVI " + hdrl + movi + chunk(b"idx1", index))


# ---------------------------------------------------------------- colours

# Side picture: teal shades that match the background window's title band.
SIDE = [
    (0, 0, 0), (255, 255, 255),
    (0, 40, 44), (0, 64, 68), (0, 88, 92), (0, 112, 116), (0, 128, 128), (24, 150, 150),
    (72, 176, 176), (150, 212, 210), (236, 238, 236), (200, 204, 204), (140, 146, 148),
    (70, 76, 80), (240, 180, 40), (40, 40, 48),
]
BLACK, WHITE, T0, T1, T2, T3, TEAL, T5, T6, T7, KEYTOP, KEYSIDE, KEYSHADE, KEYDARK, AMBER, INK = range(16)

# Icons: the standard 16 colours, as every display shows them.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
(V_BLACK, V_MAROON, V_GREEN, V_OLIVE, V_NAVY, V_PURPLE, V_TEAL, V_SILVER, V_GREY, V_RED,
 V_LIME, V_YELLOW, V_BLUE, V_MAGENTA, V_CYAN, V_WHITE) = range(16)

# Animations: index 0 is the backdrop, the dialog grey, which the animation
# control makes transparent; the drawing itself never uses that colour.
ANIM = [
    (192, 192, 192), (0, 0, 0), (255, 255, 255), (0, 128, 128), (0, 88, 92), (72, 176, 176),
    (150, 212, 210), (128, 128, 128), (96, 100, 104), (228, 228, 228), (0, 64, 160),
    (64, 140, 220), (240, 180, 40), (200, 60, 40), (168, 172, 176), (212, 214, 216),
] + [(0, 0, 0)] * 240
A_BACK, A_BLACK, A_WHITE, A_TEAL, A_DTEAL, A_LTEAL, A_PTEAL, A_GREY, A_DGREY, A_LIGHT, A_BLUE, \
    A_LBLUE, A_AMBER, A_RED, A_MGREY, A_PALE = range(16)

BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]

# ---------------------------------------------------------------- side bitmap


def gradient(c, stops):
    """Vertical gradient through the teal shades, ordered-dithered."""
    for y in range(c.h):
        t = y / (c.h - 1) * (len(stops) - 1)
        i = min(int(t), len(stops) - 2)
        frac = t - i
        for x in range(c.w):
            c.px[y][x] = stops[i + 1] if frac * 16 > BAYER[y % 4][x % 4] else stops[i]


def keycap(c, x, y, size, letter):
    """A keycap seen from above: shadow, sides, dished top, letter."""
    s = size
    c.rect(x + 3, y + 3, x + s + 3, y + s + 3, T0)          # shadow on the board
    c.rect(x, y, x + s, y + s, KEYSHADE)                    # skirt
    c.rect(x + 1, y + 1, x + s - 1, y + s - 1, KEYSIDE)
    c.rect(x + 4, y + 3, x + s - 4, y + s - 6, KEYTOP)      # top face
    c.hline(x + 4, x + s - 4, y + 3, WHITE)
    c.vline(x + 4, y + 3, y + s - 6, WHITE)
    c.frame(x, y, x + s, y + s, KEYDARK)
    c.glyph(x + (s - 5) // 2 + 1, y + (s - 12) // 2 + 1, FONT[letter], INK)


def side_bitmap():
    c = Canvas(129, 249)
    gradient(c, [T7, T6, T5, TEAL, T3, T2, T1])
    rows = [("QWER", 64, 11), ("ASDF", 90, 17), ("ZXC", 116, 29)]
    for letters, y, left in rows:
        for i, ch in enumerate(letters):
            keycap(c, left + i * 27, y, 22, ch)
    # One key lit up: the one being "pressed".
    c.frame(17 + 27 - 1, 89, 17 + 27 + 23, 90 + 23, AMBER)
    # Cable, swinging down from the keyboard to the bottom edge.
    for y in range(142, 249):
        x = int(64 + 18 * math.sin((y - 142) / 22.0))
        c.rect(x - 1, y, x + 1, y, KEYDARK)
        c.set(x - 1, y, KEYSHADE)
    # Thin rules at the top and a caption mark.
    c.hline(10, 118, 24, T7)
    c.hline(10, 118, 26, WHITE)
    c.hline(10, 118, 28, T7)
    for i in range(5):
        c.rect(10 + i * 8, 34, 14 + i * 8, 38, WHITE if i == 2 else T7)
    c.frame(0, 0, c.w - 1, c.h - 1, T1)
    return c

# ---------------------------------------------------------------- animations

AW, AH = 272, 60


def draw_disc(c, cx, cy, angle):
    c.disc(cx, cy, 22, A_GREY)
    c.disc(cx, cy, 21, A_LIGHT)
    # Rainbow-less silver with a turning sheen.
    for k in range(3):
        a = angle + k * 2 * math.pi / 3
        for r in range(8, 21):
            c.set(round(cx + r * math.cos(a)), round(cy + r * math.sin(a)), A_WHITE)
            c.set(round(cx + r * math.cos(a + 0.08)), round(cy + r * math.sin(a + 0.08)), A_PALE)
    c.ring(cx, cy, 6, 8, A_MGREY)
    c.disc(cx, cy, 5, A_BACK)
    c.ring(cx, cy, 5, 6, A_GREY)


def draw_computer(c, x, y, lit):
    c.rect(x, y, x + 46, y + 34, A_DGREY)                  # monitor case
    c.rect(x + 1, y + 1, x + 45, y + 33, A_MGREY)
    c.rect(x + 4, y + 4, x + 42, y + 28, A_BLACK)           # screen
    c.rect(x + 5, y + 5, x + 41, y + 27, A_DTEAL)
    for i in range(lit):
        c.hline(x + 8, x + 8 + (i * 7) % 26 + 6, y + 8 + i * 3, A_LTEAL)
    c.rect(x + 18, y + 35, x + 28, y + 38, A_GREY)          # stand
    c.rect(x + 8, y + 39, x + 38, y + 41, A_DGREY)
    c.rect(x + 9, y + 39, x + 37, y + 40, A_MGREY)
    c.set(x + 40, y + 31, A_LBLUE)


def draw_page(c, x, y):
    c.rect(x, y, x + 11, y + 14, A_DGREY)
    c.rect(x + 1, y + 1, x + 10, y + 13, A_WHITE)
    c.rect(x + 8, y + 1, x + 10, y + 3, A_DGREY)            # folded corner
    for i in range(4):
        c.hline(x + 3, x + 8, y + 5 + i * 2, A_BLUE)


def copy_frames(count=34):
    frames = []
    disc_x, disc_y = 40, 30
    pc_x, pc_y = 196, 7
    for f in range(count):
        c = Canvas(AW, AH, A_BACK)
        draw_disc(c, disc_x, disc_y, f * 2 * math.pi / 12)
        # Track of dots between disc and computer.
        for k in range(9):
            c.rect(78 + k * 12, 29, 79 + k * 12, 30, A_MGREY)
        # Two pages in flight, half a trip apart, on an arc.
        for lag in (0, 17):
            t = ((f + lag) % count) / count
            x = 58 + t * (pc_x + 12 - 58)
            y = 30 - 18 * math.sin(math.pi * t) - 7
            draw_page(c, round(x), round(y))
        draw_computer(c, pc_x, pc_y, 1 + (f // 5) % 7)
        frames.append(c)
    return frames


def gear_radius(theta, teeth, r_root, r_tip):
    """Tooth profile: flat tips and roots joined by short flanks."""
    phase = (theta * teeth / (2 * math.pi)) % 1.0
    if phase < 0.35:
        return r_tip
    if phase < 0.5:
        return r_tip - (r_tip - r_root) * (phase - 0.35) / 0.15
    if phase < 0.85:
        return r_root
    return r_root + (r_tip - r_root) * (phase - 0.85) / 0.15


def draw_gear(c, cx, cy, teeth, r_root, r_tip, angle, face, edge):
    for y in range(int(cy - r_tip) - 1, int(cy + r_tip) + 2):
        for x in range(int(cx - r_tip) - 1, int(cx + r_tip) + 2):
            dx, dy = x - cx, y - cy
            d = math.hypot(dx, dy)
            if d > r_tip + 0.5:
                continue
            r = gear_radius(math.atan2(dy, dx) - angle, teeth, r_root, r_tip)
            if d <= r:
                c.set(x, y, edge if d > r - 1.3 else face)
    c.ring(cx, cy, r_root * 0.45, r_root * 0.45 + 1.2, edge)
    c.disc(cx, cy, 3, A_DGREY)
    for k in range(4):                                      # spokes' holes
        a = angle + k * math.pi / 2 + math.pi / 4
        c.disc(cx + r_root * 0.7 * math.cos(a), cy + r_root * 0.7 * math.sin(a), 2.2, edge)


def draw_registry(c, x, y, active):
    """A small tree of keys, one row highlighted as it is written."""
    c.vline(x + 3, y + 6, y + 40, A_GREY)
    for i in range(5):
        ry = y + i * 9
        c.hline(x + 3, x + 9, ry + 3, A_GREY)
        c.rect(x + 10, ry, x + 17, ry + 6, A_AMBER)          # folder
        c.rect(x + 10, ry, x + 13, ry + 1, A_RED if i == active else A_AMBER)
        colour = A_BLUE if i == active else A_GREY
        c.rect(x + 21, ry + 2, x + 21 + 14 + (i * 9) % 20, ry + 4, colour)
        if i == active:
            c.frame(x + 8, ry - 2, x + 60, ry + 8, A_BLUE)


def registry_frames(count=31):
    frames = []
    big_teeth, small_teeth = 12, 8
    for f in range(count):
        c = Canvas(AW, AH, A_BACK)
        a = f * 2 * math.pi / count                        # one turn per loop
        draw_gear(c, 60, 31, big_teeth, 17, 22, a / 2 + 0.0, A_TEAL, A_DTEAL)
        draw_gear(c, 96, 22, small_teeth, 10, 15, -a * big_teeth / small_teeth / 2 + 0.2,
                  A_LTEAL, A_DTEAL)
        for k in range(6):                                  # flow of bits
            x = 126 + ((f * 3 + k * 12) % 72)
            c.rect(x, 29, x + 3, 32, A_BLUE if k % 2 else A_LBLUE)
        draw_registry(c, 202, 8, (f // 6) % 5)
        frames.append(c)
    return frames

# ---------------------------------------------------------------- icons


def keyboard_icon():
    c = Canvas(32, 32, V_MAGENTA)  # magenta marks the transparent part
    c.rect(1, 9, 30, 25, V_BLACK)
    c.rect(2, 10, 29, 24, V_SILVER)
    c.hline(2, 29, 10, V_WHITE)
    c.vline(2, 10, 24, V_WHITE)
    for row in range(3):
        for k in range(6 - (row == 2) * 0):
            x = 4 + k * 4 + row
            if x + 2 > 27:
                continue
            c.rect(x, 12 + row * 4, x + 2, 14 + row * 4, V_WHITE)
            c.hline(x, x + 2, 14 + row * 4, V_GREY)
    c.rect(9, 21, 22, 22, V_WHITE)                           # space bar
    c.hline(9, 22, 22, V_GREY)
    c.rect(25, 12, 27, 14, V_TEAL)
    c.rect(25, 16, 27, 18, V_TEAL)
    c.vline(16, 2, 9, V_BLACK)                               # cable
    c.hline(16, 22, 2, V_BLACK)
    c.rect(21, 0, 24, 3, V_TEAL)
    c.rect(2, 27, 29, 28, V_GREY)                            # shadow
    return c


def folder_icon(open_):
    c = Canvas(16, 16, V_MAGENTA)
    c.rect(1, 3, 6, 4, V_OLIVE)
    c.rect(1, 4, 14, 13, V_OLIVE)
    c.rect(2, 5, 13, 12, V_YELLOW)
    if open_:
        c.rect(3, 8, 15, 13, V_OLIVE)
        c.rect(4, 9, 14, 12, V_WHITE)
        c.hline(4, 14, 9, V_YELLOW)
    return c


def drive_icon(kind):
    c = Canvas(16, 16, V_MAGENTA)
    if kind == "floppy":
        c.rect(2, 2, 13, 13, V_BLACK)
        c.rect(3, 3, 12, 12, V_NAVY)
        c.rect(5, 3, 10, 6, V_SILVER)
        c.rect(4, 9, 11, 12, V_WHITE)
        return c
    if kind == "cdrom":
        c.disc(7.5, 7.5, 7, V_GREY)
        c.disc(7.5, 7.5, 6, V_SILVER)
        c.line(4, 5, 7, 2, V_WHITE)
        c.line(10, 12, 13, 9, V_CYAN)
        c.disc(7.5, 7.5, 1.6, V_MAGENTA)
        return c
    c.rect(1, 6, 14, 12, V_BLACK)                            # hard or network drive
    c.rect(2, 7, 13, 11, V_SILVER)
    c.hline(2, 13, 7, V_WHITE)
    c.rect(10, 10, 11, 10, V_LIME)
    if kind == "network":
        c.vline(7, 13, 15, V_BLACK)
        c.hline(2, 13, 15, V_BLACK)
    return c

# ---------------------------------------------------------------- main


def outputs():
    icons = {
        "setup.ico": keyboard_icon(),
        "folder.ico": folder_icon(False),
        "folderopen.ico": folder_icon(True),
        "harddisk.ico": drive_icon("hard"),
        "floppy.ico": drive_icon("floppy"),
        "cdrom.ico": drive_icon("cdrom"),
        "network.ico": drive_icon("network"),
    }
    files = {
        "side.bmp": bmp_file(side_bitmap(), SIDE),
        "copy.avi": avi_file(copy_frames(), ANIM),
        "registry.avi": avi_file(registry_frames(), ANIM),
    }
    for name, canvas in icons.items():
        files[name] = ico_file(canvas, VGA, V_MAGENTA)
    return files


def check(folder):
    stale = []
    for name, data in outputs().items():
        path = os.path.join(folder, name)
        try:
            with open(path, "rb") as f:
                same = f.read() == data
        except OSError:
            same = False
        if not same:
            stale.append(name)
    for name in stale:
        sys.stderr.write("resgen: %s differs from a fresh run; run tools/resgen/resgen.py %s\n"
                         % (os.path.join(folder, name), folder))
    return 1 if stale else 0


def main(argv):
    if len(argv) == 3 and argv[1] == "--check":
        return check(argv[2])
    if len(argv) != 2:
        sys.stderr.write("usage: resgen.py OUTDIR | --check DIR\n")
        return 2
    os.makedirs(argv[1], exist_ok=True)
    for name, data in outputs().items():
        with open(os.path.join(argv[1], name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
