// The per-row warm-up loads the table or cache that the output and the input
// need before their pixels are mapped.
#include <gtest/gtest.h>

#include "image/image_record.h"
#include "mapping_fixture.h"
#include "projection/output_pixel.h"

namespace {

TEST(WarmLookupGrids, LoadsTheTableOfTheOutput) {
  struct Case {
    int32_t output;
    int32_t gridId;  // 0: no table
  };
  const Case cases[] = {{35, 10}, {51, 2}, {83, 2}, {87, 2}, {251, 2}, {252, 2}, {90, 1}, {94, 1},
                        {99, 1},  {121, 1}, {165, 1}, {140, 12}, {1, 0}, {2, 0}};
  for (const Case& c : cases) {
    MappingFixture f(c.output, 1, 1.0f);
    ImageRecord grid;
    InitImageRecord(&grid, nullptr, nullptr);
    ASSERT_TRUE(CreateImageRecord(&grid, 50, 50, PixelRgbaFloat, 0, 0));  // as the run's grid image
    f.context->lookupGrid = &grid;
    WarmLookupGridsFor(f.context.get(), f.outputFaces.get());
    EXPECT_EQ(grid.gridId, c.gridId) << c.output;
    FreeImageRecord(&grid);
  }
}

TEST(WarmLookupGrids, FillsTheCachesOfTheProfilesAndOfMollweide) {
  struct Case {
    int32_t output;
    int32_t input;
    bool outputCache;
    bool mollweideCache;
  };
  const Case cases[] = {{73, 1, true, false}, {74, 1, true, false}, {80, 1, true, false},
                        {1, 7, false, true},  {1, 1, false, false}, {80, 7, true, true}};
  for (const Case& c : cases) {
    MappingFixture f(c.output, c.input, 0.5f);
    f.context->tunableShape = 1.5f;
    WarmLookupGridsFor(f.context.get(), f.outputFaces.get());
    EXPECT_EQ(f.outputCache[0] != 999.0f, c.outputCache) << c.output << " " << c.input;
    EXPECT_EQ(f.mollweideCache[0] != 999.0f, c.mollweideCache) << c.output << " " << c.input;
  }
}

}  // namespace
