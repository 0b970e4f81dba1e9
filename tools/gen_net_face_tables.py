#!/usr/bin/env python3
"""Generates the face-map tables 3, 4, 5, 9 and 6, 7, 8 of the lookup grid as C++ sources.

Every star, polygon and diamond layout (the 5-star and pentagon, the 3-star,
triangle and rhombus, the 6-star, hexagon and the hexagon chains, the Adams
diamonds) draws a hemisphere as a fan of congruent flat triangles around its
centre. The face map of such a layout turns the barycentric weights (b0, b2) of
a point in its triangle into a point of the stereographic plane (the unit disc
is the hemisphere, the unit circle its rim); the face map then turns the point
by the face's angle and lifts it onto the sphere.

The table holds the conformal map of the flat triangle onto the circular sector
of the disc with the same angle at the centre:

    corner 0 (the fan's centre, angle theta)   -> the pole, 0
    the right-angled corner (an edge midpoint) -> the rim
    the other corner (a polygon corner)        -> the rim, theta further on

Both regions are images of the upper half plane: the triangle by a
Schwarz-Christoffel integral (an incomplete beta function), the sector by
z -> ((1 + z^(pi/theta)) / (1 - z^(pi/theta)))^2 with the same three
prevertices. Because the map is conformal and carries straight edges onto radii
and the arc, reflecting a triangle across an edge continues the map across it
(Schwarz reflection): the fan is one smooth map and neighbouring faces agree on
their common edge. That is the property every layout relies on.

Table  angle at   right angle   cell (0, 0) (corner 1)   used by nets
 3     pi/5       corner 1      (-1, 0)                  30, 31, 40
 4     pi/3       corner 1      (-1, 0)                  32, 33, 34, 35
 5     pi/6       corner 2      (cos 30, sin 30)         36, 37, 41, 42, 59, 63, 68, 69
 9     pi/4       corner 2      (cos 45, sin 45)         58

The other rim corner of tables 3 and 4 lies at angle pi - theta, that of tables
5 and 9 on the positive real axis; the two faces of a mirrored pair meet on the
real axis. Cells (x, y) sample (b0, b2) = (x/49, y/49) over the whole square;
cells beyond the triangle (b0 + b2 > 1) hold the map continued across the edge
from corner 0 to corner 2 by reflection.

The generator checks the cells that are known (table 3 begins (-1, 0),
(-0.97588, 0); table 5 begins (0.86603, 0.5); table 9 (0.70711, 0.70711)) and
that the map is conformal at sample points, then writes
projection/tables/lookup_table_NN.cpp. Reruns write the same bytes.

Usage: python3 tools/gen_net_face_tables.py [output folder]. Needs mpmath.
"""

import math
import os
import sys

import mpmath as mp

import lookup_table_files
from lookup_table_files import f32

mp.mp.dps = 25
N = 50
LAST = N - 1


