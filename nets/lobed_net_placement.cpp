#include "nets/lobed_net_placement.h"

#include <cmath>

#include "nets/mesh_triangles.h"

namespace {

// How one net is laid into the square. The lobe construction opens each lobe
// onto a sector about the square's middle and bends what the net shows there
// about the pole of its sphere power, so the net's point that shows that pole
// (`pole`, a direction as the render points hold them) goes to the middle.
// The net is mirrored (x -> -x) when `mirror` is set and turned by `turn`
// about that point; then the half of the longer side of the box of its used
// points becomes `reach` of the square's half side. A net without a pole
// (all zero) is centred on its box instead.
struct Placement {
  int32_t net;
  uint8_t mirror;
  double turn;
  double reach;
  double pole[3];
};

// The rind of two lobes (the Isle of Man), the tattoo of five (the
// quatretat) and the icosahedron's strip of net 65 (the sharks) are symmetric
// under the half turn about the direction at their middle: the half turn of
// the plane about the point that shows it. Each half of the net fills a lobe:
// the lobe bends a half plane of the net by the power about that direction,
// and its two edges, a line through the middle, are the two halves of that
// line, which the half turn swaps, so neighbouring lobes meet along them. The
// bending keeps the sense of turning only for a net drawn unmirrored about
// the pole (the rinds and tattoos come mirrored from their generator), and is
// continuous inside the lobe only while the cut of the power stays off the
// half plane: that leaves half a turn of the net's own turns. Within it the
// turn and the reach are those whose lobes fill the output's box: the Isle of
// Man's three curls within 0.002 on each side at reach 1, both sharks' boxes
// at the one turn and reach 1; the quatretat's four-fold box allows every
// turn, so its turn is the middle of that half turn and its reach makes the
// curls touch the box.
// Net 66 (the sunburst and the starburst) is five strips of four faces about
// the corner on the y axis, each strip the next one turned by a sixth of the
// turn in the plane and by a fifth about the axis on the sphere: any sixth of
// the turn about that corner away from the gap is a fifth of the sphere, which
// the lookup's sixth about net point 0 bends onto a lobe. Its turn and reach 1
// fit both boxes (the starburst's within 0.001).
constexpr Placement kPlacements[] = {
    {48, 1, -2.8885, 1.0, {0, 0, 1}},
    {150, 1, -2.3562, 0.6606, {0, 0, 1}},
    {65, 0, 1.9810, 1.0, {-0.30901699437494745, 0, 0.9510565162951535}},
    {66, 0, -1.0193, 1.0, {0, 1, 0}},
};

const Placement* FindPlacement(int32_t net) {
  for (const Placement& p : kPlacements) {
    if (p.net == net) return &p;
  }
  return nullptr;
}

// Where the net shows the direction `pole`: the blend of a face's corner
// directions that points that way, at the same weights of its corners in the
// plane. Where faces whose corners blend along different chords meet, two
// faces may show it at points a little apart, one the half-turn image of the
// other; their middle is the net's centre of symmetry. False when no face
// shows it.
bool FindPolePoint(const PolyMesh* mesh, const double* pole, double* x, double* y) {
  double sumX = 0, sumY = 0;
  int32_t found = 0;
  const int32_t faces = mesh->netFaceCount < kMaxMeshFaces ? mesh->netFaceCount : kMaxMeshFaces;
  for (int32_t f = 0; f < faces; ++f) {
    const int32_t n = NetCornerCount(mesh, f);
    const int32_t* points = mesh->faces[f].netPoint;
    for (int32_t k = 1; k + 1 < n; ++k) {
      const int32_t corner[3] = {points[0], points[k], points[k + 1]};
      double m[3][3];
      bool valid = true;
      for (int32_t i = 0; i < 3; ++i) {
        if (corner[i] < 0 || corner[i] >= kMaxRenderPoints) valid = false;
        if (!valid) break;
        const RenderPoint& r = mesh->renderPoints[corner[i]];
        m[0][i] = r.d0;
        m[1][i] = r.d1;
        m[2][i] = r.d2;
      }
      if (!valid) continue;
      // weights b with M b = pole (Cramer's rule); the direction of the blend
      // is the pole when all weights share its sign
      const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
      if (std::fabs(det) < 1e-12) continue;
      double b[3];
      for (int32_t i = 0; i < 3; ++i) {
        double c[3][3];
        for (int32_t r = 0; r < 3; ++r) {
          for (int32_t s = 0; s < 3; ++s) c[r][s] = s == i ? pole[r] : m[r][s];
        }
        b[i] = (c[0][0] * (c[1][1] * c[2][2] - c[1][2] * c[2][1]) - c[0][1] * (c[1][0] * c[2][2] - c[1][2] * c[2][0]) +
                c[0][2] * (c[1][0] * c[2][1] - c[1][1] * c[2][0])) /
               det;
      }
      const double sum = b[0] + b[1] + b[2];
      if (sum <= 0 || b[0] < -1e-9 || b[1] < -1e-9 || b[2] < -1e-9) continue;
      for (int32_t i = 0; i < 3; ++i) {
        sumX += b[i] / sum * mesh->renderPoints[corner[i]].x;
        sumY += b[i] / sum * mesh->renderPoints[corner[i]].y;
      }
      ++found;
    }
  }
  if (found == 0) return false;
  *x = sumX / found;
  *y = sumY / found;
  return true;
}

}  // namespace

