#!/usr/bin/env python3
"""A picture and its 128 x 128 thumbnail made by an independent scaler,
ImageMagick's `convert` (Debian imagemagick), for the thumbnail scaling test.

The picture (256 x 160) has smooth colour ramps, a disc, and a band of fine
stripes and checks that a filtered reduction turns to even grey while a
nearest-pixel pick keeps them as stripes. Both files are binary PPMs.
Run from the repository root:  python3 tools/thumbnail_fixtures.py
"""
import math
import os
import subprocess

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "settings", "data")
WIDTH, HEIGHT = 256, 160
# The real ImageMagick, not a stand-in earlier on the path.
CONVERT = "/usr/bin/convert"


def picture():
    rows = bytearray()
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if 100 <= y < 140:
                # Stripes one pixel wide on the left, checks of one pixel on the right.
                on = (x % 2 == 0) if x < 128 else ((x + y) % 2 == 0)
                v = 230 if on else 20
                rows += bytes([v, v, v])
                continue
            r = int(255 * x / (WIDTH - 1))
            g = int(255 * y / (HEIGHT - 1))
            b = 200 if math.hypot(x - 180, y - 50) < 35 else int(128 + 100 * math.sin(x / 40.0))
            rows += bytes([r, g, b])
    return b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT) + bytes(rows)


def main():
    source = os.path.join(OUT, "thumbnail_source.ppm")
    with open(source, "wb") as f:
        f.write(picture())
    subprocess.run([CONVERT, source, "-resize", "128x128!", "-depth", "8",
                    os.path.join(OUT, "thumbnail_reference.ppm")], check=True)


if __name__ == "__main__":
    main()