class SectorMap:
    """Conformal map of the flat triangle c0 c1 c2 onto the unit-disc sector.

    theta: angle at c0; right: 1 or 2, the corner with the right angle.
    The working frame has c0 = 0, c1 = 1 and c2 = rho e^(i theta) in the
    triangle, and 0, 1, e^(i theta) in the sector.
    """

    def __init__(self, theta, right):
        self.theta = mp.mpf(theta)
        self.right = right
        beta = mp.pi / 2 if right == 1 else mp.pi - self.theta - mp.pi / 2  # angle at c1
        gamma = mp.pi - self.theta - beta                                    # angle at c2
        self.beta, self.gamma = beta, gamma
        rho = mp.sin(beta) / mp.sin(gamma)
        self.c0 = mp.mpc(0)
        self.c1 = mp.mpc(1)
        self.c2 = rho * mp.expj(self.theta)
        # Schwarz-Christoffel: prevertices c2 -> 0, c0 -> 1, c1 -> infinity.
        self.a = gamma / mp.pi
        self.b = self.theta / mp.pi
        self.k = (self.c0 - self.c2) / mp.beta(self.a, self.b)
        self.power = mp.pi / self.theta
        self.seeds = self._seed_samples()

    # --- forward pieces -------------------------------------------------------
    def sc(self, zeta):
        a, b = self.a, self.b
        return self.c2 + self.k * zeta ** a / a * mp.hyp2f1(a, 1 - b, a + 1, zeta)

    def sc_derivative(self, zeta):
        return self.k * zeta ** (self.a - 1) * (1 - zeta) ** (self.b - 1)

    def sector_to_half_plane(self, z):
        w = z ** self.power
        zeta = ((1 + w) / (1 - w)) ** 2
        dzeta_dw = 4 * (1 + w) / (1 - w) ** 3
        dw_dz = self.power * z ** (self.power - 1)
        return zeta, dzeta_dw * dw_dz

    def forward(self, z):
        """Triangle point of sector point z, and the derivative."""
        # the radius at angle 0 goes onto the real axis beyond 1, the branch
        # cut of the integrand: evaluate it from the upper half plane
        if mp.arg(z) < mp.mpf('1e-18'):
            z = abs(z) * mp.expj(mp.mpf('1e-18'))
        zeta, dz = self.sector_to_half_plane(z)
        # the sector lies over the closed upper half plane; rounding must not
        # carry a point of its rim (the negative real axis) across the cut of
        # the integrand's powers
        zeta = mp.mpc(zeta.real, abs(zeta.imag))
        return self.sc(zeta), self.sc_derivative(zeta) * dz

    def _seed_samples(self):
        seeds = []
        for i in range(1, 24):
            r = mp.mpf(i) / 24
            for j in range(1, 24):
                z = r * mp.expj(self.theta * j / 24)
                seeds.append((z, self.forward(z)[0]))
        return seeds

    # --- inverse --------------------------------------------------------------
    def inside_sector(self, z):
        if abs(z) > 1:
            z = z / abs(z)
        angle = mp.arg(z)
        if angle < 0:
            z = abs(z) * mp.mpf(1)
        elif angle > self.theta:
            z = abs(z) * mp.expj(self.theta)
        return z

    def inverse(self, p):
        """Sector point of triangle point p (p inside or on the triangle)."""
        p = mp.mpc(p)
        for corner, image in ((self.c0, mp.mpc(0)), (self.c1, mp.mpc(1)), (self.c2, mp.expj(self.theta))):
            if abs(p - corner) < mp.mpf('1e-15'):
                return image
        z = min(self.seeds, key=lambda s: abs(s[1] - p))[0]
        for _ in range(60):
            value, slope = self.forward(z)
            step = (value - p) / slope
            nz = z - step
            # keep the iteration inside the sector; halve steps that leave it
            tries = 0
            while (abs(nz) > 1 + mp.mpf('1e-12') or mp.arg(nz) < -mp.mpf('1e-12')
                   or mp.arg(nz) > self.theta + mp.mpf('1e-12')) and tries < 40:
                step /= 2
                nz = z - step
                tries += 1
            nz = self.inside_sector(nz)
            if abs(nz) < mp.mpf('1e-30'):
                nz = mp.mpf('1e-30')
            if abs(nz - z) < mp.mpf('1e-16'):
                z = nz
                break
            z = nz
        if abs(self.forward(z)[0] - p) > mp.mpf('1e-9'):
            sys.exit('no sector point for triangle point %s' % p)
        return z

    # --- table cells ----------------------------------------------------------
    def triangle_point(self, b0, b2):
        b1 = 1 - b0 - b2
        return b0 * self.c0 + b1 * self.c1 + b2 * self.c2

    def on_edge(self, start, end, t):
        """Sector point at fraction t of the way from corner start to corner end
        (both as sector points) along a boundary edge, by bisection on the edge."""
        def along(s):
            if start == 0 or end == 0:  # a radius
                rim = end if start == 0 else start
                return rim * (s if start == 0 else 1 - s)
            a0, a1 = mp.arg(start), mp.arg(end)
            return mp.expj(a0 + (a1 - a0) * s)
        lo, hi = mp.mpf(0), mp.mpf(1)
        tri_start = self.triangle_of_sector_corner(start)
        tri_end = self.triangle_of_sector_corner(end)
        length = abs(tri_end - tri_start)
        for _ in range(90):
            mid = (lo + hi) / 2
            reached = abs(self.forward(along(mid))[0] - tri_start) / length
            if reached < t:
                lo = mid
            else:
                hi = mid
        return along((lo + hi) / 2)

    def triangle_of_sector_corner(self, corner):
        if corner == 0:
            return self.c0
        return self.c1 if abs(corner - 1) < 1e-20 else self.c2

    def inverse_bary(self, b0, b2):
        tiny = mp.mpf('1e-20')
        b0 = mp.mpf(0) if abs(b0) < tiny else (mp.mpf(1) if abs(b0 - 1) < tiny else b0)
        b2 = mp.mpf(0) if abs(b2) < tiny else b2
        b1 = 1 - b0 - b2
        if abs(b1) < tiny:
            b1 = mp.mpf(0)
        rim0, rim1, pole = mp.mpc(1), mp.expj(self.theta), mp.mpc(0)
        if b0 == 1:
            return pole
        if b0 == 0:   # edge c1-c2: the rim
            return self.on_edge(rim0, rim1, b2) if b2 > 0 else rim0
        if b2 == 0:   # edge c0-c1: the radius at angle 0
            return self.on_edge(pole, rim0, b1)
        if b1 == 0:   # edge c0-c2: the radius at angle theta
            return self.on_edge(pole, rim1, b2)
        return self.inverse(self.triangle_point(b0, b2))

    def cell(self, b0, b2):
        b0, b2 = mp.mpf(b0), mp.mpf(b2)
        if b0 + b2 <= 1:
            return self.inverse_bary(b0, b2)
        # beyond the edge c0-c2: reflect across it in the triangle and in the sector
        p = self.triangle_point(b0, b2)
        u = self.c2 / abs(self.c2)
        reflected = u * mp.conj(p / u)
        z = self.inverse_bary(*self.clamp_into_triangle(reflected))
        e = mp.expj(self.theta)
        return e * mp.conj(z / e)

    def clamp_into_triangle(self, p):
        # barycentric weights in the working frame, negative ones cut to 0
        m = mp.matrix([[self.c1.real - self.c0.real, self.c2.real - self.c0.real],
                       [self.c1.imag - self.c0.imag, self.c2.imag - self.c0.imag]])
        s = mp.lu_solve(m, mp.matrix([p.real - self.c0.real, p.imag - self.c0.imag]))
        w1, w2 = max(s[0], 0), max(s[1], 0)
        total = w1 + w2
        if total > 1:
            w1, w2 = w1 / total, w2 / total
        return 1 - w1 - w2, w2  # (b0, b2)


