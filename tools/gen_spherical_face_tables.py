#!/usr/bin/env python3
"""Generates the face-map tables 13, 14 and 15 of the lookup grid as C++ sources.

The "conformal dodecahedron" (net 70), the sharks and the bursts (nets 65 and
66, icosahedra) and the shard (net 67, an octahedron) draw each flat triangle
of their net by blending the triangle's three corner directions with weights
taken from a table. The weights are those that put the point onto the sphere
conformally: the blend of the corners is a point of the solid's face, its
direction the central projection of that face onto the sphere, so the table
holds

    flat weights (a, b, c)  -> conformal map of the flat triangle onto the
                               spherical triangle, corners to corners
                            -> the weights (a', b', c') of the face point
                               that lies in that direction.

A conformal map of a triangle onto a triangle with its corners given is
unique, so this is the one map with the property. Both triangles are images of
the upper half plane with the same three prevertices: the flat triangle by a
Schwarz-Christoffel integral, the spherical one (in its stereographic plane) by
Schwarz's ratio of two hypergeometric functions. Straight edges go onto great
circle arcs, so by reflection across an edge the maps of two neighbouring
faces continue each other and agree along the edge: the seams of the nets are
continuous.

Table  solid         flat angles (a, b, c)   sphere angles (a, b, c)   cell (x, y)               value
 13    icosahedron   60, 60, 60              72, 72, 72                (c, a) = (x, y)/49         (c', a')
 14    octahedron    60, 60, 60              90, 90, 90                (c, a) = (x, y)/49         (c', a')
 15    dodecahedron  36, 54, 90              36, 60, 90                (b, c) = (x, y)/29         (c', b')

Table 15's corners are the centre of a pentagon (a), a corner of the solid (b)
and an edge midpoint (c); their distances from the centre of the solid are its
in-, circum- and midradius, and the face point lies in the plane of the three.
Tables 13 and 14 hold the cells with x + y <= 49 row by row from y = 0; table
15 those with x + y <= 29, rows from y = 29 down to 0 (its first cell is
(1, 0)).

The generator checks that corners stay corners and edges stay edges, the
stated first cell of table 15, the symmetry of the regular faces and that the
map is conformal at sample points, then writes
projection/tables/lookup_table_NN.cpp. Reruns write the same bytes.

Usage: python3 tools/gen_spherical_face_tables.py [output folder [table...]].
Needs mpmath; runs the three tables on three processes (a few minutes).
"""

import math
import multiprocessing
import os
import sys

import mpmath as mp

import lookup_table_files
from lookup_table_files import f32

mp.mp.dps = 20
TINY = mp.mpf('1e-30')


def spherical_side(opposite, left, right):
    """Side of a spherical triangle from its three angles (radians): the side
    between the corners with the angles `left` and `right`."""
    return mp.acos((mp.cos(opposite) + mp.cos(left) * mp.cos(right)) / (mp.sin(left) * mp.sin(right)))


