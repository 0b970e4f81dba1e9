#include <gtest/gtest.h>

#include <vector>

#include "image/image_record.h"
#include "image/pixel_access.h"
#include "image_test_util.h"
#include "platform/global_heap.h"

namespace {

struct LevelCase {
  int32_t width, height;
  int32_t lastLevel;
  int32_t tileCount;
  std::vector<std::pair<int32_t, int32_t>> sizes;
};

const LevelCase kLevelCases[] = {
    {1, 1, 1, 2, {{1, 1}, {1, 1}}},
    {2, 1, 1, 2, {{2, 1}, {1, 1}}},
    {6, 6, 3, 4, {{6, 6}, {4, 4}, {2, 2}, {1, 1}}},
    {100, 100, 7, 8, {{100, 100}, {50, 50}, {26, 26}, {14, 14}, {8, 8}, {4, 4}, {2, 2}, {1, 1}}},
    {100, 10, 7, 8, {{100, 10}, {50, 6}, {26, 4}, {14, 2}, {8, 1}, {4, 1}, {2, 1}, {1, 1}}},
    {1000, 500, 10, 12,
     {{1000, 500}, {500, 250}, {250, 126}, {126, 64}, {64, 32}, {32, 16}, {16, 8}, {8, 4}, {4, 2}, {2, 1}, {1, 1}}},
    {513, 513, 10, 14,
     {{513, 513}, {258, 258}, {130, 130}, {66, 66}, {34, 34}, {18, 18}, {10, 10}, {6, 6}, {4, 4}, {2, 2}, {1, 1}}},
    {32767, 1, 15, 136,
     {{32767, 1}, {16384, 1}, {8192, 1}, {4096, 1}, {2048, 1}, {1024, 1}, {512, 1}, {256, 1}, {128, 1}, {64, 1},
      {32, 1}, {16, 1}, {8, 1}, {4, 1}, {2, 1}, {1, 1}}},
};

TEST(ImageRecord, LevelSizesLastLevelAndTileCounts) {
  for (const LevelCase& c : kLevelCases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    EXPECT_EQ(CountLevels(c.width, c.height), c.lastLevel);
    EXPECT_EQ(CountTiles(c.width, c.height, 0), c.tileCount);
    ScopedImage image;
    ASSERT_TRUE(CreateImage(image.get(), c.width, c.height, PixelRgba8, FetchClamp));
    EXPECT_EQ(image->lastLevel, c.lastLevel);
    EXPECT_EQ(image->tileCount, c.tileCount);
    ASSERT_EQ(int32_t(c.sizes.size()), c.lastLevel + 1);
    int64_t pixels = 0;
    for (int32_t level = 0; level <= c.lastLevel; ++level) {
      const auto [w, h] = c.sizes[size_t(level)];
      EXPECT_EQ(image->levelWidth[level], w) << "level " << level;
      EXPECT_EQ(image->levelHeight[level], h) << "level " << level;
      EXPECT_EQ(image->levelMaxX[level], w - 1);
      EXPECT_EQ(image->levelMaxY[level], h - 1);
      EXPECT_EQ(image->levelMaxXf[level], float(w - 1));
      EXPECT_EQ(image->levelInvWidth[level], float(1.0 / w));
      EXPECT_EQ(image->levelInvHeight[level], float(1.0 / h));
      EXPECT_EQ(image->tilesPerRow[level], (w + 511) / 512);
      pixels += int64_t(w) * h;
      // Every tile of the level has the origin and size its place gives it.
      for (int32_t t = image->firstTile[level]; t <= image->lastTile[level]; ++t) {
        const ImageTile& tile = image->tiles[t];
        const int32_t index = t - image->firstTile[level];
        EXPECT_EQ(tile.originX, 512 * (index % image->tilesPerRow[level]));
        EXPECT_EQ(tile.originY, 512 * (index / image->tilesPerRow[level]));
        EXPECT_EQ(tile.width, std::min(512, w - tile.originX));
        EXPECT_EQ(tile.height, std::min(512, h - tile.originY));
        EXPECT_NE(tile.pixels, nullptr);
      }
      if (level > 0) {
        EXPECT_EQ(image->firstTile[level], image->lastTile[level - 1] + 1);
      }
    }
    EXPECT_EQ(image->lastTile[c.lastLevel], c.tileCount - 1);
    const Rect rect{0, 0, int16_t(c.height), int16_t(c.width)};
    EXPECT_EQ(GetTotalPixelCount(&rect, 0), pixels);
    EXPECT_EQ(image->totalBytes, uint64_t(pixels) * 4);
  }
}

TEST(ImageRecord, FieldsAfterCreation) {
  struct ModeCase {
    int32_t mode;
    uint32_t bytesPerPixel, channelCount, bytesPerChannel;
    float maxValue;
  };
  const ModeCase cases[] = {
      {PixelGray8, 1, 1, 1, 255.0f},     {PixelGray16, 2, 1, 2, 32768.0f}, {PixelGray16Raw, 2, 1, 2, 1.0f},
      {PixelRgba8, 4, 4, 1, 255.0f},     {PixelRgba16, 8, 4, 2, 32768.0f}, {PixelGrayFloat, 4, 1, 4, 1.0f},
      {PixelRgb16, 6, 3, 2, 1.0f},       {PixelRgbaFloat, 16, 4, 4, 1.0f},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.mode);
    ScopedImage image;
    image->gridId = 7;
    image->layoutMarker = LayoutVerticalCross;
    ASSERT_TRUE(CreateImage(image.get(), 300, 150, c.mode, FetchWrapX));
    EXPECT_EQ(image->bytesPerPixel, c.bytesPerPixel);
    EXPECT_EQ(image->channelCount, c.channelCount);
    EXPECT_EQ(image->bytesPerChannel, c.bytesPerChannel);
    EXPECT_EQ(GetBytesPerChannel(c.mode), int32_t(c.bytesPerChannel));
    EXPECT_EQ(image->maxValue, c.maxValue);
    EXPECT_EQ(image->invMaxValue, 1.0f / c.maxValue);
    EXPECT_EQ(image->fetchEdgeMode, FetchWrapX);
    EXPECT_EQ(image->sampleEdgeMode, EdgeClamp);
    EXPECT_EQ(image->buildState, LevelsNotBuilt);
    EXPECT_EQ(image->gridId, 0);
    EXPECT_EQ(image->layoutMarker, LayoutNone);
    EXPECT_EQ(image->aspectX, 2.0f);
    EXPECT_EQ(image->aspectY, 1.0f);
  }
}