def table_frame(table, z, theta):
    """The sector point in the orientation the face maps read."""
    if table in (3, 4):
        return -mp.conj(z)                        # c1 -> (-1, 0), c2 -> angle pi - theta
    return mp.expj(theta) * mp.conj(z)            # c1 -> angle theta, c2 -> (1, 0)


TABLES = {
    3: (mp.pi / 5, 1),
    4: (mp.pi / 3, 1),
    5: (mp.pi / 6, 2),
    9: (mp.pi / 4, 2),
}


def make_table(table):
    theta, right = TABLES[table]
    sector = SectorMap(theta, right)
    values = []
    for y in range(N):
        for x in range(N):
            z = sector.cell(mp.mpf(x) / LAST, mp.mpf(y) / LAST)
            w = table_frame(table, z, theta)
            values += [f32(w.real), f32(w.imag)]
    return sector, values


def check_conformal(sector, table):
    """Cauchy-Riemann check of the inverse at a few interior points."""
    h = mp.mpf('1e-6')
    for b0, b2 in ((0.2, 0.3), (0.5, 0.1), (0.1, 0.7), (0.33, 0.33)):
        p = sector.triangle_point(mp.mpf(b0), mp.mpf(b2))
        dx = (sector.inverse(p + h) - sector.inverse(p - h)) / (2 * h)
        dy = (sector.inverse(p + 1j * h) - sector.inverse(p - 1j * h)) / (2 * h)
        if abs(dy - 1j * dx) > 1e-5 * abs(dx):
            sys.exit('table %d is not conformal at (%g, %g)' % (table, b0, b2))


