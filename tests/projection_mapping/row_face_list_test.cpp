// The per-row lists of net triangles that a band searches.
#include <gtest/gtest.h>

#include "mapping_fixture.h"
#include "projection/output_pixel.h"
#include "render/band_scheduler.h"

namespace {

// A face triangle over x 0.1..0.5 and a tab over x 0.5..0.9, both within
// y 0.1..0.5, in a square output of 100 x 100 pixels.
struct RowListNet : MappingFixture {
  ImageRecord* target = NewTargetImage(100, 100);
  BandRecord band{};

  RowListNet() : MappingFixture(200, 1, 1.0f) {
    PolyMesh* m = mesh.get();
    FitNetToOutput(m, 1.0f, 0);
    const RenderPoint points[] = {{0.1f, 0.1f, 0, 0, 0}, {0.5f, 0.1f, 0, 0, 0}, {0.1f, 0.5f, 0, 0, 0},
                                 {0.9f, 0.1f, 0, 0, 0}, {0.5f, 0.5f, 0, 0, 0}};
    for (int32_t i = 0; i < 5; ++i) {
      m->renderPoints[i] = points[i];
      m->netPointUsed[i] = 1;
    }
    m->renderPointCount = 5;
    m->renderTriangleCount = 2;
    m->renderTriangles[0] = TinyNetTriangle(0, 1, 2, 0);
    m->renderTriangles[0].corners[0] = m->renderTriangles[0].corners[1] = m->renderTriangles[0].corners[2] = Vec3{0, 0, 1};
    m->renderTriangles[1] = TinyNetTriangle(1, 3, 4, 1);
    m->faceCount = 1;
    m->plainLayout = 1;
    context->isNet = 1;
    context->inverseOutputHeight = 0.01f;
    context->inverseOutputWidth = 0.01f;
    band.firstColumn = 0;
    band.lastColumn = 99;
    band.target = target;
    band.outputFaceList = outputFaces.get();
    band.inputFaceList = inputFaces.get();
  }
  ~RowListNet() { DeleteTargetImage(target); }
  RowListNet(const RowListNet&) = delete;
  RowListNet& operator=(const RowListNet&) = delete;
};

TEST(RowFaceLists, TrianglesNearTheRowAndBand) {
  struct Case {
    int32_t row;
    int32_t lastColumn;
    uint8_t clip;
    int32_t faces;
    int32_t tabs;
  };
  const Case cases[] = {
      {30, 99, 1, 1, 1},  // the row crosses both
      {80, 99, 1, 0, 0},  // below both: nothing to search
      {80, 99, 0, 1, 1},  // without clip every triangle is listed
      {30, 20, 1, 1, 0},  // the tab lies right of the band's columns
  };
  for (const Case& c : cases) {
    RowListNet f;
    f.mesh->plainLayout = c.clip;
    f.band.lastColumn = c.lastColumn;
    PrepareRowFaceListsForBands(f.context.get(), c.row, 1, 0, 0, &f.band, 1);
    const NetFaceList& list = *f.outputFaces;
    EXPECT_EQ(list.faceCount, c.faces) << c.row << " " << c.lastColumn;
    EXPECT_EQ(list.tabCount, c.tabs) << c.row << " " << c.lastColumn;
    EXPECT_EQ(list.tabOffset, 2 * c.faces);
    if (c.faces == 1) {
      EXPECT_EQ(list.entries[0], 0);
      EXPECT_EQ(list.entries[1], 0);  // the doubled copy
      EXPECT_EQ(list.slots[0], 1);
    }
    if (c.tabs == 1) {
      EXPECT_EQ(list.entries[list.tabOffset], 1);
      EXPECT_EQ(list.entries[list.tabOffset + 1], 1);
      EXPECT_EQ(list.slots[1], c.faces);
    }
    // A point of the face triangle maps only when the row listed it.
    PixelMapping out{};
    MapOutputPointWithLists(0.2f, 0.2f, f.context.get(), &out, f.outputFaces.get(), f.inputFaces.get(),
                            &f.dotCursor);
    EXPECT_EQ(out.status, c.faces == 1 ? int32_t(kPixelMapped) : int32_t(kPixelOffMap));
  }
}

}  // namespace