bool IsPlacedLobedNet(int32_t net) { return FindPlacement(net) != nullptr; }

void MarkLobedNet(PolyMesh* mesh, int32_t net) {
  if (mesh == nullptr || !IsPlacedLobedNet(net)) return;
  mesh->squareLayout = 1;
  mesh->plainLayout = 0;
}

void PlaceLobedNet(PolyMesh* mesh) {
  if (mesh == nullptr || !mesh->squareLayout) return;
  const Placement* placement = FindPlacement(mesh->netNumber);
  if (placement == nullptr) return;
  // The points the fit moves: the used net points.
  const int32_t count = mesh->renderPointCount < kMaxRenderPoints ? mesh->renderPointCount : kMaxRenderPoints;
  double x0 = 1e30, x1 = -1e30, y0 = 1e30, y1 = -1e30;
  for (int32_t p = 0; p < count; ++p) {
    if (!mesh->netPointUsed[p]) continue;
    x0 = std::fmin(x0, mesh->renderPoints[p].x);
    x1 = std::fmax(x1, mesh->renderPoints[p].x);
    y0 = std::fmin(y0, mesh->renderPoints[p].y);
    y1 = std::fmax(y1, mesh->renderPoints[p].y);
  }
  if (x1 < x0) return;
  double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
  const double* pole = placement->pole;
  if (pole[0] != 0 || pole[1] != 0 || pole[2] != 0) FindPolePoint(mesh, pole, &cx, &cy);
  const double c = std::cos(placement->turn), s = std::sin(placement->turn);
  x0 = y0 = 1e30;
  x1 = y1 = -1e30;
  for (int32_t p = 0; p < count; ++p) {
    if (!mesh->netPointUsed[p]) continue;
    RenderPoint& r = mesh->renderPoints[p];
    const double x = placement->mirror ? cx - r.x : r.x - cx;
    const double y = r.y - cy;
    r.x = float(x * c - y * s);
    r.y = float(x * s + y * c);
    x0 = std::fmin(x0, r.x);
    x1 = std::fmax(x1, r.x);
    y0 = std::fmin(y0, r.y);
    y1 = std::fmax(y1, r.y);
  }
  // The fit maps the stored box, centred on the pole's point (now the
  // origin), onto the square.
  const double half = std::fmax(x1 - x0, y1 - y0) / 2 / placement->reach;
  mesh->useStoredBox = 1;
  mesh->storedMinX = float(-half);
  mesh->storedMaxX = float(half);
  mesh->storedMinY = float(-half);
  mesh->storedMaxY = float(half);
}
