#!/usr/bin/env python3
"""Generates the flat layouts whose faces blend their corner directions
(nets/catalogue_plain_layouts.cpp): "square" (net 28), "tetra tile" (net 24)
and "box" (net 29).

These layouts have no face map of their own: a point of a face takes the
blend of the face's corner directions by its barycentric weights, normalised.
A plane triangle whose corners go to the corners of a flat face of a solid
inscribed in the sphere therefore shows that face in central projection, and
each layout is the net of a solid whose faces its face count fixes:

- "square", 8 triangles on a 3 x 3 grid of points: the octahedron. The centre
  is the front (0, 0, 1), the four edge midpoints the equator, the four
  corners the back; each quarter of the square is cut along the diagonal that
  misses the centre. Across the square's outline each edge half meets its
  mirror half, which is the same octahedron edge.
- "tetra tile", 8 triangles on a 3 x 3 grid: the regular tetrahedron as a
  tile of the plane. The tile is read in the skewed coordinates of the
  triangular lattice (the tile wrap of the output), so each grid cell is cut
  along its rising diagonal into two equilateral triangles. Lattice point
  (i, j) goes to tetrahedron corner (i mod 2, j mod 2): the tile covers the
  tetrahedron twice and its opposite sides carry the same corners, so the
  tiling is seamless.
- "box", 3 quads: a cube seen along a body diagonal (the isometric box). The
  hexagon's centre is the front corner (0, 0, 1), its three neighbours lie at
  every second outline corner, and each quad is one cube face. The hexagon
  has 7 corners; the catalogue counts 8 net points, one more than three
  quads round a shared corner can use.

Directions are written as the build reads them: it turns x and y by half a
turn when `turnHalf` is set and mirrors x when `mirrorX` is set, so the table
holds the direction that yields the wanted one. On screen x grows to the right
and y downwards; a point right of the front shows direction -x and a point
below it direction -y, as every other output does.

Checks before writing: each face's corners are distinct directions of one
flat face of its solid (coplanar, the face's plane not through the centre),
no two faces overlap, every plane edge shared by two faces joins the same two
directions, and every edge of the solid is met from both of its sides.

Reruns write the same bytes. Usage: python3 tools/gen_plain_layouts.py [out.cpp]
"""

import math
import os
import sys

SQRT3 = math.sqrt(3.0)


def norm(v):
    n = math.sqrt(sum(c * c for c in v))
    return tuple(c / n for c in v)


def sub(a, b):
    return tuple(a[i] - b[i] for i in range(len(a)))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return sum(a[i] * b[i] for i in range(len(a)))


class Layout:
    """Plane points, a direction per point and faces as lists of point indices."""

    def __init__(self, name, net, points, directions, faces, turn_half, mirror_x, closed=True, sheets=1):
        self.name = name
        self.net = net
        self.points = points
        self.directions = directions
        self.faces = faces
        self.turn_half = turn_half
        self.mirror_x = mirror_x
        self.closed = closed  # the faces cover the whole solid
        self.sheets = sheets  # how many times they cover it
        self.check()

    def check(self):
        for f, face in enumerate(self.faces):
            dirs = [self.directions[p] for p in face]
            for i in range(len(dirs)):
                for j in range(i + 1, len(dirs)):
                    if sum((dirs[i][k] - dirs[j][k]) ** 2 for k in range(3)) < 1e-12:
                        sys.exit('%s: face %d has two corners with one direction' % (self.name, f))
            normal = cross(sub(dirs[1], dirs[0]), sub(dirs[2], dirs[0]))
            if abs(dot(normal, dirs[0])) < 1e-9:
                sys.exit('%s: face %d lies in a plane through the centre' % (self.name, f))
            for d in dirs[3:]:
                if abs(dot(normal, sub(d, dirs[0]))) > 1e-9:
                    sys.exit('%s: face %d is not flat' % (self.name, f))
            # the plane face runs counter-clockwise on screen (y down) exactly
            # when the solid face runs clockwise seen from outside
            pts = [self.points[p] for p in face]
            area = sum(pts[i][0] * pts[(i + 1) % len(pts)][1] - pts[(i + 1) % len(pts)][0] * pts[i][1]
                       for i in range(len(pts)))
            if area == 0:
                sys.exit('%s: face %d has no area' % (self.name, f))
        self.check_overlap()
        self.check_edges()

    def triangles(self):
        for f, face in enumerate(self.faces):
            for k in range(1, len(face) - 1):
                yield f, [self.points[face[0]], self.points[face[k]], self.points[face[k + 1]]]

    def check_overlap(self):
        def inside(q, tri):
            def side(o, p):
                return (p[0] - o[0]) * (q[1] - o[1]) - (p[1] - o[1]) * (q[0] - o[0])
            s = [side(tri[i], tri[(i + 1) % 3]) for i in range(3)]
            return all(v > 1e-9 for v in s) or all(v < -1e-9 for v in s)
        tris = list(self.triangles())
        for a in range(len(tris)):
            for b in range(len(tris)):
                fa, ta = tris[a]
                fb, tb = tris[b]
                if fa == fb:
                    continue
                for w in ((1 / 3, 1 / 3, 1 / 3), (0.6, 0.2, 0.2), (0.2, 0.6, 0.2), (0.2, 0.2, 0.6)):
                    q = (sum(w[i] * ta[i][0] for i in range(3)), sum(w[i] * ta[i][1] for i in range(3)))
                    if inside(q, tb):
                        sys.exit('%s: faces %d and %d overlap' % (self.name, fa, fb))

    def check_edges(self):
        # every solid edge (pair of directions) is met by exactly two face
        # sides per sheet (at most two for a layout of part of its solid)
        def key(p, q):
            a = tuple(round(c, 9) for c in self.directions[p])
            b = tuple(round(c, 9) for c in self.directions[q])
            return (a, b) if a < b else (b, a)
        sides = {}
        for f, face in enumerate(self.faces):
            for k in range(len(face)):
                sides.setdefault(key(face[k], face[(k + 1) % len(face)]), []).append(f)
        for edge, faces in sides.items():
            if len(faces) > 2 * self.sheets or (self.closed and len(faces) != 2 * self.sheets):
                sys.exit('%s: a solid edge is met from one side only (faces %s)' % (self.name, faces))


