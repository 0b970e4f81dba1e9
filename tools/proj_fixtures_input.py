#!/usr/bin/env python3
"""Reference points of the published map projections that the input
projections follow, computed once by PROJ's `proj` command (Debian proj-bin).

Each output file holds lines "lon0 lon lat x y": geographic longitude and
latitude in degrees (east and north positive), the central meridian lon0 of
the projection, and PROJ's plane coordinates on the unit sphere (+R=1).
Run from the repository root:  python3 tools/proj_fixtures_input.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import proj_points  # noqa: E402
from proj_points import grid  # noqa: E402,F401

OUT = os.path.join(os.path.dirname(__file__), "..", "tests", "projection_input", "data")


def write(name, args, blocks):
    proj_points.write(OUT, name, args, blocks)


def main():
    os.makedirs(OUT, exist_ok=True)
    world = grid(range(-175, 180, 25), [-80, -60, -45, -30, -15, -5, 0, 5, 15, 30, 45, 60, 80])
    world += [(0.0, 0.0), (179.5, 0.0), (-179.5, 0.0), (90.0, 89.0), (-120.0, -89.0)]
    for name, args in [("moll.txt", ["+proj=moll"]), ("wintri.txt", ["+proj=wintri"]),
                       ("hammer.txt", ["+proj=hammer"]), ("lagrng.txt", ["+proj=lagrng"]),
                       ("cea.txt", ["+proj=cea"])]:
        write(name, args, [(0, world)])
    merc = grid(range(-175, 180, 25), [-80, -70, -45, -20, -5, 0, 5, 20, 45, 70, 80])
    write("merc.txt", ["+proj=merc"], [(0, merc)])
    # Robinson's table is exact at multiples of 5 degrees, where PROJ's
    # interpolation passes through the same rows.
    robin = grid(range(-175, 180, 35), range(-90, 91, 5))
    write("robin.txt", ["+proj=robin"], [(0, robin)])
    # Hemisphere views centred on (0, 0).
    front = grid(range(-85, 90, 17), range(-85, 90, 17))
    write("ortho.txt", ["+proj=ortho"], [(0, front)])
    write("stere.txt", ["+proj=stere", "+lat_0=0"], [(0, front)])
    # Polyconic gores: each gore about its own central meridian.
    lats = [-85, -60, -30, -10, -1, 1, 10, 30, 60, 85]
    for n, name in [(12, "poly12.txt"), (6, "poly6.txt")]:
        width = 360.0 / n
        blocks = []
        for k in range(n):
            lon0 = width * (k - (n - 1) / 2.0)
            offsets = [-0.45 * width, -0.2 * width, 0.0, 0.3 * width, 0.45 * width]
            blocks.append((lon0, [(lon0 + o, lat) for lat in lats for o in offsets]))
        write(name, ["+proj=poly"], blocks)


if __name__ == "__main__":
    main()
