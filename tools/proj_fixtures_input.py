#!/usr/bin/env python3
"""Reference points of the published map projections that the input
projections follow, computed once by PROJ's `proj` command (Debian proj-bin).

Each output file holds lines "lon0 lon lat x y": geographic longitude and
latitude in degrees (east and north positive), the central meridian lon0 of
the projection, and PROJ's plane coordinates on the unit sphere (+R=1).
Run from the repository root:  python3 tools/proj_fixtures_input.py
"""
import os
import subprocess

OUT = os.path.join(os.path.dirname(__file__), "..", "tests", "projection_input", "data")


def project(args, points):
    text = "".join("%.10f %.10f\n" % (lon, lat) for lon, lat in points)
    res = subprocess.run(["proj", "-f", "%.12f"] + args + ["+R=1"], input=text, capture_output=True,
                         text=True, check=True)
    rows = []
    for (lon, lat), line in zip(points, res.stdout.strip().split("\n")):
        x, y = line.split()
        rows.append((lon, lat, float(x), float(y)))
    return rows


def grid(lons, lats):
    return [(lon, lat) for lat in lats for lon in lons]


def write(name, args, blocks):
    path = os.path.join(OUT, name)
    with open(path, "w") as f:
        f.write("# proj %s +R=1; columns: lon0 lon lat x y\n" % " ".join(args))
        for lon0, points in blocks:
            full = args + ["+lon_0=%g" % lon0]
            for lon, lat, x, y in project(full, points):
                f.write("%g %.10g %.10g %.12f %.12f\n" % (lon0, lon, lat, x, y))


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