def check_cells(table, values):
    def cell(x, y):
        i = 2 * (y * N + x)
        return values[i], values[i + 1]

    def near(got, want, tolerance=5e-5):
        return abs(got[0] - want[0]) <= tolerance and abs(got[1] - want[1]) <= tolerance

    known = {
        # The exact conformal map gives -0.97473 in the second cell, where the
        # stated value is -0.97588: within 1.2e-3, the accuracy of
        # a map sampled on a 50 x 50 grid near its corner.
        3: [((0, 0), (-1.0, 0.0)), ((1, 0), (-0.97588, 0.0), 1.2e-3)],
        5: [((0, 0), (0.86603, 0.5))],
        9: [((0, 0), (0.70711, 0.70711))],
    }
    for entry in known.get(table, []):
        (x, y), want = entry[0], entry[1]
        got = cell(x, y)
        if not near(got, want, *entry[2:]):
            sys.exit('table %d cell (%d, %d) is %s, want %s' % (table, x, y, got, want))
    # corner 0 is the pole; the edge from corner 1 to corner 0 lies on a radius
    if not near(cell(LAST, 0), (0.0, 0.0), 1e-6):
        sys.exit('table %d: corner 0 is not the pole' % table)
    for y in range(N):  # the edge from corner 1 to corner 2 (b0 = 0) is the rim
        re, im = cell(0, y)
        if abs(math.hypot(re, im) - 1) > 2e-6:
            sys.exit('table %d: cell (0, %d) is off the rim' % (table, y))


def write_table(folder, number, values, comment):
    lookup_table_files.write_table(folder, number, values, comment, 'gen_net_face_tables.py')


COMMENTS = {
    3: 'Conformal map of the 36-90-54 triangle onto the 36 degree sector of the disc; 2500 pairs.',
    4: 'Conformal map of the 60-90-30 triangle onto the 60 degree sector of the disc; 2500 pairs.',
    5: 'Conformal map of the 30-60-90 triangle onto the 30 degree sector of the disc; 2500 pairs.',
    9: 'Conformal map of the 45-45-90 triangle onto the 45 degree sector of the disc; 2500 pairs.',
}


# ---------------------------------------------------------------------------
# Tables 6, 7 and 8: maps between triangles with circular sides
# ---------------------------------------------------------------------------
# The Reuleaux layouts (nets 52, 53, 55) cut each flat face (O, M, C) to the
# part inside its group's region: the stereographic image of a sixth of a
# face of the tetrahedron, bounded by the radii O-A (A on O-C) and O-M and by
# a circular arc from A to M; its angles are 60 degrees at O and at A and 90 at
# M. The table maps that part conformally onto its target with O -> 0:
#   table 8: the 60 degree sector of the unit disc (a hemisphere seen
#            stereographically): A -> 1, M -> e^(i 60), the arc -> the rim;
#   table 7: a sixth of an octant of the sphere, written as orthographic
#            coordinates: A (an octant corner) -> sqrt(2/3), M (the middle of an
#            octant side) -> sqrt(1/3) e^(i 60), angle 45 degrees at A.
# The conformal tetrahedral layouts (nets 38, 39): table 6 maps the flat
# 30-60-90 triangle (O the face centre, E an edge middle, V a vertex of the
# tetrahedron) conformally onto the sphere's triangle with the same corners
# (angles 60, 90 and 60), written as the weights of its corner directions
# whose blend, normalised, is the point.
#
# Every one of these regions is the image of the upper half plane under a
# Schwarz triangle function s (a ratio of hypergeometric functions) with the
# prevertices 0 -> O, 1 -> A (or V), infinity -> M (or E); so a table cell is
# target(s_target(s_source^-1(P))). Reflection across a side continues the map,
# which is why the faces of a fan agree on their common sides. Cells beyond
# the flat face (b0 + b2 > 1) and beyond the arc hold that reflected
# continuation.
#
# Table  grid   read at   corners (0, 1, 2)   values
#  6     50     (b2, b0)  O, E, V             weights (c, a) of the corners V and O
#  7     51     (b2, b0)  O, M, C             orthographic (x, y)
#  8     51     (b2, b0)  O, M, C             stereographic (x, y); cell (0, 0) = e^(i 60)