def grid_points(n):
    return [(float(i), float(j)) for j in range(n) for i in range(n)]


def square_layout():
    # point index = j * 3 + i; centre 4
    points = grid_points(3)
    back = (0.0, 0.0, -1.0)
    dirs = {4: (0.0, 0.0, 1.0), 5: (-1.0, 0.0, 0.0), 3: (1.0, 0.0, 0.0), 7: (0.0, -1.0, 0.0), 1: (0.0, 1.0, 0.0)}
    directions = [dirs.get(p, back) for p in range(9)]
    # each quarter cut along the diagonal that misses the centre: an inner
    # triangle (front hemisphere) and an outer one (back hemisphere)
    faces = [
        [4, 1, 3], [0, 3, 1],   # upper left
        [4, 5, 1], [2, 1, 5],   # upper right
        [4, 7, 5], [8, 5, 7],   # lower right
        [4, 3, 7], [6, 7, 3],   # lower left
    ]
    return Layout('square', 28, points, directions, faces, 0, 0)


# the tetrahedron of the "tetrahedron" output: alternate corners of the cube
TETRA = [norm(v) for v in ((1, 1, 1), (1, -1, -1), (-1, 1, -1), (-1, -1, 1))]


def tetra_tile_layout():
    points = grid_points(3)
    # corner (i mod 2, j mod 2); the build turns x and y by half a turn
    corner = {(0, 0): 0, (1, 0): 1, (0, 1): 2, (1, 1): 3}
    directions = []
    for j in range(3):
        for i in range(3):
            d = TETRA[corner[(i % 2, j % 2)]]
            directions.append((-d[0], -d[1], d[2]))
    faces = []
    for j in range(2):
        for i in range(2):
            a, b, c, d = j * 3 + i, j * 3 + i + 1, (j + 1) * 3 + i + 1, (j + 1) * 3 + i
            faces.append([a, b, c])  # below the rising diagonal
            faces.append([a, c, d])  # above it
    return Layout('tetra tile', 24, points, directions, faces, 1, 0, sheets=2)


def box_layout():
    # hexagon corners from the top, clockwise on screen (y down), then the centre
    r = 1.0
    outline = [(0.0, -r), (SQRT3 / 2, -0.5), (SQRT3 / 2, 0.5), (0.0, r), (-SQRT3 / 2, 0.5), (-SQRT3 / 2, -0.5)]
    points = outline + [(0.0, 0.0)]
    h = math.sqrt(8.0) / 3.0
    directions = []
    for k, (x, y) in enumerate(outline):
        # neighbours of the front corner at the odd outline corners (upper
        # right, bottom, upper left); the corners across a face at the even ones
        z = 1.0 / 3.0 if k % 2 else -1.0 / 3.0
        directions.append((-h * x / r, -h * y / r, z))
    directions.append((0.0, 0.0, 1.0))
    centre = 6
    faces = [[centre, 5, 0, 1], [centre, 1, 2, 3], [centre, 3, 4, 5]]  # top, right, left
    # the three front faces only: the hexagon's outline is the cube's outline
    return Layout('box', 29, points, directions, faces, 0, 0, closed=False)