class Frame:
    """The map in one placement: corner i0 at prevertex 0, i1 at 1, i2 at infinity."""

    def __init__(self, order, flat, sphere, radii):
        self.order = order
        i0, i1, i2 = order
        # flat triangle: A = 0, B on the positive real axis, C above
        self.alpha0, self.alpha1 = flat[i0], flat[i1]
        self.B = mp.beta(self.alpha0, self.alpha1)
        side_ac = self.B * mp.sin(mp.pi * flat[i1]) / mp.sin(mp.pi * flat[i2])
        self.C = side_ac * mp.expj(mp.pi * flat[i0])
        # spherical triangle in the stereographic plane of its corner A
        lam, mu, nu = sphere[i0], sphere[i1], sphere[i2]
        self.lam = lam
        self.a = (1 - lam - mu + nu) / 2
        self.b = (1 - lam - mu - nu) / 2
        self.c = 1 - lam
        ab = spherical_side(mp.pi * nu, mp.pi * lam, mp.pi * mu)
        ac = spherical_side(mp.pi * mu, mp.pi * lam, mp.pi * nu)
        self.K = mp.tan(ab / 2) / self.schwarz(mp.mpf(1))
        corners = [(0, 0, 1),
                   (mp.sin(ab), 0, mp.cos(ab)),
                   (mp.sin(ac) * mp.cos(mp.pi * lam), mp.sin(ac) * mp.sin(mp.pi * lam), mp.cos(ac))]
        rows = [[corners[k][j] * radii[order[k]] for k in range(3)] for j in range(3)]
        self.solid = mp.matrix(rows)
        self.seeds = []
        for i in range(-12, 16):
            rho = mp.mpf(10) ** (mp.mpf(i) / 6)
            for j in range(1, 16):
                z = rho * mp.expj(mp.pi * j / 16)
                self.seeds.append((z, self.flat(z)))

    @staticmethod
    def upper(z):
        # points of the real axis are taken from the upper half plane, the side
        # the branches of the powers are continued from
        z = mp.mpc(z)
        return mp.mpc(z.real, max(z.imag, TINY))

    def flat(self, z):
        a0, a1 = self.alpha0, self.alpha1
        return z ** a0 / a0 * mp.hyp2f1(a0, 1 - a1, a0 + 1, z)

    def flat_slope(self, z):
        return z ** (self.alpha0 - 1) * (1 - z) ** (self.alpha1 - 1)

    def schwarz(self, z):
        a, b, c = self.a, self.b, self.c
        if z == 1:
            return mp.hyp2f1(a - c + 1, b - c + 1, 2 - c, 1) / mp.hyp2f1(a, b, c, 1)
        return z ** self.lam * mp.hyp2f1(a - c + 1, b - c + 1, 2 - c, z) / mp.hyp2f1(a, b, c, z)

    def prevertex(self, p):
        """The point of the upper half plane that the flat map takes to p."""
        z = min(self.seeds, key=lambda s: abs(s[1] - p))[0]
        error = abs(self.flat(z) - p)
        for _ in range(80):
            step = (self.flat(z) - p) / self.flat_slope(z)
            for _ in range(60):
                nz = self.upper(z - step)
                ne = abs(self.flat(nz) - p)
                if ne < error:
                    break
                step /= 2
            else:
                break
            z, error = nz, ne
            if error < mp.mpf('1e-17'):
                break
        if error > mp.mpf('1e-12'):
            raise RuntimeError('no prevertex for the flat point %s (error %s)' % (p, error))
        return z

    def weights(self, w):
        """Global corner weights (a', b', c') of the face point for flat weights w."""
        i0, i1, i2 = self.order
        p = w[i1] * self.B + w[i2] * self.C
        z = self.upper(self.prevertex(p))
        s = self.K * self.schwarz(z)
        q = 1 + abs(s) ** 2
        direction = mp.matrix([2 * s.real / q, 2 * s.imag / q, (1 - abs(s) ** 2) / q])
        local = mp.lu_solve(self.solid, direction)
        total = local[0] + local[1] + local[2]
        out = [0, 0, 0]
        for k in range(3):
            out[self.order[k]] = local[k] / total
        return out


class TriangleMap:
    def __init__(self, flat, sphere, radii):
        flat = [mp.mpf(v) for v in flat]
        sphere = [mp.mpf(v) for v in sphere]
        radii = [mp.mpf(v) for v in radii]
        self.frames = [Frame((r, (r + 1) % 3, (r + 2) % 3), flat, sphere, radii) for r in range(3)]

    def weights(self, w):
        w = [mp.mpf(v) for v in w]
        for k in range(3):
            if w[k] == 1:
                return [mp.mpf(1) if j == k else mp.mpf(0) for j in range(3)]
        # the corner placed at infinity is the one farthest from the point
        frame = min(self.frames, key=lambda f: w[f.order[2]])
        return frame.weights(w)


PHI = (1 + mp.sqrt(5)) / 2
DODECAHEDRON_RADII = (mp.sqrt(250 + 110 * mp.sqrt(5)) / 20,  # inradius: centre of a pentagon
                      mp.sqrt(3) * PHI / 2,                  # circumradius: a corner
                      PHI ** 2 / 2)                          # midradius: an edge midpoint

TABLES = {
    # id: (flat angles, sphere angles (in units of pi, corners a, b, c), radii, grid size)
    13: ((mp.mpf(1) / 3,) * 3, (mp.mpf(2) / 5,) * 3, (1, 1, 1), 50),
    14: ((mp.mpf(1) / 3,) * 3, (mp.mpf(1) / 2,) * 3, (1, 1, 1), 50),
    15: ((mp.mpf(1) / 5, mp.mpf(3) / 10, mp.mpf(1) / 2), (mp.mpf(1) / 5, mp.mpf(1) / 3, mp.mpf(1) / 2),
         DODECAHEDRON_RADII, 30),
}

COMMENTS = {
    13: 'Conformal map of the flat equilateral triangle onto an icosahedron face, as corner weights; 1275 pairs.',
    14: 'Conformal map of the flat equilateral triangle onto an octahedron face, as corner weights; 1275 pairs.',
    15: 'Conformal map of the 36-54-90 triangle onto the 36-60-90 triangle of a dodecahedron, as corner weights; '
        '465 pairs.',
}


def cells(table):
    """(x, y) of the stored cells in storage order."""
    n = TABLES[table][3]
    rows = range(n - 1, -1, -1) if table == 15 else range(n)
    return [(x, y) for y in rows for x in range(n - y)]


def flat_weights(table, x, y):
    """(a, b, c) of cell (x, y)."""
    last = mp.mpf(TABLES[table][3] - 1)
    if table == 15:
        b, c = x / last, y / last
        return (1 - b - c, b, c)
    c, a = x / last, y / last
    return (a, 1 - a - c, c)


