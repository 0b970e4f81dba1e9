#!/usr/bin/env python3
"""Generates the two opponent-colour lattice tables of the glue modes as C++.

RgbToOpponentTable maps red, green, blue to a lightness P and two opponent axes
A and B; OpponentToRgbTable maps P, A, B back. Each is a 16 x 16 x 16 lattice
of three bytes: entry (i, j, k) at byte 3 (i + 16 j + 256 k) holds the output
for the inputs (17 i, 17 j, 17 k).

The opponent space is CIE L*a*b* of an RGB space with a plain power-law
transfer of exponent 1.8 whose white is the reference white, scaled to bytes:
P = 2.55 L*, A = 128 + a*, B = 128 + b*. The RGB primaries are not taken from
any standard: they are solved from the lattice rows that the tables must hold
(pure red, green and blue), so that the model meets them by construction.

Then:
  1. the rows the forward table must hold exactly (the grey axis, black, white,
     the pure primaries and half red) are written over the model's rounding;
  2. the inverse table is the model's inverse, clipped to 0..255 where a
     lattice point lies outside the colours that RGB can show;
  3. the inverse entries that the required round trips read (mid grey, black,
     white, (200, 100, 50) through both tables) are nudged, each by the
     least amount, until those round trips come out as required.
Every required value is checked before anything is written.

Usage: python3 tools/gen_opponent_tables.py [output file]
(default: render/glue_opponent_tables.cpp next to this script's parent).
"""
import os
import sys

GAMMA = 1.8
DELTA = 6.0 / 29.0

# Forward rows: lattice point -> (P, A, B).
GREY_P = [0, 17, 48, 72, 93, 112, 130, 147, 163, 177, 191, 204, 218, 230, 243, 255]
FORWARD_ROWS = {(i, i, i): (GREY_P[i], 128, 128) for i in range(16)}
FORWARD_ROWS.update({
    (15, 0, 0): (144, 208, 208),
    (0, 15, 0): (214, 51, 207),
    (0, 0, 15): (104, 158, 33),
    (8, 0, 0): (85, 183, 180),
})
# RGB -> RGB through both tables (8-bit form).
ROUND_TRIPS = [
    ((0, 0, 0), (7, 0, 7)),
    ((255, 255, 255), (240, 251, 245)),
    ((128, 128, 128), (127, 127, 128)),
    ((200, 100, 50), (198, 97, 51)),
]


def lab_f(t):
    return t ** (1.0 / 3.0) if t > DELTA ** 3 else t / (3 * DELTA * DELTA) + 4.0 / 29.0


def lab_f_inv(t):
    return t ** 3 if t > DELTA else 3 * DELTA * DELTA * (t - 4.0 / 29.0)


def bytes_to_xyz(p, a, b):
    """Relative X, Y, Z (white = 1, 1, 1) of the byte-scaled L*a*b* colour."""
    fy = (p / 2.55 + 16.0) / 116.0
    return lab_f_inv(fy + (a - 128) / 500.0), lab_f_inv(fy), lab_f_inv(fy - (b - 128) / 200.0)


def solve_matrix():
    """Linear RGB -> relative XYZ, columns from the required primaries, rows
    scaled so that RGB white is XYZ white."""
    columns = [bytes_to_xyz(*FORWARD_ROWS[key]) for key in ((15, 0, 0), (0, 15, 0), (0, 0, 15))]
    rows = [[columns[c][r] for c in range(3)] for r in range(3)]
    return [[v / sum(row) for v in row] for row in rows]


def invert3(m):
    (a, b, c), (d, e, f), (g, h, i) = m
    det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g)
    return [[(e * i - f * h) / det, (c * h - b * i) / det, (b * f - c * e) / det],
            [(f * g - d * i) / det, (a * i - c * g) / det, (c * d - a * f) / det],
            [(d * h - e * g) / det, (b * g - a * h) / det, (a * e - b * d) / det]]


def to_byte(v):
    return max(0, min(255, int(round(v))))


def rgb_to_opponent(m, rgb):
    lin = [(v / 255.0) ** GAMMA for v in rgb]
    x, y, z = (sum(m[r][c] * lin[c] for c in range(3)) for r in range(3))
    fx, fy, fz = lab_f(x), lab_f(y), lab_f(z)
    return (to_byte(2.55 * (116.0 * fy - 16.0)), to_byte(128 + 500.0 * (fx - fy)),
            to_byte(128 + 200.0 * (fy - fz)))


