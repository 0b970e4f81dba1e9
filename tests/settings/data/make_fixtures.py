#!/usr/bin/env python3
"""Makes the settings-file fixtures of this folder with the reference writer
(../q2q_reference.py) and cjpeg. Run once; the output is committed.

  version_NN.q2q       a file of each version 0..47 with distinct values,
                       a legacy picture from version 22 and a JPEG thumbnail
                       from version 40 on
  default_settings.q2q the default settings at version 47, no thumbnail
  edge_*.q2q        files for single fix-ups and block rules
"""
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import q2q_reference as q  # noqa: E402


def small_jpeg():
    """A 16 x 16 baseline JPEG from cjpeg: a colour gradient."""
    pixels = bytearray()
    for y in range(16):
        for x in range(16):
            pixels += bytes([x * 16, y * 16, 128])
    ppm = b"P6\n16 16\n255\n" + bytes(pixels)
    return subprocess.run(["cjpeg", "-quality", "90", "-baseline"], input=ppm, stdout=subprocess.PIPE,
                          check=True).stdout


def distinct_values():
    v = q.defaults()
    for number, gate, name, kind in q.FIELDS:
        if kind == "i32":
            v[name] = 1000 + number
        elif kind == "w16":
            v[name] = 100 * number + 1
        elif kind == "hund":
            v[name] = 1.25 + number
        elif kind == "f32":
            v[name] = 0.5 + number
    v.update(inputProjection=7, outputProjection=30, glue=5, grid=2, faces=1, keptField49=30, longitudeInt=40)
    return v


def save(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    jpeg = small_jpeg()
    values = distinct_values()
    legacy = (4, bytes(range(48)))
    for version in range(48):
        save("version_%02d.q2q" % version,
             q.write(values, version, thumbnail=(1, 16, 16, jpeg), legacy=legacy))
    save("default_settings.q2q", q.write(q.defaults(), 47))

    # One fix-up each.
    v6 = dict(values, outputProjection=3)
    save("edge_v06_output.q2q", q.write(v6, 6))
    fov = dict(values, outputProjection=14, fovInt=90)
    save("edge_v33_fov.q2q", q.write(fov, 33))
    fov30 = dict(values, outputProjection=14, fovInt=90)
    save("edge_v30_fov.q2q", q.write(fov30, 30))
    save("edge_v44_output35.q2q", q.write(dict(values, outputProjection=35), 44))
    # The same files one version later, where the fix-up no longer applies,
    # and both sides of the renumbering of outputs from 34 on (before 32).
    save("edge_v34_fov.q2q", q.write(fov, 34))
    save("edge_v45_output35.q2q", q.write(dict(values, outputProjection=35), 45))
    save("edge_v31_output40.q2q", q.write(dict(values, outputProjection=40), 31))
    save("edge_v32_output40.q2q", q.write(dict(values, outputProjection=40), 32))
    # A picture of another kind is passed over; a thumbnail too large for the
    # block is passed over.
    save("edge_flag2_skipped.q2q", q.write(values, 47, thumbnail=(2, 128, 128, bytes(1000))))
    save("edge_oversized_skipped.q2q", q.write(values, 47, thumbnail=(1, 128, 128, bytes(49153))))
    # A colour stored with high bits keeps its low 16 bits.
    wide = bytearray(q.write(values, 47, thumbnail=(1, 16, 16, jpeg)))
    wide[4:8] = struct.pack(">i", 0x12345)
    save("edge_wide_colour.q2q", bytes(wide))


if __name__ == "__main__":
    main()