TEST(ImageRecord, AspectFollowsTheLongerSide) {
  ScopedImage tall;
  ASSERT_TRUE(CreateImage(tall.get(), 100, 300, PixelRgba8, 0));
  EXPECT_EQ(tall->aspectX, 1.0f);
  EXPECT_EQ(tall->aspectY, 3.0f);
  ScopedImage square;
  ASSERT_TRUE(CreateImage(square.get(), 64, 64, PixelRgba8, 0));
  EXPECT_EQ(square->aspectX, 1.0f);
  EXPECT_EQ(square->aspectY, 1.0f);
}

TEST(ImageRecord, CreateByKindPicksTheMode) {
  const std::pair<int32_t, int32_t> cases[] = {{1, PixelGray8}, {2, PixelGray16Raw}, {4, PixelRgba8}, {0, PixelRgba8}};
  for (const auto& [kind, mode] : cases) {
    ScopedImage image;
    ASSERT_TRUE(CreateImageByKind(image.get(), 10, 10, kind, 0));
    EXPECT_EQ(image->pixelMode, mode) << "kind " << kind;
  }
}

TEST(ImageRecord, RefusesBadArgumentsAndKeepsThePreviousRecord) {
  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 40, 30, PixelRgba8, 0));
  PutPixelRgba(3, 4, image.get(), 0, 1, 2, 3, 4);
  const ImageTile* tiles = image->tiles;
  struct Bad {
    int32_t width, height, mode;
  };
  // Sides below 1, sides past the 16-bit rectangles, and values that are no pixel mode.
  const Bad cases[] = {{0, 10, PixelRgba8},     {10, 0, PixelRgba8},      {-5, 10, PixelRgba8},
                       {32768, 1, PixelRgba8},  {1, 40000, PixelRgba8},   {10, 10, 6},
                       {10, 10, 8},             {10, 10, 10},             {10, 10, -1}};
  for (const Bad& c : cases) {
    EXPECT_FALSE(CreateImage(image.get(), c.width, c.height, c.mode, 0));
    EXPECT_EQ(image->tiles, tiles);
    EXPECT_EQ(image->levelWidth[0], 40);
    uint32_t r, g, b, a;
    GetPixelRgba(3, 4, image.get(), 0, &r, &g, &b, &a);
    EXPECT_EQ(r + g + b + a, 10u);
  }
  EXPECT_FALSE(CreateImage(nullptr, 10, 10, PixelRgba8, 0));
}

