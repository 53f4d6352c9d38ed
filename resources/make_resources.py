#!/usr/bin/env python3
"""Writes the program's sound, icon and button bitmaps next to this script.

Everything is computed here from plain numbers, so every run gives the same bytes.
Run it again after changing a shape or a tone and commit the files it writes.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

PANEL_RED = (165, 55, 55)
DEEP_RED = (118, 32, 32)
WHITE = (255, 255, 255)
GLYPH = (250, 250, 250)          # near-white, as on the panel's text
GLYPH_PRESSED = (237, 209, 204)  # the glyph dimmed while the button is held
MSG_BAR = (255, 245, 185)
MSG_CROSS = (112, 122, 140)


# --- alert sound -----------------------------------------------------------

RATE = 44100
SAMPLE_BYTES = 209246            # the sound's length, fixed by the popup's design
SAMPLES = SAMPLE_BYTES // 2
PEAK = 10 ** (-3 / 20)           # -3 dBFS


def bell(t, freq, decay):
    """One struck tone: a few harmonics, the higher ones dying away sooner."""
    partials = ((1.0, 1.0, 1.0), (2.0, 0.42, 1.8), (3.0, 0.16, 2.6), (4.2, 0.06, 3.5))
    attack = 0.006
    env = 0.5 - 0.5 * math.cos(math.pi * t / attack) if t < attack else 1.0
    v = 0.0
    for ratio, amp, speed in partials:
        v += amp * math.exp(-t * speed / decay) * math.sin(2 * math.pi * freq * ratio * t)
    return env * v


def chime_samples():
    # "ding-dong": E5, then C5 a little later; the tail fades to silence so the loop is clean.
    strikes = ((0.0, 659.25, 0.55), (0.42, 523.25, 0.62))
    fade_start, fade_end = 1.95, 2.25
    raw = []
    for n in range(SAMPLES):
        t = n / RATE
        v = 0.0
        for start, freq, decay in strikes:
            if t >= start:
                v += bell(t - start, freq, decay)
        if t >= fade_end:
            v = 0.0
        elif t > fade_start:
            v *= 0.5 + 0.5 * math.cos(math.pi * (t - fade_start) / (fade_end - fade_start))
        raw.append(v)
    scale = PEAK * 32767 / max(abs(v) for v in raw)
    return [int(round(v * scale)) for v in raw]


def wave_file(samples):
    data = struct.pack("<%dh" % len(samples), *samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
    body += b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


# --- drawing helpers -------------------------------------------------------

class Canvas:
    """RGBA pixels, row 0 at the top; shapes are sampled 4 x 4 times per pixel."""

    SUB = 4

    def __init__(self, width, height, fill=None):
        self.width, self.height = width, height
        self.px = [[fill + (255,) if fill else (0, 0, 0, 0) for _ in range(width)]
                   for _ in range(height)]

    def paint(self, shapes):
        """shapes: list of (inside(x, y) -> bool, rgb), later ones on top."""
        s = self.SUB
        for row in range(self.height):
            for col in range(self.width):
                acc = [0, 0, 0, 0]
                for sy in range(s):
                    for sx in range(s):
                        x = col + (sx + 0.5) / s
                        y = row + (sy + 0.5) / s
                        rgb = None
                        for inside, colour in shapes:
                            if inside(x, y):
                                rgb = colour
                        if rgb is not None:
                            acc[0] += rgb[0]
                            acc[1] += rgb[1]
                            acc[2] += rgb[2]
                            acc[3] += 1
                if acc[3]:
                    old = self.px[row][col]
                    cover = acc[3] / (s * s)
                    new = [acc[i] / acc[3] for i in range(3)]
                    base_a = old[3] / 255
                    a = cover + base_a * (1 - cover)
                    rgb = [(new[i] * cover + old[i] * base_a * (1 - cover)) / a for i in range(3)]
                    self.px[row][col] = tuple(int(round(c)) for c in rgb) + (int(round(a * 255)),)

    def set(self, col, row, rgb):
        self.px[row][col] = tuple(rgb) + (255,)


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def stroke(x0, y0, x1, y1, half_width):
    """A straight stroke with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width
    return inside


