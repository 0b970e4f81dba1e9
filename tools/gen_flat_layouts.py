#!/usr/bin/env python3
"""Generates the flat layouts of the star, polygon and polygon-chain outputs as
catalogue tables (nets/catalogue_flat_layouts.cpp).

A flat layout has no solid: its faces are flat triangles with a face map of
their own (projection/net_face_maps.cpp) that sends the corners of face g to
fixed directions: corner 0 to the pole of the face's hemisphere, corners 1 and
2 to its rim (the fan tables 3, 4, 5 and 9, see tools/gen_net_face_tables.py).
The layout is designed back from those maps:

1. The corner directions of every face come from the face map itself (its
   turn angle, sign and hemisphere at the table's corner values).
2. Faces are placed one by one: the first face as the table's triangle, every
   further face by reflecting an already placed face across the edge whose two
   corner directions it shares with it (the conformal fan continues across
   that edge by reflection, so the map is continuous there). Which sphere
   edges may join two faces in the plane is the layout's rule (a fan within a
   hemisphere; rims between hemispheres for the stars, tips shared by mirrored
   pairs, one rim edge for the chains).
3. Net points are the distinct placed corners; the 3-D point of a net point is
   the direction of that corner, read with the signs of the mesh (mirrorX 1 is
   undone here so the direction the renderer builds is the map's own).
4. Checks: every face congruent to the table's triangle with its labels; no
   two faces overlap; the point counts of each entry equal the catalogue's;
   every plane edge shared by two faces joins the same two directions.

Reruns write the same bytes. Usage: python3 tools/gen_flat_layouts.py [out.cpp]
"""

import cmath
import math
import os
import struct
import sys

PI = math.pi


def f32(v):
    return struct.unpack('<f', struct.pack('<f', float(v)))[0]


# ---------------------------------------------------------------------------
# sphere maps (as geometry/rotation.cpp)
# ---------------------------------------------------------------------------
def stereo_to_sphere(w):
    r2 = w.real * w.real + w.imag * w.imag
    return (-2 * w.real / (r2 + 1), -2 * w.imag / (r2 + 1), (1 - r2) / (1 + r2))


def south_pole(x, y):
    return stereo_to_sphere(complex(x / 2, y / 2))


def sphere_to_stereo(v):
    if v[2] + 1 <= 0:
        return 0j
    return complex(-v[0] / (v[2] + 1), -v[1] / (v[2] + 1))


def angle_around_origin(p, q):
    if q == 0:
        return 4.712389 if p > 0 else 1.5707964
    a = math.atan(p / q)
    if q >= 0:
        return a + PI
    if p >= 0:
        return a + 2 * PI
    return a


def complex_pow(z, p):
    if z == 0:
        return 0j
    theta = math.atan2(z.imag, z.real)
    m = math.exp(math.log(abs(z) ** 2) * p * 0.5)
    return complex(m * math.cos(theta * p), m * math.sin(theta * p))


def sphere_power(v, k):
    p = 1 / k
    x, y, z = v[0], v[2], -v[1]
    s = 1
    if z < 0:
        z, s = -z, -1
    w = sphere_to_stereo((x, y, z))
    u = complex(-w.imag, w.real)
    X, Y, Z = stereo_to_sphere(complex_pow(u, p))
    return (Y, -s * Z, -X)


def turn(alpha, w):
    return complex(math.cos(alpha), math.sin(alpha)) * w


# ---------------------------------------------------------------------------
# corner values of the fan tables and the face maps at them
# ---------------------------------------------------------------------------
FAN = {  # table: (angle at corner 0, right-angled corner)
    3: (PI / 5, 1),
    4: (PI / 3, 1),
    5: (PI / 6, 2),
    9: (PI / 4, 2),
}


def table_corner(table, corner):
    theta = FAN[table][0]
    if corner == 0:
        return 0j
    if table in (3, 4):
        return complex(-1, 0) if corner == 1 else cmath.exp(1j * (PI - theta))
    return cmath.exp(1j * theta) if corner == 1 else complex(1, 0)


def sign(g):
    return -1 if g & 1 else 1


def map30(g, w, variant):
    w = complex(w.real, w.imag * sign(g))
    a = f32(0.4 * PI * math.floor((g % 10) / 2)) + 3.4557519183
    r = turn(f32(a), w)
    d = south_pole(2 * r.real, 2 * r.imag) if variant == 0 else sphere_power(stereo_to_sphere(r), 0.5)
    return (d[0], d[1], -d[2]) if g > 9 else d


def map36(g, w, variant):
    w = complex(w.real, w.imag * sign(g))
    a = f32(PI / 3 * math.floor(((g % 12) + 1) / 2))
    if variant == 0:
        a += 0.5235987755
    r = turn(f32(a), w)
    d = south_pole(2 * r.real, 2 * r.imag) if variant == 0 else sphere_power(stereo_to_sphere(r), 0.5)
    return (d[0], d[1], -d[2]) if g > 11 else d


def map32(g, w, variant):
    w = complex(w.real, -w.imag * sign(g))
    a = f32([0, 0, -2 / 3, -2 / 3, -4 / 3, -4 / 3][g % 6] * PI)
    a = a + (4.1887903, 4.712389, -1.5707964)[variant]
    r = turn(f32(a), w)
    if variant == 1:
        d = sphere_power(stereo_to_sphere(r), 0.5)
    else:
        d = south_pole(2 * r.real, 2 * r.imag)
    if variant != 2:
        return (d[0], d[1], -d[2]) if g > 5 else d
    if g > 5:
        d = (-d[0], d[1], -d[2])
    return (-d[2], d[1], d[0])


def mirrored_half(angles, split):
    def face_map(g, w, variant):
        w = complex(w.real, w.imag * sign(g))
        r = turn(f32(angles[g] * PI), w)
        if g > split:
            r = complex(-r.real, r.imag)
        d = south_pole(2 * r.real, 2 * r.imag)
        return (d[2], d[0], -d[1]) if g > split else (-d[2], d[0], -d[1])
    return face_map


T3, TT3, FT3, FV3 = 1 / 3, 2 / 3, 4 / 3, 5 / 3
ANGLES40 = [1.08, 1.08, 1.48, 1.48, 1.88, 1.88, 2.28, 2.28, 2.68, 2.68,
            -0.08, -0.08, 0.32, 0.32, 0.72, 0.72, 1.12, 1.12, 1.52, 1.52]
ANGLES58 = [0.5, 1, 1, 1.5, 1.5, 2, 2, 0.5, 1.5, 2, 2, 0.5, 0.5, 1, 1, 1.5]
ANGLES41 = [0, T3, T3, TT3, TT3, 1, 1, FT3, FT3, FV3, FV3, 2, TT3, 1, 1, FT3, FT3, FV3, FV3, 2, 0, T3, T3, TT3]
ANGLES40 = [f32(a) for a in ANGLES40]
ANGLES58 = [f32(a) for a in ANGLES58]
ANGLES41 = [f32(a) for a in ANGLES41]


# ---------------------------------------------------------------------------
# layouts
# ---------------------------------------------------------------------------
class Layout:
    """One flat layout: faces with corner directions, placed triangles."""

    def __init__(self, name, table, face_count, face_map, variant, joins, second_piece=None):
        self.name = name
        self.second_piece = second_piece  # (first face of the second piece, face it mirrors)
        self.table = table
        self.face_count = face_count
        self.face_map = face_map
        self.variant = variant
        self.joins = joins  # joins(g, h, corner_labels_g) -> bool
        theta, right = FAN[table]
        beta = PI / 2 if right == 1 else PI - theta - PI / 2
        gamma = PI - theta - beta
        rho = math.sin(beta) / math.sin(gamma)
        self.shape = [0j, 1 + 0j, rho * cmath.exp(1j * theta)]
        self.dirs = [[face_map(g, table_corner(table, k), 0) for k in range(3)] for g in range(face_count)]
        self.place()

    def same_dir(self, a, b):
        return sum((a[i] - b[i]) ** 2 for i in range(3)) < 1e-10

    def shared(self, g, h):
        pairs = []
        for i in range(3):
            for j in range(3):
                if self.same_dir(self.dirs[g][i], self.dirs[h][j]):
                    pairs.append((i, j))
        return pairs

    def place(self):
        n = self.face_count
        self.pos = [None] * n
        self.pos[0] = list(self.shape)
        queue = [0]
        self.piece = [0] * n
        while queue or (self.second_piece and self.pos[self.second_piece[0]] is None):
            if not queue:
                # a second piece: the mirror image of its partner across the
                # vertical line through the first piece's rightmost point
                first, partner = self.second_piece
                right = max(p.real for f in range(n) if self.pos[f] is not None for p in self.pos[f])
                self.pos[first] = [complex(2 * right - p.real, p.imag) for p in self.pos[partner]]
                self.piece[first] = 1
                queue.append(first)
                continue
            g = queue.pop(0)
            for h in range(n):
                if self.pos[h] is not None:
                    continue
                pairs = self.shared(g, h)
                if len(pairs) != 2:
                    continue
                labels = tuple(sorted(i for i, _ in pairs))
                if not self.joins(self, g, h, labels):
                    continue
                (i0, j0), (i1, j1) = pairs
                a, b = self.pos[g][i0], self.pos[g][i1]
                third_g = 3 - i0 - i1
                third_h = 3 - j0 - j1
                u = (b - a) / abs(b - a)
                q = self.pos[g][third_g] - a
                reflected = a + u * (q / u).conjugate()
                place = [None] * 3
                place[j0], place[j1], place[third_h] = a, b, reflected
                self.pos[h] = place
                self.piece[h] = self.piece[g]
                queue.append(h)
        missing = [h for h in range(n) if self.pos[h] is None]
        if missing:
            sys.exit('%s: faces %s are not reached' % (self.name, missing))
        self.check_congruent()
        self.check_overlap()
        self.check_shared_edges()

    def check_congruent(self):
        for g, p in enumerate(self.pos):
            for i in range(3):
                for j in range(i + 1, 3):
                    if abs(abs(p[i] - p[j]) - abs(self.shape[i] - self.shape[j])) > 1e-9:
                        sys.exit('%s: face %d is not the table triangle' % (self.name, g))

    def check_overlap(self):
        def inside(pt, tri):
            a, b, c = tri
            def cross(o, p, q):
                return (p - o).real * (q - o).imag - (p - o).imag * (q - o).real
            d1, d2, d3 = cross(a, b, pt), cross(b, c, pt), cross(c, a, pt)
            neg = d1 < -1e-9 or d2 < -1e-9 or d3 < -1e-9
            pos = d1 > 1e-9 or d2 > 1e-9 or d3 > 1e-9
            return not (neg and pos)
        for g in range(self.face_count):
            for h in range(g + 1, self.face_count):
                tg, th = self.pos[g], self.pos[h]
                # sample points well inside each triangle
                for tri, other in ((tg, th), (th, tg)):
                    for w in ((1 / 3, 1 / 3, 1 / 3), (0.6, 0.2, 0.2), (0.2, 0.6, 0.2), (0.2, 0.2, 0.6)):
                        pt = w[0] * tri[0] + w[1] * tri[1] + w[2] * tri[2]
                        if inside(pt, other):
                            sys.exit('%s: faces %d and %d overlap' % (self.name, g, h))

    def check_shared_edges(self):
        # every plane edge shared by two faces joins the same directions
        for g in range(self.face_count):
            for h in range(g + 1, self.face_count):
                for i in range(3):
                    for j in range(3):
                        if abs(self.pos[g][i] - self.pos[h][j]) < 1e-9 and self.piece[g] == self.piece[h]:
                            if not self.same_dir(self.dirs[g][i], self.dirs[h][j]):
                                sys.exit('%s: faces %d and %d meet at a point of two directions'
                                         % (self.name, g, h))


