// Reading the host's filter area into the source image, tile by tile.
#include <string>
#include <vector>

#include "host/band_rects.h"
#include "render/render_run.h"
#include "run_fixture.h"

namespace {

using SourceRead = RunFixture;

int32_t CeilDiv(int32_t a, int32_t b) { return (a + b - 1) / b; }

bool SameRect(const Rect& a, const Rect& b) {
  return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

// The tile requests the host saw, in order: inRect at most 512 square,
// with the one-pixel outRect at the filter's corner.
std::vector<Rect> TileRequests(const TestHost& host) {
  std::vector<Rect> tiles;
  const Rect& f = host.document->filterRect;
  for (const TestRequest& r : host.requests) {
    if (r.outRect.top == f.top && r.outRect.left == f.left && r.outRect.bottom == f.top + 1 &&
        r.outRect.right == f.left + 1 && !RectIsEmpty(r.inRect)) {
      tiles.push_back(r.inRect);
    }
  }
  return tiles;
}

// Every pixel of the filter rectangle is in the source, for every pixel
// kind, with and without transparency, and the tiles were asked for one
// each, in index order, offset by the filter's corner.
TEST_F(SourceRead, ReadsEveryTileOnceForEachDocumentKind) {
  struct Case {
    int16_t planes;
    int32_t depth;
    bool transparency;
    int32_t expectedMode;
  };
  const Case cases[] = {
      {1, 8, false, PixelRgba8},      {3, 8, false, PixelRgba8},      {1, 8, true, PixelRgba8},
      {3, 8, true, PixelRgba8},       {1, 16, false, PixelRgba16},    {3, 16, false, PixelRgba16},
      {1, 16, true, PixelRgba16},     {3, 16, true, PixelRgba16},     {1, 32, false, PixelRgbaFloat},
      {3, 32, false, PixelRgbaFloat}, {1, 32, true, PixelRgbaFloat},  {3, 32, true, PixelRgbaFloat},
  };
  // A filter rectangle away from the origin, 2 x 2 tiles with ragged edges.
  const int16_t left = 37, top = 5, right = 37 + 530, bottom = 5 + 515;
  for (const Case& c : cases) {
    const std::string label = std::to_string(c.planes) + " planes, " + std::to_string(c.depth) + " bits" +
                              (c.transparency ? ", transparent" : "");
    ShutdownTestHost(&host);
    NewDocument(600, 530, c.planes, c.depth, c.transparency);
    SetDocumentFilterRect(doc, left, top, right, bottom);
    OpenHost();
    ASSERT_EQ(PrepareAndStart(), kNoErr) << label;

    const GlobalsRecord* g = Globals();
    const ImageRecord* source = &g->images[0];
    ASSERT_EQ(source->pixelMode, c.expectedMode) << label;
    ASSERT_EQ(source->levelWidth[0], right - left) << label;
    ASSERT_EQ(source->levelHeight[0], bottom - top) << label;
    EXPECT_EQ(Block()->sourceLoaded, 1) << label;

    const std::vector<Rect> tiles = TileRequests(host);
    ASSERT_EQ(int32_t(tiles.size()), CeilDiv(right - left, 512) * CeilDiv(bottom - top, 512)) << label;
    for (int32_t t = 0; t < int32_t(tiles.size()); ++t) {
      Rect expected{};
      GetTileRect(source, source->firstTile[0] + t, &expected);
      expected = Rect{int16_t(expected.top + top), int16_t(expected.left + left), int16_t(expected.bottom + top),
                      int16_t(expected.right + left)};
      EXPECT_TRUE(SameRect(tiles[size_t(t)], expected)) << label << " tile " << t;
    }

    int32_t mismatches = 0;
    for (int32_t y = 0; y < bottom - top; ++y) {
      for (int32_t x = 0; x < right - left; ++x) {
        double got[4], want[4];
        ImagePixel(source, x, y, got);
        DocumentPixel(doc, left + x, top + y, want);
        for (int32_t k = 0; k < 4; ++k) mismatches += got[k] != want[k];
      }
    }
    EXPECT_EQ(mismatches, 0) << label;
    // Levels were built from the pixels read.
    EXPECT_EQ(source->buildState, LevelsBuilt) << label;

    EXPECT_EQ(ContinueToEnd(), kNoErr) << label;
    ExpectCleanEnd(label);
  }
}

// The acquisition reads the host once per invocation: a preview render
// after the start asks for no tile again.
TEST_F(SourceRead, ASecondRenderInTheSameInvocationDoesNotReadTheHostAgain) {
  NewDocument(700, 20);
  OpenHost();
  ASSERT_EQ(PrepareAndStart(), kNoErr);
  const size_t tilesAfterStart = TileRequests(host).size();
  ASSERT_EQ(tilesAfterStart, 2u);

  GlobalsRecord* g = Direct();
  Block()->runMode = RunModePreview;
  RenderWholeImage(g);
  EXPECT_EQ(directResult, kNoErr);
  EXPECT_EQ(TileRequests(host).size(), tilesAfterStart);
  Block()->runMode = RunModeHost;
  g->currentRow = 0;
  SetNextBandRects(g);
  EXPECT_EQ(ContinueToEnd(), kNoErr);
  ExpectCleanEnd("second render");
}

// The pixel kind follows from the image mode and depth alone; a pair the
// rule does not know has no kind.
TEST(DocumentPixelKind, FollowsModeAndDepth) {
  struct Case {
    int16_t mode;
    int32_t depth;
    int32_t kind;
  };
  const Case cases[] = {
      {kImageModeGrayScale, 8, PixelRgba8},    {kImageModeRGBColor, 8, PixelRgba8},
      {kImageModeRGBColor, 0, PixelRgba8},     {kImageModeGray16, 16, PixelRgba16},
      {kImageModeRGB48, 16, PixelRgba16},      {kImageModeRGB96, 32, PixelRgbaFloat},
      {kImageModeGray32, 32, PixelRgbaFloat},  {kImageModeRGBColor, 16, kUnknownPixelKind},
      {kImageModeRGBColor, 32, kUnknownPixelKind}, {kImageModeRGB48, 8, kUnknownPixelKind},
      {kImageModeGray32, 16, kUnknownPixelKind},   {kImageModeCMYKColor, 8, kUnknownPixelKind},
      {kImageModeLabColor, 8, kUnknownPixelKind},  {kImageModeIndexedColor, 8, kUnknownPixelKind},
      {kImageModeBitmap, 1, kUnknownPixelKind},    {kImageModeCMYK64, 16, kUnknownPixelKind},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DocumentPixelKind(c.mode, c.depth), c.kind) << c.mode << "/" << c.depth;
  }
}

// A document of a kind the rule does not know is refused with an alert
// before anything is read or written.
TEST_F(SourceRead, AnUnknownDocumentKindIsRefusedWithAnAlert) {
  struct Case {
    const char* label;
    int16_t mode;
    int32_t depth;
  };
  const Case cases[] = {
      {"CMYK", kImageModeCMYKColor, 8},
      {"RGB mode at 16 bits", kImageModeRGBColor, 16},
      {"16-bit mode at 8 bits", kImageModeRGB48, 8},
  };
  for (const Case& c : cases) {
    ShutdownTestHost(&host);
    NewDocument(9, 4);
    OpenHost();
    host.record.imageMode = c.mode;
    host.record.depth = c.depth;
    const TestDocument before = doc;
    EXPECT_EQ(PrepareAndStart(), kRefusedByAlert) << c.label;
    EXPECT_EQ(GetStandInWorld().shown, std::vector<std::string>{"REFUSAL3"}) << c.label;
    EXPECT_TRUE(TileRequests(host).empty()) << c.label;
    EXPECT_EQ(ContinueToEnd(), kNoErr) << c.label;
    EXPECT_EQ(doc.pixels, before.pixels) << c.label;
    ExpectCleanEnd(c.label);
  }
}

// Rows the host pads with extra bytes are read at the host's row bytes; a
// transparency plane the filter case does not let us edit is not read as
// alpha.
TEST_F(SourceRead, HostRowBytesAndTheTransparencyRuleAreFollowed) {
  struct Case {
    const char* label;
    int16_t planes;
    int32_t depth;
    int32_t extraRowBytes;
    int16_t filterCase;  // 0: as the host sets it
  };
  const Case cases[] = {
      {"padded 16-bit rows", 3, 16, 6, 0},
      {"padded float rows", 1, 32, 3, 0},
      {"transparency not editable", 1, 8, 0, 2},
      {"transparency not editable, float", 3, 32, 0, 1},
  };
  for (const Case& c : cases) {
    ShutdownTestHost(&host);
    NewDocument(21, 9, c.planes, c.depth, true);
    TestHostOptions options;
    options.extraRowBytes = c.extraRowBytes;
    OpenHost(options);
    if (c.filterCase) host.record.filterCase = c.filterCase;
    ASSERT_EQ(PrepareAndStart(), kNoErr) << c.label;
    const ImageRecord* source = &Globals()->images[0];
    int32_t mismatches = 0;
    for (int32_t y = 0; y < 9; ++y) {
      for (int32_t x = 0; x < 21; ++x) {
        double got[4], want[4];
        ImagePixel(source, x, y, got);
        DocumentPixel(doc, x, y, want);
        if (c.filterCase) want[3] = DocumentFullScale(doc);
        for (int32_t k = 0; k < 4; ++k) mismatches += got[k] != want[k];
      }
    }
    EXPECT_EQ(mismatches, 0) << c.label;
    EXPECT_EQ(ContinueToEnd(), kNoErr) << c.label;
    ExpectCleanEnd(c.label);
  }
}

// A tile is copied only into a record of the host's pixel kind, only for a
// tile the record has, and never past what the host delivered.
TEST_F(SourceRead, ATileCopyKeepsWithinTheRecordAndTheDelivery) {
  NewDocument(40, 30);
  OpenHost();
  ASSERT_EQ(PrepareAndStart(), kNoErr);
  GlobalsRecord* g = Direct();
  ImageOwner owner{};
  ImageRecord other;
  InitImageRecord(&other, &owner, nullptr);
  ASSERT_TRUE(CreateImageRecord(&other, 40, 30, PixelRgba16, FetchClamp, 0));
  ImageRecord same;
  InitImageRecord(&same, &owner, nullptr);
  ASSERT_TRUE(CreateImageRecord(&same, 40, 30, PixelRgba8, FetchClamp, 0));
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      PutPixelRgba16(x, y, &other, 0, 7, 7, 7, 7);
      PutPixelRgba8(x, y, &same, 0, 7, 7, 7, 7);
    }
  }
  // The host delivers only a 10 x 4 corner of the image.
  const Rect corner{0, 0, 4, 10};
  RequestSourceRect(g, &corner);
  ASSERT_EQ(TestHostAdvanceState(), kNoErr);
  CopyHostTileToImage(&other, g, 0);  // a 16-bit record for an 8-bit host
  CopyHostTileToImage(&same, g, 1);   // no such tile
  CopyHostTileToImage(&same, g, -1);
  int32_t changed = 0;
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      uint32_t r, gg, b, a;
      GetPixelRgba(x, y, &other, 0, &r, &gg, &b, &a);
      changed += r != 7;
      changed += GetPixelPacked32Clamped(x, y, &same, 0) != 0x07070707u;
    }
  }
  EXPECT_EQ(changed, 0);
  CopyHostTileToImage(&same, g, 0);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      const bool delivered = x < 10 && y < 4;
      double got[4], want[4];
      ImagePixel(&same, x, y, got);
      DocumentPixel(doc, x, y, want);
      if (delivered) {
        EXPECT_TRUE(got[0] == want[0] && got[1] == want[1] && got[2] == want[2] && got[3] == want[3]) << x << "," << y;
      } else {
        EXPECT_EQ(GetPixelPacked32Clamped(x, y, &same, 0), 0x07070707u) << x << "," << y;
      }
    }
  }
  FreeImageRecord(&other);
  FreeImageRecord(&same);
  g->currentRow = 0;
  SetNextBandRects(g);
  EXPECT_EQ(ContinueToEnd(), kNoErr);
  ExpectCleanEnd("tile copy");
}

}  // namespace