def cap(cx, cy, r, toward_x, toward_y):
    """Half a disc: the part of the disc on the far side from (toward_x, toward_y)."""
    def inside(x, y):
        if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
            return False
        return (x - cx) * (toward_x - cx) + (y - cy) * (toward_y - cy) <= 0
    return inside


# --- icon ------------------------------------------------------------------

def alarm_clock(size):
    """An alarm clock: red body with a white face, two bells on top, little feet."""
    k = size / 32.0  # the shapes are laid out on a 32 x 32 grid
    cx, cy = 16 * k, 17.5 * k
    shapes = [
        (stroke(9 * k, 25 * k, 6.5 * k, 29.5 * k, 1.5 * k), DEEP_RED),   # feet
        (stroke(23 * k, 25 * k, 25.5 * k, 29.5 * k, 1.5 * k), DEEP_RED),
        (cap(8.5 * k, 8.5 * k, 6.5 * k, cx, cy), PANEL_RED),              # bells
        (cap(23.5 * k, 8.5 * k, 6.5 * k, cx, cy), PANEL_RED),
        (stroke(16 * k, 3 * k, 16 * k, 6 * k, 1.5 * k), DEEP_RED),        # knob
        (disc(cx, cy, 12.5 * k), DEEP_RED),                                # rim
        (disc(cx, cy, 11.5 * k), PANEL_RED),
        (disc(cx, cy, 8.5 * k), WHITE),                                    # face
        (stroke(cx, cy, cx, cy - 6.2 * k, 1.1 * k), DEEP_RED),            # hands: ten past ...
        (stroke(cx, cy, cx + 4.6 * k, cy + 1.8 * k, 1.1 * k), DEEP_RED),
        (disc(cx, cy, 1.6 * k), DEEP_RED),
    ]
    canvas = Canvas(size, size)
    canvas.paint(shapes)
    return canvas


# At 16 x 16 a drawn shape turns to mush; this size is set pixel by pixel instead.
SMALL_CLOCK = (
    ".rrr.......rrr..",
    "rrrr...d...rrrr.",
    "rrr..ddddd..rrr.",
    "rr.ddrrrrrdd.rr.",
    "..drrrwdwrrrd...",
    "..drwwwdwwwrd...",
    ".drwwwwdwwwwrd..",
    ".drwwwwdwwwwrd..",
    ".drwwwwddddwrd..",
    ".drwwwwwwwwwrd..",
    ".drwwwwwwwwwrd..",
    "..drwwwwwwwrd...",
    "..drrrwwwrrrd...",
    "...ddrrrrrdd....",
    "....ddddddd.....",
    "..dd.......dd...",
)


def pixel_art(rows):
    colours = {"r": PANEL_RED, "d": DEEP_RED, "w": WHITE}
    canvas = Canvas(len(rows[0]), len(rows))
    for row, line in enumerate(rows):
        for col, ch in enumerate(line):
            if ch in colours:
                canvas.set(col, row, colours[ch])
    return canvas


