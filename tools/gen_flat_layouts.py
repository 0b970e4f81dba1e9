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
    entry((36, 63), six, range(24), None, first_seen, 19, 0)
    entry((37,), six, range(12), lambda g, w: map36(g, w, 1), first_seen, 13, 0)

    pentalene = Layout('pentalene', 3, 20, mirrored_half(ANGLES40, 9), 0, chain(9))
    entry((40,), pentalene, range(20), None, first_seen, 19, 0)

    diamonds = Layout('Adams diamonds', 9, 16, mirrored_half(ANGLES58, 7), 0, separate(7), (8, 0))
    entry((58,), diamonds, range(16), None, first_seen, 18, 0)

    naphthalene = Layout('naphthalene', 5, 24, mirrored_half(ANGLES41, 11), 0, chain(11))
    entry((41,), naphthalene, range(24), None, first_seen, 23, 0)
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
    entries.append(((60, 62), waffle, pts, lists, None, 1))
    return entries


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