def build():
    return [square_layout(), tetra_tile_layout(), box_layout()]


HEADER = '''// Generated by tools/gen_plain_layouts.py; do not edit.
// Flat layouts whose faces blend their corner directions: net points (net
// units, the layout 1 wide), the 3-D point of each (as the build reads it),
// the 1-based net-point lists of the faces ended by 0 and the flat vertex map.
#include "nets/catalogue_plain_layouts.h"

#include "nets/net_catalogue.h"
#include "nets/poly_mesh.h"

namespace {
'''

LOADER = '''
}  // namespace

const PlainLayoutTables* FindPlainLayout(int32_t net) {
  for (const PlainLayoutTables& layout : kPlainLayouts) {
    if (layout.net == net) return &layout;
  }
  return nullptr;
}

int32_t PlainLayoutCount() { return int32_t(sizeof(kPlainLayouts) / sizeof(kPlainLayouts[0])); }

const PlainLayoutTables* PlainLayoutAt(int32_t i) { return &kPlainLayouts[i]; }

bool BuildPlainLayoutModel(PolyMesh* mesh, int32_t net, const BufferProcs* bufferProcs) {
  const PlainLayoutTables* layout = FindPlainLayout(net);
  if (layout == nullptr || mesh == nullptr) return false;
  const CatalogueNet entry{layout->netPoints, layout->directions, layout->faceLists, layout->faceListLength,
                           nullptr, 0, layout->flatVertexMap, nullptr, layout->faceCount};
  LoadCatalogueNet(mesh, entry, bufferProcs);
  mesh->netNumber = net;
  mesh->mirrorX = layout->mirrorX;
  mesh->turnHalf = layout->turnHalf;
  mesh->noCornerTriangles = layout->noCornerTriangles;
  mesh->regionFromTriangle = layout->regionFromTriangle;
  return true;
}
'''

# net -> (noCornerTriangles, regionFromTriangle) as the catalogue states them
OPTIONS = {28: (0, 0), 24: (0, 1), 29: (1, 0)}


def write(layouts, path):
    lines = HEADER.split('\n')
    rows = []
    for layout in layouts:
        tag = 'Net%d' % layout.net
        xs = [p[0] for p in layout.points]
        ys = [p[1] for p in layout.points]
        x0, y0, span = min(xs), min(ys), max(xs) - min(xs)
        lines.append('// %s: %d faces, %d net points.' % (layout.name, len(layout.faces), len(layout.points)))
        lines.append('constexpr double k%sPoints[] = {' % tag)
        for x, y in layout.points:
            lines.append('    %.9f, %.9f,' % ((x - x0) / span + 0.0, (y - y0) / span + 0.0))
        lines.append('};')
        lines.append('constexpr double k%sDirections[] = {' % tag)
        for d in layout.directions:
            x = -d[0] if layout.mirror_x else d[0]
            lines.append('    %.9f, %.9f, %.9f,' % (x + 0.0, d[1] + 0.0, d[2] + 0.0))
        lines.append('};')
        lines.append('constexpr uint16_t k%sFaces[] = {' % tag)
        length = 0
        for face in layout.faces:
            lines.append('    %s, 0,' % ', '.join(str(p + 1) for p in face))
            length += len(face) + 1
        lines.append('};')
        lines.append('constexpr int16_t k%sMap[] = {%s};' % (tag, ', '.join(str(i) for i in range(len(layout.points)))))
        lines.append('')
        corners, regions = OPTIONS[layout.net]
        rows.append('    {%d, %d, %d, k%sPoints, k%sDirections, k%sFaces, %d, k%sMap, %d, %d, %d, %d},'
                    % (layout.net, len(layout.faces), len(layout.points), tag, tag, tag, length, tag,
                       layout.mirror_x, layout.turn_half, corners, regions))
    lines.append('const PlainLayoutTables kPlainLayouts[] = {')
    lines += rows
    lines.append('};')
    lines += LOADER.split('\n')
    while lines and lines[-1] == '':
        lines.pop()
    with open(path, 'w') as out:
        out.write('\n'.join(lines) + '\n')
    print('wrote %s (%d layouts)' % (path, len(rows)))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'nets', 'catalogue_plain_layouts.cpp')
    write(build(), path)


if __name__ == '__main__':
    main()