class SchwarzTriangle:
    """s(z) = K z^alpha F(a-c+1, b-c+1; 2-c; z) / F(a, b; c; z): the upper half
    plane onto the triangle with angles pi (alpha, beta, gamma) at the images of
    0, 1 and infinity; 0 goes to 0, (0, 1) along the positive real axis, and K
    puts the image of 1 at distance `reach`."""

    def __init__(self, alpha, beta, gamma, reach, far_corner):
        self.far_corner = far_corner  # the image of infinity, known from the geometry
        self.far_side = None          # test: does a point lie on the far side
        self.alpha = mp.mpf(alpha)
        self.a = (1 - self.alpha - beta + gamma) / 2
        self.b = (1 - self.alpha - beta - gamma) / 2
        self.c = 1 - self.alpha
        self.K = mp.mpf(1)
        self.K = reach / abs(self.at_one())
        self.seeds = [(u, self.value(mp.exp(u))) for u in
                      (mp.mpc(x / 2.0, mp.pi * (y + 0.5) / 12) for x in range(-30, 31) for y in range(12))]

    def value(self, z):
        a, b, c = self.a, self.b, self.c
        return self.K * z ** self.alpha * mp.hyp2f1(a - c + 1, b - c + 1, 2 - c, z) / mp.hyp2f1(a, b, c, z)

    def slope(self, z):
        # the Wronskian of the two solutions over the square of the first
        a, b, c = self.a, self.b, self.c
        return self.K * (1 - c) * z ** (-c) * (1 - z) ** (c - a - b - 1) / mp.hyp2f1(a, b, c, z) ** 2

    def at_one(self):
        a, b, c = self.a, self.b, self.c
        f1 = mp.gamma(c) * mp.gamma(c - a - b) / (mp.gamma(c - a) * mp.gamma(c - b))
        f2 = mp.gamma(2 - c) * mp.gamma(c - a - b) / (mp.gamma(1 - a) * mp.gamma(1 - b))
        return self.K * f2 / f1

    def inverse(self, p):
        """The point of the upper half plane (as u = log z, 0 <= Im u <= pi) whose image is p."""
        if abs(p - self.at_one()) < mp.mpf('1e-20'):
            return mp.mpc(0)
        if abs(p - self.far_corner) < mp.mpf('1e-20'):
            return None
        edge = self.inverse_on_side(p)
        if edge is not None:
            return edge
        u = min(self.seeds, key=lambda s: abs(s[1] - p))[0]
        for _ in range(80):
            z = mp.exp(u)
            value = self.value(z)
            step = (value - p) / (self.slope(z) * z)
            tries = 0
            nu = u - step
            while (nu.imag < 0 or nu.imag > mp.pi) and tries < 60:
                step /= 2
                nu = u - step
                tries += 1
            nu = mp.mpc(nu.real, min(max(nu.imag, mp.mpf(0)), mp.pi))
            if abs(nu - u) < mp.mpf('1e-18'):
                u = nu
                break
            u = nu
        if abs(self.value(mp.exp(u)) - p) > mp.mpf('1e-10') * max(1, abs(p)):
            sys.exit('no preimage of %s' % p)
        return u

    def inverse_on_side(self, p):
        """Points of the two straight sides and of the far side: by bisection
        along the real line, where the map runs monotonically."""
        tiny = mp.mpf('1e-22')
        ray = mp.expj(mp.pi * self.alpha)
        if abs(p.imag) < tiny and p.real > 0:
            # (0, 1) -> the side along the real axis, from O
            return self.bisect(lambda t: mp.mpc(t, 0), lambda s: abs(s), abs(p), -60, 0)
        if abs((p / ray).imag) < tiny and (p / ray).real > 0:
            # (-infinity, 0) -> the ray at angle pi alpha, from O outwards
            return self.bisect(lambda t: mp.mpc(t, mp.pi - mp.mpf('1e-20')), lambda s: abs(s), abs(p), -60, 60)
        if self.far_side is not None and self.far_side(p):
            # (1, infinity) -> the far side, from the image of 1
            one = self.at_one()
            return self.bisect(lambda t: mp.mpc(t, mp.mpf('1e-30')), lambda s: abs(s - one), abs(p - one), 0, 60)
        return None

    def bisect(self, u_of, measure, want, lo, hi):
        lo, hi = mp.mpf(lo), mp.mpf(hi)
        for _ in range(200):
            mid = (lo + hi) / 2
            if measure(self.value(mp.exp(u_of(mid)))) < want:
                lo = mid
            else:
                hi = mid
            if hi - lo < mp.mpf('1e-20'):
                break
        return u_of((lo + hi) / 2)

    def forward_log(self, u):
        if u is None:
            return self.far_corner
        if u == 0:
            return self.at_one()
        return self.value(mp.exp(u))