def star(split, tip_edge):
    """Stars: a full fan in the first hemisphere, the second hemisphere's faces
    hang off the rim and meet only their mirrored partner at the tip."""
    def joins(layout, g, h, labels):
        gs, hs = g > split, h > split
        if not gs and not hs:
            return labels != (1, 2)
        if gs != hs:
            return labels == (1, 2)
        return labels == tip_edge
    return joins


def chain(split):
    """Two fans joined at the first rim edge met: the second fan grows from
    the one face placed across it."""
    def joins(layout, g, h, labels):
        gs, hs = g > split, h > split
        if gs == hs:
            return labels != (1, 2)
        other_placed = any(layout.pos[f] is not None for f in range(layout.face_count) if (f > split) == hs)
        return labels == (1, 2) and not other_placed
    return joins


def separate(split):
    """Two fans, one per hemisphere, as two pieces."""
    def joins(layout, g, h, labels):
        return (g > split) == (h > split) and labels != (1, 2)
    return joins


def net_points(layout, faces, order):
    """Distinct corners of the listed faces (per piece), numbered by `order`."""
    points = []
    for g in faces:
        for k in range(3):
            p = layout.pos[g][k]
            if not any(abs(p - q[0]) < 1e-9 and q[2] == layout.piece[g] for q in points):
                points.append((p, layout.dirs[g][k], layout.piece[g]))
    points = order(points)
    lists = []
    for g in faces:
        row = []
        for k in range(3):
            p = layout.pos[g][k]
            row.append(next(i for i, q in enumerate(points) if abs(p - q[0]) < 1e-9 and q[2] == layout.piece[g]))
        lists.append(row)
    return [(q[0], q[1]) for q in points], lists


def first_seen(points):
    return points


def by_angle_ending_on_tip(points):
    """Centre first, then around the centre starting just after a polygon corner,
    nearer points first at equal angles (the pentagon's corners then all come
    before the last tip)."""
    centre = points[0][0]
    rest = points[1:]
    radius = lambda p: abs(p[0] - centre)
    far = max(radius(p) for p in rest)
    rings = sorted(set(round(radius(p), 9) for p in rest))
    # polygon corners: the ring that is neither the innermost nor the tips
    corner_ring = rings[1] if len(rings) == 3 else None
    corners = [p for p in rest if round(radius(p), 9) == corner_ring]
    start = min(cmath.phase(p[0] - centre) for p in corners) - 1e-6

    def key(p):
        a = (cmath.phase(p[0] - centre) - start) % (2 * PI)
        return (round(a, 6), radius(p))
    return [points[0]] + sorted(rest, key=key)


# ---------------------------------------------------------------------------
# fan layouts whose maps bend the fan by a power (nets 34, 42, 59, 68, 69)
# ---------------------------------------------------------------------------
def rotate_x(v, a):
    c, s = math.cos(a), math.sin(a)
    return (v[0], v[2] * s + v[1] * c, v[2] * c - v[1] * s)


def rotate_y(v, a):
    c, s = math.cos(a), math.sin(a)
    return (v[2] * s + v[0] * c, v[1], v[2] * c - v[0] * s)


def map34(g, w, variant):
    w = complex(w.real, w.imag * (-1, 1, 1, -1)[g])
    a = f32(f32((-4 / 3, -4 / 3, -2 / 3, -2 / 3)[g] * PI) - 1.5707964)
    r = complex_pow(turn(a, w), 3.0)
    x, y, z = south_pole(2 * r.real, 2 * r.imag)
    return (x, -z if g <= 1 else z, y)


S6 = 1 / 6
ANGLES42 = [f32(a) for a in (
    5 * S6, 7 * S6, 7 * S6, 1.5, 1.5, 11 * S6, 11 * S6, 13 * S6, 13 * S6, 2.5, 2.5, 17 * S6,
    11 * S6, 13 * S6, 13 * S6, 2.5, 2.5, 17 * S6, 17 * S6, 19 * S6, 7 * S6, 1.5, 1.5, 11 * S6,
    -S6, S6, S6, 0.5, 0.5, 5 * S6, 5 * S6, 7 * S6, 7 * S6, 1.5, 1.5, 11 * S6)]
ANGLES69 = [f32(a) for a in (
    0.5, 5 * S6, 5 * S6, 7 * S6, 7 * S6, 1.5, 1.5, 11 * S6, 11 * S6, 13 * S6, 13 * S6, 2.5,
    7 * S6, 1.5, 1.5, 11 * S6, 11 * S6, 13 * S6, 13 * S6, 2.5, 0.5, 5 * S6, 5 * S6, 7 * S6,
    7 * S6, 1.5, 1.5, 11 * S6, 11 * S6, 13 * S6, 13 * S6, 2.5, 2.5, 17 * S6, 17 * S6, 19 * S6)]
ANGLES59 = [f32(a) for a in (0, T3, 0, T3, T3, TT3, T3, TT3, TT3, 1, TT3, 1,
                             1, FT3, 1, FT3, FT3, FV3, FT3, FV3, FV3, 2, FV3, 2)]


def powered_hexagon(angles, g, w):
    w = complex(w.real, w.imag * sign(g))
    r = turn(f32(angles[g] * PI), w)
    return sphere_power(stereo_to_sphere(r), 1.5)