def icon_image(canvas):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, then the AND mask."""
    w, h = canvas.width, canvas.height
    xor = bytearray()
    for row in reversed(range(h)):
        for r, g, b, a in canvas.px[row]:
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(range(h)):
        line = bytearray(mask_stride)
        for col in range(w):
            if canvas.px[row][col][3] == 0:
                line[col // 8] |= 0x80 >> (col % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def png_image(canvas):
    """One icon image as a PNG (RGBA, no filtering): how the larger sizes are kept small."""
    raw = b"".join(b"\0" + bytes(v for px in line for v in px) for line in canvas.px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


# Sizes from this one on are stored as PNG; the program itself loads only the small icon.
PNG_FROM = 48


def icon_file(canvases):
    images = [png_image(c) if c.width >= PNG_FROM else icon_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.width % 256, c.height % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


# --- bitmaps ---------------------------------------------------------------

def bmp_file(canvas):
    """24-bit BMP, rows bottom-up, each padded to four bytes."""
    w, h = canvas.width, canvas.height
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(range(h)):
        line = bytearray()
        for r, g, b, _ in canvas.px[row]:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def bmp8_file(canvas):
    """8-bit BMP with the picture's own palette (it has at most 256 colours): a third of
    the bytes of a 24-bit one, the same pixels."""
    colours = sorted({px[:3] for line in canvas.px for px in line})
    if len(colours) > 256:
        return bmp_file(canvas)
    index = {c: i for i, c in enumerate(colours)}
    w, h = canvas.width, canvas.height
    stride = (w + 3) & ~3
    pixels = bytearray()
    for row in reversed(range(h)):
        line = bytes(index[px[:3]] for px in canvas.px[row])
        pixels += line + bytes(stride - len(line))
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(pixels), 2835, 2835, len(colours), 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def scaled(px, percent):
    """A length of the 100 % drawing at `percent`, halves rounded up, as the program does."""
    return (px * percent + 50) // 100


FRAME_W, FRAME_H = 27, 21


def bar_glyph(col, row):
    return 8 <= col <= 18 and 13 <= row <= 15


def cross_glyph(col, row):
    # 11 x 11 at columns 8..18, rows 5..15: both diagonals, three pixels across each row.
    c, r = col - 8, row - 5
    if not (0 <= c <= 10 and 0 <= r <= 10):
        return False
    return abs(c - r) <= 1 or abs(c - (10 - r)) <= 1


def button_strip(glyph):
    canvas = Canvas(3 * FRAME_W, FRAME_H, PANEL_RED)
    for frame, colour in enumerate((GLYPH, GLYPH, GLYPH_PRESSED)):
        for row in range(FRAME_H):
            for col in range(FRAME_W):
                if glyph(col, row):
                    canvas.set(frame * FRAME_W + col, row, colour)
    return canvas


def message_close(percent=100):
    # A small cross in the middle of a 22 x 22 square of the message bar's yellow.
    size = scaled(22, percent)
    k = size / 22
    canvas = Canvas(size, size, MSG_BAR)
    canvas.paint([(stroke(7.5 * k, 7.5 * k, 14.5 * k, 14.5 * k, 1.15 * k), MSG_CROSS),
                  (stroke(14.5 * k, 7.5 * k, 7.5 * k, 14.5 * k, 1.15 * k), MSG_CROSS)])
    return canvas


# The buttons' glyphs drawn at 150 % and 200 %: the bar stays whole pixels, the cross is two
# smoothed strokes, as the 100 % cross's three-pixel diagonals.
def bar_shape(percent):
    x0, x1 = scaled(8, percent), scaled(19, percent)
    y0, y1 = scaled(13, percent), scaled(16, percent)
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def cross_shape(percent):
    k = percent / 100
    half = 1.06 * k
    a, b = 8.5 * k + 0.5 * k, 18.5 * k - 0.5 * k  # columns of the 100 % cross's end pixels
    top, bottom = 5.5 * k + 0.5 * k, 15.5 * k - 0.5 * k
    down = stroke(a, top, b, bottom, half)
    up = stroke(a, bottom, b, top, half)
    return lambda x, y: down(x, y) or up(x, y)


def scaled_strip(shape, percent):
    fw, fh = scaled(FRAME_W, percent), scaled(FRAME_H, percent)
    canvas = Canvas(3 * fw, fh, PANEL_RED)
    inside = shape(percent)
    for frame, colour in enumerate((GLYPH, GLYPH, GLYPH_PRESSED)):
        left = frame * fw
        canvas.paint([(lambda x, y, left=left: 0 <= x - left < fw and inside(x - left, y), colour)])
    return canvas


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    write("beep.wav", wave_file(chime_samples()))
    # 16, 24 and 32 for the small icon at 100, 150 and 200 %; 32, 48 and 64 for the large one.
    write("tavik.ico", icon_file([pixel_art(SMALL_CLOCK), alarm_clock(24), alarm_clock(32),
                                  alarm_clock(48), alarm_clock(64)]))
    write("btn_mini.bmp", bmp_file(button_strip(bar_glyph)))
    write("btn_exit.bmp", bmp_file(button_strip(cross_glyph)))
    write("msg_close.bmp", bmp_file(message_close()))
    for percent in (150, 200):
        write("btn_mini_%d.bmp" % percent, bmp8_file(scaled_strip(bar_shape, percent)))
        write("btn_exit_%d.bmp" % percent, bmp8_file(scaled_strip(cross_shape, percent)))
        write("msg_close_%d.bmp" % percent, bmp8_file(message_close(percent)))


if __name__ == "__main__":
    main()