def cell_value(table, weights):
    a, b, c = weights
    return (c, b) if table == 15 else (c, a)


def make_table(table):
    flat, sphere, radii, _ = TABLES[table]
    shape = TriangleMap(flat, sphere, radii)
    values = []
    for x, y in cells(table):
        values += [f32(v) for v in cell_value(table, shape.weights(flat_weights(table, x, y)))]
    return shape, values


def sphere_point(table, weights):
    """Unit direction of the face point with corner weights (a', b', c'), in
    the frame of the map's first placement."""
    frame = SHAPES[table].frames[0]
    v = frame.solid * mp.matrix([weights[0], weights[1], weights[2]])
    n = mp.sqrt(v[0] ** 2 + v[1] ** 2 + v[2] ** 2)
    return [v[0] / n, v[1] / n, v[2] / n]


SHAPES = {}


def check_conformal(table, shape):
    """The direction's partial derivatives along two perpendicular steps in the
    flat triangle are perpendicular and of one length."""
    SHAPES[table] = shape
    flat = shape.frames[0]
    h = mp.mpf('1e-7')
    for a, c in ((0.2, 0.3), (0.5, 0.1), (0.1, 0.7), (0.33, 0.33), (0.05, 0.05)):
        p = (1 - a - c) * flat.B + c * flat.C  # corner a of the first placement is at 0

        def direction(point):
            # flat weights of a point: solve p = b B + c C in the first placement
            m = mp.matrix([[flat.B.real, flat.C.real], [flat.B.imag, flat.C.imag]])
            s = mp.lu_solve(m, mp.matrix([point.real, point.imag]))
            w = [1 - s[0] - s[1], s[0], s[1]]
            return sphere_point(table, shape.weights(w))

        centre = direction(p)
        dx = [u - v for u, v in zip(direction(p + h), centre)]
        dy = [u - v for u, v in zip(direction(p + 1j * h), centre)]
        lx = mp.sqrt(sum(u * u for u in dx))
        ly = mp.sqrt(sum(u * u for u in dy))
        dot = sum(u * v for u, v in zip(dx, dy)) / (lx * ly)
        if abs(ly / lx - 1) > 1e-5 or abs(dot) > 1e-5:
            raise RuntimeError('table %d is not conformal at (%g, %g): ratio %s, cosine %s' % (table, a, c, ly / lx, dot))


def check_cells(table, values):
    stored = dict(zip(cells(table), zip(values[0::2], values[1::2])))
    n = TABLES[table][3]
    last = n - 1

    def fail(what):
        raise RuntimeError('table %d: %s' % (table, what))

    # table 15 holds its pair the other way round: (c', b') at (b, c)
    swap = table == 15
    # corners stay corners
    for (x, y) in ((0, 0), (last, 0), (0, last)):
        want = (y / last, x / last) if swap else (x / last, y / last)
        if max(abs(stored[(x, y)][0] - want[0]), abs(stored[(x, y)][1] - want[1])) > 1e-7:
            fail('corner cell (%d, %d) is %s' % (x, y, stored[(x, y)]))
    # edges stay edges: the two edges through cell (0, 0) and the long one
    for k in range(n):
        if abs(stored[(k, 0)][0 if swap else 1]) > 1e-7 or abs(stored[(0, k)][1 if swap else 0]) > 1e-7:
            fail('an edge cell leaves its edge at %d' % k)
        re, im = stored[(k, last - k)]
        if abs(re + im - 1) > 2e-7:
            fail('cell (%d, %d) leaves the long edge' % (k, last - k))
    if table == 15 and values[:2] != [1.0, 0.0]:
        fail('the first cell is %s, want (1, 0)' % values[:2])
    if table in (13, 14):
        # a regular face: the map commutes with the turns of the triangle,
        # (a, b, c) -> (b, c, a)
        for (x, y), (re, im) in stored.items():
            a, c = y, x
            b = last - a - c
            turned = stored.get((a, b))  # cell of (c, a) = (a_old, b_old)
            want_im = 1 - re - im
            if turned is None or abs(turned[0] - im) > 2e-6 or abs(turned[1] - want_im) > 2e-6:
                fail('cell (%d, %d) is not a turned copy' % (x, y))


def build(table):
    shape, values = make_table(table)
    check_conformal(table, shape)
    check_cells(table, values)
    return table, values


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'projection', 'tables')
    wanted = [int(a) for a in sys.argv[2:]] or sorted(TABLES)
    os.makedirs(folder, exist_ok=True)
    with multiprocessing.Pool(min(3, len(wanted))) as pool:
        try:
            for table, values in pool.imap(build, wanted):
                lookup_table_files.write_table(folder, table, values, COMMENTS[table], 'gen_spherical_face_tables.py')
        except RuntimeError as error:
            sys.exit(str(error))


if __name__ == '__main__':
    main()