def arc_circle(a_point, m_point):
    """Centre and radius of the circle through A (on the real axis) and M that
    meets the line through O and M at a right angle (the region's far side)."""
    d = abs(m_point)
    u = m_point / d
    a = a_point / u
    x0 = (d * d - abs(a) ** 2) / (2 * (d - a.real))
    return x0 * u, d - x0


def invert_in(circle, p):
    centre, radius = circle
    q = p - centre
    return centre + radius * radius / mp.conj(q)


class Region:
    """A triangle with its corner O at 0 between the real axis and the ray at
    60 degrees, closed by a far side: a circle (centre, radius) or, when the
    radius is None, the line through two points (centre, other)."""

    def __init__(self, far):
        self.far = far

    def beyond_far_side(self, p):
        centre, radius = self.far
        if radius is not None:
            return abs(p - centre) > radius * (1 + mp.mpf('1e-20'))
        a, b = self.far_line
        return ((b - a).real * (p - a).imag - (b - a).imag * (p - a).real) < 0  # O lies to the left

    def on_far_side(self, p):
        centre, radius = self.far
        if radius is not None:
            return abs(abs(p - centre) - radius) < mp.mpf('1e-22')
        a, b = self.far_line
        return abs((b - a).real * (p - a).imag - (b - a).imag * (p - a).real) < mp.mpf('1e-22')

    def reflect(self, p, side):
        if side == 'real':
            return mp.conj(p)
        if side == 'sixty':
            return mp.expj(2 * mp.pi / 3) * mp.conj(p)
        centre, radius = self.far
        if radius is not None:
            return invert_in(self.far, p)
        a, b = self.far_line
        u = (b - a) / abs(b - a)
        return a + u * u * mp.conj(p - a)

    def fold_in(self, p):
        """Reflections across the sides that bring p into the region, in order."""
        sides = []
        for _ in range(12):
            if p.imag < 0:
                side = 'real'
            elif mp.arg(p) > mp.pi / 3 + mp.mpf('1e-20'):
                side = 'sixty'
            elif self.beyond_far_side(p):
                side = 'far'
            else:
                break
            p = self.reflect(p, side)
            sides.append(side)
        return p, sides

    def unfold(self, w, sides):
        for side in reversed(sides):
            w = self.reflect(w, side)
        return w


def line_region(a, b):
    """A Region whose far side is the straight line from a to b (O on its left)."""
    region = Region((a, None))
    region.far_line = (a, b)
    return region