TEST(ImageRecord, FailureAtEachAllocationLeavesNothingAllocated) {
  // 513 x 513 needs the tile table and 14 tiles.
  const int32_t allocations = 1 + CountTiles(513, 513, 0);
  for (int32_t n = 1; n <= allocations + 1; ++n) {
    SCOPED_TRACE(n);
    ScopedImage image;
    ASSERT_TRUE(CreateImage(image.get(), 20, 20, PixelRgba8, 0));  // something to free first
    const int64_t before = GlobalHeapLiveBlocks();
    const int64_t oldBlocks = 1 + CountTiles(20, 20, 0);
    GlobalHeapFailAllocationAt(n);
    const bool created = CreateImage(image.get(), 513, 513, PixelRgbaFloat, 0);
    GlobalHeapFailAllocationAt(0);
    if (n <= allocations) {
      EXPECT_FALSE(created);
      EXPECT_EQ(GlobalHeapLiveBlocks(), before - oldBlocks);  // the old record's blocks are gone too
      EXPECT_EQ(image->tileCount, 0);
      EXPECT_EQ(image->tiles, nullptr);
      EXPECT_EQ(image->gridId, 0);
      float rgba[4] = {1, 1, 1, 1};
      GetPixelFloatRgba(0, 0, image.get(), 0, rgba);
      EXPECT_EQ(rgba[0] + rgba[1] + rgba[2] + rgba[3], 0.0f);
    } else {
      EXPECT_TRUE(created);
      EXPECT_EQ(GlobalHeapLiveBlocks(), before - oldBlocks + allocations);
    }
    FreeImageRecord(image.get());
    EXPECT_EQ(GlobalHeapLiveBlocks(), before - oldBlocks);
  }
}

TEST(ImageRecord, HostBufferFailureAtEachAllocationLeavesNothingAllocated) {
  const BufferProcs procs = CountingHost::Procs();
  ImageOwner owner;
  owner.bufferProcs = &procs;
  const int32_t allocations = 1 + CountTiles(1000, 500, 0);
  for (int32_t n = 1; n <= allocations; ++n) {
    SCOPED_TRACE(n);
    ScopedImage image(&owner);
    const int64_t heapBefore = GlobalHeapLiveBlocks();
    // The host refuses the nth buffer and the global heap, tried next, fails too.
    CountingHost::failCountdown = n;
    GlobalHeapFailAllocationAt(1);
    EXPECT_FALSE(CreateImage(image.get(), 1000, 500, PixelRgba16, 0));
    GlobalHeapFailAllocationAt(0);
    CountingHost::failCountdown = 0;
    EXPECT_EQ(CountingHost::live, 0);
    EXPECT_EQ(GlobalHeapLiveBlocks(), heapBefore);
    EXPECT_EQ(image->tileCount, 0);
  }
  ScopedImage image(&owner);
  ASSERT_TRUE(CreateImage(image.get(), 1000, 500, PixelRgba16, 0));
  EXPECT_EQ(CountingHost::live, allocations);
  FreeImageRecord(image.get());
  EXPECT_EQ(CountingHost::live, 0);
}

TEST(ImageRecord, ByteCountsAreSixtyFourBit) {
  // Sized through a host that fakes the big tile buffers: the largest
  // float image holds more bytes than 32 bits can count.
  const BufferProcs procs = CountingHost::Procs();
  ImageOwner owner;
  owner.bufferProcs = &procs;
  CountingHost::fakeAbove = 1 << 20;
  {
    ScopedImage image(&owner);
    ASSERT_TRUE(CreateImage(image.get(), 32767, 32767, PixelRgbaFloat, 0));
    EXPECT_EQ(image->lastLevel, 15);
    EXPECT_EQ(image->tileCount, 5470);
    EXPECT_EQ(image->totalBytes, uint64_t(1431590230) * 16);
  }
  CountingHost::fakeAbove = INT64_MAX;
  EXPECT_EQ(CountingHost::live, 0);
}