def map42(g, w, variant):
    v = rotate_y(powered_hexagon(ANGLES42, g, w), (g // 12) * 6.283185307179586 / 3)
    return (v[0], -v[2], v[1])


def map69(g, w, variant):
    v = powered_hexagon(ANGLES69, g, w)
    m = g // 12 + 2
    return v if m == 3 else rotate_y(v, m * 6.283185307179586 / (-3))


def map59(g, w, variant):
    w = complex(w.real, w.imag * sign(g))
    r = turn(f32(f32(ANGLES59[g] * PI) + 0.5235987755), w)
    e = south_pole(2 * r.real, 2 * r.imag)
    v = (e[0], -e[2] if g & 2 else e[2], -e[1])
    return rotate_x(sphere_power(v, 0.333333333), -0.5235987755982988)


def edge_middle(table, labels):
    """The table value at the middle of the image of a face edge: half way
    along a fan radius, or the middle of the rim arc."""
    c1, c2 = table_corner(table, 1), table_corner(table, 2)
    if labels == (0, 1):
        return 0.5 * c1
    if labels == (0, 2):
        return 0.5 * c2
    return cmath.exp(0.5j * (cmath.phase(c1) + cmath.phase(c2)))


class SeamCheckedLayout(Layout):
    """A fan layout whose faces join only across edges of the same labels
    whose whole image agrees: the corners and the middle of the edge map to
    the same directions from both faces. (Powered maps send the corners of
    two different edges to the same directions.)"""

    def same_dir(self, a, b):
        # the powers bend single-precision turns by up to 1e-5 at the cone points
        return sum((a[i] - b[i]) ** 2 for i in range(3)) < 1e-8

    def shared(self, g, h):
        same = [i for i, j in Layout.shared(self, g, h) if i == j]
        for a in range(len(same)):
            for b in range(a + 1, len(same)):
                labels = tuple(sorted((same[a], same[b])))
                w = edge_middle(self.table, labels)
                if not self.same_dir(self.face_map(g, w, 0), self.face_map(h, w, 0)):
                    continue
                if self.joins(self, g, h, labels):
                    return [(labels[0], labels[0]), (labels[1], labels[1])]
        return []


def rhombus1_entry(rhombus2, turn_to, mirrored):
    """Rhombus 1: two faces a hemisphere, joined along the radius to the
    pole's right-angled corner, the hemispheres across the rim. Its rhombus
    is the rhombus of rhombus 2 (the same shape), so its corners are drawn
    from that layout's net points: the poles on its obtuse corners, the tips
    on its acute ones. `turn_to` is the far corner of rhombus 2 that face 0's
    tip goes to (0 the leftmost, 1 the rightmost); `mirrored` reflects the
    layout first."""
    def joins(layout, g, h, labels):
        if (g > 1) == (h > 1):
            return labels == (0, 1)
        return labels == (1, 2)
    layout = SeamCheckedLayout('rhombus 1', 4, 4, map34, 0, joins)
    pts2, _ = net_points(rhombus2, range(12), first_seen)
    xs = [p.real for p, _ in pts2]
    far = sorted((p for p, _ in pts2 if min(abs(p.real - x) for x in (min(xs), max(xs))) < 1e-9),
                 key=lambda p: p.real)
    centre = (far[0] + far[1]) / 2
    own_centre = layout.pos[0][1]
    tip = layout.pos[0][2] - own_centre
    if mirrored:
        tip = tip.conjugate()
    k = (far[turn_to] - centre) / tip

    def place(p):
        q = p - own_centre
        return centre + k * (q.conjugate() if mirrored else q)
    points = [[p, d] for p, d in pts2]
    lists = []
    for g in range(4):
        row = []
        for c in range(3):
            q = place(layout.pos[g][c])
            i = next((i for i, (p, _) in enumerate(points) if abs(p - q) < 1e-9), None)
            if i is None:
                sys.exit('rhombus 1: face %d corner %d is not a net point of rhombus 2' % (g, c))
            points[i][1] = layout.dirs[g][c]
            row.append(i)
        lists.append(row)
    if len(set(i for row in lists for i in row)) != 5:
        sys.exit('rhombus 1: the faces do not name five net points')
    return layout, [tuple(p) for p in points], lists


def upright(layout, centre, up, right):
    """Turns (and if need be reflects) the placed layout so that, at the net
    point whose direction is `centre`, the neighbouring corner nearest the
    direction `up` lies straight up the net (+y) and the one nearest `right`
    to the right (+x): the view shows upright and unmirrored there, as on the
    other layouts (towards -y on the sphere is up the net, towards -x is
    right)."""
    def dot(a, b):
        return sum(a[i] * b[i] for i in range(3))
    g, k = next((g, k) for g in range(layout.face_count) for k in range(3)
                if layout.same_dir(layout.dirs[g][k], centre))
    origin = layout.pos[g][k]
    around = [(layout.pos[f][c], layout.dirs[f][c]) for f in range(layout.face_count) for c in range(3)
              if any(abs(layout.pos[f][j] - origin) < 1e-9 for j in range(3))
              and abs(layout.pos[f][c] - origin) > 1e-9]
    to_up = max(around, key=lambda q: dot(q[1], up))[0] - origin
    to_right = max(around, key=lambda q: dot(q[1], right))[0] - origin
    mirrored = (to_right.conjugate() * to_up).imag < 0
    if mirrored:
        to_up = to_up.conjugate()
    rot = 1j * abs(to_up) / to_up
    layout.pos = [[rot * (q.conjugate() if mirrored else q) for q in face] for face in layout.pos]
    return layout


def hexagon_chain(name, face_map, bridges, view):
    """Three hexagons of twelve faces (fans of table 5, one per sphere lune),
    whole in the plane: faces of a hexagon join across their radii, two
    hexagons only across the rim edges of the face pairs in `bridges` (the
    two halves of one hexagon side). `view` is the (centre, up, right) of
    `upright`."""
    pairs = set(bridges) | set((h, g) for g, h in bridges)

    def joins(layout, g, h, labels):
        if g // 12 == h // 12:
            return labels != (1, 2)
        return labels == (1, 2) and (g, h) in pairs
    return upright(SeamCheckedLayout(name, 5, 36, face_map, 0, joins), *view)


def pointy_layout():
    """Pointy: eight faces, four about each pole of the map. The four faces
    about the rim point nearest the front (their right-angled corners) make
    a rhombus with the poles as its sharp tips; each of the other four faces
    folds out across the long side it shares with one of them, so the point
    opposite the front shows on the four points of the star."""
    front = [g for g in range(8) if map59(g, table_corner(5, 2), 0)[2] > 0]

    def joins(layout, g, h, labels):
        if (g in front) != (h in front):
            return labels == (0, 1)
        return g in front and labels != (0, 1)
    layout = SeamCheckedLayout('pointy', 5, 8, map59, 0, joins)
    return upright(layout, layout.dirs[front[0]][2], (0, -1, 0), (-1, 0, 0))


# ---------------------------------------------------------------------------
# cube layouts: faces of the unit cube cut into eighths (centre, edge
# midpoint, corner), drawn through the cube-face warp (table 2)
# ---------------------------------------------------------------------------
class ShurikenLayout:
    """A layout of cube-face eighths. Each face is listed as (centre, edge
    midpoint, corner), the order the warp reads its weights in; the 3-D point
    of a net point is its point on the cube [-1, 1]^3 (not normalised), so
    blending the corners with the warped weights gives the cube face's own
    plane point and the direction is the conformal cube map."""

    def __init__(self, name, squares, tips):
        self.name = name
        self.table = 2
        self.piece_faces = []  # [(plane corners, cube corners)]
        for origin, frame in squares:
            self.add_square(origin, frame)
        for tip in tips:
            self.add_tip(*tip)
        self.face_count = len(self.piece_faces)
        self.pos = [list(f[0]) for f in self.piece_faces]
        self.dirs = [list(f[1]) for f in self.piece_faces]
        self.piece = [0] * self.face_count
        self.check()

    def add_square(self, origin, frame):
        # frame(u, v) -> cube point of plane offset (u, v) in [-1, 1]^2 from origin
        for sx, sy in ((1, 1), (-1, 1), (-1, -1), (1, -1)):
            for swap in (False, True):
                e = (0, sy) if swap else (sx, 0)
                k = (sx, sy)
                plane = [origin, origin + complex(*e), origin + complex(*k)]
                cube = [frame(0, 0), frame(*e), frame(*k)]
                self.piece_faces.append((plane, cube))

    def add_tip(self, centre, edge_mid, corners, frame):
        # two eighths of a face across a cube edge: the face centre at
        # `centre`, the edge midpoint and the two corners on the edge
        for k in corners:
            plane = [centre, edge_mid, k]
            cube = [frame(p) for p in plane]
            self.piece_faces.append((plane, cube))

    def check(self):
        for g, (plane, cube) in enumerate(self.piece_faces):
            # corner 0 a face centre (one coordinate +-1), 1 an edge midpoint
            # (two), 2 a cube corner (three)
            for k, want in enumerate((1, 2, 3)):
                if sum(1 for c in cube[k] if abs(abs(c) - 1) < 1e-12) != want:
                    sys.exit('%s: face %d corner %d is not on the cube as its label says' % (self.name, g, k))
            # the plane triangle is congruent to the cube triangle
            for i in range(3):
                for j in range(i + 1, 3):
                    a = abs(plane[i] - plane[j])
                    b = math.sqrt(sum((cube[i][n] - cube[j][n]) ** 2 for n in range(3)))
                    if abs(a - b) > 1e-9:
                        sys.exit('%s: face %d is not the cube triangle' % (self.name, g))
        Layout.check_overlap(self)
        # a plane point shared by two faces is one cube point
        for g in range(self.face_count):
            for h in range(g + 1, self.face_count):
                for i in range(3):
                    for j in range(3):
                        if abs(self.pos[g][i] - self.pos[h][j]) < 1e-9 and self.dirs[g][i] != self.dirs[h][j]:
                            sys.exit('%s: faces %d and %d meet at two cube points' % (self.name, g, h))


def shuriken_layout(orient=(-1, -1, 1)):
    """The cross of five cube faces (front in the middle, the four side faces
    around it) with the back face cut into quarters, one on the outer edge of
    each side face as the star's points. `orient` scales the cube's axes: the
    cube's x and y run against the plane's (a half turn about the front
    face's axis) so that the front face shows the view upright."""
    def oriented(c):
        return tuple(float(a) * f + 0.0 for a, f in zip(c, orient))

    def frame(fn):
        return lambda u, v: oriented(fn(u, v))
    squares = [
        (0j, frame(lambda u, v: (u, v, 1))),
        (2 + 0j, frame(lambda u, v: (1, v, -u))),
        (-2 + 0j, frame(lambda u, v: (-1, v, u))),
        (2j, frame(lambda u, v: (u, 1, -v))),
        (-2j, frame(lambda u, v: (u, -1, v))),
    ]
    tips = []
    # the back face across the outer edge of each side face: plane point
    # (3 + s, y) -> cube (1 - s, y, -1) on the right, turned for the others
    for turn_k in range(4):
        rot = 1j ** turn_k

        def back(p, rot=rot):
            q = p / rot  # back to the right-hand arm's frame
            c = complex(1 - (q.real - 3), q.imag) * rot  # quarter turns about z with the arm
            return oriented((round(c.real, 12), round(c.imag, 12), -1))
        centre = 4 * rot
        edge_mid = 3 * rot
        corners = [(3 + 1j) * rot, (3 - 1j) * rot]
        tips.append((centre, edge_mid, corners, back))
    return ShurikenLayout('shuriken', squares, tips)


# ---------------------------------------------------------------------------
# square layouts of the lobed shapes: the shape folds each point onto its
# reference lobe and bends it by a power, u = scale * w^(c / (2 divisor)), so
# one lobe is the wedge of the net plane with its apex at the layout's centre,
# opening pi / divisor about the direction the kind looks the net up in. The
# sphere power then opens the lune the wedge shows from pi / divisor to 2 pi / c
# about the lune's axis. A square layout therefore puts the pole of that axis
# at the centre of its box, the wedge's two rays on two half meridians of the
# pole that a turn by pi / divisor about the axis maps onto each other (the two
# borders of a lobe join the neighbouring lobes there), and the lune's faces
# inside the wedge, with the far pole on the wedge's middle direction.
# ---------------------------------------------------------------------------
def lobe_layout(layout, name, centre, turn_deg, mirrored):
    """A copy of a placed layout moved so that `centre` is the origin, reflected
    across the x axis when `mirrored` (the view then reads unmirrored), and
    turned by `turn_deg`."""
    rot = cmath.exp(1j * math.radians(turn_deg))

    def place(p):
        q = p - centre
        q = q.conjugate() if mirrored else q
        q = rot * q
        return complex(round(q.real, 12) + 0.0, round(q.imag, 12) + 0.0)
    copy = Layout.__new__(type(layout))
    copy.__dict__.update(layout.__dict__)
    copy.name = name
    copy.pos = [[place(p) for p in face] for face in layout.pos]
    return copy


def astercurve_layout(six):
    """The 6-star for the astercurves (lune of pi / 3 about the star's centre,
    the pole of the hexagon's hemisphere): two hexagon faces about a spoke
    to a side's middle and the tip across that side, a rhombus from the pole
    to the far pole; the spokes to the hexagon's corners are its borders. The
    star is reflected (the view then reads unmirrored) and turned to put a
    tip on the wedge's middle, +x; of the two turns that do so without a seam
    this one shows north up."""
    return lobe_layout(six, 'astercurve', six.pos[0][0], 30, True)


def phenyl_layout(hexagons, first, theta, turn_sign, mirrored):
    """The three hexagons of net 42's map (each a lune of 2 pi / 3 about the
    z axis, its poles on two opposite rim points) for the phenyl cross, whose
    wedge opens 2 pi / 3 at the pole: each hexagon is drawn with its poles on
    two opposite corners, where its angle is then the lune's own, so the
    faces keep their fan about the hexagon's centre but trade places on the
    rim (the points at the sides' middles go to the corners, those at the
    corners to the sides' middles). The three hexagons meet at their north
    pole, at the origin, in the order of their lunes about the pole; hexagon
    `first` lies on the direction `theta` (degrees) from it, the lookup wedge's
    middle. The box the shape is fitted by has the pole at its centre and the
    far pole of the hexagon on a side."""
    def same(a, b):
        return sum((a[i] - b[i]) ** 2 for i in range(3)) < 1e-8
    north = (0.0, 0.0, 1.0)
    pos = [None] * hexagons.face_count
    for m in range(3):
        faces = range(12 * m, 12 * m + 12)
        centre = hexagons.pos[12 * m][0]

        def local(f, k):
            q = hexagons.pos[f][k] - centre
            if k == 0:
                return 0j
            q = q / abs(q) * (1.0 if k == 2 else math.sqrt(3) / 2)
            return q.conjugate() if mirrored else q
        pole = next(local(f, 2) for f in faces if same(hexagons.dirs[f][2], north))
        az = math.degrees(math.atan2(hexagons.dirs[12 * m][0][1], hexagons.dirs[12 * m][0][0]))
        az0 = math.degrees(math.atan2(hexagons.dirs[12 * first][0][1], hexagons.dirs[12 * first][0][0]))
        angle = math.radians(theta + turn_sign * (az - az0))
        rot = cmath.exp(1j * angle) / (-pole)
        for f in faces:
            pos[f] = []
            for k in range(3):
                q = (local(f, k) - pole) * rot
                pos[f].append(complex(round(q.real, 12) + 0.0, round(q.imag, 12) + 0.0))
    copy = Layout.__new__(type(hexagons))
    copy.__dict__.update(hexagons.__dict__)
    copy.name = 'phenyl'
    copy.pos = pos
    copy.outline_box = lambda: (-math.sqrt(3), math.sqrt(3), -2.0, 2.0)
    Layout.check_overlap(copy)
    Layout.check_shared_edges(copy)
    return copy


# ---------------------------------------------------------------------------
# the catalogue entries
# ---------------------------------------------------------------------------
def build_entries():
    entries = []

    def entry(nets, layout, faces, variant_map, order, points_want, mirror):
        pts, lists = net_points(layout, faces, order)
        if len(pts) != points_want:
            sys.exit('%s: %d net points, the catalogue has %d' % (nets, len(pts), points_want))
        entries.append((nets, layout, pts, lists, variant_map, mirror))
        return pts, lists

    five = Layout('5-star', 3, 20, map30, 0, star(9, (0, 1)))
    pts30, lists30 = net_points(five, range(20), by_angle_ending_on_tip)
    if len(pts30) != 16 or max(max(l) for l in lists30[:10]) + 1 != 15:
        sys.exit('nets 30/31: point counts differ from the catalogue')
    entries.append(((30, 31), five, pts30, lists30, None, 0))

    three = Layout('3-star', 4, 12, lambda g, w, v: map32(g, w, 0), 0, star(5, (0, 1)))
    pts32, lists32 = net_points(three, range(12), first_seen)
    if len(pts32) != 10 or max(max(l) for l in lists32[:6]) + 1 != 7:
        sys.exit('nets 32/33: point counts differ from the catalogue')
    entries.append(((32, 33), three, pts32, lists32, None, 0))

    rhombus = Layout('rhombus 2', 4, 12, lambda g, w, v: map32(g, w, 2), 0, chain(5))
    entry((35,), rhombus, range(12), None, first_seen, 11, 0)

    six = Layout('6-star', 5, 24, map36, 0, star(11, (0, 2)))
    entry((36,), six, range(24), None, first_seen, 19, 0)
    entry((37,), six, range(12), lambda g, w: map36(g, w, 1), first_seen, 13, 0)

    pentalene = Layout('pentalene', 3, 20, mirrored_half(ANGLES40, 9), 0, chain(9))
    entry((40,), pentalene, range(20), None, first_seen, 19, 0)

    diamonds = Layout('Adams diamonds', 9, 16, mirrored_half(ANGLES58, 7), 0, separate(7), (8, 0))
    entry((58,), diamonds, range(16), None, first_seen, 18, 0)

    naphthalene = Layout('naphthalene', 5, 24, mirrored_half(ANGLES41, 11), 0, chain(11))
    entry((41,), naphthalene, range(24), None, first_seen, 23, 0)

    rhombus1, pts34, lists34 = rhombus1_entry(rhombus, 1, False)
    entries.append(((34,), rhombus1, pts34, lists34, None, 0))

    # the outer hexagons on two sides of the middle one with one side between
    # (the hexagons are lunes about the view axis: the view is set upright at
    # the hexagon about the nadir, the front above it as when looking down)
    phenanthrene = hexagon_chain('phenathene', map42, ((1, 12), (2, 23), (19, 24), (20, 35)),
                                 ((0, -1, 0), (0, 0, -1), (-1, 0, 0)))
    entry((42,), phenanthrene, range(36), None, first_seen, 33, 0)
    # the outer hexagons on opposite sides of the middle one
    # (lunes about the vertical: the view is set upright at the front)
    anthracene = hexagon_chain('anthracene', map69, ((7, 12), (8, 23), (17, 34), (18, 33)),
                               ((0, 0, 1), (0, -1, 0), (-1, 0, 0)))
    entry((69,), anthracene, range(36), None, first_seen, 33, 0)

    pointy = pointy_layout()
    entry((59,), pointy, range(8), None, first_seen, 9, 0)

    shuriken = shuriken_layout()
    entry((43, 61), shuriken, range(48), None, first_seen, 37, 1)
    entry((63,), astercurve_layout(six), range(24), None, first_seen, 19, 0)
    # the phenyl cross: hexagon 0 is the lune about the direction the sphere
    # power of the shape leaves in place, so the lune keeps clear of the
    # power's cut (the shape then shows north to the right, as its turns fix)
    entry((68,), phenyl_layout(phenanthrene, 0, 210, 1, False), range(36), None, first_seen, 31, 0)
    entries += reuleaux_entries()
    entries += tetra_entries()
    return entries


# ---------------------------------------------------------------------------
# the Reuleaux layouts (nets 52-56): tetrahedral and octahedral sectors
# ---------------------------------------------------------------------------
# Each group of six faces (k = g div 6) draws one sector of the sphere: the
# stereographic image of a face region of the tetrahedron (nets 52-55, a
# Reuleaux triangle) or of the octahedron (net 56). A group is a triangle
# around its centre O cut into six faces (O, M, C): M the midpoint of a side,
# C a corner. The region touches each side at M and has its corners A on the
# segments O-C; the face maps cut away the rest of the triangle. The 3-D
# point of a net point is its place in the group's own triangle (the plane
# point the face maps read), so every group carries the same seven 3-D points.
# Groups are joined along triangle sides where their regions meet on the
# sphere: the one point M where the sides touch maps to the same direction
# from both. The second group's triangle is the first's mirrored across the
# side and turned within itself so that the two corners A beside M keep their
# directions: the second sector then continues the first there.
TETRA_M = (math.sqrt(3) - 1) / math.sqrt(2)          # side midpoints of the tetrahedral region
TETRA_A = 1 / math.sqrt(2)                            # its corners
OCTA_M = math.sqrt((1 - math.sqrt(2 / 3)) / (1 + math.sqrt(2 / 3)))   # of the octant
OCTA_A = TETRA_M
SECTOR_ANGLES = [f32(a) for a in (0, 4 / 3, 4 / 3, 2 / 3, 2 / 3, 0)]

# Face f of a group: (angle of its M, angle of its C) in degrees; corners are
# listed (O, M, C). Faces f and the table's turn B[f] agree: the table's real
# axis is the side O-A of faces 0 and 5.
GROUP_FACES = [(120, 180), (120, 60), (0, 60), (0, 300), (240, 300), (240, 180)]


def rot_x(v, a):
    c, s = math.cos(a), math.sin(a)
    return (v[0], v[2] * s + v[1] * c, v[2] * c - v[1] * s)


def rot_y(v, a):
    c, s = math.cos(a), math.sin(a)
    return (v[2] * s + v[0] * c, v[1], v[2] * c - v[0] * s)


def rot_z(v, a):
    c, s = math.cos(a), math.sin(a)
    return (v[0] * c - v[1] * s, v[0] * s + v[1] * c, v[2])


def tetra_sphere_point(p):
    v = stereo_to_sphere(p)
    return (-v[0], v[1], v[2])


def place_sector(q, k):
    j = k % 4
    a, b, c = ((q[2], q[1], -q[0]), (q[0], q[1], q[2]), (-q[2], q[1], q[0]), (-q[0], q[1], -q[2]))[j]
    return (a, b, c) if k <= 3 else (-c, -b, -a)


def map54(k, p):
    w = rot_x(rot_z(tetra_sphere_point(p), 0.5235987755982989), 0.3398369094541219)
    if k == 2:
        w = rot_y((-w[0], w[1], w[2]), 2.0943951023931953)
    elif k == 3:
        w = rot_y((-w[0], w[1], w[2]), -2.0943951023931953)
    elif k == 1:
        w = rot_x(w, 1.2309594173407747)
        w = (w[0], -w[1], w[2])
    w = rot_y(rot_x(w, 1.2309594173407747), 1.0471975511965979)
    return (w[0], -w[2], w[1])


def map56(k, p):
    w = rot_x(rot_z(tetra_sphere_point(p), 1.5707963267948966), -0.6154797086703874)
    return place_sector(w, k)


def sector_turn(g, value, extra=0.0):
    t = complex(value.real, value.imag * -sign(g))
    alpha = f32(SECTOR_ANGLES[g % 6] * PI)
    if extra:
        alpha = f32(alpha + extra)
    return turn(alpha, t)


def map55(g, value):
    r = sector_turn(g, value)
    q = (r.real, r.imag, math.sqrt(max(0.0, 1 - abs(r) ** 2)))
    q = rot_x(rot_z(q, 0.5235987755982989), -0.6154797086703874)
    return place_sector(q, g // 6)


def map52(g, value, variant):
    k = g // 6
    extra = 0.0
    if variant == 2:
        extra = 2.0943952 * (2 if k == 1 else 1)
    r = sector_turn(g, value, extra)
    q = rot_z(stereo_to_sphere(r), 0.5235987755982989)
    if variant == 1:
        return sphere_power(q, 0.5)
    if k == 1:
        return (-q[0], -q[2], -q[1])
    return (q[0], q[2], -q[1])


class SectorLayout:
    """Groups of six faces placed as triangles of the triangular grid."""

    def __init__(self, name, table, groups, m_radius, a_radius, direction, turn_degrees=0):
        self.name = name
        self.turn = cmath.exp(1j * math.radians(turn_degrees))  # of the whole layout
        self.table = table
        self.groups = groups
        self.m = m_radius
        self.a = a_radius
        self.direction = direction  # direction(g, label, plane point) -> unit vector
        self.place()

    def canonical(self, angle, radius):
        return radius * cmath.exp(1j * math.radians(angle))

    def face_points(self, f):
        m_angle, c_angle = GROUP_FACES[f]
        return [0j, self.canonical(m_angle, self.m), self.canonical(c_angle, 2 * self.m)]

    def label_direction(self, k, label, angle):
        """Direction of group k at its point M (label 'M') or A ('A') at angle."""
        for f, (m_angle, c_angle) in enumerate(GROUP_FACES):
            if (label == 'M' and m_angle == angle) or (label == 'A' and c_angle == angle):
                radius = self.m if label == 'M' else self.a
                return self.direction(6 * k + f, label, self.canonical(angle, radius))
        raise ValueError(angle)

    def place(self):
        # placements: z -> a z + b, or a conj(z) + b when flipped
        symmetries = [(cmath.exp(1j * math.radians(t)), False) for t in (0, 120, 240)] + \
                     [(cmath.exp(2j * math.radians(t)), True) for t in (0, 60, 120)]
        self.place_of = {0: (1 + 0j, 0j, False)}
        queue = [0]
        while queue:
            k = queue.pop(0)
            for m_angle in (0, 120, 240):
                for other in range(self.groups):
                    if other in self.place_of:
                        continue
                    found = self.join(k, m_angle, other, symmetries)
                    if found is not None:
                        self.place_of[other] = found
                        queue.append(other)
                        break
        missing = [k for k in range(self.groups) if k not in self.place_of]
        if missing:
            sys.exit('%s: groups %s are not reached' % (self.name, missing))

    def apply(self, placement, z):
        a, b, flipped = placement
        return a * (z.conjugate() if flipped else z) + b

    def join(self, k, m_angle, other, symmetries):
        """Placement of group `other` mirrored across side m_angle of group k,
        when the two regions meet there; None otherwise."""
        want_m = self.label_direction(k, 'M', m_angle)
        corners = [(m_angle + s) % 360 for s in (60, 300)]  # the corners A beside M
        here = self.place_of[k]
        c0 = self.apply(here, self.canonical(m_angle + 60, 2 * self.m))
        c1 = self.apply(here, self.canonical(m_angle - 60, 2 * self.m))
        u = (c1 - c0) / abs(c1 - c0)
        for rotation, flipped in symmetries:
            # S: canonical of `other` -> canonical of k
            def s_map(z):
                return rotation * (z.conjugate() if flipped else z)
            m_other = None
            for angle in (0, 120, 240):
                if abs(s_map(self.canonical(angle, self.m)) - self.canonical(m_angle, self.m)) < 1e-9:
                    m_other = angle
            if m_other is None:
                continue
            if not same(self.label_direction(other, 'M', m_other), want_m):
                continue
            # each corner A beside M keeps its direction in the mirror image, so
            # that the second sector continues the first (and is not its mirror)
            matched = 0
            for angle in (60, 180, 300):
                image = s_map(self.canonical(angle, self.a))
                for corner in corners:
                    if abs(image - self.canonical(corner, self.a)) < 1e-9 and \
                            same(self.label_direction(other, 'A', angle), self.label_direction(k, 'A', corner)):
                        matched += 1
            if matched != 2:
                continue
            # placement: reflect(here(S(z))) across the side's line through c0
            a, b, f0 = here
            # here(S(z)) = a * conj^f0(rotation * conj^flipped(z)) + b
            ra = rotation.conjugate() if f0 else rotation
            inner = (a * ra, b, f0 != flipped)
            # reflection across the line c0 + t u: z -> c0 + u^2 conj(z - c0)
            na = u * u * inner[0].conjugate()
            nb = c0 + u * u * (inner[1] - c0).conjugate()
            placement = (na, nb, not inner[2])
            centre = self.apply(placement, 0j)
            if any(abs(centre - self.apply(p, 0j)) < 1e-6 for p in self.place_of.values()):
                continue
            return placement
        return None

    def net_points(self):
        """Net points (merged where groups share a point with the same 3-D point),
        their 3-D points and the faces' lists."""
        points = []  # (net position, canonical point)
        lists = []
        for k in range(self.groups):
            for f in range(6):
                row = []
                for z in self.face_points(f):
                    at = self.turn * self.apply(self.place_of[k], z)
                    index = next((i for i, (p, c) in enumerate(points)
                                  if abs(p - at) < 1e-9 and abs(c - z) < 1e-9), None)
                    if index is None:
                        points.append((at, z))
                        index = len(points) - 1
                    row.append(index)
                lists.append(row)
        return points, lists

    def outline_box(self):
        """Box of the regions the faces show (each region's outline, densely sampled)."""
        xs, ys = [], []
        for k in range(self.groups):
            for f in range(6):
                o, m, c = self.face_points(f)
                for i in range(201):
                    t = i / 200
                    # along the region's outline between M and A of this face
                    z = self.region_outline(m, c, t)
                    at = self.turn * self.apply(self.place_of[k], z)
                    xs.append(at.real)
                    ys.append(at.imag)
        return min(xs), max(xs), min(ys), max(ys)

    def region_outline(self, m, c, t):
        a = c / abs(c) * self.a
        # the region's side from M to A is an arc of a circle centred on the
        # line through O and M, beyond O
        d = abs(m)
        # centre x0 on the ray -m: |a - x0| = d + |x0|
        u = m / d
        ax = (a / u).real
        ay = (a / u).imag
        x0 = (d * d - ax * ax - ay * ay) / (2 * (d - ax))   # centre at x0 u (x0 < 0)
        radius = d - x0
        start = 0.0
        end = cmath.phase(complex(ax - x0, ay))
        angle = start + (end - start) * t
        return u * (x0 + radius * cmath.exp(1j * angle))


def same(a, b):
    return sum((a[i] - b[i]) ** 2 for i in range(3)) < 1e-10


def sector_direction(net):
    """direction(g, label, plane point) of the face maps of nets 52-56 at the
    points O, M, A of a group (the tables' values there for 52, 53, 55)."""
    def table_value(label, rim, corner):
        if label == 'O':
            return 0j
        return cmath.exp(1j * PI / 3) * rim if label == 'M' else complex(corner, 0)
    if net == 54:
        return lambda g, label, p: map54(g // 6, p)
    if net == 56:
        return lambda g, label, p: map56(g // 6, p)
    if net == 55:
        return lambda g, label, p: map55(g, table_value(label, math.sqrt(1 / 3), math.sqrt(2 / 3)))
    variant = 1 if net == 52 else 2
    return lambda g, label, p: map52(g, table_value(label, 1.0, 1.0), variant)


REULEAUX = [  # net, name, table (-1: none), groups, turn of the layout (degrees)
    (52, 'Reuleaux 1', 8, 1, -90),
    (53, 'Reuleaux 2', 8, 2, 180),
    (54, 'Reuleaux 4', -1, 4, -90),
    (55, 'Reuleaux 8', 7, 8, 0),
    (56, 'Octreleaux', -1, 8, 0),
]


def reuleaux_entries():
    entries = []
    for net, name, table, groups, turn_degrees in REULEAUX:
        m, a = (OCTA_M, OCTA_A) if net == 56 else (TETRA_M, TETRA_A)
        layout = SectorLayout(name, table, groups, m, a, sector_direction(net), turn_degrees)
        points, lists = layout.net_points()
        pts = [(p, (c.real, c.imag, 0.0)) for p, c in points]
        entries.append(((net,), layout, pts, lists, None, 1))
    return entries


# ---------------------------------------------------------------------------
# the conformal tetrahedral layouts (nets 38, 39)
# ---------------------------------------------------------------------------
# Every face of the tetrahedron is cut into six 30-60-90 triangles (O the
# face's centre, E the middle of one of its edges, V a vertex on that edge).
# The weight map of table 6 turns a point's weights in its flat triangle into
# the weights of the three corner directions, so the 3-D point of a net point
# is the direction of that corner; the build's flip of these nets, d ->
# (-d.y, -d.x, -d.z), is undone here. The south pole is a vertex of the
# tetrahedron and the north pole the centre of the face opposite it.
def tetra_vertices():
    c = 2 * math.sqrt(2) / 3
    vertices = [(0.0, -1.0, 0.0)]
    for i in range(3):
        a = 2 * PI * i / 3
        vertices.append((c * math.sin(a), 1 / 3, c * math.cos(a)))
    return vertices


def unit(v):
    n = math.sqrt(sum(x * x for x in v))
    return tuple(x / n for x in v)


def flip38(d):
    return (-d[1], -d[0], -d[2])


class TetraLayout:
    """The 24 triangles (face f, edge e, vertex v) of the tetrahedron placed
    flat; joins(layout, g, h, kind) says which shared sides are kept, kind
    'face' for sides inside a face, 'edge' for the solid's edges."""

    def __init__(self, name, joins, turn_degrees=0):
        self.name = name
        self.table = 6
        self.joins = joins
        vs = tetra_vertices()
        self.faces = [[i for i in range(4) if i != f] for f in range(4)]  # face f: opposite vertex f
        self.tri = []      # (face, edge (a, b), vertex)
        self.dirs = []     # corner directions (O, E, V)
        for f, corners in enumerate(self.faces):
            centre = unit(tuple(sum(vs[i][k] for i in corners) for k in range(3)))
            for a, b in ((corners[0], corners[1]), (corners[1], corners[2]), (corners[2], corners[0])):
                middle = unit(tuple(vs[a][k] + vs[b][k] for k in range(3)))
                for v in (a, b):
                    self.tri.append((f, (min(a, b), max(a, b)), v))
                    self.dirs.append([centre, middle, vs[v]])
        turn = cmath.exp(1j * math.radians(turn_degrees))
        self.shape = [turn * p for p in (0j, 0.5 * cmath.exp(1j * PI / 3), 1 + 0j)]   # O, E, V
        self.place()

    def shared(self, g, h):
        pairs = []
        for i in range(3):
            for j in range(3):
                if same(self.dirs[g][i], self.dirs[h][j]):
                    pairs.append((i, j))
        return pairs

    def place(self):
        n = len(self.tri)
        self.pos = [None] * n
        self.pos[0] = list(self.shape)
        queue = [0]
        while queue:
            g = queue.pop(0)
            for h in range(n):
                if self.pos[h] is not None:
                    continue
                pairs = self.shared(g, h)
                if len(pairs) != 2:
                    continue
                kind = 'face' if self.tri[g][0] == self.tri[h][0] else 'edge'
                if not self.joins(self, g, h, kind):
                    continue
                (i0, j0), (i1, j1) = pairs
                a, b = self.pos[g][i0], self.pos[g][i1]
                u = (b - a) / abs(b - a)
                q = self.pos[g][3 - i0 - i1] - a
                place = [None] * 3
                place[j0], place[j1], place[3 - j0 - j1] = a, b, a + u * (q / u).conjugate()
                self.pos[h] = place
                queue.append(h)
        missing = [h for h in range(n) if self.pos[h] is None]
        if missing:
            sys.exit('%s: triangles %s are not reached' % (self.name, missing))
        for g in range(n):
            for h in range(g + 1, n):
                centre_g = sum(self.pos[g]) / 3
                centre_h = sum(self.pos[h]) / 3
                if abs(centre_g - centre_h) < 1e-9:
                    sys.exit('%s: triangles %d and %d overlap' % (self.name, g, h))

    def net_points(self):
        points, lists = [], []
        for g in range(len(self.tri)):
            row = []
            for k in range(3):
                p, d = self.pos[g][k], self.dirs[g][k]
                index = next((i for i, (q, e) in enumerate(points) if abs(p - q) < 1e-9 and same(d, e)), None)
                if index is None:
                    points.append((p, d))
                    index = len(points) - 1
                row.append(index)
            lists.append(row)
        return points, lists


def tetra_triangle(layout, g, h, kind):
    """The face opposite the south pole in the middle, the others on its edges."""
    if kind == 'face':
        return True
    return 0 in (layout.tri[g][0], layout.tri[h][0])


def tetra_rectangle(layout, g, h, kind):
    """The strip of faces 0-1-2-3 as a rectangle: face 1 is cut along its
    height from the vertex shared with faces 0 and 2; its half at face 2 stays,
    the other half goes to the far end, on face 0."""
    fg, fh = layout.tri[g][0], layout.tri[h][0]
    cut_vertex = 3  # face 1's vertex on its edges with faces 0 and 2 (faces 1, 0, 2 all hold vertex 3)
    if kind == 'face':
        if fg != 1:
            return True
        # the height of face 1 through the cut vertex: its sides O-V(cut) and O-E(opposite edge)
        side = [i for i, j in layout.shared(g, h)]
        corners = [layout.dirs[g][i] for i in side]
        vertices = tetra_vertices()
        through_cut = any(same(c, vertices[cut_vertex]) for c in corners)
        opposite = tuple(sorted(i for i in layout.faces[1] if i != cut_vertex))
        opposite_middle = unit(tuple(vertices[opposite[0]][k] + vertices[opposite[1]][k] for k in range(3)))
        through_opposite = any(same(c, opposite_middle) for c in corners)
        return not (through_cut or through_opposite)
    pair = tuple(sorted((fg, fh)))
    in_face1 = layout.tri[g if fg == 1 else h]
    # the far half of face 1 holds the edge with face 0
    return pair in ((1, 2), (2, 3), (0, 3)) or (pair == (0, 1) and in_face1[1] == (2, 3))


def tetra_entries():
    entries = []
    for net, name, joins, turn in ((38, 'Lee tetrahedric', tetra_triangle, 90),
                                   (39, 'rectangular tet', tetra_rectangle, -30)):
        layout = TetraLayout(name, joins, turn)
        points, lists = layout.net_points()
        pts = [(p, flip38(d)) for p, d in points]
        entries.append(((net,), layout, pts, lists, None, 1))
    return entries


# ---------------------------------------------------------------------------
# cube-face layouts (table 2)
# ---------------------------------------------------------------------------
# The faces of these layouts are the eighths of the faces of the cube
# [-1, 1]^3: corner 0 the face centre C, corner 1 an edge midpoint M, corner 2
# a cube corner V, a right isosceles triangle with the right angle at M. The
# face map warps the weights through table 2 so that the blend C + re (M - C)
# + im (V - M) is the gnomonic point of the conformal map of the face square,
# hence the 3-D points are these cube points, not unit vectors. The conformal
# map of a face square continues across the square's edges and across its
# halving lines by reflection, so any unfolding of the cube's faces (the
# eighths placed as the unfolded squares place them) is continuous across
# every plane edge it keeps.
def axis_vector(axis, sign):
    v = [0, 0, 0]
    v[axis] = sign
    return tuple(v)


def face_vertices(normal):
    axis = next(i for i in range(3) if normal[i] != 0)
    others = [i for i in range(3) if i != axis]
    verts = []
    for s in (-1, 1):
        for t in (-1, 1):
            v = list(normal)
            v[others[0]] = s
            v[others[1]] = t
            verts.append(tuple(v))
    return verts


FACE = {'x+': (1, 0, 0), 'x-': (-1, 0, 0), 'y+': (0, 1, 0), 'y-': (0, -1, 0), 'z+': (0, 0, 1), 'z-': (0, 0, -1)}


class CubeLayout(Layout):
    """A layout of cube-face eighths: the squares of an unfolded cube, each
    cut into its eight triangles, optionally only the triangles `keep` takes."""

    def __init__(self, name, first, first_axes, unfold, keep=None, flip=False):
        self.name = name
        self.table = 2
        self.second_piece = None
        self.shape = [0j, 1 + 0j, 1 + 1j]
        # plane position of each cube vertex, per placed face
        normal = FACE[first]
        a0, a1 = first_axes  # plane images of the two in-face axes (in the order x, y, z)
        axes = [i for i in range(3) if normal[i] == 0]
        placed = {first: {}}
        for v in face_vertices(normal):
            placed[first][v] = v[axes[0]] * a0 + v[axes[1]] * a1
        for parent, child in unfold:
            self.unfold_face(placed, parent, child)
        self.faces = []
        self.pos = []
        self.dirs = []
        for name_f, _ in [(first, None)] + [(c, p) for p, c in unfold]:
            n = FACE[name_f]
            verts = placed[name_f]
            centre = sum(verts.values()) / 4
            for v in sorted(verts):
                for w in sorted(verts):
                    # each corner v with each edge v-w of the face
                    if sum(1 for i in range(3) if v[i] != w[i]) != 1:
                        continue
                    m3 = tuple((v[i] + w[i]) / 2 for i in range(3))
                    tri3 = [n, m3, v]
                    if keep is not None and not keep(tri3):
                        continue
                    m2 = (verts[v] + verts[w]) / 2
                    tri2 = [centre, m2, verts[v]]
                    if flip:
                        tri2 = [complex(-p.real, p.imag) for p in tri2]
                    self.faces.append(name_f)
                    self.pos.append(tri2)
                    self.dirs.append([tuple(float(c) for c in p) for p in tri3])
        self.face_count = len(self.pos)
        self.piece = [0] * self.face_count
        self.check_congruent()
        self.check_overlap()
        self.check_shared_edges()

    @staticmethod
    def unfold_face(placed, parent, child):
        """Places the child square across the cube edge it shares with the
        placed parent square, as a reflection of the parent across that edge."""
        pv = placed[parent]
        cn = FACE[child]
        shared = [v for v in face_vertices(cn) if v in pv]
        if len(shared) != 2:
            sys.exit('%s and %s do not share an edge' % (parent, child))
        axis = next(i for i in range(3) if cn[i] != 0)
        placed[child] = {}
        for w in face_vertices(cn):
            if w in pv:
                placed[child][w] = pv[w]
                continue
            # w's neighbour on the shared edge, and that corner's neighbour on the parent
            v = next(s for s in shared if sum(1 for i in range(3) if s[i] != w[i]) == 1)
            u = list(v)
            u[axis] = -u[axis]
            placed[child][w] = 2 * pv[v] - pv[tuple(u)]


class CubePieces(Layout):
    """Cube-face eighths placed square by square in pieces: each placement is
    a cube face (or the part of it that its `keep` takes) unfolded across the
    edge it shares with an earlier placement of its piece; every piece is
    moved by its own shift."""

    def __init__(self, name, pieces):
        self.name = name
        self.table = 2
        self.second_piece = None
        self.shape = [0j, 1 + 0j, 1 + 1j]
        self.pos, self.dirs, self.piece = [], [], []
        for index, (first, first_axes, placements, shift, first_keep) in enumerate(pieces):
            normal = FACE[first]
            axes = [i for i in range(3) if normal[i] == 0]
            placed = {first: {v: v[axes[0]] * first_axes[0] + v[axes[1]] * first_axes[1] + shift
                              for v in face_vertices(normal)}}
            faces = [(first, first, first_keep)]
            for key, face, parent, keep in placements:
                CubeLayout.unfold_face_into(placed, key, face, placed[parent])
                faces.append((key, face, keep))
            for key, face, keep in faces:
                n = FACE[face]
                verts = placed[key]
                centre = sum(verts.values()) / 4
                for v in sorted(verts):
                    for w in sorted(verts):
                        if sum(1 for i in range(3) if v[i] != w[i]) != 1:
                            continue
                        tri3 = [n, tuple((v[i] + w[i]) / 2 for i in range(3)), v]
                        if keep is not None and not keep(tri3):
                            continue
                        self.pos.append([centre, (verts[v] + verts[w]) / 2, verts[v]])
                        self.dirs.append([tuple(float(c) for c in p) for p in tri3])
                        self.piece.append(index)
        self.face_count = len(self.pos)
        self.check_congruent()
        self.check_overlap()
        self.check_shared_edges()


def unfold_face_into(placed, key, child, pv):
    """As CubeLayout.unfold_face, for a placement named key of face child
    unfolded from the placed square pv."""
    cn = FACE[child]
    shared = [v for v in face_vertices(cn) if v in pv]
    if len(shared) != 2:
        sys.exit('%s does not share an edge with its parent' % key)
    axis = next(i for i in range(3) if cn[i] != 0)
    placed[key] = {}
    for w in face_vertices(cn):
        if w in pv:
            placed[key][w] = pv[w]
            continue
        v = next(s for s in shared if sum(1 for i in range(3) if s[i] != w[i]) == 1)
        u = list(v)
        u[axis] = -u[axis]
        placed[key][w] = 2 * pv[v] - pv[tuple(u)]


CubeLayout.unfold_face_into = staticmethod(unfold_face_into)


def with_points_at(wanted):
    """An order of the net points (first seen) that puts the point of each
    (plane position, piece) of `wanted` at its index."""
    def order(points):
        points = list(points)
        for index, (where, piece) in sorted(wanted.items()):
            at = next(i for i, q in enumerate(points) if abs(q[0] - where) < 1e-9 and q[2] == piece)
            points[index], points[at] = points[at], points[index]
        return points
    return order


def build_cube_entries():
    entries = []
    r = cmath.exp(1j * PI / 4)

    def entry(nets, layout):
        pts, lists = net_points(layout, range(layout.face_count), first_seen)
        entries.append((nets, layout, pts, lists, None, 1))

    # zigzag: the six faces of the cube stood on its corner (1, 1, 1), the
    # faces round that corner and round the opposite one alternating along a
    # band of diamonds; the middle joint is the edge whose midpoint the turn
    # of the face map sends forward.
    zigzag = CubeLayout('zigzag', 'z-', (-r * 1j, -r), [('z-', 'x+'), ('x+', 'y-'), ('y-', 'z+'),
                                                     ('z+', 'x-'), ('x-', 'y+')])
    # the trizag (net 64) reads the zigzag as it is: the band is symmetric
    # under the half turn about its middle joint, the middle of its box, so
    # the half plane right of the joint and the half left of it are the two
    # halves of the sphere that the half turn about the lobes' axis swaps
    entry((46, 64), zigzag)
    # cross: the front face and the front halves of the four faces round it,
    # the hemisphere z >= 0 of the cube.
    cross = CubeLayout('cross', 'z+', (-1 + 0j, -1j), [('z+', 'x+'), ('z+', 'x-'), ('z+', 'y+'), ('z+', 'y-')],
                       keep=lambda tri: sum(p[2] for p in tri) > 0)
    entry((57,), cross)
    # monozag: the middle of the zigzag, the hemisphere round the edge midpoint
    # (0, -1, 1) that the face map's turn sends forward: the two faces on that
    # edge and the halves of the two faces beside them, cut along the
    # diagonals that bound the hemisphere.
    monozag = CubeLayout('monozag', 'z-', (-r * 1j, -r), [('z-', 'x+'), ('x+', 'y-'), ('y-', 'z+'),
                                                       ('z+', 'x-'), ('x-', 'y+')],
                         keep=lambda tri: sum(p[2] - p[1] for p in tri) > 0)
    entry((47, 51), monozag)
    # waffle: the face map turns the cube so that the edge midpoints (0, 1, 1)
    # and (0, -1, -1) are its poles and halves every turn about them, so the
    # whole cube fills the half of the sphere ahead, cut open along the half
    # circle x = 0 behind (the midlines of the faces y+ and z-). Two copies of
    # that cut cube, one below the other: the upper draws the half ahead; the
    # lower is turned half a turn about y by the map's side test (below the
    # line halfway between net points 22 and 50, points left of point 22 keep
    # d.x <= 0 and those right of it d.x > 0), which every point of it fails,
    # so it draws the half behind. The test decides by the sign of d.x, which
    # is 0 on the lower copy's middle line, so that copy is cut there and its
    # halves drawn apart: point 22 (the bottom of the upper copy's middle
    # column) lies between them, and point 50 (the top of the lower copy's
    # middle column) puts the dividing line between the copies.
    def cut_cube(shift, half=None):
        def part(side):
            if half is None and side is None:
                return None
            return lambda tri: all(sign * sum(p[0] for p in tri) > 0 for sign in (side, half) if sign)
        return ('z+', (-1 + 0j, -1j),
                [('y-', 'y-', 'z+', part(None)), ('x-', 'x-', 'z+', part(None)), ('x+', 'x+', 'y-', part(None)),
                 ('y+ west', 'y+', 'x-', part(-1)), ('z- west', 'z-', 'x-', part(-1)),
                 ('y+ east', 'y+', 'x+', part(1)), ('z- east', 'z-', 'x+', part(1))], shift, part(None))
    down, apart = 7, 0.25
    waffle = CubePieces('waffle', [cut_cube(0j), cut_cube(complex(-apart, down), 1),
                                   cut_cube(complex(apart, down), -1)])
    pts, lists = net_points(waffle, range(waffle.face_count),
                            with_points_at({22: (complex(0, 3), 0), 50: (complex(-apart, down - 1), 1)}))
    entries.append(((60,), waffle, pts, lists, None, 1))
    entries.append(trident_entry())
    entries.append(shard_entry())
    return entries


# ---------------------------------------------------------------------------
# trident (output 151, net 62). The face map turns the cube so that the edge
# midpoints (0, 1, 1) and (0, -1, -1) become the poles of its y axis and halves
# every turn about them; the shape opens that by 4/3 and turns lobe k by
# -4 pi k / 3, so a lobe shows half a turn of the cube about the pole. The lobe
# is looked up in the quarter-turn wedge of the net plane between the rays at
# -pi/2 and 0 (the fourth quadrant), which must hold the half of the cube
# between the turns -pi/2 and pi/2 about the pole: the half z >= y, cut along
# the diagonal plane z = y. No flat drawing fits it (its pole has a straight
# angle on the cube and a right angle in the wedge, and two cube corners lie
# inside it), so the half is drawn distorted: its triangles are the cube's own
# eighth-face triangles with their corners placed by a harmonic map (weights
# from the cube's angles) whose boundary is fixed: the pole at the origin, the
# cut's halves x > 0 and x < 0 along the rays at -pi/2 and 0 up to the face
# centres (1, 0, 0) and (-1, 0, 0), the rest of the cut on the outline, the far
# pole (0, -1, -1) on the wedge's middle.
# The drawing is symmetric, the mirror x -> -x of the cube being the
# reflection across the wedge's middle, so the two rays show the cut's halves
# at equal heights and neighbouring lobes meet without a seam. Around the
# wedge the drawing goes on as the sphere does, so that a point landing on a
# ray finds the same direction on either side of it: the first quadrant holds
# the drawing turned a quarter turn and showing the other half of the cube
# (the half turn (x, y, z) -> (-x, z, y) about the pole, which fixes the cut),
# and the half quadrants beyond it and beyond the lower ray hold the halves of
# the drawing that continue those. The face map's side test (above the line
# halfway between net points 22 and 50, points left of point 22 keep d.x <= 0,
# those right of it d.x > 0) must leave the wedge alone and turn half a turn
# what the map's halving sends to the wrong side above it: point 50 is the
# pole and point 22 the end (1, 0) of the upper ray, so the line is the x axis
# and every point above it keeps d.x <= 0, as the continued drawing has it.
# Half way round the pole the halving cannot be undone by the test, so the
# drawing stops there; a copy of the wedge drawn apart below gives the net
# its points up to 50. Last, the half is drawn about the pole (0, 1, 1) but
# shows the pole (0, -1, -1) (the mirror (x, y, z) -> (x, -z, -y) keeps the
# half and the cut): only this way round do the lobes read unmirrored.
# ---------------------------------------------------------------------------
# Distances from the pole: the corners (+-1, 1, 1) and the face centres
# (+-1, 0, 0) along the rays (the centres end the lobes' shared borders), the
# corners (+-1, -1, -1) off the rays, at TRIDENT_SIDE_TURN degrees from the
# wedge's middle, and the far pole on it. With these the three lobes fill the
# shape's plane box: the corners on the outline lie on one circle about the
# pole, the far poles in dips between them.
TRIDENT_CORNER = 0.55
TRIDENT_TIP = 1.0
TRIDENT_SIDE = 1.0
TRIDENT_SIDE_TURN = 27.4
TRIDENT_MIDDLE = 0.85


def trident_half_cube():
    """The eighth-face triangles (centre, edge midpoint, corner) of the half
    z >= y of the cube."""
    tris = []
    for name in ('x+', 'x-', 'y+', 'y-', 'z+', 'z-'):
        n = FACE[name]
        verts = face_vertices(n)
        for v in sorted(verts):
            for w in sorted(verts):
                if sum(1 for i in range(3) if v[i] != w[i]) != 1:
                    continue
                tri = [n, tuple((v[i] + w[i]) / 2 for i in range(3)), v]
                if sum(p[2] - p[1] for p in tri) > 0:
                    tris.append([tuple(float(c) for c in p) for p in tri])
    return tris


def trident_drawing():
    """Plane position of each corner of the half cube, the wedge's middle on
    +x and the cut's half x > 0 on the ray at -pi/4."""
    tris = trident_half_cube()
    corners = sorted({p for tri in tris for p in tri})
    ray = cmath.exp(-1j * PI / 4)
    fixed = {(0.0, 1.0, 1.0): 0j, (0.0, -1.0, -1.0): complex(TRIDENT_MIDDLE, 0)}
    for p, x, y in ((TRIDENT_CORNER * ray, 1.0, 1.0), (TRIDENT_TIP * ray, 1.0, 0.0),
                    (TRIDENT_SIDE * cmath.exp(-1j * math.radians(TRIDENT_SIDE_TURN)), 1.0, -1.0)):
        fixed[(x, y, y)] = p
        fixed[(-x, y, y)] = p.conjugate()
    # cotangent weights of the cube's angles, plus a little so that none is 0
    weight = {}
    for tri in tris:
        for k in range(3):
            a, b, c = tri[k], tri[(k + 1) % 3], tri[(k + 2) % 3]
            u = [b[i] - a[i] for i in range(3)]
            v = [c[i] - a[i] for i in range(3)]
            dot = sum(u[i] * v[i] for i in range(3))
            cr = [u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]]
            cot = dot / math.sqrt(sum(x * x for x in cr))
            for e in ((b, c), (c, b)):
                weight[e] = weight.get(e, 0.25) + cot
    pos = {p: fixed.get(p, 0j) for p in corners}
    for _ in range(4000):
        for p in corners:
            if p in fixed:
                continue
            total = sum(w for (a, _), w in weight.items() if a == p)
            pos[p] = sum(w * pos[b] for (a, b), w in weight.items() if a == p) / total
    return tris, {p: complex(round(q.real, 12) + 0.0, round(q.imag, 12) + 0.0) for p, q in pos.items()}


class TridentLayout(Layout):
    """The drawn half cube in the fourth quadrant, the drawing continued from
    -3 pi / 4 to 3 pi / 4 about the pole, and a copy of the wedge apart."""

    # (quarter turns of the drawing, the half of it kept (the sign of x on
    # the cube, 0 all), the half of the cube shown (0 this, 1 the other), piece)
    PARTS = ((0, 0, 0, 0), (1, 0, 1, 0), (2, 1, 0, 0), (3, -1, 1, 0), (0, 0, 0, 1))
    APART = -3j

    def __init__(self):
        self.name = 'trident'
        self.table = 2
        self.second_piece = None
        self.shape = [0j, 1 + 0j, 1 + 1j]
        tris, place = trident_drawing()
        self.pos, self.dirs, self.piece = [], [], []
        for quarter, side, other, piece in self.PARTS:
            turn = cmath.exp(1j * PI / 2 * quarter - 1j * PI / 4)
            for tri in tris:
                if side != 0 and side * sum(p[0] for p in tri) <= 0:
                    continue
                self.pos.append([turn * place[p] + (self.APART if piece else 0) for p in tri])
                shown = [(-x, z, y) for x, y, z in tri] if other else tri
                # drawn about the pole (0, 1, 1), showing the pole (0, -1, -1)
                self.dirs.append([(x + 0.0, -z + 0.0, -y + 0.0) for x, y, z in shown])
                self.piece.append(piece)
        self.pos = [[complex(round(z.real, 12) + 0.0, round(z.imag, 12) + 0.0) for z in f] for f in self.pos]
        self.face_count = len(self.pos)
        self.outline_box = lambda: (-1.0, 1.0, -1.0, 1.0)
        self.check_overlap()
        self.check_shared_edges()
        self.check_orientation()

    def check_orientation(self):
        def area(f):
            a, b, c = f
            return ((b - a).conjugate() * (c - a)).imag
        for g, f in enumerate(self.pos):
            if abs(area(f)) < 1e-6:
                sys.exit('trident: face %d is degenerate' % g)
        # a drawing without folds: neighbours on a shared edge lie on its two sides
        for g in range(self.face_count):
            for h in range(g + 1, self.face_count):
                if self.piece[g] != self.piece[h]:
                    continue
                common = [z for z in self.pos[g] if any(abs(z - w) < 1e-9 for w in self.pos[h])]
                if len(common) != 2:
                    continue
                a, b = common
                og = next(z for z in self.pos[g] if all(abs(z - w) > 1e-9 for w in common))
                oh = next(z for z in self.pos[h] if all(abs(z - w) > 1e-9 for w in common))
                sg = ((b - a).conjugate() * (og - a)).imag
                sh = ((b - a).conjugate() * (oh - a)).imag
                if sg * sh >= 0:
                    sys.exit('trident: faces %d and %d fold over' % (g, h))


def trident_entry():
    layout = TridentLayout()
    high = {22: (TRIDENT_TIP + 0j, 0), 50: (0j, 0)}
    pts, lists = net_points(layout, range(layout.face_count), with_points_at(high))
    return ((62,), layout, pts, lists, None, 1)


# ---------------------------------------------------------------------------
# shard (output 162, net 67). The shape turns the net's direction an eighth of
# a turn about z, so the axis its power opens by 2/3 is the octahedron's edge
# midpoint (1, 1, 0): a lobe, looked up in the half plane right of the origin,
# shows the half turn about that axis bounded by the equator z = 0, that is
# the four faces about +z. They stand on the half plane's edge, the equator
# laid along it from the pole (1, 1, 0) at the origin through +y and -x up to
# the far pole (-1, -1, 0), and through +x and -y down to it, with +z at the
# tip of every face. Points at equal distances above and below the origin
# then lie at equal heights about the axis (the mirror x <-> y of the
# octahedron is the reflection across the real axis), so neighbouring lobes
# meet without a seam; the notches between the faces are outside the shape,
# its shards. The face (-x, -y, +z) is cut in two along its height from the far
# pole, one half at each end of the line. The equator runs up through +x (not
# +y): only this way round do the lobes read unmirrored.
# ---------------------------------------------------------------------------
SHARD_EDGE = 0.33  # the octahedron's edge in the square's units (the far poles then lie inside the box)


class ShardLayout(Layout):
    """The four octahedron faces about +z standing on the imaginary axis."""

    def __init__(self):
        self.name = 'shard'
        self.table = 14
        self.second_piece = None
        s3 = math.sqrt(3) / 2
        far = (-math.sqrt(0.5), -math.sqrt(0.5), 0.0)
        on_line = {-2: far, -1.5: (-1, 0, 0), -0.5: (0, 1, 0), 0.5: (1, 0, 0), 1.5: (0, -1, 0), 2: far}
        top = (0.0, 0.0, 1.0)
        # (lower corner, upper corner on the line, tip) in edges
        faces = [(-2, -1.5, complex(s3, -2)), (-1.5, -0.5, complex(s3, -1)), (-0.5, 0.5, complex(s3, 0)),
                 (0.5, 1.5, complex(s3, 1)), (1.5, 2, complex(s3, 2))]
        self.pos, self.dirs, self.piece = [], [], []
        for lo, hi, tip in faces:
            self.pos.append([SHARD_EDGE * complex(0, lo), SHARD_EDGE * complex(0, hi), SHARD_EDGE * tip])
            self.dirs.append([tuple(float(v) for v in on_line[lo]), tuple(float(v) for v in on_line[hi]), top])
            self.piece.append(0)
        self.face_count = len(self.pos)
        self.outline_box = lambda: (-1.0, 1.0, -1.0, 1.0)
        self.check_overlap()
        self.check_shared_edges()


def shard_entry():
    layout = ShardLayout()
    pts, lists = net_points(layout, range(layout.face_count), first_seen)
    return ((67,), layout, pts, lists, None, 1)


def write(entries, path):
    lines = ['// Generated by tools/gen_flat_layouts.py; do not edit.',
             '// Flat layouts of the star, polygon and polygon-chain outputs: net points,',
             '// the direction of each (3-D points), the 1-based net-point lists of the',
             '// faces ended by 0, and the flat vertex map (net point i -> 3-D point i).',
             '#include "nets/catalogue_flat_layouts.h"',
             '',
             '#include "nets/net_catalogue.h"',
             '#include "nets/poly_mesh.h"',
             '',
             'namespace {',
             '']
    table_rows = []
    for nets, layout, pts, lists, variant_map, mirror in entries:
        tag = 'Net' + '_'.join(str(n) for n in nets)
        xs = [p.real for p, _ in pts]
        ys = [p.imag for p, _ in pts]
        # net units: the layout's width is 1
        x0, y0, span = min(xs), min(ys), max(xs) - min(xs)
        lines.append('// %s: %d faces, %d net points.' % (layout.name, len(lists), len(pts)))
        lines.append('constexpr double k%sPoints[] = {' % tag)
        for p, _ in pts:
            lines.append('    %.9f, %.9f,' % ((p.real - x0) / span, (p.imag - y0) / span))
        lines.append('};')
        lines.append('constexpr double k%sDirections[] = {' % tag)
        faces = list(range(len(lists)))
        for i, (p, d) in enumerate(pts):
            if variant_map is not None:
                # the direction of the net's own map at this corner
                for g, row in enumerate(lists):
                    if i in row:
                        d = variant_map(g, table_corner(layout.table, row.index(i)))
                        break
            # the build negates x when mirrorX is set; store the direction so
            # that the renderer's corner is the map's own
            x = -d[0] if mirror else d[0]
            lines.append('    %.9f, %.9f, %.9f,' % (x + 0.0, d[1] + 0.0, d[2] + 0.0))
        lines.append('};')
        lines.append('constexpr uint16_t k%sFaces[] = {' % tag)
        for row in lists:
            lines.append('    %d, %d, %d, 0,' % (row[0] + 1, row[1] + 1, row[2] + 1))
        lines.append('};')
        lines.append('constexpr int16_t k%sMap[] = {%s};' % (tag, ', '.join(str(i) for i in range(len(pts)))))
        lines.append('')
        for net in nets:
            count = len(lists)
            if net == 31:
                count = 10
            if net == 33:
                count = 6
            table_rows.append('    {%d, %d, %d, %d, k%sPoints, k%sDirections, k%sFaces, k%sMap, %d},'
                              % (net, count, len(pts), layout.table, tag, tag, tag, tag, mirror))
    lines.append('const FlatLayoutTables kFlatLayouts[] = {')
    lines += table_rows
    lines.append('};')
    lines.append('')
    lines += stored_box_lines(entries)
    lines.append('}  // namespace')
    lines.append('')
    lines.append('const FlatLayoutTables* FindFlatLayout(int32_t net) {')
    lines.append('  for (const FlatLayoutTables& layout : kFlatLayouts) {')
    lines.append('    if (layout.net == net) return &layout;')
    lines.append('  }')
    lines.append('  return nullptr;')
    lines.append('}')
    lines.append('')
    lines.append('int32_t FlatLayoutCount() { return int32_t(sizeof(kFlatLayouts) / sizeof(kFlatLayouts[0])); }')
    lines.append('')
    lines.append('const FlatLayoutTables* FlatLayoutAt(int32_t i) { return &kFlatLayouts[i]; }')
    lines.append('')
    lines += LOADER.split('\n')
    with open(path, 'w') as out:
        out.write('\n'.join(lines) + '\n')
    print('wrote %s (%d layouts)' % (path, len(table_rows)))


def stored_box_lines(entries):
    """The boxes the sector layouts are fitted by: their regions' outlines, in
    the net units of their points (the triangles reach beyond the regions)."""
    lines = ['// Boxes of the layouts whose faces show only part of their triangles:',
             '// net, x from, x to, y from, y to (net units).',
             'struct StoredBox {',
             '  int32_t net;',
             '  float minX, maxX, minY, maxY;',
             '};',
             '',
             'const StoredBox kStoredBoxes[] = {']
    for nets, layout, pts, lists, variant_map, mirror in entries:
        if not hasattr(layout, 'outline_box'):
            continue
        xs = [p.real for p, _ in pts]
        ys = [p.imag for p, _ in pts]
        x0, y0, span = min(xs), min(ys), max(xs) - min(xs)
        bx0, bx1, by0, by1 = layout.outline_box()
        lines.append('    {%d, %.7ff, %.7ff, %.7ff, %.7ff},' % (nets[0], (bx0 - x0) / span, (bx1 - x0) / span,
                                                         (by0 - y0) / span, (by1 - y0) / span))
    lines += ['};', '',
              'void SetStoredBox(PolyMesh* mesh, int32_t net) {',
              '  for (const StoredBox& box : kStoredBoxes) {',
              '    if (box.net != net) continue;',
              '    mesh->useStoredBox = 1;',
              '    mesh->storedMinX = box.minX;',
              '    mesh->storedMaxX = box.maxX;',
              '    mesh->storedMinY = box.minY;',
              '    mesh->storedMaxY = box.maxY;',
              '  }',
              '}',
              '']
    return lines


LOADER = '''bool LoadFlatLayout(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs) {
  const FlatLayoutTables* layout = FindFlatLayout(net);
  if (layout == nullptr || mesh == nullptr) return false;
  const CatalogueNet entry{layout->netPoints, layout->directions, layout->faceLists, 4 * layout->faceCount,
                           nullptr, 0, layout->flatVertexMap, nullptr, layout->faceCount};
  LoadCatalogueNet(mesh, entry, bufferProcs);
  mesh->netNumber = net;
  mesh->mirrorX = layout->mirrorX;
  mesh->turnHalf = 0;
  mesh->noCornerTriangles = 1;
  mesh->regionFromTriangle = 1;
  mesh->faceMapStyle = 1;
  SetStoredBox(mesh, net);
  // The shaped outputs draw their lobes from these nets fitted into the
  // square -1..1: the shuriken star (61), the trident's wedge of the cube
  // about the pole (62), the astercurves (63), the trizag (64), the shard's
  // faces standing on the half plane's edge (67) and the phenyl cross (68).
  if (net == 61 || net == 62 || net == 63 || net == 64 || net == 67 || net == 68) {
    mesh->squareLayout = 1;
    mesh->plainLayout = 0;
  }
  // the half-sphere layouts are drawn at half scale
  if (net == 47 || net == 51 || net == 57) {
    mesh->halfScale = 1;
    mesh->netScale = 0.5;
  }
  return true;
}

bool BuildFlatLayoutModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs) {
  return LoadFlatLayout(mesh, net, bufferProcs);
}'''


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'nets', 'catalogue_flat_layouts.cpp')
    write(build_entries() + build_cube_entries(), path)


if __name__ == '__main__':
    main()