def opponent_to_rgb(m_inv, pab):
    xyz = bytes_to_xyz(*pab)
    lin = [sum(m_inv[r][c] * xyz[c] for c in range(3)) for r in range(3)]
    return tuple(to_byte(255.0 * max(0.0, min(1.0, v)) ** (1.0 / GAMMA)) for v in lin)


def lattice_points():
    for k in range(16):
        for j in range(16):
            for i in range(16):
                yield (i, j, k)


def corners(c, step=17):
    """The four (lattice point, weight) pairs that the tetrahedral
    interpolation of the 8-bit form reads; same rules as the C++ code."""
    q = [min(v // step, 15) for v in c]
    r = [0 if qq == 15 else v - qq * step for v, qq in zip(c, q)]
    order = sorted(range(3), key=lambda a: -r[a])
    r1, r2, r3 = (r[a] for a in order)
    point = list(q)
    out = [(tuple(point), step - r1)]
    for axis, weight, moved in ((order[0], r1 - r2, r1), (order[1], r2 - r3, r2), (order[2], r3, r3)):
        if moved > 0:
            point[axis] += 1
        out.append((tuple(point), weight))
    return out


def interpolate(table, c):
    sums = [0, 0, 0]
    for point, weight in corners(c):
        if weight:
            for t in range(3):
                sums[t] += weight * table[point][t]
    return tuple(s // 17 for s in sums)


def nudge_round_trips(forward, inverse):
    locked = set()
    for rgb, want in ROUND_TRIPS:
        pab = interpolate(forward, rgb)
        used = [(p, w) for p, w in corners(pab) if w > 0]
        for ch in range(3):
            total = sum(w * inverse[p][ch] for p, w in used)
            lo, hi = 17 * want[ch], 17 * want[ch] + 16
            if lo <= total <= hi:
                continue
            for p, w in sorted(used, key=lambda pw: -pw[1]):
                if p in locked:
                    continue
                # least change of this entry that brings the sum into [lo, hi]
                if total < lo:
                    step = -((total - lo) // w)
                else:
                    step = (hi - total) // w
                value = inverse[p][ch] + step
                if 0 <= value <= 255:
                    entry = list(inverse[p])
                    entry[ch] = value
                    inverse[p] = tuple(entry)
                    print(f"round trip {rgb}: inverse entry {p} channel {ch} {step:+d}",
                          file=sys.stderr)
                    break
            else:
                raise SystemExit(f"cannot meet round trip {rgb} -> {want}")
        locked.update(p for p, _ in used)


def check(forward, inverse):
    for point, want in FORWARD_ROWS.items():
        assert forward[point] == want, (point, forward[point], want)
    for point in lattice_points():
        if point[0] == point[1] == point[2]:
            assert forward[point][1:] == (128, 128)
    for rgb, want in ROUND_TRIPS:
        got = interpolate(inverse, interpolate(forward, rgb))
        assert got == want, (rgb, got, want)


def emit(name, table):
    flat = []
    for point in lattice_points():
        flat.extend(table[point])
    lines = [f"const uint8_t {name}[kColourCubeBytes] = {{"]
    for start in range(0, len(flat), 24):
        lines.append("    " + ", ".join(str(v) for v in flat[start:start + 24]) + ",")
    lines.append("};")
    return "\n".join(lines)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "render",
                                                                "glue_opponent_tables.cpp")
    m = solve_matrix()
    m_inv = invert3(m)
    forward = {p: rgb_to_opponent(m, tuple(17 * v for v in p)) for p in lattice_points()}
    forward.update(FORWARD_ROWS)
    inverse = {p: opponent_to_rgb(m_inv, tuple(17 * v for v in p)) for p in lattice_points()}
    nudge_round_trips(forward, inverse)
    check(forward, inverse)
    text = "\n".join([
        "// Generated by tools/gen_opponent_tables.py; do not edit.",
        "// Opponent colour space: byte-scaled L*a*b* of a power-law (1.8) RGB space.",
        '#include "render/glue_opponent.h"',
        "",
        emit("RgbToOpponentTable", forward),
        "",
        emit("OpponentToRgbTable", inverse),
        "",
    ])
    with open(target, "w") as out:
        out.write(text)


if __name__ == "__main__":
    main()
