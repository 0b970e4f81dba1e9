// A net output as rendered into a document: the net the run built, rebuilt
// into a record of the test's own, and its points read as pixels. Render
// coordinates are output units: x * width and y * width are pixels.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "nets/net_build.h"
#include "nets/net_layout.h"
#include "nets/poly_mesh.h"
#include "platform/testhost/test_document.h"

struct NetPoint2 {
  double x, y;
};

// The net of `output` as a run on `doc` built it: the same build, with the
// document's aspect and the run's tab size (the block's `tabs`). Frees what
// the record held before.
inline void BuildNetAsTheRunDid(int32_t output, const TestDocument& doc, float tabs, PolyMesh* m) {
  FreeMeshTables(m, nullptr);
  std::memset(m, 0, sizeof(PolyMesh));
  ResetPolyMesh(m);
  BuildNetForOutput(output, m, float(doc.height) / doc.width, tabs * 0.005f, 0, 0.0f, 1, nullptr, true);
}

inline NetPoint2 RenderXY(const PolyMesh* m, int32_t p) { return NetPoint2{m->renderPoints[p].x, m->renderPoints[p].y}; }

// Whether the point lies well inside a render triangle cut from net face f.
inline bool InsideNetFace(const PolyMesh* m, int32_t f, const NetPoint2& p) {
  for (int32_t t = 0; t < m->renderTriangleCount; ++t) {
    const RenderTriangle& tri = m->renderTriangles[t];
    if (tri.netFace != f || tri.extraTriangle) continue;
    float b0, b1, b2;
    if (NetTriangleBarycentric(t, float(p.x), float(p.y), &b0, &b1, &b2, m) && b0 > 0.001f && b1 > 0.001f &&
        b2 > 0.001f) {
      return true;
    }
  }
  return false;
}

// Whether the pixel about p and its eight neighbours, in a render `width`
// pixels wide, lie inside the net's faces (the outline's pixels are blended
// with the backdrop).
inline bool WithinNet(const PolyMesh* m, const NetPoint2& p, int32_t width) {
  for (const double dx : {-1.0, 0.0, 1.0}) {
    for (const double dy : {-1.0, 0.0, 1.0}) {
      const float x = float(p.x + dx / width), y = float(p.y + dy / width);
      bool inside = false;
      for (int32_t t = 0; t < m->renderTriangleCount && !inside; ++t) {
        float b0, b1, b2;
        inside = !m->renderTriangles[t].extraTriangle && NetTriangleBarycentric(t, x, y, &b0, &b1, &b2, m);
      }
      if (!inside) return false;
    }
  }
  return true;
}

// The pixel of the document at a render point; null off the document.
inline const uint8_t* PixelAt(TestDocument& doc, const NetPoint2& p) {
  const int32_t x = int32_t(std::floor(p.x * doc.width)), y = int32_t(std::floor(p.y * doc.width));
  if (x < 0 || y < 0 || x >= doc.width || y >= doc.height) return nullptr;
  return DocumentPixelAddress(doc, x, y);
}
