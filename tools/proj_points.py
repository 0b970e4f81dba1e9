"""Shared by the PROJ fixture scripts: runs PROJ's `proj` command on the unit
sphere and writes reference files of lines "lon0 lon lat x y"."""
import os
import subprocess


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


def write(folder, name, args, blocks):
    """blocks: (lon0, points) pairs, each projected with +lon_0=lon0."""
    path = os.path.join(folder, name)
    with open(path, "w") as f:
        f.write("# proj %s +R=1; columns: lon0 lon lat x y\n" % " ".join(args))
        for lon0, points in blocks:
            full = args + ["+lon_0=%g" % lon0]
            for lon, lat, x, y in project(full, points):
                f.write("%g %.10g %.10g %.12f %.12f\n" % (lon0, lon, lat, x, y))
