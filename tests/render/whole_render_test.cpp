// Whole renders through the test host: the source read, mapped, sampled and
// composited into the document.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/render/render_fixture.h"

namespace {

TEST(WholeRender, EquirectangularIdentityReproducesThePhotograph) {
  const TestDocument source = LoadEarthDocument();
  TestDocument doc = source;
  RenderRun run;
  ASSERT_EQ(run.Render(&doc, nullptr), kNoErr);
  const double psnr = DocumentPsnr(doc, source, 3);
  std::printf("identity PSNR %.2f dB\n", psnr);
  EXPECT_GE(psnr, 30.0);
  // No seam: the columns at the wrap of longitude are no worse than the rest.
  std::vector<double> columnError(size_t(doc.width), 0.0);
  for (int32_t x = 0; x < doc.width; ++x) {
    for (int32_t y = 0; y < doc.height; ++y) {
      for (int16_t c = 0; c < 3; ++c) {
        columnError[size_t(x)] += std::fabs(GetDocumentSample(doc, x, y, c) - GetDocumentSample(source, x, y, c));
      }
    }
    columnError[size_t(x)] /= doc.height * 3.0;
  }
  std::vector<double> sorted = columnError;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  for (int32_t x : {0, 1, doc.width - 2, doc.width - 1}) {
    std::printf("column %d error %.3f (median %.3f)\n", x, columnError[size_t(x)], median);
    EXPECT_LT(columnError[size_t(x)], 2.0 * median + 1.0) << "column " << x;
  }
}

}  // namespace