TEST(ImageRecord, FreeTwiceAndRecreate) {
  ScopedImage image;
  const int64_t before = GlobalHeapLiveBlocks();
  ASSERT_TRUE(CreateImage(image.get(), 600, 20, PixelRgba8, 0));
  EXPECT_EQ(GlobalHeapLiveBlocks(), before + 1 + CountTiles(600, 20, 0));
  image->gridId = 12;
  image->layoutMarker = LayoutHorizontalCross;
  FreeImageRecord(image.get());
  EXPECT_EQ(GlobalHeapLiveBlocks(), before);
  EXPECT_EQ(image->tileCount, 0);
  EXPECT_EQ(image->gridId, 0);
  EXPECT_EQ(image->layoutMarker, LayoutNone);
  EXPECT_EQ(image->levelWidth[0], 600);  // sizes stay
  FreeImageRecord(image.get());
  EXPECT_EQ(GlobalHeapLiveBlocks(), before);
  FreeImageRecord(nullptr);
  // Re-creation at another size frees the old tiles first.
  ASSERT_TRUE(CreateImage(image.get(), 10, 10, PixelRgba16, 0));
  ASSERT_TRUE(CreateImage(image.get(), 700, 700, PixelRgba8, 0));
  EXPECT_EQ(GlobalHeapLiveBlocks(), before + 1 + CountTiles(700, 700, 0));
}

TEST(ImageRecord, FreeWorkImagesFreesEveryFace) {
  ImageRecord faces[6];
  const int64_t before = GlobalHeapLiveBlocks();
  for (ImageRecord& face : faces) {
    InitImageRecord(&face, nullptr, nullptr);
    ASSERT_TRUE(CreateImage(&face, 16, 16, PixelRgba8, 0));
    face.layoutMarker = LayoutVerticalCross;
  }
  FreeWorkImages(faces, 6);
  EXPECT_EQ(GlobalHeapLiveBlocks(), before);
  for (const ImageRecord& face : faces) {
    EXPECT_EQ(face.tileCount, 0);
    EXPECT_EQ(face.layoutMarker, LayoutNone);
  }
}

TEST(ImageRecord, TileAndLevelRects) {
  ScopedImage image;
  ASSERT_TRUE(CreateImage(image.get(), 1000, 600, PixelRgba8, 0));
  Rect rect;
  GetTileRect(image.get(), 1, &rect);
  EXPECT_EQ(rect.left, 512);
  EXPECT_EQ(rect.right, 1000);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.bottom, 512);
  GetTileRect(image.get(), 3, &rect);
  EXPECT_EQ(rect.left, 512);
  EXPECT_EQ(rect.top, 512);
  EXPECT_EQ(rect.bottom, 600);
  GetTileRect(image.get(), image->tileCount, &rect);  // past the table
  EXPECT_EQ(rect.right, 0);

  GetLevelRect(image.get(), 1, &rect);
  EXPECT_EQ(rect.right, 500);
  EXPECT_EQ(rect.bottom, 300);
  GetLevelRect(image.get(), image->lastLevel + 1, &rect);
  EXPECT_EQ(rect.top | rect.left | rect.bottom | rect.right, 0);
  GetLevelRect(nullptr, 0, &rect);
  EXPECT_EQ(rect.right, 0);

  EXPECT_EQ(GetTileHeight(0, 600), 512);
  EXPECT_EQ(GetTileHeight(1, 600), 88);
  EXPECT_EQ(GetTileHeight(0, 512), 512);
}

TEST(ImageRecord, SameSizeAndTransparencyCase) {
  ScopedImage a, b;
  ASSERT_TRUE(CreateImage(a.get(), 30, 20, PixelRgba8, 0));
  ASSERT_TRUE(CreateImage(b.get(), 30, 20, PixelRgbaFloat, 0));
  EXPECT_TRUE(HaveSameSize(a.get(), b.get()));
  ASSERT_TRUE(CreateImage(b.get(), 20, 30, PixelRgba8, 0));
  EXPECT_FALSE(HaveSameSize(a.get(), b.get()));

  FilterRecord record{};
  for (int16_t filterCase = 0; filterCase < 8; ++filterCase) {
    record.filterCase = filterCase;
    EXPECT_EQ(IsTransparencyEditable(&record), filterCase == 4 || filterCase == 5) << filterCase;
  }
  EXPECT_FALSE(IsTransparencyEditable(nullptr));
}

TEST(ImageRecord, InitKeepsOwnerTablesAndAllocator) {
  const BufferProcs procs = CountingHost::Procs();
  ImageOwner owner;
  owner.bufferProcs = &procs;
  ImageRecord image;
  const auto* tables = reinterpret_cast<const FilterTables*>(&owner);
  InitImageRecord(&image, &owner, tables);
  EXPECT_EQ(image.owner, &owner);
  EXPECT_EQ(image.allocator, &procs);
  EXPECT_EQ(image.filterTables, tables);
  EXPECT_EQ(image.tileCount, 0);
  InitImageRecord(&image, nullptr, nullptr);
  EXPECT_EQ(image.allocator, nullptr);
}

}  // namespace
