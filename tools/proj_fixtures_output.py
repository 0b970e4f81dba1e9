#!/usr/bin/env python3
"""Reference points of the published map projections that the closed-form
output projections follow, computed once by PROJ's `proj` command (Debian
proj-bin) on the unit sphere.

Each output file holds lines "lon0 lon lat x y": geographic longitude and
latitude in degrees (east and north positive), the central meridian lon0 of
the projection, and PROJ's plane coordinates (+R=1, x east, y north).
Run from the repository root:  python3 tools/proj_fixtures_output.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import proj_points  # noqa: E402
from proj_points import grid  # noqa: E402,F401

OUT = os.path.join(os.path.dirname(__file__), "..", "tests", "projection_output", "data")


def steps(a, b, n):
    return [a + (b - a) * i / (n - 1) for i in range(n)]


def within(points, degrees):
    """The points less than the given angle away from (0, 0)."""
    limit = math.cos(math.radians(degrees))
    return [(lon, lat) for lon, lat in points
            if math.cos(math.radians(lat)) * math.cos(math.radians(lon)) > limit]


def write(name, args, blocks):
    proj_points.write(OUT, name, args, blocks)


def main():
    os.makedirs(OUT, exist_ok=True)
    world = grid(steps(-175, 175, 15), steps(-85, 85, 13))
    sphere = grid(steps(-178, 178, 23), steps(-88, 88, 23))
    write("eqc.txt", ["+proj=eqc"], [(0, world)])
    write("sinu.txt", ["+proj=sinu"], [(0, world)])
    write("hammer.txt", ["+proj=hammer"], [(0, world)])
    write("moll.txt", ["+proj=moll"], [(0, world)])
    # Robinson's table rows (every 5 degrees), where PROJ's interpolation and
    # a linear one agree.
    write("robin.txt", ["+proj=robin"], [(0, grid(steps(-175, 175, 15), steps(-85, 85, 35)))])
    write("wintri.txt", ["+proj=wintri"], [(0, world)])
    write("merc.txt", ["+proj=merc"], [(0, grid(steps(-175, 175, 15), steps(-75, 75, 11)))])
    write("cea.txt", ["+proj=cea"], [(0, world)])
    write("lagrng.txt", ["+proj=lagrng"], [(0, grid(steps(-170, 170, 15), steps(-80, 80, 13)))])
    write("aeqd.txt", ["+proj=aeqd", "+lat_0=0"], [(0, within(sphere, 175))])
    write("laea.txt", ["+proj=laea", "+lat_0=0"], [(0, within(sphere, 175))])
    write("ortho.txt", ["+proj=ortho", "+lat_0=0"], [(0, within(sphere, 88))])
    write("stere.txt", ["+proj=stere", "+lat_0=0"], [(0, within(sphere, 150))])
    write("gnom.txt", ["+proj=gnom", "+lat_0=0"], [(0, within(sphere, 55))])
    # Twelve gores, each about its own central meridian; points well inside.
    blocks = []
    for gore in range(12):
        centre = -165 + 30 * gore
        points = grid([centre - 12, centre - 5, centre, centre + 7, centre + 13], steps(-80, 80, 17))
        blocks.append((centre, points))
    write("poly12.txt", ["+proj=poly"], blocks)


if __name__ == "__main__":
    main()
