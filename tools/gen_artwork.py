#!/usr/bin/env python3
"""Draws the plug-in's artwork at build time: the bitmaps, icons and cursors
that the dialogs name, and a resource script that lists them.

    gen_artwork.py OUTPUT_FOLDER

Everything is drawn from code here (no image files in the tree): flat
colours, gradients, circles and a small pixel font for the button faces.
The output is the same on every run."""
import math
import os
import struct
import sys

# --- a 5 x 7 pixel font for the button faces ----------------------------------
FONT = {
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'F': ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    'G': ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'Z': ["11111", "00001", "00010", "00100", "01000", "10000", "11111"],
    '+': ["00000", "00100", "00100", "11111", "00100", "00100", "00000"],
    '-': ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    '>': ["01000", "00100", "00010", "00001", "00010", "00100", "01000"],
    '?': ["01110", "10001", "00001", "00010", "00100", "00000", "00100"],
    ' ': ["00000"] * 7,
}


class Canvas:
    def __init__(self, w, h, colour=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.px = [list(colour) for _ in range(w * h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = list(c) if len(c) == 4 else [c[0], c[1], c[2], 255]

    def get(self, x, y):
        return self.px[y * self.w + x]

    def fill(self, x0, y0, x1, y1, c):
        for y in range(max(y0, 0), min(y1, self.h)):
            for x in range(max(x0, 0), min(x1, self.w)):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1):
            self.put(x, y0, c)
            self.put(x, y1 - 1, c)
        for y in range(y0, y1):
            self.put(x0, y, c)
            self.put(x1 - 1, y, c)

    def disc(self, cx, cy, r, c, ring=None):
        for y in range(self.h):
            for x in range(self.w):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if d <= r:
                    self.put(x, y, ring if ring and d > r - 1.2 else c)

    def text(self, s, x, y, c, scale=1):
        for ch in s:
            glyph = FONT.get(ch.upper(), FONT['?'])
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == '1':
                        self.fill(x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale, c)
            x += 6 * scale

    def text_centred(self, s, c, scale=1):
        tw = len(s) * 6 * scale - scale
        self.text(s, (self.w - tw) // 2, (self.h - 7 * scale) // 2, c, scale)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


# --- file writers -------------------------------------------------------------
def bmp_bytes(cv):
    row = (cv.w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(cv.h - 1, -1, -1):
        line = bytearray()
        for x in range(cv.w):
            r, g, b, _ = cv.get(x, y)
            line += bytes((b, g, r))
        pixels += line + bytes(row - len(line))
    header = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return b'BM' + struct.pack('<IHHI', 14 + len(header) + len(pixels), 0, 0, 14 + len(header)) + header + pixels


def icon_image(cv):
    xor = bytearray()
    for y in range(cv.h - 1, -1, -1):
        for x in range(cv.w):
            r, g, b, a = cv.get(x, y)
            xor += bytes((b, g, r, a))
    mask_row = ((cv.w + 31) // 32) * 4
    mask = bytearray()
    for y in range(cv.h - 1, -1, -1):
        line = bytearray(mask_row)
        for x in range(cv.w):
            if cv.get(x, y)[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def ico_bytes(cv, hotspot=None):
    image = icon_image(cv)
    kind = 2 if hotspot else 1
    planes, bits = hotspot if hotspot else (1, 32)
    entry = struct.pack('<BBBBHHII', cv.w % 256, cv.h % 256, 0, 0, planes, bits, len(image), 6 + 16)
    return struct.pack('<HHH', 0, kind, 1) + entry + image


# --- the artwork --------------------------------------------------------------
PANEL = (226, 230, 238)
PANEL_DARK = (196, 204, 218)
INK = (30, 40, 70)
ACCENT = (46, 104, 184)


def background():
    cv = Canvas(865, 644)
    for y in range(644):
        c = mix((236, 239, 245), PANEL, y / 643)
        for x in range(865):
            cv.put(x, y, c)
    # The preview's well, and the bands of the control groups.
    cv.fill(345, 0, 865, 490, (70, 74, 84))
    cv.frame(345, 0, 865, 490, (40, 44, 52))
    for top, bottom in ((14, 200), (212, 320), (326, 500), (500, 644)):
        cv.frame(0, top, 340, bottom, PANEL_DARK)
    cv.fill(480, 545, 857, 569, (246, 247, 250))
    cv.frame(480, 545, 857, 569, PANEL_DARK)
    return cv


def slider_track():
    cv = Canvas(240, 12)
    for y in range(12):
        for x in range(240):
            cv.put(x, y, mix((200, 210, 235), (236, 240, 252), y / 11))
    cv.frame(0, 0, 240, 11, (110, 120, 150))
    for x in range(0, 240, 24):
        cv.put(x + 7, 10, (110, 120, 150))
    return cv


def slider_knob():
    cv = Canvas(15, 10)
    for y in range(10):
        for x in range(15):
            cv.put(x, y, mix((120, 160, 220), ACCENT, y / 9))
    cv.frame(0, 0, 15, 10, INK)
    for x in (5, 7, 9):
        cv.fill(x, 3, x + 1, 7, (220, 230, 250))
    return cv


def thumbnail_frame():
    cv = Canvas(96, 96)
    cv.fill(0, 0, 96, 96, PANEL_DARK)
    cv.frame(0, 0, 96, 96, (120, 126, 140))
    cv.frame(3, 3, 93, 93, (255, 255, 255))
    cv.fill(4, 4, 92, 92, (90, 94, 104))
    return cv


def memory_dot(fill, ring, hover=False):
    cv = Canvas(12, 12)
    cv.fill(0, 0, 12, 12, PANEL)
    base = mix(fill, (255, 255, 255), 0.35) if hover else fill
    cv.disc(6, 6, 5.5, base, ring)
    return cv


def sphere(size, background_colour):
    cv = Canvas(size, size)
    cv.fill(0, 0, size, size, background_colour)
    r = size * 0.45
    c = size / 2
    for y in range(size):
        for x in range(size):
            dx, dy = (x + 0.5 - c) / r, (y + 0.5 - c) / r
            d2 = dx * dx + dy * dy
            if d2 > 1:
                continue
            dz = math.sqrt(1 - d2)
            lon = math.degrees(math.atan2(dx, dz))
            lat = math.degrees(math.asin(-dy))
            shade = 0.35 + 0.65 * max(0.0, (dx * -0.4 + dy * -0.5 + dz * 0.77))
            col = mix((10, 40, 90), (90, 170, 240), shade)
            if abs(lon % 30) < 1.6 or abs(lat % 30) < 1.6:
                col = mix(col, (255, 255, 255), 0.55)
            cv.put(x, y, col)
    return cv


def about_banner():
    cv = Canvas(450, 101)
    for y in range(101):
        for x in range(450):
            cv.put(x, y, mix((20, 50, 110), (70, 140, 220), x / 449))
    cv.text("ORBALIX 2", 150, 28, (255, 255, 255), 4)
    return cv


def info_picture():
    cv = Canvas(600, 488, (255, 255, 255, 255))
    # Where the groups of controls are, as labelled boxes.
    boxes = [(10, 10, 250, 150, "VIEW"), (10, 170, 250, 300, "SPHERE"), (10, 320, 250, 470, "FILES"),
             (270, 10, 590, 330, "PREVIEW"), (270, 350, 590, 470, "DOTS")]
    for x0, y0, x1, y1, name in boxes:
        cv.fill(x0, y0, x1, y1, (232, 238, 248))
        cv.frame(x0, y0, x1, y1, ACCENT)
        cv.text(name, x0 + 8, y0 + 8, INK, 2)
    return cv


def button_face(w, h, label, scale=1):
    cv = Canvas(w, h)
    cv.text_centred(label, (20, 30, 60, 255), scale)
    return cv


def glyph_icon(w, h, label):
    cv = Canvas(w, h)
    cv.text_centred(label, (20, 30, 60, 255))
    return cv


# The brick colours 1..12 as the brick preview and plan draw them
# (nets/brick_palette.cpp), and the bitmap beside each colour's checkbox
# in the brick-sphere dialog.
BRICK_COLOURS = [(50, 50, 50), (0, 0, 255), (0, 150, 80), (255, 0, 0), (250, 250, 250), (255, 223, 0),
                 (210, 210, 210), (128, 128, 128), (102, 51, 0), (203, 149, 137), (204, 170, 102),
                 (139, 172, 150)]
BRICK_SWATCH_IDS = [187, 176, 181, 182, 183, 184, 185, 186, 172, 173, 174, 175]


def brick_swatch(colour):
    cv = Canvas(36, 16)
    cv.fill(0, 0, 36, 16, colour)
    # Studs on top, as a brick seen from the side, and a dark outline.
    for x in (6, 16, 26):
        cv.fill(x, 0, x + 5, 3, mix(colour, (0, 0, 0), 0.25))
    cv.frame(0, 2, 36, 16, INK)
    return cv


def app_icon(size):
    cv = Canvas(size, size)
    cv.disc(size / 2, size / 2, size / 2 - 1, (40, 110, 200, 255), (10, 30, 80, 255))
    cv.disc(size / 2 - 4, size / 2 - 4, size / 5, (150, 200, 250, 255))
    return cv


def alert_icon(size):
    cv = Canvas(size, size)
    cv.disc(size / 2, size / 2, size / 2 - 1, (200, 40, 40, 255), (120, 10, 10, 255))
    cv.fill(size // 2 - 2, 7, size // 2 + 2, size - 13, (255, 255, 255, 255))
    cv.fill(size // 2 - 2, size - 10, size // 2 + 2, size - 6, (255, 255, 255, 255))
    return cv


def cursor(kind):
    cv = Canvas(32, 32)
    black, white = (0, 0, 0, 255), (255, 255, 255, 255)
    if kind == 'hover':
        # A cross of four arrows: the preview can be dragged.
        for d in range(-10, 11):
            for t in (-1, 0, 1):
                cv.put(16 + d, 16 + t, white if t else black)
                cv.put(16 + t, 16 + d, white if t else black)
        for k in range(4):
            for i in range(4):
                for s in (-1, 1):
                    cv.put(16 - 10 + i, 16 + s * i, black)
                    cv.put(16 + 10 - i, 16 + s * i, black)
                    cv.put(16 + s * i, 16 - 10 + i, black)
                    cv.put(16 + s * i, 16 + 10 - i, black)
    else:
        # A closed hand: a filled round with a rim.
        cv.disc(16, 16, 9, white, black)
        for x in (12, 15, 18):
            cv.fill(x, 9, x + 2, 14, black)
    return cv


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'artwork'
    os.makedirs(out, exist_ok=True)
    lines = ['// The artwork, drawn by tools/gen_artwork.py at build time.']

    def save(kind, rid, name, data):
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        lines.append('%d %s "%s"' % (rid, kind, name))

    save('BITMAP', 239, 'background.bmp', bmp_bytes(background()))
    save('BITMAP', 177, 'slider_track.bmp', bmp_bytes(slider_track()))
    save('BITMAP', 120, 'slider_knob.bmp', bmp_bytes(slider_knob()))
    save('BITMAP', 217, 'thumbnail_frame.bmp', bmp_bytes(thumbnail_frame()))
    empty, filled, current = (250, 250, 252), (120, 160, 220), (240, 160, 40)
    marked_ring, plain_ring = (20, 30, 60), (110, 120, 150)
    dots = {203: (empty, plain_ring, False), 210: (empty, plain_ring, True),
            213: (filled, plain_ring, False), 214: (filled, plain_ring, True),
            215: (filled, marked_ring, False), 216: (filled, marked_ring, True),
            202: (current, plain_ring, False), 211: (current, plain_ring, True),
            208: (current, marked_ring, False), 212: (current, marked_ring, True)}
    for rid, (fill, ring, hover) in sorted(dots.items()):
        save('BITMAP', rid, 'dot_%d.bmp' % rid, bmp_bytes(memory_dot(fill, ring, hover)))
    save('BITMAP', 127, 'about_banner.bmp', bmp_bytes(about_banner()))
    save('BITMAP', 192, 'about_sphere.bmp', bmp_bytes(sphere(150, (255, 255, 255))))
    save('BITMAP', 219, 'info.bmp', bmp_bytes(info_picture()))
    for rid, colour in zip(BRICK_SWATCH_IDS, BRICK_COLOURS):
        save('BITMAP', rid, 'brick_%d.bmp' % rid, bmp_bytes(brick_swatch(colour)))
    # Icons of the bitmap buttons, each at the size its button shows it.
    wide = {247: "PLANET", 241: "SAVE", 240: "LOAD", 232: "PSD", 229: "CONSTR", 230: "LEGO", 233: "CUBE",
            237: "DICE", 242: "UNDO", 225: "RESET", 234: "FACET"}
    for rid, label in sorted(wide.items()):
        save('ICON', rid, 'button_%d.ico' % rid, ico_bytes(button_face(48, 16, label)))
    save('ICON', 231, 'cycle.ico', ico_bytes(button_face(8, 8, ">")))
    save('ICON', 236, 'presets.ico', ico_bytes(button_face(8, 8, "Z")))
    save('ICON', 5, 'zoom_in.ico', ico_bytes(button_face(8, 8, "+")))
    save('ICON', 169, 'zoom_out.ico', ico_bytes(button_face(8, 8, "-")))
    save('ICON', 235, 'info.ico', ico_bytes(button_face(16, 16, "?", 2)))
    save('ICON', 136, 'app.ico', ico_bytes(app_icon(32)))
    save('ICON', 148, 'alert.ico', ico_bytes(alert_icon(32)))
    save('CURSOR', 107, 'grab.cur', ico_bytes(cursor('grab'), (16, 16)))
    save('CURSOR', 108, 'hover.cur', ico_bytes(cursor('hover'), (16, 16)))
    with open(os.path.join(out, 'artwork.rc'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    main()