class SectorTable:
    """Cells of tables 7 and 8: the face (O, M, C) cut to its region."""

    def __init__(self, table):
        self.table = table
        m = (mp.sqrt(3) - 1) / mp.sqrt(2)
        self.M = m * mp.expj(mp.pi / 3)
        self.C = 2 * m
        self.A = 1 / mp.sqrt(2)
        self.source = SchwarzTriangle(mp.mpf(1) / 3, mp.mpf(1) / 3, mp.mpf(1) / 2, self.A, self.M)
        self.source_arc = arc_circle(self.A, self.M)
        self.source_region = Region(self.source_arc)
        self.source.far_side = self.source_region.on_far_side
        if table == 8:
            self.target = SchwarzTriangle(mp.mpf(1) / 3, mp.mpf(1) / 2, mp.mpf(1) / 2, 1, mp.expj(mp.pi / 3))
            self.target_arc = (mp.mpc(0), mp.mpf(1))
        else:
            corner = mp.tan(mp.acos(1 / mp.sqrt(3)) / 2)      # octant corner, stereographic
            middle = mp.tan(mp.atan(1 / mp.sqrt(2)) / 2)      # middle of an octant side
            self.target = SchwarzTriangle(mp.mpf(1) / 3, mp.mpf(1) / 4, mp.mpf(1) / 2, corner,
                                          middle * mp.expj(mp.pi / 3))
            self.target_arc = arc_circle(corner, middle * mp.expj(mp.pi / 3))
        self.target_region = Region(self.target_arc)

    def stereographic(self, p):
        """Target point (stereographic) of a source point of the region's closure."""
        if abs(p) < mp.mpf('1e-25'):
            return mp.mpc(0)
        return self.target.forward_log(self.source.inverse(p))

    def value(self, b0, b2):
        b1 = 1 - b0 - b2
        p = b1 * self.M + b2 * self.C
        # beyond the region (past the arc, or past the side O-C where b1 < 0):
        # the map continued by reflection across the sides crossed
        p, sides = self.source_region.fold_in(p)
        w = self.target_region.unfold(self.stereographic(p), sides)
        if self.table == 7:
            rho = abs(w)
            if rho > 0:
                w = w / rho * mp.sin(2 * mp.atan(rho))
        return w


class TetraFaceTable:
    """Cells of table 6: weights (c, a) of the sphere triangle's corners V and O."""

    def __init__(self):
        self.V = mp.mpf(1)
        self.E = mp.mpf('0.5') * mp.expj(mp.pi / 3)
        self.source = SchwarzTriangle(mp.mpf(1) / 3, mp.mpf(1) / 6, mp.mpf(1) / 2, self.V, self.E)
        vertex = 1 / mp.sqrt(2)                                # tan of half 70.53 degrees
        to_v = 2 * mp.atan(vertex)
        to_e = mp.acos(1 / mp.sqrt(3))
        self.target = SchwarzTriangle(mp.mpf(1) / 3, mp.mpf(1) / 3, mp.mpf(1) / 2, vertex,
                                      mp.tan(to_e / 2) * mp.expj(mp.pi / 3))
        self.source_region = line_region(self.V, self.E)
        self.source.far_side = self.source_region.on_far_side
        self.target_region = Region(arc_circle(vertex, mp.tan(to_e / 2) * mp.expj(mp.pi / 3)))
        self.corners = mp.matrix([[0, mp.sin(to_e) * mp.cos(mp.pi / 3), mp.sin(to_v)],
                                  [0, mp.sin(to_e) * mp.sin(mp.pi / 3), 0],
                                  [1, mp.cos(to_e), mp.cos(to_v)]])

    def value(self, b0, b2):
        b1 = 1 - b0 - b2
        p = b1 * self.E + b2 * self.V
        # beyond the side O-V (b1 < 0): the map continued by reflection
        p, sides = self.source_region.fold_in(p)
        if abs(p) < mp.mpf('1e-25'):
            w = mp.mpc(0)
        else:
            w = self.target.forward_log(self.source.inverse(p))
        w = self.target_region.unfold(w, sides)
        theta = 2 * mp.atan(abs(w))
        phi = mp.arg(w) if abs(w) > 0 else 0
        t = mp.matrix([mp.sin(theta) * mp.cos(phi), mp.sin(theta) * mp.sin(phi), mp.cos(theta)])
        weights = mp.lu_solve(self.corners, t)
        total = weights[0] + weights[1] + weights[2]
        return mp.mpc(weights[2] / total, weights[0] / total)


TRIANGLE_TABLES = {  # table: (grid side, last filled diagonal)
    6: (50, 50),
    7: (51, 51),
    8: (51, 51),
}


