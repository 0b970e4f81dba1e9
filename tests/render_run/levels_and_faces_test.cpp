// The preparation of a run: the source's edge modes follow the input
// projection and its levels are rebuilt only when they change; the cube
// crosses are cut into their six faces.
#include <string>

#include "render/render_run.h"
#include "run_fixture.h"

namespace {

using RunPreparation = RunFixture;

constexpr uint32_t kMark = 0x5A5A5A5Au;

// Marks a pixel of level 1 that any rebuild of the levels overwrites.
void MarkLevelOne(ImageRecord* source) { PutPixelRgba8(1, 1, source, 1, 0x5A, 0x5A, 0x5A, 0x5A); }
bool LevelOneMarked(const ImageRecord* source) { return GetPixelPacked32Clamped(1, 1, source, 1) == kMark; }

TEST_F(RunPreparation, LevelsAreRebuiltOnlyWhenTheEdgeModesChange) {
  struct Case {
    int32_t from, to;
    int32_t fetch, sample;  // the source's modes for `to`
    bool rebuilt;
  };
  const Case cases[] = {
      {1, 11, 1, 3, true},   // wrap x, pole flip -> wrap both, clamp
      {5, 20, 2, 4, false},  // the same pair
      {1, 24, 2, 7, false},
      {5, 1, 2, 7, true},    // only the sample mode differs
      {11, 2, 0, 3, true},   // only the fetch mode differs
      {2, 3, 0, 3, false},
      {12, 25, 2, 4, false},
  };
  for (const Case& c : cases) {
    const std::string label = std::to_string(c.from) + " -> " + std::to_string(c.to);
    ShutdownTestHost(&host);
    NewDocument(40, 24);
    OpenHost();
    ASSERT_EQ(PrepareAndStart(c.from), kNoErr) << label;
    GlobalsRecord* g = Direct();
    ImageRecord* source = &g->images[0];
    MarkLevelOne(source);
    PrepareRender(g);  // the same input again: nothing to rebuild
    ASSERT_TRUE(LevelOneMarked(source)) << label;
    Block()->inputProjection = c.to;
    PrepareRender(g);
    EXPECT_EQ(directResult, kNoErr) << label;
    EXPECT_EQ(source->fetchEdgeMode, c.fetch) << label;
    EXPECT_EQ(source->sampleEdgeMode, c.sample) << label;
    EXPECT_EQ(!LevelOneMarked(source), c.rebuilt) << label;
    EXPECT_EQ(ContinueToEnd(), kNoErr) << label;
    ExpectCleanEnd(label);
  }
}

struct FaceCell {
  int32_t face, column, row;
};

// Each face of a cross is its own image with the pixels of its cell, clamped
// edges and the cross's marker; columns or rows that do not fill a whole
// cell are dropped.
TEST_F(RunPreparation, CubeCrossesAreCutIntoTheirSixFaces) {
  struct Case {
    int32_t width, height, input, faceWidth, faceHeight, marker;
    FaceCell cells[6];
  };
  const Case cases[] = {
      {1000, 750, 27, 250, 250, LayoutHorizontalCross,
       {{5, 1, 0}, {2, 1, 2}, {4, 0, 1}, {1, 2, 1}, {3, 1, 1}, {0, 3, 1}}},
      {403, 302, 27, 100, 100, LayoutHorizontalCross,
       {{5, 1, 0}, {2, 1, 2}, {4, 0, 1}, {1, 2, 1}, {3, 1, 1}, {0, 3, 1}}},
      {302, 403, 28, 100, 100, LayoutVerticalCross,
       {{5, 1, 0}, {2, 1, 2}, {4, 0, 1}, {1, 2, 1}, {3, 1, 1}, {0, 1, 3}}},
  };
  for (const Case& c : cases) {
    const std::string label = std::to_string(c.width) + " x " + std::to_string(c.height);
    ShutdownTestHost(&host);
    NewDocument(c.width, c.height, 3, 16, false);
    OpenHost();
    ASSERT_EQ(PrepareAndStart(c.input), kNoErr) << label;
    GlobalsRecord* g = Globals();
    for (const FaceCell& cell : c.cells) {
      const ImageRecord* face = &g->images[3 + cell.face];
      ASSERT_EQ(face->levelWidth[0], c.faceWidth) << label << " face " << cell.face;
      ASSERT_EQ(face->levelHeight[0], c.faceHeight) << label << " face " << cell.face;
      EXPECT_EQ(face->pixelMode, PixelRgba16) << label;
      EXPECT_EQ(face->fetchEdgeMode, FetchClamp) << label;
      EXPECT_EQ(face->sampleEdgeMode, EdgeClamp) << label;
      EXPECT_EQ(face->layoutMarker, c.marker) << label;
      EXPECT_EQ(face->buildState, LevelsBuilt) << label;
      int32_t mismatches = 0;
      for (int32_t y = 0; y < c.faceHeight; ++y) {
        for (int32_t x = 0; x < c.faceWidth; ++x) {
          double got[4], want[4];
          ImagePixel(face, x, y, got);
          DocumentPixel(doc, cell.column * c.faceWidth + x, cell.row * c.faceHeight + y, want);
          for (int32_t k = 0; k < 4; ++k) mismatches += got[k] != want[k];
        }
      }
      EXPECT_EQ(mismatches, 0) << label << " face " << cell.face;
    }
    // Another input frees the faces.
    GlobalsRecord* d = Direct();
    Block()->inputProjection = 1;
    PrepareRender(d);
    for (int32_t f = 3; f <= 8; ++f) EXPECT_EQ(d->images[f].tileCount, 0) << label;
    EXPECT_EQ(ContinueToEnd(), kNoErr) << label;
    ExpectCleanEnd(label);
  }
}

// A cross is cut once: a second preparation keeps the faces it finds.
TEST_F(RunPreparation, ACutCrossIsKeptUntilTheLayoutChanges) {
  NewDocument(40, 30);
  OpenHost();
  ASSERT_EQ(PrepareAndStart(27), kNoErr);
  GlobalsRecord* g = Direct();
  PutPixelRgba8(0, 0, &g->images[3], 0, 1, 2, 3, 4);
  PrepareRender(g);
  EXPECT_EQ(GetPixelPacked32Clamped(0, 0, &g->images[3], 0), 0x01020304u);
  Block()->inputProjection = 28;
  PrepareRender(g);
  EXPECT_EQ(g->images[8].layoutMarker, LayoutVerticalCross);
  EXPECT_EQ(g->images[3].levelWidth[0], 40 / 3);
  EXPECT_EQ(g->images[3].levelHeight[0], 30 / 4);
  EXPECT_EQ(ContinueToEnd(), kNoErr);
  ExpectCleanEnd("kept cross");
}

}  // namespace