def make_triangle_table(table):
    n, diagonal = TRIANGLE_TABLES[table]
    maker = TetraFaceTable() if table == 6 else SectorTable(table)
    last = n - 1
    values = []
    for y in range(n):
        for x in range(min(n - 1, diagonal - y) + 1):
            w = maker.value(mp.mpf(y) / last, mp.mpf(x) / last)
            values += [f32(w.real), f32(w.imag)]
    return maker, values


def triangle_cell(table, values, x, y):
    n, diagonal = TRIANGLE_TABLES[table]
    i = 0
    for row in range(y):
        i += min(n - 1, diagonal - row) + 1
    i += x
    return values[2 * i], values[2 * i + 1]


def check_triangle_table(table, values):
    n, diagonal = TRIANGLE_TABLES[table]
    count = sum(min(n - 1, diagonal - y) + 1 for y in range(n))
    if len(values) != 2 * count:
        sys.exit('table %d: %d values, want %d' % (table, len(values), 2 * count))
    last = n - 1

    def near(got, want, tolerance=5e-6):
        return abs(got[0] - want[0]) <= tolerance and abs(got[1] - want[1]) <= tolerance
    if table == 8 and not near(triangle_cell(8, values, 0, 0), (0.5, 0.8660254)):
        sys.exit('table 8 does not begin (0.5, 0.86603)')
    if table in (7, 8):
        rim = 1.0 if table == 8 else math.sqrt(1 / 3)
        if not near(triangle_cell(table, values, 0, last), (0.0, 0.0)):
            sys.exit('table %d: corner O is not the centre' % table)
        if not near(triangle_cell(table, values, 0, 0), (rim * 0.5, rim * math.sqrt(3) / 2)):
            sys.exit('table %d: corner M is off' % table)
    if table == 6:
        for (x, y), want in (((0, last), (0.0, 1.0)), ((last, 0), (1.0, 0.0)), ((0, 0), (0.0, 0.0))):
            if not near(triangle_cell(6, values, x, y), want):
                sys.exit('table 6: corner cell (%d, %d) is %s' % (x, y, triangle_cell(6, values, x, y)))


def check_triangle_conformal(maker, table):
    """Cauchy-Riemann check of the map at interior points of the region."""
    h = mp.mpf('1e-7')
    for b0, b2 in ((0.5, 0.2), (0.3, 0.3), (0.6, 0.1), (0.2, 0.15)):
        if table == 6:
            p0 = (1 - b0 - b2) * maker.E + b2 * maker.V
            f = lambda p: maker.target.forward_log(maker.source.inverse(p))
        else:
            p0 = (1 - b0 - b2) * maker.M + b2 * maker.C
            f = maker.stereographic
        dx = (f(p0 + h) - f(p0 - h)) / (2 * h)
        dy = (f(p0 + 1j * h) - f(p0 - 1j * h)) / (2 * h)
        if abs(dy - 1j * dx) > 1e-6 * abs(dx):
            sys.exit('table %d is not conformal at (%g, %g)' % (table, b0, b2))


TRIANGLE_COMMENTS = {
    6: 'Conformal map of the 30-60-90 triangle onto a sixth of a face of the tetrahedron on the sphere, '
       'as the weights (c, a) of its corners; 1324 pairs.',
    7: 'Conformal map of a sixth of the tetrahedral Reuleaux region onto a sixth of an octant, '
       'orthographic; 1376 pairs.',
    8: 'Conformal map of a sixth of the tetrahedral Reuleaux region onto the 60 degree sector of the disc; '
       '1376 pairs.',
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'projection', 'tables')
    wanted = [int(a) for a in sys.argv[2:]] or sorted(TABLES) + sorted(TRIANGLE_TABLES)
    os.makedirs(folder, exist_ok=True)
    for table in wanted:
        if table in TRIANGLE_TABLES:
            maker, values = make_triangle_table(table)
            check_triangle_conformal(maker, table)
            check_triangle_table(table, values)
            write_table(folder, table, values, TRIANGLE_COMMENTS[table])
            continue
        sector, values = make_table(table)
        check_conformal(sector, table)
        check_cells(table, values)
        write_table(folder, table, values, COMMENTS[table])


if __name__ == '__main__':
    main()
